#include "assessment/frmQandA.h"

#include <QCursor>
#include <QElapsedTimer>
#include <QEvent>
#include <QMouseEvent>
#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

#include "assessment/GLOBAL.h"
#include "assessment/TestBuilder.h"
#include "assessment/frmResults.h"
#include "platform/values/Clock.h"
#include "platform/forms/Dialogs.h"
#include "platform/values/Edition.h"
#include "platform/forms/Program.h"
#include "platform/forms/Twips.h"
#include "platform/values/VbValues.h"
#include "shared/Databases.h"
#include "shared/GLOBAL.h"
#include "shared/frmPicOverSize.h"

// The resource function lives in the global namespace.
static void RegisterAssessmentImages() { Q_INIT_RESOURCE(assessment_images); }

namespace assessment {

using platform::RoundHalfEven;

namespace {
const QString kMarker = QStringLiteral("\u00A7");
constexpr int kStyleIndent = 210;
constexpr std::int32_t kMaxTestSeconds = 32767;
constexpr int kNoTimeLimit = 9999;
constexpr int kTickMs = 60000;
constexpr double kWarningSeconds = 300;
// While the results file is locked: the longest a try waits for the lock,
// and the pause between tries, milliseconds.
constexpr int kSaveLockWait = 100;
constexpr int kSaveRetryPause = 200;
}  // namespace

// ---- small controls ----------------------------------------------------------

bool HelpLabel::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip && !isEnabled()) {
    event->ignore();
    return true;
  }
  return QLabel::event(event);
}

AssessmentFrame::AssessmentFrame(const QString& caption, QWidget* parent) : QGroupBox(caption, parent) {
  setMouseTracking(true);
}

void AssessmentFrame::mouseMoveEvent(QMouseEvent* event) {
  QGroupBox::mouseMoveEvent(event);
  if (MouseMove)
    MouseMove(platform::VbButtons(event->buttons()), platform::VbShift(event->modifiers()),
              event->position().x() * platform::kTwipsPerPixel, event->position().y() * platform::kTwipsPerPixel);
}

// ---- the window ----------------------------------------------------------------

const QColor frmQandA::kAnswerBackColour = QColor(255, 253, 244);

