// Study-time logging: the log-on with its name rule and recent users, the
// study record's rows, and the clock and inactivity guards, driven through
// the real main window over a study database of its own.
#include <QFile>
#include <gtest/gtest.h>

#include "ArgsProbe.h"
#include "StudyFixture.h"
#include "frontend/Global.h"
#include "frontend/Handles.h"
#include "platform/values/VbError.h"

using namespace frontend;
using fixture::Row;
using fixture::StudyRow;
using platform::Variant;

namespace {

const QString kCrLf = "\r\n";
const QString kOff = " TARROWBY TRAINING";
const QString kUsers = "SOFTWARE\\Tarrowby International\\QVRV 5\\OOW\\LastLogUsers\\User";
const QString kLog = "SOFTWARE\\Tarrowby International\\Tarrowby\\Training\\Log";
const QString kNameRefused = "No (correct) user name (Surname FirstName) given.\r\nMinimum 5 characters.\r\n"
                             "Logging cancelled for this session.";
const QString kClockError = "Sorry, you cannot modify the clock when the logging is active.\r\n"
                            "The current section logging is now stopped.\r\n"
                            "Resume logging by closing then restarting the section.";

std::vector<Row> Sections() { return {{"Navigation", "Soon", "stop", "NOTHING", {}, {}, {}, {}}}; }

class StudyLog : public fixture::StudyWindow {
 protected:
  void ExpectOff() const {
    EXPECT_FALSE(main->LoggingOn);
    EXPECT_EQ(main->LoggedUserName, "");
    EXPECT_TRUE(main->mnuUsersLogOff->isChecked());
    EXPECT_FALSE(main->mnuUsersLogOn->isChecked());
    EXPECT_EQ(main->Caption(), kOff);
  }
  // Logged on and a record started at the fixed clock.
  void StartRecord(const QString& section = "Navigation - Radar plotting") {
    LogOn("Smith John");
    ASSERT_TRUE(main->LoggingOn);
    main->CurrentSectionName = section;
    bool ok = false;
    main->LogStudyEvent("start", "Smith John", section, -1, ok);
    ASSERT_TRUE(ok);
  }
  std::vector<StudyRow> Rows() const { return fixture::ReadStudyRows(Study()); }
};

}  // namespace

// ---- Log-on

TEST_F(StudyLog, AFourCharacterNameIsRefusedAndLeavesLoggingOff) {
  Start(Sections(), "Navigation");
  LogOn("Smit");
  ASSERT_EQ(responder.boxes.size(), 1u);
  ExpectBox(0, kNameRefused, 48, "Logging cancelled");
  ExpectOff();
  EXPECT_EQ(main->StudyConnection, nullptr);  // the study database is not opened
  EXPECT_EQ(RegistryValue(kLog), "1");        // the choice is stored all the same
  // The prompt: our own title and text, no recent names yet.
  ASSERT_EQ(responder.prompts.size(), 1u);
  EXPECT_EQ(responder.prompts[0].title, "Logging study");
  EXPECT_EQ(responder.prompts[0].prompt, "Your name (Surname FirstName), at least 5 characters:");
  EXPECT_TRUE(responder.prompts[0].suggestions.isEmpty());
}

TEST_F(StudyLog, FiveCharactersWithBlanksAroundPassAndAreStoredTrimmed) {
  Start(Sections(), "Navigation");
  LogOn(" Lee ");  // five characters counted before trimming
  EXPECT_TRUE(responder.boxes.empty());
  EXPECT_TRUE(main->LoggingOn);
  EXPECT_EQ(main->LoggedUserName, "Lee");
  EXPECT_EQ(main->Caption(), " TARROWBY TRAINING - logging study for Lee");
  EXPECT_TRUE(main->mnuUsersLogOn->isChecked());
  EXPECT_FALSE(main->mnuUsersLogOff->isChecked());
  ASSERT_NE(main->StudyConnection, nullptr);
  EXPECT_TRUE(main->StudyConnection->IsOpen());
  EXPECT_EQ(main->StudyConnection->DataSource(), Study());
  EXPECT_FALSE(main->StudyConnection->IsReadOnly());
  EXPECT_EQ(RegistryValue(kUsers + "1"), "Lee");

  // Blanks alone are no name, however many.
  LogOn("       ");
  ExpectBox(0, kNameRefused, 48, "Logging cancelled");
  ExpectOff();
}

