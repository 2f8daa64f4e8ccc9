#include "platform/system/IniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/values/VbValues.h"

namespace platform {

namespace {

enum class Part { Section, Key, Value };

bool NeedsQuotes(const QString& text, Part part) {
  if (text.isEmpty()) return false;
  if (text.front().isSpace() || text.back().isSpace() || text.front() == u'"') return true;
  for (QChar c : text) {
    if (c.unicode() < 0x20 || c.unicode() == 0x7f) return true;
    if (part == Part::Key && c == u'=') return true;
    if (part == Part::Section && c == u']') return true;
  }
  return part == Part::Key && (text.front() == u'[' || text.front() == u';' || text.front() == u'#');
}

QString Encode(const QString& text, Part part) {
  if (!NeedsQuotes(text, part)) return text;
  QString out = QStringLiteral("\"");
  for (QChar c : text) {
    switch (c.unicode()) {
      case '"': out += QStringLiteral("\\\""); break;
      case '\\': out += QStringLiteral("\\\\"); break;
      case '\n': out += QStringLiteral("\\n"); break;
      case '\r': out += QStringLiteral("\\r"); break;
      case '\t': out += QStringLiteral("\\t"); break;
      default:
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
          out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
          out += c;
    }
  }
  return out + u'"';
}

// Reads a quoted text starting at `at` (the opening quote); `at` ends after
// the closing quote.
QString DecodeQuoted(const QString& line, qsizetype& at) {
  QString out;
  qsizetype i = at + 1;
  while (i < line.size() && line[i] != u'"') {
    if (line[i] == u'\\' && i + 1 < line.size()) {
      const QChar e = line[i + 1];
      i += 2;
      if (e == u'n') out += u'\n';
      else if (e == u'r') out += u'\r';
      else if (e == u't') out += u'\t';
      else if (e == u'x' && i + 2 <= line.size()) {
        out += QChar(line.mid(i, 2).toUShort(nullptr, 16));
        i += 2;
      } else out += e;
      continue;
    }
    out += line[i++];
  }
  at = i + 1;
  return out;
}

// The last line said on standard error, so that a repeat is not said again.
struct LastReport {
  std::mutex lock;
  QString line;
};
LastReport& Reported() {
  static LastReport last;
  return last;
}

QByteArray Native(const QString& path) { return QFile::encodeName(path); }

// Why the last system call failed, as a user would put it.
QString SystemError(const QString& doing) {
  // A file-size limit (EFBIG) stands for a full disk as much as a quota does.
  if (errno == ENOSPC || errno == EFBIG || errno == EDQUOT) return QStringLiteral("there is not enough room on the disk");
  return doing + qt_error_string(errno);
}

// Writes all of bytes to fd; false with errno set when it cannot.
bool WriteAll(int fd, const QByteArray& bytes) {
  qsizetype done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = ENOSPC;
      return false;
    }
    done += n;
  }
  return true;
}

bool WriteWhole(const QString& path, const QString& text, QString* why) {
  const QFileInfo link(path);
  // Through a symbolic link the file it leads to is replaced; the link stays.
  const QFileInfo info(!link.isSymLink() ? path : link.exists() ? link.canonicalFilePath() : link.symLinkTarget());
  const QString target = info.absoluteFilePath();
  if (info.exists()) {
    // A read-only file stays as it is, even for a user (root) who could
    // replace it; a file that cannot be read would lose what it holds.
    constexpr QFile::Permissions kAnyWrite = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    if (!(info.permissions() & kAnyWrite) || !info.isWritable()) {
      *why = QStringLiteral("the file is read-only");
      return false;
    }
    if (!info.isReadable()) {
      *why = QStringLiteral("the file cannot be read");
      return false;
    }
  }
  if (!QDir().mkpath(info.absolutePath())) {
    *why = QStringLiteral("its folder cannot be made");
    return false;
  }
  // The new file is named after the program that writes it; one left by a
  // program of the same number that was killed is taken over.
  const QString temporary = info.absolutePath() + QStringLiteral("/.") + info.fileName() + u'.' +
                            QString::number(::getpid()) + QStringLiteral(".new");
  const QByteArray name = Native(temporary);
  const auto create = [&] { return ::open(name.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC | O_NOFOLLOW, 0666); };
  int fd = create();
  if (fd < 0 && errno == EEXIST && ::unlink(name.constData()) == 0) fd = create();
  if (fd < 0) {
    *why = SystemError(QStringLiteral("its folder cannot be written: "));
    return false;
  }
  struct stat old {};
  if (::stat(Native(target).constData(), &old) == 0) ::fchmod(fd, old.st_mode & 07777);
  bool written = WriteAll(fd, text.toUtf8()) && ::fsync(fd) == 0;
  if (!written) *why = SystemError(QStringLiteral("it cannot be written: "));
  if (::close(fd) != 0 && written) {
    written = false;
    *why = SystemError(QStringLiteral("it cannot be written: "));
  }
  if (written && ::rename(name.constData(), Native(target).constData()) != 0) {
    written = false;
    *why = SystemError(QStringLiteral("it cannot be replaced: "));
  }
  if (!written) {
    ::unlink(name.constData());
    return false;
  }
  // The new name itself survives a power cut only once the folder is on disk.
  const int folder = ::open(Native(info.absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    ::fsync(folder);
    ::close(folder);
  }
  return true;
}

}  // namespace