frmQandA::frmQandA(QWidget* parent) : platform::Form(parent), random_(&platform::ProgramRandom()) {
  RegisterAssessmentImages();
  setObjectName(QStringLiteral("frmQandA"));
  setWindowTitle(QStringLiteral("Assesment"));
  QWidget* client = Client();
  const auto run = [](auto handler) { platform::RunHandler(handler); };

  // Created first, so it lies below every other control.
  imgBackGround = new platform::ImageBox(client);
  imgBackGround->setObjectName(QStringLiteral("imgBackGround"));
  imgBackGround->MouseMove = [this, run](int b, int s, double x, double y) {
    run([&] { imgBackGround_MouseMove(b, s, x, y); });
  };

  imgNoImage = new platform::ImageBox(client);
  imgNoImage->setObjectName(QStringLiteral("imgNoImage"));
  platform::SetWidth(imgNoImage, 3000);
  platform::SetHeight(imgNoImage, 2250);

  picPicture = new platform::PictureBox(client);
  picPicture->setObjectName(QStringLiteral("picPicture"));
  picPicture->hide();
  picPicture->MouseDown = [this, run](int b, int s, double x, double y) {
    run([&] { picPicture_MouseDown(b, s, x, y); });
  };
  imgPicture = new platform::ImageBox(client);
  imgPicture->setObjectName(QStringLiteral("imgPicture"));
  imgPicture->hide();
  imgPicture->MouseDown = [this, run](int b, int s, double x, double y) {
    run([&] { imgPicture_MouseDown(b, s, x, y); });
  };

  rtfQuestion = new platform::RichTextBox(client);
  rtfQuestion->setObjectName(QStringLiteral("rtfQuestion"));
  rtfQuestion->SetToolTipText(QStringLiteral("Question in one part"));
  rtfQuestion->setCursorWidth(0);  // the candidate reads, never types
  connect(rtfQuestion, &platform::RichTextBox::MouseMove, this,
          [this, run](int b, int s, double x, double y) { run([&] { rtfQuestion_MouseMove(b, s, x, y); }); });
  connect(rtfQuestion, &platform::RichTextBox::MouseUp, this,
          [this, run](int b, int s, double x, double y) { run([&] { rtfQuestion_MouseUp(b, s, x, y); }); });

  rtfAnswer = new platform::RichTextBox(client);
  rtfAnswer->setObjectName(QStringLiteral("rtfAnswer"));
  rtfAnswer->SetToolTipText(QStringLiteral("Click = permanent"));
  rtfAnswer->SetBackColor(kAnswerBackColour);
  rtfAnswer->setCursorWidth(0);
  connect(rtfAnswer, &platform::RichTextBox::MouseMove, this,
          [this, run](int b, int s, double x, double y) { run([&] { rtfAnswer_MouseMove(b, s, x, y); }); });
  connect(rtfAnswer, &platform::RichTextBox::Click, this, [this, run] { run([&] { rtfAnswer_Click(); }); });

  rtfConvert = new platform::RichTextBox(client);
  rtfConvert->setObjectName(QStringLiteral("rtfConvert"));
  rtfConvert->hide();

  frmSelfAssesment = new AssessmentFrame(QStringLiteral("Self Assesment"), client);
  frmSelfAssesment->setObjectName(QStringLiteral("frmSelfAssesment"));
  frmSelfAssesment->setAutoFillBackground(true);
  platform::SetWidth(frmSelfAssesment, kFrameWidth);
  platform::SetHeight(frmSelfAssesment, kFrameHeight);
  frmSelfAssesment->MouseMove = [this, run](int b, int s, double x, double y) {
    run([&] { frmSelfAssesment_MouseMove(b, s, x, y); });
  };
  const auto makeButton = [&](const char* name, const QString& caption, int index) {
    auto* button = new QPushButton(caption, frmSelfAssesment);
    button->setObjectName(QString::fromLatin1(name));
    button->setCursor(Qt::PointingHandCursor);
    platform::Move(button, kButtonGap + index * (kButtonWidth + kButtonGap), kButtonTop, kButtonWidth,
                   kButtonHeight);
    return button;
  };
  cmdCorrect = makeButton("cmdCorrect", QStringLiteral("Correct"), 0);
  cmdWrong = makeButton("cmdWrong", QStringLiteral("Wrong"), 1);
  cmdPass = makeButton("cmdPass", QStringLiteral("Pass"), 2);
  cmdPass->setToolTip(QStringLiteral("Pass Question"));
  connect(cmdCorrect, &QPushButton::clicked, this, [this, run] { run([&] { cmdCorrect_Click(); }); });
  connect(cmdWrong, &QPushButton::clicked, this, [this, run] { run([&] { cmdWrong_Click(); }); });
  connect(cmdPass, &QPushButton::clicked, this, [this, run] { run([&] { cmdPass_Click(); }); });

  const auto makeLabel = [&](const char* name, const QString& caption) {
    auto* label = new QLabel(caption, client);
    label->setObjectName(QString::fromLatin1(name));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont f = label->font();
    f.setBold(true);
    label->setFont(f);
    platform::SetWidth(label, 1800);
    platform::SetHeight(label, 255);
    return label;
  };
  lblQuestLeft = makeLabel("lblQuestLeft", QStringLiteral("Questions Left:"));
  lblTimeLeft = makeLabel("lblTimeLeft", QStringLiteral("Time left:"));
  prgQuestLeft = new platform::ProgressBar(client);
  prgQuestLeft->setObjectName(QStringLiteral("prgQuestLeft"));
  platform::SetHeight(prgQuestLeft, 255);
  prgTimeLeft = new platform::ProgressBar(client);
  prgTimeLeft->setObjectName(QStringLiteral("prgTimeLeft"));
  platform::SetHeight(prgTimeLeft, 255);

  for (int i = 0; i < 2; ++i) {
    lblHelpMe[static_cast<std::size_t>(i)] = new HelpLabel(client);
    lblHelpMe[static_cast<std::size_t>(i)]->setObjectName(QStringLiteral("lblHelpMe%1").arg(i));
  }

  tmrTimeLeft.OnTimer = [this, run] { run([&] { tmrTimeLeft_Timer(); }); };

  mnuAction = new shared::FontSizeMenu(this, QStringLiteral("PopUp Action"), GLOBAL::TextFontSize,
                                       {[this](int points) { rtfQuestion->SetFontSize(points); },
                                        [this](int points) { rtfAnswer->SetFontSize(points); }});

  auto visible = [this] { return isVisible(); };
  auto folder = [] { return GLOBAL::AppFolder; };
  shared::AttachDataControlError(adoAccMainTest, visible, folder, shared::kTrainingDatabase);
  shared::AttachDataControlError(adoAccess, visible, folder, shared::kResultsDatabase);
}

frmQandA::~frmQandA() = default;

// ---- start-up ---------------------------------------------------------------------

