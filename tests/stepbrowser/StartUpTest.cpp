// Varnok's start-up: the command line, the table list and the caption, the
// checks of the named table, reading its steps, the refusals that end the
// program, the missing-database recovery, and the end of the program.
#include <QFile>
#include <QPushButton>

#include "StepTables.h"
#include "platform/values/Edition.h"
#include "stepbrowser/START.h"

using namespace stepbrowser;
using platform::Variant;
using steptables::Rtf;
using steptables::StepRow;

namespace {

const QString kClosed = QStringLiteral("\r\nSorry, the program will be closed.");

class StartUp : public steptables::BrowserTest {
 protected:
  void ExpectRefusal(const QString& reason) {
    ASSERT_EQ(responder.boxes.size(), 1u) << reason.toStdString();
    EXPECT_EQ(responder.boxes[0].prompt, reason + kClosed);
    EXPECT_EQ(responder.boxes[0].style, 16);
    EXPECT_EQ(responder.boxes[0].title, QStringLiteral(" Error"));
    EXPECT_EQ(ends.ends, 1);
    EXPECT_TRUE(responder.fileRequests.empty());
  }
  void ExpectFatal(const QString& prompt) {
    ASSERT_EQ(responder.boxes.size(), 1u);
    EXPECT_EQ(responder.boxes[0].prompt, prompt);
    EXPECT_EQ(responder.boxes[0].style, 16);
    EXPECT_EQ(responder.boxes[0].title, QStringLiteral("Fatal error"));
    EXPECT_EQ(ends.ends, 1);
  }
  void Reset() {
    responder.boxes.clear();
    responder.fileRequests.clear();
    ends.ends = 0;
  }
};

TEST_F(StartUp, ShowsStepOneOfTheNamedTable) {
  training->AddStepTable(QStringLiteral("RadarSteps"), Variant("Radar plotting"), steptables::NumberedSteps(3));
  training->db.AddTableListRow(Variant("ABOS"), Variant("Anti-collision"), Variant(1));
  ASSERT_TRUE(Start(QStringLiteral("RadarSteps")));

  EXPECT_TRUE(responder.boxes.empty());
  EXPECT_EQ(ends.ends, 0);
  EXPECT_EQ(GLOBAL::AppFolder, AppFolder());
  EXPECT_EQ(GLOBAL::StepTableName, QStringLiteral("RadarSteps"));
  EXPECT_EQ(GLOBAL::TextFontSize, 8);
  // The whole table list, in name order, behind an empty entry 0.
  EXPECT_EQ(form->TableNames, (std::vector<QString>{"", "ABOS", "RadarSteps"}));
  EXPECT_EQ(form->TableDescriptions, (std::vector<QString>{"", "Anti-collision", "Radar plotting"}));
  EXPECT_EQ(form->CaptionBase, QStringLiteral(" QVRV 5 ") + platform::EditionCode() +
                                   QStringLiteral(": section Radar plotting "));
  EXPECT_EQ(form->Caption(), form->CaptionBase + QStringLiteral("> step 1"));
  ASSERT_EQ(form->StepCount, 3);
  ASSERT_EQ(form->Steps.size(), 4u);
  for (int k = 1; k <= 3; ++k) {
    EXPECT_EQ(form->Steps[k][0], Rtf(QStringLiteral("Step text %1").arg(k)));
    EXPECT_EQ(form->Steps[k][1], kNoPicture);
  }
  EXPECT_EQ(form->updStep->Min(), 1);
  EXPECT_EQ(form->updStep->Max(), 3);
  EXPECT_EQ(form->updStep->Value(), 1);
  EXPECT_EQ(form->txtStepNum->MaxLength(), 1);
  EXPECT_EQ(form->CurrentStep, 1);
  EXPECT_EQ(form->rtfAnswer->Text(), QStringLiteral("Step text 1"));
  EXPECT_EQ(platform::Screen::MousePointer(), 0);
  // The whole table was read at start-up: the step view no longer needs the file.
  EXPECT_EQ(form->adoAccMainTest.GetRecordset()->IsOpen(), false);
}

TEST_F(StartUp, WindowPlaceAndEditionLook) {
  training->AddStepTable(QStringLiteral("RadarSteps"), Variant("Radar plotting"), steptables::NumberedSteps(2));
  ASSERT_TRUE(Start(QStringLiteral("RadarSteps")));
  EXPECT_DOUBLE_EQ(form->Height(), 8415);
  EXPECT_DOUBLE_EQ(form->Width(), 11715);
  EXPECT_DOUBLE_EQ(form->Left(), (15360 - 11715) / 2.0);
  EXPECT_DOUBLE_EQ(form->Top(), 0.005 * 11520);
  EXPECT_EQ(form->BackColor(), QColor(184, 212, 252));
  const bool mm = platform::EditionCode() == QLatin1String("MM");
  EXPECT_EQ(form->txtStepNum->BackColor(), mm ? QColor(255, 172, 40) : QColor(251, 159, 60));
  EXPECT_EQ(form->txtStepNum->ToolTipText(), QStringLiteral("Enter step number"));
  EXPECT_EQ(form->cmdExit->toolTip(), QStringLiteral("Exit the program"));
  // The Exit button shows the edition's picture instead of its caption.
  EXPECT_TRUE(form->cmdExit->text().isEmpty());
  const platform::ImageList& list = mm ? form->ilsMM : form->ilsOOW;
  const QString prefix = mm ? QStringLiteral("mm") : QStringLiteral("oow");
  EXPECT_EQ(form->cmdExit->icon().pixmap(form->cmdExit->iconSize()).toImage().convertToFormat(QImage::Format_ARGB32),
            list.ListImage(prefix + "Exit").toImage().convertToFormat(QImage::Format_ARGB32));
  EXPECT_EQ(form->imgBackGround->pixmap().toImage(), list.ListImage(prefix + "FormBackdrop").toImage());
  // Enter must not press Exit.
  EXPECT_FALSE(form->cmdExit->isDefault());
  EXPECT_FALSE(form->cmdExit->autoDefault());
  for (QWidget* w : std::initializer_list<QWidget*>{form->rtfAnswer, form->cmdExit, form->updStep, form->txtStepNum,
                                                    form->imgBackGround})
    EXPECT_TRUE(w->isVisible()) << w->objectName().toStdString();
}

TEST_F(StartUp, RefusalsEndTheProgram) {
  training->AddStepTable(QStringLiteral("RadarSteps"), Variant("Radar plotting"), steptables::NumberedSteps(2));
  training->db.AddQuestionTable(QStringLiteral("ABOS"), QStringLiteral("Anti-collision"), 1,
                                testdb::Databases::NumberedRows(QStringLiteral("ABOS"), 2));
  training->db.AddQuestionTable(QStringLiteral("Rules"), QStringLiteral("Two parts"), 2,
                                testdb::Databases::NumberedRows(QStringLiteral("Rules"), 2));
  training->AddStepTable(QStringLiteral("Empty"), Variant("No rows"), {});
  training->AddStepTable(QStringLiteral("AllNull"), Variant("Null steps"),
                         {{Variant(1), Variant::Null()}, {Variant(2), Variant::Null()}});
  training->AddStepTable(QStringLiteral("Zero"), Variant("Parts 0"), steptables::NumberedSteps(2), Variant::Null(),
                         Variant(0));
  struct Case {
    const char* line;
    const char* reason;
  };
  for (const Case& c : {
           Case{"", "No table name given to the program."},
           Case{"NoSuchTable", "No valid table name given to the program."},
           Case{"ABOS", "No valid table name. Not a step by step table."},
           Case{"Rules", "No valid table name. Not a step by step table."},
           Case{"Zero", "No valid table name. Not a step by step table."},
           Case{"Empty", "Invalid table."},
           Case{"AllNull", "Invalid table."},
       }) {
    Reset();
    EXPECT_FALSE(Start(QString::fromLatin1(c.line))) << c.line;
    ExpectRefusal(QString::fromLatin1(c.reason));
    EXPECT_EQ(form->CurrentStep, 0) << c.line;
    EXPECT_FALSE(form->isVisible()) << c.line;
    EXPECT_EQ(platform::Screen::MousePointer(), 0) << c.line;
  }
}

TEST_F(StartUp, EmptyCommandLineReadsNothing) {
  ASSERT_TRUE(QFile::remove(training->db.TrainingPath()));
  EXPECT_FALSE(Start(QString()));
  ExpectRefusal(QStringLiteral("No table name given to the program."));
  EXPECT_TRUE(form->TableNames.empty());
}

TEST_F(StartUp, BlanksAroundTheNameCountOnlyForTheCaption) {
  training->AddStepTable(QStringLiteral("RadarSteps"), Variant("Radar plotting"), steptables::NumberedSteps(2));
  EXPECT_FALSE(Start(QStringLiteral(" RadarSteps ")));
  // The caption lookup trimmed the name; the table query did not.
  EXPECT_EQ(form->CaptionBase, QStringLiteral(" QVRV 5 ") + platform::EditionCode() +
                                   QStringLiteral(": section Radar plotting "));
  EXPECT_EQ(GLOBAL::StepTableName, QStringLiteral(" RadarSteps "));
  ExpectRefusal(QStringLiteral("No valid table name given to the program."));
}

TEST_F(StartUp, TableFoundWithoutItsCaption) {
  // A listed name with a trailing blank: the query finds it as it stands,
  // the trimmed caption lookup does not.
  training->AddStepTable(QStringLiteral("Radar "), Variant("Radar plotting"), steptables::NumberedSteps(2));
  ASSERT_TRUE(Start(QStringLiteral("Radar ")));
  EXPECT_TRUE(responder.boxes.empty());
  EXPECT_EQ(form->CaptionBase, QStringLiteral(" QVRV 5 ") + platform::EditionCode() + QStringLiteral(": Step by Step"));
  EXPECT_EQ(form->Caption(), form->CaptionBase + QStringLiteral("> step 1"));
  EXPECT_EQ(form->StepCount, 2);
}

TEST_F(StartUp, NameLetterCaseDoesNotMatter) {
  training->AddStepTable(QStringLiteral("RadarSteps"), Variant("Radar plotting"), steptables::NumberedSteps(2));
  ASSERT_TRUE(Start(QStringLiteral("radarSTEPS")));
  EXPECT_EQ(form->CaptionBase.right(15), QStringLiteral("Radar plotting "));
  EXPECT_EQ(form->StepCount, 2);
}

TEST_F(StartUp, NamesAreNeverPastedIntoTheQueries) {
  training->AddStepTable(QStringLiteral("Bob's \"first\" steps"), Variant("Quotes"), steptables::NumberedSteps(2));
  training->AddStepTable(QStringLiteral("RadarSteps"), Variant("Radar plotting"), steptables::NumberedSteps(2));
  // A listed name with quotes of both kinds loads.
  ASSERT_TRUE(Start(QStringLiteral("Bob's \"first\" steps")));
  EXPECT_TRUE(responder.boxes.empty());
  EXPECT_EQ(form->StepCount, 2);
  EXPECT_TRUE(form->CaptionBase.endsWith(QStringLiteral(": section Quotes ")));

  // Text that would widen a pasted condition finds no row.
  for (const char* line : {"x' or 'a'='a", "' or 1=1 --", "RadarSteps'"}) {
    Reset();
    EXPECT_FALSE(Start(QString::fromLatin1(line))) << line;
    ExpectRefusal(QStringLiteral("No valid table name given to the program."));
  }
}

TEST_F(StartUp, NullStepsAreSkippedAndPicturesKeepTheirId) {
  // Rows stored out of order: the steps follow ID.
  training->AddStepTable(QStringLiteral("Mooring"), Variant("Mooring"),
                         {{Variant(9), Variant(Rtf("nine"))},
                          {Variant(5), Variant::Null()},
                          {Variant(3), Variant(Rtf("three"))}},
                         Variant("moor"));
  ASSERT_TRUE(Start(QStringLiteral("Mooring")));
  ASSERT_EQ(form->StepCount, 2);
  EXPECT_EQ(form->Steps[1][0], Rtf("three"));
  EXPECT_EQ(form->Steps[1][1], QStringLiteral("moor_3"));
  EXPECT_EQ(form->Steps[2][0], Rtf("nine"));
  EXPECT_EQ(form->Steps[2][1], QStringLiteral("moor_9"));
  EXPECT_EQ(form->updStep->Max(), 2);
  // The array was sized by the rows, Null ones included.
  EXPECT_EQ(form->Steps.size(), 4u);
  EXPECT_TRUE(form->Steps[3][0].isEmpty());
}

TEST_F(StartUp, NoPicturePrefixMeansNoPictures) {
  training->AddStepTable(QStringLiteral("NullPrefix"), Variant("A"), steptables::NumberedSteps(2), Variant::Null());
  training->AddStepTable(QStringLiteral("MarkedPrefix"), Variant("B"), steptables::NumberedSteps(2), Variant("~NO~"));
  for (const char* name : {"NullPrefix", "MarkedPrefix"}) {
    ASSERT_TRUE(Start(QString::fromLatin1(name))) << name;
    EXPECT_EQ(form->Steps[1][1], kNoPicture) << name;
    EXPECT_EQ(form->Steps[2][1], kNoPicture) << name;
  }
}

TEST_F(StartUp, StepBoxTakesAsManyDigitsAsTheLastStepNumberHas) {
  for (const auto& [steps, digits] : {std::pair{1, 1}, {9, 1}, {10, 2}, {99, 2}, {100, 3}, {122, 3}}) {
    const QString name = QStringLiteral("Steps%1").arg(steps);
    training->AddStepTable(name, Variant(name), steptables::NumberedSteps(steps));
    ASSERT_TRUE(Start(name));
    EXPECT_EQ(form->txtStepNum->MaxLength(), digits) << steps;
  }
}

TEST_F(StartUp, DataFaultsGiveTheUnexpectedErrorMessage) {
  training->AddStepTable(QStringLiteral("RadarSteps"), Variant("Radar plotting"), steptables::NumberedSteps(2));
  training->AddStepTable(QStringLiteral("NoId"), Variant("Pictures without ID"),
                         {{Variant(1), Variant(Rtf("one"))}, {Variant::Null(), Variant(Rtf("lost"))}}, Variant("p"));
  training->AddStepTable(QStringLiteral("NullParts"), Variant("Parts"), steptables::NumberedSteps(2));
  training->Execute(QStringLiteral("UPDATE TableList SET QuestionParts = NULL WHERE DBName = 'NullParts'"));
  training->db.AddTableListRow(Variant("Ghost"), Variant("Listed, never made"), Variant(-1));

  struct Case {
    const char* line;
    const char* description;
  };
  for (const Case& c : {Case{"NoId", "Invalid use of Null"}, Case{"NullParts", "Invalid use of Null"},
                        Case{"Ghost", "no such table: Ghost"}}) {
    Reset();
    EXPECT_FALSE(Start(QString::fromLatin1(c.line))) << c.line;
    ExpectFatal(QStringLiteral("Unexpected Error: ") + QString::fromLatin1(c.description));
    EXPECT_EQ(platform::Screen::MousePointer(), 0) << c.line;
  }

  // Every row of the table list is read: one Null name stops any start.
  training->db.AddTableListRow(Variant::Null(), Variant("Nameless"), Variant(-1));
  Reset();
  EXPECT_FALSE(Start(QStringLiteral("RadarSteps")));
  ExpectFatal(QStringLiteral("Unexpected Error: Invalid use of Null"));
}

TEST_F(StartUp, VersionRecordMustBeThere) {
  training->AddStepTable(QStringLiteral("RadarSteps"), Variant("Radar plotting"), steptables::NumberedSteps(2));
  training->Execute(QStringLiteral("DELETE FROM TableID"));
  EXPECT_FALSE(Start(QStringLiteral("RadarSteps")));
  ASSERT_EQ(responder.boxes.size(), 1u);
  EXPECT_TRUE(responder.boxes[0].prompt.startsWith(QStringLiteral("Unexpected Error: "))) << responder.boxes[0].prompt.toStdString();
  EXPECT_EQ(responder.boxes[0].title, QStringLiteral("Fatal error"));

  training->Execute(QStringLiteral("DROP TABLE TableID"));
  Reset();
  EXPECT_FALSE(Start(QStringLiteral("RadarSteps")));
  ExpectFatal(QStringLiteral("Unexpected Error: no such table: TableID"));
}

TEST_F(StartUp, MoreThan32767StepsOverflow) {
  QList<StepRow> rows;
  for (int i = 1; i <= 32768; ++i) rows.append({Variant(i), Variant(QStringLiteral("s"))});
  training->AddStepTable(QStringLiteral("Huge"), Variant("Huge"), rows);
  EXPECT_FALSE(Start(QStringLiteral("Huge")));
  ExpectFatal(QStringLiteral("Unexpected Error: Overflow"));
}

// The file dialog puts the database back in place before it answers.
class RestoringResponder : public testsupport::ScriptedResponder {
 public:
  QString OpenFile(const platform::FileDialogRequest& request) override {
    if (restore) restore();
    return ScriptedResponder::OpenFile(request);
  }
  std::function<void()> restore;
};

TEST_F(StartUp, MissingDatabaseOffersTheFileDialog) {
  training->AddStepTable(QStringLiteral("RadarSteps"), Variant("Radar plotting"), steptables::NumberedSteps(2));
  const QString path = training->db.TrainingPath();
  const QString saved = dir.path() + QStringLiteral("/saved.mdb");
  ASSERT_TRUE(QFile::copy(path, saved));
  ASSERT_TRUE(QFile::remove(path));

  // Cancel: the fatal message names the expected place.
  EXPECT_FALSE(Start(QStringLiteral("RadarSteps")));
  ASSERT_EQ(responder.fileRequests.size(), 1u);
  EXPECT_EQ(responder.fileRequests[0].title,
            QStringLiteral("Select TKBTraining.mdb (was expected in ") + path + QStringLiteral(")"));
  EXPECT_EQ(responder.fileRequests[0].filter, QStringLiteral("(*.MDB)|*.mdb"));
  ExpectFatal(QStringLiteral("The file TKBTraining.mdb must be copied in\r\n") + path +
              QStringLiteral(".\r\nPlease restart the program when done."));

  // A file of the right name that is still not in place: the dialog again.
  Reset();
  responder.files = {QStringLiteral("/media/usb/TKBTRAINING.MDB")};
  EXPECT_FALSE(Start(QStringLiteral("RadarSteps")));
  EXPECT_EQ(responder.fileRequests.size(), 2u);
  EXPECT_EQ(ends.ends, 1);

  // A file of another name does not count.
  Reset();
  responder.files = {QStringLiteral("/media/usb/OldTKBTraining.mdb")};
  EXPECT_FALSE(Start(QStringLiteral("RadarSteps")));
  EXPECT_EQ(responder.fileRequests.size(), 1u);
  EXPECT_EQ(ends.ends, 1);
}

TEST_F(StartUp, ConfirmedDatabaseRetriesAtTheExpectedPlace) {
  training->AddStepTable(QStringLiteral("RadarSteps"), Variant("Radar plotting"), steptables::NumberedSteps(2));
  const QString path = training->db.TrainingPath();
  const QString saved = dir.path() + QStringLiteral("/saved.mdb");
  ASSERT_TRUE(QFile::copy(path, saved));
  ASSERT_TRUE(QFile::remove(path));

  RestoringResponder restoring;
  restoring.restore = [&] { QFile::copy(saved, path); };
  restoring.files = {QStringLiteral("/somewhere/else/tkbtraining.mdb")};
  ASSERT_TRUE(Start(QStringLiteral("RadarSteps")));
  EXPECT_EQ(restoring.fileRequests.size(), 1u);
  EXPECT_TRUE(restoring.boxes.empty());
  EXPECT_EQ(form->StepCount, 2);
  EXPECT_EQ(form->Caption().right(8), QStringLiteral("> step 1"));
}

TEST_F(StartUp, DatabaseErrorWhileTheWindowShowsEndsTheProgram) {
  training->AddStepTable(QStringLiteral("RadarSteps"), Variant("Radar plotting"), steptables::NumberedSteps(2));
  for (platform::DataControl frmMain::*control : {&frmMain::adoAccMainTest, &frmMain::adoAccess}) {
    Reset();
    ASSERT_TRUE(Start(QStringLiteral("RadarSteps")));
    platform::DataControl& c = (*form).*control;
    shared::ConnectTrainingDatabase(c, AppFolder());
    c.CommandType = platform::adCmdUnknown;
    c.RecordSource = QStringLiteral("Select * from NoSuchTable");
    c.Parameters.clear();
    EXPECT_THROW(c.Refresh(), platform::ProgramEnded);
    ASSERT_EQ(responder.boxes.size(), 1u);
    const QStringList lines = responder.boxes[0].prompt.split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], QStringLiteral("Unable to connect to your database"));
    EXPECT_EQ(lines[1], AppFolder() + QStringLiteral("/db/TKBTraining.mdb"));
    EXPECT_EQ(lines[2], QStringLiteral("no such table: NoSuchTable"));
    EXPECT_EQ(lines[3], QStringLiteral("Try to uninstall then reinstall the program."));
    EXPECT_EQ(responder.boxes[0].title, QStringLiteral(" Error"));
    EXPECT_EQ(ends.ends, 1);
  }
}