TEST_F(StudyLog, ACancelledOrEmptyPromptSwitchesOffWithoutAMessage) {
  Start(Sections(), "Navigation");
  LogOn("Smith John");
  ASSERT_TRUE(main->LoggingOn);
  responder.promptAnswers.push_back({"Smith John", true});  // typed, then cancelled
  main->mnuUsersLogOn_Click();
  ExpectOff();
  EXPECT_EQ(EnteredUserName, "cancelled by user");
  LogOn("Smith John");
  ASSERT_TRUE(main->LoggingOn);
  LogOn("");
  ExpectOff();
  EXPECT_TRUE(responder.boxes.empty());
  // The second prompt already offered the name stored by the first.
  ASSERT_EQ(responder.prompts.size(), 4u);
  EXPECT_EQ(responder.prompts[1].suggestions, QStringList{"Smith John"});
}

TEST_F(StudyLog, OffStoresItsChoiceAndSwitchesOffButLeavesTheConnection) {
  Start(Sections(), "Navigation");
  LogOn("Smith John");
  main->mnuUsersLogOff_Click();
  ExpectOff();
  EXPECT_EQ(RegistryValue(kLog), "0");
  ASSERT_NE(main->StudyConnection, nullptr);
  EXPECT_TRUE(main->StudyConnection->IsOpen());
  EXPECT_TRUE(responder.boxes.empty());
}

TEST_F(StudyLog, AChoiceThatCannotBeStoredIsReportedAndLoggingGoesOn) {
  Start(Sections(), "Navigation");
  SetRegistryValue(kLog, "0");
  QFile(platform::RegistryFile()).setPermissions(QFile::ReadOwner);
  LogOn("Smith John");
  ExpectBox(0, "Sorry, unable to save your change (logging on) for the next program execution.", 64,
            "Logging option changed");
  EXPECT_TRUE(main->LoggingOn);
  main->mnuUsersLogOff_Click();
  ExpectBox(1, "Sorry, unable to save your change (logging off) for the next program execution.", 64,
            "Logging option changed");
  ExpectOff();
  EXPECT_EQ(RegistryValue(kLog), "0");
  QFile(platform::RegistryFile()).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
}

