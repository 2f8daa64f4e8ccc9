// The question window's start-up, layout, first activation, quitting and
// unload: command line, application folder, edition look, window size and
// place, the bars, the proportional layout, the close box.
#include <QFile>

#include "ImageChecks.h"
#include "QandAFixture.h"
#include "platform/values/Edition.h"
#include "platform/forms/Twips.h"

using namespace assessment;
using namespace qanda;
using platform::Height;
using platform::Left;
using platform::Top;
using platform::Width;

namespace {

class QandATest : public QandAFixture {
 protected:
  void SetUp() override {
    QandAFixture::SetUp();
    MakeTest(QStringLiteral("Deck2"), 45,
             {{QStringLiteral("ABOS"), QStringLiteral("Anti-collision"), 1,
               testdb::Databases::NumberedRows(QStringLiteral("ABOS"), 4), 3}});
  }
};

TEST_F(QandATest, LoadBuildsTheTestAndShowsTheFirstQuestion) {
  ASSERT_TRUE(LoadWith(QStringLiteral("T1"), false));
  EXPECT_EQ(GLOBAL::AppFolder, db->AppFolder());
  EXPECT_EQ(GLOBAL::TestId, QStringLiteral("T1"));
  EXPECT_FALSE(GLOBAL::AnswerPeekMode);
  EXPECT_EQ(GLOBAL::TextFontSize, 8);
  EXPECT_TRUE(form->TestBuilt);
  EXPECT_EQ(form->Caption(), QStringLiteral("Mates Assesment"));
  EXPECT_EQ(form->Test.QuestionCount, 3);
  EXPECT_EQ(form->CurrentQuestion, 1);
  EXPECT_EQ(form->CurrentQuestionId, form->Test.QuestionOrder[1]);
  EXPECT_EQ(GLOBAL::PartState, 1);
  EXPECT_TRUE(form->rtfQuestion->Text().contains(
      form->Test.Questions(static_cast<int>(form->CurrentQuestionId), 0, slotQuestion)));
  // The first answer is loaded and covered at once.
  EXPECT_EQ(form->rtfAnswer->Text(), QStringLiteral("\r\n     --- answer ---"));
  EXPECT_EQ(form->rtfAnswer->BackColor(), form->FormColour);
  EXPECT_EQ(form->AnswerBackColour, frmQandA::kAnswerBackColour);
  // The question bar counts the questions after this one.
  EXPECT_EQ(form->prgQuestLeft->Min(), 0);
  EXPECT_EQ(form->prgQuestLeft->Max(), 3);
  EXPECT_EQ(form->prgQuestLeft->Value(), 2);
  EXPECT_EQ(form->prgQuestLeft->ToolTipText(), QStringLiteral("3 question(s) to answer"));
  // 3 x 45 seconds.
  EXPECT_TRUE(form->prgTimeLeft->Visible());
  EXPECT_EQ(form->lblTimeLeft->text(), QStringLiteral("Time left:"));
  EXPECT_EQ(form->prgTimeLeft->Max(), 135);
  EXPECT_EQ(form->prgTimeLeft->Value(), 135);
  EXPECT_EQ(form->prgTimeLeft->ToolTipText(), QStringLiteral("2.25 minutes left for the test"));
  EXPECT_EQ(form->prgTimeLeft->Appearance(), platform::ProgressBar::cc3D);
  EXPECT_EQ(form->prgTimeLeft->BorderStyle(), platform::ProgressBar::ccNone);
  EXPECT_TRUE(form->tmrTimeLeft.Enabled());
  EXPECT_EQ(form->tmrTimeLeft.Interval(), 60000);
  EXPECT_FALSE(form->lblHelpMe[0]->isEnabled());
  EXPECT_FALSE(form->lblHelpMe[1]->isEnabled());
  EXPECT_TRUE(responder.boxes.empty());
  EXPECT_EQ(ends.ends, 0);
  EXPECT_EQ(platform::Screen::MousePointer(), 0);
}

TEST_F(QandATest, EditionLookAndWindowPlace) {
  ASSERT_TRUE(LoadWith());
  const bool oow = platform::EditionCode() == QLatin1String("OOW");
  EXPECT_EQ(form->FormColour, oow ? QColor(251, 159, 60) : QColor(255, 172, 40));
  EXPECT_EQ(form->frmSelfAssesment->palette().color(QPalette::Window), form->FormColour);
  EXPECT_EQ(form->frmSelfAssesment->title(), QStringLiteral("Self Assesment"));
  const platform::ImageList& list = oow ? form->ilsOOW : form->ilsMM;
  const QString prefix = oow ? QStringLiteral("oow") : QStringLiteral("mm");
  EXPECT_EQ(form->imgBackGround->Picture().Image(), list.ListImage(prefix + "FormBackground").toImage());
  EXPECT_EQ(form->imgNoImage->Picture().Image(), list.ListImage(prefix + "NoImage").toImage());
  const std::pair<QPushButton*, const char*> faces[] = {
      {form->cmdCorrect, "Correct"}, {form->cmdWrong, "Wrong"}, {form->cmdPass, "Passed"}};
  for (const auto& [button, face] : faces) {
    EXPECT_TRUE(button->text().isEmpty()) << face;
    const QImage expected = list.ListImage(prefix + face).toImage();
    EXPECT_EQ(button->icon().pixmap(expected.size()).toImage().convertToFormat(expected.format()), expected) << face;
    EXPECT_TRUE(testsupport::ShowsKeyboardFocus(button)) << face;
  }
  EXPECT_EQ(form->cmdPass->toolTip(), QStringLiteral("Pass Question"));
  EXPECT_EQ(form->rtfAnswer->ToolTipText(), QStringLiteral("Click = permanent"));
  // 11715 x 8415 twips, centred across a screen of 15360 twips, near its top.
  EXPECT_EQ(form->Width(), 11715);
  EXPECT_EQ(form->Height(), 8415);
  EXPECT_EQ(form->Left(), (15360 - 11715) / 2.0);
  EXPECT_DOUBLE_EQ(form->Top(), 11520 * 0.005);
}

TEST_F(QandATest, AnswerPeekCodeAfterOneBlank) {
  struct Case {
    const char* line;
    const char* testId;
    bool peek;
  };
  for (const Case& c : {Case{"T1 t00lbarne527", "T1", true}, Case{"T1 T00LBARNE527", "T1", false},
                        Case{"T1 anything", "T1", false}, Case{"T1  t00lbarne527", "T1", false},
                        Case{"T1 t00lbarne527 ", "T1", false}}) {
    ResetProgramValues();
    ASSERT_TRUE(LoadWith(QString::fromLatin1(c.line), false)) << c.line;
    EXPECT_EQ(GLOBAL::TestId, QString::fromLatin1(c.testId)) << c.line;
    EXPECT_EQ(GLOBAL::AnswerPeekMode, c.peek) << c.line;
    EXPECT_EQ(form->lblHelpMe[0]->isEnabled(), c.peek) << c.line;
    EXPECT_EQ(form->lblHelpMe[1]->isEnabled(), c.peek) << c.line;
    EXPECT_EQ(form->Test.QuestionCount, 3) << c.line;
  }
}

TEST_F(QandATest, TestThatCannotBeFoundEndsTheProgram) {
  // Empty, the code alone (taken as the identifier), an unknown identifier,
  // and one that would break a query made by pasting.
  for (const char* line : {"", "t00lbarne527", "T2", "T1' OR '1'='1"}) {
    ResetProgramValues();
    responder.boxes.clear();
    ends.ends = 0;
    EXPECT_FALSE(LoadWith(QString::fromLatin1(line), false)) << line;
    EXPECT_EQ(ends.ends, 1);
    ASSERT_EQ(responder.boxes.size(), 1u) << line;
    EXPECT_EQ(responder.boxes[0].prompt, QStringLiteral("No record found. Corrupted TestList table."));
    EXPECT_EQ(responder.boxes[0].title, QStringLiteral("Fatal Error"));
    EXPECT_EQ(form->CurrentQuestion, 0) << line;
    const QString expectedId = QString::fromLatin1(line).section(u' ', 0, 0);
    EXPECT_EQ(GLOBAL::TestId, expectedId) << line;
    EXPECT_EQ(GLOBAL::AnswerPeekMode, QString::fromLatin1(line) == GLOBAL::kAnswerPeekCode) << line;
  }
}

TEST_F(QandATest, DatabaseErrorsBeforeTheWindowShowsGoToTheRecovery) {
  ASSERT_TRUE(QFile::remove(db->TrainingPath()));
  EXPECT_FALSE(LoadWith());
  EXPECT_EQ(ends.ends, 1);
  EXPECT_FALSE(form->isVisible());
  ASSERT_EQ(responder.fileRequests.size(), 1u);
  ASSERT_EQ(responder.boxes.size(), 1u);  // no " Error" box from the control itself
  EXPECT_EQ(responder.boxes[0].title, QStringLiteral("Fatal error"));
  EXPECT_TRUE(responder.boxes[0].prompt.startsWith(QStringLiteral("The file TKBTraining.mdb must be copied in")));
}

TEST_F(QandATest, DatabaseErrorWhileTheWindowShowsEndsTheProgram) {
  struct Case {
    platform::DataControl frmQandA::*control;
    const char* file;
  };
  for (const Case& c : {Case{&frmQandA::adoAccess, "QVRResults.mdb"}, Case{&frmQandA::adoAccMainTest, "TKBTraining.mdb"}}) {
    ResetProgramValues();
    responder.boxes.clear();
    ends.ends = 0;
    ASSERT_TRUE(LoadWith());
    platform::DataControl& control = (*form).*(c.control);
    control.CommandType = platform::adCmdUnknown;
    control.RecordSource = QStringLiteral("Select * from NoSuchTable");
    control.Parameters.clear();
    EXPECT_THROW(control.Refresh(), platform::ProgramEnded);
    EXPECT_EQ(ends.ends, 1);
    ASSERT_EQ(responder.boxes.size(), 1u);
    const QStringList lines = responder.boxes[0].prompt.split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], QStringLiteral("Unable to connect to your database"));
    EXPECT_EQ(lines[1], db->AppFolder() + QStringLiteral("/db/") + QString::fromLatin1(c.file));
    EXPECT_TRUE(lines[2].contains(QStringLiteral("NoSuchTable")));
    EXPECT_EQ(lines[3], QStringLiteral("Try to uninstall then reinstall the program."));
    EXPECT_EQ(responder.boxes[0].style, 16);
    EXPECT_EQ(responder.boxes[0].title, QStringLiteral(" Error"));
    form->hide();
  }
}

