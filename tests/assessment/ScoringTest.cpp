// Scoring and the results: tallies per table, the chart's rows and fonts,
// the stored TestResults row, tests with nothing to score, and a results
// database that fails at save time.
#include <QChartView>
#include <QElapsedTimer>
#include <QFile>
#include <QGraphicsTextItem>

#include <sqlite3.h>

#include "ImageChecks.h"
#include "QandAFixture.h"

using namespace assessment;
using namespace qanda;

namespace {

class ScoringTest : public QandAFixture {
 protected:
  // Judges every part with the button `choose` names ('C', 'W' or 'P') for
  // the table and part on screen, then closes the results window.
  void Answer(const std::function<char(int table, int partState)>& choose) {
    CloseResultsWhenShown();
    for (int guard = 0; guard < 1000 && ends.ends == 0; ++guard) {
      const char b = choose(CurrentTable(), GLOBAL::PartState);
      try {
        if (b == 'C') form->cmdCorrect_Click();
        else if (b == 'W') form->cmdWrong_Click();
        else form->cmdPass_Click();
      } catch (const platform::ProgramEnded&) {
      }
    }
  }
};

TEST_F(ScoringTest, FourQuestionsCorrectWrongPassCorrectScoreFifty) {
  MakeSimpleTest(4);
  ASSERT_TRUE(LoadWith());
  const char script[] = "CWPC";
  int next = 0;
  Answer([&](int, int) { return script[next++]; });
  EXPECT_EQ(next, 4);
  EXPECT_EQ(ends.ends, 1);
  ASSERT_TRUE(seen.shown);
  // The table's row: 2 correct, 1 false, 1 not answered of 4.
  EXPECT_EQ(form->Test.TableResults[1], (std::array<double, 3>{2, 1, 1}));
  EXPECT_EQ(seen.labels, QStringList{QStringLiteral("ABOS")});
  ASSERT_EQ(seen.data.size(), 1u);
  EXPECT_EQ(seen.data[0], (std::array<double, 3>{50, 25, 25}));
  const std::vector<StoredResult> rows = StoredResults();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_DOUBLE_EQ(rows[0].percent, 50);
}

TEST_F(ScoringTest, TwoPartQuestionJudgedCorrectThenWrongCountsHalfEach) {
  MakeTest(QStringLiteral("Deck4"), 60,
           {{QStringLiteral("ABOS"), QStringLiteral("Rules"), 2,
             {{Variant(1), Variant("Q1"), Variant("A1"), Variant("Q2"), Variant("A2")}}}});
  ASSERT_TRUE(LoadWith());
  Answer([](int, int state) { return state == 11 ? 'C' : 'W'; });
  EXPECT_EQ(form->Test.Questions(1, 0, slotState), QStringLiteral("CHQ"));
  EXPECT_EQ(form->Test.Questions(1, 1, slotState), QStringLiteral("WHQ"));
  EXPECT_EQ(form->Test.TableResults[1], (std::array<double, 3>{0.5, 0.5, 0}));
  ASSERT_EQ(seen.data.size(), 1u);
  EXPECT_EQ(seen.data[0], (std::array<double, 3>{50, 50, 0}));
  ASSERT_EQ(StoredResults().size(), 1u);
  EXPECT_DOUBLE_EQ(StoredResults()[0].percent, 50);
}

TEST_F(ScoringTest, PercentagesPerTableRow) {
  MakeTest(QStringLiteral("Deck4"), 60,
           {{QStringLiteral("ABOS"), QStringLiteral("First"), 1, testdb::Databases::NumberedRows("A", 2)},
            {QStringLiteral("BRIDGE"), QStringLiteral("Second"), 1, testdb::Databases::NumberedRows("B", 3)}});
  ASSERT_TRUE(LoadWith());
  int firstTable = 0;
  Answer([&](int table, int) {
    if (table == 1) return ++firstTable == 1 ? 'C' : 'W';
    return 'P';
  });
  EXPECT_EQ(seen.labels, (QStringList{QStringLiteral("ABOS"), QStringLiteral("BRIDGE")}));
  ASSERT_EQ(seen.data.size(), 2u);
  EXPECT_EQ(seen.data[0], (std::array<double, 3>{50, 50, 0}));
  EXPECT_EQ(seen.data[1], (std::array<double, 3>{0, 0, 100}));
  ASSERT_EQ(StoredResults().size(), 1u);
  EXPECT_DOUBLE_EQ(StoredResults()[0].percent, 20);
}

TEST_F(ScoringTest, StoredRowIsAppendedWithDateTitleAndUnroundedPercent) {
  MakeSimpleTest(3);
  {
    auto c = testdb::Databases::Open(db->ResultsPath(), shared::kResultsPassword);
    c->Execute(QStringLiteral("INSERT INTO TestResults VALUES (45000.5, 'Mates Assesment', 75)"));
    c->Execute(QStringLiteral("INSERT INTO TestResults VALUES (45001.5, 'OOW Assesment', 90)"));
  }
  ASSERT_TRUE(LoadWith());
  int n = 0;
  Answer([&](int, int) { return ++n == 1 ? 'C' : 'W'; });
  const std::vector<StoredResult> rows = StoredResults();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].percent, 75);
  EXPECT_EQ(rows[1].percent, 90);
  EXPECT_DOUBLE_EQ(rows[2].date, platform::ToDateSerial(kNow));
  EXPECT_EQ(rows[2].type, QStringLiteral("OOW Assesment"));
  EXPECT_EQ(rows[2].percent, 1.0 / 3 * 100);  // score / questions x 100, not rounded
  // Exactly these three fields, nothing else.
  auto c = testdb::Databases::Open(db->ResultsPath(), shared::kResultsPassword);
  platform::Recordset rs;
  rs.Open(*c, QStringLiteral("SELECT * FROM TestResults"));
  EXPECT_EQ(rs.FieldCount(), 3);
}

