#include "assessment/TestBuilder.h"

#include "platform/values/Clock.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Form.h"
#include "platform/forms/Program.h"
#include "platform/values/VbError.h"
#include "shared/Databases.h"
#include "shared/GLOBAL.h"
#include "shared/modCRC32.h"

namespace assessment {

using platform::Variant;

TestBuilder::TestBuilder(platform::DataControl& adoAccess, platform::DataControl& adoAccMainTest,
                         platform::RandomGenerator& random)
    : adoAccess_(adoAccess), adoAccMainTest_(adoAccMainTest), random_(random) {}

template <class F>
void TestBuilder::Step(F&& step) {
  for (;;) {
    try {
      step();
      return;
    } catch (const platform::VbError& e) {
      platform::Screen::SetMousePointer(platform::vbDefault);
      if (shared::RecoverDatabaseStep(e, AppFolder, databaseInUse_) == shared::Recovery::Retry) continue;
      throw Ended{};
    }
  }
}

bool TestBuilder::BuildTestQuestions(TestData& test) {
  test = TestData{};
  platform::Screen::SetMousePointer(platform::vbHourglass);
  shared::modCRC32::InitCrc32Table();
  databaseInUse_ = shared::kResultsDatabase;
  try {
    // The identifier is bound, never pasted into the query text, and
    // matched exactly whatever the column's collation.
    Step([&] {
      shared::ConnectResultsDatabase(adoAccess_, AppFolder);
      adoAccess_.CommandType = platform::adCmdUnknown;
      adoAccess_.RecordSource = QStringLiteral("Select * from TestList where TestID = ? collate binary");
      adoAccess_.Parameters = {Variant(TestId)};
      adoAccess_.Refresh();
    });
    if (adoAccess_.GetRecordset()->RecordCount() == 0) {
      platform::Screen::SetMousePointer(platform::vbDefault);
      platform::MsgBox(QStringLiteral("No record found. Corrupted TestList table."), platform::vbCritical,
                       QStringLiteral("Fatal Error"));
      if (UnloadWindow) UnloadWindow();
      return false;
    }
    Step([&] { ReadTestRow(test); });
    Step([&] { MarkTestRow(); });

    databaseInUse_ = shared::kTrainingDatabase;
    q_ = 0;
    Step([&] {
      // Opened only to prove the training database is a complete one.
      shared::ConnectTrainingDatabase(adoAccMainTest_, AppFolder);
      adoAccMainTest_.CommandType = platform::adCmdTableDirect;
      adoAccMainTest_.RecordSource = QStringLiteral("TableID");
      adoAccMainTest_.Parameters.clear();
      adoAccMainTest_.Refresh();
      adoAccMainTest_.GetRecordset()->Close();
    });
    Step([&] { ReadTableList(); });

    bool walkEnded = false;
    for (int j = 1; j <= test.TestTableCount && !walkEnded; ++j) {
      const int q0 = q_;
      Step([&] {
        q_ = q0;
        const QString& table = test.TestTables[static_cast<std::size_t>(j)];
        const int k = shared::GLOBAL::BinarySearchText(table, tableNames_);
        if (k < 0) return;
        const TableListRow& list = tableList_[static_cast<std::size_t>(k)];
        if (list.questionParts < 1) return;
        ReadCandidates(table, list.questionParts);
        // A table without a usable row ends the walk: later tables are not visited.
        if (candidates_.size() <= 1) {
          walkEnded = true;
          return;
        }
        DrawTable(j, list, test);
      });
    }

    if (q_ < test.QuestionCount) test.QuestionCount = q_;
    Step([&] { test.QuestionOrder = RandomOrder(test.QuestionCount, random_); });
  } catch (const Ended&) {
    if (UnloadWindow) UnloadWindow();
    return false;
  }
  tableList_.clear();
  tableNames_.clear();
  candidates_.clear();
  questionCrcs_.clear();
  platform::Screen::SetMousePointer(platform::vbDefault);
  return true;
}

void TestBuilder::ReadTestRow(TestData& test) {
  platform::Recordset& rs = *adoAccess_.GetRecordset();
  (void)rs.Value(QStringLiteral("AssessorName")).ToText();
  ApplyTestType(rs.Value(QStringLiteral("TypeTest")).ToText(), test);
  test.TimePerQuestion = rs.Value(QStringLiteral("TimePerQuestion")).ToInteger();
  (void)rs.Value(QStringLiteral("DatabaseVersion")).ToText();

  std::vector<TestField> fields;
  const int count = rs.FieldCount();
  fields.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) fields.push_back({rs.FieldName(i), rs.Value(i)});
  const DropPositions drops = DrawDropPositions(random_);
  WalkTestColumns(fields, drops, test);

