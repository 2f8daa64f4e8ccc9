#include "platform/system/DesktopWindows.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

namespace platform {
namespace {

X11Windows& X11() {
  static X11Windows x11;
  return x11;
}

DesktopWindows*& Current() {
  static DesktopWindows* current = &X11();
  return current;
}

// One connection to the display with the EWMH atoms, for one lookup.
class Display {
 public:
  Display() {
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name) return;
    connection_ = xcb_connect(nullptr, &screen_);
    if (xcb_connection_has_error(connection_)) return;
    xcb_intern_atom_cookie_t* cookies = xcb_ewmh_init_atoms(connection_, &ewmh_);
    ewmhReady_ = xcb_ewmh_init_atoms_replies(&ewmh_, cookies, nullptr) != 0;
  }
  ~Display() {
    if (ewmhReady_) xcb_ewmh_connection_wipe(&ewmh_);
    if (connection_) xcb_disconnect(connection_);
  }
  Display(const Display&) = delete;
  Display& operator=(const Display&) = delete;

  bool Usable() const { return connection_ && !xcb_connection_has_error(connection_) && ewmhReady_; }
  xcb_connection_t* Connection() const { return connection_; }
  xcb_ewmh_connection_t* Ewmh() { return &ewmh_; }
  int Screen() const { return screen_; }
  xcb_window_t Root() const {
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (int i = 0; i < screen_ && it.rem; ++i) xcb_screen_next(&it);
    return it.rem ? it.data->root : 0;
  }

 private:
  xcb_connection_t* connection_ = nullptr;
  xcb_ewmh_connection_t ewmh_{};
  bool ewmhReady_ = false;
  int screen_ = 0;
};

// A text property of the window in its own encoding; false when it has none.
bool TextProperty(Display& display, WindowHandle window, xcb_atom_t property, QString* text) {
  xcb_get_property_cookie_t cookie =
      xcb_get_property(display.Connection(), 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 4096);
  std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
      xcb_get_property_reply(display.Connection(), cookie, nullptr), &std::free);
  if (!reply || reply->type == XCB_NONE || reply->format != 8) return false;
  const auto* data = static_cast<const char*>(xcb_get_property_value(reply.get()));
  const int length = xcb_get_property_value_length(reply.get());
  *text = reply->type == display.Ewmh()->UTF8_STRING ? QString::fromUtf8(data, length)
                                                      : QString::fromLatin1(data, length);
  return true;
}

}  // namespace

void SetDesktopWindows(DesktopWindows* windows) { Current() = windows ? windows : &X11(); }

DesktopWindows& CurrentDesktopWindows() { return *Current(); }

std::vector<WindowHandle> X11Windows::TopLevelWindows() {
  std::vector<WindowHandle> windows;
  Display display;
  if (!display.Usable()) return windows;
  // Both lists run from the bottom of the stack to the top.
  xcb_ewmh_get_windows_reply_t stacking;
  if (xcb_ewmh_get_client_list_stacking_reply(
          display.Ewmh(), xcb_ewmh_get_client_list_stacking(display.Ewmh(), display.Screen()), &stacking, nullptr)) {
    windows.assign(stacking.windows, stacking.windows + stacking.windows_len);
    xcb_ewmh_get_windows_reply_wipe(&stacking);
  } else {
    std::unique_ptr<xcb_query_tree_reply_t, decltype(&std::free)> tree(
        xcb_query_tree_reply(display.Connection(), xcb_query_tree(display.Connection(), display.Root()), nullptr),
        &std::free);
    if (tree) {
      const xcb_window_t* children = xcb_query_tree_children(tree.get());
      windows.assign(children, children + xcb_query_tree_children_length(tree.get()));
    }
  }
  std::reverse(windows.begin(), windows.end());
  return windows;
}

std::int64_t X11Windows::WindowProcessId(WindowHandle window) {
  if (window == 0) return 0;
  Display display;
  if (!display.Usable()) return 0;
  std::uint32_t pid = 0;
  if (!xcb_ewmh_get_wm_pid_reply(display.Ewmh(), xcb_ewmh_get_wm_pid(display.Ewmh(), window), &pid, nullptr))
    return 0;
  return pid;
}

QString X11Windows::WindowTitle(WindowHandle window) {
  if (window == 0) return QString();
  Display display;
  if (!display.Usable()) return QString();
  QString title;
  if (TextProperty(display, window, display.Ewmh()->_NET_WM_NAME, &title)) return title;
  if (TextProperty(display, window, XCB_ATOM_WM_NAME, &title)) return title;
  return QString();
}

}  // namespace platform
