// The step view: the step change, the step text, the up/down arrows, the
// rules of the step-number box, and the layout of the window.
#include <QApplication>
#include <QToolButton>

#include "ImageChecks.h"
#include "StepTables.h"
#include "platform/forms/Twips.h"
#include "platform/values/VbValues.h"

using namespace stepbrowser;
using platform::Variant;

namespace {

class StepView : public steptables::BrowserTest {
 protected:
  // Starts on a table of n steps with the window active.
  void StartWith(int n) {
    training->AddStepTable(QStringLiteral("Steps"), Variant("Bridge watch"), steptables::NumberedSteps(n));
    ASSERT_TRUE(Start(QStringLiteral("Steps")));
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    box = form->txtStepNum;
  }
  void Type(const char* keys) {
    box->setFocus(Qt::TabFocusReason);
    for (const char* k = keys; *k; ++k) QTest::keyClick(box, *k);
    QCoreApplication::processEvents();
  }
  QString CaptionEnd() const { return form->Caption().mid(form->CaptionBase.size()); }
  void ExpectStep(int k) {
    EXPECT_EQ(form->CurrentStep, k);
    EXPECT_EQ(form->updStep->Value(), k);
    EXPECT_EQ(CaptionEnd(), QStringLiteral("> step %1").arg(k));
    EXPECT_EQ(form->rtfAnswer->Text(), QStringLiteral("Step text %1").arg(k));
  }

