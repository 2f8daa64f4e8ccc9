// Lays out a runnable application folder: the programs from a build and the
// sample content beside them.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextDocument>

#include "Content.h"
#include "platform/data/Data.h"
#include "platform/values/VbError.h"

namespace content {
namespace {

void Fail(const QString& what) { throw LayoutError(what.toStdString()); }

QString PathIn(const QString& folder, const QString& relative) { return QDir(folder).filePath(relative); }

void MakeFolderFor(const QString& path) {
  if (!QDir().mkpath(QFileInfo(path).absolutePath())) Fail(QStringLiteral("cannot make the folder of ") + path);
}

void WriteFile(const QString& path, const QByteArray& bytes) {
  MakeFolderFor(path);
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
    Fail(QStringLiteral("cannot write ") + path);
  }
}

QStringList CopyPrograms(const QString& buildDir, const QString& outDir) {
  QStringList copied;
  if (buildDir.isEmpty()) return copied;
  // The web-browser module goes beside the programs that load it; the
  // stand-in goes where each program it stands for would be.
  const std::pair<const char*, const char*> programs[] = {{"src/frontend/Corvanta", "Corvanta"},
                                                          {"src/assessment/Pellorin", "Pellorin"},
                                                          {"src/stepbrowser/Varnok", "Varnok"},
                                                          {"modules/qvr-webbrowser.so", "qvr-webbrowser.so"},
                                                          {"content/qvr-standin", "WebPack/TKBWebPack"},
                                                          {"content/qvr-standin", "Training/TKBTrainingReport"}};
  for (const auto& [built, name] : programs) {
    const QString program = QString::fromLatin1(name);
    const QString from = QDir(buildDir).filePath(QString::fromLatin1(built));
    if (!QFileInfo(from).isFile()) continue;
    const QString to = PathIn(outDir, program);
    MakeFolderFor(to);
    QFile::remove(to);
    if (!QFile::copy(from, to)) Fail(QStringLiteral("cannot copy ") + from);
    copied << program;
  }
  return copied;
}

void WriteDatabase(const DatabaseDefinition& definition, const QString& outDir) {
  const QString path = PathIn(outDir, definition.relativePath);
  MakeFolderFor(path);
  // A folder laid out again gets fresh databases.
  if (QFileInfo::exists(path) && !QFile::remove(path)) Fail(QStringLiteral("cannot replace ") + path);
  try {
    platform::CreateDatabase(path, definition.password);
    platform::Connection connection;
    connection.ConnectionString = platform::JetConnectionString(path, definition.password);
    connection.Mode = platform::adModeReadWrite;
    connection.Open();
    for (const Table& table : definition.tables) {
      platform::CreateTable(connection, table.name, table.columns);
      QStringList marks;
      for (qsizetype i = 0; i < table.columns.size(); ++i) marks << QStringLiteral("?");
      const QString insert = QStringLiteral("INSERT INTO %1 VALUES (%2)")
                                 .arg(platform::QuoteIdentifier(table.name), marks.join(QStringLiteral(", ")));
      connection.Execute(QStringLiteral("BEGIN"));
      for (const Row& row : table.rows) {
        if (row.size() != table.columns.size()) {
          Fail(QStringLiteral("a row of %1 has %2 values for %3 columns")
                   .arg(table.name)
                   .arg(row.size())
                   .arg(table.columns.size()));
        }
        connection.Execute(insert, row);
      }
      connection.Execute(QStringLiteral("COMMIT"));
    }
    connection.Close();
  } catch (const platform::VbError& e) {
    Fail(QStringLiteral("%1: %2").arg(definition.relativePath, e.Description()));
  }
}

void WritePictures(const QString& outDir) {
  for (const PictureFile& picture : SamplePictures()) {
    const QImage image = art::Illustration(picture.subject, picture.size, picture.caption);
    WriteFile(PathIn(outDir, QStringLiteral("db/") + picture.name), EncodePicture(image, picture.format));
  }
}

// A compiled help file made with chmcmd; without it, the pages as one HTML
// file under the help file's name (a browser shows it, a help viewer does not).
QString WriteHelpBook(const HelpBook& book, const QString& outDir) {
  const QString target = PathIn(outDir, book.relativePath);
  MakeFolderFor(target);
  const QString compiler = QStandardPaths::findExecutable(QStringLiteral("chmcmd"));
  if (!compiler.isEmpty()) {
    QTemporaryDir work;
    if (!work.isValid()) Fail(QStringLiteral("no temporary folder for the help file"));
    const QString chmName = QFileInfo(target).fileName();
    QString files;
    QString contents = QStringLiteral(
        "<!DOCTYPE HTML PUBLIC \"-//IETF//DTD HTML//EN\">\n<HTML><BODY>\n<UL>\n");
    for (const auto& [name, html] : book.pages) {
      WriteFile(work.filePath(name), html.toUtf8());
      files += name + QLatin1Char('\n');
      if (!name.endsWith(QLatin1String(".htm"))) continue;
      QString title = html.section(QStringLiteral("<title>"), 1).section(QStringLiteral("</title>"), 0, 0);
      contents += QStringLiteral("<LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"%1\">"
                                 "<param name=\"Local\" value=\"%2\"></OBJECT>\n")
                      .arg(title, name);
    }
    contents += QStringLiteral("</UL>\n</BODY></HTML>\n");
    WriteFile(work.filePath(QStringLiteral("toc.hhc")), contents.toUtf8());
    const QString project = QStringLiteral(
                                "[OPTIONS]\nCompatibility=1.1 or later\nCompiled file=%1\nContents file=toc.hhc\n"
                                "Default topic=index.htm\nDisplay compile progress=No\n"
                                "Language=0x809 English (United Kingdom)\nTitle=%2\n\n[FILES]\n%3")
                                .arg(chmName, book.title, files);
    WriteFile(work.filePath(QStringLiteral("book.hhp")), project.toUtf8());
    QProcess chmcmd;
    chmcmd.setWorkingDirectory(work.path());
    chmcmd.setProcessChannelMode(QProcess::MergedChannels);
    chmcmd.start(compiler, {QStringLiteral("book.hhp")});
    const QString built = work.filePath(chmName);
    if (chmcmd.waitForFinished(60000) && chmcmd.exitCode() == 0 && QFileInfo(built).size() > 0) {
      QFile::remove(target);
      if (!QFile::copy(built, target)) Fail(QStringLiteral("cannot copy the help file to ") + target);
      return QStringLiteral("help file %1 compiled").arg(book.relativePath);
    }
    Fail(QStringLiteral("chmcmd failed on %1: %2").arg(book.relativePath, QString::fromLocal8Bit(chmcmd.readAll())));
  }
  QString html;
  for (const auto& [name, page] : book.pages) {
    if (name.endsWith(QLatin1String(".htm"))) html += page;
  }
  WriteFile(target, html.toUtf8());
  return QStringLiteral("help file %1 written as HTML (chmcmd not found)").arg(book.relativePath);
}

// The collision regulations summary, with two of the illustrations.
void WriteSummaryPdf(const QString& path) {
  MakeFolderFor(path);
  QPdfWriter pdf(path);
  pdf.setTitle(QStringLiteral("Collision regulations: a summary"));
  pdf.setCreator(QStringLiteral("QVR V5 sample content"));
  pdf.setPageSize(QPageSize(QPageSize::A4));
  pdf.setPageMargins(QMarginsF(20, 18, 20, 18), QPageLayout::Millimeter);
  pdf.setResolution(96);
  QPainter p(&pdf);
  if (!p.isActive()) Fail(QStringLiteral("cannot write ") + path);
  const QRectF page(0, 0, pdf.width(), pdf.height());
  QTextDocument text;
  text.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 10));
  text.setTextWidth(page.width());
  text.setHtml(QStringLiteral(
      "<h1 style=\"color:#1f3a5f\">Collision regulations: a summary</h1>"
      "<p>This summary is a study aid only; the full text of the International Regulations for "
      "Preventing Collisions at Sea governs.</p>"
      "<h3>Rule 5: Look-out</h3><p>Every vessel shall at all times maintain a proper look-out by sight and "
      "hearing and by all available means.</p>"
      "<h3>Rule 6: Safe speed</h3><p>Every vessel shall at all times proceed at a safe speed, so that she can "
      "take proper and effective action to avoid collision and be stopped within an appropriate distance.</p>"
      "<h3>Rule 7: Risk of collision</h3><p>If the compass bearing of an approaching vessel does not "
      "appreciably change, risk of collision shall be deemed to exist.</p>"
      "<h3>Rule 8: Action to avoid collision</h3><p>Action shall be positive, made in ample time, and large "
      "enough to be readily apparent to another vessel.</p>"
      "<h3>Rules 13 to 15</h3><p>An overtaking vessel keeps out of the way. Vessels meeting head-on both alter "
      "to starboard. In a crossing situation the vessel which has the other on her starboard side keeps out "
      "of the way.</p>"));
  p.save();
  text.drawContents(&p);
  p.restore();
  const qreal top = text.size().height() + 20;
  const qreal w = (page.width() - 20) / 2;
  art::DrawIllustration(p, QRectF(0, top, w, w * 0.72), art::Subject::CrossingSituation,
                        art::SubjectTitle(art::Subject::CrossingSituation));
  art::DrawIllustration(p, QRectF(w + 20, top, w, w * 0.72), art::Subject::HeadOnSituation,
                        art::SubjectTitle(art::Subject::HeadOnSituation));
  p.end();
}

