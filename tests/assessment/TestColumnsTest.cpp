// The value-only parts of test building: test types, drop positions, the
// column walk and the random orders.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <set>

#include "assessment/TestBuilder.h"
#include "platform/values/Clock.h"
#include "platform/values/VbError.h"

using namespace assessment;
using platform::Variant;

namespace {

// The fields of a TestList row before "ABOS", then the given question columns.
std::vector<TestField> Row(const std::vector<TestField>& columns) {
  std::vector<TestField> fields{{"TestID", Variant("T1")},          {"AssessorName", Variant("Capt. Hale")},
                                {"TypeTest", Variant("Deck2")},     {"TimePerQuestion", Variant(60)},
                                {"DatabaseVersion", Variant("5.5")}, {"StatusTest", Variant(false)},
                                {"DateTest", Variant::Null()},      {"NamePerson", Variant::Null()},
                                {"Password", Variant::Null()}};
  fields.insert(fields.end(), columns.begin(), columns.end());
  return fields;
}

// n question columns "ABOS", "T2" .. "Tn", each asking for `count` questions.
std::vector<TestField> Columns(int n, const Variant& count = Variant(2)) {
  std::vector<TestField> columns{{"ABOS", count}};
  for (int i = 2; i <= n; ++i) columns.push_back({QStringLiteral("T%1").arg(i), count});
  return columns;
}

TestData Walk(const QString& caption, const std::vector<TestField>& fields, DropPositions drops = {1, 2, 3}) {
  TestData test;
  test.TestCaption = caption;
  WalkTestColumns(fields, drops, test);
  return test;
}

std::vector<QString> Kept(const TestData& test) {
  return {test.TestTables.begin() + 1, test.TestTables.begin() + 1 + test.TestTableCount};
}

int ErrorNumberOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const platform::VbError& e) {
    return e.Number();
  }
  return 0;
}

class FixedClock : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::Clock::SetSource([] { return QDateTime(QDate(2024, 5, 1), QTime(9, 30, 15, 125)); });
  }
  void TearDown() override { platform::Clock::SetSource(nullptr); }
};

}  // namespace

TEST(TestType, TitlesAndResultRows) {
  TestData t;
  ApplyTestType(QStringLiteral("Deck1"), t);
  EXPECT_EQ(t.TestCaption, QStringLiteral("Masters Assesment"));
  EXPECT_EQ(t.TableResults.size(), 21u);
  ApplyTestType(QStringLiteral("Deck2"), t = TestData{});
  EXPECT_EQ(t.TestCaption, QStringLiteral("Mates Assesment"));
  EXPECT_EQ(t.TableResults.size(), 19u);
  ApplyTestType(QStringLiteral("Deck4"), t = TestData{});
  EXPECT_EQ(t.TestCaption, QStringLiteral("OOW Assesment"));
  ASSERT_EQ(t.TableResults.size(), 21u);
  for (const auto& row : t.TableResults) EXPECT_EQ(row, (std::array<double, 3>{0, 0, 0}));
  ApplyTestType(QStringLiteral("deck4"), t = TestData{});
  EXPECT_EQ(t.TestCaption, QStringLiteral("deck4"));
  EXPECT_TRUE(t.TableResults.empty());
}

TEST_F(FixedClock, DropPositionsAreThreeDistinctOfEight) {
  std::set<int> seen;
  for (std::uint64_t seed = 0; seed < 2000; ++seed) {
    platform::RandomGenerator random(seed);
    const DropPositions d = DrawDropPositions(random);
    for (int p : {d.d1, d.d2, d.d3}) {
      ASSERT_GE(p, 1);
      ASSERT_LE(p, 8);
      seen.insert(p);
    }
    ASSERT_NE(d.d1, d.d2);
    ASSERT_NE(d.d1, d.d3);
    ASSERT_NE(d.d2, d.d3);
  }
  EXPECT_EQ(seen.size(), 8u);
}