TEST_F(StudyLog, AMissingStudyDatabaseIsAskedForAndTheChosenFileIsUsed) {
  Start(Sections(), "Navigation", false);
  const QString elsewhere = Path("elsewhere/study.mdb");
  fixture::WriteStudyDatabase(elsewhere);
  responder.files.push_back(elsewhere);
  LogOn("Smith John");
  ExpectBox(0, "Study records file not found:" + kCrLf + "Could not find file '" + Study() + "'.", 48, "Error");
  ASSERT_EQ(responder.fileRequests.size(), 1u);
  EXPECT_EQ(responder.fileRequests[0].title, "Can't Find TKBStudy.mdb");
  EXPECT_TRUE(main->LoggingOn);
  EXPECT_EQ(main->StudyConnection->DataSource(), elsewhere);
  bool ok = false;
  main->LogStudyEvent("start", "Smith John", "Navigation - Soon", -1, ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(fixture::ReadStudyRows(elsewhere).size(), 1u);
  EXPECT_EQ(catcher.ends, 0);
}

TEST_F(StudyLog, AMissingStudyDatabaseNotFoundAgainEndsTheProgram) {
  Start(Sections(), "Navigation", false);
  responder.promptAnswers.push_back({"Smith John"});
  EXPECT_THROW(main->mnuUsersLogOn_Click(), platform::ProgramEnded);
  ASSERT_EQ(responder.boxes.size(), 2u);
  ExpectBox(1, "Sorry, study records file still not found:" + kCrLf + "Could not find file '" + Study() + "'.", 16,
            "Fatal Error");
  EXPECT_EQ(catcher.ends, 1);
}

TEST_F(StudyLog, AStudyFileThatCannotLogIsFoundOutAtTheLogOn) {
  Start(Sections(), "Navigation", false);
  auto write = [](const QString& path, const QString& table) {
    QDir().mkpath(QFileInfo(path).path());
    platform::CreateDatabase(path, fixture::kStudyPassword);
    fixture::ExecuteOnStudy(path, table);
  };
  write(Study(), "CREATE TABLE Other (x)");
  const QString noTimeOut = Path("elsewhere/study.mdb");
  write(noTimeOut, "CREATE TABLE StudyList (NamePerson TEXT, NameSection TEXT, TimeIn DATETIME)");
  responder.files.push_back(noTimeOut);
  responder.promptAnswers.push_back({"Smith John"});
  EXPECT_THROW(main->mnuUsersLogOn_Click(), platform::ProgramEnded);
  const QString cannotLog = "' holds no table StudyList with the fields NamePerson, NameSection, TimeIn and TimeOut.";
  ExpectBox(0, "Study records file not found:" + kCrLf + "'" + Study() + cannotLog, 48, "Error");
  ASSERT_EQ(responder.fileRequests.size(), 1u);
  ExpectBox(1, "Sorry, study records file still not found:" + kCrLf + "'" + noTimeOut + cannotLog, 16, "Fatal Error");
}

// ---- Recent users

class RecentUserNames : public ::testing::Test {
 protected:
  void SetUp() override { platform::SetRegistryFile(dir.path() + "/HKEY_LOCAL_MACHINE.ini"); }
  void TearDown() override { platform::SetRegistryFile(QString()); }
  static void Store(const std::array<QString, 5>& names) {
    for (int i = 0; i < 5; ++i)
      if (!names[i].isNull())
        ASSERT_EQ(platform::RegSetValue(platform::HKEY_LOCAL_MACHINE, kUsers + QString::number(i + 1),
                                        platform::REG_SZ, names[i]),
                  platform::ERROR_SUCCESS);
  }
  static std::array<QString, 5> Load() {
    std::array<QString, 5> names;
    names.fill("stale");
    frmMain::LoadRecentUsers(names);
    return names;
  }
  static QByteArray FileBytes() {
    QFile f(platform::RegistryFile());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
  QTemporaryDir dir;
};

TEST_F(RecentUserNames, ANewNameComesFirstAndTheFifthIsDropped) {
  Store({"Adams Ann", "Brown Bob", "Clark Cy", "Dunn Di", "Evans Ed"});
  frmMain::SaveRecentUser(Load(), "Fox Flo");
  EXPECT_EQ(Load(), (std::array<QString, 5>{"Fox Flo", "Adams Ann", "Brown Bob", "Clark Cy", "Dunn Di"}));
}

TEST_F(RecentUserNames, ANameAlreadyThereWritesNothingButAnotherCaseIsNew) {
  Store({"Adams Ann", "Brown Bob", "Clark Cy", "", ""});
  const QByteArray before = FileBytes();
  frmMain::SaveRecentUser(Load(), "Clark Cy");
  EXPECT_EQ(FileBytes(), before);
  frmMain::SaveRecentUser(Load(), "CLARK CY");
  EXPECT_EQ(Load(), (std::array<QString, 5>{"CLARK CY", "Adams Ann", "Brown Bob", "Clark Cy", ""}));
}

TEST_F(RecentUserNames, AnEmptyEarlierEntryLeavesTheOneBelowAsItWas) {
  Store({"Adams Ann", QString(), "Clark Cy", "Dunn Di", "Evans Ed"});  // no User2
  const std::array<QString, 5> loaded = Load();
  EXPECT_EQ(loaded, (std::array<QString, 5>{"Adams Ann", "", "Clark Cy", "Dunn Di", "Evans Ed"}));
  frmMain::SaveRecentUser(loaded, "Fox Flo");
  EXPECT_EQ(Load(), (std::array<QString, 5>{"Fox Flo", "Adams Ann", "Clark Cy", "Clark Cy", "Dunn Di"}));
}

TEST_F(RecentUserNames, AFreshMachineGetsItsKeyWithTheFirstName) {
  EXPECT_EQ(Load(), (std::array<QString, 5>{"", "", "", "", ""}));
  frmMain::SaveRecentUser(Load(), "Adams Ann");
  EXPECT_EQ(Load(), (std::array<QString, 5>{"Adams Ann", "", "", "", ""}));
  frmMain::SaveRecentUser(Load(), "Brown Bob");
  EXPECT_EQ(Load(), (std::array<QString, 5>{"Brown Bob", "Adams Ann", "", "", ""}));
}

TEST_F(RecentUserNames, NamesReadBackTrimmedAndOneTooLongForTheBufferReadsEmpty) {
  Store({"  Adams Ann  ", QString(129, u'x'), QString(128, u'y'), "", ""});
  const std::array<QString, 5> loaded = Load();
  EXPECT_EQ(loaded[0], "Adams Ann");
  EXPECT_EQ(loaded[1], "");
  EXPECT_EQ(loaded[2], QString(128, u'y'));
}

// ---- The study record

TEST_F(StudyLog, StartAddsARowAndNobodyOrNoneAreRefused) {
  Start(Sections(), "Navigation");
  FixClock(QDateTime(QDate(2024, 3, 15), QTime(9, 30, 0)));
  LogOn("Smith John");
  bool ok = true;
  main->LogStudyEvent("start", "nobody", "Navigation - Soon", -1, ok);
  EXPECT_FALSE(ok);
  ok = true;
  main->LogStudyEvent("start", "Smith John", "none", -1, ok);
  EXPECT_FALSE(ok);
  ok = true;
  main->LogStudyEvent("pause", "Smith John", "Navigation - Soon", -1, ok);
  EXPECT_FALSE(ok);
  EXPECT_TRUE(Rows().empty());
  EXPECT_FALSE(main->SectionRecording);
  EXPECT_FALSE(main->tmrClockValidity->Enabled());

  main->tmrClockValidity->Tag = "running";
  main->LogStudyEvent("  START ", "Nobody", "Navigation - Soon", -1, ok);  // only "nobody" exactly is refused
  EXPECT_TRUE(ok);
  const auto rows = Rows();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].person.ToText(), "Nobody");
  EXPECT_EQ(rows[0].section.ToText(), "Navigation - Soon");
  EXPECT_EQ(rows[0].timeIn.type(), Variant::Type::Date);
  EXPECT_DOUBLE_EQ(rows[0].timeIn.ToDateSerial(), NowSerial());
  EXPECT_TRUE(rows[0].timeOut.IsNull());
  EXPECT_TRUE(main->SectionRecording);
  EXPECT_FALSE(main->RecordStopped);
  EXPECT_TRUE(main->tmrClockValidity->Enabled());
  EXPECT_EQ(main->tmrClockValidity->Tag, "reset");
}

