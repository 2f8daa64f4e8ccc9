// The question window's start-up as far as building the test: command line,
// application folder, the build, the caption, and the data controls' Error
// event before and after the window shows.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "QtPrinters.h"
#include "TestDatabases.h"
#include "TestSupport.h"
#include "assessment/GLOBAL.h"
#include "assessment/frmQandA.h"
#include "platform/Clock.h"
#include "platform/Program.h"

using namespace assessment;
using platform::Variant;

namespace {

class QandATest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    platform::Clock::SetSource([] { return QDateTime(QDate(2024, 5, 1), QTime(9, 30)); });
    db = std::make_unique<testdb::Databases>(dir.path() + QStringLiteral("/app"));
    db->CreateResults({{"ABOS", platform::ColumnType::Integer}});
    db->AddTest(Variant("T1"), Variant("Deck2"), {Variant(3)}, Variant(45));
    db->CreateTraining();
    db->AddQuestionTable(QStringLiteral("ABOS"), QStringLiteral("Anti-collision"), 1,
                         testdb::Databases::NumberedRows(QStringLiteral("ABOS"), 4));
    // The program's folder as the system gives it, with a trailing separator.
    platform::SetProgramFolder(db->AppFolder() + QStringLiteral("/"));
    platform::Screen::SetTestSize(15360, 11520);
  }
  void TearDown() override {
    platform::SetProgramFolder(QString());
    platform::Screen::SetTestSize(0, 0);
    platform::Clock::SetSource(nullptr);
    GLOBAL::CommandLine.clear();
  }

  // Loads the window with this command line; true when it stayed loaded.
  bool LoadWith(const QString& commandLine) {
    GLOBAL::CommandLine = commandLine;
    form = std::make_unique<frmQandA>();
    form->SetRandomGenerator(&random);
    try {
      form->Load();
    } catch (const platform::ProgramEnded&) {
      return false;
    }
    return true;
  }

  QTemporaryDir dir;
  std::unique_ptr<testdb::Databases> db;
  testsupport::ScriptedResponder responder;
  testsupport::EndCatcher ends;
  platform::RandomGenerator random{99};
  std::unique_ptr<frmQandA> form;
};

}  // namespace

TEST_F(QandATest, LoadBuildsTheTestNamedOnTheCommandLine) {
  ASSERT_TRUE(LoadWith(QStringLiteral("T1")));
  EXPECT_EQ(GLOBAL::AppFolder, db->AppFolder());
  EXPECT_EQ(GLOBAL::TestId, QStringLiteral("T1"));
  EXPECT_FALSE(GLOBAL::AnswerPeekMode);
  EXPECT_EQ(GLOBAL::TextFontSize, 8);
  EXPECT_TRUE(form->TestBuilt);
  EXPECT_EQ(form->Caption(), QStringLiteral("Mates Assesment"));
  EXPECT_EQ(form->Test.QuestionCount, 3);
  EXPECT_EQ(form->Test.TimePerQuestion, 45);
  EXPECT_EQ(form->CurrentQuestion, 0);
  EXPECT_TRUE(responder.boxes.empty());
  EXPECT_EQ(ends.ends, 0);
  EXPECT_EQ(platform::Screen::MousePointer(), 0);
}

TEST_F(QandATest, AnswerPeekCodeAfterOneBlank) {
  struct Case {
    const char* line;
    const char* testId;
    bool peek;
  };
  for (const Case& c : {Case{"T1 t00lbarne527", "T1", true}, Case{"T1 T00LBARNE527", "T1", false},
                        Case{"T1 anything", "T1", false}, Case{"T1  t00lbarne527", "T1", false},
                        Case{"T1 t00lbarne527 ", "T1", false}}) {
    ASSERT_TRUE(LoadWith(QString::fromLatin1(c.line))) << c.line;
    EXPECT_EQ(GLOBAL::TestId, QString::fromLatin1(c.testId)) << c.line;
    EXPECT_EQ(GLOBAL::AnswerPeekMode, c.peek) << c.line;
    EXPECT_EQ(form->Test.QuestionCount, 3) << c.line;
  }
}

