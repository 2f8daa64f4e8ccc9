#include "platform/system/Shell.h"

#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTimer>
#include <cerrno>
#include <csignal>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#pragma push_macro("signals")
#undef signals
#include <gio/gio.h>
#include <gio/gdesktopappinfo.h>
#pragma pop_macro("signals")

#include "platform/system/Paths.h"

extern char** environ;

namespace platform {
namespace {

class GioApplications : public DesktopApplications {
 public:
  QStringList OpenCommand(const QString& file) override { return GioOpenCommand(file); }
};

GioApplications& Gio() {
  static GioApplications gio;
  return gio;
}

DesktopApplications*& Applications() {
  static DesktopApplications* current = &Gio();
  return current;
}

// Fills in the field codes of one Exec argument; false when the argument was
// a field code alone that gives nothing (%i, %k, ...), so it is dropped.
bool ExpandFieldCodes(const QString& arg, const QString& path, const QString& uri, const QString& name,
                      QString& out, bool& fileGiven) {
  out.clear();
  bool onlyCodes = true;
  for (qsizetype i = 0; i < arg.size(); ++i) {
    if (arg[i] != u'%' || i + 1 >= arg.size()) {
      out += arg[i];
      onlyCodes = false;
      continue;
    }
    const QChar code = arg[++i];
    switch (code.unicode()) {
      case 'f': case 'F': out += path; fileGiven = true; break;
      case 'u': case 'U': out += uri; fileGiven = true; break;
      case 'c': out += name; break;
      case '%': out += u'%'; onlyCodes = false; break;
      default: break;  // %i, %k and the deprecated codes
    }
  }
  return !(onlyCodes && out.isEmpty());
}

bool IsBlank(QChar c) { return c == u' ' || c == u'\t'; }

QString Unquoted(const QString& text) {
  const QString t = text.trimmed();
  if (t.size() >= 2 && t.startsWith(u'"') && t.endsWith(u'"')) return t.mid(1, t.size() - 2);
  return t;
}

// The folder of a path ("" for a bare name), resolved.
QString FolderOf(const QString& path) {
  const qsizetype slash = path.lastIndexOf(u'/');
  if (slash < 0) return QString();
  return slash == 0 ? QStringLiteral("/") : ResolvePath(path.left(slash));
}

// The result for a file that is not there: 2, or 3 when its folder is not
// there either.
int MissingFileResult(const QString& path) {
  const qsizetype slash = path.lastIndexOf(u'/');
  const QString folder = slash < 0 ? QStringLiteral(".") : (slash == 0 ? QStringLiteral("/") : path.left(slash));
  return QFileInfo(ResolvePath(folder)).isDir() ? shell::FileNotFound : shell::PathNotFound;
}

// The result for a program that could not be started, by the errno of the start.
int StartFailureResult(int error) {
  switch (error) {
    case ENOENT: return shell::FileNotFound;
    case EACCES: case EPERM: return shell::AccessDenied;
    case ENOMEM: return shell::OutOfMemory;
    case ENOEXEC: return shell::BadFormat;
    default: return shell::OutOfResources;
  }
}

}  // namespace

// Starts processes and hands out their handles; errno of a failed start.
struct ProcessStarter {
  // A detached program (the shell's) gets a session of its own, as an
  // application the desktop opens does: it outlives us and our terminal.
  static std::shared_ptr<ProcessHandle> Start(const QString& program, const QStringList& args,
                                              const QString& directory, int* error, bool detached = false) {
    QString exe = program;
    if (!exe.contains(u'/')) exe = QStandardPaths::findExecutable(exe);
    if (exe.isEmpty()) {
      *error = ENOENT;
      return nullptr;
    }
    // The child changes folder before it runs the program: a relative path
    // must not be read from there.
    exe = QFileInfo(exe).absoluteFilePath();

    std::vector<QByteArray> bytes;
    bytes.push_back(QFile::encodeName(exe));
    for (const QString& a : args) bytes.push_back(a.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& b : bytes) argv.push_back(b.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const QByteArray dir = QFile::encodeName(directory);
    if (!directory.isEmpty()) posix_spawn_file_actions_addchdir_np(&actions, dir.constData());
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setflags(&attr, static_cast<short>(POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF |
                                                       (detached ? POSIX_SPAWN_SETSID : 0)));

    pid_t pid = 0;
    const int rc = posix_spawn(&pid, argv[0], &actions, &attr, argv.data(), environ);
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
      *error = rc;
      return nullptr;
    }
    *error = 0;
    return std::shared_ptr<ProcessHandle>(new ProcessHandle(pid), [](ProcessHandle* h) { h->Release(); });
  }
};

void SetDesktopApplications(DesktopApplications* applications) {
  Applications() = applications ? applications : &Gio();
}

QStringList DesktopEntryCommand(const QString& exec, const QString& name, bool terminal, const QString& file,
                                const QString& uri) {
  QStringList command;
  int argc = 0;
  gchar** argv = nullptr;
  if (exec.isEmpty() || !g_shell_parse_argv(exec.toUtf8().constData(), &argc, &argv, nullptr)) return command;
  bool fileGiven = false;
  for (int i = 0; i < argc; ++i) {
    QString out;
    if (ExpandFieldCodes(QString::fromUtf8(argv[i]), file, uri, name, out, fileGiven)) command << out;
  }
  g_strfreev(argv);
  if (command.isEmpty()) return command;
  if (!fileGiven) command << file;
  // Debian's terminal of the desktop: "-e" and the command with its arguments.
  if (terminal) command = QStringList{QStringLiteral("x-terminal-emulator"), QStringLiteral("-e")} + command;
  return command;
}

QStringList GioOpenCommand(const QString& file) {
  QStringList command;
  GFile* gfile = g_file_new_for_path(QFile::encodeName(file).constData());
  GError* error = nullptr;
  GAppInfo* app = g_file_query_default_handler(gfile, nullptr, &error);
  if (error) g_error_free(error);
  if (app) {
    const char* exec = g_app_info_get_commandline(app);
    const char* executable = g_app_info_get_executable(app);
    const QString line = exec ? QString::fromUtf8(exec) : QString::fromUtf8(executable ? executable : "");
    const bool terminal =
        G_IS_DESKTOP_APP_INFO(app) && g_desktop_app_info_get_boolean(G_DESKTOP_APP_INFO(app), "Terminal");
    gchar* uri = g_file_get_uri(gfile);
    command = DesktopEntryCommand(line, QString::fromUtf8(g_app_info_get_name(app)), terminal, file,
                                  QString::fromUtf8(uri));
    g_free(uri);
    g_object_unref(app);
  }
  g_object_unref(gfile);
  return command;
}

QString ProgramPath(const QString& path) {
  const QString resolved = ResolvePath(path);
  if (QFileInfo::exists(resolved)) return resolved;
  if (resolved.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive)) {
    const QString bare = ResolvePath(resolved.chopped(4));
    if (QFileInfo(bare).isFile()) return bare;
  }
  return resolved;
}