TEST_F(ScoringTest, ResultsWindowShowsTheChartModallyOverTheQuestionWindow) {
  MakeSimpleTest(1);
  ASSERT_TRUE(LoadWith());
  Answer([](int, int) { return 'C'; });
  ASSERT_TRUE(seen.shown);
  EXPECT_EQ(seen.caption, QStringLiteral("QVR Test Results"));
  EXPECT_TRUE(seen.modal);
  EXPECT_EQ(seen.owner, form.get());
  EXPECT_EQ(seen.title, QStringLiteral("Tests Results [%]"));
  EXPECT_TRUE(seen.legendAtBottom);
  // The question window's texts and bars were hidden before the chart came.
  EXPECT_FALSE(form->rtfQuestion->isVisible());
  EXPECT_FALSE(form->rtfAnswer->isVisible());
  EXPECT_FALSE(form->prgQuestLeft->isVisible());
  EXPECT_FALSE(form->lblTimeLeft->isVisible());
}

TEST_F(ScoringTest, TableWithoutJudgedQuestionsShowsNoBars) {
  // As when the time runs out before any question of the second table.
  const std::vector<std::array<double, 3>> tallies{{0, 0, 0}, {1, 0, 1}, {0, 0, 0}};
  const std::vector<QString> tables{QString(), QStringLiteral("ABOS"), QStringLiteral("BRIDGE")};
  frmResults results(tallies, tables);
  results.Show();
  ASSERT_EQ(results.RowCount(), 2);
  EXPECT_EQ(results.RowLabel(2), QStringLiteral("BRIDGE"));
  for (int c = 1; c <= 3; ++c) {
    EXPECT_EQ(results.Data(1, c), c == 2 ? 0 : 50) << c;
    EXPECT_EQ(results.Data(2, c), 0) << c;
  }
  results.hide();
}

TEST_F(ScoringTest, RowPercentages) {
  EXPECT_EQ(frmResults::RowPercentages({1, 1, 0}), (std::array<double, 3>{50, 50, 0}));
  EXPECT_EQ(frmResults::RowPercentages({0.5, 1, 0.5}), (std::array<double, 3>{25, 50, 25}));
  EXPECT_EQ(frmResults::RowPercentages({0, 0, 3}), (std::array<double, 3>{0, 0, 100}));
  EXPECT_EQ(frmResults::RowPercentages({0, 0, 0}), (std::array<double, 3>{0, 0, 0}));
}

