#pragma once
// What a program needs of its surroundings: its folder, the screen, the
// screen-wide mouse pointer, yielding to the event loop, and ending at once.
#include <QString>
#include <functional>

namespace platform {

// The folder of the running program (tests may put another in its place).
QString ProgramFolder();
void SetProgramFolder(const QString& folder);  // "" restores the real one

// The original's AppFolder rule: trailing blanks removed, then one trailing
// separator cut off; a program in "/" gets "".
QString AppFolderFrom(const QString& programFolder);

// The command line after the program path, as one text: the launcher passes
// a section's whole parameter text as one argument.
QString CommandLine(int argc, char** argv);

// The screen in twips (tests may set a size of their own).
struct Screen {
  static double Width();
  static double Height();
  static void SetTestSize(double widthTwips, double heightTwips);  // 0, 0 restores the real size
  static void SetMousePointer(int pointer);                       // 0: default
  static int MousePointer();
};

// Lets waiting events run once (the original's DoEvents).
void DoEvents();
// Waits for events up to maxMs without spinning, then runs them.
void WaitForEvents(int maxMs);

// Runs an event handler. An error that reaches it is reported in a box
// ("Unexpected Error: " and its description) and the program goes on, where
// the original would have stopped with a run-time error.
void RunHandler(const std::function<void()>& handler);

// Ends the program at once: no further event of any window runs. Tests put a
// handler in place, which End calls instead; End then throws ProgramEnded so
// that no statement after it runs.
struct ProgramEnded {};
void SetEndHandler(std::function<void()> handler);
[[noreturn]] void End();

}  // namespace platform
