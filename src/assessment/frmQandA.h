#pragma once
// Pellorin's question window. Loading it starts everything: the command
// line gives the test, the test is built, the first question is shown and
// the time limit starts. The candidate uncovers each answer with the mouse,
// judges himself with the three buttons, and after the last question part
// (or when the time runs out) the results chart is shown, the score stored
// and the program ends.
#include <QColor>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <array>
#include <cstdint>
#include <functional>

#include "assessment/TestData.h"
#include "platform/data/Data.h"
#include "platform/forms/Form.h"
#include "platform/forms/ImageList.h"
#include "platform/forms/Picture.h"
#include "platform/forms/ProgressBar.h"
#include "platform/values/Random.h"
#include "platform/richtext/RichTextBox.h"
#include "platform/forms/Timer.h"
#include "shared/FontSizeMenu.h"
#include "shared/PictureDisplay.h"

namespace assessment {

// Mouse moves as the forms receive them: buttons held, shift state, and the
// position in twips within the control.
using MouseMoveHandler = std::function<void(int Button, int Shift, double X, double Y)>;

// A label that, like the original's, shows no tooltip while disabled.
class HelpLabel : public QLabel {
  Q_OBJECT
 public:
  using QLabel::QLabel;

 protected:
  bool event(QEvent* event) override;
};

// The frame around the judgement buttons; reports mouse moves over itself.
class AssessmentFrame : public QGroupBox {
  Q_OBJECT
 public:
  explicit AssessmentFrame(const QString& caption, QWidget* parent = nullptr);
  MouseMoveHandler MouseMove;

 protected:
  void mouseMoveEvent(QMouseEvent* event) override;
};

class frmQandA : public platform::Form {
  Q_OBJECT

 public:
  // The window's design size, which is also the smallest it can be made.
  static constexpr double kDesignHeight = 8415;
  static constexpr double kDesignWidth = 11715;
  // The self-assessment frame and its three buttons (left to right: correct,
  // wrong, pass), twips; the buttons' places are relative to the frame.
  static constexpr double kFrameWidth = 3780;
  static constexpr double kFrameHeight = 1125;
  static constexpr double kButtonWidth = 1140;
  static constexpr double kButtonHeight = 660;
  static constexpr double kButtonTop = 330;
  static constexpr double kButtonGap = 90;
  // The answer box's back colour while an answer shows.
  static const QColor kAnswerBackColour;
  // How long the score's save keeps trying while another program holds the
  // results file, milliseconds.
  static constexpr int kSaveWaitLimit = 30000;

  explicit frmQandA(QWidget* parent = nullptr);
  ~frmQandA() override;

  // The generator the test is drawn with (the program's own unless replaced).
  void SetRandomGenerator(platform::RandomGenerator* random) { random_ = random; }

  // Controls.
  platform::RichTextBox* rtfQuestion;
  platform::RichTextBox* rtfAnswer;
  platform::RichTextBox* rtfConvert;  // hidden: turns stored markup into plain text
  platform::ImageBox* imgBackGround;
  platform::ImageBox* imgNoImage;
  platform::PictureBox* picPicture;
  platform::ImageBox* imgPicture;
  AssessmentFrame* frmSelfAssesment;
  QPushButton* cmdCorrect;
  QPushButton* cmdWrong;
  QPushButton* cmdPass;
  QLabel* lblQuestLeft;
  platform::ProgressBar* prgQuestLeft;
  QLabel* lblTimeLeft;
  platform::ProgressBar* prgTimeLeft;
  std::array<HelpLabel*, 2> lblHelpMe{};
  platform::Timer tmrTimeLeft;
  platform::ImageList ilsOOW{QStringLiteral("ilsOOW")};
  platform::ImageList ilsMM{QStringLiteral("ilsMM")};
  shared::FontSizeMenu* mnuAction;

  // The data controls: the training database and the results database.
  platform::DataControl adoAccMainTest;
  platform::DataControl adoAccess;

  // The save's limit (kSaveWaitLimit unless a test shortens it).
  int SaveWaitLimit = kSaveWaitLimit;

  // What the build produced.
  TestData Test;
  bool TestBuilt = false;

  // Window values.
  QColor FormColour;
  QColor AnswerBackColour;
  QString CoverText;
  long CurrentQuestion = 0;
  long CurrentQuestionId = 0;
  bool Activated = false;
  std::int32_t UpperAreaHeight = 0;
  std::int32_t UpperAreaWidth = 0;
  std::int32_t SideAreaHeight = 0;
  std::int32_t SideAreaWidth = 0;
  std::int32_t RevealEdgeX1 = 0;
  std::int32_t RevealEdgeX2 = 0;
  std::int32_t RevealEdgeHeight = 0;
  bool AnswerPinned = false;
  bool AnswerShown = false;
  bool QuestionShown = false;
  QString ShownPictureName;

  // Event handlers.
  void Form_Load() override;
  void Form_Activate() override;
  void Form_Resize() override;
  void Form_QueryUnload(int& cancel, int unloadMode) override;
  void Form_Unload(int& cancel) override;
  void tmrTimeLeft_Timer();
  void cmdCorrect_Click();
  void cmdWrong_Click();
  void cmdPass_Click();
  void frmSelfAssesment_MouseMove(int Button, int Shift, double X, double Y);
  void imgBackGround_MouseMove(int Button, int Shift, double X, double Y);
  void rtfQuestion_MouseMove(int Button, int Shift, double X, double Y);
  void rtfAnswer_MouseMove(int Button, int Shift, double X, double Y);
  void rtfAnswer_Click();
  void rtfQuestion_MouseUp(int Button, int Shift, double X, double Y);
  void picPicture_MouseDown(int Button, int Shift, double X, double Y);
  void imgPicture_MouseDown(int Button, int Shift, double X, double Y);

  // The question loop.
  void ShowNextQuestion();
  void CoverAnswer();
  void RevealAnswer();
  void ScoreAndSaveResults();
  void ShowPicture(const QString& name);

  // True when the question has a second part.
  bool IsTwoPart(long question) const;
  // The edge right of which a mouse over the answer box uncovers nothing,
  // at depth Y (twips) in the box.
  std::int32_t RevealEdgeAt(double Y) const;
  // The test time in seconds: questions x seconds per question, at most
  // 32,767; never below 0.
  static std::int32_t TestSeconds(int questionCount, int timePerQuestion);

 private:
  void ReadCommandLine(const QString& commandLine);
  void BuildTestQuestions();
  void SetUpTimeLimit();
  void ComposeQuestion(int part);
  void ShowCover();
  QString PlainText(const QString& markup);
  void Judge(const QString& oneFullCode, const QString& halfCode);
  void SaveResultRow(double percent);
  void StoreResultRow(double percent);
  shared::PictureSite PictureSite();

  platform::RandomGenerator* random_;
  bool resultsScored_ = false;
  bool saving_ = false;
};

}  // namespace assessment
