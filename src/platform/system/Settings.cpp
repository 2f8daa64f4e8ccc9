#include "platform/system/Settings.h"

#include <QDir>

#include "platform/system/IniFile.h"
#include "platform/values/VbError.h"

namespace platform {

namespace {

void CheckNames(const QString& appName, const QString& section, const QString& key) {
  if (appName.isEmpty() || section.isEmpty() || key.isEmpty()) Raise(err::InvalidProcedureCall);
}

}  // namespace

QString ConfigurationFolder() {
  const QString configured = qEnvironmentVariable("XDG_CONFIG_HOME");
  if (!configured.isEmpty() && QDir::isAbsolutePath(configured)) return QDir::cleanPath(configured);
  return QDir::homePath() + QStringLiteral("/.config");
}

QString SettingsFile(const QString& appName) {
  // The name is one file name, never a way into another folder.
  QString name = appName;
  name.replace(u'/', u'_');
  return ConfigurationFolder() + u'/' + name + QStringLiteral(".ini");
}

QString GetSetting(const QString& appName, const QString& section, const QString& key, const QString& defaultValue) {
  CheckNames(appName, section, key);
  const IniFile ini = IniFile::Load(SettingsFile(appName));
  const QString* value = ini.Value(section, key);
  return value ? *value : defaultValue;
}

void SaveSetting(const QString& appName, const QString& section, const QString& key, const QString& value) {
  SaveSettings(appName, section, {{key, value}});
}

void SaveSettings(const QString& appName, const QString& section,
                  const QList<std::pair<QString, QString>>& values) {
  for (const auto& [key, value] : values) CheckNames(appName, section, key);
  const QString path = SettingsFile(appName);
  IniFile ini = IniFile::Load(path);
  for (const auto& [key, value] : values) ini.SetValue(section, key, value);
  QString why;
  if (!ini.Save(path, &why)) ReportNotSaved(QStringLiteral("Settings"), path, why);
}

}  // namespace platform
