// TKBWebPack, TKBTrainingReport: one stand-in under the names of the
// programs it stands for.
#include <QApplication>
#include <QFileInfo>

#include "StandIn.h"
#include "platform/forms/Program.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QFileInfo self(QCoreApplication::applicationFilePath());
  return standin::ShowPage(self.fileName(), self.absolutePath(), platform::CommandLine(argc, argv));
}