void frmQandA::Form_Load() {
  // 1: the edition's look
  const bool oow = platform::EditionCode() == QLatin1String("OOW");
  FormColour = oow ? QColor(251, 159, 60) : QColor(255, 172, 40);
  const platform::ImageList& list = oow ? ilsOOW : ilsMM;
  const QString prefix = oow ? QStringLiteral("oow") : QStringLiteral("mm");
  imgBackGround->SetPicture(platform::StdPicture(list.ListImage(prefix + QStringLiteral("FormBackground"))));
  imgNoImage->SetPicture(platform::StdPicture(list.ListImage(prefix + QStringLiteral("NoImage"))));
  const std::array<std::pair<QPushButton*, const char*>, 3> faces = {
      {{cmdCorrect, "Correct"}, {cmdWrong, "Wrong"}, {cmdPass, "Passed"}}};
  for (const auto& [button, face] : faces) {
    const QPixmap picture = list.ListImage(prefix + QString::fromLatin1(face));
    button->setText(QString());
    button->setIcon(QIcon(picture));
    button->setIconSize(picture.size());
  }
  // 2
  GLOBAL::TestId = GLOBAL::CommandLine;
  GLOBAL::TextFontSize = 8;
  // 3
  SetHeight(kDesignHeight);
  SetWidth(kDesignWidth);
  SetLeft((platform::Screen::Width() - Width()) / 2);
  SetTop(platform::Screen::Height() * 0.005);
  // 4
  GLOBAL::AnswerPeekMode = false;
  QPalette framePalette = frmSelfAssesment->palette();
  framePalette.setColor(QPalette::Window, FormColour);
  frmSelfAssesment->setPalette(framePalette);
  AnswerBackColour = rtfAnswer->BackColor();
  CoverText = platform::vbCrLf + QStringLiteral("     --- answer ---");
  rtfAnswer->SetTextRTF(CoverText);
  rtfAnswer->SetBackColor(FormColour);
  // 5, 6
  ReadCommandLine(GLOBAL::CommandLine);
  GLOBAL::AppFolder = platform::AppFolderFrom(platform::ProgramFolder());
  // 7
  CurrentQuestion = 0;
  CurrentQuestionId = 0;
  BuildTestQuestions();
  if (!TestBuilt) return;
  // 8
  SetCaption(Test.TestCaption);
  // 9
  prgQuestLeft->SetMin(0);
  prgQuestLeft->SetMax(Test.QuestionCount);
  prgQuestLeft->SetValue(Test.QuestionCount);
  prgQuestLeft->SetToolTipText(QString::number(Test.QuestionCount) + QStringLiteral(" questions to answer"));
  // 10
  SetUpTimeLimit();
  // 11: the cover's first paragraph
  rtfAnswer->SetSelStart(0);
  rtfAnswer->SetSelLength(1);
  rtfAnswer->SetSelIndent(kStyleIndent);
  // 12: a disabled label shows no tooltip, so the answers stay hidden
  for (HelpLabel* label : lblHelpMe) label->setEnabled(GLOBAL::AnswerPeekMode);
  // 13, 14
  ShowNextQuestion();
  tmrTimeLeft.SetEnabled(true);
}

void frmQandA::ReadCommandLine(const QString& s) {
  if (s.isEmpty()) return;
  const qsizetype p = s.indexOf(u' ');
  if (p < 0) {
    if (s == GLOBAL::kAnswerPeekCode) GLOBAL::AnswerPeekMode = true;
    return;
  }
  GLOBAL::TestId = s.left(p);
  GLOBAL::AnswerPeekMode = s.mid(p + 1) == GLOBAL::kAnswerPeekCode;
}

void frmQandA::BuildTestQuestions() {
  TestBuilder builder(adoAccess, adoAccMainTest, *random_);
  builder.AppFolder = GLOBAL::AppFolder;
  builder.TestId = GLOBAL::TestId;
  builder.UnloadWindow = [this] { Unload(); };
  resultsScored_ = false;
  TestBuilt = builder.BuildTestQuestions(Test);
  CurrentQuestion = 0;
}

std::int32_t frmQandA::TestSeconds(int questionCount, int timePerQuestion) {
  const std::int64_t seconds = static_cast<std::int64_t>(questionCount) * timePerQuestion;
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(seconds, 0, kMaxTestSeconds));
}

void frmQandA::SetUpTimeLimit() {
  if (Test.TimePerQuestion == kNoTimeLimit) {
    prgTimeLeft->hide();
    lblTimeLeft->setText(QStringLiteral("No time limit"));
    tmrTimeLeft.SetInterval(0);
    return;
  }
  prgTimeLeft->show();
  lblTimeLeft->setText(QStringLiteral("Time left:"));
  prgTimeLeft->SetAppearance(platform::ProgressBar::cc3D);
  prgTimeLeft->SetBorderStyle(platform::ProgressBar::ccNone);
  prgTimeLeft->SetMin(0);
  const std::int32_t t = TestSeconds(Test.QuestionCount, Test.TimePerQuestion);
  prgTimeLeft->SetMax(t);
  prgTimeLeft->SetValue(t);
  prgTimeLeft->SetToolTipText(platform::SingleText(prgTimeLeft->Value() / 60) +
                              QStringLiteral(" minutes left for the test"));
  tmrTimeLeft.SetInterval(kTickMs);
}

