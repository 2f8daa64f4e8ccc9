#include "TestSupport.h"

#include "platform/forms/Program.h"

namespace testsupport {

ScriptedResponder::ScriptedResponder() : previous_(platform::CurrentDialogResponder()) {
  platform::SetDialogResponder(this);
}

ScriptedResponder::~ScriptedResponder() { platform::SetDialogResponder(previous_); }

int ScriptedResponder::MessageBox(const QString& prompt, int style, const QString& title) {
  boxes.push_back({prompt, style, title});
  if (!answers.empty()) {
    const int a = answers.front();
    answers.pop_front();
    return a;
  }
  switch (style & 7) {
    case platform::vbOKCancel: return platform::vbOK;
    case platform::vbAbortRetryIgnore: return platform::vbAbort;
    case platform::vbYesNoCancel:
    case platform::vbYesNo: return platform::vbYes;
    case platform::vbRetryCancel: return platform::vbRetry;
    default: return platform::vbOK;
  }
}

QString ScriptedResponder::OpenFile(const platform::FileDialogRequest& request) {
  fileRequests.push_back(request);
  if (files.empty()) return QString();
  const QString f = files.front();
  files.pop_front();
  return f;
}

QString ScriptedResponder::Prompt(const platform::PromptRequest& request, bool* cancelled) {
  prompts.push_back(request);
  if (promptAnswers.empty()) {
    if (cancelled) *cancelled = true;
    return QString();
  }
  const PromptAnswer a = promptAnswers.front();
  promptAnswers.pop_front();
  if (cancelled) *cancelled = a.cancelled;
  return a.text;
}

EndCatcher::EndCatcher() {
  platform::SetEndHandler([this] { ++ends; });
}

EndCatcher::~EndCatcher() { platform::SetEndHandler(nullptr); }

}  // namespace testsupport
