#include "Keyboard.h"

#include <QPointer>
#include <QTest>
#include <QWidget>
#include <QWindow>

namespace testsupport {

bool FocusByTab(QWidget* control) {
  control->window()->activateWindow();
  if (!QTest::qWaitForWindowActive(control->window())) return false;
  control->setFocus(Qt::TabFocusReason);
  QCoreApplication::processEvents();
  return control->hasFocus();
}

void PressEnter(QWidget* inWindow, bool keypad, int repeats) {
  // A click may close the window for good; the rest of the key then goes nowhere.
  QPointer<QWindow> window = inWindow->window()->windowHandle();
  const int key = keypad ? Qt::Key_Enter : Qt::Key_Return;
  const Qt::KeyboardModifiers modifiers = keypad ? Qt::KeypadModifier : Qt::NoModifier;
  const QString text = QStringLiteral("\r");
  QTest::simulateEvent(window, true, key, modifiers, text, false);
  // X11 reports a held key as a release and a press, both marked as repeats.
  for (int i = 0; i < repeats && window; ++i) {
    QTest::simulateEvent(window, false, key, modifiers, text, true);
    if (window) QTest::simulateEvent(window, true, key, modifiers, text, true);
  }
  if (window) QTest::simulateEvent(window, false, key, modifiers, text, false);
}

}  // namespace testsupport
