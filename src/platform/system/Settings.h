#pragma once
// The per-user settings store of GetSetting and SaveSetting: one INI file per
// application name, "<configuration folder>/<application name>.ini", with a
// section per section name. Values are texts.
#include <QList>
#include <QString>
#include <utility>

namespace platform {

// $XDG_CONFIG_HOME when it is an absolute path, else ~/.config.
QString ConfigurationFolder();
// The file that holds an application's settings.
QString SettingsFile(const QString& appName);

// The stored text, or defaultValue when there is none. Names compare without
// regard to case. An empty application, section or key name: error 5.
QString GetSetting(const QString& appName, const QString& section, const QString& key,
                   const QString& defaultValue = QString());
// Stores the text. An empty name: error 5. A file that cannot be written
// keeps what it held, the value is not kept, one line on standard error says
// why and the program goes on: the settings never fail a program.
void SaveSetting(const QString& appName, const QString& section, const QString& key, const QString& value);
// Stores several values of one section, in this order, in one write: all of
// them or none, as SaveSetting does.
void SaveSettings(const QString& appName, const QString& section,
                  const QList<std::pair<QString, QString>>& values);

}  // namespace platform