TEST_F(StudyLog, StopWritesTheTimeOnceAndASecondStopWritesNothing) {
  Start(Sections(), "Navigation");
  FixClock(QDateTime(QDate(2024, 3, 15), QTime(9, 30, 0)));
  StartRecord();
  main->tmrSectionIsActive->SetEnabled(true);
  const double out = NowSerial() + 0.01;
  bool ok = false;
  main->LogStudyEvent("Stop", "nobody", "none", out, ok);
  EXPECT_TRUE(ok);
  EXPECT_TRUE(main->RecordStopped);
  EXPECT_FALSE(main->tmrClockValidity->Enabled());
  EXPECT_FALSE(main->tmrSectionIsActive->Enabled());
  ok = false;
  main->LogStudyEvent("stop", "nobody", "none", out + 1, ok);
  EXPECT_TRUE(ok);
  const auto rows = Rows();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_DOUBLE_EQ(rows[0].timeOut.ToDateSerial(), out);
}

TEST_F(StudyLog, StopOnALastRowThatHasATimeAlreadyIsRefused) {
  Start(Sections(), "Navigation");
  fixture::ExecuteOnStudy(Study(), "INSERT INTO StudyList VALUES (?, ?, ?, ?)",
                          {"Novak Ana", "Safety - Contacts", Variant::Date(45367.5), Variant::Date(45367.6)});
  LogOn("Smith John");
  bool ok = true;
  main->LogStudyEvent("stop", "nobody", "none", 45400, ok);
  EXPECT_FALSE(ok);
  EXPECT_DOUBLE_EQ(Rows()[0].timeOut.ToDateSerial(), 45367.6);
  EXPECT_FALSE(main->RecordStopped);
}

