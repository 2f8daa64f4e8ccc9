// The parts of test building that work on values alone: the test type, the
// drop positions, the column walk and the random orders.
#include "assessment/TestBuilder.h"

#include "shared/GLOBAL.h"

namespace assessment {

DropPositions DrawDropPositions(platform::RandomGenerator& random) {
  auto draw = [&random] {
    random.Randomize();
    return static_cast<int>(platform::Int(8 * random.Rnd())) + 1;
  };
  DropPositions d;
  d.d1 = draw();
  do d.d2 = draw();
  while (d.d2 == d.d1);
  do d.d3 = draw();
  while (d.d3 == d.d1 || d.d3 == d.d2);
  return d;
}

void ApplyTestType(const QString& typeTest, TestData& test) {
  test.TestCaption = typeTest;
  int rows = -1;
  if (typeTest == QLatin1String("Deck1")) {
    test.TestCaption = kMastersTitle;
    rows = 20;
  } else if (typeTest == QLatin1String("Deck2")) {
    test.TestCaption = kMatesTitle;
    rows = 18;
  } else if (typeTest == QLatin1String("Deck4")) {
    test.TestCaption = kOowTitle;
    rows = 20;
  }
  if (rows >= 0) test.TableResults.assign(static_cast<std::size_t>(rows) + 1, {0.0, 0.0, 0.0});
}

void WalkTestColumns(const std::vector<TestField>& fields, const DropPositions& drops, TestData& test) {
  const std::size_t bound = fields.size() + 1;  // 0 To F
  test.TestTables.assign(bound, QString());
  test.TableQuestionCounts.assign(bound, 0);
  test.TestTableCount = 0;
  test.QuestionCount = 0;

  // Mates and Masters tests lose the tables at three drawn positions after
  // the first 13 or 15.
  int dropBase = -1;
  if (test.TestCaption == kMatesTitle) dropBase = 13;
  else if (test.TestCaption == kMastersTitle) dropBase = 15;
  const bool known = dropBase >= 0 || test.TestCaption == kOowTitle;

  bool started = false;
  int position = 0;
  for (const TestField& field : fields) {
    if (!(field.name == QLatin1String("ABOS") || started) || field.name.endsWith(QLatin1String("OK"))) continue;
    started = true;
    if (!known) continue;
    const int n = platform::CInt(platform::Val(field.value.ToText()));
    if (n < 1) continue;
    if (dropBase >= 0) {
      ++position;
      if (position == drops.d1 + dropBase || position == drops.d2 + dropBase || position == drops.d3 + dropBase)
        continue;
    }
    ++test.TestTableCount;
    test.TestTables[static_cast<std::size_t>(test.TestTableCount)] = field.name;
    test.TableQuestionCounts[static_cast<std::size_t>(test.TestTableCount)] = n;
    test.QuestionCount = platform::CInt(static_cast<double>(test.QuestionCount) + n);
  }
}

std::vector<std::int32_t> RandomOrder(int count, platform::RandomGenerator& random) {
  std::vector<std::int32_t> keys(static_cast<std::size_t>(count) + 1, 0);
  std::vector<std::int32_t> order(static_cast<std::size_t>(count) + 1, 0);
  random.Randomize();
  for (int i = 1; i <= count; ++i) {
    order[static_cast<std::size_t>(i)] = i;
    keys[static_cast<std::size_t>(i)] = platform::CLng(count * random.Rnd() + 1);
  }
  shared::GLOBAL::SortKeysWithPayload(keys, order);
  return order;
}

}  // namespace assessment
