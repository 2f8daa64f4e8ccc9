// The question loop: how the question box is composed for one-part and
// two-part questions, the answer cover and its slanted reveal edge, the pin,
// the judgement codes and part states, the bars, and the answer-peek labels.
#include <QHelpEvent>
#include <QToolTip>

#include "QandAFixture.h"

using namespace assessment;
using namespace qanda;

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QColor kMagenta(255, 0, 255);

struct Style {
  bool bold;
  bool underline;
  QColor colour;
  platform::RichTextBox::Alignment alignment;
  int indent;
  int rightIndent;
};
const Style kHeader{true, false, kMagenta, platform::RichTextBox::rtfCenter, 0, 0};
const Style kLabel{true, true, Qt::black, platform::RichTextBox::rtfLeft, 210, 210};
const Style kBody{false, false, Qt::black, platform::RichTextBox::rtfLeft, 210, 210};

class QuestionLoopTest : public QandAFixture {
 protected:
  // One table holding the given rows; every row is drawn.
  void MakeOneTable(int parts, const QList<QuestionRow>& rows, const QString& description = QStringLiteral("Lights")) {
    MakeTest(QStringLiteral("Deck4"), 60, {{QStringLiteral("ABOS"), description, parts, rows}});
  }

  // Checks the style of the characters start .. start + length of a box.
  static void ExpectStyle(platform::RichTextBox& box, int start, int length, const Style& style, const char* what) {
    SCOPED_TRACE(what);
    box.SetSelStart(start);
    box.SetSelLength(length);
    EXPECT_EQ(box.SelText().size(), length);
    EXPECT_EQ(box.SelBold(), std::optional<bool>(style.bold));
    EXPECT_EQ(box.SelUnderline(), std::optional<bool>(style.underline));
    EXPECT_EQ(box.SelColor(), std::optional<QColor>(style.colour));
    EXPECT_EQ(box.SelAlignment(), std::optional(style.alignment));
    EXPECT_EQ(box.SelIndent(), std::optional<int>(style.indent));
    EXPECT_EQ(box.SelRightIndent(), std::optional<int>(style.rightIndent));
    EXPECT_EQ(box.SelFontSize(), std::optional<double>(GLOBAL::TextFontSize));
  }

  static int Find(platform::RichTextBox& box, const QString& text) {
    return static_cast<int>(box.Text().indexOf(text));
  }
};

TEST_F(QuestionLoopTest, OnePartQuestionIsHeaderBlankLineAndPlainQuestion) {
  MakeOneTable(1, {{Variant(1), Variant("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs28\\b\\cf1 What is a "
                                        "\\i sector\\i0  light?\\par}"),
                    Variant("A light showing different colours over set arcs.")}});
  ASSERT_TRUE(LoadWith());
  platform::RichTextBox& box = *form->rtfQuestion;
  const QString header = QStringLiteral("[Section: Lights]");
  EXPECT_EQ(box.Text(), header + kCrLf + kCrLf + QStringLiteral("What is a sector light?"));
  EXPECT_EQ(GLOBAL::PartState, 1);
  // The blank line belongs to the header; the markup's own looks are dropped.
  ExpectStyle(box, 0, static_cast<int>(header.size()), kHeader, "header");
  box.SetSelStart(static_cast<int>(header.size()) + 2);
  EXPECT_EQ(box.SelAlignment(), std::optional(platform::RichTextBox::rtfCenter));
  ExpectStyle(box, Find(box, QStringLiteral("What")), 23, kBody, "body");
  EXPECT_EQ(box.SelStart(), Find(box, QStringLiteral("What")));
  EXPECT_EQ(box.ToolTipText(), QStringLiteral("Question to answer below"));
  EXPECT_TRUE(form->imgNoImage->isVisible());
}

