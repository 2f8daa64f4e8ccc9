// The X11 window lookup against a real X server (Xvfb, started here): the
// stacking order, the owning process and both kinds of title, with and
// without a window manager's stacking list; and no windows without a server.
#include <QDeadlineTimer>
#include <QProcess>
#include <QStandardPaths>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include "platform/system/DesktopWindows.h"

using platform::WindowHandle;

namespace {

// An X server of its own on a free display, ready when the constructor returns.
class Xvfb {
 public:
  Xvfb() {
    if (QStandardPaths::findExecutable("Xvfb").isEmpty()) return;
    process_.start("Xvfb", {"-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "640x480x24"});
    if (!process_.waitForStarted(5000)) return;
    QDeadlineTimer deadline(15000);
    QByteArray out;
    while (!out.contains('\n') && !deadline.hasExpired()) {
      process_.waitForReadyRead(200);
      out += process_.readAllStandardOutput();
    }
    if (out.contains('\n')) display_ = ":" + out.trimmed();
  }
  ~Xvfb() {
    process_.terminate();
    process_.waitForFinished(5000);
  }
  const QByteArray& Display() const { return display_; }

 private:
  QProcess process_;
  QByteArray display_;
};

class EnvDisplay {
 public:
  explicit EnvDisplay(const QByteArray& display) : saved_(qgetenv("DISPLAY")), had_(qEnvironmentVariableIsSet("DISPLAY")) {
    if (display.isEmpty())
      qunsetenv("DISPLAY");
    else
      qputenv("DISPLAY", display);
  }
  ~EnvDisplay() {
    if (had_)
      qputenv("DISPLAY", saved_);
    else
      qunsetenv("DISPLAY");
  }

 private:
  QByteArray saved_;
  bool had_;
};

// A client that makes top-level windows with the properties programs set.
class Client {
 public:
  explicit Client(const QByteArray& display) {
    connection_ = xcb_connect(display.constData(), nullptr);
    screen_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
  }
  ~Client() { xcb_disconnect(connection_); }
  bool Ok() const { return !xcb_connection_has_error(connection_); }

  xcb_atom_t Atom(const char* name) {
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(connection_, xcb_intern_atom(connection_, 0, std::strlen(name), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : XCB_NONE;
    std::free(reply);
    return atom;
  }
  WindowHandle Make() {
    const xcb_window_t w = xcb_generate_id(connection_);
    xcb_create_window(connection_, XCB_COPY_FROM_PARENT, w, screen_->root, 0, 0, 100, 100, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen_->root_visual, 0, nullptr);
    xcb_map_window(connection_, w);
    return w;
  }
  void SetPid(WindowHandle w, std::uint32_t pid) {
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, w, Atom("_NET_WM_PID"), XCB_ATOM_CARDINAL, 32, 1, &pid);
  }
  void SetNetName(WindowHandle w, const QString& title) {
    const QByteArray bytes = title.toUtf8();
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, w, Atom("_NET_WM_NAME"), Atom("UTF8_STRING"), 8,
                        bytes.size(), bytes.constData());
  }
  void SetWmName(WindowHandle w, const QString& title) {
    const QByteArray bytes = title.toLatin1();
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, bytes.size(),
                        bytes.constData());
  }
  void Raise(WindowHandle w) {
    const std::uint32_t above = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(connection_, w, XCB_CONFIG_WINDOW_STACK_MODE, &above);
  }
  void Destroy(WindowHandle w) { xcb_destroy_window(connection_, w); }
  void SetStackingList(const std::vector<WindowHandle>& bottomToTop) {
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, screen_->root, Atom("_NET_CLIENT_LIST_STACKING"),
                        XCB_ATOM_WINDOW, 32, static_cast<std::uint32_t>(bottomToTop.size()), bottomToTop.data());
  }
  // Waits until the server has carried out every request sent.
  void Sync() { std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr)); }

 private:
  xcb_connection_t* connection_;
  xcb_screen_t* screen_;
};

// Positions of the windows in the list; -1 for one that is not there.
std::vector<long> Positions(const std::vector<WindowHandle>& list, const std::vector<WindowHandle>& windows) {
  std::vector<long> positions;
  for (WindowHandle w : windows) {
    const auto found = std::find(list.begin(), list.end(), w);
    positions.push_back(found == list.end() ? -1 : found - list.begin());
  }
  return positions;
}

}  // namespace

TEST(X11Windows, TopLevelWindowsTheirProcessesAndTitlesOnARealServer) {
  Xvfb server;
  if (server.Display().isEmpty()) GTEST_SKIP() << "Xvfb is not installed or did not start";
  EnvDisplay env(server.Display());
  Client client(server.Display());
  ASSERT_TRUE(client.Ok());
  const WindowHandle plotter = client.Make();
  client.SetPid(plotter, 4242);
  client.SetNetName(plotter, QString::fromUtf8("Tarrowby \xe2\x80\x93 Pl\xc3\xb6tter"));
  const WindowHandle legacy = client.Make();
  client.SetWmName(legacy, QString::fromLatin1("Caf\xe9 Tarrowby"));
  const WindowHandle silent = client.Make();  // no pid, no title
  client.Sync();

  platform::X11Windows x11;
  // Newer windows are on top: topmost first.
  std::vector<WindowHandle> list = x11.TopLevelWindows();
  std::vector<long> at = Positions(list, {plotter, legacy, silent});
  ASSERT_TRUE(at[0] >= 0 && at[1] >= 0 && at[2] >= 0);
  EXPECT_LT(at[2], at[1]);
  EXPECT_LT(at[1], at[0]);
  client.Raise(plotter);
  client.Sync();
  at = Positions(x11.TopLevelWindows(), {plotter, legacy, silent});
  EXPECT_LT(at[0], at[2]);

  EXPECT_EQ(x11.WindowProcessId(plotter), 4242);
  EXPECT_EQ(x11.WindowProcessId(legacy), 0);
  EXPECT_EQ(x11.WindowTitle(plotter), QString::fromUtf8("Tarrowby \xe2\x80\x93 Pl\xc3\xb6tter"));
  EXPECT_EQ(x11.WindowTitle(legacy), QString::fromLatin1("Caf\xe9 Tarrowby"));
  EXPECT_EQ(x11.WindowTitle(silent), "");

  // A window that has gone: no process, no title; nor for window 0.
  client.Destroy(legacy);
  client.Sync();
  EXPECT_EQ(x11.WindowTitle(legacy), "");
  EXPECT_EQ(x11.WindowProcessId(legacy), 0);
  EXPECT_EQ(Positions(x11.TopLevelWindows(), {legacy})[0], -1);
  EXPECT_EQ(x11.WindowProcessId(0), 0);

  // A window manager's stacking list, when there is one, is the list.
  client.SetStackingList({plotter, silent});
  client.Sync();
  EXPECT_EQ(x11.TopLevelWindows(), (std::vector<WindowHandle>{silent, plotter}));
}

TEST(X11Windows, WithoutAServerThereAreNoWindows) {
  EnvDisplay env("");
  platform::X11Windows x11;
  EXPECT_TRUE(x11.TopLevelWindows().empty());
  EXPECT_EQ(x11.WindowProcessId(0x200001), 0);
  EXPECT_EQ(x11.WindowTitle(0x200001), "");
  EnvDisplay nowhere(":87");  // a display nobody serves
  EXPECT_TRUE(x11.TopLevelWindows().empty());
  EXPECT_EQ(x11.WindowTitle(0x200001), "");
}
