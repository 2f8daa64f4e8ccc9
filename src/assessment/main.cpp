// Pellorin: the self-assessment test, started with a test identifier.
#include <QApplication>
#include <clocale>

#include "assessment/GLOBAL.h"
#include "assessment/frmQandA.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Program.h"

int main(int argc, char** argv) {
  // Read before Qt takes its own options out of the arguments.
  const QString commandLine = platform::CommandLine(argc, argv);
  QApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  QApplication::setApplicationName(QStringLiteral("Pellorin"));
  platform::SetApplicationTitle(QStringLiteral("Pellorin"));
  assessment::GLOBAL::CommandLine = commandLine;
  assessment::frmQandA form;
  form.Show();
  return QApplication::exec();
}