void frmQandA::Form_Activate() {
  if (Activated) return;
  Activated = true;
  if (GLOBAL::SavedTop != 0) SetTop(GLOBAL::SavedTop);
  if (GLOBAL::SavedLeft != 0) SetLeft(GLOBAL::SavedLeft);
  // A first picture too large for this window stands in the picture window.
  if (shared::frmPicOverSize::Visible()) shared::frmPicOverSize::Instance().SetFocus();
}

// ---- layout ----------------------------------------------------------------------

void frmQandA::Form_Resize() {
  using platform::Height;
  using platform::Left;
  using platform::Top;
  using platform::Width;
  // 1, 2
  if (WindowState() == platform::vbMinimized) return;
  if (this->Height() < kDesignHeight) SetHeight(kDesignHeight);
  if (this->Width() < kDesignWidth) SetWidth(kDesignWidth);
  // 3
  const double H = RoundHalfEven(ScaleHeight());
  const double W = RoundHalfEven(ScaleWidth());
  // 4
  imgBackGround->hide();
  platform::Move(imgBackGround, 0, 0, W, H);
  imgBackGround->show();
  // 5
  platform::SetHeight(rtfQuestion, 0.26 * H);
  platform::SetWidth(rtfQuestion, 0.5 * W);
  platform::SetLeft(rtfQuestion, 0.01 * W);
  platform::SetTop(rtfQuestion, 0.51 * H);
  platform::SetHeight(rtfAnswer, 0.21 * H);
  platform::SetWidth(rtfAnswer, 0.97 * W - Width(frmSelfAssesment));
  platform::SetLeft(rtfAnswer, 0.01 * W);
  platform::SetTop(rtfAnswer, 0.99 * H - Height(rtfAnswer));
  HelpLabel* help0 = lblHelpMe[0];
  HelpLabel* help1 = lblHelpMe[1];
  platform::SetHeight(help0, Top(rtfAnswer) - Top(rtfQuestion) - Height(rtfQuestion));
  platform::SetWidth(help0, Width(rtfAnswer) / 2);
  platform::SetHeight(help1, Height(help0));
  platform::SetWidth(help1, Width(help0));
  platform::SetLeft(help0, Left(rtfAnswer));
  platform::SetTop(help0, Top(rtfAnswer) - Height(help0));
  platform::SetLeft(help1, Left(rtfAnswer) + Width(rtfAnswer) / 2);
  platform::SetTop(help1, Top(rtfAnswer) - Height(help1));
  platform::SetLeft(frmSelfAssesment, 0.99 * W - Width(frmSelfAssesment));
  platform::SetTop(frmSelfAssesment, Top(rtfAnswer));
  platform::SetLeft(lblQuestLeft, Left(rtfQuestion) + Width(rtfQuestion) + 0.01 * W);
  platform::SetLeft(lblTimeLeft, Left(lblQuestLeft) + Width(lblQuestLeft) - Width(lblTimeLeft));
  platform::SetTop(lblTimeLeft, Top(rtfAnswer) - 0.06 * H);
  platform::SetTop(lblQuestLeft, Top(lblTimeLeft) - 0.04 * H);
  platform::SetLeft(prgTimeLeft, Left(lblTimeLeft) + Width(lblTimeLeft) + 0.01 * W);
  platform::SetTop(prgTimeLeft, Top(lblTimeLeft));
  platform::SetLeft(prgQuestLeft, Left(prgTimeLeft));
  platform::SetTop(prgQuestLeft, Top(lblQuestLeft));
  platform::SetWidth(prgTimeLeft, 0.985 * W - Left(prgTimeLeft));
  platform::SetWidth(prgQuestLeft, 0.985 * W - Left(prgQuestLeft));
  platform::SetLeft(imgNoImage, (W - Width(imgNoImage)) / 2);
  platform::SetTop(imgNoImage, (H - Top(rtfQuestion) - Height(imgNoImage)) / 2);
  // 6
  UpperAreaHeight = static_cast<std::int32_t>(RoundHalfEven(Top(rtfQuestion) - 0.01 * H));
  SideAreaHeight = static_cast<std::int32_t>(RoundHalfEven(Top(lblQuestLeft) - 0.01 * H));
  UpperAreaWidth = static_cast<std::int32_t>(RoundHalfEven(0.98 * W));
  SideAreaWidth = static_cast<std::int32_t>(RoundHalfEven(0.99 * W - Left(lblQuestLeft)));
  RevealEdgeX1 = static_cast<std::int32_t>(RoundHalfEven(Width(rtfQuestion)));
  RevealEdgeX2 = static_cast<std::int32_t>(RoundHalfEven(Width(rtfAnswer)));
  RevealEdgeHeight = static_cast<std::int32_t>(
      RoundHalfEven(std::abs(Top(frmSelfAssesment) + Height(frmSelfAssesment) - Top(rtfAnswer))));
  // 7: the picture, placed in the new areas
  if (CurrentQuestion > 0) {
    const QString picture = Test.Questions(static_cast<int>(CurrentQuestionId), 0, slotQuestionPic);
    if (!picture.isEmpty()) ShowPicture(picture);
  }
}

