// The menu bar's Users and Help menus and File > Exit: the version box, the
// help file opened in the desktop's application, the training report program
// started by both of its items, and what Exit unloads.
#include <QMenuBar>
#include <gtest/gtest.h>

#include "ArgsProbe.h"
#include "StudyFixture.h"
#include "frontend/Global.h"

using namespace frontend;
using fixture::Row;
using testsupport::ArgsProbe;

namespace {

class Menus : public fixture::StudyWindow {
 protected:
  void StartMenus() { Start({{"Navigation", "Soon", "stop", "NOTHING", {}, {}, {}, {}}}, "Navigation"); }
  static QStringList Captions(const QList<QAction*>& actions) {
    QStringList captions;
    for (const QAction* a : actions) captions << a->text();
    return captions;
  }
};

}  // namespace

TEST_F(Menus, TheMenuBarHoldsFileViewUsersAndHelpInThatOrder) {
  StartMenus();
  EXPECT_EQ(Captions(main->MenuBar()->actions()), (QStringList{"&File", "&View", "&Users", "&Help"}));
  EXPECT_TRUE(main->mnuUsers->isEnabled());
  EXPECT_EQ(Captions(main->mnuUsers->actions()),
            (QStringList{"Logging study", "Reporting system...", "Assessors management..."}));
  EXPECT_EQ(Captions(main->mnuUsersLog->actions()), (QStringList{"On", "Off"}));
  EXPECT_FALSE(main->mnuUsersLogOn->isChecked());
  EXPECT_TRUE(main->mnuUsersLogOff->isChecked());
  EXPECT_EQ(Captions(main->mnuHelp->actions()), (QStringList{"Program &version", "QVR Help"}));
  // The guards wait, disabled, for a record.
  for (const platform::Timer* t : {main->tmrClockValidity, main->tmrSectionIsActive}) {
    EXPECT_EQ(t->Interval(), 10000);
    EXPECT_FALSE(t->Enabled());
    EXPECT_EQ(t->Tag, "reset");
  }
  // Logging is off at every start; the caption is the edition's until the menu is used.
  EXPECT_FALSE(main->LoggingOn);
  EXPECT_EQ(main->Caption(), " Dunstal's Tarrowby Examiner for Officers of the Watch - version 5");
}

TEST_F(Menus, TheVersionBoxNamesTheEditionAndTheProgramsVersion) {
  StartMenus();
  main->mnuHelpVersion->trigger();
  ExpectBox(0, "QVR V5 OOW by Tarrowby International\r\nProgram version 5.5.0", 64, "About the program");
  EXPECT_EQ(VersionTextFor("MM"), "QVR V5 Mates/Masters by Tarrowby International\r\nProgram version 5.5.0");
  EXPECT_EQ(VersionTextFor("XX"), VersionTextFor("MM"));  // any code but "OOW"
}

TEST_F(Menus, TheHelpFileOpensInItsApplicationWithItsOwnFolder) {
  EXPECT_EQ(HelpFileFor("OOW"), "QVRV5_OOW\\Corvanta.chm");
  EXPECT_EQ(HelpFileFor("MM"), "QVRV5_MM\\QVRV5MM.chm");
  StartMenus();
  QDir().mkpath(Path("QVRV5_OOW"));
  QFile help(Path("QVRV5_OOW/corvanta.CHM"));  // found without regard to case
  ASSERT_TRUE(help.open(QIODevice::WriteOnly));
  help.close();
  ArgsProbe desktopViewer(Path("viewer"), 0, 0.5);
  viewer = desktopViewer.Path();
  QDir::setCurrent(QDir::tempPath());
  main->mnuHelpFile->trigger();
  EXPECT_FALSE(desktopViewer.Ran());  // not waited for
  EXPECT_EQ(QDir::currentPath(), app->path());
  ASSERT_TRUE(desktopViewer.WaitForReport());
  EXPECT_EQ(desktopViewer.Arguments(), QStringList{Path("QVRV5_OOW/corvanta.CHM")});
  EXPECT_EQ(desktopViewer.WorkingFolder(), Path("QVRV5_OOW"));
  EXPECT_TRUE(responder.boxes.empty());
  EXPECT_TRUE(responder.fileRequests.empty());
}

