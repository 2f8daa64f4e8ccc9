// Study-time logging: the log-on with its recent user names, the study
// record, the wait for a recorded program, and the two guards that stop a
// record when the clock jumps or the program's window stays unchanged.
#include <QDeadlineTimer>
#include <QMenuBar>
#include <cmath>

#include "frontend/Global.h"
#include "frontend/Handles.h"
#include "frontend/frmMain.h"
#include "platform/values/Clock.h"
#include "platform/forms/Dialogs.h"
#include "platform/values/Edition.h"
#include "platform/forms/Program.h"
#include "platform/system/Registry.h"
#include "platform/values/VbValues.h"

namespace frontend {

using platform::MsgBox;
using platform::VbError;
namespace err = platform::err;

namespace {

const QString kReset = QStringLiteral("reset");
const QString kRunning = QStringLiteral("running");
const QString kCancelled = QStringLiteral("cancelled by user");
const QString kLogKey = QStringLiteral("Tarrowby International\\Tarrowby\\Training\\Log");
const QString kStudyPassword = QStringLiteral("dun kl0aver");
constexpr int kGuardInterval = 10000;
constexpr int kMinimumNameLength = 5;
constexpr int kMaxUnchangedTicks = 60;
constexpr double kMinutesPerDay = 1440;
// Linux has no input-idle signal: a tracked program is taken as ready once
// its window is up, or after this long.
constexpr int kInputIdleLimitMs = 5000;
constexpr int kWindowLookMs = 200;

QString CaptionOff() { return QStringLiteral(" TARROWBY TRAINING"); }

// "SOFTWARE\Tarrowby International\QVRV 5\OOW" or "...\MM".
QString EditionKey() {
  return QStringLiteral("SOFTWARE\\Tarrowby International\\QVRV 5\\") +
         (platform::EditionCode() == QLatin1String("OOW") ? QStringLiteral("OOW") : QStringLiteral("MM"));
}

// Stores the logging choice; the box when it cannot be stored.
void SaveLoggingChoice(const QString& value, const QString& change) {
  platform::HKEY key = 0;
  bool saved = platform::RegOpenKey(platform::HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE"), &key) ==
               platform::ERROR_SUCCESS;
  if (saved) {
    // A value that could not be written is not saved either.
    saved = platform::RegSetValue(key, kLogKey, platform::REG_SZ, value) == platform::ERROR_SUCCESS;
    platform::RegCloseKey(key);
  }
  if (!saved)
    MsgBox(QStringLiteral("Sorry, unable to save your change (logging ") + change +
               QStringLiteral(") for the next program execution."),
           platform::vbInformation, QStringLiteral("Logging option changed"));
}

void ShowRecordingError() {
  MsgBox(QStringLiteral("Recording error due to technical problem"), platform::vbCritical,
         QStringLiteral("Recording error"));
}

// A guard's "stop": a database error is reported and the program goes on.
void GuardStop(frmMain& form, double time) {
  bool ok = false;
  try {
    form.LogStudyEvent(QStringLiteral("stop"), QStringLiteral("nobody"), QStringLiteral("none"), time, ok);
  } catch (const VbError& e) {
    MsgBox(QStringLiteral("Recording error due to technical problem") + platform::vbCrLf + e.Description(),
           platform::vbCritical, QStringLiteral("Recording error"));
    return;
  }
  if (!ok) ShowRecordingError();
}

// A file that opens but has no study list to write cannot log: it counts as
// a study database that is not there, found out at the log-on rather than
// at the first section, after the user believes the study is recorded.
void CheckStudyList(platform::Connection& connection) {
  try {
    platform::Recordset rs;
    rs.Open(connection, QStringLiteral("SELECT NamePerson, NameSection, TimeIn, TimeOut FROM StudyList WHERE 1 = 0"));
    rs.Close();
  } catch (const VbError& e) {
    if (e.Number() != err::TableNotFound && e.Number() != err::ParameterMissing) throw;
    platform::Raise(err::ProviderFailure,
                    QStringLiteral("'%1' holds no table StudyList with the fields NamePerson, NameSection, TimeIn "
                                   "and TimeOut.")
                        .arg(connection.DataSource()));
  }
}

}  // namespace

frmMain::DatabaseRecovery StudyDatabaseRecovery() {
  return {QStringLiteral("TKBStudy.mdb"), QStringLiteral("Study records file not found:"),
          QStringLiteral("Sorry, study records file still not found:"), platform::adModeReadWrite, kStudyPassword,
          CheckStudyList};
}

void frmMain::CreateStudyLogControls() {
  mnuUsers = MenuBar()->addMenu(QStringLiteral("&Users"));
  mnuUsers->setEnabled(false);  // the start-up enables it
  mnuUsersLog = mnuUsers->addMenu(QStringLiteral("Logging study"));
  mnuUsersLogOn = mnuUsersLog->addAction(QStringLiteral("On"));
  mnuUsersLogOn->setCheckable(true);
  mnuUsersLogOff = mnuUsersLog->addAction(QStringLiteral("Off"));
  mnuUsersLogOff->setCheckable(true);
  mnuUsersLogOff->setChecked(true);
  connect(mnuUsersLogOn, &QAction::triggered, this, [this] {
    platform::RunHandler([&] { mnuUsersLogOn_Click(); });
  });
  connect(mnuUsersLogOff, &QAction::triggered, this, [this] {
    platform::RunHandler([&] { mnuUsersLogOff_Click(); });
  });

  tmrClockValidity = new platform::Timer(this, kGuardInterval);
  tmrClockValidity->Tag = kReset;
  tmrClockValidity->OnTimer = [this] { platform::RunHandler([&] { tmrClockValidity_Timer(); }); };
  tmrSectionIsActive = new platform::Timer(this, kGuardInterval);
  tmrSectionIsActive->Tag = kReset;
  tmrSectionIsActive->OnTimer = [this] { platform::RunHandler([&] { tmrSectionIsActive_Timer(); }); };
}

void frmMain::SetLogging(bool on) {
  if (!on) LoggedUserName.clear();
  mnuUsersLogOff->setChecked(!on);
  mnuUsersLogOn->setChecked(on);
  LoggingOn = on;
  SetCaption(on ? CaptionOff() + QStringLiteral(" - logging study for ") + LoggedUserName : CaptionOff());
}

void frmMain::mnuUsersLogOn_Click() {
  SaveLoggingChoice(QStringLiteral("1"), QStringLiteral("on"));
  LogOnUser();
}

void frmMain::mnuUsersLogOff_Click() {
  SaveLoggingChoice(QStringLiteral("0"), QStringLiteral("off"));
  // A running record stays open until its section ends; the guards switch
  // themselves off at their next tick.
  SetLogging(false);
}

void frmMain::LogOnUser() {
  const std::vector<std::function<void()>> steps = {
      [&] { LoadRecentUsers(RecentUsers); },
      [&] { EnteredUserName.clear(); },
      [&] {
        platform::PromptRequest request;
        request.prompt = QStringLiteral("Your name (Surname FirstName), at least 5 characters:");
        request.title = QStringLiteral("Logging study");
        for (const QString& name : RecentUsers)
          if (!name.isEmpty()) request.suggestions << name;
        bool cancelled = false;
        const QString typed = platform::ShowPrompt(request, &cancelled);
        EnteredUserName = cancelled ? kCancelled : typed;
      },
      [&] { LoggedUserName = EnteredUserName; },
      [&] {
        if (!LoggedUserName.isEmpty() && LoggedUserName != kCancelled) {
          // Blanks alone are no name, however many.
          if (LoggedUserName.size() >= kMinimumNameLength && !platform::Trim(LoggedUserName).isEmpty()) {
            LoggedUserName = platform::Trim(LoggedUserName);
            SaveRecentUser(RecentUsers, LoggedUserName);
            SetLogging(true);
            return;
          }
          MsgBox(QStringLiteral("No (correct) user name (Surname FirstName) given.") + platform::vbCrLf +
                     QStringLiteral("Minimum 5 characters.") + platform::vbCrLf +
                     QStringLiteral("Logging cancelled for this session."),
                 platform::vbExclamation, QStringLiteral("Logging cancelled"));
        }
        SetLogging(false);
      },
      [&] {
        if (!LoggingOn) return;
        StudyConnection = std::make_unique<platform::Connection>();
        StudyConnection->ConnectionString =
            platform::JetConnectionString(AppFolder + QStringLiteral("/Training/db/TKBStudy.mdb"), kStudyPassword);
        StudyConnection->Mode = platform::adModeReadWrite;
        StudyConnection->Open();
        CheckStudyList(*StudyConnection);
      },
  };
  RunDatabaseSteps(steps, StudyConnection, StudyDatabaseRecovery());
}

void frmMain::LoadRecentUsers(std::array<QString, 5>& recentUsers) {
  for (int i = 1; i <= 5; ++i) {
    platform::HKEY key = 0;
    if (platform::RegOpenKey(platform::HKEY_LOCAL_MACHINE,
                             EditionKey() + QStringLiteral("\\LastLogUsers\\User") + QString::number(i),
                             &key) != platform::ERROR_SUCCESS) {
      recentUsers[i - 1].clear();
      continue;
    }
    constexpr int kBuffer = 129;
    QString buffer(kBuffer, QChar(0));
    std::int32_t size = kBuffer;
    platform::RegQueryValue(key, QString(), &buffer, &size);
    if (buffer[kBuffer - 1] == QChar(0)) recentUsers[i - 1] = platform::Trim(buffer.left(buffer.indexOf(QChar(0))));
    platform::RegCloseKey(key);
  }
}

void frmMain::SaveRecentUser(const std::array<QString, 5>& recentUsers, const QString& newName) {
  for (const QString& name : recentUsers)
    if (name == newName) return;
  platform::HKEY key = 0;
  if (platform::RegOpenKey(platform::HKEY_LOCAL_MACHINE, EditionKey(), &key) != platform::ERROR_SUCCESS &&
      !newName.isEmpty()) {
    // No installer made the edition's key: the first name saved makes it.
    platform::RegSetValue(platform::HKEY_LOCAL_MACHINE, EditionKey() + QStringLiteral("\\LastLogUsers\\User1"),
                          platform::REG_SZ, newName);
    platform::RegOpenKey(platform::HKEY_LOCAL_MACHINE, EditionKey(), &key);
  }
  const std::array<std::pair<int, QString>, 5> values = {{
      {1, newName}, {2, recentUsers[0]}, {3, recentUsers[1]}, {4, recentUsers[2]}, {5, recentUsers[3]}}};
  for (const auto& [i, name] : values)
    if (!name.isEmpty())
      platform::RegSetValue(key, QStringLiteral("LastLogUsers\\User") + QString::number(i), platform::REG_SZ, name);
  platform::RegCloseKey(key);
}

void frmMain::LogStudyEvent(const QString& action, const QString& person, const QString& section, double time,
                            bool& ok) {
  ok = false;
  if (!StudyConnection)
    platform::Raise(err::ConnectionNotUsable,
                    QStringLiteral("The connection cannot be used to perform this operation. It is either closed "
                                   "or invalid in this context."));
  // 1: the last row the table gives is the current record.
  platform::Recordset rs;
  rs.Open(*StudyConnection, QStringLiteral("StudyList"));
  if (!rs.IsEOF()) rs.MoveLast();
  // 2, 3
  if (time == -1) time = platform::Clock::NowSerial();
  const QString verb = platform::Trim(action).toLower();
  if (verb == QLatin1String("start")) {
    if (person == QLatin1String("nobody") || section == QLatin1String("none")) return;
    RecordPerson = person;
    RecordSection = section;
    tmrClockValidity->Tag = kReset;
    tmrClockValidity->SetEnabled(true);
    SectionRecording = true;
    RecordStopped = false;
    rs.AddNew();
    rs.SetValue(QStringLiteral("NamePerson"), RecordPerson);
    rs.SetValue(QStringLiteral("NameSection"), RecordSection);
    rs.SetValue(QStringLiteral("TimeIn"), platform::Variant::Date(time));
    rs.Update();
    rs.Close();
    ok = true;
  } else if (verb == QLatin1String("stop")) {
    if (RecordStopped) {
      ok = true;
      return;
    }
    const platform::Variant timeOut = rs.Value(QStringLiteral("TimeOut"));
    if (!timeOut.IsNull() && timeOut.ToDouble() > 0) return;
    rs.SetValue(QStringLiteral("TimeOut"), platform::Variant::Date(time));
    rs.Update();
    rs.Close();
    RecordStopped = true;
    tmrClockValidity->SetEnabled(false);
    tmrSectionIsActive->SetEnabled(false);
    ok = true;
  }
}

void frmMain::WaitForProcess(const platform::ProcessInformation& process, bool tracking) {
  if (!process.process) return;
  if (tracking) {
    QDeadlineTimer ready(kInputIdleLimitMs);
    SectionWindow = Handles::FindProcessWindow(process.processId);
    while (SectionWindow == 0 && !ready.hasExpired() && !process.process->WaitForExit(kWindowLookMs))
      SectionWindow = Handles::FindProcessWindow(process.processId);
    if (SectionWindow == 0) tmrSectionIsActive->SetEnabled(false);
  }
  // Sleeps in the event loop until the process's end wakes it: windows,
  // timers and the guards keep running meanwhile.
  process.process->WaitForExit();
}

void frmMain::tmrClockValidity_Timer() {
  if (!LoggingOn) {
    tmrClockValidity->SetEnabled(false);
    return;
  }
  if (tmrClockValidity->Tag == kReset || LastClockCheck == 0) {
    LastClockCheck = platform::Clock::NowSerial();
    tmrClockValidity->Tag = kRunning;
  }
  const double now = platform::Clock::NowSerial();
  const double minutes = std::abs(now - LastClockCheck) * kMinutesPerDay;
  if (minutes <= 5) {
    LastClockCheck = now;
    return;
  }
  // The clock was set forward or back, or the computer slept.
  MsgBox(QStringLiteral("Sorry, you cannot modify the clock when the logging is active.") + platform::vbCrLf +
             QStringLiteral("The current section logging is now stopped.") + platform::vbCrLf +
             QStringLiteral("Resume logging by closing then restarting the section."),
         platform::vbSystemModal | platform::vbExclamation, QStringLiteral(" Clock error"));
  GuardStop(*this, LastClockCheck);
  tmrClockValidity->Tag = kReset;
  LastClockCheck = 0;
}

void frmMain::tmrSectionIsActive_Timer() {
  if (!LoggingOn) {
    tmrSectionIsActive->SetEnabled(false);
    return;
  }
  if (tmrSectionIsActive->Tag == kReset) {
    InactiveTicks = 0;
    LastWindowTitle.clear();
    tmrSectionIsActive->Tag = kRunning;
  }
  const QString title = Handles::GetWindowText(SectionWindow);
  if (title == LastWindowTitle)
    ++InactiveTicks;
  else
    InactiveTicks = 0;
  if (InactiveTicks <= kMaxUnchangedTicks) {
    LastWindowTitle = title;
    return;
  }
  // About ten minutes without a change: the last nine are not study time.
  GuardStop(*this, platform::Clock::NowSerial() - 9 / kMinutesPerDay);
  MsgBox(QStringLiteral("Sorry, the section ") + CurrentSectionName + QStringLiteral(" was inactive for too long.") +
             platform::vbCrLf + QStringLiteral("The study time recording stops now.") + platform::vbCrLf +
             QStringLiteral("Resume recording by closing then restarting the section."),
         platform::vbSystemModal | platform::vbExclamation, QStringLiteral("Logging interrupted"));
  tmrSectionIsActive->SetEnabled(false);
  tmrSectionIsActive->Tag = kReset;
  InactiveTicks = 0;
  LastWindowTitle.clear();
}

}  // namespace frontend