// ---- time limit ----------------------------------------------------------------------

void frmQandA::tmrTimeLeft_Timer() {
  if (prgTimeLeft->Value() - 60 < 0) {
    // Stopped before the box: a box left open past the next minute must not
    // end the test a second time.
    tmrTimeLeft.SetEnabled(false);
    platform::MsgBox(QStringLiteral("Sorry, the test time is expired.") + platform::vbCrLf, platform::vbExclamation,
                     QStringLiteral("End of the test"));
    ScoreAndSaveResults();
    Unload();
    return;
  }
  prgTimeLeft->SetValue(prgTimeLeft->Value() - 60);
  prgTimeLeft->SetToolTipText(platform::SingleText(prgTimeLeft->Value() / 60) +
                              QStringLiteral(" minutes left for the test"));
  if (prgTimeLeft->Value() < kWarningSeconds) {
    prgTimeLeft->SetBorderStyle(platform::ProgressBar::ccFixedSingle);
    prgTimeLeft->SetAppearance(platform::ProgressBar::ccFlat);
    for (int i = 0; i < 3; ++i) {
      shared::GLOBAL::Pause(0.5f);
      prgTimeLeft->SetAppearance(platform::ProgressBar::cc3D);
      shared::GLOBAL::Pause(0.5f);
      prgTimeLeft->SetAppearance(platform::ProgressBar::ccFlat);
    }
  }
}

// ---- quitting and unloading ----------------------------------------------------------

void frmQandA::Form_QueryUnload(int& cancel, int unloadMode) {
  if (unloadMode != platform::vbFormControlMenu) return;
  if (saving_) {
    cancel = 1;
    return;
  }
  try {
    const int answer = platform::MsgBox(QStringLiteral("Do you really want to quit the test?"),
                                        platform::vbYesNo + platform::vbQuestion, QStringLiteral("Confirm test end"));
    if (answer != platform::vbYes) {
      cancel = 1;
      return;
    }
    // On the last part this ends the test as usual: scored, stored, ended.
    ShowNextQuestion();
    // Otherwise the rest is left unanswered; a quit test is not scored.
    for (long p = std::max(CurrentQuestion, 1L); p <= Test.QuestionCount; ++p) {
      const int q = Test.QuestionOrder[static_cast<std::size_t>(p)];
      for (int part = 0; part < 2; ++part) {
        Test.Questions(q, part, slotState) = QStringLiteral("0");
        Test.Questions(q, part, slotMark) = kNoValue;
      }
    }
  } catch (const platform::VbError& e) {
    platform::MsgBox(QStringLiteral("Unexpected Error: ") + e.Description(), platform::vbCritical,
                     QStringLiteral(" Error"));
  }
}

void frmQandA::Form_Unload(int& cancel) {
  (void)cancel;
  if (shared::frmPicOverSize::Visible()) shared::frmPicOverSize::Instance().Unload();
  for (platform::DataControl* control : {&adoAccMainTest, &adoAccess})
    if (control->GetRecordset()) control->DetachRecordset();
  platform::Screen::SetMousePointer(platform::vbDefault);
  GLOBAL::SavedTop = RoundHalfEven(Top());
  GLOBAL::SavedLeft = RoundHalfEven(Left());
  platform::End();
}

// ---- the question loop -------------------------------------------------------------

bool frmQandA::IsTwoPart(long question) const {
  const int q = static_cast<int>(question);
  return Test.Questions(q, 1, slotQuestion) != kNoValue && Test.Questions(q, 1, slotAnswer) != kNoValue;
}

QString frmQandA::PlainText(const QString& markup) {
  rtfConvert->SetTextRTF(markup);
  return rtfConvert->Text();
}