IniFile IniFile::Load(const QString& path) {
  IniFile ini;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return ini;
  const QString text = QString::fromUtf8(file.readAll());
  qsizetype current = -1;  // index: the list grows while it is read
  for (QString line : text.split(u'\n')) {
    if (line.endsWith(u'\r')) line.chop(1);
    const QString trimmed = line.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(u';') || trimmed.startsWith(u'#')) continue;
    if (trimmed.startsWith(u'[')) {
      QString name;
      if (trimmed.size() > 1 && trimmed[1] == u'"') {
        qsizetype at = 1;
        name = DecodeQuoted(trimmed, at);
      } else {
        const qsizetype close = trimmed.lastIndexOf(u']');
        name = trimmed.mid(1, close < 0 ? -1 : close - 1);
      }
      ini.AddSection(name);
      current = ini.IndexOf(name);
      continue;
    }
    if (current < 0) {
      ini.AddSection(QString());
      current = ini.IndexOf(QString());
    }
    qsizetype at = 0;
    while (at < line.size() && line[at].isSpace()) ++at;
    QString key;
    if (at < line.size() && line[at] == u'"') {
      key = DecodeQuoted(line, at);
      const qsizetype equals = line.indexOf(u'=', at);
      if (equals < 0) continue;
      at = equals + 1;
    } else {
      const qsizetype equals = line.indexOf(u'=', at);
      if (equals < 0) continue;
      key = line.mid(at, equals - at).trimmed();
      at = equals + 1;
    }
    while (at < line.size() && line[at].isSpace()) ++at;
    const QString value = at < line.size() && line[at] == u'"' ? DecodeQuoted(line, at) : line.mid(at).trimmed();
    ini.sections_[current].entries << Entry{key, value};
  }
  return ini;
}

bool IniFile::Save(const QString& path, QString* why) const {
  QString reason;
  const bool saved = WriteWhole(path, Text(), &reason);
  if (why) *why = reason;
  if (saved) {
    // A failure after a success is news again.
    LastReport& last = Reported();
    const std::lock_guard<std::mutex> guard(last.lock);
    last.line.clear();
  }
  return saved;
}

QString IniFile::Text() const {
  QString text;
  for (const Section& section : sections_) {
    if (!text.isEmpty()) text += u'\n';
    text += u'[' + Encode(section.name, Part::Section) + QStringLiteral("]\n");
    for (const Entry& entry : section.entries)
      text += Encode(entry.key, Part::Key) + u'=' + Encode(entry.value, Part::Value) + u'\n';
  }
  return text;
}

void ReportNotSaved(const QString& what, const QString& path, const QString& why) {
  const QString line = what + QStringLiteral(" not saved in \"") + path + QStringLiteral("\": ") + why;
  LastReport& last = Reported();
  const std::lock_guard<std::mutex> guard(last.lock);
  if (line == last.line) return;
  last.line = line;
  std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
}

qsizetype IniFile::IndexOf(const QString& name) const {
  for (qsizetype i = 0; i < sections_.size(); ++i)
    if (CompareText(sections_[i].name, name) == 0) return i;
  return -1;
}

const IniFile::Section* IniFile::FindSection(const QString& name) const {
  const qsizetype at = IndexOf(name);
  return at < 0 ? nullptr : &sections_[at];
}

IniFile::Section& IniFile::AddSection(const QString& name) {
  const qsizetype at = IndexOf(name);
  if (at >= 0) return sections_[at];
  sections_ << Section{name, {}};
  return sections_.back();
}

const QString* IniFile::Value(const QString& section, const QString& key) const {
  const Section* found = FindSection(section);
  if (!found) return nullptr;
  for (const Entry& entry : found->entries)
    if (CompareText(entry.key, key) == 0) return &entry.value;
  return nullptr;
}

void IniFile::SetValue(const QString& section, const QString& key, const QString& value) {
  Section& target = AddSection(section);
  for (Entry& entry : target.entries) {
    if (CompareText(entry.key, key) == 0) {
      entry.value = value;
      return;
    }
  }
  target.entries << Entry{key, value};
}

}  // namespace platform
