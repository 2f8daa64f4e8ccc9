#pragma once
// The study database of a test application folder, written and read back
// through connections of the test's own, and the main window over such a
// folder with its own registry file, a settable clock, and stand-ins for the
// desktop's applications and windows.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QTemporaryDir>
#include <map>
#include <memory>
#include <vector>
#include <gtest/gtest.h>

#include "CatalogFixture.h"
#include "TestSupport.h"
#include "frontend/frmMain.h"
#include "platform/values/Clock.h"
#include "platform/data/Data.h"
#include "platform/system/DesktopWindows.h"
#include "platform/system/Registry.h"
#include "platform/system/Shell.h"
#include "platform/forms/Twips.h"

namespace fixture {

inline const QString kStudyPassword = "dun kl0aver";

inline QString StudyPath(const QString& app) { return app + "/Training/db/TKBStudy.mdb"; }

struct StudyRow {
  platform::Variant person, section, timeIn, timeOut;
};

inline void OpenStudy(platform::Connection& c, const QString& path) {
  c.ConnectionString = platform::JetConnectionString(path, kStudyPassword);
  c.Mode = platform::adModeReadWrite;
  c.Open();
}

inline void WriteStudyDatabase(const QString& path, const std::vector<StudyRow>& rows = {}) {
  QDir().mkpath(QFileInfo(path).path());
  platform::CreateDatabase(path, kStudyPassword);
  platform::Connection c;
  OpenStudy(c, path);
  platform::CreateTable(c, "StudyList",
                        {{"NamePerson", platform::ColumnType::Text},
                         {"NameSection", platform::ColumnType::Text},
                         {"TimeIn", platform::ColumnType::DateTime},
                         {"TimeOut", platform::ColumnType::DateTime}});
  for (const StudyRow& r : rows)
    c.Execute("INSERT INTO StudyList VALUES (?, ?, ?, ?)", {r.person, r.section, r.timeIn, r.timeOut});
}

inline std::vector<StudyRow> ReadStudyRows(const QString& path) {
  platform::Connection c;
  OpenStudy(c, path);
  platform::Recordset rs;
  rs.Open(c, "StudyList");
  std::vector<StudyRow> rows;
  for (; !rs.IsEOF(); rs.MoveNext())
    rows.push_back({rs.Value("NamePerson"), rs.Value("NameSection"), rs.Value("TimeIn"), rs.Value("TimeOut")});
  return rows;
}

// Runs one statement on the file from outside the program (another user, say).
inline void ExecuteOnStudy(const QString& path, const QString& sql, const QList<platform::Variant>& params = {}) {
  platform::Connection c;
  OpenStudy(c, path);
  c.Execute(sql, params);
}

// The main window; the program's End is caught, the dialogs scripted.
class StudyWindow : public ::testing::Test,
                    public platform::DesktopApplications,
                    public platform::DesktopWindows {
 protected:
  void SetUp() override { platform::SetRegistryFile(config_.path() + "/HKEY_LOCAL_MACHINE.ini"); }

  void Start(const std::vector<Row>& rows, const QString& group, bool withStudyDatabase = true) {
    app = std::make_unique<AppFolder>(rows);
    if (withStudyDatabase) WriteStudyDatabase(Study());
    platform::SetDesktopApplications(this);
    platform::SetDesktopWindows(this);
    main = std::make_unique<frontend::frmMain>();
    main->Show();
    QApplication::processEvents();
    if (!group.isEmpty()) main->tvwDB_NodeClick(main->tvwDB->ItemByKey(group));
    main->WaitForm().tmrWait->SetInterval(50);
  }

  void TearDown() override {
    if (main && main->IsLoaded()) {
      try {
        main->Unload();
      } catch (const platform::ProgramEnded&) {
      }
    }
    main.reset();
    platform::SetDesktopApplications(nullptr);
    platform::SetDesktopWindows(nullptr);
    platform::Clock::SetSource({});
    platform::SetRegistryFile(QString());
  }

  QString Path(const QString& relative) const { return app->path() + "/" + relative; }
  QString Study() const { return StudyPath(app->path()); }

  // Users > Logging study > On, answering the prompt with name.
  void LogOn(const QString& name) {
    responder.promptAnswers.push_back({name});
    main->mnuUsersLogOn_Click();
  }

  // The clock stands still at `now` until the test moves it.
  void FixClock(const QDateTime& at) {
    now = at;
    platform::Clock::SetSource([this] { return now; });
  }
  double NowSerial() const { return platform::ToDateSerial(now); }

  // The pointer moves onto the item (which highlights it), then a button goes down.
  void Press(const QString& section) {
    QListWidget* items = main->lvwDB->Items();
    const QRect r = items->visualItemRect(items->item(main->lvwDB->ItemByKey(section)->Index() - 1));
    const QPoint c = items->viewport()->mapTo(main->lvwDB, r.center());
    const double x = platform::PixelsToTwips(c.x()), y = platform::PixelsToTwips(c.y());
    main->lvwDB_MouseMove(0, 0, x, y);
    main->lvwDB_MouseDown(1, 0, x, y);
  }

  // The default value of a key under HKEY_LOCAL_MACHINE; "<no key>" when it cannot be opened.
  static QString RegistryValue(const QString& key) {
    platform::HKEY h = 0;
    if (platform::RegOpenKey(platform::HKEY_LOCAL_MACHINE, key, &h) != platform::ERROR_SUCCESS) return "<no key>";
    QString buffer(512, QChar(0));
    std::int32_t size = 512;
    platform::RegQueryValue(h, QString(), &buffer, &size);
    platform::RegCloseKey(h);
    return buffer.left(buffer.indexOf(QChar(0)));
  }
  static void SetRegistryValue(const QString& key, const QString& value) {
    ASSERT_EQ(platform::RegSetValue(platform::HKEY_LOCAL_MACHINE, key, platform::REG_SZ, value),
              platform::ERROR_SUCCESS);
  }

  void ExpectBox(size_t index, const QString& prompt, int style, const QString& title) const {
    ASSERT_GT(responder.boxes.size(), index);
    EXPECT_EQ(responder.boxes[index].prompt, prompt);
    EXPECT_EQ(responder.boxes[index].style, style);
    EXPECT_EQ(responder.boxes[index].title, title);
  }

  // platform::DesktopApplications: every type opens in `viewer`.
  QStringList OpenCommand(const QString& file) override {
    opened << file;
    if (viewer.isEmpty()) return {};
    return {viewer, file};
  }
  // platform::DesktopWindows
  std::vector<platform::WindowHandle> TopLevelWindows() override { return windows; }
  std::int64_t WindowProcessId(platform::WindowHandle w) override {
    const auto found = windowPids.find(w);
    return found == windowPids.end() ? 0 : found->second;
  }
  QString WindowTitle(platform::WindowHandle w) override {
    const auto found = windowTitles.find(w);
    return found == windowTitles.end() ? QString() : found->second;
  }

  testsupport::ScriptedResponder responder;
  testsupport::EndCatcher catcher;
  std::unique_ptr<AppFolder> app;
  std::unique_ptr<frontend::frmMain> main;
  QDateTime now;
  QStringList opened;
  QString viewer;
  std::vector<platform::WindowHandle> windows;  // topmost first
  std::map<platform::WindowHandle, std::int64_t> windowPids;
  std::map<platform::WindowHandle, QString> windowTitles;

 private:
  QTemporaryDir config_;
};

}  // namespace fixture
