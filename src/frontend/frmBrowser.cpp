#include "frontend/frmBrowser.h"

#include <QDir>
#include <QUrl>

#include "platform/forms/Twips.h"

namespace frontend {

using namespace platform;

frmBrowser::frmBrowser(QWidget* parent) : Form(parent) {
  setObjectName(QStringLiteral("frmBrowser"));
  SetWidth(10875);
  SetHeight(8295);
}

void frmBrowser::Form_Load() {
  if (!brwWebBrowser) {
    brwWebBrowser = new WebBrowser(Client());
    brwWebBrowser->setObjectName(QStringLiteral("brwWebBrowser"));
    brwWebBrowser->DownloadComplete = [this] { brwWebBrowser_DownloadComplete(); };
    brwWebBrowser->show();
  }
  Form_Resize();
  if (!StartingAddress.isEmpty()) brwWebBrowser->Navigate(StartingAddress);
}

void frmBrowser::brwWebBrowser_DownloadComplete() { SetCaption(QStringLiteral(" Animation")); }

void frmBrowser::Form_Resize() {
  if (brwWebBrowser) Move(brwWebBrowser, 0, 0, ScaleWidth(), ScaleHeight());
}

void frmBrowser::Form_Unload(int&) {
  // The page stops with its window: no animation or sound plays on unseen.
  if (brwWebBrowser) {
    brwWebBrowser->deleteLater();
    brwWebBrowser = nullptr;
  }
  SetCaption(QString());
}

}  // namespace frontend