TEST_F(QuestionLoopTest, OnePartQuestionWithALeadingReturnHasNoExtraBlankLine) {
  MakeOneTable(1, {{Variant(1), Variant("\rWhat is a sector light?"), Variant("Arcs.")}});
  ASSERT_TRUE(LoadWith());
  platform::RichTextBox& box = *form->rtfQuestion;
  const QString header = QStringLiteral("[Section: Lights]");
  EXPECT_EQ(box.Text(), header + kCrLf + kCrLf + QStringLiteral("What is a sector light?"));
  // The blank line now comes with the question, in its style.
  box.SetSelStart(static_cast<int>(header.size()) + 2);
  EXPECT_EQ(box.SelAlignment(), std::optional(platform::RichTextBox::rtfLeft));
  EXPECT_EQ(box.SelIndent(), std::optional<int>(210));
  ExpectStyle(box, 0, static_cast<int>(header.size()), kHeader, "header");
  ExpectStyle(box, Find(box, QStringLiteral("What")), 23, kBody, "body");
}

TEST_F(QuestionLoopTest, TwoPartQuestionShowsLabelledParts) {
  for (bool leadingReturn : {false, true}) {
    SCOPED_TRACE(leadingReturn ? "leading return" : "no leading return");
    NewFolder(leadingReturn ? QStringLiteral("cr") : QStringLiteral("plain"));
    const QString r = leadingReturn ? QStringLiteral("\r") : QString();
    MakeOneTable(2, {{Variant(7), Variant(r + "Which vessel gives way?"), Variant("The one with the other on her starboard side."),
                      Variant(r + "And the other?"), Variant("She stands on.")}},
                 QStringLiteral("Collision regulations"));
    ASSERT_TRUE(LoadWith());
    platform::RichTextBox& box = *form->rtfQuestion;
    const QString header = QStringLiteral("[Section: Collision regulations]");
    const QString first = QStringLiteral("First part of the question:");
    const QString gap = kCrLf + kCrLf;
    EXPECT_EQ(box.Text(), header + kCrLf + kCrLf + first + gap + QStringLiteral("Which vessel gives way?"));
    // The blank line before the question is the header's without a leading
    // return, the question's own with one.
    box.SetSelStart(Find(box, QStringLiteral("Which")) - 2);
    EXPECT_EQ(box.SelAlignment(), std::optional(leadingReturn ? platform::RichTextBox::rtfLeft
                                                              : platform::RichTextBox::rtfCenter));
    EXPECT_EQ(GLOBAL::PartState, 11);
    EXPECT_EQ(box.ToolTipText(), QStringLiteral("First part of the question to answer below"));
    ExpectStyle(box, 0, static_cast<int>(header.size()), kHeader, "header");
    ExpectStyle(box, Find(box, first), static_cast<int>(first.size()), kLabel, "label");
    ExpectStyle(box, Find(box, QStringLiteral("Which")), 23, kBody, "body");

    form->cmdCorrect_Click();
    const QString second = QStringLiteral("Second part of the question:");
    EXPECT_EQ(GLOBAL::PartState, 12);
    EXPECT_EQ(box.Text(), header + kCrLf + kCrLf + second + gap + QStringLiteral("And the other?"));
    EXPECT_EQ(box.ToolTipText(), QStringLiteral("Second part of the question to answer below"));
    ExpectStyle(box, Find(box, second), static_cast<int>(second.size()), kLabel, "second label");
    ExpectStyle(box, Find(box, QStringLiteral("And")), 14, kBody, "second body");
    form->hide();
  }
}

TEST_F(QuestionLoopTest, SectionTitleHoldingTheMarkerIsShownAsItIs) {
  MakeOneTable(1, {{Variant(1), Variant("Which rule applies?"), Variant("Rule 19.")}},
                QStringLiteral("COLREG \u00A7 19"));
  ASSERT_TRUE(LoadWith());
  EXPECT_EQ(form->rtfQuestion->Text(),
            QStringLiteral("[Section: COLREG \u00A7 19]") + kCrLf + kCrLf + QStringLiteral("Which rule applies?"));
}

