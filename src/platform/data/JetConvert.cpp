// Jet files become SQLite files in our format: read-only copies in the cache
// folder, and the one-time conversion in place of a file that is written.
// libmdb reads in a child process, watched for silence.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/data/Data.h"
#include "platform/data/JetFile.h"
#include "platform/system/Paths.h"

namespace platform::jet {

namespace {

// A reader that reports nothing for this long is stuck in a damaged file.
constexpr int kSilenceMs = 15000;
// A conversion by another program is waited for this long at most.
constexpr int kLockWaitMs = 120000;
// The reader may take this much memory beyond what the program had when it
// started it, whatever the file: a damaged file must not bring a training
// room's PC to the out-of-memory killer.
constexpr rlim_t kReaderMemory = rlim_t{1} << 30;

class FileHandle {
 public:
  explicit FileHandle(int fd) : fd_(fd) {}
  ~FileHandle() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

QByteArray Native(const QString& path) { return QFile::encodeName(path); }

// What the child reads: the very file the caller opened, even if the name
// has been given to another file since.
QString ThroughDescriptor(int fd) { return QStringLiteral("/proc/self/fd/%1").arg(fd); }

QByteArray FirstPage(int fd) {
  QByteArray page(4096, '\0');
  const ssize_t n = ::pread(fd, page.data(), static_cast<size_t>(page.size()), 0);
  page.resize(n < 0 ? 0 : static_cast<qsizetype>(n));
  return page;
}

[[noreturn]] void Unreadable(const QString& path, const QString& why = QString()) {
  QString text = QStringLiteral("Unrecognized database format '%1'.").arg(path);
  if (!why.isEmpty()) text += u' ' + why;
  Raise(err::ProviderFailure, text);
}

QString Reason(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
    case EROFS: return QStringLiteral("the folder cannot be written to");
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return QStringLiteral("there is not enough room on the disk");
    default: return QString::fromLocal8Bit(std::strerror(error));
  }
}

[[noreturn]] void CannotConvert(const QString& path, const QString& reason) {
  Raise(err::ProviderFailure,
        QStringLiteral("The Access database '%1' cannot be converted for writing: %2. The file is left as it was.")
            .arg(path, reason));
}

void CheckHeader(const QString& path, const Header& header, const QString& password) {
  if (header.cut) Unreadable(path);
  if (header.encrypted)
    Unreadable(path, QStringLiteral("It is an encrypted Access 2007 (or later) database, which cannot be read here."));
  if (!header.password.isEmpty() && header.password != password)
    Raise(err::NotValidPassword, ErrorDescription(err::NotValidPassword));
}

bool Sync(const QString& path) {
  const FileHandle file(::open(Native(path).constData(), O_RDONLY | O_CLOEXEC));
  return file.get() >= 0 && ::fsync(file.get()) == 0;
}

// The lock a program holds on its temporary file while it writes it: a read
// lock on the first byte, which SQLite never locks, owned by the open file
// (shared with the reading child, and no close elsewhere drops it).
struct flock FirstByte(short type) {
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_len = 1;
  return lock;
}

// A new, empty temporary file, locked before any other program can see it
// where the file system makes files without a name; -1 and errno on failure.
int MakeLockedFile(const QString& path) {
  QFile::remove(path);  // an earlier program of this pid's
  struct flock lock = FirstByte(F_RDLCK);
  int fd = ::open(Native(QFileInfo(path).absolutePath()).constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd >= 0) {
    if (::fcntl(fd, F_OFD_SETLK, &lock) == 0 &&
        ::linkat(AT_FDCWD, Native(ThroughDescriptor(fd)).constData(), AT_FDCWD, Native(path).constData(),
                 AT_SYMLINK_FOLLOW) == 0)
      return fd;
    const int error = errno;
    ::close(fd);
    errno = error;
    return -1;
  }
  fd = ::open(Native(path).constData(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, 0600);
  if (fd >= 0 && ::fcntl(fd, F_OFD_SETLK, &lock) != 0) {
    const int error = errno;
    ::close(fd);
    QFile::remove(path);
    errno = error;
    return -1;
  }
  return fd;
}

// Temporary files are named "<prefix><pid><suffix>"; one that no program
// holds locked is a leftover of a program that was stopped.
void RemoveLeftovers(const QString& folder, const QString& prefix, const QString& suffix) {
  const QStringList names = QDir(folder).entryList({prefix + u'*' + suffix}, QDir::Files | QDir::Hidden | QDir::System);
  for (const QString& name : names) {
    const QString pid = name.mid(prefix.size(), name.size() - prefix.size() - suffix.size());
    if (pid.isEmpty() || !std::all_of(pid.begin(), pid.end(), [](QChar c) { return c.isDigit(); })) continue;
    const QString path = folder + u'/' + name;
    const FileHandle file(::open(Native(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct flock lock = FirstByte(F_WRLCK);
    struct stat held {};
    struct stat named {};
    if (file.get() < 0 || ::fcntl(file.get(), F_OFD_GETLK, &lock) != 0 || lock.l_type != F_UNLCK) continue;
    if (::fstat(file.get(), &held) == 0 && ::lstat(Native(path).constData(), &named) == 0 &&
        held.st_ino == named.st_ino && held.st_dev == named.st_dev)
      QFile::remove(path);
  }
}

// Where copies go that the cache folder cannot take: a folder of the
// program's own in the temporary folder. It goes when the program ends,
// however it ends: a shell started with it waits for the end of a pipe that
// only the program holds, and then removes it.
class PrivateFolder {
 public:
  static PrivateFolder& Of() {
    static PrivateFolder folder;
    return folder;
  }
  // Empty until Make() made it.
  QString Path() const { return path_; }
  // The folder; or the temporary folder and why no folder can be made in it.
  std::pair<QString, QString> Make() {
    // A TMPDIR that leads nowhere gives no temporary folder.
    const QString base = QDir::tempPath().isEmpty() ? QStringLiteral("/tmp") : QDir::tempPath();
    if (!path_.isEmpty()) return {path_, QString()};
    QByteArray made = Native(base + QStringLiteral("/qvr-jet-XXXXXX"));
    int end[2] = {-1, -1};
    if (!::mkdtemp(made.data())) return {base, QStringLiteral("the folder cannot be made")};
    if (::pipe2(end, O_CLOEXEC) != 0) {
      ::rmdir(made.constData());
      return {base, Reason(errno)};
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::dup2(end[0], STDIN_FILENO);
      ::execl("/bin/sh", "sh", "-c", "trap '' HUP INT QUIT TERM; read -r line; rm -rf -- \"$1\"", "sh",
              made.constData(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::close(end[0]);
    if (pid < 0) {
      ::close(end[1]);
      ::rmdir(made.constData());
      return {base, Reason(EAGAIN)};
    }
    path_ = QFile::decodeName(made);
    return {path_, QString()};
  }

 private:
  PrivateFolder() = default;
  QString path_;
};

// The process's data size as RLIMIT_DATA counts it (VmData); 0 when unknown.
rlim_t DataSize() {
  const FileHandle status(::open("/proc/self/status", O_RDONLY | O_CLOEXEC));
  char text[8192] = {};
  const ssize_t n = status.get() < 0 ? -1 : ::read(status.get(), text, sizeof text - 1);
  const char* line = n > 0 ? std::strstr(text, "\nVmData:") : nullptr;
  return line ? static_cast<rlim_t>(std::strtoull(line + 8, nullptr, 10)) * 1024 : 0;
}

void Send(int fd, const QByteArray& bytes) {
  qsizetype sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.constData() + sent, static_cast<size_t>(bytes.size() - sent));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    sent += n;
  }
}

// WriteCopy in a child process. The child sends a "." now and then, and at
// the end "!" with what failed.
std::optional<CopyFailure> CopyInChild(const QString& source, const QString& target, const QString& password) {
  int channel[2];
  if (::pipe2(channel, O_CLOEXEC) != 0) return CopyFailure{false, errno, QString()};
  const pid_t pid = ::fork();
  if (pid < 0) {
    const int error = errno;
    ::close(channel[0]);
    ::close(channel[1]);
    return CopyFailure{false, error, QString()};
  }
  if (pid == 0) {
    ::close(channel[0]);
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    // libmdb talks on stderr about what it finds damaged.
    const int quiet = ::open("/dev/null", O_WRONLY);
    if (quiet >= 0) ::dup2(quiet, STDERR_FILENO);
    // A damaged file can send libmdb round in circles: the processor time it
    // may take grows with the file, far beyond what reading takes.
    const auto seconds = static_cast<rlim_t>(1 + QFileInfo(source).size() / (1 << 20));
    const rlimit cpu{seconds, seconds + 1};
    ::setrlimit(RLIMIT_CPU, &cpu);
    const rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);
    // Nor may it take the machine's memory; an allocation beyond the bound
    // fails, and the file is taken as damaged.
    rlimit memory{};
    ::getrlimit(RLIMIT_DATA, &memory);
    memory.rlim_cur = memory.rlim_max = std::min(memory.rlim_max, DataSize() + kReaderMemory);
    ::setrlimit(RLIMIT_DATA, &memory);
    const int out = channel[1];
    std::optional<CopyFailure> failure;
    try {
      failure = WriteCopy(source, target, password, [out] {
        const ssize_t n = ::write(out, ".", 1);
        (void)n;
      });
    } catch (...) {
      failure = CopyFailure{true, 0, QString()};
    }
    if (!failure) ::_exit(0);
    Send(out, "!" + QByteArray(failure->damaged ? "D" : "W") + QByteArray::number(failure->error) + ':' +
                  failure->text.toUtf8());
    ::_exit(1);
  }
  ::close(channel[1]);
  const FileHandle in(channel[0]);
  QByteArray received;
  bool stuck = false;
  for (;;) {
    pollfd wait{in.get(), POLLIN, 0};
    const int ready = ::poll(&wait, 1, kSilenceMs);
    if (ready < 0 && errno == EINTR) continue;
    if (ready == 0) {
      stuck = true;
      ::kill(pid, SIGKILL);
    }
    if (ready <= 0) break;
    char buffer[4096];
    const ssize_t n = ::read(in.get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    received.append(buffer, n);
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (stuck) return CopyFailure{true, 0, QStringLiteral("no progress")};
  if (WIFSIGNALED(status)) {
    // Killed from outside is no sign of a damaged file; a crash is.
    if (WTERMSIG(status) == SIGKILL) return CopyFailure{false, 0, QStringLiteral("the conversion was stopped")};
    return CopyFailure{true, 0, QString()};
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return std::nullopt;
  const qsizetype mark = received.indexOf('!');
  if (mark < 0 || mark + 2 > received.size()) return CopyFailure{true, 0, QString()};
  const QByteArray message = received.mid(mark + 2);
  const qsizetype colon = message.indexOf(':');
  return CopyFailure{received[mark + 1] == 'D', message.left(colon).toInt(),
                     QString::fromUtf8(message.mid(colon + 1))};
}

bool LockWithin(int fd, int milliseconds) {
  for (int waited = 0;; waited += 50) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
    if ((errno != EWOULDBLOCK && errno != EINTR) || waited >= milliseconds) return false;
    if (waited == 0) RunStepHook(Step::LockBusy);
    QThread::msleep(50);
  }
}

// Keeps the original under its own name: a second link to it where the file
// system has links, else a copy. The name already holding this very file
// (a conversion that stopped after this step) is taken as it is.
QString KeepOriginal(const QString& path, int fd, const struct stat& held) {
  for (int n = 1; n < 100; ++n) {
    const QString name = n == 1 ? OriginalName(path) : OriginalName(path) + u'-' + QString::number(n);
    struct stat there {};
    if (::lstat(Native(name).constData(), &there) == 0) {
      if (there.st_dev == held.st_dev && there.st_ino == held.st_ino) return name;
      continue;
    }
    if (::link(Native(path).constData(), Native(name).constData()) == 0) return name;
    if (errno == EEXIST) continue;
    if (errno != EPERM && errno != EOPNOTSUPP && errno != EXDEV && errno != EMLINK) CannotConvert(path, Reason(errno));
    const QString part = name + QStringLiteral(".part");
    QFile::remove(part);
    QFile in;
    QFile out(part);
    if (!in.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle) || !in.seek(0) ||
        !out.open(QIODevice::WriteOnly)) {
      CannotConvert(path, Reason(EACCES));
    }
    while (!in.atEnd()) {
      const QByteArray chunk = in.read(1 << 20);
      if (chunk.isEmpty() || out.write(chunk) != chunk.size()) {
        out.remove();
        CannotConvert(path, Reason(ENOSPC));
      }
    }
    out.close();
    if (!Sync(part) || ::rename(Native(part).constData(), Native(name).constData()) != 0) {
      QFile::remove(part);
      CannotConvert(path, Reason(errno));
    }
    return name;
  }
  CannotConvert(path, QStringLiteral("no free name for keeping the original"));
}

constexpr QLatin1StringView kConverting(".converting");
QString ConvertingPrefix(const QString& path) { return u'.' + QFileInfo(path).fileName() + u'.'; }

void SyncFolder(const QString& folder) {
  const FileHandle dir(::open(Native(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0) ::fsync(dir.get());
}

void ConvertLocked(const QString& path, int fd, const Header& header, const struct stat& held) {
  const QFileInfo info(path);
  const QString folder = info.absolutePath();
  // Access keeps a lock file beside a database it has open.
  for (const char* extension : {".ldb", ".laccdb"}) {
    const QString lock = info.completeBaseName() + QLatin1String(extension);
    if (QFileInfo::exists(ResolvePath(folder + u'/' + lock)))
      CannotConvert(path, QStringLiteral("it is open in another program (its lock file '%1' is there)").arg(lock));
  }
  if (::access(Native(path).constData(), W_OK) != 0) CannotConvert(path, QStringLiteral("the file is read-only"));
  RemoveLeftovers(folder, ConvertingPrefix(path), kConverting);

  const QString temporary = folder + u'/' + ConvertingPrefix(path) + QString::number(::getpid()) + kConverting;
  const FileHandle copy(MakeLockedFile(temporary));
  if (copy.get() < 0) CannotConvert(path, Reason(errno));
  // The converted file has the original's permissions and group (and owner,
  // where the program may give it). A group that may do more than others
  // and cannot be given would shut its members out.
  ::fchmod(copy.get(), held.st_mode & 0777);
  const bool groupOnly = (held.st_mode & 070 & ~((held.st_mode & 07) << 3)) != 0;
  if (::fchown(copy.get(), held.st_uid, held.st_gid) != 0 &&
      ::fchown(copy.get(), static_cast<uid_t>(-1), held.st_gid) != 0 && groupOnly) {
    QFile::remove(temporary);
    CannotConvert(path, QStringLiteral("its group cannot be given to the converted file"));
  }
  if (const auto failure = CopyInChild(ThroughDescriptor(fd), temporary, header.password)) {
    QFile::remove(temporary);
    if (failure->damaged) Unreadable(path);
    CannotConvert(path, failure->error != 0 ? Reason(failure->error) : failure->text);
  }
  if (::fsync(copy.get()) != 0) {
    const int error = errno;
    QFile::remove(temporary);
    CannotConvert(path, Reason(error));
  }
  RunStepHook(Step::CopyWritten);
  KeepOriginal(path, fd, held);
  RunStepHook(Step::OriginalKept);
  if (::rename(Native(temporary).constData(), Native(path).constData()) != 0) {
    const int error = errno;
    QFile::remove(temporary);
    CannotConvert(path, Reason(error));
  }
  SyncFolder(folder);
}

}  // namespace

std::optional<QString> ReadOnlyCopy(const QString& path, const QString& password, bool rebuild) {
  const FileHandle file(::open(Native(path).constData(), O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) return std::nullopt;
  const auto header = ReadHeader(FirstPage(file.get()));
  if (!header) return std::nullopt;
  CheckHeader(path, *header, password);

  // One copy per state of the file; a copy of another state is out of date.
  // The inode change time tells a file rewritten with its old size and
  // modification time put back. The last number counts the changes of how
  // values are read: copies an earlier reader made are out of date too.
  struct stat held {};
  ::fstat(file.get(), &held);
  const QString where = QFileInfo(path).canonicalFilePath();
  const QString state = QStringLiteral("%1 %2 %3 %4.%5 %6.%7 copy 2")
                            .arg(held.st_dev)
                            .arg(held.st_ino)
                            .arg(held.st_size)
                            .arg(held.st_mtim.tv_sec)
                            .arg(held.st_mtim.tv_nsec)
                            .arg(held.st_ctim.tv_sec)
                            .arg(held.st_ctim.tv_nsec);
  const auto digest = [](const QString& text) {
    return QString::fromLatin1(QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha256).toHex().left(24));
  };
  const QString stem = digest(where) + u'-';
  const QString name = stem + digest(state) + u'-';
  // A copy is named "<name><its size>.sqlite": one of another size was cut
  // short or damaged since it was made.
  if (!rebuild) {
    for (const QString& folder : {PrivateFolder::Of().Path(), CacheFolder()}) {
      if (folder.isEmpty()) continue;
      for (const QString& found : QDir(folder).entryList({name + QStringLiteral("*.sqlite")}, QDir::Files)) {
        const QString copy = folder + u'/' + found;
        if (QString::number(QFileInfo(copy).size()) == found.mid(name.size(), found.size() - name.size() - 7))
          return copy;
      }
    }
  }

  QStringList failures;
  for (int place = 0; place < 2; ++place) {
    const auto [folder, unusable] = place == 0 ? std::pair(CacheFolder(), QString()) : PrivateFolder::Of().Make();
    const auto failed = [&](const QString& reason) { failures << QStringLiteral("'%1' (%2)").arg(folder, reason); };
    if (folder.isEmpty()) continue;
    if (!unusable.isEmpty()) {
      failed(unusable);
      continue;
    }
    if (!QDir().mkpath(folder)) {
      failed(QStringLiteral("the folder cannot be made"));
      continue;
    }
    const QString prefix = u'.' + stem;
    const QString suffix = QStringLiteral(".tmp");
    RemoveLeftovers(folder, prefix, suffix);
    const QString temporary = folder + u'/' + prefix + QString::number(::getpid()) + suffix;
    const FileHandle made(MakeLockedFile(temporary));
    if (made.get() < 0) {
      failed(Reason(errno));
      continue;
    }
    if (const auto failure = CopyInChild(ThroughDescriptor(file.get()), temporary, header->password)) {
      QFile::remove(temporary);
      if (failure->damaged) Unreadable(path);
      failed(failure->error != 0 ? Reason(failure->error) : failure->text);
      continue;
    }
    struct stat built {};
    ::fstat(made.get(), &built);
    const QString copy = folder + u'/' + name + QString::number(built.st_size) + QStringLiteral(".sqlite");
    if (::fsync(made.get()) != 0 || ::rename(Native(temporary).constData(), Native(copy).constData()) != 0) {
      failed(Reason(errno));
      QFile::remove(temporary);
      continue;
    }
    // Copies of earlier states of the file go, and a damaged one of this.
    for (const QString& other : QDir(folder).entryList({stem + u'*'}, QDir::Files))
      if (folder + u'/' + other != copy) QFile::remove(folder + u'/' + other);
    return copy;
  }
  Raise(err::ProviderFailure,
        QStringLiteral("The Access database '%1' cannot be read: no copy of it can be written in %2.")
            .arg(path, failures.join(QStringLiteral(" or in "))));
}

bool ConvertInPlace(const QString& named, const QString& password) {
  // The file itself, where a link leads to it.
  const QString path = QFileInfo(named).canonicalFilePath();
  for (int attempt = 0; attempt < 10 && !path.isEmpty(); ++attempt) {
    const FileHandle file(::open(Native(path).constData(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) return false;
    if (!ReadHeader(FirstPage(file.get()))) {
      // Leftovers of a conversion stopped midway go at every open.
      RemoveLeftovers(QFileInfo(path).absolutePath(), ConvertingPrefix(path), kConverting);
      return false;
    }
    // One conversion at a time; a program that waited finds the file
    // converted (another file under the name) and opens that.
    if (!LockWithin(file.get(), kLockWaitMs)) CannotConvert(path, QStringLiteral("another program is converting it"));
    struct stat held {};
    struct stat named {};
    ::fstat(file.get(), &held);
    if (::stat(Native(path).constData(), &named) != 0 || named.st_dev != held.st_dev || named.st_ino != held.st_ino)
      continue;
    const auto header = ReadHeader(FirstPage(file.get()));
    if (!header) return false;
    CheckHeader(path, *header, password);
    ConvertLocked(path, file.get(), *header, held);
    return true;
  }
  return false;
}

}  // namespace platform::jet
