#pragma once
// Helpers every test program shares: a dialog responder that records each
// box and answers from a script, a catcher for the program's End, standard
// error caught, and files that cannot be written: a full disk, and a folder's
// permissions kept even by root.
#include <QString>
#include <csignal>
#include <deque>
#include <functional>
#include <sys/resource.h>
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

// What `call` writes on standard error (through a pipe, which no file-size
// limit cuts short; at most a pipe's buffer).
QString StandardErrorOf(const std::function<void()>& call);

// While it lives, no file of this process grows past `bytes`: a write beyond
// fails with EFBIG (SIGXFSZ ignored), as writes on a full disk fail.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes);
  ~FileSizeLimit();

 private:
  rlimit saved_{};
  struct sigaction savedAction_ {};
};

// While it lives, the calling thread keeps to files' permissions even as root
// (its CAP_DAC_OVERRIDE and CAP_DAC_READ_SEARCH are set aside), so that a
// read-only folder is one to it. Without those rights it changes nothing.
class KeepToPermissions {
 public:
  KeepToPermissions();
  ~KeepToPermissions();

 private:
  bool dropped_ = false;
  unsigned effective_ = 0;
};

}  // namespace testsupport