// Five seconds of a test pattern with a tone, as an MPEG-1 program stream.
QString WriteMovie(const QString& path) {
  const QString ffmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
  if (ffmpeg.isEmpty()) return QStringLiteral("movie %1 not made (ffmpeg not found)").arg(path);
  MakeFolderFor(path);
  QFile::remove(path);
  QProcess process;
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.start(ffmpeg, {QStringLiteral("-nostdin"), QStringLiteral("-loglevel"), QStringLiteral("error"),
                         QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                         QStringLiteral("testsrc=size=352x288:rate=25:duration=5"), QStringLiteral("-f"),
                         QStringLiteral("lavfi"), QStringLiteral("-i"),
                         QStringLiteral("sine=frequency=440:sample_rate=44100:duration=5"), QStringLiteral("-c:v"),
                         QStringLiteral("mpeg1video"), QStringLiteral("-b:v"), QStringLiteral("1000k"),
                         QStringLiteral("-c:a"), QStringLiteral("mp2"), QStringLiteral("-b:a"), QStringLiteral("128k"),
                         QStringLiteral("-f"), QStringLiteral("mpeg"), path});
  if (!process.waitForFinished(120000) || process.exitCode() != 0) {
    Fail(QStringLiteral("ffmpeg failed: ") + QString::fromLocal8Bit(process.readAll()));
  }
  return QStringLiteral("movie Videos/lookout.mpg made");
}

}  // namespace