void frmQandA::ShowNextQuestion() {
  // 1, 2, 3
  AnswerShown = false;
  QuestionShown = false;
  ShownPictureName.clear();
  bool firstOfTest = false;
  if (CurrentQuestion == 0 && GLOBAL::PartState == 0) {
    firstOfTest = true;
    GLOBAL::PartState = 1;
  }
  if (GLOBAL::PartState == 1 || GLOBAL::PartState == 12) ++CurrentQuestion;
  // 4
  if (shared::frmPicOverSize::Visible()) shared::frmPicOverSize::Instance().Hide();
  // 5: the end of the test
  if (CurrentQuestion > Test.QuestionCount) {
    platform::Screen::SetMousePointer(platform::vbDefault);
    for (QWidget* w : std::initializer_list<QWidget*>{rtfQuestion, rtfAnswer, prgQuestLeft, prgTimeLeft,
                                                      picPicture, lblQuestLeft, lblTimeLeft})
      w->hide();
    // The clock has nothing left to time; left running, its expiry would
    // end the test again while the results are on screen.
    tmrTimeLeft.SetEnabled(false);
    ScoreAndSaveResults();
    Unload();
    return;
  }
  // 6
  CurrentQuestionId = Test.QuestionOrder[static_cast<std::size_t>(CurrentQuestion)];
  prgQuestLeft->SetValue(Test.QuestionCount - CurrentQuestion);
  prgQuestLeft->SetToolTipText(QString::number(Test.QuestionCount + 1 - CurrentQuestion) +
                               QStringLiteral(" question(s) to answer"));
  // 7
  int part = 0;
  if (IsTwoPart(CurrentQuestionId)) {
    if (GLOBAL::PartState == 11) {
      GLOBAL::PartState = 12;
      part = 1;
    } else {
      GLOBAL::PartState = 11;
    }
  } else {
    GLOBAL::PartState = 1;
  }
  // 8
  ComposeQuestion(part);
  // 9
  const int q = static_cast<int>(CurrentQuestionId);
  if (GLOBAL::AnswerPeekMode) {
    lblHelpMe[0]->setToolTip(PlainText(Test.Questions(q, part, slotAnswer)));
    lblHelpMe[1]->setToolTip(PlainText(Test.Questions(q, part, slotUnused)));
  } else {
    rtfQuestion->SetToolTipText(GLOBAL::PartState == 1    ? QStringLiteral("Question to answer below")
                                : GLOBAL::PartState == 11 ? QStringLiteral("First part of the question to answer below")
                                                          : QStringLiteral("Second part of the question to answer below"));
  }
  // 10
  const QString picture = Test.Questions(q, part, slotQuestionPic);
  if (picture != kNoValue) {
    imgNoImage->hide();
    ShowPicture(picture);
    ShownPictureName = picture;
  } else {
    imgPicture->hide();
    picPicture->hide();
    imgNoImage->show();
  }
  // 11, 12
  RevealAnswer();
  if (firstOfTest) ShowCover();
}

void frmQandA::ComposeQuestion(int part) {
  const int q = static_cast<int>(CurrentQuestionId);
  const QString& stored = Test.Questions(q, part, slotQuestion);
  const QString header = QStringLiteral("[Section: ") + Test.Questions(q, part, slotDescription) + u']';
  const bool leadingReturn = stored.startsWith(u'\r');
  const bool twoPart = GLOBAL::PartState != 1;
  QString text = header + platform::vbCrLf;
  if (twoPart) text += platform::vbCrLf + kMarker + platform::vbCrLf;
  if (!leadingReturn) text += platform::vbCrLf;
  text += kMarker;

  platform::RichTextBox& box = *rtfQuestion;
  box.SetTextRTF(text);
  box.SetFontSize(GLOBAL::TextFontSize);
  box.SetSelStart(0);
  box.SetSelLength(static_cast<int>(box.Text().size()));  // all of it
  box.SetSelBold(true);
  box.SetSelUnderline(false);
  box.SetSelColor(QColor(255, 0, 255));
  box.SetSelAlignment(platform::RichTextBox::rtfCenter);
  box.SetSelIndent(0);
  box.SetSelRightIndent(0);
  // The markers are looked for after the header, so a section title that
  // holds the marker character is shown as it is.
  box.SetSelStart(static_cast<int>(header.size()));
  const auto styleMarker = [&](bool label) {
    box.UpTo(kMarker);
    box.SetSelLength(1);
    box.SetSelBold(label);
    box.SetSelUnderline(label);
    box.SetSelColor(Qt::black);
    box.SetSelAlignment(platform::RichTextBox::rtfLeft);
    box.SetSelIndent(kStyleIndent);
    box.SetSelRightIndent(kStyleIndent);
  };
  if (twoPart) {
    styleMarker(true);
    box.SetSelText(GLOBAL::PartState == 11 ? QStringLiteral("First part of the question:")
                                           : QStringLiteral("Second part of the question:"));
  }
  const QString body = PlainText(stored);
  styleMarker(false);
  box.SetSelText(body);
  box.SetSelStart(0);
}

