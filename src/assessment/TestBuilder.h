#pragma once
// Building a test: the test's row of TestList gives the question tables and
// how many questions each contributes (three optional tables dropped at
// random for Mates and Masters tests); each table's usable rows are drawn in
// random order, duplicates refused; the whole test is then shuffled.
#include <QString>
#include <functional>
#include <vector>

#include "assessment/TestData.h"
#include "platform/data/Data.h"
#include "platform/values/Random.h"
#include "platform/values/VbValues.h"

namespace assessment {

// The titles of the known test types ("Assesment" as the programs spell it).
inline const QString kMastersTitle = QStringLiteral("Masters Assesment");  // TypeTest "Deck1"
inline const QString kMatesTitle = QStringLiteral("Mates Assesment");      // TypeTest "Deck2"
inline const QString kOowTitle = QStringLiteral("OOW Assesment");          // TypeTest "Deck4"

// Three distinct positions 1 to 8 among the optional tables; each draw is
// made after re-seeding from the time of day.
struct DropPositions {
  int d1 = 0;
  int d2 = 0;
  int d3 = 0;
};
DropPositions DrawDropPositions(platform::RandomGenerator& random);

// One field of the test's row, in the table's column order.
struct TestField {
  QString name;
  platform::Variant value;
};

// Sets TestCaption and the TableResults bounds from TypeTest; an unknown type
// keeps its own text as the caption and leaves TableResults empty.
void ApplyTestType(const QString& typeTest, TestData& test);

// The column walk: dimensions TestTables and TableQuestionCounts by the
// number of fields, keeps the question-table columns with a count of at
// least 1 (less the dropped positions of a Mates or Masters test), and sums
// the wanted total into QuestionCount. Reads TestCaption.
void WalkTestColumns(const std::vector<TestField>& fields, const DropPositions& drops, TestData& test);

// 0 .. count in random order with 0 kept first: after re-seeding, keys
// count * x + 1 rounded (halves to even) are sorted with the positions.
std::vector<std::int32_t> RandomOrder(int count, platform::RandomGenerator& random);

class TestBuilder {
 public:
  // adoAccess: the results database's control; adoAccMainTest: the training
  // database's. The results control keeps the test's row afterwards.
  TestBuilder(platform::DataControl& adoAccess, platform::DataControl& adoAccMainTest,
              platform::RandomGenerator& random);

  QString AppFolder;
  QString TestId;
  // Unloads the question window when the build cannot go on.
  std::function<void()> UnloadWindow;

  // Fills test. False when the build was given up: the message was shown and
  // UnloadWindow called (which normally ends the program).
  bool BuildTestQuestions(TestData& test);

 private:
  struct Ended {};
  struct TableListRow {
    QString name;
    QString description;
    int questionParts = 0;
    bool questionPic = false;
    bool answerPic = false;
    QString picName;  // "~NO~" for Null
  };
  struct Candidate {
    QString question1, answer1, id, question2, answer2;
  };

  // Runs one database step under the missing-database recovery: a confirmed
  // file runs the step again; anything else ends the build.
  template <class F>
  void Step(F&& step);

  void ReadTestRow(TestData& test);
  void MarkTestRow();
  void ReadTableList();
  void ReadCandidates(const QString& table, int questionParts);
  void DrawTable(int j, const TableListRow& list, TestData& test);

  platform::DataControl& adoAccess_;
  platform::DataControl& adoAccMainTest_;
  platform::RandomGenerator& random_;
  QString databaseInUse_;
  std::vector<TableListRow> tableList_;  // 1 .. n in DBName order; [0] empty
  std::vector<QString> tableNames_;      // the names alone, for the search
  std::vector<Candidate> candidates_;    // 1 .. r; [0] unused
  std::vector<std::int32_t> questionCrcs_;
  int q_ = 0;
};

}  // namespace assessment
