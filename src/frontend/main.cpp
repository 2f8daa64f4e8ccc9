// Corvanta: the front-end.
#include <QApplication>
#include <clocale>

#include "frontend/frmMain.h"
#include "platform/forms/Dialogs.h"

int main(int argc, char** argv) {
  // The web-browser module, loaded later, needs the contexts shared from the start.
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");  // the movie player's library needs it
  Q_INIT_RESOURCE(frontend_images);
  QApplication::setApplicationName(QStringLiteral("QVRV 5"));
  platform::SetApplicationTitle(QStringLiteral("QVRV 5"));
  frontend::frmMain main;
  main.Show();
  return QApplication::exec();
}
