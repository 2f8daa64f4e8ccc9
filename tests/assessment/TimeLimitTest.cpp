// The time limit: the test time and its cap, the time bar's tooltip, the
// one-minute ticks, the flashing of the last five minutes, and the end of the
// test when the time runs out.
#include "QandAFixture.h"

using namespace assessment;
using namespace qanda;

namespace {

class TimeLimitTest : public QandAFixture {
 protected:
  // Collapses repeated readings: the looks the bar went through.
  static std::vector<int> Changes(const std::vector<int>& readings) {
    std::vector<int> changes;
    for (int r : readings)
      if (changes.empty() || changes.back() != r) changes.push_back(r);
    return changes;
  }
};

TEST_F(TimeLimitTest, TestTimeIsQuestionsTimesSecondsCappedAt32767) {
  EXPECT_EQ(frmQandA::TestSeconds(3, 30), 90);
  EXPECT_EQ(frmQandA::TestSeconds(273, 120), 32760);
  EXPECT_EQ(frmQandA::TestSeconds(300, 120), 32767);
  EXPECT_EQ(frmQandA::TestSeconds(1, 32767), 32767);
  EXPECT_EQ(frmQandA::TestSeconds(32767, 32767), 32767);
  EXPECT_EQ(frmQandA::TestSeconds(0, 60), 0);
  // A negative time per question gives no time at all, not a broken bar.
  EXPECT_EQ(frmQandA::TestSeconds(5, -10), 0);
}

TEST_F(TimeLimitTest, TooltipGivesTheMinutesAsASingle) {
  struct Case {
    int questions;
    int seconds;
    const char* tooltip;
  };
  for (const Case& c : {Case{30, 60, "30 minutes left for the test"}, Case{15, 50, "12.5 minutes left for the test"},
                        Case{10, 100, "16.66667 minutes left for the test"}}) {
    NewFolder(QStringLiteral("app%1").arg(c.questions));
    MakeSimpleTest(c.questions, c.seconds);
    ASSERT_TRUE(LoadWith()) << c.tooltip;
    EXPECT_EQ(form->prgTimeLeft->Max(), c.questions * c.seconds);
    EXPECT_EQ(form->prgTimeLeft->ToolTipText(), QString::fromLatin1(c.tooltip));
    form->hide();
  }
}

TEST_F(TimeLimitTest, ThreeHundredQuestionsOfTwoMinutesAreCapped) {
  MakeSimpleTest(300, 120);
  ASSERT_TRUE(LoadWith());
  EXPECT_EQ(form->Test.QuestionCount, 300);
  EXPECT_EQ(form->prgTimeLeft->Max(), 32767);
  EXPECT_EQ(form->prgTimeLeft->Value(), 32767);
  EXPECT_EQ(form->prgTimeLeft->ToolTipText(), QStringLiteral("546.1166 minutes left for the test"));
  EXPECT_TRUE(responder.boxes.empty());
  RunClock();
  form->tmrTimeLeft.Fire();
  EXPECT_EQ(form->prgTimeLeft->Value(), 32707);
}

TEST_F(TimeLimitTest, NoTimeLimit) {
  MakeSimpleTest(3, 9999);
  ASSERT_TRUE(LoadWith());
  EXPECT_FALSE(form->prgTimeLeft->isVisible());
  EXPECT_EQ(form->lblTimeLeft->text(), QStringLiteral("No time limit"));
  EXPECT_EQ(form->tmrTimeLeft.Interval(), 0);
  EXPECT_TRUE(form->prgQuestLeft->isVisible());
}

TEST_F(TimeLimitTest, NinetySecondsExpireAtTheSecondTick) {
  MakeSimpleTest(3, 30);
  ASSERT_TRUE(LoadWith());
  RunClock();
  form->tmrTimeLeft.Fire();
  EXPECT_EQ(form->prgTimeLeft->Value(), 30);
  EXPECT_EQ(form->prgTimeLeft->ToolTipText(), QStringLiteral("0.5 minutes left for the test"));
  EXPECT_TRUE(responder.boxes.empty());
  form->cmdCorrect_Click();
  CloseResultsWhenShown();
  EXPECT_TRUE(Ends([&] { form->tmrTimeLeft.Fire(); }));
  ASSERT_EQ(responder.boxes.size(), 1u);
  EXPECT_EQ(responder.boxes[0].prompt, QStringLiteral("Sorry, the test time is expired.\r\n"));
  EXPECT_EQ(responder.boxes[0].style, 48);
  EXPECT_EQ(responder.boxes[0].title, QStringLiteral("End of the test"));
  EXPECT_FALSE(form->tmrTimeLeft.Enabled());
  EXPECT_TRUE(seen.shown);
  // One of three judged correct; the two left count as not correct.
  const std::vector<StoredResult> rows = StoredResults();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_DOUBLE_EQ(rows[0].percent, 100.0 / 3);
  EXPECT_EQ(rows[0].type, QStringLiteral("OOW Assesment"));
  // Unanswered questions are in no column of the chart.
  ASSERT_EQ(seen.data.size(), 1u);
  EXPECT_EQ(seen.data[0], (std::array<double, 3>{100, 0, 0}));
}

TEST_F(TimeLimitTest, TwoMinutesGiveThreeTicks) {
  MakeSimpleTest(4, 30);
  ASSERT_TRUE(LoadWith());
  RunClock();
  form->tmrTimeLeft.Fire();
  EXPECT_EQ(form->prgTimeLeft->Value(), 60);
  form->tmrTimeLeft.Fire();
  EXPECT_EQ(form->prgTimeLeft->Value(), 0);
  EXPECT_EQ(form->prgTimeLeft->ToolTipText(), QStringLiteral("0 minutes left for the test"));
  EXPECT_TRUE(responder.boxes.empty());
  CloseResultsWhenShown();
  EXPECT_TRUE(Ends([&] { form->tmrTimeLeft.Fire(); }));
  ASSERT_EQ(responder.boxes.size(), 1u);
  EXPECT_EQ(responder.boxes[0].title, QStringLiteral("End of the test"));
  ASSERT_EQ(StoredResults().size(), 1u);
  EXPECT_EQ(StoredResults()[0].percent, 0);
}

TEST_F(TimeLimitTest, TheLastFiveMinutesFlash) {
  MakeSimpleTest(10, 60);
  ASSERT_TRUE(LoadWith());
  std::vector<int> looks;
  int reads = 0;
  RunClock(0.5, [&] {
    ++reads;
    looks.push_back(form->prgTimeLeft->Appearance());
  });
  for (int left : {540, 480, 420, 360, 300}) {
    form->tmrTimeLeft.Fire();
    EXPECT_EQ(form->prgTimeLeft->Value(), left);
    EXPECT_EQ(form->prgTimeLeft->Appearance(), platform::ProgressBar::cc3D) << left;
    EXPECT_EQ(form->prgTimeLeft->BorderStyle(), platform::ProgressBar::ccNone) << left;
  }
  EXPECT_EQ(reads, 0);  // no pause yet
  form->tmrTimeLeft.Fire();
  EXPECT_EQ(form->prgTimeLeft->Value(), 240);
  EXPECT_EQ(form->prgTimeLeft->ToolTipText(), QStringLiteral("4 minutes left for the test"));
  // Three flashes of half a second each way, ending flat with a border.
  EXPECT_EQ(Changes(looks), (std::vector<int>{0, 1, 0, 1, 0, 1}));
  EXPECT_EQ(reads, 12);  // six pauses of 0.5 s on a clock that moves 0.5 s a reading
  EXPECT_EQ(form->prgTimeLeft->Appearance(), platform::ProgressBar::ccFlat);
  EXPECT_EQ(form->prgTimeLeft->BorderStyle(), platform::ProgressBar::ccFixedSingle);
}

TEST_F(TimeLimitTest, JudgementsRunDuringTheFlashes) {
  MakeSimpleTest(3, 60);
  ASSERT_TRUE(LoadWith());
  // The pauses let waiting events run: a click made as the flashing starts.
  RunClock(0.25);
  QTimer::singleShot(0, form.get(), [&] { form->cmdWrong_Click(); });
  form->tmrTimeLeft.Fire();
  EXPECT_EQ(form->CurrentQuestion, 2);
  EXPECT_EQ(form->Test.Questions(form->Test.QuestionOrder[1], 0, slotState), QStringLiteral("WFQ"));
  EXPECT_EQ(form->prgTimeLeft->Value(), 120);
  EXPECT_EQ(form->prgTimeLeft->Appearance(), platform::ProgressBar::ccFlat);
  EXPECT_EQ(form->prgTimeLeft->BorderStyle(), platform::ProgressBar::ccFixedSingle);
}

TEST_F(TimeLimitTest, ExpiryBoxLeftOpenPastTheNextTickEndsTheTestOnce) {
  MakeSimpleTest(3, 30);
  ASSERT_TRUE(LoadWith());
  RunClock();
  form->tmrTimeLeft.Fire();
  int expiries = 0;
  responder.onBox = [&](const testsupport::RecordedBox& box) {
    if (box.title != QLatin1String("End of the test") || ++expiries > 1) return;
    // A minute passes while the box is open; a timer still running would tick now.
    if (form->tmrTimeLeft.Enabled()) form->tmrTimeLeft.Fire();
  };
  CloseResultsWhenShown();
  EXPECT_TRUE(Ends([&] { form->tmrTimeLeft.Fire(); }));
  EXPECT_EQ(expiries, 1);
  EXPECT_EQ(StoredResults().size(), 1u);
}

TEST_F(TimeLimitTest, ClockStopsWhenTheLastPartIsJudged) {
  MakeSimpleTest(1, 30);
  ASSERT_TRUE(LoadWith());
  bool timerRunning = true;
  onResults = [&](frmResults&) { timerRunning = form->tmrTimeLeft.Enabled(); };
  CloseResultsWhenShown();
  EXPECT_TRUE(Ends([&] { form->cmdCorrect_Click(); }));
  EXPECT_TRUE(seen.shown);
  EXPECT_FALSE(timerRunning);
  // Scoring runs once whatever calls it again.
  seen = ResultsSeen{};
  CloseResultsWhenShown();
  form->ScoreAndSaveResults();
  EXPECT_FALSE(seen.shown);
  EXPECT_EQ(StoredResults().size(), 1u);
}

}  // namespace