TEST_F(StudyLog, StopOnAnEmptyTableRaisesTheDatabaseError) {
  Start(Sections(), "Navigation");
  LogOn("Smith John");
  bool ok = true;
  try {
    main->LogStudyEvent("stop", "nobody", "none", -1, ok);
    FAIL() << "no error";
  } catch (const platform::VbError& e) {
    EXPECT_EQ(e.Number(), platform::err::NoCurrentRecord);
  }
  EXPECT_TRUE(Rows().empty());
}

// ---- The clock guard

TEST_F(StudyLog, AClockJumpStopsTheRecordAtTheLastGoodCheck) {
  Start(Sections(), "Navigation");
  FixClock(QDateTime(QDate(2024, 3, 15), QTime(9, 30, 0)));
  StartRecord();
  EXPECT_EQ(main->tmrClockValidity->Interval(), 10000);
  main->tmrClockValidity->Fire();
  EXPECT_EQ(main->tmrClockValidity->Tag, "running");
  now = now.addSecs(10);
  main->tmrClockValidity->Fire();
  now = now.addSecs(290);  // under five minutes: still good
  main->tmrClockValidity->Fire();
  const double lastGood = NowSerial();
  EXPECT_DOUBLE_EQ(main->LastClockCheck, lastGood);
  EXPECT_TRUE(responder.boxes.empty());

  now = now.addSecs(10 * 60 + 10);  // the clock is set ten minutes forward
  main->tmrClockValidity->Fire();
  ASSERT_EQ(responder.boxes.size(), 1u);
  ExpectBox(0, kClockError, 4144, " Clock error");
  const auto rows = Rows();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_DOUBLE_EQ(rows[0].timeOut.ToDateSerial(), lastGood);
  EXPECT_FALSE(main->tmrClockValidity->Enabled());
  EXPECT_EQ(main->tmrClockValidity->Tag, "reset");
  EXPECT_EQ(main->LastClockCheck, 0);
  EXPECT_TRUE(main->LoggingOn);
}

TEST_F(StudyLog, AClockSetBackIsAJumpTooAndARecordClosedElsewhereIsAnError) {
  Start(Sections(), "Navigation");
  FixClock(QDateTime(QDate(2024, 3, 15), QTime(9, 30, 0)));
  StartRecord();
  main->tmrClockValidity->Fire();
  fixture::ExecuteOnStudy(Study(), "UPDATE StudyList SET TimeOut = ?", {Variant::Date(NowSerial())});
  now = now.addSecs(-6 * 60);
  main->tmrClockValidity->Fire();
  ASSERT_EQ(responder.boxes.size(), 2u);
  ExpectBox(0, kClockError, 4144, " Clock error");
  ExpectBox(1, "Recording error due to technical problem", 16, "Recording error");
  EXPECT_EQ(main->tmrClockValidity->Tag, "reset");
  EXPECT_EQ(main->LastClockCheck, 0);
}