TEST_F(QandATest, TestThatCannotBeFoundEndsTheProgram) {
  for (const char* line : {"", "t00lbarne527", "T2"}) {
    responder.boxes.clear();
    ends.ends = 0;
    EXPECT_FALSE(LoadWith(QString::fromLatin1(line))) << line;
    EXPECT_EQ(ends.ends, 1);
    ASSERT_EQ(responder.boxes.size(), 1u) << line;
    EXPECT_EQ(responder.boxes[0].prompt, QStringLiteral("No record found. Corrupted TestList table."));
    EXPECT_EQ(responder.boxes[0].title, QStringLiteral("Fatal Error"));
    EXPECT_EQ(GLOBAL::TestId, QString::fromLatin1(line));
    // The lone code switches the mode on and is itself taken as the identifier.
    EXPECT_EQ(GLOBAL::AnswerPeekMode, QString::fromLatin1(line) == GLOBAL::kAnswerPeekCode) << line;
  }
}

TEST_F(QandATest, DatabaseErrorsBeforeTheWindowShowsGoToTheRecovery) {
  ASSERT_TRUE(QFile::remove(db->TrainingPath()));
  EXPECT_FALSE(LoadWith(QStringLiteral("T1")));
  EXPECT_EQ(ends.ends, 1);
  ASSERT_EQ(responder.fileRequests.size(), 1u);
  ASSERT_EQ(responder.boxes.size(), 1u);  // no " Error" box from the control itself
  EXPECT_EQ(responder.boxes[0].title, QStringLiteral("Fatal error"));
  EXPECT_TRUE(responder.boxes[0].prompt.startsWith(QStringLiteral("The file TKBTraining.mdb must be copied in")));
}

TEST_F(QandATest, DatabaseErrorWhileTheWindowShowsEndsTheProgram) {
  struct Case {
    platform::DataControl frmQandA::*control;
    const char* file;
  };
  for (const Case& c : {Case{&frmQandA::adoAccess, "QVRResults.mdb"}, Case{&frmQandA::adoAccMainTest, "TKBTraining.mdb"}}) {
    responder.boxes.clear();
    ends.ends = 0;
    ASSERT_TRUE(LoadWith(QStringLiteral("T1")));
    form->show();
    platform::DataControl& control = (*form).*(c.control);
    control.CommandType = platform::adCmdUnknown;
    control.RecordSource = QStringLiteral("Select * from NoSuchTable");
    control.Parameters.clear();
    EXPECT_THROW(control.Refresh(), platform::ProgramEnded);
    EXPECT_EQ(ends.ends, 1);
    ASSERT_EQ(responder.boxes.size(), 1u);
    const QStringList lines = responder.boxes[0].prompt.split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], QStringLiteral("Unable to connect to your database"));
    EXPECT_EQ(lines[1], db->AppFolder() + QStringLiteral("/db/") + QString::fromLatin1(c.file));
    EXPECT_TRUE(lines[2].contains(QStringLiteral("NoSuchTable")));
    EXPECT_EQ(lines[3], QStringLiteral("Try to uninstall then reinstall the program."));
    EXPECT_EQ(responder.boxes[0].style, 16);
    EXPECT_EQ(responder.boxes[0].title, QStringLiteral(" Error"));
    form->hide();
  }
}

TEST_F(QandATest, UnloadDetachesTheRecordsetsAndEnds) {
  ASSERT_TRUE(LoadWith(QStringLiteral("T1")));
  form->show();
  form->SetLeft(1500);
  form->SetTop(600);
  EXPECT_THROW(form->Unload(), platform::ProgramEnded);
  EXPECT_EQ(ends.ends, 1);
  EXPECT_DOUBLE_EQ(GLOBAL::SavedLeft, form->Left());
  EXPECT_DOUBLE_EQ(GLOBAL::SavedTop, form->Top());
  // A detached recordset keeps its rows but no longer writes to the file.
  platform::Recordset* rs = form->adoAccess.GetRecordset();
  ASSERT_NE(rs, nullptr);
  EXPECT_EQ(rs->Value(QStringLiteral("TestID")).ToText(), QStringLiteral("T1"));
  EXPECT_THROW(
      {
        rs->SetValue(QStringLiteral("AssessorName"), Variant("Someone"));
        rs->Update();
      },
      platform::VbError);
}