TEST_F(StartUp, ExitUnloadsEveryOtherWindowAndEnds) {
  training->AddStepTable(QStringLiteral("RadarSteps"), Variant("Radar plotting"), steptables::NumberedSteps(2));
  ASSERT_TRUE(Start(QStringLiteral("RadarSteps")));
  // Two more windows, loaded after the main one; they go in reverse order.
  struct Recording : platform::Form {
    std::vector<QString>* order;
    QString name;
    void Form_Unload(int&) override { order->push_back(name); }
  };
  std::vector<QString> order;
  Recording first, second;
  first.order = second.order = &order;
  first.name = QStringLiteral("first");
  second.name = QStringLiteral("second");
  first.Load();
  second.Load();

  QTest::mouseClick(form->cmdExit, Qt::LeftButton);
  EXPECT_EQ(ends.ends, 1);
  EXPECT_EQ(order, (std::vector<QString>{"second", "first"}));
  EXPECT_FALSE(first.IsLoaded());
  // The recordset was detached from its connection.
  platform::Recordset* rs = form->adoAccMainTest.GetRecordset();
  ASSERT_NE(rs, nullptr);
  EXPECT_THROW(
      {
        rs->AddNew();
        rs->Update();
      },
      platform::VbError);
}

TEST_F(StartUp, ClosingTheWindowEndsTheProgram) {
  training->AddStepTable(QStringLiteral("RadarSteps"), Variant("Radar plotting"), steptables::NumberedSteps(2));
  ASSERT_TRUE(Start(QStringLiteral("RadarSteps")));
  EXPECT_THROW(form->close(), platform::ProgramEnded);
  EXPECT_EQ(ends.ends, 1);
}

TEST_F(StartUp, MainSetsTheBackColourAndShowsTheWindow) {
  training->AddStepTable(QStringLiteral("RadarSteps"), Variant("Radar plotting"), steptables::NumberedSteps(2));
  GLOBAL::FormBackColour = QColor();
  GLOBAL::CommandLine = QStringLiteral("RadarSteps");
  START::Main();
  QTest::qWait(0);
  frmMain* window = START::MainWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(GLOBAL::FormBackColour, QColor(184, 212, 252));
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->BackColor(), QColor(184, 212, 252));
  EXPECT_EQ(window->CurrentStep, 1);
  START::DropMainWindow();
  EXPECT_EQ(START::MainWindow(), nullptr);
}

}  // namespace
