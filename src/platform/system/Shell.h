#pragma once
// Opening documents and starting programs, as the original did through the
// Windows shell and CreateProcess. A document opens in the desktop's default
// application for its type (GIO); a program is started directly, with the
// whole parameter text as one argument, so that the started program reads
// exactly the command line it was given.
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

class QSocketNotifier;
class QTimer;

namespace platform {

// Shell results of 32 or less are errors; success is above 32.
namespace shell {
constexpr int OutOfResources = 0;
constexpr int FileNotFound = 2;
constexpr int PathNotFound = 3;
constexpr int AccessDenied = 5;
constexpr int OutOfMemory = 8;
constexpr int BadFormat = 11;
constexpr int InvalidAssociation = 27;
constexpr int NoAssociation = 31;
constexpr int Success = 42;
}  // namespace shell

// The desktop's application lookup; tests put a recording stand-in in place
// (there is no desktop in CI).
class DesktopApplications {
 public:
  virtual ~DesktopApplications() = default;
  // The command (program first, then its arguments, the file among them)
  // that opens the file in the default application for its type; empty when
  // the type has none.
  virtual QStringList OpenCommand(const QString& file) = 0;
};
void SetDesktopApplications(DesktopApplications* applications);  // nullptr: GIO
// The GIO lookup (the Exec line of the default application, its field codes
// filled in; the file is appended when the line has none).
QStringList GioOpenCommand(const QString& file);
// The command of a desktop entry's Exec line for a file and its URI: field
// codes filled in, the file appended when the line names none, and, for an
// application that runs in a terminal, the desktop's terminal in front
// ("x-terminal-emulator -e ..."; without one the start fails). Empty when the
// line gives no command.
QStringList DesktopEntryCommand(const QString& exec, const QString& name, bool terminal, const QString& file,
                                const QString& uri);

// The path a content path names as a program: resolved without regard to case
// and, when it ends in ".exe" and does not exist while the same path without
// ".exe" does, that path.
QString ProgramPath(const QString& path);
// A program is an executable file that is a binary or a script.
bool IsProgramFile(const QString& path);

// ShellExecute(0, verb, file, parameters, directory, showCommand). Only the
// "open" verb is known (any other gives 31). A missing file gives 2, a
// missing folder 3; a program is started with the parameters as one argument
// (none when empty); a document opens in its type's application (31 when
// there is none). Success: 42. Nothing is waited for.
int ShellExecute(const QString& verb, const QString& file, const QString& parameters, const QString& directory,
                 int showCommand = 1);

// A started process: its id and a way to wait for its end that runs the Qt
// event loop (the process's exit wakes it; nothing spins).
class ProcessHandle : public QObject {
  Q_OBJECT

 public:
  ~ProcessHandle() override;
  qint64 ProcessId() const { return pid_; }
  bool HasExited();
  int ExitCode() const { return exitCode_; }  // after the end; 128 + n for a signal n
  // WaitForSingleObject(handle, 0): 258 while the process runs, 0 once it has ended.
  int Poll();
  // Runs the event loop until the process has ended or timeoutMs (-1: no
  // limit) has passed; true when it has ended.
  bool WaitForExit(int timeoutMs = -1);

 signals:
  void Finished(int exitCode);

 private:
  friend struct ProcessStarter;
  explicit ProcessHandle(qint64 pid);
  void Reap();
  void Release();  // the record's owner let go: reap later, then go

  qint64 pid_;
  int pidfd_ = -1;
  bool exited_ = false;
  bool released_ = false;
  int exitCode_ = 0;
  QSocketNotifier* notifier_ = nullptr;
  QTimer* poll_ = nullptr;
};

// The process record of CreateProcess. Letting go of the handle (CloseHandle)
// leaves the process running.
struct ProcessInformation {
  std::shared_ptr<ProcessHandle> process;
  qint64 processId = 0;
};
constexpr int WAIT_TIMEOUT = 258;

// Splits a command line into its program path (quoted, or unquoted up to the
// blank after the shortest prefix that names an existing file, else up to
// the first blank) and the rest, less the one blank that separates them.
void SplitCommandLine(const QString& commandLine, QString& program, QString& rest);

// CreateProcess with a composed command line ("\"path\" args", "path \"page\"",
// "hh.exe \"file\"", a document's path): the program gets the rest of the line
// as one argument (none when empty). "hh.exe" and a path that is a document
// start the desktop's application for the file, with the file as argument.
// False when nothing could be started; `failure`, when given, then holds the
// shell result that says why, as ShellExecute gives it for the same file (2
// or 3 missing, 31 no application for a document's type, 27 one that cannot
// start, ...).
bool CreateProcess(const QString& commandLine, const QString& currentDirectory, ProcessInformation& info,
                   int* failure = nullptr);

}  // namespace platform