TEST_F(FixedClock, MatesAndMastersKeepAllButThreeOptionalTables) {
  struct Case {
    QString caption;
    int listed, kept, alwaysKept;
  };
  for (const Case& c : {Case{kMatesTitle, 21, 18, 13}, Case{kMastersTitle, 23, 20, 15}}) {
    std::set<QString> droppedSomewhere;
    for (std::uint64_t seed = 0; seed < 300; ++seed) {
      platform::RandomGenerator random(seed);
      const TestData t = Walk(c.caption, Row(Columns(c.listed)), DrawDropPositions(random));
      ASSERT_EQ(t.TestTableCount, c.kept);
      ASSERT_EQ(t.QuestionCount, 2 * c.kept);
      const std::vector<QString> kept = Kept(t);
      EXPECT_EQ(kept[0], QStringLiteral("ABOS"));
      for (int i = 2; i <= c.alwaysKept; ++i)
        ASSERT_NE(std::find(kept.begin(), kept.end(), QStringLiteral("T%1").arg(i)), kept.end());
      // Kept tables stay in column order.
      for (std::size_t i = 2; i < kept.size(); ++i) ASSERT_LT(kept[i - 1].mid(1).toInt(), kept[i].mid(1).toInt());
      for (int i = c.alwaysKept + 1; i <= c.listed; ++i)
        if (std::find(kept.begin(), kept.end(), QStringLiteral("T%1").arg(i)) == kept.end())
          droppedSomewhere.insert(QStringLiteral("T%1").arg(i));
    }
    EXPECT_EQ(droppedSomewhere.size(), 8u) << "every optional position is dropped by some seed";
  }
}

TEST(ColumnWalk, OowKeepsEveryTableWithACount) {
  const TestData t = Walk(kOowTitle, Row(Columns(20, Variant(3))), {1, 2, 3});
  EXPECT_EQ(t.TestTableCount, 20);
  EXPECT_EQ(t.QuestionCount, 60);
  EXPECT_EQ(t.TestTables.size(), Row(Columns(20)).size() + 1);
  EXPECT_TRUE(t.TestTables[0].isEmpty());
  EXPECT_EQ(t.TableQuestionCounts[20], 3);
}

TEST(ColumnWalk, MatesWithFifteenColumnsLosesOnlyDrawnPositionsFourteenAndFifteen) {
  EXPECT_EQ(Walk(kMatesTitle, Row(Columns(15)), {1, 2, 8}).TestTableCount, 13);
  EXPECT_EQ(Walk(kMatesTitle, Row(Columns(15)), {2, 5, 8}).TestTableCount, 14);
  EXPECT_EQ(Walk(kMatesTitle, Row(Columns(15)), {3, 5, 8}).TestTableCount, 15);
  const TestData t = Walk(kMatesTitle, Row(Columns(15)), {2, 7, 4});
  EXPECT_EQ(Kept(t).back(), QStringLiteral("T14"));
}

TEST(ColumnWalk, CountsBelowOneUseNoPosition) {
  auto columns = Columns(16);
  columns[2].value = Variant(0);              // T3
  columns[5].value = Variant(QString());      // T6: empty text
  columns[6].value = Variant(-4);             // T7
  columns[8].value = Variant("none");         // T9: no leading number
  // Drops at positions 14 and 15: 16 columns less the 4 without a count give
  // only 12 positions, so nothing is dropped.
  TestData t = Walk(kMatesTitle, Row(columns), {1, 2, 8});
  EXPECT_EQ(t.TestTableCount, 12);
  const std::vector<QString> kept = Kept(t);
  for (const char* name : {"T3", "T6", "T7", "T9"})
    EXPECT_EQ(std::find(kept.begin(), kept.end(), QString::fromLatin1(name)), kept.end()) << name;

  // Two columns without a count before the end: the 14th and 15th counted
  // columns are the 16th and 17th listed.
  auto more = Columns(17);
  more[2].value = Variant(0);
  more[4].value = Variant(0);
  t = Walk(kMatesTitle, Row(more), {1, 2, 8});
  EXPECT_EQ(t.TestTableCount, 13);
  EXPECT_EQ(Kept(t).back(), QStringLiteral("T15"));
}

