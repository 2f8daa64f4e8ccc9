// The File menu's Exit, the Help menu (help file and version box) and the
// Users menu's items that start the training report program.
#include <QDir>
#include <QMenuBar>

#include "frontend/Global.h"
#include "frontend/SectionLaunch.h"
#include "frontend/frmMain.h"
#include "platform/forms/Dialogs.h"
#include "platform/values/Edition.h"
#include "platform/system/Paths.h"
#include "platform/forms/Program.h"
#include "platform/system/Shell.h"

#ifndef QVR_VERSION_MAJOR
#error "the program's version comes from the build"
#endif

namespace frontend {

using platform::MsgBox;
using platform::VbError;
namespace err = platform::err;

QString HelpFileFor(const QString& editionCode) {
  return editionCode == QLatin1String("OOW") ? QStringLiteral("QVRV5_OOW\\Corvanta.chm")
                                             : QStringLiteral("QVRV5_MM\\QVRV5MM.chm");
}

QString VersionTextFor(const QString& editionCode) {
  const QString first = editionCode == QLatin1String("OOW")
                            ? QStringLiteral("QVR V5 OOW by Tarrowby International")
                            : QStringLiteral("QVR V5 Mates/Masters by Tarrowby International");
  return first + QStringLiteral("\r\nProgram version ") + QString::number(QVR_VERSION_MAJOR) + u'.' +
         QString::number(QVR_VERSION_MINOR) + u'.' + QString::number(QVR_VERSION_PATCH);
}

void frmMain::CreateUsersAndHelpMenus() {
  mnuUsersReport = mnuUsers->addAction(QStringLiteral("Reporting system..."));
  mnuUsersAssessor = mnuUsers->addAction(QStringLiteral("Assessors management..."));
  connect(mnuUsersReport, &QAction::triggered, this, [this] {
    platform::RunHandler([&] { mnuUsersReport_Click(); });
  });
  connect(mnuUsersAssessor, &QAction::triggered, this, [this] {
    platform::RunHandler([&] { mnuUsersAssessor_Click(); });
  });

  mnuHelp = MenuBar()->addMenu(QStringLiteral("&Help"));
  mnuHelpVersion = mnuHelp->addAction(QStringLiteral("Program &version"));
  mnuHelpFile = mnuHelp->addAction(QStringLiteral("QVR Help"));
  connect(mnuHelpVersion, &QAction::triggered, this, [this] {
    platform::RunHandler([&] { mnuHelpVersion_Click(); });
  });
  connect(mnuHelpFile, &QAction::triggered, this, [this] {
    platform::RunHandler([&] { mnuHelpFile_Click(); });
  });
}

void frmMain::mnuExit_Click() {
  if (waitForm_ && waitForm_->IsLoaded()) waitForm_->Unload();
  Unload();
}

void frmMain::mnuHelpFile_Click() {
  const QString relative = HelpFileFor(platform::EditionCode());
  QString chosen;    // a file the user picked for one that was not found
  QString fileName;  // the help file's name, for the message of error 52
  try {
    RunLaunchStep(
        [&] {
          if (!QDir::setCurrent(AppFolder.isEmpty() ? QStringLiteral("/") : AppFolder))
            platform::Raise(err::PathNotFound);
          int result = 999;
          const QString base = AppFolder.endsWith(u'/') ? AppFolder : AppFolder + u'/';
          const QString fullPath = chosen.isEmpty() ? base + platform::NativePath(relative) : chosen;
          const qsizetype p = fullPath.lastIndexOf(u'/');
          const QString folder = fullPath.left(p);
          fileName = fullPath.mid(p + 1);
          result = platform::ShellExecute(QStringLiteral("open"), fullPath, QString(), folder, 1);
          ShowShellResult(result);
        },
        [&] {
          SetMousePointer(platform::vbDefault);
          return BrowseForMissingFile(relative);
        },
        [&](const QString& file) { chosen = file; });
  } catch (const VbError& e) {
    SetMousePointer(platform::vbDefault);
    if (e.Number() == err::BadFileName)
      MsgBox(QStringLiteral("Sorry, file ") + fileName + QStringLiteral(" not found."), platform::vbExclamation,
             QStringLiteral(" Error"));
    else
      MsgBox(e.Description(), platform::vbExclamation, QStringLiteral(" Error"));
    SetMousePointer(platform::vbDefault);
    lvwDB->SetToolTipText(QString());
  } catch (const LaunchAbandoned&) {
    SetMousePointer(platform::vbDefault);
    lvwDB->SetToolTipText(QString());
  }
}

void frmMain::mnuHelpVersion_Click() {
  MsgBox(VersionTextFor(platform::EditionCode()), platform::vbInformation, QStringLiteral("About the program"));
}

void frmMain::mnuUsersReport_Click() {
  const QString folder = AppFolder + QStringLiteral("/Training");
  const QString program = folder + QStringLiteral("/TKBTrainingReport.exe");
  ShowShellResult(platform::ShellExecute(QStringLiteral("open"), program, QString(), folder, 1));
}

void frmMain::mnuUsersAssessor_Click() { mnuUsersReport_Click(); }

}  // namespace frontend
