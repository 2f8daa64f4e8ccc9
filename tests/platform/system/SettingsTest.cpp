// The settings store: one INI file per application under the configuration
// folder, section by section, texts kept exactly.
#include "platform/system/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "TestSupport.h"
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

// A value that cannot be stored is not kept: the file holds what it held,
// nothing is left beside it, one line on standard error says why, and the
// caller goes on.
TEST(Settings, ValuesThatCannotBeWrittenLeaveTheFileAsItWasAndSayWhy) {
  ConfigFolder config;
  SaveSettings("QVRV 5", "Settings", {{"MainTop", "10"}, {"MainLeft", "300"}});
  const QString file = SettingsFile("QVRV 5");
  const QString before = "[Settings]\nMainTop=10\nMainLeft=300\n";
  ASSERT_EQ(FileText(file), before);
  const QString said = "Settings not saved in \"" + file + "\": ";
  const auto attempt = [] {
    return testsupport::StandardErrorOf(
        [] { EXPECT_NO_THROW(SaveSettings("QVRV 5", "Settings", {{"MainTop", "20"}, {"MainWidth", "17100"}})); });
  };
  const auto unchanged = [&] {
    EXPECT_EQ(FileText(file), before);
    EXPECT_EQ(QDir(config.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"QVRV 5.ini"});
  };

  // A folder that cannot be written: no file can be made beside this one.
  ASSERT_TRUE(QFile::setPermissions(config.path(), QFile::ReadOwner | QFile::ExeOwner));
  {
    testsupport::KeepToPermissions asAUser;
    EXPECT_EQ(attempt(), said + "its folder cannot be written: Permission denied\n");
  }
  ASSERT_TRUE(QFile::setPermissions(config.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
  unchanged();

  // A full disk: the new file cannot grow past a few bytes.
  {
    testsupport::FileSizeLimit full(12);
    EXPECT_EQ(attempt(), said + "there is not enough room on the disk\n");
  }
  unchanged();

  // Read-only, even to root; said once while it stays so.
  ASSERT_TRUE(QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
  EXPECT_EQ(attempt(), said + "the file is read-only\n");
  EXPECT_EQ(attempt(), "");
  unchanged();

  // Writable again: both values arrive, the file keeps its permissions, and
  // the same failure after that is said again.
  ASSERT_TRUE(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
  EXPECT_EQ(attempt(), "");
  EXPECT_EQ(FileText(file), "[Settings]\nMainTop=20\nMainLeft=300\nMainWidth=17100\n");
  EXPECT_EQ(QFile::permissions(file), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser |
                                          QFile::ReadGroup);
  ASSERT_TRUE(QFile::setPermissions(file, QFile::ReadOwner));
  EXPECT_EQ(attempt(), said + "the file is read-only\n");
  ASSERT_TRUE(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner));

  // Through a link, the file it leads to is written and the link stays.
  ASSERT_TRUE(QDir().mkdir(config.path() + "/kept"));
  ASSERT_TRUE(QFile::rename(file, config.path() + "/kept/QVRV 5.ini"));
  ASSERT_TRUE(QFile::link("kept/QVRV 5.ini", file));
  SaveSetting("QVRV 5", "Settings", "MainTop", "30");
  EXPECT_TRUE(QFileInfo(file).isSymLink());
  EXPECT_EQ(FileText(config.path() + "/kept/QVRV 5.ini"), "[Settings]\nMainTop=30\nMainLeft=300\nMainWidth=17100\n");

  // A configuration "folder" that is a file.
  QFile blocker(config.path() + "/blocker");
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  qputenv("XDG_CONFIG_HOME", (config.path() + "/blocker").toLocal8Bit());
  EXPECT_EQ(attempt(), "Settings not saved in \"" + config.path() + "/blocker/QVRV 5.ini\": its folder cannot be made\n");
}

TEST(Settings, TheConfigurationFolderFallsBackToDotConfig) {
  ConfigFolder config;
  EXPECT_EQ(ConfigurationFolder(), config.path());
  qputenv("XDG_CONFIG_HOME", "relative/path");
  EXPECT_EQ(ConfigurationFolder(), QDir::homePath() + "/.config");
  qunsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(ConfigurationFolder(), QDir::homePath() + "/.config");
}
