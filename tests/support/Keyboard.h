#pragma once
// Keys as a user gives them: to the control that has the keyboard focus in
// the window, stamped with the time as a window system stamps them.
class QWidget;

namespace testsupport {

// Makes the control's window active and gives the control the focus as Tab
// does; true when the control has it.
bool FocusByTab(QWidget* control);
// Presses Enter (the keypad's when `keypad`) in the window of `inWindow`,
// holds it down for `repeats` repeats, and lets it go. The repeats come both
// ways X11 delivers them: marked as repeats, and as a release and a press at
// one and the same moment.
void PressEnter(QWidget* inWindow, bool keypad = false, int repeats = 0);

}  // namespace testsupport
