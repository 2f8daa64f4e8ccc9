#include "platform/system/IniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

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

bool IniFile::Save(const QString& path) const {
  const QFileInfo info(path);
  // A read-only file stays as it is, even for a user (root) who could
  // replace it.
  constexpr QFile::Permissions kAnyWrite = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
  if (info.exists() && (!(info.permissions() & kAnyWrite) || !info.isWritable())) return false;
  if (!QDir().mkpath(info.absolutePath())) return false;
  QString text;
  for (const Section& section : sections_) {
    if (!text.isEmpty()) text += u'\n';
    text += u'[' + Encode(section.name, Part::Section) + QStringLiteral("]\n");
    for (const Entry& entry : section.entries)
      text += Encode(entry.key, Part::Key) + u'=' + Encode(entry.value, Part::Value) + u'\n';
  }
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  const QByteArray bytes = text.toUtf8();
  if (file.write(bytes) != bytes.size()) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
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
