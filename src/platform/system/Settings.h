#pragma once
// The per-user settings store of GetSetting and SaveSetting: one INI file per
// application name, "<configuration folder>/<application name>.ini", with a
// section per section name. Values are texts.
#include <QString>

namespace platform {

// $XDG_CONFIG_HOME when it is an absolute path, else ~/.config.
QString ConfigurationFolder();
// The file that holds an application's settings.
QString SettingsFile(const QString& appName);

// The stored text, or defaultValue when there is none. Names compare without
// regard to case. An empty application, section or key name: error 5.
QString GetSetting(const QString& appName, const QString& section, const QString& key,
                   const QString& defaultValue = QString());
// Stores the text. An empty name: error 5; a file that cannot be written: 75.
void SaveSetting(const QString& appName, const QString& section, const QString& key, const QString& value);

}  // namespace platform
