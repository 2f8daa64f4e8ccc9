#include "platform/system/Registry.h"

#include <QStringList>
#include <map>
#include <mutex>

#include "platform/system/IniFile.h"
#include "platform/system/Settings.h"
#include "platform/values/VbValues.h"

namespace platform {

namespace {

const QString kDefaultValue = QStringLiteral("@");
const QString kSoftware = QStringLiteral("SOFTWARE");

std::mutex& Lock() {
  static std::mutex mutex;
  return mutex;
}
// Guarded by Lock().
QString& FileOverride() {
  static QString path;
  return path;
}
std::map<HKEY, QStringList>& Handles() {
  static std::map<HKEY, QStringList> handles;
  return handles;
}
HKEY& NextHandle() {
  static HKEY next = 0x1000;
  return next;
}

QString FilePath() {
  return FileOverride().isEmpty() ? ConfigurationFolder() + QStringLiteral("/HKEY_LOCAL_MACHINE.ini") : FileOverride();
}

bool SameName(const QString& a, const QString& b) { return CompareText(a, b) == 0; }

// The key path a handle stands for; false for an unknown handle.
bool PathOf(HKEY key, QStringList* path) {
  if (key == HKEY_LOCAL_MACHINE) {
    path->clear();
    return true;
  }
  const auto found = Handles().find(key);
  if (found == Handles().end()) return false;
  *path = found->second;
  return true;
}

// subKey below base; false for a name that begins with "\".
bool Resolve(const QStringList& base, const QString& subKey, QStringList* path) {
  if (subKey.startsWith(u'\\')) return false;
  *path = base;
  for (const QString& part : subKey.split(u'\\', Qt::SkipEmptyParts)) *path << part;
  return true;
}

bool StartsWith(const QStringList& whole, const QStringList& prefix) {
  if (whole.size() < prefix.size()) return false;
  for (qsizetype i = 0; i < prefix.size(); ++i)
    if (!SameName(whole[i], prefix[i])) return false;
  return true;
}

QStringList Split(const QString& sectionName) { return sectionName.split(u'\\', Qt::SkipEmptyParts); }

bool Exists(const IniFile& ini, const QStringList& path) {
  if (path.isEmpty()) return true;
  if (path.size() == 1 && SameName(path[0], kSoftware)) return true;
  for (const IniFile::Section& section : ini.Sections())
    if (StartsWith(Split(section.name), path)) return true;
  return false;
}

// The path spelt as the keys already there are spelt.
QStringList Canonical(const IniFile& ini, QStringList path) {
  if (!path.isEmpty() && SameName(path[0], kSoftware)) path[0] = kSoftware;
  for (const IniFile::Section& section : ini.Sections()) {
    const QStringList parts = Split(section.name);
    for (qsizetype i = 0; i < path.size() && i < parts.size() && SameName(parts[i], path[i]); ++i) path[i] = parts[i];
  }
  return path;
}

const QString* DefaultValue(const IniFile& ini, const QStringList& path) {
  for (const IniFile::Section& section : ini.Sections()) {
    const QStringList parts = Split(section.name);
    if (parts.size() != path.size() || !StartsWith(parts, path)) continue;
    for (const IniFile::Entry& entry : section.entries)
      if (entry.key == kDefaultValue) return &entry.value;
  }
  return nullptr;
}

}  // namespace

std::int32_t RegOpenKey(HKEY key, const QString& subKey, HKEY* result) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = 0;
  std::lock_guard<std::mutex> guard(Lock());
  QStringList base;
  if (!PathOf(key, &base)) return ERROR_INVALID_HANDLE;
  if (key == HKEY_LOCAL_MACHINE && subKey.isEmpty()) {
    *result = HKEY_LOCAL_MACHINE;
    return ERROR_SUCCESS;
  }
  QStringList path;
  if (!Resolve(base, subKey, &path)) return ERROR_BAD_PATHNAME;
  const IniFile ini = IniFile::Load(FilePath());
  if (!Exists(ini, path)) return ERROR_FILE_NOT_FOUND;
  const HKEY handle = NextHandle();
  NextHandle() += 4;
  Handles()[handle] = Canonical(ini, path);
  *result = handle;
  return ERROR_SUCCESS;
}

std::int32_t RegSetValue(HKEY key, const QString& subKey, int type, const QString& data) {
  if (type != REG_SZ) return ERROR_INVALID_PARAMETER;
  std::lock_guard<std::mutex> guard(Lock());
  QStringList base;
  if (!PathOf(key, &base)) return ERROR_INVALID_HANDLE;
  QStringList path;
  if (!Resolve(base, subKey, &path)) return ERROR_BAD_PATHNAME;
  const QString file = FilePath();
  IniFile ini = IniFile::Load(file);
  // HKEY_LOCAL_MACHINE itself takes no new keys and no value.
  if (path.isEmpty() || !Exists(ini, path.mid(0, 1))) return ERROR_ACCESS_DENIED;
  ini.SetValue(Canonical(ini, path).join(u'\\'), kDefaultValue, data);
  QString why;
  if (ini.Save(file, &why)) return ERROR_SUCCESS;
  ReportNotSaved(QStringLiteral("Registry value"), file, why);
  return ERROR_ACCESS_DENIED;
}

std::int32_t RegQueryValue(HKEY key, const QString& subKey, QString* buffer, std::int32_t* size) {
  if (!size) return ERROR_INVALID_PARAMETER;
  std::lock_guard<std::mutex> guard(Lock());
  QStringList base;
  if (!PathOf(key, &base)) return ERROR_INVALID_HANDLE;
  QStringList path;
  if (!Resolve(base, subKey, &path)) return ERROR_BAD_PATHNAME;
  const IniFile ini = IniFile::Load(FilePath());
  if (!Exists(ini, path)) return ERROR_FILE_NOT_FOUND;
  const QString* stored = DefaultValue(ini, path);
  const QString value = stored ? *stored : QString();
  const auto needed = static_cast<std::int32_t>(value.size() + 1);
  if (!buffer) {
    *size = needed;
    return ERROR_SUCCESS;
  }
  const auto room = static_cast<std::int32_t>(std::min<qsizetype>(*size, buffer->size()));
  if (needed > room) {
    *size = needed;
    return ERROR_MORE_DATA;
  }
  for (qsizetype i = 0; i < value.size(); ++i) (*buffer)[i] = value[i];
  (*buffer)[value.size()] = QChar(0);
  *size = needed;
  return ERROR_SUCCESS;
}

std::int32_t RegCloseKey(HKEY key) {
  std::lock_guard<std::mutex> guard(Lock());
  if (key == HKEY_LOCAL_MACHINE) return ERROR_SUCCESS;
  return Handles().erase(key) == 1 ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

QString RegistryFile() {
  std::lock_guard<std::mutex> guard(Lock());
  return FilePath();
}

void SetRegistryFile(const QString& path) {
  std::lock_guard<std::mutex> guard(Lock());
  FileOverride() = path;
}

}  // namespace platform
