#include "StandIn.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeDatabase>
#include <cstdio>

#include "platform/forms/Dialogs.h"
#include "platform/system/Paths.h"
#include "platform/system/Shell.h"

namespace standin {
namespace {

const char* const kStartPage = "tkb300565.htm";

QString Unquoted(const QString& text) {
  if (text.size() >= 2 && text.startsWith(u'"') && text.endsWith(u'"')) return text.mid(1, text.size() - 2);
  return text;
}

int Refuse(const QString& prompt, const QString& program) {
  std::fprintf(stderr, "%s: %s\n", qPrintable(program), qPrintable(prompt.simplified()));
  platform::MsgBox(prompt, platform::vbExclamation, program);
  return 1;
}

}  // namespace

QString InstallAdvice(const QString& path) {
  // The light applications scripts/install-deps brings for the sample content.
  const QMimeType type = QMimeDatabase().mimeTypeForFile(path);
  struct Viewer {
    const char* type;
    const char* kind;
    const char* package;
  };
  static const Viewer viewers[] = {{"text/html", "a web browser", "netsurf-gtk"},
                                   {"application/pdf", "a PDF viewer", "mupdf"},
                                   {"text/plain", "a text editor", "featherpad"}};
  for (const Viewer& v : viewers) {
    if (type.inherits(QLatin1String(v.type))) {
      return QStringLiteral("Install %1, for example with this command:\r\nsudo apt-get install %2")
          .arg(QLatin1String(v.kind), QLatin1String(v.package));
    }
  }
  return QStringLiteral("Install an application that opens files of the type %1 (%2).").arg(type.comment(), type.name());
}

int ShowPage(const QString& program, const QString& folder, const QString& argument) {
  QString page = Unquoted(argument.trimmed());
  if (page.isEmpty()) {
    page = program + QStringLiteral(".htm");
    if (!QFileInfo::exists(platform::ResolvePath(QDir(folder).filePath(page)))) page = QLatin1String(kStartPage);
  }
  const QString path = platform::ResolvePath(QDir(folder).filePath(platform::NativePath(page)));
  if (!QFileInfo(path).isFile()) {
    return Refuse(QStringLiteral("The page %1 is not in the folder %2.").arg(page, QDir::toNativeSeparators(folder)),
                  program);
  }
  platform::ProcessInformation info;
  if (!platform::CreateProcess(QStringLiteral("\"%1\"").arg(path), folder, info)) {
    return Refuse(QStringLiteral("No application on this computer can show the page %1.\r\n\r\n%2")
                      .arg(page, InstallAdvice(path)),
                  program);
  }
  info.process->WaitForExit();
  return 0;
}

}  // namespace standin
