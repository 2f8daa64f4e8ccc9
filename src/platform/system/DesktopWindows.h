#pragma once
// The desktop's top-level windows, the process that owns each and its title,
// as the original read them with GetWindow, GetWindowThreadProcessId and
// GetWindowTextA. On X11 through xcb and EWMH (_NET_CLIENT_LIST_STACKING,
// _NET_WM_PID, _NET_WM_NAME); without an X11 server there are no windows.
// Tests put a stand-in in place.
#include <QString>
#include <cstdint>
#include <vector>

namespace platform {

// An X11 window id; 0 is no window.
using WindowHandle = std::uint32_t;

class DesktopWindows {
 public:
  virtual ~DesktopWindows() = default;
  // The top-level windows, the topmost first; empty without a window system.
  virtual std::vector<WindowHandle> TopLevelWindows() = 0;
  // The id of the process that owns the window; 0 when the window does not
  // exist or does not say.
  virtual std::int64_t WindowProcessId(WindowHandle window) = 0;
  // The window's title; "" when it has none or does not exist.
  virtual QString WindowTitle(WindowHandle window) = 0;
};

// nullptr puts the X11 windows back.
void SetDesktopWindows(DesktopWindows* windows);
DesktopWindows& CurrentDesktopWindows();

// The X11 lookup on the display named by DISPLAY, one connection per call.
// A window manager's stacking list is used when there is one; otherwise the
// root window's children (a desktop without a window manager, Xvfb).
class X11Windows : public DesktopWindows {
 public:
  std::vector<WindowHandle> TopLevelWindows() override;
  std::int64_t WindowProcessId(WindowHandle window) override;
  QString WindowTitle(WindowHandle window) override;
};

}  // namespace platform
