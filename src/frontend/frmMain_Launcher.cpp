// The section launcher: a press on an item of the section list runs the
// section by its program type.
#include <QDir>

#include "frontend/Global.h"
#include "frontend/SectionLaunch.h"
#include "frontend/frmMain.h"
#include "platform/forms/Dialogs.h"
#include "platform/values/VbValues.h"
#include "platform/system/FileSystem.h"
#include "platform/system/Paths.h"
#include "platform/forms/Program.h"

namespace frontend {

using platform::MsgBox;
using platform::VbError;
namespace err = platform::err;

namespace {

const QString kError = QStringLiteral(" Error");

}  // namespace

struct frmMain::LaunchState {
  QString programType;
  QString start;
  QString parameter1, parameter2, parameter3;
  SectionPaths paths;
  int shellResult = 999;    // 999: nothing to report
  bool record = false;      // the study log records this launch
  bool recordOpen = false;  // its "start" row waits for the launch's own "stop"
  bool tracking = false;    // the inactivity guard watches the program's window

  // A file the user chose for one that was not found takes its place.
  void UseChosenFile(const QString& chosen) {
    paths.fullPath = platform::NativePath(chosen);
    const qsizetype slash = paths.fullPath.lastIndexOf(u'/');
    paths.workingFolder = paths.fullPath.left(slash);
    paths.fileName = paths.fullPath.mid(slash + 1);
  }
};

frmWait& frmMain::WaitForm() {
  if (!waitForm_) {
    waitForm_ = std::make_unique<frmWait>();
    waitForm_->SetLeft((platform::Screen::Width() - waitForm_->Width()) / 2);
    waitForm_->SetTop((platform::Screen::Height() - waitForm_->Height()) / 2);
  }
  return *waitForm_;
}

frmBrowser& frmMain::BrowserForm() {
  if (!browserForm_) browserForm_ = std::make_unique<frmBrowser>();
  return *browserForm_;
}

movieplayer::frmMoviePlayer& frmMain::MoviePlayerForm() {
  if (!moviePlayer_) moviePlayer_ = std::make_unique<movieplayer::frmMoviePlayer>();
  return *moviePlayer_;
}

void frmMain::lvwDB_MouseDown(int, int, double x, double y) {
  // 1: any button launches; empty space does nothing.
  platform::ListItem* item = lvwDB->HitTest(x, y);
  if (!item) return;
  // 2
  if (LoggingOn && SectionRecording) {
    MsgBox(QStringLiteral("The logging of your training is activated.") + platform::vbCrLf +
               QStringLiteral("Only one section can be viewed at a time.") + platform::vbCrLf +
               QStringLiteral("Please close the currently opened section before starting this one.") + platform::vbCrLf,
           platform::vbInformation, QStringLiteral("Logging mode - Unable to start a second section"));
    return;
  }

  // 3: from here on errors end the press with a message.
  LaunchState launch;
  try {
    // 4: the sub-items by position, each only when the item has it.
    auto subItem = [item](int position) {
      return item->SubItemCount() >= position ? item->SubItemText(position) : QString();
    };
    launch.programType = subItem(2);
    launch.start = subItem(3);
    launch.parameter1 = subItem(4);
    launch.parameter2 = subItem(5);
    launch.parameter3 = subItem(6);
    // 5
    if (!QDir::setCurrent(AppFolder.isEmpty() ? QStringLiteral("/") : AppFolder))
      platform::Raise(err::PathNotFound);
    launch.shellResult = 999;
    // 6
    launch.paths = ComposeSectionPaths(AppFolder, launch.start);
    // 7
    if (LoggingOn) {
      LaunchStep(launch, [&] {
        platform::TreeNode* node = tvwDB->SelectedItem();
        if (!node) platform::Raise(err::ObjectNotSet);
        // The item under the pointer is the one pressed when no move has
        // highlighted it yet.
        platform::ListItem* shown = lvwDB->DropHighlight() ? lvwDB->DropHighlight() : item;
        const QString sectionName = node->Text() + QStringLiteral(" - ") + shown->Text();
        if (IsRecordedSection(sectionName)) {
          launch.record = true;
          launch.tracking = false;
          CurrentSectionName = sectionName;
          bool ok = false;
          LogStudyEvent(QStringLiteral("start"), LoggedUserName, sectionName, -1, ok);
          launch.recordOpen = ok;
          if (!ok)
            MsgBox(QStringLiteral("Recording error due to technical problem"), platform::vbCritical,
                   QStringLiteral("Recording error"));
        } else {
          launch.record = false;
        }
      });
      SetMousePointer(platform::vbNoDrop);
      lvwDB->SetToolTipText(QStringLiteral("Logging mode: close first previous section"));
    } else {
      launch.record = false;
      SetMousePointer(platform::vbHourglass);
      lvwDB->SetToolTipText(QString());
    }
    // 8
    LaunchByType(launch);
  } catch (const VbError& e) {
    SetMousePointer(platform::vbDefault);
    if (e.Number() == err::BadFileName)
      MsgBox(QStringLiteral("Sorry, file ") + launch.paths.fileName + QStringLiteral(" not found."),
             platform::vbExclamation, kError);
    else
      MsgBox(e.Description(), platform::vbExclamation, kError);
    SetMousePointer(platform::vbDefault);
    lvwDB->SetToolTipText(QString());
    SectionRecording = false;
    CloseRecordOfUnrunSection(launch);
    return;
  } catch (const LaunchAbandoned&) {
    SetMousePointer(platform::vbDefault);
    lvwDB->SetToolTipText(QString());
    SectionRecording = false;
    CloseRecordOfUnrunSection(launch);
    return;
  }
  // 9: the common end.
  SetMousePointer(platform::vbDefault);
  lvwDB->SetToolTipText(QString());
  SectionRecording = false;
  ShowShellResult(launch.shellResult);
  CloseRecordOfUnrunSection(launch);
}

void frmMain::LaunchStep(LaunchState& launch, const std::function<void()>& step) {
  RunLaunchStep(
      step,
      [&] {
        SetMousePointer(platform::vbDefault);
        return BrowseForMissingFile(launch.start);
      },
      [&](const QString& chosen) { launch.UseChosenFile(chosen); });
}

void frmMain::LaunchByType(LaunchState& launch) {
  const QString& type = launch.programType;
  const SectionPaths& p = launch.paths;
  if (type == QLatin1String("EXE")) {
    WaitForm().Show(1);
    const QString arguments = ComposeArguments(launch.parameter1, launch.parameter2, launch.parameter3);
    LaunchStep(launch, [&] {
      if (!launch.record)
        launch.shellResult = platform::ShellExecute(QStringLiteral("open"), p.fullPath, arguments, p.workingFolder);
      else
        RecordedProgramStart(launch, QuoteChar + p.fullPath + QuoteChar + u' ' + arguments);
    });
  } else if (type == QLatin1String("WEBPACK")) {
    WaitForm().Show(1);
    const QString page = ComposePage(launch.parameter1);
    LaunchStep(launch, [&] {
      if (!launch.record) {
        launch.shellResult = platform::ShellExecute(QStringLiteral("open"), p.fullPath, page, p.workingFolder);
      } else {
        // A page with a blank is in quotes already.
        const QString quoted = page.startsWith(QuoteChar) ? page : QuoteChar + page + QuoteChar;
        RecordedProgramStart(launch, p.fullPath + u' ' + quoted);
      }
    });
  } else if (type == QLatin1String("NOTHING")) {
    // Not a launch that failed: the visit is recorded as begun and left open.
    launch.recordOpen = false;
    MsgBox(QStringLiteral("Sorry, this option is not available."), platform::vbExclamation,
           QStringLiteral(" Not available"));
  } else if (type == QLatin1String("CHM")) {
    LaunchStep(launch, [&] {
      if (!launch.record)
        launch.shellResult = platform::ShellExecute(QStringLiteral("open"), p.fullPath, QString(), p.workingFolder);
      else
        RecordedProgramStart(launch, QStringLiteral("hh.exe ") + QuoteChar + p.fullPath + QuoteChar);
    });
  } else if (type == QLatin1String("VIDEO_INT")) {
    WaitForm().Show(1);
    LaunchStep(launch, [&] {
      const QString movie = FindMovie(p.fullPath, p.fileName);
      if (!movie.isEmpty())
        MoviePlayerForm().StartMovie(movie);
      else
        MsgBox(QStringLiteral("Sorry, the specified movie was not found."), platform::vbExclamation, kError);
    });
    if (launch.record) StopRecording(launch);
  } else if (type == QLatin1String("ANI")) {
    WaitForm().Show(1);
    bool shown = false;
    LaunchStep(launch, [&] {
      if (!platform::Dir(p.fullPath, platform::vbReadOnly | platform::vbArchive).isEmpty()) {
        frmBrowser& browser = BrowserForm();
        browser.StartingAddress = platform::ResolvePath(p.fullPath);
        // A dialog of this window, the one it blocks, but not one of its
        // widgets: a web view inside this window's widget tree stops this
        // window from repainting what the web page covered.
        browser.Show(1);
        shown = true;
      } else {
        MsgBox(QStringLiteral("Sorry, the specified animation was not found."), platform::vbExclamation, kError);
      }
    });
    if (launch.record && shown) StopRecording(launch);
  } else {
    // Any other type is a document.
    LaunchStep(launch, [&] {
      if (!launch.record)
        launch.shellResult = platform::ShellExecute(QStringLiteral("open"), p.fullPath, QString(), p.workingFolder);
      else
        RecordedProgramStart(launch, p.fullPath);
    });
  }
}

void frmMain::RecordedProgramStart(LaunchState& launch, const QString& commandLine) {
  const SectionPaths& p = launch.paths;
  // 1
  if (platform::Dir(platform::ProgramPath(p.fullPath), platform::vbReadOnly | platform::vbHidden |
                                                           platform::vbArchive)
          .isEmpty()) {
    MsgBox(QStringLiteral("The specified file was not found."), platform::vbExclamation, kError);
    return;
  }
  // 2
  // A start that fails says why, as the same file opened without logging
  // does ("There is no application associated ..." for a document whose
  // type has none), not just "Unknown error".
  platform::ProcessInformation process;
  int failure = 0;
  if (!platform::CreateProcess(commandLine, p.workingFolder, process, &failure)) {
    launch.shellResult = failure;
    return;
  }
  // 3
  if (launch.tracking) tmrSectionIsActive->SetEnabled(true);
  WaitForProcess(process, launch.tracking);
  // 4
  StopRecording(launch);
}

void frmMain::StopRecording(LaunchState& launch) {
  launch.recordOpen = false;
  StopRecording(launch.programType == QLatin1String("CHM"));
}

// A recorded press whose section never ran (nothing available, a file or an
// application missing, an error on the way) closes its row as the press
// ends, its message answered: the visit lasted no longer than the press, and
// a row left open would stay open for good, since each "start" appends a row
// of its own.
void frmMain::CloseRecordOfUnrunSection(LaunchState& launch) {
  if (!launch.recordOpen) return;
  try {
    StopRecording(launch);
  } catch (const VbError& e) {
    MsgBox(e.Description(), platform::vbExclamation, kError);
  }
}

void frmMain::StopRecording(bool chm) {
  bool ok = false;
  LogStudyEvent(QStringLiteral("stop"), QStringLiteral("nobody"), QStringLiteral("none"), -1, ok);
  if (!ok)
    MsgBox(chm ? QStringLiteral("Recording error due to a technical problem")
               : QStringLiteral("Recording error due to technical problem"),
           platform::vbCritical, QStringLiteral("Recording error"));
}

}  // namespace frontend