TEST_F(Menus, AMissingHelpFileIsReportedByTheShellsResult) {
  StartMenus();
  main->mnuHelpFile_Click();
  ExpectBox(0, "The specified file was not found.", 48, " Error");
  QFile help(Path("QVRV5_OOW/Corvanta.chm"));
  ASSERT_TRUE(help.open(QIODevice::WriteOnly));
  help.close();
  viewer.clear();  // no application for the type
  main->mnuHelpFile_Click();
  ExpectBox(1, "There is no application associated with the given file name extension.", 48, " Error");
  EXPECT_EQ(responder.boxes.size(), 2u);
  EXPECT_TRUE(responder.fileRequests.empty());  // the shell's result asks for no file
}

TEST_F(Menus, AnApplicationFolderThatHasGoneIsReportedAndNothingOpens) {
  StartMenus();
  main->SetMousePointer(platform::vbHourglass);
  main->lvwDB->SetToolTipText("Logging mode: close first previous section");
  AppFolder = Path("removed");
  main->mnuHelpFile_Click();
  ASSERT_EQ(responder.boxes.size(), 1u);
  ExpectBox(0, "Path not found", 48, " Error");
  EXPECT_TRUE(opened.isEmpty());
  EXPECT_EQ(main->MousePointer(), 0);
  EXPECT_EQ(main->lvwDB->ToolTipText(), "");
}

TEST_F(Menus, BothReportItemsStartTheSameProgramWithoutWaiting) {
  StartMenus();
  ArgsProbe report(Path("Training/TKBTrainingReport"), 0, 0.5);
  QDir::setCurrent(QDir::tempPath());
  main->mnuUsersReport->trigger();
  EXPECT_FALSE(report.Ran());
  ASSERT_TRUE(report.WaitForReport());
  EXPECT_TRUE(report.Arguments().isEmpty());
  EXPECT_EQ(report.WorkingFolder(), Path("Training"));
  EXPECT_EQ(QDir::currentPath(), QDir::tempPath());  // the current folder is left alone
  report.Forget();
  main->mnuUsersAssessor->trigger();
  EXPECT_FALSE(report.Ran());
  ASSERT_TRUE(report.WaitForReport());
  EXPECT_TRUE(report.Arguments().isEmpty());
  EXPECT_EQ(report.WorkingFolder(), Path("Training"));
  EXPECT_TRUE(responder.boxes.empty());

  QFile::remove(report.Path());
  main->mnuUsersAssessor_Click();
  main->mnuUsersReport_Click();
  ExpectBox(0, "The specified file was not found.", 48, " Error");
  ExpectBox(1, "The specified file was not found.", 48, " Error");
}

TEST_F(Menus, ExitUnloadsTheWaitWindowThenTheMainWindow) {
  StartMenus();
  main->WaitForm().Load();
  ASSERT_TRUE(main->WaitForm().IsLoaded());
  EXPECT_THROW(main->mnuExit_Click(), platform::ProgramEnded);
  EXPECT_FALSE(main->WaitForm().IsLoaded());
  EXPECT_EQ(catcher.ends, 1);
}

TEST_F(Menus, ExitWithoutTheWaitWindowUnloadsOnlyTheMainWindow) {
  StartMenus();
  ASSERT_FALSE(main->WaitForm().IsLoaded());
  EXPECT_THROW(main->mnuExit_Click(), platform::ProgramEnded);
  EXPECT_EQ(catcher.ends, 1);
  EXPECT_FALSE(main->WaitForm().IsLoaded());  // not loaded just to be unloaded
}
