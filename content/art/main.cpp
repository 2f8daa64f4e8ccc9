// qvr-art --images DIR [--sources SRC]: draws every picture of the programs
// into DIR/<program>/<list>/<key>.png and, with --sources, writes the resource
// file of each program folder (SRC/<program>/<program>_images.qrc).
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImageWriter>
#include <QSet>
#include <cstdio>

#include "art/Art.h"

namespace {

bool WritePicture(const QImage& image, const QString& path) {
  QImage out = image.convertToFormat(QImage::Format_ARGB32);
  bool opaque = true;
  for (int y = 0; y < out.height() && opaque; ++y) {
    const QRgb* line = reinterpret_cast<const QRgb*>(out.constScanLine(y));
    for (int x = 0; x < out.width() && opaque; ++x) opaque = qAlpha(line[x]) == 255;
  }
  // Opaque pictures need no alpha channel.
  if (opaque) out = out.convertToFormat(QImage::Format_RGB888);
  const bool jpeg = path.endsWith(QLatin1String(".jpg"));
  QImageWriter writer(path, jpeg ? "jpeg" : "png");
  writer.setQuality(jpeg ? 92 : 0);  // JPEG: fine detail kept; PNG: smallest file
  if (!writer.write(out)) {
    std::fprintf(stderr, "qvr-art: cannot write %s: %s\n", qPrintable(path), qPrintable(writer.errorString()));
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  QCommandLineParser parser;
  parser.addHelpOption();
  parser.addOption({QStringLiteral("images"), QStringLiteral("Folder for the pictures."), QStringLiteral("dir")});
  parser.addOption({QStringLiteral("sources"), QStringLiteral("The src folder, for the resource files."),
                    QStringLiteral("dir")});
  parser.process(app);
  if (!parser.isSet(QStringLiteral("images"))) parser.showHelp(2);

  const QDir images(parser.value(QStringLiteral("images")));
  QSet<QString> programs;
  qint64 total = 0;
  for (const art::Picture& picture : art::Catalogue()) {
    const QString path = images.filePath(picture.RelativePath());
    QDir().mkpath(QFileInfo(path).path());
    const QImage image = picture.draw();
    if (image.size() != picture.size) {
      std::fprintf(stderr, "qvr-art: %s drawn at the wrong size\n", qPrintable(picture.RelativePath()));
      return 1;
    }
    if (!WritePicture(image, path)) return 1;
    total += QFileInfo(path).size();
    programs.insert(picture.program);
  }
  std::printf("qvr-art: %lld bytes of pictures in %s\n", static_cast<long long>(total), qPrintable(images.path()));

  if (parser.isSet(QStringLiteral("sources"))) {
    const QDir sources(parser.value(QStringLiteral("sources")));
    for (const QString& program : programs) {
      const QString qrc = sources.filePath(program + '/' + program + "_images.qrc");
      const QString fromQrc = QFileInfo(qrc).absoluteDir().relativeFilePath(images.absolutePath());
      QFile file(qrc);
      if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "qvr-art: cannot write %s\n", qPrintable(qrc));
        return 1;
      }
      file.write(art::ResourceFileText(program, fromQrc).toUtf8());
    }
  }
  return 0;
}