TEST_F(QuestionLoopTest, RevealedAnswerKeepsItsParagraphsInTheAnswerStyle) {
  MakeOneTable(1, {{Variant(1), Variant("Q"),
                    Variant("{\\rtf1\\ansi{\\fonttbl{\\f0 Courier New;}}{\\colortbl;\\red200\\green0\\blue0;}"
                            "\\f0\\fs40\\cf1\\b First line\\par\\ul Second line\\ulnone\\par}")}});
  ASSERT_TRUE(LoadWith());
  form->RevealAnswer();
  platform::RichTextBox& box = *form->rtfAnswer;
  EXPECT_EQ(box.Text(), QStringLiteral("First line\r\nSecond line"));
  EXPECT_EQ(box.BackColor(), form->AnswerBackColour);
  box.SetSelStart(0);
  box.SetSelLength(static_cast<int>(box.Text().size()));
  EXPECT_EQ(box.SelFontName(), std::optional<QString>(QStringLiteral("MS Sans Serif")));
  EXPECT_EQ(box.SelFontSize(), std::optional<double>(8));
  EXPECT_EQ(box.SelColor(), std::optional<QColor>(Qt::black));
  EXPECT_EQ(box.SelBold(), std::optional<bool>(false));
  EXPECT_EQ(box.SelUnderline(), std::optional<bool>(false));
  EXPECT_EQ(box.SelIndent(), std::optional<int>(210));
  EXPECT_EQ(box.SelRightIndent(), std::optional<int>(210));
  EXPECT_EQ(box.SelStart(), 0);
}

TEST_F(QuestionLoopTest, RevealEdgeIsASlantedLine) {
  MakeSimpleTest(2);
  ASSERT_TRUE(LoadWith());
  // At the design size: question box 5857.5 wide, answer box 11715 x 0.97 -
  // 3780 wide, frame 1125 deep; each in whole twips, halves to even.
  ASSERT_EQ(form->RevealEdgeX1, 5858);
  ASSERT_EQ(form->RevealEdgeX2, 7584);
  ASSERT_EQ(form->RevealEdgeHeight, 1125);
  EXPECT_EQ(form->RevealEdgeAt(0), 5858);
  EXPECT_EQ(form->RevealEdgeAt(100), 6011);  // 5858 + 153.4, integer part
  EXPECT_EQ(form->RevealEdgeAt(562.5), 6721);
  EXPECT_EQ(form->RevealEdgeAt(1125), 7584);
  EXPECT_EQ(form->RevealEdgeAt(2250), 9310);  // below the frame it keeps moving out
}

TEST_F(QuestionLoopTest, MouseRevealsOnlyLeftOfTheEdge) {
  MakeOneTable(1, {{Variant(1), Variant("Q"), Variant("The answer.")}});
  ASSERT_TRUE(LoadWith());
  const QString cover = QStringLiteral("\r\n     --- answer ---");
  ASSERT_EQ(form->rtfAnswer->Text(), cover);
  // The upper right corner stays covered.
  form->rtfAnswer_MouseMove(0, 0, 6012, 100);
  EXPECT_EQ(form->rtfAnswer->Text(), cover);
  EXPECT_EQ(form->rtfAnswer->BackColor(), form->FormColour);
  EXPECT_FALSE(form->AnswerShown);
  form->rtfAnswer_MouseMove(0, 0, 6011, 100);
  EXPECT_EQ(form->rtfAnswer->Text(), QStringLiteral("The answer."));
  EXPECT_EQ(form->rtfAnswer->BackColor(), form->AnswerBackColour);
  EXPECT_TRUE(form->AnswerShown);
  EXPECT_FALSE(form->QuestionShown);
  // Back over the question box: covered again.
  form->rtfQuestion_MouseMove(0, 0, 100, 100);
  EXPECT_EQ(form->rtfAnswer->Text(), cover);
  EXPECT_EQ(form->rtfAnswer->BackColor(), form->FormColour);
  EXPECT_TRUE(form->QuestionShown);
  EXPECT_FALSE(form->AnswerShown);
  // The backdrop and the frame cover it too.
  for (auto cover_ : {&frmQandA::imgBackGround_MouseMove, &frmQandA::frmSelfAssesment_MouseMove}) {
    form->rtfAnswer_MouseMove(0, 0, 10, 10);
    ASSERT_EQ(form->rtfAnswer->Text(), QStringLiteral("The answer."));
    ((*form).*cover_)(0, 0, 10, 10);
    EXPECT_EQ(form->rtfAnswer->Text(), cover);
    EXPECT_FALSE(form->AnswerShown);
  }
}

