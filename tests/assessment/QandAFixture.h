#pragma once
// The question window driven as the program drives it: a temporary
// application folder with its databases, a fixed clock and seed, the dialog
// responder, the program's End caught, and a candidate who closes the
// results window once it shows (noting what it showed).
#include <gtest/gtest.h>

#include <QApplication>
#include <QChart>
#include <QLegend>
#include <QTemporaryDir>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>

#include "QtPrinters.h"
#include "TestDatabases.h"
#include "TestSupport.h"
#include "assessment/GLOBAL.h"
#include "assessment/frmQandA.h"
#include "assessment/frmResults.h"
#include "platform/values/Clock.h"
#include "platform/forms/Program.h"

namespace qanda {

using platform::Variant;
using testdb::QuestionRow;

inline const QDateTime kNow(QDate(2024, 5, 1), QTime(9, 30, 15));

// What the results window showed before the candidate closed it.
struct ResultsSeen {
  bool shown = false;
  QString caption;
  bool modal = false;
  QWidget* owner = nullptr;
  QString title;
  QStringList series;
  bool legendAtBottom = false;
  QStringList labels;
  std::vector<std::array<double, 3>> data;
  double titleFont = 0, legendFont = 0, axisFont = 0;
};

// A responder that can act while a box is open.
class Responder : public testsupport::ScriptedResponder {
 public:
  int MessageBox(const QString& prompt, int style, const QString& title) override {
    const int answer = ScriptedResponder::MessageBox(prompt, style, title);
    if (onBox) onBox(boxes.back());
    return answer;
  }
  std::function<void(const testsupport::RecordedBox&)> onBox;
};

struct StoredResult {
  double date = 0;
  QString type;
  double percent = 0;
};

class QandAFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    platform::Clock::SetSource([] { return kNow; });
    platform::Screen::SetTestSize(15360, 11520);
    db = std::make_unique<testdb::Databases>(dir.path() + QStringLiteral("/app"));
    platform::SetProgramFolder(db->AppFolder() + QStringLiteral("/"));
    ResetProgramValues();
  }

  void TearDown() override {
    for (const QPointer<QTimer>& poll : polls_) delete poll.data();
    if (form) form->hide();
    form.reset();
    platform::SetProgramFolder(QString());
    platform::Screen::SetTestSize(0, 0);
    platform::Screen::SetMousePointer(0);
    platform::Clock::SetSource(nullptr);
    ResetProgramValues();
  }

  // Another application folder, for a test that loads several windows.
  void NewFolder(const QString& name) {
    db = std::make_unique<testdb::Databases>(dir.path() + QStringLiteral("/") + name);
    platform::SetProgramFolder(db->AppFolder() + QStringLiteral("/"));
    ResetProgramValues();
    responder.boxes.clear();
    ends.ends = 0;
  }

  // A new process starts with these.
  static void ResetProgramValues() {
    using namespace assessment;
    GLOBAL::CommandLine.clear();
    GLOBAL::TestId.clear();
    GLOBAL::AppFolder.clear();
    GLOBAL::AnswerPeekMode = false;
    GLOBAL::TextFontSize = 8;
    GLOBAL::SavedTop = 0;
    GLOBAL::SavedLeft = 0;
    GLOBAL::PartState = 0;
  }

  // A results database with one test over the given question tables (each
  // drawing `count` questions) and a training database holding them.
  struct Table {
    QString name;
    QString description;
    int parts = 1;
    QList<QuestionRow> rows;
    int count = -1;  // -1: all its rows
  };
  void MakeTest(const QString& typeTest, int timePerQuestion, const QList<Table>& tables,
                const QString& testId = QStringLiteral("T1")) {
    QList<platform::ColumnDefinition> columns;
    QList<Variant> counts;
    for (int i = 0; i < tables.size(); ++i) {
      columns.append({i == 0 ? QStringLiteral("ABOS") : tables[i].name, platform::ColumnType::Integer});
      counts << Variant(tables[i].count < 0 ? static_cast<int>(tables[i].rows.size()) : tables[i].count);
    }
    db->CreateResults(columns);
    db->AddTest(Variant(testId), Variant(typeTest), counts, Variant(timePerQuestion));
    db->CreateTraining();
    for (int i = 0; i < tables.size(); ++i)
      db->AddQuestionTable(i == 0 ? QStringLiteral("ABOS") : tables[i].name, tables[i].description,
                           tables[i].parts, tables[i].rows);
  }

  // One OOW table of n one-part questions.
  void MakeSimpleTest(int n, int timePerQuestion = 60, const QString& typeTest = QStringLiteral("Deck4")) {
    MakeTest(typeTest, timePerQuestion,
             {{QStringLiteral("ABOS"), QStringLiteral("Anti-collision"), 1,
               testdb::Databases::NumberedRows(QStringLiteral("ABOS"), n)}});
  }

  // Loads the window (and shows it, laid out) with this command line; true
  // when it stayed loaded.
  bool LoadWith(const QString& commandLine = QStringLiteral("T1"), bool show = true) {
    assessment::GLOBAL::CommandLine = commandLine;
    form = std::make_unique<assessment::frmQandA>();
    form->SetRandomGenerator(&random);
    try {
      if (show) form->Show();
      else form->Load();
    } catch (const platform::ProgramEnded&) {
      return false;
    }
    return ends.ends == 0;
  }

  // Closes the results window as soon as it shows, noting what it showed.
  void CloseResultsWhenShown() {
    auto* poll = new QTimer(qApp);
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, poll, [this, poll] {
      for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* results = qobject_cast<assessment::frmResults*>(w);
        if (!results || !results->isVisible()) continue;
        seen.shown = true;
        seen.caption = results->Caption();
        seen.modal = results->IsShownModal();
        seen.owner = results->parentWidget();
        seen.title = results->Chart()->title();
        seen.series.clear();
        seen.labels.clear();
        seen.data.clear();
        for (int r = 1; r <= results->RowCount(); ++r) {
          seen.labels << results->RowLabel(r);
          seen.data.push_back({results->Data(r, 1), results->Data(r, 2), results->Data(r, 3)});
        }
        seen.titleFont = results->TitleFontSize();
        seen.legendFont = results->LegendFontSize();
        seen.axisFont = results->AxisLabelFontSize();
        seen.legendAtBottom = results->Chart()->legend()->alignment() == Qt::AlignBottom;
        if (onResults) onResults(*results);
        results->close();
        poll->deleteLater();
        return;
      }
    });
    poll->start();
    polls_.push_back(poll);
  }

  // A clock that moves on by `step` seconds at each reading (so that Pause
  // returns without waiting); `onRead` runs at each reading.
  void RunClock(double step = 0.5, std::function<void()> onRead = {}) {
    auto now = std::make_shared<QDateTime>(kNow);
    platform::Clock::SetSource([now, step, onRead] {
      if (onRead) onRead();
      const QDateTime t = *now;
      *now = now->addMSecs(static_cast<qint64>(step * 1000));
      return t;
    });
  }

  // Runs a step that ends the program; true when it did.
  bool Ends(const std::function<void()>& step) {
    try {
      step();
    } catch (const platform::ProgramEnded&) {
    }
    return ends.ends > 0;
  }

  std::vector<StoredResult> StoredResults() {
    auto c = testdb::Databases::Open(db->ResultsPath(), shared::kResultsPassword);
    platform::Recordset rs;
    rs.Open(*c, QStringLiteral("SELECT DateTest, TestType, Percent FROM TestResults ORDER BY rowid"));
    std::vector<StoredResult> rows;
    while (!rs.IsEOF()) {
      rows.push_back({rs.Value(0).ToDateSerial(), rs.Value(1).ToText(), rs.Value(2).ToDouble()});
      rs.MoveNext();
    }
    return rows;
  }

  // The table row of the question on screen (1 up).
  int CurrentTable() const {
    return form->Test.Questions(static_cast<int>(form->CurrentQuestionId), 0, assessment::slotTable).toInt();
  }

  QTemporaryDir dir;
  std::unique_ptr<testdb::Databases> db;
  Responder responder;
  testsupport::EndCatcher ends;
  platform::RandomGenerator random{99};
  std::unique_ptr<assessment::frmQandA> form;
  ResultsSeen seen;
  std::function<void(assessment::frmResults&)> onResults;

 private:
  std::vector<QPointer<QTimer>> polls_;
};

}  // namespace qanda
