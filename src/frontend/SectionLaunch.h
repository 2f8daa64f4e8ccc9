#pragma once
// The rules the section launcher composes a launch by: the section's paths,
// the command line of a started program, the page of a web-page set, the
// messages of shell results, which sections the study log records, and where
// a movie is looked for.
#include <QString>
#include <functional>

namespace frontend {

struct SectionPaths {
  QString folder;         // AppFolder with "/" appended when it lacks one
  QString fullPath;       // folder & Start
  QString workingFolder;  // the full path up to, not including, its last "/"
  QString fileName;       // the full path after its last "/"
};
SectionPaths ComposeSectionPaths(const QString& appFolder, const QString& start);

// "EXE": the parameters joined by one blank; an empty one is left out, but an
// empty first parameter still gives the blank before the second.
QString ComposeArguments(const QString& parameter1, const QString& parameter2, const QString& parameter3);
// "WEBPACK": the first parameter, "tkb300565.htm" when it is empty, in double
// quotes when it holds a blank.
QString ComposePage(const QString& parameter1);

// The message of a shell result of 32 or less; "" above 32 (success).
QString ShellResultMessage(int result);
// Shows that message (icon 48, title " Error") when there is one.
void ShowShellResult(int result);

// Sections whose names hold "assessment", "assessors", "demo -" or
// "reporting system (" (any case) are not recorded in the study log.
bool IsRecordedSection(const QString& sectionName);

// The drive list is read into a buffer of this many characters; a longer
// list is not walked.
inline constexpr int kDriveBufferLength = 64;
// Where a movie that is not at its full path is looked for: the folder
// "TarrowbyVid" at the root of each drive in the drive list's order, CD-ROM
// drives after the others and only the first of them, unless it has no disc
// (error 52), when the next one is tried. The path of the movie found, or ""
// when there is none. Error 52 on the last CD-ROM drive, or on any other
// drive, reaches the caller.
QString FindMovie(const QString& fullPath, const QString& fileName);

// A press given up after its message has been shown.
struct LaunchAbandoned {};
// Runs one step of a launch. When it raises error 53 (file not found), the
// user is asked for the file (browse); a file chosen is handed to useChosen
// and the step runs again; no choice shows "Sorry, file not found." and
// throws LaunchAbandoned. Other errors pass on.
void RunLaunchStep(const std::function<void()>& step, const std::function<QString()>& browse,
                   const std::function<void(const QString& chosen)>& useChosen);

}  // namespace frontend