TEST_F(QuestionLoopTest, RealMouseMovesRevealAndCover) {
  MakeOneTable(1, {{Variant(1), Variant("Q"), Variant("The answer.")}});
  ASSERT_TRUE(LoadWith());
  const auto moveOver = [](QWidget* w, QPoint at) {
    QMouseEvent move(QEvent::MouseMove, at, w->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &move);
  };
  moveOver(form->rtfAnswer->viewport(), QPoint(20, 20));
  EXPECT_EQ(form->rtfAnswer->Text(), QStringLiteral("The answer."));
  moveOver(form->imgBackGround, QPoint(5, 5));
  EXPECT_EQ(form->rtfAnswer->Text(), QStringLiteral("\r\n     --- answer ---"));
  moveOver(form->rtfAnswer->viewport(), QPoint(20, 20));
  moveOver(form->frmSelfAssesment, QPoint(3, 3));
  EXPECT_EQ(form->rtfAnswer->Text(), QStringLiteral("\r\n     --- answer ---"));
}

TEST_F(QuestionLoopTest, PinnedAnswerStaysOpenAndFollowsThePart) {
  MakeOneTable(2, {{Variant(1), Variant("Q1"), Variant("A1"), Variant("Q2"), Variant("A2")}});
  ASSERT_TRUE(LoadWith());
  form->rtfAnswer_MouseMove(0, 0, 10, 10);
  form->rtfAnswer_Click();
  EXPECT_TRUE(form->AnswerPinned);
  EXPECT_EQ(form->rtfAnswer->ToolTipText(), QStringLiteral("Click = hidden"));
  form->rtfQuestion_MouseMove(0, 0, 10, 10);
  form->imgBackGround_MouseMove(0, 0, 10, 10);
  form->frmSelfAssesment_MouseMove(0, 0, 10, 10);
  EXPECT_EQ(form->rtfAnswer->Text(), QStringLiteral("A1"));
  // The next part's answer shows at once.
  form->cmdCorrect_Click();
  EXPECT_EQ(form->rtfAnswer->Text(), QStringLiteral("A2"));
  EXPECT_EQ(form->rtfAnswer->BackColor(), form->AnswerBackColour);
  form->rtfAnswer_Click();
  EXPECT_FALSE(form->AnswerPinned);
  EXPECT_EQ(form->rtfAnswer->ToolTipText(), QStringLiteral("Click = permanent"));
  // The click alone neither covers nor reveals.
  EXPECT_EQ(form->rtfAnswer->Text(), QStringLiteral("A2"));
  form->imgBackGround_MouseMove(0, 0, 10, 10);
  EXPECT_EQ(form->rtfAnswer->Text(), QStringLiteral("\r\n     --- answer ---"));
}

TEST_F(QuestionLoopTest, UnpinnedAnswerIsCoveredAfterEachJudgement) {
  MakeOneTable(2, {{Variant(1), Variant("Q1"), Variant("A1"), Variant("Q2"), Variant("A2")}});
  ASSERT_TRUE(LoadWith());
  form->rtfAnswer_MouseMove(0, 0, 10, 10);
  form->cmdCorrect_Click();
  EXPECT_EQ(form->rtfAnswer->Text(), QStringLiteral("\r\n     --- answer ---"));
  EXPECT_EQ(form->rtfAnswer->BackColor(), form->FormColour);
  form->rtfAnswer_MouseMove(0, 0, 10, 10);
  EXPECT_EQ(form->rtfAnswer->Text(), QStringLiteral("A2"));
}

