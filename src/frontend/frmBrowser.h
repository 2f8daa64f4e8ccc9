#pragma once
// The web-page window: shows a page or animation of a section in an embedded
// browser. The browser engine is made when the window loads, so a front-end
// that never shows an animation never starts it.
#include <QString>

#include "platform/forms/Form.h"
#include "platform/forms/WebBrowser.h"


namespace frontend {

class frmBrowser : public platform::Form {
  Q_OBJECT

 public:
  explicit frmBrowser(QWidget* parent = nullptr);

  // The path or address to show; set before each showing.
  QString StartingAddress;
  platform::WebBrowser* brwWebBrowser = nullptr;  // exists while the window is loaded

  void brwWebBrowser_DownloadComplete();

 protected:
  void Form_Load() override;
  void Form_Resize() override;
  void Form_Unload(int& cancel) override;
};

}  // namespace frontend
