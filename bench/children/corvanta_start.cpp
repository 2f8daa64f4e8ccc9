// Corvanta's start-up in a process of its own, linked as Corvanta is: the main
// window loads (database, tree, window on screen), then the process ends.
#include <QApplication>
#include <clocale>
#include <cstdio>
#include <cstdlib>

#include "frontend/frmMain.h"
#include "platform/forms/Program.h"

int main(int argc, char** argv) {
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  Q_INIT_RESOURCE(frontend_images);
  if (argc > 1) platform::SetProgramFolder(QString::fromLocal8Bit(argv[1]));
  frontend::frmMain main;
  main.Show();
  QApplication::processEvents();
  std::fflush(nullptr);
  std::_Exit(0);
}
