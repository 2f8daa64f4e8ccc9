// Varnok: the step-by-step browser, started with the name of a step table.
#include <QApplication>
#include <clocale>

#include "platform/forms/Dialogs.h"
#include "platform/forms/Program.h"
#include "stepbrowser/GLOBAL.h"
#include "stepbrowser/START.h"

int main(int argc, char** argv) {
  // Read before Qt takes its own options out of the arguments.
  const QString commandLine = platform::CommandLine(argc, argv);
  QApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  QApplication::setApplicationName(QStringLiteral("Varnok"));
  platform::SetApplicationTitle(QStringLiteral("Varnok"));
  stepbrowser::GLOBAL::CommandLine = commandLine;
  stepbrowser::START::Main();
  const int code = QApplication::exec();
  stepbrowser::START::DropMainWindow();
  return code;
}