TEST_F(StudyLog, ADatabaseErrorInAGuardsStopIsReportedAndTheProgramGoesOn) {
  Start(Sections(), "Navigation");
  FixClock(QDateTime(QDate(2024, 3, 15), QTime(9, 30, 0)));
  StartRecord();
  main->tmrClockValidity->Fire();
  main->StudyConnection->Close();
  now = now.addSecs(600);
  main->tmrClockValidity->Fire();
  ASSERT_EQ(responder.boxes.size(), 2u);
  ExpectBox(1,
            "Recording error due to technical problem" + kCrLf +
                "The connection cannot be used to perform this operation. It is either closed or invalid in this "
                "context.",
            16, "Recording error");
  EXPECT_EQ(main->tmrClockValidity->Tag, "reset");
  EXPECT_EQ(catcher.ends, 0);
  EXPECT_TRUE(main->IsLoaded());
}

TEST_F(StudyLog, GuardsSwitchThemselvesOffOnceLoggingIsOff) {
  Start(Sections(), "Navigation");
  FixClock(QDateTime(QDate(2024, 3, 15), QTime(9, 30, 0)));
  StartRecord();
  main->tmrSectionIsActive->SetEnabled(true);
  main->mnuUsersLogOff_Click();
  EXPECT_TRUE(main->tmrClockValidity->Enabled());  // until its next tick
  now = now.addSecs(3600);
  main->tmrClockValidity->Fire();
  main->tmrSectionIsActive->Fire();
  EXPECT_FALSE(main->tmrClockValidity->Enabled());
  EXPECT_FALSE(main->tmrSectionIsActive->Enabled());
  EXPECT_TRUE(responder.boxes.empty());
  EXPECT_TRUE(Rows()[0].timeOut.IsNull());  // the record stays open for the launcher's stop
}

// ---- The inactivity guard

TEST_F(StudyLog, A61stUnchangedTickStopsTheRecordNineMinutesBack) {
  Start(Sections(), "Navigation");
  FixClock(QDateTime(QDate(2024, 3, 15), QTime(9, 30, 0)));
  StartRecord("Rules of the road - Anchoring step by step");
  windowTitles[0x2a00007] = "Tarrowby - Anchoring, step 1";
  main->SectionWindow = 0x2a00007;
  main->tmrSectionIsActive->SetEnabled(true);
  auto tick = [&] {
    now = now.addSecs(10);
    main->tmrSectionIsActive->Fire();
  };
  tick();  // the first tick only takes note of the title
  for (int i = 0; i < 30; ++i) tick();
  EXPECT_EQ(main->InactiveTicks, 30);
  windowTitles[0x2a00007] = "Tarrowby - Anchoring, step 2";  // the user moved on
  tick();
  EXPECT_EQ(main->InactiveTicks, 0);
  for (int i = 0; i < 60; ++i) tick();
  EXPECT_EQ(main->InactiveTicks, 60);
  EXPECT_TRUE(responder.boxes.empty());
  EXPECT_TRUE(Rows()[0].timeOut.IsNull());

  tick();  // the 61st unchanged tick
  ASSERT_EQ(responder.boxes.size(), 1u);
  ExpectBox(0,
            "Sorry, the section Rules of the road - Anchoring step by step was inactive for too long." + kCrLf +
                "The study time recording stops now." + kCrLf +
                "Resume recording by closing then restarting the section.",
            4144, "Logging interrupted");
  EXPECT_NEAR(Rows()[0].timeOut.ToDateSerial(), NowSerial() - 9.0 / 1440, 1e-9);
  EXPECT_FALSE(main->tmrSectionIsActive->Enabled());
  EXPECT_EQ(main->tmrSectionIsActive->Tag, "reset");
  EXPECT_EQ(main->InactiveTicks, 0);
  EXPECT_EQ(main->LastWindowTitle, "");
}