void frmQandA::RevealAnswer() {
  const int q = static_cast<int>(CurrentQuestionId);
  const int part = IsTwoPart(q) && GLOBAL::PartState != 11 ? 1 : 0;
  platform::RichTextBox& box = *rtfAnswer;
  box.SetTextRTF(Test.Questions(q, part, slotAnswer));
  box.SetBackColor(AnswerBackColour);
  box.SetSelStart(0);
  box.SetSelLength(static_cast<int>(box.Text().size()));  // all of it
  box.SetSelFontName(QStringLiteral("MS Sans Serif"));
  box.SetSelFontSize(GLOBAL::TextFontSize);
  box.SetSelColor(Qt::black);
  box.SetSelBold(false);
  box.SetSelUnderline(false);
  box.SetSelIndent(kStyleIndent);
  box.SetSelRightIndent(kStyleIndent);
  box.SetSelStart(0);
}

void frmQandA::ShowCover() {
  rtfAnswer->SetTextRTF(CoverText);
  rtfAnswer->SetBackColor(FormColour);
  rtfAnswer->Refresh();
}

void frmQandA::CoverAnswer() {
  if (!AnswerPinned) ShowCover();
  AnswerShown = false;
  QuestionShown = false;
}

void frmQandA::Judge(const QString& oneFullCode, const QString& halfCode) {
  const int q = static_cast<int>(CurrentQuestionId);
  if (IsTwoPart(q)) Test.Questions(q, GLOBAL::PartState == 11 ? 0 : 1, slotState) = halfCode;
  else Test.Questions(q, 0, slotState) = oneFullCode;
  ShowNextQuestion();
  CoverAnswer();
}

void frmQandA::cmdCorrect_Click() { Judge(QStringLiteral("CFQ"), QStringLiteral("CHQ")); }
void frmQandA::cmdWrong_Click() { Judge(QStringLiteral("WFQ"), QStringLiteral("WHQ")); }
void frmQandA::cmdPass_Click() { Judge(QStringLiteral("PFQ"), QStringLiteral("PHQ")); }

// ---- the mouse ------------------------------------------------------------------------

std::int32_t frmQandA::RevealEdgeAt(double Y) const {
  const double edge = Y / RevealEdgeHeight * (RevealEdgeX2 - RevealEdgeX1) + RevealEdgeX1;
  return static_cast<std::int32_t>(platform::Int(std::abs(edge)));
}

void frmQandA::rtfAnswer_MouseMove(int, int, double X, double Y) {
  if (X > RevealEdgeAt(Y)) return;
  if (rtfAnswer->Text() == CoverText) {
    RevealAnswer();
    rtfAnswer->SetBackColor(AnswerBackColour);
  }
  AnswerShown = true;
  QuestionShown = false;
}

void frmQandA::rtfAnswer_Click() {
  AnswerPinned = !AnswerPinned;
  rtfAnswer->SetToolTipText(AnswerPinned ? QStringLiteral("Click = hidden") : QStringLiteral("Click = permanent"));
}

void frmQandA::imgBackGround_MouseMove(int, int, double, double) { CoverAnswer(); }

void frmQandA::frmSelfAssesment_MouseMove(int, int, double, double) { CoverAnswer(); }

void frmQandA::rtfQuestion_MouseMove(int, int, double, double) {
  if (!AnswerPinned) ShowCover();
  // Once each time the mouse comes back from elsewhere, not on every move.
  if (!QuestionShown) {
    imgPicture->hide();
    picPicture->hide();
    if (shared::frmPicOverSize::Visible()) shared::frmPicOverSize::Instance().Hide();
    if (ShownPictureName != kNoValue) ShowPicture(ShownPictureName);
  }
  QuestionShown = true;
  AnswerShown = false;
}

void frmQandA::rtfQuestion_MouseUp(int Button, int, double, double) {
  if (Button == 2) mnuAction->PopupMenu(QCursor::pos());
}

// ---- pictures ---------------------------------------------------------------------------

shared::PictureSite frmQandA::PictureSite() {
  shared::PictureSite site;
  site.mode = shared::PictureMode::Question;
  site.owner = this;
  site.picPicture = picPicture;
  site.imgPicture = imgPicture;
  site.imgNoImage = imgNoImage;
  site.AppFolder = GLOBAL::AppFolder;
  site.FormWidth = Width();
  site.QuestionLeft = platform::Left(rtfQuestion);
  site.QuestionWidth = platform::Width(rtfQuestion);
  site.UpperAreaHeight = UpperAreaHeight;
  site.UpperAreaWidth = UpperAreaWidth;
  site.SideAreaHeight = SideAreaHeight;
  site.SideAreaWidth = SideAreaWidth;
  return site;
}

void frmQandA::ShowPicture(const QString& name) { shared::ShowPicture(PictureSite(), name); }