TEST(ColumnWalk, CountsAreRoundedHalvesToEven) {
  auto columns = Columns(5);
  columns[0].value = Variant("2.5");
  columns[1].value = Variant("3.5");
  columns[2].value = Variant(2.5);
  columns[3].value = Variant("7 questions");
  columns[4].value = Variant("0.5");  // rounds to 0: left out
  const TestData t = Walk(kOowTitle, Row(columns));
  ASSERT_EQ(t.TestTableCount, 4);
  EXPECT_EQ(t.TableQuestionCounts[1], 2);
  EXPECT_EQ(t.TableQuestionCounts[2], 4);
  EXPECT_EQ(t.TableQuestionCounts[3], 2);
  EXPECT_EQ(t.TableQuestionCounts[4], 7);
  EXPECT_EQ(t.QuestionCount, 15);
}

TEST(ColumnWalk, WhereTheQuestionColumnsStart) {
  // "abos" (lower case) and "ABOSOK" do not start the columns; the first
  // "ABOS" does, and from there every name not ending in "OK" counts.
  std::vector<TestField> columns{{"abos", Variant(4)},
                                 {"ABOSOK", Variant(4)},
                                 {"Radar", Variant(4)},
                                 {"ABOS", Variant(1)},
                                 {"ABOSOK", Variant::Null()},
                                 {"Colregs", Variant(2)},
                                 {"RemarksOK", Variant::Null()},
                                 {"Stability", Variant("3")},
                                 {"Radarok", Variant(1)}};
  const TestData t = Walk(kOowTitle, Row(columns));
  EXPECT_EQ(Kept(t), (std::vector<QString>{"ABOS", "Colregs", "Stability", "Radarok"}));
  EXPECT_EQ(t.QuestionCount, 7);

  const TestData none = Walk(kOowTitle, Row({{"abos", Variant(4)}, {"Radar", Variant(4)}}));
  EXPECT_EQ(none.TestTableCount, 0);
  EXPECT_EQ(none.QuestionCount, 0);
}

TEST(ColumnWalk, UnknownTypeReadsNoColumn) {
  auto columns = Columns(4);
  columns[1].value = Variant::Null();
  const TestData t = Walk(QStringLiteral("Assessor"), Row(columns));
  EXPECT_EQ(t.TestTableCount, 0);
  EXPECT_EQ(t.QuestionCount, 0);
}

TEST(ColumnWalk, BadCountsFail) {
  auto withNull = Columns(4);
  withNull[2].value = Variant::Null();
  EXPECT_EQ(ErrorNumberOf([&] { Walk(kOowTitle, Row(withNull)); }), platform::err::InvalidUseOfNull);

  auto huge = Columns(2);
  huge[1].value = Variant(32768);
  EXPECT_EQ(ErrorNumberOf([&] { Walk(kOowTitle, Row(huge)); }), platform::err::Overflow);
  huge[1].value = Variant(32767);
  huge[0].value = Variant(0);
  EXPECT_EQ(ErrorNumberOf([&] { Walk(kOowTitle, Row(huge)); }), 0);

  auto total = Columns(2, Variant(20000));
  EXPECT_EQ(ErrorNumberOf([&] { Walk(kOowTitle, Row(total)); }), platform::err::Overflow);
}

TEST_F(FixedClock, RandomOrderIsAPermutationWithZeroFirst) {
  EXPECT_EQ(RandomOrder(0, platform::ProgramRandom()), std::vector<std::int32_t>{0});
  std::set<std::vector<std::int32_t>> orders;
  for (std::uint64_t seed = 0; seed < 200; ++seed) {
    platform::RandomGenerator random(seed);
    const std::vector<std::int32_t> order = RandomOrder(6, random);
    ASSERT_EQ(order.size(), 7u);
    ASSERT_EQ(order[0], 0);
    std::vector<std::int32_t> sorted(order.begin() + 1, order.end());
    std::sort(sorted.begin(), sorted.end());
    ASSERT_EQ(sorted, (std::vector<std::int32_t>{1, 2, 3, 4, 5, 6}));
    orders.insert(order);
  }
  EXPECT_GT(orders.size(), 100u);
}
