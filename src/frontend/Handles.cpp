#include "frontend/Handles.h"

#include "platform/values/VbValues.h"

namespace frontend::Handles {

namespace {
constexpr int kTitleBuffer = 256;
}

std::int64_t GetWindowProcessId(platform::WindowHandle window) {
  return platform::CurrentDesktopWindows().WindowProcessId(window);
}

platform::WindowHandle FindProcessWindow(std::int64_t processId) {
  // Windows that do not name their process read as process 0.
  if (processId <= 0) return 0;
  for (const platform::WindowHandle window : platform::CurrentDesktopWindows().TopLevelWindows()) {
    if (GetWindowProcessId(window) != processId) continue;
    const QString title = GetWindowText(window);
    if (!title.isEmpty() && platform::InStr(title, QStringLiteral("tarrowby"), true) > 0) return window;
  }
  return 0;
}

QString GetWindowText(platform::WindowHandle window) {
  return platform::CurrentDesktopWindows().WindowTitle(window).left(kTitleBuffer - 1);
}

}  // namespace frontend::Handles