void frmQandA::picPicture_MouseDown(int Button, int Shift, double X, double Y) {
  shared::picPicture_MouseDown(PictureSite(), Button, Shift, X, Y);
}

void frmQandA::imgPicture_MouseDown(int Button, int Shift, double X, double Y) {
  shared::imgPicture_MouseDown(PictureSite(), Button, Shift, X, Y);
}

// ---- scoring ----------------------------------------------------------------------------

void frmQandA::ScoreAndSaveResults() {
  // Once per run, whichever road ends the test first.
  if (resultsScored_) return;
  resultsScored_ = true;
  struct Weight {
    const char* code;
    int column;
    double weight;
    double score;
  };
  static const Weight kWeights[] = {{"CFQ", 0, 1, 1},   {"CHQ", 0, 0.5, 0.5}, {"WFQ", 1, 1, 0},
                                    {"WHQ", 1, 0.5, 0}, {"PFQ", 2, 1, 0},     {"PHQ", 2, 0.5, 0}};
  double score = 0;
  for (int q = 1; q <= Test.QuestionCount; ++q) {
    const int t = Test.Questions(q, 0, slotTable).toInt();
    for (int part = 0; part < 2; ++part) {
      const QString& state = Test.Questions(q, part, slotState);
      for (const Weight& w : kWeights) {
        if (state != QLatin1String(w.code)) continue;
        // A test that keeps more tables than its type has rows still
        // scores every question; the extra tables have no chart row.
        if (t >= 1 && t < static_cast<int>(Test.TableResults.size()))
          Test.TableResults[static_cast<std::size_t>(t)][static_cast<std::size_t>(w.column)] += w.weight;
        score += w.score;
        break;
      }
    }
  }
  {
    frmResults results(Test.TableResults, Test.TestTables, this);
    results.SetLeft(Left() + (Width() - results.Width()) / 2);
    results.SetTop(Top() + (Height() - results.Height()) / 2);
    results.Show(1, this);
  }
  // A test without questions has no score, and nothing is stored for it.
  if (Test.QuestionCount == 0) return;
  SaveResultRow(score / Test.QuestionCount * 100);
}

void frmQandA::SaveResultRow(double percent) {
  // Another program (the browser's log-on, a copy, a backup) may hold the
  // file for a while. The save then tries again, the window live in between,
  // and gives up only after SaveWaitLimit; each try is one transaction, so
  // the row is stored whole or not at all. The judgement buttons and the
  // close box rest meanwhile: either would end the program before the row
  // is in.
  saving_ = true;
  frmSelfAssesment->setEnabled(false);
  const auto reportLater = std::exchange(adoAccess.Error, nullptr);
  std::optional<platform::VbError> failure;
  QElapsedTimer waited;
  waited.start();
  for (;;) {
    try {
      StoreResultRow(percent);
      break;
    } catch (const platform::VbError& e) {
      if (!platform::IsDatabaseLocked(e) || waited.elapsed() >= SaveWaitLimit) {
        failure = e;
        break;
      }
    }
    platform::Screen::SetMousePointer(platform::vbHourglass);
    QElapsedTimer pause;
    pause.start();
    while (pause.elapsed() < kSaveRetryPause)
      platform::WaitForEvents(static_cast<int>(kSaveRetryPause - pause.elapsed()));
  }
  adoAccess.Error = reportLater;
  saving_ = false;
  platform::Screen::SetMousePointer(platform::vbDefault);
  if (failure) shared::DataControlError(isVisible(), GLOBAL::AppFolder, shared::kResultsDatabase, failure->Description());
}

void frmQandA::StoreResultRow(double percent) {
  // Opened afresh from its path: the file may have been moved or replaced
  // since the test was built. A short wait for a lock, so that the window
  // is never held up for long.
  if (platform::Connection* connection = adoAccess.GetConnection()) connection->Close();
  shared::ConnectResultsDatabase(adoAccess, GLOBAL::AppFolder);
  adoAccess.BusyTimeout = kSaveLockWait;
  adoAccess.CommandType = platform::adCmdUnknown;
  adoAccess.RecordSource = QStringLiteral("Select * from TestResults");
  adoAccess.Parameters.clear();
  adoAccess.Refresh();
  platform::Recordset& rs = *adoAccess.GetRecordset();
  if (rs.RecordCount() > 0) rs.MoveLast();
  rs.AddNew();
  rs.SetValue(QStringLiteral("DateTest"), platform::Variant::Date(platform::Clock::NowSerial()));
  rs.SetValue(QStringLiteral("TestType"), platform::Variant(Test.TestCaption));
  rs.SetValue(QStringLiteral("Percent"), platform::Variant(percent));
  rs.Update();
}

}  // namespace assessment