TEST_F(StudyLog, AWindowThatHasGoneCountsAsAnUnchangedEmptyTitle) {
  Start(Sections(), "Navigation");
  FixClock(QDateTime(QDate(2024, 3, 15), QTime(9, 30, 0)));
  StartRecord();
  fixture::ExecuteOnStudy(Study(), "UPDATE StudyList SET TimeOut = ?", {Variant::Date(NowSerial())});
  main->SectionWindow = 0x2a00009;  // no such window: every title reads ""
  for (int i = 0; i < 60; ++i) main->tmrSectionIsActive->Fire();
  EXPECT_TRUE(responder.boxes.empty());
  main->tmrSectionIsActive->Fire();
  ASSERT_EQ(responder.boxes.size(), 2u);
  ExpectBox(0, "Recording error due to technical problem", 16, "Recording error");
  EXPECT_EQ(responder.boxes[1].title, "Logging interrupted");
}

// ---- Waiting for a tracked program and finding its window

TEST_F(StudyLog, ATrackedProgramsWindowIsFoundByItsProcessAndTitle) {
  Start(Sections(), "Navigation");
  LogOn("Smith John");
  testsupport::ArgsProbe probe(Path("Tests/Plotter"), 0, 0.4);
  platform::ProcessInformation process;
  ASSERT_TRUE(platform::CreateProcess("\"" + probe.Path() + "\"", Path("Tests"), process));
  // Above it, a window of another program with the word, and one of its own without.
  windows = {0x100, 0x200, 0x300};
  windowPids = {{0x100, process.processId + 1}, {0x200, process.processId}, {0x300, process.processId}};
  windowTitles = {{0x100, "Tarrowby"}, {0x200, "Plotting"}, {0x300, "TARROWBY Plotter"}};
  main->tmrSectionIsActive->SetEnabled(true);
  main->WaitForProcess(process, true);
  EXPECT_TRUE(probe.Ran());
  EXPECT_EQ(main->SectionWindow, 0x300u);
  EXPECT_TRUE(main->tmrSectionIsActive->Enabled());

  // No window with the word: the guard is switched off.
  probe.Forget();
  windowTitles[0x300] = "Plotter";
  ASSERT_TRUE(platform::CreateProcess("\"" + probe.Path() + "\"", Path("Tests"), process));
  windowPids = {{0x200, process.processId}, {0x300, process.processId}};
  main->WaitForProcess(process, true);
  EXPECT_TRUE(probe.Ran());
  EXPECT_EQ(main->SectionWindow, 0u);
  EXPECT_FALSE(main->tmrSectionIsActive->Enabled());
}

TEST_F(StudyLog, WindowLookupRules) {
  Start(Sections(), "Navigation");
  windows = {0x10, 0x20, 0x30, 0x40};
  windowPids = {{0x10, 0}, {0x20, 77}, {0x30, 77}, {0x40, 77}};
  windowTitles = {{0x10, "Tarrowby"}, {0x20, ""}, {0x30, "Dunstal's tarrowBY examiner"}, {0x40, "Tarrowby 2"}};
  EXPECT_EQ(Handles::GetWindowProcessId(0x30), 77);
  EXPECT_EQ(Handles::GetWindowProcessId(0x99), 0);
  EXPECT_EQ(Handles::FindProcessWindow(77), 0x30u);  // the topmost of the process with the word
  EXPECT_EQ(Handles::FindProcessWindow(78), 0u);
  EXPECT_EQ(Handles::FindProcessWindow(0), 0u);  // windows that name no process belong to none
  windowTitles[0x30] = QString(300, u't');
  EXPECT_EQ(Handles::GetWindowText(0x30).size(), 255);
  EXPECT_EQ(Handles::GetWindowText(0x99), "");
}
