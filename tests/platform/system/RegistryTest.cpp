// The registry file: keys that exist or not, default values set and read as
// RegSetValueA and RegQueryValueA do, and the file they live in.
#include "platform/system/Registry.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "data/DataTestSupport.h"
#include "platform/system/Settings.h"

using namespace platform;

namespace {

const QString kLog = QStringLiteral("Tarrowby International\\Tarrowby\\Training\\Log");
const QString kUsers = QStringLiteral("SOFTWARE\\Tarrowby International\\QVRV 5\\OOW");

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { SetRegistryFile(file_); }
  void TearDown() override { SetRegistryFile(QString()); }

  // The default value of a key as the front-end reads it: a buffer of 129
  // NUL characters; empty when the key does not open or the buffer's last
  // character is not NUL any more.
  QString ReadUser(const QString& path, std::int32_t* rc = nullptr) {
    HKEY key = 0;
    if (RegOpenKey(HKEY_LOCAL_MACHINE, path, &key) != ERROR_SUCCESS) return QStringLiteral("<no key>");
    QString buffer(129, QChar(0));
    std::int32_t size = 129;
    const std::int32_t result = RegQueryValue(key, QString(), &buffer, &size);
    if (rc) *rc = result;
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    if (buffer[128] != QChar(0)) return QStringLiteral("<full>");
    return buffer.left(buffer.indexOf(QChar(0)));
  }

  std::int32_t Set(const QString& key, const QString& subKey, const QString& value) {
    HKEY handle = 0;
    const std::int32_t opened = RegOpenKey(HKEY_LOCAL_MACHINE, key, &handle);
    if (opened != ERROR_SUCCESS) return opened;
    const std::int32_t rc = RegSetValue(handle, subKey, REG_SZ, value);
    RegCloseKey(handle);
    return rc;
  }

  QTemporaryDir dir_;
  QString file_ = dir_.filePath("registry.ini");
};

}  // namespace