TEST_F(ScoringTest, ChartFontsFollowTheHalfScreenRule) {
  const std::vector<std::array<double, 3>> tallies(19, {1, 0, 0});
  std::vector<QString> tables(30);
  for (int i = 1; i <= 18; ++i) tables[static_cast<std::size_t>(i)] = QStringLiteral("T%1").arg(i);
  // Half of a 2048 x 1536 screen is far above the least size any font's names ask for.
  platform::Screen::SetTestSize(30720, 23040);
  frmResults results(tallies, tables);
  results.Show();
  EXPECT_EQ(results.RowCount(), 18);
  EXPECT_EQ(results.RowLabel(18), QStringLiteral("T18"));
  struct Case {
    double width, height, title, legend, axis;
  };
  for (const Case& c : {Case{21600, 14400, 14, 10, 10}, Case{15360, 11520, 14, 10, 10}, Case{15345, 14400, 12, 8, 8},
                        Case{21600, 11505, 12, 8, 8}, Case{18000, 12000, 14, 10, 10}}) {
    results.SetWidth(c.width);
    results.SetHeight(c.height);
    EXPECT_EQ(results.TitleFontSize(), c.title) << c.width << " x " << c.height;
    EXPECT_EQ(results.LegendFontSize(), c.legend) << c.width << " x " << c.height;
    EXPECT_EQ(results.AxisLabelFontSize(), c.axis) << c.width << " x " << c.height;
    // The chart fills the window.
    EXPECT_EQ(results.graResults->geometry(), results.Client()->rect());
  }
  results.hide();
}

// The names the picture of the chart shows: label items drawn inside the
// chart with dark ink where they stand.
QStringList DrawnNames(frmResults& results) {
  QCoreApplication::processEvents();
  QChartView* view = results.graResults;
  const QImage picture = view->grab().toImage();
  QStringList drawn;
  for (QGraphicsItem* item : view->scene()->items()) {
    auto* label = dynamic_cast<QGraphicsTextItem*>(item);
    if (!label || !label->isVisible()) continue;
    const QRect area = view->mapFromScene(label->sceneBoundingRect()).boundingRect().adjusted(1, 1, -1, -1);
    if (!picture.rect().contains(area)) continue;
    const double ink = testsupport::ShareOf(picture.copy(area), [](const QColor& c) { return c.lightnessF() < 0.5; });
    if (ink > 0.02) drawn << label->toPlainText();
  }
  return drawn;
}

TEST_F(ScoringTest, EveryBarCarriesItsTableNameInBothFontSizes) {
  const std::vector<std::array<double, 3>> tallies(21, {1, 1, 0.5});
  std::vector<QString> many(21);
  QStringList names;
  for (int i = 1; i <= 20; ++i) names << (many[static_cast<std::size_t>(i)] = QStringLiteral("CARGO%1").arg(i));
  platform::Screen::SetTestSize(30720, 23040);  // the design width is under half of it, 15400 above
  frmResults crowded(tallies, many);
  crowded.Show();
  EXPECT_EQ(crowded.RowCount(), 20);
  for (const double width : {frmResults::kDesignWidth, 15400.0}) {
    crowded.SetWidth(width);
    crowded.SetHeight(width < 15360 ? frmResults::kDesignHeight : 12000);
    EXPECT_EQ(crowded.AxisLabelFontSize(), width < 15360 ? 8 : 10);
    EXPECT_EQ(crowded.AxisLabelAngle(), -90) << width;
    QStringList axis;
    for (int r = 1; r <= 20; ++r) axis << crowded.RowLabel(r);
    EXPECT_EQ(axis, names);
    const QStringList drawn = DrawnNames(crowded);
    for (const QString& name : names) EXPECT_TRUE(drawn.contains(name)) << name.toStdString() << " at " << width;
  }
  // Made narrower than the upright names need, it springs back.
  crowded.SetWidth(3000);
  EXPECT_GT(crowded.Width(), 3000);
  const QStringList least = DrawnNames(crowded);
  for (const QString& name : names) EXPECT_TRUE(least.contains(name)) << name.toStdString();
  crowded.hide();

  std::vector<QString> few{QString(), QStringLiteral("ABOS"), QStringLiteral("NAV1"), QStringLiteral("MED1"),
                           QStringLiteral("STAB1"), QStringLiteral("COLREG2")};
  frmResults level(tallies, few);
  level.Show();
  EXPECT_EQ(level.RowCount(), 5);
  EXPECT_EQ(level.AxisLabelAngle(), 0);
  const QStringList drawn = DrawnNames(level);
  for (std::size_t i = 1; i <= 5; ++i) EXPECT_TRUE(drawn.contains(few[i])) << few[i].toStdString();
  level.hide();
}