TEST_F(QandATest, LayoutFollowsTheProportionalTable) {
  ASSERT_TRUE(LoadWith());
  // Made larger than the design size: every place follows the new client area.
  form->SetWidth(14400);
  form->SetHeight(10500);
  const double H = form->ScaleHeight();
  const double W = form->ScaleWidth();
  ASSERT_EQ(W, 14400);
  ASSERT_EQ(H, 10500);
  const double frameW = frmQandA::kFrameWidth, frameH = frmQandA::kFrameHeight;
  EXPECT_DOUBLE_EQ(Height(form->rtfQuestion), 0.26 * H);
  EXPECT_DOUBLE_EQ(Width(form->rtfQuestion), 0.5 * W);
  EXPECT_DOUBLE_EQ(Left(form->rtfQuestion), 0.01 * W);
  EXPECT_DOUBLE_EQ(Top(form->rtfQuestion), 0.51 * H);
  EXPECT_DOUBLE_EQ(Height(form->rtfAnswer), 0.21 * H);
  EXPECT_DOUBLE_EQ(Width(form->rtfAnswer), 0.97 * W - frameW);
  EXPECT_DOUBLE_EQ(Left(form->rtfAnswer), 0.01 * W);
  const double answerTop = 0.99 * H - 0.21 * H;
  EXPECT_DOUBLE_EQ(Top(form->rtfAnswer), answerTop);
  const double gap = answerTop - 0.51 * H - 0.26 * H;
  for (int i = 0; i < 2; ++i) {
    EXPECT_DOUBLE_EQ(Height(form->lblHelpMe[i]), gap) << i;
    EXPECT_DOUBLE_EQ(Width(form->lblHelpMe[i]), (0.97 * W - frameW) / 2) << i;
    EXPECT_DOUBLE_EQ(Top(form->lblHelpMe[i]), answerTop - gap) << i;
  }
  EXPECT_DOUBLE_EQ(Left(form->lblHelpMe[0]), 0.01 * W);
  EXPECT_DOUBLE_EQ(Left(form->lblHelpMe[1]), 0.01 * W + (0.97 * W - frameW) / 2);
  EXPECT_DOUBLE_EQ(Left(form->frmSelfAssesment), 0.99 * W - frameW);
  EXPECT_DOUBLE_EQ(Top(form->frmSelfAssesment), answerTop);
  const double questLeft = 0.01 * W + 0.5 * W + 0.01 * W;
  EXPECT_DOUBLE_EQ(Left(form->lblQuestLeft), questLeft);
  EXPECT_DOUBLE_EQ(Left(form->lblTimeLeft) + Width(form->lblTimeLeft), questLeft + Width(form->lblQuestLeft));
  EXPECT_DOUBLE_EQ(Top(form->lblTimeLeft), answerTop - 0.06 * H);
  EXPECT_DOUBLE_EQ(Top(form->lblQuestLeft), answerTop - 0.06 * H - 0.04 * H);
  const double barLeft = Left(form->lblTimeLeft) + Width(form->lblTimeLeft) + 0.01 * W;
  EXPECT_DOUBLE_EQ(Left(form->prgTimeLeft), barLeft);
  EXPECT_DOUBLE_EQ(Left(form->prgQuestLeft), barLeft);
  EXPECT_DOUBLE_EQ(Top(form->prgTimeLeft), Top(form->lblTimeLeft));
  EXPECT_DOUBLE_EQ(Top(form->prgQuestLeft), Top(form->lblQuestLeft));
  EXPECT_DOUBLE_EQ(Width(form->prgTimeLeft), 0.985 * W - barLeft);
  EXPECT_DOUBLE_EQ(Width(form->prgQuestLeft), 0.985 * W - barLeft);
  EXPECT_DOUBLE_EQ(Left(form->imgNoImage), (W - 3000) / 2);
  EXPECT_DOUBLE_EQ(Top(form->imgNoImage), (H - 0.51 * H - 2250) / 2);
  EXPECT_EQ(form->imgBackGround->geometry(), QRect(0, 0, 960, 700));
  // The picture areas and the reveal edge, in whole twips.
  EXPECT_EQ(form->UpperAreaHeight, platform::RoundHalfEven(0.51 * H - 0.01 * H));
  EXPECT_EQ(form->SideAreaHeight, platform::RoundHalfEven(Top(form->lblQuestLeft) - 0.01 * H));
  EXPECT_EQ(form->UpperAreaWidth, platform::RoundHalfEven(0.98 * W));
  EXPECT_EQ(form->SideAreaWidth, platform::RoundHalfEven(0.99 * W - questLeft));
  EXPECT_EQ(form->RevealEdgeX1, platform::RoundHalfEven(0.5 * W));
  EXPECT_EQ(form->RevealEdgeX2, platform::RoundHalfEven(0.97 * W - frameW));
  EXPECT_EQ(form->RevealEdgeHeight, frameH);
}

