#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <random>

#include "platform/values/Clock.h"
#include "platform/values/VbError.h"
#include "platform/values/VbValues.h"
#include "shared/GLOBAL.h"

using shared::GLOBAL::BinarySearchText;
using shared::GLOBAL::Pause;
using shared::GLOBAL::SortKeysWithPayload;

namespace {

int ErrorNumberOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const platform::VbError& e) {
    return e.Number();
  }
  return 0;
}

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace

TEST(SortKeysWithPayload, EqualKeysMayChangeTheirOrder) {
  std::vector<std::int32_t> keys{0, 2, 2, 1};
  std::vector<std::int32_t> items{0, 1, 2, 3};
  SortKeysWithPayload(keys, items);
  EXPECT_EQ(keys, (std::vector<std::int32_t>{0, 1, 2, 2}));
  EXPECT_EQ(items, (std::vector<std::int32_t>{0, 3, 2, 1}));
}

TEST(SortKeysWithPayload, RandomKeysSortAndCarryTheirItems) {
  std::mt19937 gen(7);
  for (int round = 0; round < 200; ++round) {
    const int n = static_cast<int>(gen() % 60);
    std::vector<std::int32_t> keys, items;
    std::vector<std::pair<std::int32_t, std::int32_t>> before, after;
    for (int i = 0; i < n; ++i) {
      keys.push_back(static_cast<std::int32_t>(gen() % 10) - 3);
      items.push_back(i);
      before.emplace_back(keys.back(), i);
    }
    SortKeysWithPayload(keys, items);
    ASSERT_TRUE(std::is_sorted(keys.begin(), keys.end()));
    for (int i = 0; i < n; ++i) after.emplace_back(keys[i], items[i]);
    std::sort(before.begin(), before.end());
    std::sort(after.begin(), after.end());
    ASSERT_EQ(before, after) << "items moved away from their keys";
  }
}

TEST(SortKeysWithPayload, Limits) {
  std::vector<std::int32_t> none, noItems;
  SortKeysWithPayload(none, noItems);
  EXPECT_TRUE(none.empty());

  std::vector<std::int32_t> keys(32768, 1), items(32768, 0);
  EXPECT_EQ(ErrorNumberOf([&] { SortKeysWithPayload(keys, items); }), 0);
  std::vector<std::int32_t> tooMany(32769, 1), tooManyItems(32769, 0);
  EXPECT_EQ(ErrorNumberOf([&] { SortKeysWithPayload(tooMany, tooManyItems); }), platform::err::Overflow);

  std::vector<std::int32_t> three{3, 2, 1}, two{0, 1};
  EXPECT_EQ(ErrorNumberOf([&] { SortKeysWithPayload(three, two); }), platform::err::SubscriptOutOfRange);
}

TEST(BinarySearchText, TrimmedKeyIgnoresCase) {
  const std::vector<QString> list{"", "abos", "Colregs", "radar", "Stability"};
  EXPECT_EQ(BinarySearchText(QStringLiteral("  ABOS  "), list), 1);
  EXPECT_EQ(BinarySearchText(QStringLiteral("RADAR"), list), 3);
  EXPECT_EQ(BinarySearchText(QStringLiteral("Meteorology"), list), -1);
  EXPECT_EQ(BinarySearchText(QStringLiteral("zzz"), list), -1);
}

TEST(BinarySearchText, EntriesAreNotTrimmed) {
  const std::vector<QString> list{"", "ABOS ", "Radar"};
  EXPECT_EQ(BinarySearchText(QStringLiteral("ABOS"), list), -1);
  EXPECT_EQ(BinarySearchText(QStringLiteral("ABOS "), list), -1);  // the key is trimmed
}

TEST(BinarySearchText, SmallLists) {
  EXPECT_EQ(BinarySearchText(QStringLiteral("Radar"), {QStringLiteral("radar")}), 0);
  EXPECT_EQ(BinarySearchText(QStringLiteral("Radar"), {QStringLiteral("Stability")}), -1);
  EXPECT_EQ(BinarySearchText(QStringLiteral("Radar"), {}), -1);
}

TEST(BinarySearchText, MiddleRoundsHalvesToEven) {
  // lo 0, hi 3: the middle is 1.5, taken as 2, so the second of the equal
  // entries answers.
  const std::vector<QString> list{"a", "b", "b", "b"};
  EXPECT_EQ(BinarySearchText(QStringLiteral("B"), list), 2);
  // lo 0, hi 1: 0.5 is taken as 0.
  EXPECT_EQ(BinarySearchText(QStringLiteral("a"), {QStringLiteral("a"), QStringLiteral("a")}), 0);
}

TEST(BinarySearchText, FindsEveryEntryOfSortedLists) {
  for (int n = 1; n <= 70; ++n) {
    std::vector<QString> list{QString()};  // position 0 left empty, as the table list has it
    for (int i = 1; i < n; ++i) list.push_back(QStringLiteral("Table%1").arg(i * 2, 3, 10, QLatin1Char('0')));
    for (int i = 0; i < n; ++i) ASSERT_EQ(BinarySearchText(list[i].toUpper(), list), i) << "n " << n;
    for (int i = 1; i < n; ++i)
      ASSERT_EQ(BinarySearchText(QStringLiteral("Table%1").arg(i * 2 + 1, 3, 10, QLatin1Char('0')), list), -1);
  }
}

TEST(BinarySearchText, LongListsOverflow) {
  std::vector<QString> list(32769, QStringLiteral("x"));
  EXPECT_EQ(ErrorNumberOf([&] { (void)BinarySearchText(QStringLiteral("x"), list); }), platform::err::Overflow);
}

class PauseTest : public ::testing::Test {
 protected:
  void TearDown() override { platform::Clock::SetSource(nullptr); }
};

TEST_F(PauseTest, ZeroOrLessReturnsWithoutRunningEvents) {
  bool ran = false;
  QTimer::singleShot(0, [&] { ran = true; });
  Pause(0);
  Pause(-1.5f);
  EXPECT_FALSE(ran);
  QCoreApplication::processEvents();
  EXPECT_TRUE(ran);
}

TEST_F(PauseTest, WaitsWhileEventsRunWithoutBurningTheProcessor) {
  int ticks = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
  timer.start(20);
  QElapsedTimer wall;
  const double cpuBefore = CpuSeconds();
  wall.start();
  Pause(0.4f);
  const qint64 ms = wall.elapsed();
  const double cpu = CpuSeconds() - cpuBefore;
  EXPECT_GE(ms, 395);
  EXPECT_GE(ticks, 5) << "the timer did not run during the pause";
  EXPECT_LT(cpu, 0.2) << "the pause spun for " << cpu << " s of processor time";
}

TEST_F(PauseTest, SurvivesMidnight) {
  const QDateTime start(QDate(2024, 3, 9), QTime(23, 59, 59, 750));
  QElapsedTimer real;
  real.start();
  platform::Clock::SetSource([&] { return start.addMSecs(real.elapsed()); });
  Pause(0.5f);
  const QDateTime end = platform::Clock::Now();
  EXPECT_EQ(end.date(), QDate(2024, 3, 10));
  EXPECT_GE(end.time(), QTime(0, 0, 0, 250));
  EXPECT_LT(real.elapsed(), 5000) << "the pause did not notice midnight";
}
