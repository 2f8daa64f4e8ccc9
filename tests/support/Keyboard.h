#pragma once
// Keys as a user gives them: to the window, which hands them to the control
// that has the keyboard focus.
class QWidget;

namespace testsupport {

// Makes the control's window active and gives the control the focus as Tab
// does; true when the control has it.
bool FocusByTab(QWidget* control);
// Presses Enter (the keypad's when `keypad`) in the window of `inWindow`,
// holds it down for `repeats` auto-repeats, and lets it go.
void PressEnter(QWidget* inWindow, bool keypad = false, int repeats = 0);

}  // namespace testsupport