  test.Questions.Dimension(test.QuestionCount);
  questionCrcs_.assign(static_cast<std::size_t>(test.QuestionCount) + 1, 0);
}

void TestBuilder::MarkTestRow() {
  // Stored at once, so the row shows the test as taken even when the
  // program ends before scoring.
  platform::Recordset& rs = *adoAccess_.GetRecordset();
  rs.SetValue(QStringLiteral("StatusTest"), Variant(true));
  rs.SetValue(QStringLiteral("DateTest"), Variant::Date(platform::Clock::NowSerial()));
  rs.Update();
}

void TestBuilder::ReadTableList() {
  // The collation makes the order the one the binary search compares by,
  // whatever the column's own declaration.
  adoAccMainTest_.CommandType = platform::adCmdUnknown;
  adoAccMainTest_.RecordSource =
      QStringLiteral("Select * from TableList where (QuestionParts > 0 ) order by DBName collate %1")
          .arg(QLatin1String(platform::kTextCollation));
  adoAccMainTest_.Parameters.clear();
  adoAccMainTest_.Refresh();
  platform::Recordset& rs = *adoAccMainTest_.GetRecordset();
  const int n = platform::CInt(rs.RecordCount());
  tableList_.assign(static_cast<std::size_t>(n) + 1, TableListRow{});
  tableNames_.assign(static_cast<std::size_t>(n) + 1, QString());
  std::size_t i = 1;
  while (!rs.IsEOF() && i <= static_cast<std::size_t>(n)) {
    TableListRow& row = tableList_[i];
    row.name = rs.Value(QStringLiteral("DBName")).ToText();
    row.description = rs.Value(QStringLiteral("DBDescription")).ToText();
    row.questionParts = rs.Value(QStringLiteral("QuestionParts")).ToInteger();
    row.questionPic = rs.Value(QStringLiteral("QuestionPic")).ToBoolean();
    row.answerPic = rs.Value(QStringLiteral("AnswerPic")).ToBoolean();
    (void)rs.Value(QStringLiteral("NumRules")).ToInteger();
    const Variant pic = rs.Value(QStringLiteral("PicName"));
    row.picName = pic.IsNull() ? kNoValue : pic.ToText();
    tableNames_[i] = row.name;
    ++i;
    rs.MoveNext();
  }
  rs.Close();
}

void TestBuilder::ReadCandidates(const QString& table, int questionParts) {
  adoAccMainTest_.CommandType = platform::adCmdUnknown;
  adoAccMainTest_.RecordSource = QStringLiteral("Select * from ") + platform::QuoteIdentifier(table);
  adoAccMainTest_.Parameters.clear();
  adoAccMainTest_.Refresh();
  platform::Recordset& rs = *adoAccMainTest_.GetRecordset();
  const int rows = platform::CInt(rs.RecordCount());
  candidates_.clear();
  candidates_.reserve(static_cast<std::size_t>(rows) + 1);
  candidates_.emplace_back();
  rs.MoveFirst();
  // Each field is looked up by name on its first read (failing as such a
  // read fails) and by its position from then on: a lookup by name costs
  // more than the read, and tables run to thousands of rows.
  struct Field {
    QString name;
    int index = -1;
  };
  const auto read = [&rs](Field& f) {
    if (f.index >= 0) return rs.Value(f.index);
    Variant v = rs.Value(f.name);
    for (int i = 0; i < rs.FieldCount() && f.index < 0; ++i)
      if (platform::CompareText(rs.FieldName(i), f.name) == 0) f.index = i;
    return v;
  };
  Field q1{QStringLiteral("Question1")}, a1{QStringLiteral("Answer1")}, id{QStringLiteral("Id")},
      q2{QStringLiteral("Question2")}, a2{QStringLiteral("Answer2")};
  while (!rs.IsEOF()) {
    const Variant question = read(q1);
    const Variant answer = read(a1);
    if (!question.IsNull() && !answer.IsNull()) {
      Candidate c;
      c.question1 = question.ToText();
      c.answer1 = answer.ToText();
      c.id = read(id).ToText();
      c.question2 = kNoValue;
      c.answer2 = kNoValue;
      if (questionParts > 1) {
        const Variant second = read(q2);
        const Variant secondAnswer = read(a2);
        if (!second.IsNull()) c.question2 = second.ToText();
        if (!secondAnswer.IsNull()) c.answer2 = secondAnswer.ToText();
      }
      candidates_.push_back(std::move(c));
    }
    rs.MoveNext();
  }
  rs.Close();
}

