#include "platform/forms/WebBrowser.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>
#include <unistd.h>

#include "platform/values/VbError.h"

#ifndef QVR_MODULE_DIR
#define QVR_MODULE_DIR ""
#endif

namespace platform {
namespace {

using CreateView = QWidget* (*)(QWidget*);

CreateView ViewFactory() {
  static CreateView factory = []() -> CreateView {
    // Chromium refuses to run as root inside its sandbox.
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
      qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // Beside the program first, then where the build put it.
    for (const QString& folder : {QCoreApplication::applicationDirPath(), QStringLiteral(QVR_MODULE_DIR)}) {
      if (folder.isEmpty()) continue;
      QLibrary module(QDir(folder).filePath(QStringLiteral("qvr-webbrowser")));
      if (!module.load()) continue;
      if (auto f = reinterpret_cast<CreateView>(module.resolve("qvr_create_web_view"))) return f;
    }
    return nullptr;
  }();
  return factory;
}

}  // namespace

WebBrowser::WebBrowser(QWidget* parent) : QWidget(parent) {
  const CreateView create = ViewFactory();
  if (!create) Raise(429, QStringLiteral("ActiveX component can't create object"));
  view_ = create(this);
  view_->setObjectName(QStringLiteral("view"));
  // The view's own signal, connected by name: this library does not link the engine.
  connect(view_, SIGNAL(loadFinished(bool)), this, SLOT(OnLoadFinished()));
  view_->setGeometry(rect());
  view_->show();
}

void WebBrowser::Navigate(const QString& pathOrAddress) {
  view_->setProperty("url", QUrl::fromUserInput(pathOrAddress, QDir::currentPath(), QUrl::AssumeLocalFile));
}

QUrl WebBrowser::Url() const { return view_->property("url").toUrl(); }

void WebBrowser::OnLoadFinished() {
  if (DownloadComplete) DownloadComplete();
}

void WebBrowser::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  view_->setGeometry(rect());
}

}  // namespace platform