TEST_F(QandATest, SnapsBackToTheDesignSizeAndIgnoresMinimising) {
  ASSERT_TRUE(LoadWith());
  form->SetWidth(9000);
  EXPECT_EQ(form->Width(), 11715);
  form->SetHeight(6000);
  EXPECT_EQ(form->Height(), 8415);
  EXPECT_EQ(form->ScaleHeight(), 8415);
  EXPECT_DOUBLE_EQ(Top(form->rtfQuestion), 0.51 * 8415);
  // Minimised, the layout stays as it was.
  const double before = Width(form->rtfQuestion);
  form->SetWindowState(platform::vbMinimized);
  form->Form_Resize();
  EXPECT_EQ(Width(form->rtfQuestion), before);
}

TEST_F(QandATest, FirstActivationRestoresAKeptPositionOnce) {
  GLOBAL::SavedTop = 900;
  GLOBAL::SavedLeft = 0;  // 0 keeps the start-up place
  ASSERT_TRUE(LoadWith());
  form->Form_Activate();
  EXPECT_TRUE(form->Activated);
  EXPECT_EQ(form->Top(), 900);
  EXPECT_EQ(form->Left(), (15360 - 11715) / 2.0);
  form->SetTop(300);
  form->Form_Activate();
  EXPECT_EQ(form->Top(), 300);
}

