#pragma once
// Helpers every test program shares: a dialog responder that records each
// box and answers from a script, and a catcher for the program's End.
#include <QString>
#include <deque>
#include <vector>

#include "platform/forms/Dialogs.h"

namespace testsupport {

struct RecordedBox {
  QString prompt;
  int style = 0;
  QString title;
};

class ScriptedResponder : public platform::DialogResponder {
 public:
  ScriptedResponder();   // installs itself
  ~ScriptedResponder() override;  // puts the real dialogs back

  int MessageBox(const QString& prompt, int style, const QString& title) override;
  QString OpenFile(const platform::FileDialogRequest& request) override;
  QString Prompt(const platform::PromptRequest& request, bool* cancelled) override;

  std::vector<RecordedBox> boxes;
  std::deque<int> answers;  // empty: the box's first button (OK, Yes, Abort, Retry)
  std::vector<platform::FileDialogRequest> fileRequests;
  std::deque<QString> files;  // empty: cancelled ("")
  std::vector<platform::PromptRequest> prompts;
  struct PromptAnswer {
    QString text;
    bool cancelled = false;
  };
  std::deque<PromptAnswer> promptAnswers;  // empty: cancelled

 private:
  platform::DialogResponder* previous_;
};

// Replaces the program's End while it lives; End then throws
// platform::ProgramEnded after counting.
class EndCatcher {
 public:
  EndCatcher();
  ~EndCatcher();
  int ends = 0;
};

}  // namespace testsupport
