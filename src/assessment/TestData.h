#pragma once
// What building a test produces and the question window, the picture
// display and scoring read: the questions with their texts and picture
// names, their order of presentation, the kept tables and their counts.
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

namespace assessment {

// Slots of Questions(q, part, slot).
enum QuestionSlot {
  slotQuestion = 0,     // rich text; part 1: "~NO~" when the question has one part
  slotAnswer = 1,       // rich text
  slotUnused = 2,
  slotQuestionPic = 3,  // picture name or "~NO~"
  slotAnswerPic = 4,    // picture name or "~NO~"
  slotTable = 5,        // part 0: the TableResults row as decimal text; part 1: table name & "OK"
  slotState = 6,        // answer state: "0" until judged
  slotMark = 7,         // "~NO~" for questions left unanswered when the test is quit
  slotDescription = 8,  // DBDescription of the question's table
};

inline const QString kNoValue = QStringLiteral("~NO~");

// A String array (0 To upper, 0 To 1, 0 To 8). Outside its bounds: error 9.
class QuestionArray {
 public:
  void Dimension(int upper);  // every cell ""
  int UBound() const { return upper_; }  // -1 before Dimension
  QString& operator()(int question, int part, int slot);
  const QString& operator()(int question, int part, int slot) const;

 private:
  std::size_t Cell(int question, int part, int slot) const;
  std::vector<QString> cells_;
  int upper_ = -1;
};

struct TestData {
  QString TestCaption;        // the test title; raw TypeTest for an unknown type
  int TimePerQuestion = 0;    // seconds per question; 9999: no time limit
  int TestTableCount = 0;     // tables kept
  // 0 To number of fields of the test's row; 1 .. TestTableCount used.
  std::vector<QString> TestTables;
  std::vector<int> TableQuestionCounts;
  // Rows 0 To 20 (Masters, OOW) or 0 To 18 (Mates), columns 0 To 2, all 0;
  // empty for an unknown test type. Row j belongs to TestTables[j].
  std::vector<std::array<double, 3>> TableResults;
  int QuestionCount = 0;      // questions placed, at Questions indices 1 .. QuestionCount
  QuestionArray Questions;    // 0 To the wanted total
  // 0 To QuestionCount: [0] = 0, then a permutation of 1 .. QuestionCount.
  std::vector<std::int32_t> QuestionOrder;
};

}  // namespace assessment
