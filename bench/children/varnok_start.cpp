// Varnok's start-up in a process of its own, linked as Varnok is: the step
// table named on the command line is checked and read whole, the window
// shows, and its first activation shows step 1; then the process ends (exit
// code 1 when the table did not load with the expected number of steps).
#include <QApplication>
#include <clocale>
#include <cstdio>
#include <cstdlib>

#include "platform/forms/Program.h"
#include "stepbrowser/GLOBAL.h"
#include "stepbrowser/START.h"
#include "stepbrowser/frmMain.h"

// Arguments: application folder, table name, expected number of steps.
int main(int argc, char** argv) {
  if (argc < 4) return 2;
  QApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  platform::SetProgramFolder(QString::fromLocal8Bit(argv[1]));
  stepbrowser::GLOBAL::CommandLine = QString::fromLocal8Bit(argv[2]);
  stepbrowser::START::Main();
  stepbrowser::frmMain* window = stepbrowser::START::MainWindow();
  while (window->CurrentStep != 1) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
  const int code = window->StepCount == std::atoi(argv[3]) ? 0 : 1;
  std::fflush(nullptr);
  std::_Exit(code);
}
