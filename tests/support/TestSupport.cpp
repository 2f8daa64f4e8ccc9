#include "TestSupport.h"

#include <cstdio>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

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

QString StandardErrorOf(const std::function<void()>& call) {
  int ends[2];
  if (pipe(ends) != 0) return QStringLiteral("<no pipe>");
  std::fflush(stderr);
  const int saved = dup(STDERR_FILENO);
  dup2(ends[1], STDERR_FILENO);
  close(ends[1]);
  call();
  std::fflush(stderr);
  dup2(saved, STDERR_FILENO);
  close(saved);
  QByteArray said;
  char buffer[4096];
  for (ssize_t n; (n = read(ends[0], buffer, sizeof buffer)) > 0;) said.append(buffer, n);
  close(ends[0]);
  return QString::fromLocal8Bit(said);
}

FileSizeLimit::FileSizeLimit(rlim_t bytes) {
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGXFSZ, &ignore, &savedAction_);
  getrlimit(RLIMIT_FSIZE, &saved_);
  const rlimit small{bytes, saved_.rlim_max};
  setrlimit(RLIMIT_FSIZE, &small);
}

FileSizeLimit::~FileSizeLimit() {
  setrlimit(RLIMIT_FSIZE, &saved_);
  sigaction(SIGXFSZ, &savedAction_, nullptr);
}

namespace {
// The calling thread's capabilities (capget and capset act on one thread).
bool Capabilities(__user_cap_data_struct (&data)[2], bool set) {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  return syscall(set ? SYS_capset : SYS_capget, &header, data) == 0;
}
}  // namespace

// Both rights are among the first 32, which data[0] holds.
KeepToPermissions::KeepToPermissions() {
  __user_cap_data_struct data[2]{};
  if (!Capabilities(data, false)) return;
  effective_ = data[0].effective;
  data[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
  dropped_ = Capabilities(data, true);
}

KeepToPermissions::~KeepToPermissions() {
  __user_cap_data_struct data[2]{};
  if (!dropped_ || !Capabilities(data, false)) return;
  data[0].effective = effective_;
  Capabilities(data, true);
}

}  // namespace testsupport
