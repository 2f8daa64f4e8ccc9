#pragma once
// The web-browser control: shows a local page or an address and reports each
// completed load. The browser engine is a module loaded on first use.
#include <QString>
#include <QUrl>
#include <QWidget>
#include <functional>

namespace platform {

class WebBrowser : public QWidget {
  Q_OBJECT
 public:
  // Raises error 429 "ActiveX component can't create object" when the
  // browser module cannot be loaded.
  explicit WebBrowser(QWidget* parent = nullptr);

  void Navigate(const QString& pathOrAddress);
  QUrl Url() const;
  std::function<void()> DownloadComplete;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private slots:
  void OnLoadFinished();

 private:
  QWidget* view_ = nullptr;
};

}  // namespace platform
