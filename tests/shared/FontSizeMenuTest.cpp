#include "shared/FontSizeMenu.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QWidget>

#include "TestSupport.h"
#include "platform/values/VbError.h"

using namespace shared;

namespace {

// A text box that takes the sizes the rich-text box takes (1 to 1638 points)
// and refuses others with error 380, as it does; `lowest` narrows the range.
struct Box {
  int size = 8;
  int lowest = 1;
  std::vector<int> calls;
  FontSizeMenu::FontSizeSetter Setter(std::vector<std::string>* order, std::string name) {
    return [this, order, name](int points) {
      if (order) order->push_back(name);
      calls.push_back(points);
      if (points < lowest || points > 1638) platform::Raise(platform::err::InvalidPropertyValue);
      size = points;
    };
  }
};

class FontSizeMenuTest : public ::testing::Test {
 protected:
  QWidget window_;
  int textFontSize_ = 8;
  Box question_, answer_;
  std::vector<std::string> order_;
  testsupport::ScriptedResponder boxes_;
  FontSizeMenu menu_{&window_, QStringLiteral("PopUp Action"), textFontSize_,
                     {question_.Setter(&order_, "rtfQuestion"), answer_.Setter(&order_, "rtfAnswer")}};
};

TEST_F(FontSizeMenuTest, HasTheFourItemsInOrderUnderTheProgramsCaption) {
  EXPECT_EQ(menu_.mnuAction()->title(), QStringLiteral("PopUp Action"));
  const QList<QAction*> items = menu_.mnuAction()->actions();
  ASSERT_EQ(items.size(), 4);
  EXPECT_EQ(items[0]->text(), QStringLiteral("Increase font size"));
  EXPECT_EQ(items[1]->text(), QStringLiteral("Decrease font size"));
  EXPECT_EQ(items[2]->text(), QStringLiteral("Normal font size"));
  EXPECT_EQ(items[3]->text(), QStringLiteral("Big font size"));
  EXPECT_EQ(items[0], menu_.mnuActionIncrease());
  EXPECT_EQ(items[3], menu_.mnuActionBig());

  QWidget browser;
  int size = 8;
  Box step;
  FontSizeMenu browserMenu(&browser, QStringLiteral("Pop up menu"), size, {step.Setter(nullptr, "rtfAnswer")});
  EXPECT_EQ(browserMenu.mnuAction()->title(), QStringLiteral("Pop up menu"));
  browserMenu.mnuActionBig()->trigger();
  EXPECT_EQ(size, 14);
  EXPECT_EQ(step.size, 14);
}

TEST_F(FontSizeMenuTest, TheItemsChangeTheSizeAndApplyItToEachBoxInTurn) {
  menu_.mnuActionIncrease()->trigger();
  EXPECT_EQ(textFontSize_, 10);
  menu_.mnuActionIncrease()->trigger();
  EXPECT_EQ(textFontSize_, 12);
  EXPECT_EQ(question_.size, 12);
  EXPECT_EQ(answer_.size, 12);
  menu_.mnuActionNormal()->trigger();
  EXPECT_EQ(textFontSize_, 8);
  menu_.mnuActionBig()->trigger();
  EXPECT_EQ(textFontSize_, 14);
  menu_.mnuActionDecrease()->trigger();
  EXPECT_EQ(textFontSize_, 12);
  EXPECT_EQ(question_.calls, (std::vector<int>{10, 12, 8, 14, 12}));
  EXPECT_EQ(answer_.calls, (std::vector<int>{10, 12, 8, 14, 12}));
  ASSERT_EQ(order_.size(), 10u);
  for (size_t i = 0; i < order_.size(); i += 2) {
    EXPECT_EQ(order_[i], "rtfQuestion");
    EXPECT_EQ(order_[i + 1], "rtfAnswer");
  }
  EXPECT_TRUE(boxes_.boxes.empty());
}

TEST_F(FontSizeMenuTest, ARefusedSmallerSizeLeavesTheLastAcceptedOneSilently) {
  for (int i = 0; i < 6; ++i) menu_.mnuActionDecrease_Click();
  // 8 -> 6 -> 4 -> 2, then 0 is refused (twice).
  EXPECT_EQ(textFontSize_, 2);
  EXPECT_EQ(question_.size, 2);
  EXPECT_EQ(answer_.size, 2);
  EXPECT_EQ(question_.calls, (std::vector<int>{6, 4, 2, 0, 0, 0}));
  // The first refusal ends the click: the answer box is not asked.
  EXPECT_EQ(answer_.calls, (std::vector<int>{6, 4, 2}));
  EXPECT_TRUE(boxes_.boxes.empty());
  menu_.mnuActionIncrease_Click();
  EXPECT_EQ(textFontSize_, 4);
}

TEST_F(FontSizeMenuTest, ABoxThatTookTheNewSizeKeepsItWhenALaterBoxRefuses) {
  answer_.lowest = 6;
  menu_.mnuActionDecrease()->trigger();  // 6: both take it
  menu_.mnuActionDecrease()->trigger();  // 4: the answer box refuses
  EXPECT_EQ(textFontSize_, 6);
  EXPECT_EQ(question_.size, 4);
  EXPECT_EQ(answer_.size, 6);
  EXPECT_TRUE(boxes_.boxes.empty());
}

TEST_F(FontSizeMenuTest, ARefusedLargerSizeAndAnOverflowAreSilentToo) {
  textFontSize_ = 1638;
  menu_.mnuActionIncrease()->trigger();
  EXPECT_EQ(textFontSize_, 1638);
  textFontSize_ = 32766;  // one more step passes the Integer range
  menu_.mnuActionIncrease()->trigger();
  EXPECT_EQ(textFontSize_, 32766);
  EXPECT_TRUE(boxes_.boxes.empty());
}

TEST_F(FontSizeMenuTest, NormalAndBigHaveNoRollBack) {
  question_.lowest = 10;
  EXPECT_THROW(menu_.mnuActionNormal_Click(), platform::VbError);
  EXPECT_EQ(textFontSize_, 8);
  // From the menu the refusal is reported as any unexpected error of a handler.
  menu_.mnuActionBig_Click();
  menu_.mnuActionNormal()->trigger();
  EXPECT_EQ(textFontSize_, 8);
  EXPECT_EQ(question_.size, 14);
  EXPECT_EQ(answer_.size, 14);  // not reached
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_EQ(boxes_.boxes[0].prompt, QStringLiteral("Unexpected Error: Invalid property value"));
}

}  // namespace
