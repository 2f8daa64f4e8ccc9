#include "frontend/SectionLaunch.h"

#include <QStringList>

#include "platform/forms/Dialogs.h"
#include "platform/system/Drives.h"
#include "platform/system/FileSystem.h"
#include "platform/system/Paths.h"
#include "platform/values/VbError.h"
#include "platform/values/VbValues.h"

namespace frontend {

using namespace platform;

SectionPaths ComposeSectionPaths(const QString& appFolder, const QString& start) {
  SectionPaths p;
  p.folder = appFolder.endsWith(u'/') ? appFolder : appFolder + u'/';
  p.fullPath = p.folder + NativePath(start);
  const qsizetype slash = p.fullPath.lastIndexOf(u'/');
  p.workingFolder = p.fullPath.left(slash);
  p.fileName = p.fullPath.mid(slash + 1);
  return p;
}

QString ComposeArguments(const QString& parameter1, const QString& parameter2, const QString& parameter3) {
  QString arguments;
  if (!parameter1.isEmpty()) arguments = parameter1;
  if (!parameter2.isEmpty()) arguments += u' ' + parameter2;
  if (!parameter3.isEmpty()) arguments += u' ' + parameter3;
  return arguments;
}

QString ComposePage(const QString& parameter1) {
  QString page = parameter1.isEmpty() ? QStringLiteral("tkb300565.htm") : parameter1;
  if (page.contains(u' ')) page = u'"' + page + u'"';
  return page;
}

QString ShellResultMessage(int result) {
  if (result > 32) return QString();
  switch (result) {
    case 2: return QStringLiteral("The specified file was not found.");
    case 3: return QStringLiteral("Path not found");
    case 5: return QStringLiteral("Access denied");
    case 8: return QStringLiteral("Out of memory");
    case 11: return QStringLiteral("Invalid EXE file or error in EXE image");
    case 26: return QStringLiteral("A sharing violation occurred");
    case 27: return QStringLiteral("Incomplete or invalid file association");
    case 28: return QStringLiteral("DDE Time out");
    case 29: return QStringLiteral("DDE transaction failed");
    case 30: return QStringLiteral("DDE busy");
    case 31: return QStringLiteral("There is no application associated with the given file name extension.");
    case 32: return QStringLiteral("DLL not found");
    default: return QStringLiteral("Unknown error");
  }
}

void ShowShellResult(int result) {
  if (result <= 32) MsgBox(ShellResultMessage(result), vbExclamation, QStringLiteral(" Error"));
}

bool IsRecordedSection(const QString& sectionName) {
  for (const char* word : {"assessment", "assessors", "demo -", "reporting system ("})
    if (InStr(sectionName, QLatin1String(word), true) > 0) return false;
  return true;
}

QString FindMovie(const QString& fullPath, const QString& fileName) {
  if (!Dir(fullPath, vbReadOnly | vbArchive).isEmpty()) return fullPath;

  QString drives;
  const int n = GetLogicalDriveStrings(kDriveBufferLength, drives);
  drives = drives.left(n);
  const QString movie = QStringLiteral("TarrowbyVid/") + fileName;
  QStringList cdRoots;
  for (qsizetype nul = drives.indexOf(QChar(u'\0')); nul >= 0; nul = drives.indexOf(QChar(u'\0'))) {
    const QString root = drives.left(nul);
    drives.remove(0, nul + 1);
    if (GetDriveType(root) == DRIVE_CDROM) {
      cdRoots << root;
    } else if (!DirOnVolume(root, movie, vbReadOnly | vbArchive).isEmpty()) {
      return root + movie;
    }
  }
  // Only the first CD-ROM drive is searched, or the first one with a disc.
  for (qsizetype i = 0; i < cdRoots.size(); ++i) {
    try {
      return DirOnVolume(cdRoots[i], movie, vbReadOnly | vbArchive).isEmpty() ? QString() : cdRoots[i] + movie;
    } catch (const VbError& e) {
      if (e.Number() != err::BadFileName || i + 1 == cdRoots.size()) throw;
    }
  }
  return QString();
}

void RunLaunchStep(const std::function<void()>& step, const std::function<QString()>& browse,
                   const std::function<void(const QString& chosen)>& useChosen) {
  for (;;) {
    try {
      step();
      return;
    } catch (const VbError& e) {
      if (e.Number() != err::FileNotFound) throw;
    }
    const QString chosen = browse();
    if (chosen.isEmpty()) {
      MsgBox(QStringLiteral("Sorry, file not found."), vbExclamation, QStringLiteral(" Error"));
      throw LaunchAbandoned{};
    }
    useChosen(chosen);
  }
}

}  // namespace frontend
