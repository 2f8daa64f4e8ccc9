#include "Keyboard.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QTest>
#include <QWidget>

namespace testsupport {
namespace {

void Send(QWidget* window, QEvent::Type type, bool keypad, bool repeat, quint64 time) {
  QWidget* receiver = window->focusWidget() ? window->focusWidget() : window;
  QKeyEvent event(type, keypad ? Qt::Key_Enter : Qt::Key_Return, keypad ? Qt::KeypadModifier : Qt::NoModifier,
                  QStringLiteral("\r"), repeat);
  event.setTimestamp(time);
  QApplication::sendEvent(receiver, &event);
  QCoreApplication::processEvents();
}

}  // namespace

bool FocusByTab(QWidget* control) {
  control->window()->activateWindow();
  if (!QTest::qWaitForWindowActive(control->window())) return false;
  control->setFocus(Qt::TabFocusReason);
  QCoreApplication::processEvents();
  return control->hasFocus();
}

void PressEnter(QWidget* inWindow, bool keypad, int repeats) {
  // Milliseconds since the window system started; each press begins well
  // after the last one ended. A click may close the window for good.
  static quint64 now = 1000;
  QPointer<QWidget> window = inWindow->window();
  now += 100;
  Send(window, QEvent::KeyPress, keypad, false, now);
  now += 500;  // the delay before a held key repeats
  for (int i = 0; i < repeats && window; ++i, now += 40) {
    const bool marked = i % 2 == 1;
    Send(window, QEvent::KeyRelease, keypad, marked, now);
    if (window) Send(window, QEvent::KeyPress, keypad, marked, now);
  }
  if (window) Send(window, QEvent::KeyRelease, keypad, false, now + 20);
}

}  // namespace testsupport
