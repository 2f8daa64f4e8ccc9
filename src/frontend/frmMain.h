#pragma once
// The front-end's main window: the section tree on the left, the section
// list on the right, the status bar, the splitter between them, and the
// menus.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPixmap>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "frontend/Edition.h"
#include "frontend/frmBrowser.h"
#include "frontend/frmWait.h"
#include "movieplayer/frmMoviePlayer.h"
#include "platform/data/Data.h"
#include "platform/system/DesktopWindows.h"
#include "platform/forms/Form.h"
#include "platform/forms/ImageList.h"
#include "platform/forms/ListView.h"
#include "platform/system/Shell.h"
#include "platform/forms/StatusBar.h"
#include "platform/forms/Timer.h"
#include "platform/forms/TreeView.h"
#include "platform/values/VbError.h"

namespace frontend {

// The splitter: a label that reports mouse moves with the original's arguments.
class DragLabel : public QLabel {
  Q_OBJECT
 public:
  using QLabel::QLabel;
  std::function<void(int button, int shift, double x, double y)> MouseMove;

 protected:
  void mouseMoveEvent(QMouseEvent* event) override;
};

class frmMain : public platform::Form {
  Q_OBJECT

 public:
  explicit frmMain(QWidget* parent = nullptr);
  ~frmMain() override;

  // Controls.
  platform::TreeView* tvwDB;
  platform::ListView* lvwDB;
  platform::StatusBar* sbrDB;
  DragLabel* lblHorDrag;
  QMenu* mnuFile;
  QAction* mnuExit;
  QMenu* mnuView;
  std::array<QAction*, 4> mnuViewIcons{};
  platform::ImageList imlIcons{QStringLiteral("imlIcons")};
  platform::ImageList imlSmallIcons{QStringLiteral("imlSmallIcons")};
  platform::ImageList imlRightPanel{QStringLiteral("imlRightPanel")};
  QPixmap picI;  // the drawing surface of the list's backdrop

  // Start-up and catalogue state.
  QString EditionTitle;
  QString CatalogFileName;
  std::unique_ptr<platform::Connection> CatalogConnection;
  platform::TreeNode* CurrentNode = nullptr;
  QString QuoteChar;
  platform::ListItem* LastListItem = nullptr;
  QString ShownGroupTitle;
  int ListColumnsReady = 0;

  // Study-time logging state touched by the start-up and the shutdown.
  bool LoggingOn = false;
  bool SectionRecording = false;
  std::unique_ptr<platform::Connection> StudyConnection;

  // Event handlers.
  void Form_Load() override;
  void Form_QueryUnload(int& cancel, int unloadMode) override;
  void Form_Unload(int& cancel) override;
  void Form_GotFocus() override;
  void Form_Resize() override;
  void lblHorDrag_MouseMove(int button, int shift, double x, double y);
  void lvwDB_ColumnClick(int column);
  void tvwDB_BeforeLabelEdit(int& cancel);
  void tvwDB_Collapse(platform::TreeNode* node);
  void tvwDB_Expand(platform::TreeNode* node);
  void tvwDB_NodeClick(platform::TreeNode* node);
  void lvwDB_MouseMove(int button, int shift, double x, double y);
  void mnuViewIcons_Click(int index);
  void mnuExit_Click();

  // Layout and catalogue.
  void ArrangeControls();
  void SetUpListColumns();
  void LoadSectionTree();
  void LoadSectionGroup(platform::TreeNode* groupNode, const QString& title);
  void ShowSectionGroup(const QString& title);
  platform::TreeNode* AddSectionNode(platform::TreeNode* groupNode, const platform::Recordset& row);
  void AddSectionListItem(const platform::Recordset& row);
  void ShowGroupStatus(platform::TreeNode* groupNode);

  QString BrowseForMissingFile(const QString& fileName);

  // The recovery from a database that cannot be opened, shared by the menu
  // database and the study database. Returns false when the program ends.
  struct DatabaseRecovery {
    QString fileName;    // given to the file dialog
    QString firstText;   // "Main menu file not found:"
    QString fatalText;   // "Sorry, main menu file still not found:"
    int mode;
    QString retryPassword;
    // Run on each file once open: raises when the file cannot serve.
    std::function<void(platform::Connection&)> check;
  };
  bool RecoverDatabase(std::unique_ptr<platform::Connection>& connection, const DatabaseRecovery& recovery,
                       const platform::VbError& error);
  // Runs steps in order; an error goes to the recovery (a file that cannot
  // be found or reached) or ends the program, and work goes on with the step
  // after the one that failed. False when the program ends.
  bool RunDatabaseSteps(const std::vector<std::function<void()>>& steps,
                        std::unique_ptr<platform::Connection>& connection, const DatabaseRecovery& recovery);
    // Shows the fatal "Unexpected Error: " box and ends the program.
  void FailUnexpected(const platform::VbError& error);