TEST_F(RegistryTest, OnlySoftwareExistsAtFirst) {
  HKEY key = 123;
  EXPECT_EQ(RegOpenKey(HKEY_LOCAL_MACHINE, "SOFTWARE", &key), ERROR_SUCCESS);
  EXPECT_NE(key, 0u);
  EXPECT_NE(key, HKEY_LOCAL_MACHINE);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegOpenKey(HKEY_LOCAL_MACHINE, "software", &key), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(RegOpenKey(HKEY_LOCAL_MACHINE, kUsers + "\\LastLogUsers\\User1", &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key, 0u);
  EXPECT_EQ(RegOpenKey(HKEY_LOCAL_MACHINE, kUsers, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(QFile::exists(file_));
}

TEST_F(RegistryTest, TheLoggingChoiceIsTheDefaultValueOfASubkey) {
  EXPECT_EQ(Set("SOFTWARE", kLog, "1"), ERROR_SUCCESS);
  EXPECT_EQ(ReadUser("SOFTWARE\\" + kLog), "1");
  EXPECT_EQ(Set("SOFTWARE", kLog, "0"), ERROR_SUCCESS);
  EXPECT_EQ(ReadUser("software\\TARROWBY INTERNATIONAL\\tarrowby\\training\\log"), "0");
  QFile file(file_);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(QString::fromUtf8(file.readAll()), "[SOFTWARE\\" + kLog + "]\n@=0\n");
}

TEST_F(RegistryTest, KeysOnTheWayExistWithAnEmptyDefaultValue) {
  ASSERT_EQ(Set("SOFTWARE", kLog, "1"), ERROR_SUCCESS);
  std::int32_t rc = -1;
  EXPECT_EQ(ReadUser("SOFTWARE\\Tarrowby International\\Tarrowby", &rc), "");
  EXPECT_EQ(rc, ERROR_SUCCESS);
  EXPECT_EQ(ReadUser("SOFTWARE\\Tarrowby International\\Tarrowby\\Train"), "<no key>");
}

TEST_F(RegistryTest, RecentUsersAreWrittenThroughTheEditionKey) {
  // The edition key must exist before the front-end can open it.
  ASSERT_EQ(Set("SOFTWARE", "Tarrowby International\\QVRV 5\\OOW", ""), ERROR_SUCCESS);
  HKEY edition = 0;
  ASSERT_EQ(RegOpenKey(HKEY_LOCAL_MACHINE, kUsers, &edition), ERROR_SUCCESS);
  EXPECT_EQ(RegSetValue(edition, "LastLogUsers\\User1", REG_SZ, "Smith John"), ERROR_SUCCESS);
  EXPECT_EQ(RegSetValue(edition, "LastLogUsers\\User2", REG_SZ, "  O'Brien \"Pat\"  "), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(edition), ERROR_SUCCESS);
  EXPECT_EQ(ReadUser(kUsers + "\\LastLogUsers\\User1"), "Smith John");
  EXPECT_EQ(ReadUser(kUsers + "\\LastLogUsers\\User2"), "  O'Brien \"Pat\"  ");
  EXPECT_EQ(ReadUser(kUsers + "\\LastLogUsers\\User3"), "<no key>");
  EXPECT_EQ(ReadUser("SOFTWARE\\Tarrowby International\\QVRV 5\\MM\\LastLogUsers\\User1"), "<no key>");
}

TEST_F(RegistryTest, AValueMustFitTheBuffer) {
  const QString fits(128, u'x');
  const QString tooLong(129, u'y');
  ASSERT_EQ(Set("SOFTWARE", "Test\\Fits", fits), ERROR_SUCCESS);
  ASSERT_EQ(Set("SOFTWARE", "Test\\Long", tooLong), ERROR_SUCCESS);
  EXPECT_EQ(ReadUser("SOFTWARE\\Test\\Fits"), fits);
  std::int32_t rc = -1;
  EXPECT_EQ(ReadUser("SOFTWARE\\Test\\Long", &rc), "");
  EXPECT_EQ(rc, ERROR_MORE_DATA);

  HKEY key = 0;
  ASSERT_EQ(RegOpenKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Test", &key), ERROR_SUCCESS);
  QString buffer(129, QChar(0));
  std::int32_t size = 129;
  EXPECT_EQ(RegQueryValue(key, "Long", &buffer, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 130);
  EXPECT_EQ(buffer, QString(129, QChar(0)));
  size = 5;
  EXPECT_EQ(RegQueryValue(key, "Fits", nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 129);
  size = 129;
  EXPECT_EQ(RegQueryValue(key, "Fits", &buffer, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 129);
  EXPECT_EQ(buffer.left(128), fits);
  EXPECT_EQ(buffer[128], QChar(0));
  EXPECT_EQ(RegQueryValue(key, "Missing", &buffer, &size), ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);
}

TEST_F(RegistryTest, BadHandlesTypesAndPathsAreRefused) {
  HKEY key = 0;
  EXPECT_EQ(RegOpenKey(0x4242, "SOFTWARE", &key), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegOpenKey(HKEY_LOCAL_MACHINE, "\\SOFTWARE", &key), ERROR_BAD_PATHNAME);
  ASSERT_EQ(RegOpenKey(HKEY_LOCAL_MACHINE, "SOFTWARE", &key), ERROR_SUCCESS);
  EXPECT_EQ(RegSetValue(key, "Test", 2, "x"), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegSetValue(key, "Test", REG_SZ, "x"), ERROR_INVALID_HANDLE);
  std::int32_t size = 10;
  QString buffer(10, QChar(0));
  EXPECT_EQ(RegQueryValue(key, QString(), &buffer, &size), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
  // No new keys straight under HKEY_LOCAL_MACHINE, no value on it.
  EXPECT_EQ(RegSetValue(HKEY_LOCAL_MACHINE, "Tarrowby", REG_SZ, "x"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegSetValue(HKEY_LOCAL_MACHINE, QString(), REG_SZ, "x"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegSetValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tarrowby", REG_SZ, "x"), ERROR_SUCCESS);
  EXPECT_EQ(ReadUser("SOFTWARE\\Tarrowby"), "x");
}

TEST_F(RegistryTest, AFileThatCannotBeWrittenMakesSetFail) {
  ASSERT_EQ(Set("SOFTWARE", kLog, "1"), ERROR_SUCCESS);
  ASSERT_TRUE(QFile::setPermissions(file_, QFile::ReadOwner | QFile::ReadUser));
  std::int32_t rc = ERROR_SUCCESS;
  EXPECT_EQ(testsupport::StandardErrorOf([&] { rc = Set("SOFTWARE", kLog, "0"); }),
            "Registry value not saved in \"" + file_ + "\": the file is read-only\n");
  EXPECT_EQ(rc, ERROR_ACCESS_DENIED);
  EXPECT_EQ(ReadUser("SOFTWARE\\" + kLog), "1");
  QFile::setPermissions(file_, QFile::ReadOwner | QFile::WriteOwner);

  QFile blocker(dir_.filePath("blocker"));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  SetRegistryFile(dir_.filePath("blocker/registry.ini"));
  EXPECT_EQ(Set("SOFTWARE", kLog, "0"), ERROR_ACCESS_DENIED);
  HKEY key = 0;
  EXPECT_EQ(RegOpenKey(HKEY_LOCAL_MACHINE, "SOFTWARE", &key), ERROR_SUCCESS);
  RegCloseKey(key);
}

TEST_F(RegistryTest, TheDefaultFileLivesInTheConfigurationFolder) {
  SetRegistryFile(QString());
  EXPECT_EQ(RegistryFile(), ConfigurationFolder() + "/HKEY_LOCAL_MACHINE.ini");
  SetRegistryFile(file_);
  EXPECT_EQ(RegistryFile(), file_);
}
