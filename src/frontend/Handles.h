#pragma once
// The module Handles: the window a started program shows, found by its
// process, for the study log's inactivity guard.
#include <QString>
#include <cstdint>

#include "platform/system/DesktopWindows.h"

namespace frontend::Handles {

// The process that owns the window; 0 when the window does not exist.
std::int64_t GetWindowProcessId(platform::WindowHandle window);

// The first top-level window, from the top of the stack down, that belongs
// to the process and whose title holds "tarrowby" (any case); 0 when there
// is none.
platform::WindowHandle FindProcessWindow(std::int64_t processId);

// A window's title as a 256-character buffer holds it: at most 255
// characters; "" when the window has none.
QString GetWindowText(platform::WindowHandle window);

}  // namespace frontend::Handles