  platform::TextBox* box = nullptr;
};

TEST_F(StepView, NoStepBeforeTheFirstActivation) {
  training->AddStepTable(QStringLiteral("Steps"), Variant("Bridge watch"), steptables::NumberedSteps(3));
  GLOBAL::CommandLine = QStringLiteral("Steps");
  form = std::make_unique<frmMain>();
  form->Load();
  // Loading set the up/down control to 1 without showing a step.
  EXPECT_EQ(form->updStep->Value(), 1);
  EXPECT_EQ(form->CurrentStep, 0);
  EXPECT_EQ(form->Caption(), form->CaptionBase);
  EXPECT_TRUE(form->rtfAnswer->Text().isEmpty());
  form->Show();
  QTest::qWait(0);
  EXPECT_TRUE(form->Activated);
  ExpectStep(1);
  // Later activations show nothing again.
  form->rtfAnswer->SetText(QStringLiteral("marker"));
  form->activateWindow();
  QTest::qWait(0);
  EXPECT_EQ(form->rtfAnswer->Text(), QStringLiteral("marker"));
}

TEST_F(StepView, OneDigitBox) {
  StartWith(5);
  ASSERT_EQ(box->MaxLength(), 1);
  Type("3");
  ExpectStep(3);
  EXPECT_EQ(box->Text(), QStringLiteral("3"));
  // Out of range: the box empties, keeps the focus, and the step stays.
  Type("7");
  EXPECT_EQ(box->Text(), QString());
  EXPECT_TRUE(box->hasFocus());
  ExpectStep(3);
  Type("0");
  EXPECT_EQ(box->Text(), QString());
  ExpectStep(3);
  // Each key takes the place of what the box held.
  Type("2");
  ExpectStep(2);
  Type("5");
  ExpectStep(5);
  EXPECT_EQ(box->Text(), QStringLiteral("5"));
  // Backspace, "-" and "." are taken, and empty the box.
  for (const char* key : {"\b", "-", "."}) {
    Type("4");
    Type(key);
    EXPECT_EQ(box->Text(), QString()) << int(key[0]);
    ExpectStep(4);
  }
}

TEST_F(StepView, TwoDigitBox) {
  StartWith(12);
  ASSERT_EQ(box->MaxLength(), 2);
  form->updStep->SetValue(5);
  ExpectStep(5);
  Type("1");
  ExpectStep(1);
  Type("2");
  EXPECT_EQ(box->Text(), QStringLiteral("12"));
  ExpectStep(12);

  box->SetText(QString());
  Type("13");
  EXPECT_EQ(box->Text(), QString());
  ExpectStep(1);  // "1" on the way showed step 1

  // A whole "-1" (pasted) empties the box; typed, the "-" alone already does.
  box->SetText(QStringLiteral("-1"));
  EXPECT_EQ(box->Text(), QString());
  ExpectStep(1);
  form->updStep->SetValue(7);
  Type("-");
  EXPECT_EQ(box->Text(), QString());
  ExpectStep(7);
  Type("1");
  ExpectStep(1);

  box->SetText(QString());
  Type("2.");
  EXPECT_EQ(box->Text(), QStringLiteral("2."));
  ExpectStep(2);
  // A number with a decimal point is rounded, halves to even.
  box->SetText(QStringLiteral("5.5"));  // cut to "5."
  EXPECT_EQ(box->Text(), QStringLiteral("5."));
  ExpectStep(5);
  box->SetText(QStringLiteral(".5"));
  EXPECT_EQ(box->Text(), QString());
  box->SetText(QStringLiteral("9"));
  ExpectStep(9);
}

TEST_F(StepView, ThreeDigitBoxReachesEveryStep) {
  StartWith(122);
  ASSERT_EQ(box->MaxLength(), 3);
  // Every number shows whole, in the largest bold type up to the design's 14 points.
  auto showsEveryNumber = [&](int points) {
    QFont font = box->font();
    font.setPointSize(points);
    for (char digit = '0'; digit <= '9'; ++digit)
      if (!box->ShowsWhole(QString(3, QChar(digit)), font)) return false;
    return true;
  };
  const int points = box->font().pointSize();
  EXPECT_LE(points, 14);
  EXPECT_TRUE(showsEveryNumber(points));
  if (points < 14) EXPECT_FALSE(showsEveryNumber(points + 1));
  EXPECT_TRUE(box->font().bold());
  Type("115");
  EXPECT_EQ(box->Text(), QStringLiteral("115"));
  ExpectStep(115);
}

TEST_F(StepView, RefusedKeysLeaveEverythingAsItWas) {
  StartWith(12);
  Type("4");
  ExpectStep(4);
  Type("a+ \r");
  EXPECT_EQ(box->Text(), QStringLiteral("4"));
  ExpectStep(4);
  EXPECT_EQ(ends.ends, 0);  // Enter is not the Exit button's
  EXPECT_TRUE(responder.boxes.empty());
}

TEST_F(StepView, SameStepAgainChangesNothing) {
  StartWith(5);
  Type("3");
  ExpectStep(3);
  form->rtfAnswer->SetText(QStringLiteral("marker"));
  form->SetCaption(QStringLiteral("marker caption"));
  Type("3");
  EXPECT_EQ(form->rtfAnswer->Text(), QStringLiteral("marker"));
  EXPECT_EQ(form->Caption(), QStringLiteral("marker caption"));
}

TEST_F(StepView, ArrowsLeaveTheBoxAsItWas) {
  StartWith(5);
  Type("3");
  QTest::mouseClick(form->updStep->UpArrow(), Qt::LeftButton);
  ExpectStep(4);
  EXPECT_EQ(box->Text(), QStringLiteral("3"));
  QTest::mouseClick(form->updStep->UpArrow(), Qt::LeftButton);
  QTest::mouseClick(form->updStep->UpArrow(), Qt::LeftButton);  // already the last
  ExpectStep(5);
  for (int i = 0; i < 6; ++i) QTest::mouseClick(form->updStep->DownArrow(), Qt::LeftButton);
  ExpectStep(1);
  EXPECT_EQ(box->Text(), QStringLiteral("3"));
}

TEST_F(StepView, LeavingAnEmptyBoxGivesItTheFocusBack) {
  StartWith(5);
  Type("7");
  ASSERT_EQ(box->Text(), QString());
  ASSERT_TRUE(box->hasFocus());
  form->cmdExit->setFocus(Qt::TabFocusReason);
  QCoreApplication::processEvents();
  EXPECT_EQ(box->Text(), QString());
  EXPECT_TRUE(box->hasFocus());
  ExpectStep(1);
  // A box that holds a number can be left.
  Type("2");
  form->cmdExit->setFocus(Qt::TabFocusReason);
  QCoreApplication::processEvents();
  EXPECT_TRUE(form->cmdExit->hasFocus());
  EXPECT_EQ(box->Text(), QStringLiteral("2"));
  EXPECT_TRUE(testsupport::ShowsKeyboardFocus(form->cmdExit));
  EXPECT_TRUE(testsupport::ShowsKeyboardFocus(form->updStep));
  QTest::mouseClick(form->windowHandle(), Qt::LeftButton, {}, form->updStep->mapTo(form.get(), QPoint(5, 5)));
  ExpectStep(3);
}

TEST_F(StepView, FocusSelectsTheBoxForTyping) {
  StartWith(12);
  Type("11");
  form->cmdExit->setFocus(Qt::TabFocusReason);
  QCoreApplication::processEvents();
  box->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(box->selectedText(), QStringLiteral("11"));
  QTest::keyClick(box, '8');
  ExpectStep(8);
}

TEST_F(StepView, StepTextIndentsAndSize) {
  StartWith(3);
  platform::RichTextBox* rtf = form->rtfAnswer;
  EXPECT_EQ(rtf->SelStart(), 0);
  EXPECT_EQ(rtf->SelLength(), 0);
  rtf->SetSelLength(1000);
  EXPECT_EQ(rtf->SelIndent(), 210);
  EXPECT_EQ(rtf->SelRightIndent(), 210);
  EXPECT_EQ(rtf->SelFontSize(), 8.0);
  // The program-wide size holds for every step shown after it changed.
  GLOBAL::TextFontSize = 14;
  QTest::mouseClick(form->updStep->UpArrow(), Qt::LeftButton);
  ExpectStep(2);
  EXPECT_EQ(rtf->SelStart(), 0);
  rtf->SetSelLength(1000);
  EXPECT_EQ(rtf->SelFontSize(), 14.0);
  EXPECT_EQ(rtf->SelIndent(), 210);
}

TEST_F(StepView, LayoutFollowsTheWindowSize) {
  StartWith(3);
  auto check = [&](double H, double W) {
    SCOPED_TRACE(testing::Message() << H << " x " << W);
    ASSERT_DOUBLE_EQ(form->ScaleHeight(), H);
    ASSERT_DOUBLE_EQ(form->ScaleWidth(), W);
    using platform::Height, platform::Width, platform::Left, platform::Top;
    const double upW = Width(form->updStep), boxW = Width(form->txtStepNum), exitW = Width(form->cmdExit);
    EXPECT_DOUBLE_EQ(Height(form->rtfAnswer), 0.37 * H);
    EXPECT_DOUBLE_EQ(Width(form->rtfAnswer), 0.97 * W - upW - boxW);
    EXPECT_DOUBLE_EQ(Left(form->rtfAnswer), 0.01 * W);
    EXPECT_DOUBLE_EQ(Top(form->rtfAnswer), 0.99 * H - 0.37 * H);
    const double right = 0.01 * W + 0.97 * W - upW - boxW;
    EXPECT_DOUBLE_EQ(Left(form->cmdExit), (right + W - exitW) / 2);
    EXPECT_DOUBLE_EQ(Top(form->cmdExit), 0.98 * H - Height(form->cmdExit));
    EXPECT_DOUBLE_EQ(Left(form->updStep), right + 0.01 * W);
    EXPECT_DOUBLE_EQ(Top(form->updStep), Top(form->cmdExit) - Height(form->updStep) - 0.02 * H);
    EXPECT_DOUBLE_EQ(Left(form->txtStepNum), Left(form->updStep) + 1.01 * upW);
    EXPECT_DOUBLE_EQ(Top(form->txtStepNum), Top(form->updStep));
    EXPECT_EQ(form->UpperAreaHeight, static_cast<long>(platform::RoundHalfEven(0.62 * H - 0.01 * H)));
    EXPECT_EQ(form->SideAreaHeight, form->UpperAreaHeight);
    EXPECT_EQ(form->UpperAreaWidth, static_cast<long>(platform::RoundHalfEven(0.98 * W)));
    EXPECT_EQ(form->SideAreaWidth, form->UpperAreaWidth);
    EXPECT_EQ(form->imgBackGround->geometry(), QRect(QPoint(0, 0), form->Client()->size()));
    // Everything stays inside the window.
    for (QWidget* w : std::initializer_list<QWidget*>{form->rtfAnswer, form->cmdExit, form->updStep, form->txtStepNum})
      EXPECT_TRUE(form->Client()->rect().contains(w->geometry())) << w->objectName().toStdString();
  };
  check(8415, 11715);
  EXPECT_EQ(form->UpperAreaHeight, 5133);  // 5217.3 - 84.15, rounded
  EXPECT_EQ(form->UpperAreaWidth, 11481);  // 11480.7
  form->SetWidth(15000);
  form->SetHeight(10500);
  QCoreApplication::processEvents();
  check(10500, 15000);
  // Smaller than the design size springs back to it.
  form->SetWidth(9000);
  form->SetHeight(6000);
  QCoreApplication::processEvents();
  EXPECT_DOUBLE_EQ(form->Width(), 11715);
  EXPECT_DOUBLE_EQ(form->Height(), 8415);
  check(8415, 11715);
}

TEST_F(StepView, MinimisedWindowKeepsItsLayout) {
  StartWith(3);
  form->SetWidth(15000);
  form->SetHeight(10500);
  QCoreApplication::processEvents();
  const QRect text = form->rtfAnswer->geometry();
  form->showMinimized();
  QCoreApplication::processEvents();
  ASSERT_EQ(form->WindowState(), platform::vbMinimized);
  form->resize(100, 100);
  QCoreApplication::processEvents();
  // No spring-back to the design size and no new layout.
  EXPECT_EQ(form->size(), QSize(100, 100));
  EXPECT_EQ(form->rtfAnswer->geometry(), text);
}

}  // namespace
