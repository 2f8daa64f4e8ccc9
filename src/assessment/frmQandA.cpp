#include "assessment/frmQandA.h"

#include "assessment/GLOBAL.h"
#include "assessment/TestBuilder.h"
#include "platform/Program.h"
#include "shared/Databases.h"

namespace assessment {

frmQandA::frmQandA(QWidget* parent) : platform::Form(parent), random_(&platform::ProgramRandom()) {
  setWindowTitle(QStringLiteral("Assesment"));
  auto visible = [this] { return isVisible(); };
  auto folder = [] { return GLOBAL::AppFolder; };
  shared::AttachDataControlError(adoAccMainTest, visible, folder, shared::kTrainingDatabase);
  shared::AttachDataControlError(adoAccess, visible, folder, shared::kResultsDatabase);
}

frmQandA::~frmQandA() = default;

void frmQandA::Form_Load() {
  GLOBAL::TestId = GLOBAL::CommandLine;
  GLOBAL::TextFontSize = 8;
  SetHeight(8415);
  SetWidth(11715);
  SetLeft((platform::Screen::Width() - Width()) / 2);
  SetTop(platform::Screen::Height() * 0.005);
  GLOBAL::AnswerPeekMode = false;
  ReadCommandLine(GLOBAL::CommandLine);
  GLOBAL::AppFolder = platform::AppFolderFrom(platform::ProgramFolder());
  CurrentQuestion = 0;
  CurrentQuestionId = 0;
  BuildTestQuestions();
  SetCaption(Test.TestCaption);
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
  TestBuilt = builder.BuildTestQuestions(Test);
  CurrentQuestion = 0;
}

void frmQandA::Form_Unload(int& cancel) {
  (void)cancel;
  for (platform::DataControl* control : {&adoAccMainTest, &adoAccess})
    if (control->GetRecordset()) control->DetachRecordset();
  platform::Screen::SetMousePointer(platform::vbDefault);
  GLOBAL::SavedTop = platform::RoundHalfEven(Top());
  GLOBAL::SavedLeft = platform::RoundHalfEven(Left());
  platform::End();
}

}  // namespace assessment