void TestBuilder::DrawTable(int j, const TableListRow& list, TestData& test) {
  const int r = static_cast<int>(candidates_.size()) - 1;
  const std::vector<std::int32_t> rowNumber = RandomOrder(r, random_);
  QuestionArray& Questions = test.Questions;
  const QString tableText = QString::number(j);
  int i = 1;
  const int quota = test.TableQuestionCounts[static_cast<std::size_t>(j)];
  for (int c = 1; c <= quota; ++c) {
    ++q_;
    for (;;) {
      if (i > r) {
        // The table is used up; the rest of its quota stays unfilled.
        Questions(q_, 0, slotQuestion).clear();
        --q_;
        return;
      }
      const Candidate& row = candidates_[static_cast<std::size_t>(rowNumber[static_cast<std::size_t>(i)])];
      Questions(q_, 0, slotQuestion) = row.question1;
      // The CRC of the case-folded text, so that texts differing only in
      // letter case meet in the CRC test and reach the text comparison.
      const std::int32_t crc = shared::modCRC32::ComputeStringCrc32(row.question1.toCaseFolded());
      questionCrcs_[static_cast<std::size_t>(q_)] = crc;
      bool duplicate = false;
      for (int m = 1; m < q_; ++m) {
        if (questionCrcs_[static_cast<std::size_t>(m)] == crc &&
            platform::CompareText(Questions(m, 0, slotQuestion), row.question1) == 0) {
          duplicate = true;
          break;
        }
      }
      if (duplicate) {
        ++i;
        continue;
      }
      Questions(q_, 0, slotAnswer) = row.answer1;
      Questions(q_, 0, slotQuestionPic) = list.questionPic ? list.picName + QStringLiteral("_Q1_") + row.id : kNoValue;
      Questions(q_, 0, slotAnswerPic) = list.answerPic ? list.picName + QStringLiteral("_A1_") + row.id : kNoValue;
      Questions(q_, 0, slotTable) = tableText;
      Questions(q_, 0, slotState) = QStringLiteral("0");
      Questions(q_, 0, slotDescription) = list.description;
      if (list.questionParts == 2) {
        Questions(q_, 1, slotQuestion) = row.question2;
        Questions(q_, 1, slotAnswer) = row.answer2;
        Questions(q_, 1, slotQuestionPic) =
            list.questionPic ? list.picName + QStringLiteral("_Q2_") + row.id : kNoValue;
        Questions(q_, 1, slotAnswerPic) = list.answerPic ? list.picName + QStringLiteral("_A2_") + row.id : kNoValue;
        Questions(q_, 1, slotTable) = test.TestTables[static_cast<std::size_t>(j)] + QStringLiteral("OK");
        Questions(q_, 1, slotState) = QStringLiteral("0");
        Questions(q_, 1, slotDescription) = list.description;
      } else {
        Questions(q_, 1, slotQuestion) = kNoValue;
      }
      ++i;
      break;
    }
  }
}

}  // namespace assessment
