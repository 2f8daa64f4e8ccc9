// The settings store: one INI file per application under the configuration
// folder, section by section, texts kept exactly.
#include "platform/system/Settings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "data/DataTestSupport.h"

using namespace platform;
using namespace datatest;

namespace {

// Points XDG_CONFIG_HOME at a folder of its own for one test.
class ConfigFolder {
 public:
  ConfigFolder() : saved_(qgetenv("XDG_CONFIG_HOME")) { qputenv("XDG_CONFIG_HOME", dir_.path().toLocal8Bit()); }
  ~ConfigFolder() { qputenv("XDG_CONFIG_HOME", saved_); }
  QString path() const { return dir_.path(); }

 private:
  QTemporaryDir dir_;
  QByteArray saved_;
};

QString FileText(const QString& path) {
  QFile file(path);
  file.open(QIODevice::ReadOnly);
  return QString::fromUtf8(file.readAll());
}

}  // namespace

TEST(Settings, MissingValuesGiveTheDefault) {
  ConfigFolder config;
  EXPECT_EQ(GetSetting("QVRV 5", "Settings", "MainWidth", "14250"), "14250");
  EXPECT_EQ(GetSetting("QVRV 5", "Settings", "MainWidth"), "");
  EXPECT_FALSE(QFile::exists(config.path() + "/QVRV 5.ini"));
}

TEST(Settings, SavedValuesComeBackFromThePerApplicationFile) {
  ConfigFolder config;
  SaveSetting("QVRV 5", "Settings", "MainLeft", "360");
  SaveSetting("QVRV 5", "Settings", "MainWidth", "17100");
  SaveSetting("QVRV 5", "Settings", "MainLeft", "375");
  SaveSetting("QVRV 5", "Other", "MainLeft", "1");
  SaveSetting("Pellorin", "Settings", "MainLeft", "2");
  EXPECT_EQ(SettingsFile("QVRV 5"), config.path() + "/QVRV 5.ini");
  EXPECT_EQ(GetSetting("QVRV 5", "Settings", "MainLeft", "0"), "375");
  EXPECT_EQ(GetSetting("QVRV 5", "SETTINGS", "mainleft", "0"), "375");
  EXPECT_EQ(GetSetting("QVRV 5", "Settings", "MainWidth", "0"), "17100");
  EXPECT_EQ(GetSetting("QVRV 5", "Other", "MainLeft", "0"), "1");
  EXPECT_EQ(GetSetting("Pellorin", "Settings", "MainLeft", "0"), "2");
  EXPECT_EQ(FileText(config.path() + "/QVRV 5.ini"),
            "[Settings]\nMainLeft=375\nMainWidth=17100\n\n[Other]\nMainLeft=1\n");
}

TEST(Settings, AwkwardTextsRoundTrip) {
  ConfigFolder config;
  const QStringList values = {"  blanks  ", "\"quoted\"", "a=b;c", "line\r\nbreak", "tab\there", "back\\slash",
                              "[not a section]", "", "\u00c9t\u00e9", "#hash"};
  for (int i = 0; i < values.size(); ++i) SaveSetting("App", "Settings", QStringLiteral("Key%1").arg(i), values[i]);
  SaveSetting("App", "Odd]Section", "=odd key ", "x");
  for (int i = 0; i < values.size(); ++i)
    EXPECT_EQ(GetSetting("App", "Settings", QStringLiteral("Key%1").arg(i), "missing"), values[i]) << i;
  EXPECT_EQ(GetSetting("App", "Odd]Section", "=odd key ", "missing"), "x");
}

TEST(Settings, ApplicationNamesStayInTheConfigurationFolder) {
  ConfigFolder config;
  SaveSetting("../escape/app", "Settings", "Key", "v");
  EXPECT_EQ(SettingsFile("../escape/app"), config.path() + "/.._escape_app.ini");
  EXPECT_TRUE(QFile::exists(config.path() + "/.._escape_app.ini"));
  EXPECT_EQ(GetSetting("../escape/app", "Settings", "Key"), "v");
}

TEST(Settings, EmptyNamesAreInvalidArguments) {
  ConfigFolder config;
  EXPECT_EQ(FailureOf([] { GetSetting("", "Settings", "Key"); }).number, err::InvalidProcedureCall);
  EXPECT_EQ(FailureOf([] { GetSetting("App", "", "Key"); }).number, err::InvalidProcedureCall);
  EXPECT_EQ(FailureOf([] { SaveSetting("App", "Settings", "", "v"); }).number, err::InvalidProcedureCall);
}

TEST(Settings, AFileThatCannotBeWrittenIsAnAccessError) {
  ConfigFolder config;
  SaveSetting("QVRV 5", "Settings", "MainTop", "10");
  const QString file = SettingsFile("QVRV 5");
  ASSERT_TRUE(QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadUser));
  const Failure f = FailureOf([] { SaveSetting("QVRV 5", "Settings", "MainTop", "20"); });
  EXPECT_EQ(f.number, err::PathFileAccess);
  EXPECT_EQ(f.description, "Path/File access error");
  EXPECT_EQ(GetSetting("QVRV 5", "Settings", "MainTop"), "10");
  QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);

  // A configuration "folder" that is a file.
  QFile blocker(config.path() + "/blocker");
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  qputenv("XDG_CONFIG_HOME", (config.path() + "/blocker").toLocal8Bit());
  EXPECT_EQ(FailureOf([] { SaveSetting("QVRV 5", "Settings", "MainTop", "20"); }).number, err::PathFileAccess);
}

TEST(Settings, TheConfigurationFolderFallsBackToDotConfig) {
  ConfigFolder config;
  EXPECT_EQ(ConfigurationFolder(), config.path());
  qputenv("XDG_CONFIG_HOME", "relative/path");
  EXPECT_EQ(ConfigurationFolder(), QDir::homePath() + "/.config");
  qunsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(ConfigurationFolder(), QDir::homePath() + "/.config");
}