TEST_F(QandATest, CloseBoxAnsweredNoChangesNothing) {
  ASSERT_TRUE(LoadWith());
  RunClock();
  form->tmrTimeLeft.Fire();
  const QString question = form->rtfQuestion->Text();
  responder.answers = {platform::vbNo};
  int cancel = 0;
  form->Form_QueryUnload(cancel, platform::vbFormControlMenu);
  EXPECT_EQ(cancel, 1);
  ASSERT_EQ(responder.boxes.size(), 1u);
  EXPECT_EQ(responder.boxes[0].prompt, QStringLiteral("Do you really want to quit the test?"));
  EXPECT_EQ(responder.boxes[0].style, 36);
  EXPECT_EQ(responder.boxes[0].title, QStringLiteral("Confirm test end"));
  EXPECT_EQ(form->CurrentQuestion, 1);
  EXPECT_EQ(form->rtfQuestion->Text(), question);
  EXPECT_EQ(form->prgTimeLeft->Value(), 135 - 60);
  EXPECT_TRUE(form->tmrTimeLeft.Enabled());
  EXPECT_EQ(ends.ends, 0);
  // The program's own unload asks nothing.
  responder.boxes.clear();
  EXPECT_TRUE(Ends([&] { form->Unload(); }));
  EXPECT_TRUE(responder.boxes.empty());
}