 private:
  // Lists the sections of a group; with a group node, adds their tree nodes
  // too. False when the group has no rows.
  bool ListSections(const QString& title, platform::TreeNode* newNodesUnder);
  QString dlgFileName_;

  // ---- Section launcher (frmMain_Launcher.cpp) ----
 public:
  void lvwDB_MouseDown(int button, int shift, double x, double y);
  // The wait window, the web-page window and the movie player, made on first use.
  frmWait& WaitForm();
  frmBrowser& BrowserForm();
  movieplayer::frmMoviePlayer& MoviePlayerForm();


 private:
  struct LaunchState;
  void LaunchByType(LaunchState& launch);
  void LaunchStep(LaunchState& launch, const std::function<void()>& step);
  void RecordedProgramStart(LaunchState& launch, const QString& commandLine);
  void StopRecording(bool chm);
  void StopRecording(LaunchState& launch);
  void CloseRecordOfUnrunSection(LaunchState& launch);
  std::unique_ptr<frmWait> waitForm_;
  std::unique_ptr<frmBrowser> browserForm_;
  std::unique_ptr<movieplayer::frmMoviePlayer> moviePlayer_;

  // ---- Study-time logging (frmMain_StudyLog.cpp) ----
 public:
  QMenu* mnuUsers;
  QMenu* mnuUsersLog;
  QAction* mnuUsersLogOn;
  QAction* mnuUsersLogOff;
  platform::Timer* tmrClockValidity;   // the clock guard
  platform::Timer* tmrSectionIsActive;  // the inactivity guard

  QString LoggedUserName;      // empty while logging is off
  QString CurrentSectionName;  // the section of the recorded launch
  platform::WindowHandle SectionWindow = 0;

  void mnuUsersLogOn_Click();
  void mnuUsersLogOff_Click();
  void LogOnUser();
  static void LoadRecentUsers(std::array<QString, 5>& recentUsers);
  static void SaveRecentUser(const std::array<QString, 5>& recentUsers, const QString& newName);
  // The one writer of the study log. action "start" or "stop" (any case,
  // blanks around ignored); time a date serial, -1 for now. A database error
  // reaches the caller.
  void LogStudyEvent(const QString& action, const QString& person, const QString& section, double time, bool& ok);
  // Returns once the process has ended; the event loop runs meanwhile.
  void WaitForProcess(const platform::ProcessInformation& process, bool tracking);
  void tmrClockValidity_Timer();
  void tmrSectionIsActive_Timer();

  // Kept across calls.
  bool RecordStopped = false;
  QString RecordPerson;
  QString RecordSection;
  double LastClockCheck = 0;
  std::int16_t InactiveTicks = 0;
  QString LastWindowTitle;

 private:
  void CreateStudyLogControls();
  void SetLogging(bool on);

  // ---- Help and Users menus (frmMain_Menus.cpp) ----
 public:
  QMenu* mnuHelp;
  QAction* mnuUsersReport;
  QAction* mnuUsersAssessor;
  QAction* mnuHelpVersion;
  QAction* mnuHelpFile;
  void mnuHelpFile_Click();
  void mnuHelpVersion_Click();
  void mnuUsersReport_Click();
  void mnuUsersAssessor_Click();

 private:
  void CreateUsersAndHelpMenus();
};

// The study database's recovery values.
frmMain::DatabaseRecovery StudyDatabaseRecovery();

// The edition's help file, relative to the application folder, as the
// content names it ("QVRV5_OOW\Corvanta.chm").
QString HelpFileFor(const QString& editionCode);
// The version box: the edition's line, a line break, "Program version 5.5.0".
QString VersionTextFor(const QString& editionCode);

// The menu database's recovery values.
frmMain::DatabaseRecovery MenuDatabaseRecovery(const QString& catalogFileName);

}  // namespace frontend