QStringList LayOut(const LayoutOptions& options) {
  if (options.outDir.isEmpty()) Fail(QStringLiteral("no folder to lay out"));
  if (!QDir().mkpath(options.outDir)) Fail(QStringLiteral("cannot make ") + options.outDir);
  const QString out = QFileInfo(options.outDir).absoluteFilePath();
  QStringList report;
  const QStringList programs = CopyPrograms(options.buildDir, out);
  report << QStringLiteral("programs: %1").arg(programs.isEmpty() ? QStringLiteral("none") : programs.join(QStringLiteral(", ")));
  for (const DatabaseDefinition& definition : SampleDatabases()) {
    WriteDatabase(definition, out);
    report << QStringLiteral("database %1").arg(definition.relativePath);
  }
  WritePictures(out);
  report << QStringLiteral("%1 pictures in db").arg(SamplePictures().size());
  for (const TextFile& file : SampleTextFiles()) WriteFile(PathIn(out, file.relativePath), file.bytes);
  WriteSummaryPdf(PathIn(out, QStringLiteral("Docs/COLREG summary.pdf")));
  report << QStringLiteral("web pack, animation, documents");
  for (const HelpBook& book : SampleHelpBooks()) report << WriteHelpBook(book, out);
  if (options.movie) report << WriteMovie(PathIn(out, QStringLiteral("Videos/lookout.mpg")));
  return report;
}

}  // namespace content