bool IsProgramFile(const QString& path) {
  const QFileInfo info(path);
  if (!info.isFile() || !info.isExecutable()) return false;
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return false;
  const QByteArray head = f.read(4);
  return head.startsWith("\x7f" "ELF") || head.startsWith("#!");
}

int ShellExecute(const QString& verb, const QString& file, const QString& parameters, const QString& directory,
                 int showCommand) {
  (void)showCommand;  // every window opens in its normal state
  if (verb.compare(QLatin1String("open"), Qt::CaseInsensitive) != 0) return shell::NoAssociation;
  const QString path = ProgramPath(file);
  if (path.isEmpty() || !QFileInfo::exists(path)) return MissingFileResult(path);
  const QString dir = directory.isEmpty() ? QString() : ResolvePath(directory);
  if (!dir.isEmpty() && !QFileInfo(dir).isDir()) return shell::PathNotFound;

  int error = 0;
  if (IsProgramFile(path)) {
    const QStringList args = parameters.isEmpty() ? QStringList() : QStringList{parameters};
    if (ProcessStarter::Start(path, args, dir, &error, true)) return shell::Success;
    return StartFailureResult(error);
  }
  const QStringList command = Applications()->OpenCommand(QFileInfo(path).absoluteFilePath());
  if (command.isEmpty()) return shell::NoAssociation;
  if (!ProcessStarter::Start(command.front(), command.mid(1), dir, &error, true)) return shell::InvalidAssociation;
  return shell::Success;
}

void SplitCommandLine(const QString& commandLine, QString& program, QString& rest) {
  qsizetype start = 0;
  while (start < commandLine.size() && IsBlank(commandLine[start])) ++start;
  const QString s = commandLine.mid(start);
  program.clear();
  rest.clear();
  if (s.startsWith(u'"')) {
    const qsizetype close = s.indexOf(u'"', 1);
    program = close < 0 ? s.mid(1) : s.mid(1, close - 1);
    rest = close < 0 ? QString() : s.mid(close + 1);
  } else {
    // As Windows does with an unquoted path: the shortest prefix ending at a
    // blank that names an existing file, else the text up to the first blank.
    qsizetype cut = -1;
    for (qsizetype i = 0; i <= s.size(); ++i) {
      if (i < s.size() && !IsBlank(s[i])) continue;
      if (QFileInfo(ProgramPath(s.left(i))).isFile()) {
        cut = i;
        break;
      }
    }
    if (cut < 0) {
      cut = 0;
      while (cut < s.size() && !IsBlank(s[cut])) ++cut;
    }
    program = s.left(cut);
    rest = s.mid(cut);
  }
  if (!rest.isEmpty() && IsBlank(rest[0])) rest.remove(0, 1);
}