TEST_F(QuestionLoopTest, JudgementCodesAndPartStates) {
  MakeTest(QStringLiteral("Deck4"), 60,
           {{QStringLiteral("ABOS"), QStringLiteral("One part"), 1, testdb::Databases::NumberedRows("One", 3)},
            {QStringLiteral("TWO"), QStringLiteral("Two parts"), 2,
             {{Variant(1), Variant("First?"), Variant("Yes"), Variant("Second?"), Variant("No")},
              {Variant(2), Variant("Only part?"), Variant("Yes")}}}});
  ASSERT_TRUE(LoadWith());
  ASSERT_EQ(form->Test.QuestionCount, 5);
  std::map<QString, int> seenCodes;
  int parts = 0;
  const char* buttons[] = {"C", "W", "P"};
  for (int press = 0; form->CurrentQuestion <= form->Test.QuestionCount && press < 10; ++press) {
    const int q = static_cast<int>(form->CurrentQuestionId);
    const long position = form->CurrentQuestion;
    const bool twoPart = form->IsTwoPart(q);
    const int state = GLOBAL::PartState;
    const double barBefore = form->prgQuestLeft->Value();
    const char* b = buttons[press % 3];
    CloseResultsWhenShown();
    try {
      if (*b == 'C') form->cmdCorrect_Click();
      else if (*b == 'W') form->cmdWrong_Click();
      else form->cmdPass_Click();
    } catch (const platform::ProgramEnded&) {
    }
    ++parts;
    const int part = twoPart && state == 12 ? 1 : 0;
    const QString expected = QString::fromLatin1(b) + (twoPart ? "HQ" : "FQ");
    EXPECT_EQ(form->Test.Questions(q, part, slotState), expected) << press;
    ++seenCodes[expected];
    if (twoPart && state == 11) {
      // Same question, second part: the counter and the bar stand still.
      EXPECT_EQ(GLOBAL::PartState, 12);
      EXPECT_EQ(form->CurrentQuestion, position);
      EXPECT_EQ(form->prgQuestLeft->Value(), barBefore);
      EXPECT_EQ(form->Test.Questions(q, 1, slotState), QStringLiteral("0"));
    } else {
      EXPECT_EQ(form->CurrentQuestion, position + 1);
      EXPECT_TRUE(state == 1 || state == 12) << state;
    }
  }
  EXPECT_EQ(parts, 6);  // five questions, one of them in two parts
  EXPECT_EQ(ends.ends, 1);
  EXPECT_EQ(seenCodes[QStringLiteral("CHQ")] + seenCodes[QStringLiteral("WHQ")] + seenCodes[QStringLiteral("PHQ")], 2);
}

TEST_F(QuestionLoopTest, QuestionBarCountsDownFromTwenty) {
  MakeSimpleTest(20);
  ASSERT_TRUE(LoadWith());
  EXPECT_EQ(form->prgQuestLeft->Max(), 20);
  EXPECT_EQ(form->prgQuestLeft->Value(), 19);
  EXPECT_EQ(form->prgQuestLeft->ToolTipText(), QStringLiteral("20 question(s) to answer"));
  for (int i = 1; i < 20; ++i) form->cmdCorrect_Click();
  EXPECT_EQ(form->CurrentQuestion, 20);
  EXPECT_EQ(form->prgQuestLeft->Value(), 0);
  EXPECT_EQ(form->prgQuestLeft->ToolTipText(), QStringLiteral("1 question(s) to answer"));
}

TEST_F(QuestionLoopTest, PeekLabelsCarryTheAnswerInPeekModeOnly) {
  MakeOneTable(2, {{Variant(1), Variant("Q1"), Variant("{\\rtf1\\ansi\\b Bold\\b0  answer\\par two}"),
                    Variant("Q2"), Variant("Second answer")}});
  ASSERT_TRUE(LoadWith(QStringLiteral("T1 t00lbarne527")));
  EXPECT_TRUE(form->lblHelpMe[0]->isEnabled());
  EXPECT_EQ(form->lblHelpMe[0]->toolTip(), QStringLiteral("Bold answer\r\ntwo"));
  EXPECT_EQ(form->lblHelpMe[1]->toolTip(), QString());
  EXPECT_EQ(form->rtfQuestion->ToolTipText(), QStringLiteral("Question in one part"));
  form->cmdCorrect_Click();
  EXPECT_EQ(form->lblHelpMe[0]->toolTip(), QStringLiteral("Second answer"));

  // The label's tooltip shows only while it is enabled.
  QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), form->lblHelpMe[0]->mapToGlobal(QPoint(2, 2)));
  form->lblHelpMe[0]->setEnabled(false);
  QApplication::sendEvent(form->lblHelpMe[0], &help);
  EXPECT_FALSE(QToolTip::isVisible());
  form->lblHelpMe[0]->setEnabled(true);
  QApplication::sendEvent(form->lblHelpMe[0], &help);
  EXPECT_TRUE(QToolTip::isVisible());
  EXPECT_EQ(QToolTip::text(), QStringLiteral("Second answer"));
  QToolTip::hideText();
}

}  // namespace