TEST_F(QandATest, CloseBoxAnsweredYesMidTestStoresNothing) {
  ASSERT_TRUE(LoadWith());
  form->cmdCorrect_Click();
  ASSERT_EQ(form->CurrentQuestion, 2);
  CloseResultsWhenShown();
  // The close box runs these two in turn.
  int cancel = 0;
  form->Form_QueryUnload(cancel, platform::vbFormControlMenu);
  EXPECT_EQ(cancel, 0);
  EXPECT_EQ(ends.ends, 0);
  EXPECT_TRUE(Ends([&] { form->Unload(); }));
  ASSERT_EQ(responder.boxes.size(), 1u);
  EXPECT_EQ(responder.boxes[0].title, QStringLiteral("Confirm test end"));
  EXPECT_FALSE(seen.shown);
  EXPECT_TRUE(StoredResults().empty());
  // It moved on by one part, then marked the rest unanswered.
  EXPECT_EQ(form->CurrentQuestion, 3);
  const int last = form->Test.QuestionOrder[3];
  EXPECT_EQ(form->Test.Questions(last, 0, slotState), QStringLiteral("0"));
  EXPECT_EQ(form->Test.Questions(last, 0, slotMark), QStringLiteral("~NO~"));
  EXPECT_EQ(form->Test.Questions(form->Test.QuestionOrder[1], 0, slotState), QStringLiteral("CFQ"));
}

TEST_F(QandATest, CloseBoxAnsweredYesOnTheLastPartEndsTheTestAsUsual) {
  ASSERT_TRUE(LoadWith());
  form->cmdCorrect_Click();
  form->cmdWrong_Click();
  ASSERT_EQ(form->CurrentQuestion, 3);
  CloseResultsWhenShown();
  int cancel = 0;
  EXPECT_TRUE(Ends([&] { form->Form_QueryUnload(cancel, platform::vbFormControlMenu); }));
  EXPECT_TRUE(seen.shown);
  const std::vector<StoredResult> rows = StoredResults();
  ASSERT_EQ(rows.size(), 1u);
  // One of three correct; the last part was left unjudged.
  EXPECT_DOUBLE_EQ(rows[0].percent, 100.0 / 3);
  EXPECT_EQ(rows[0].type, QStringLiteral("Mates Assesment"));
}

TEST_F(QandATest, UnloadDetachesTheRecordsetsAndEnds) {
  ASSERT_TRUE(LoadWith());
  form->SetLeft(1500);
  form->SetTop(600);
  EXPECT_THROW(form->Unload(), platform::ProgramEnded);
  EXPECT_EQ(ends.ends, 1);
  EXPECT_EQ(GLOBAL::SavedLeft, 1500);
  EXPECT_EQ(GLOBAL::SavedTop, 600);
  EXPECT_EQ(platform::Screen::MousePointer(), 0);
  // A detached recordset keeps its rows but no longer writes to the file.
  platform::Recordset* rs = form->adoAccess.GetRecordset();
  ASSERT_NE(rs, nullptr);
  EXPECT_EQ(rs->Value(QStringLiteral("TestID")).ToText(), QStringLiteral("T1"));
  EXPECT_THROW(
      {
        rs->SetValue(QStringLiteral("AssessorName"), Variant("Someone"));
        rs->Update();
      },
      platform::VbError);
}

}  // namespace