TEST_F(ScoringTest, RowsBeyondTheTestsTablesAreLeftOut) {
  MakeTest(QStringLiteral("Deck1"), 60,
           {{QStringLiteral("ABOS"), QStringLiteral("First"), 1, testdb::Databases::NumberedRows("A", 1)},
            {QStringLiteral("BRIDGE"), QStringLiteral("Second"), 1, testdb::Databases::NumberedRows("B", 1)}});
  ASSERT_TRUE(LoadWith());
  ASSERT_EQ(form->Test.TableResults.size(), 21u);  // a Masters test has 20 rows
  Answer([](int, int) { return 'C'; });
  EXPECT_EQ(seen.labels, (QStringList{QStringLiteral("ABOS"), QStringLiteral("BRIDGE")}));
  EXPECT_EQ(StoredResults()[0].type, QStringLiteral("Masters Assesment"));
}

TEST_F(ScoringTest, TablesBeyondTheTypesRowsStillScore) {
  QList<Table> tables;
  for (int i = 1; i <= 21; ++i)
    tables.append({QStringLiteral("T%1").arg(i, 2, 10, QChar('0')), QStringLiteral("Table %1").arg(i), 1,
                   testdb::Databases::NumberedRows(QStringLiteral("T%1").arg(i), 1)});
  MakeTest(QStringLiteral("Deck4"), 60, tables);
  ASSERT_TRUE(LoadWith());
  ASSERT_EQ(form->Test.TestTableCount, 21);
  Answer([](int table, int) { return table == 21 ? 'C' : 'W'; });
  EXPECT_EQ(seen.labels.size(), 20);
  EXPECT_EQ(seen.data[19], (std::array<double, 3>{0, 100, 0}));
  ASSERT_EQ(StoredResults().size(), 1u);
  EXPECT_DOUBLE_EQ(StoredResults()[0].percent, 100.0 / 21);
}

TEST_F(ScoringTest, TestWithoutQuestionsEndsAtOnceAndStoresNothing) {
  // An unknown type gives no questions; so does a known one without tables.
  for (const char* type : {"Deck9", "Deck4"}) {
    NewFolder(QString::fromLatin1(type));
    MakeTest(QString::fromLatin1(type), 60,
             {{QStringLiteral("ABOS"), QStringLiteral("First"), 1, testdb::Databases::NumberedRows("A", 2), 0}});
    seen = ResultsSeen{};
    CloseResultsWhenShown();
    EXPECT_FALSE(LoadWith()) << type;
    EXPECT_EQ(ends.ends, 1) << type;
    EXPECT_EQ(form->Test.QuestionCount, 0) << type;
    EXPECT_TRUE(seen.shown) << type;
    EXPECT_TRUE(seen.labels.isEmpty()) << type;
    EXPECT_TRUE(StoredResults().empty()) << type;
    EXPECT_TRUE(responder.boxes.empty()) << type;
  }
}

