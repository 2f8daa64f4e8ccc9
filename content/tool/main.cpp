// qvr-content --build BUILD --out APP: lays out a runnable application folder
// (the programs of a build and the sample content beside them).
#include <QCommandLineParser>
#include <QGuiApplication>
#include <cstdio>

#include "Content.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Lays out a runnable application folder with the sample content."));
  parser.addHelpOption();
  parser.addOption({QStringLiteral("build"), QStringLiteral("The build folder to copy the programs from."),
                    QStringLiteral("dir")});
  parser.addOption({QStringLiteral("out"), QStringLiteral("The application folder to lay out."), QStringLiteral("dir")});
  parser.addOption({QStringLiteral("no-movie"), QStringLiteral("Do not make the sample movie.")});
  parser.process(app);
  if (!parser.isSet(QStringLiteral("out"))) {
    std::fprintf(stderr, "qvr-content: --out is required\n");
    return 2;
  }
  content::LayoutOptions options;
  options.buildDir = parser.value(QStringLiteral("build"));
  options.outDir = parser.value(QStringLiteral("out"));
  options.movie = !parser.isSet(QStringLiteral("no-movie"));
  try {
    for (const QString& line : content::LayOut(options)) std::printf("qvr-content: %s\n", qPrintable(line));
  } catch (const content::LayoutError& e) {
    std::fprintf(stderr, "qvr-content: %s\n", e.what());
    return 1;
  }
  return 0;
}