bool CreateProcess(const QString& commandLine, const QString& currentDirectory, ProcessInformation& info,
                   int* failure) {
  info = ProcessInformation{};
  const auto fail = [failure](int result) {
    if (failure) *failure = result;
    return false;
  };
  QString program, rest;
  SplitCommandLine(commandLine, program, rest);
  const QString dir = currentDirectory.isEmpty() ? QString() : ResolvePath(currentDirectory);
  if (!dir.isEmpty() && !QFileInfo(dir).isDir()) return fail(shell::PathNotFound);

  QString exe;
  QStringList args;
  QString document;
  if (program.compare(QLatin1String("hh.exe"), Qt::CaseInsensitive) == 0) {
    // The compiled-help viewer: whatever the desktop opens the help file with.
    document = ResolvePath(Unquoted(rest));
    if (!QFileInfo(document).isFile()) return fail(MissingFileResult(document));
  } else {
    const QString path = ProgramPath(program);
    if (IsProgramFile(path)) {
      exe = path;
      if (!rest.isEmpty()) args << rest;
    } else if (QFileInfo(path).isFile()) {
      document = path;
    } else {
      return fail(MissingFileResult(path));
    }
  }
  if (!document.isEmpty()) {
    const QStringList command = Applications()->OpenCommand(QFileInfo(document).absoluteFilePath());
    if (command.isEmpty()) return fail(shell::NoAssociation);
    exe = command.front();
    args = command.mid(1);
  }
  int error = 0;
  info.process = ProcessStarter::Start(exe, args, dir, &error);
  if (!info.process) return fail(document.isEmpty() ? StartFailureResult(error) : shell::InvalidAssociation);
  info.processId = info.process->ProcessId();
  return true;
}

// ---- ProcessHandle

ProcessHandle::ProcessHandle(qint64 pid) : pid_(pid) {
  pidfd_ = static_cast<int>(::syscall(SYS_pidfd_open, static_cast<pid_t>(pid), 0));
  if (pidfd_ >= 0) {
    // The descriptor becomes readable when the process ends.
    notifier_ = new QSocketNotifier(pidfd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &ProcessHandle::Reap);
  } else {
    // Kernels without pidfd: look now and then, sleeping between looks.
    poll_ = new QTimer(this);
    connect(poll_, &QTimer::timeout, this, &ProcessHandle::Reap);
    poll_->start(50);
  }
}

ProcessHandle::~ProcessHandle() {
  if (pidfd_ >= 0) ::close(pidfd_);
}

void ProcessHandle::Reap() {
  if (exited_) return;
  int status = 0;
  const pid_t r = ::waitpid(static_cast<pid_t>(pid_), &status, WNOHANG);
  if (r == 0) return;
  if (r < 0 && errno == EINTR) return;
  exited_ = true;
  if (r < 0) exitCode_ = -1;  // reaped elsewhere: its code is lost
  else if (WIFEXITED(status)) exitCode_ = WEXITSTATUS(status);
  else if (WIFSIGNALED(status)) exitCode_ = 128 + WTERMSIG(status);
  if (notifier_) notifier_->setEnabled(false);
  if (poll_) poll_->stop();
  if (pidfd_ >= 0) {
    ::close(pidfd_);
    pidfd_ = -1;
  }
  emit Finished(exitCode_);
  if (released_) deleteLater();
}

void ProcessHandle::Release() {
  Reap();
  if (exited_) {
    delete this;
    return;
  }
  released_ = true;
}

bool ProcessHandle::HasExited() {
  Reap();
  return exited_;
}

int ProcessHandle::Poll() { return HasExited() ? 0 : WAIT_TIMEOUT; }

bool ProcessHandle::WaitForExit(int timeoutMs) {
  if (HasExited()) return true;
  QEventLoop loop;
  connect(this, &ProcessHandle::Finished, &loop, &QEventLoop::quit);
  QTimer limit;
  if (timeoutMs >= 0) {
    limit.setSingleShot(true);
    connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    limit.start(timeoutMs);
  }
  loop.exec();
  return HasExited();
}

}  // namespace platform