TEST_F(ScoringTest, ResultsFileGoneAtSaveTimeIsReportedAndNothingIsWritten) {
  MakeSimpleTest(1);
  ASSERT_TRUE(LoadWith());
  onResults = [&](frmResults&) { ASSERT_TRUE(QFile::remove(db->ResultsPath())); };
  Answer([](int, int) { return 'C'; });
  EXPECT_EQ(ends.ends, 1);
  ASSERT_EQ(responder.boxes.size(), 1u);
  const QStringList lines = responder.boxes[0].prompt.split(QStringLiteral("\r\n"));
  ASSERT_EQ(lines.size(), 4);
  EXPECT_EQ(lines[0], QStringLiteral("Unable to connect to your database"));
  EXPECT_EQ(lines[1], db->ResultsPath());
  EXPECT_TRUE(lines[2].startsWith(QStringLiteral("Could not find file"))) << lines[2].toStdString();
  EXPECT_EQ(responder.boxes[0].title, QStringLiteral(" Error"));
  EXPECT_EQ(responder.boxes[0].style, 16);
  EXPECT_FALSE(QFile::exists(db->ResultsPath()));
}

// Another program's connection to the results file.
class OtherProgram {
 public:
  explicit OtherProgram(const QString& path) {
    EXPECT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &db_), SQLITE_OK);
  }
  ~OtherProgram() { sqlite3_close(db_); }
  bool Lock(const char* how) { return sqlite3_exec(db_, how, nullptr, nullptr, nullptr) == SQLITE_OK; }
  void Release() { sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr); }

 private:
  sqlite3* db_ = nullptr;
};

TEST_F(ScoringTest, LockHeldForEightSecondsDuringTheSaveEndsWithTheRowStored) {
  MakeSimpleTest(1);
  ASSERT_TRUE(LoadWith());
  // The other program takes the file, readers shut out too, as the results
  // window shows, and gives it back eight seconds later: longer than the
  // data layer's own wait, and only seen when the save lets the window run.
  OtherProgram other(db->ResultsPath());
  QElapsedTimer held;
  std::vector<qint64> ticks;
  QTimer beat;
  QObject::connect(&beat, &QTimer::timeout, [&] { ticks.push_back(held.elapsed()); });
  onResults = [&](frmResults&) {
    ASSERT_TRUE(other.Lock("BEGIN EXCLUSIVE"));
    held.start();
    beat.start(50);
    QTimer::singleShot(8000, Qt::PreciseTimer, form.get(), [&] {
      // Meanwhile the buttons and the close box must not end the program.
      form->cmdCorrect->click();
      form->close();
      other.Release();
    });
  };
  Answer([](int, int) { return 'C'; });
  const qint64 saved = held.elapsed();
  beat.stop();
  EXPECT_EQ(ends.ends, 1);
  EXPECT_TRUE(responder.boxes.empty());
  ASSERT_EQ(StoredResults().size(), 1u);
  EXPECT_EQ(StoredResults()[0].percent, 100);
  EXPECT_GT(saved, platform::kDefaultBusyTimeout + 2000);
  // The window was live all along: no gap of seconds between two beats.
  qint64 longestGap = 0;
  for (std::size_t i = 1; i < ticks.size(); ++i) longestGap = std::max(longestGap, ticks[i] - ticks[i - 1]);
  EXPECT_LT(longestGap, 2000);
  EXPECT_GT(ticks.size(), 20u);
}

TEST_F(ScoringTest, LockHeldPastTheLimitEndsInTheErrorBoxWithoutARow) {
  MakeSimpleTest(1);
  ASSERT_TRUE(LoadWith());
  form->SaveWaitLimit = 1500;
  // The other program writes all the while: reading works, storing does not.
  OtherProgram other(db->ResultsPath());
  ASSERT_TRUE(other.Lock("BEGIN IMMEDIATE"));
  QElapsedTimer held;
  held.start();
  Answer([](int, int) { return 'C'; });
  EXPECT_GE(held.elapsed(), 1500);
  other.Release();
  EXPECT_EQ(ends.ends, 1);
  ASSERT_EQ(responder.boxes.size(), 1u);
  EXPECT_EQ(responder.boxes[0].prompt, QStringLiteral("Unable to connect to your database\r\n") + db->ResultsPath() +
                                           QStringLiteral("\r\ndatabase is locked\r\nTry to uninstall then "
                                                          "reinstall the program."));
  EXPECT_EQ(responder.boxes[0].title, QStringLiteral(" Error"));
  EXPECT_EQ(responder.boxes[0].style, 16);
  EXPECT_TRUE(StoredResults().empty());
}

}  // namespace
