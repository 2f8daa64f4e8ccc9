#include "frontend/frmMain.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QWindow>
#include <gtest/gtest.h>

#include "CatalogFixture.h"
#include "ImageChecks.h"
#include "TestSupport.h"
#include "frontend/Edition.h"
#include "frontend/Global.h"
#include "platform/forms/Dialogs.h"
#include "platform/system/Settings.h"
#include "platform/forms/Twips.h"

using namespace frontend;
using fixture::Row;

namespace {

const QString kApp = "QVRV 5";

std::vector<Row> Sample() {
  return {
      {"Navigation", "Rule of the road", "ref", "CHM", "QVRV5_OOW\\rules.chm", {}, {}, {}},
      {"Navigation", "Buoyage test", "exam", "EXE", "Pellorin.exe", "T1", {}, {}},
      {"Stability", "Stability basics", "bulk", "NOTHING", {}, {}, {}, {}},
  };
}

void ClearSettings() {
  for (const char* key : {"MainWidth", "MainLeft", "MainTop", "MainHeight", "VBarPos"})
    platform::SaveSetting(kApp, "Settings", key, QString());
}

// Starts the main window and keeps it; the window's unload ends the program,
// which the catcher turns into an exception.
struct Started {
  testsupport::ScriptedResponder responder;
  testsupport::EndCatcher catcher;
  std::unique_ptr<frmMain> main = std::make_unique<frmMain>();
  bool ended = false;

  explicit Started(const std::function<void(testsupport::ScriptedResponder&)>& script = {}) {
    if (script) script(responder);
    try {
      main->Show();
    } catch (const platform::ProgramEnded&) {
      ended = true;
    }
    QApplication::processEvents();
  }
  ~Started() {
    if (!ended && main->IsLoaded()) {
      try {
        main->Unload();
      } catch (const platform::ProgramEnded&) {
      }
    }
  }
  platform::TreeNode* Group(const QString& title) { return main->tvwDB->ItemByKey(title); }
};

}  // namespace

TEST(Edition, TitlesCaptionsAndFoldersOfBothEditions) {
  const EditionValues oow = EditionFor("OOW");
  EXPECT_EQ(oow.editionTitle, "QVRV 5 - OOW");
  EXPECT_EQ(oow.caption, " Dunstal's Tarrowby Examiner for Officers of the Watch - version 5");
  EXPECT_EQ(oow.iconKey, "mainQVRV 5 - OOW");
  EXPECT_EQ(oow.catalogFileName, "QVRV 5 - OOW.mdb");
  EXPECT_EQ(oow.catalogFolder, "/QVRV5_OOW/db/");
  EXPECT_EQ(oow.backdropKey, "QVROOWBackdrop");
  const EditionValues mm = EditionFor("MM");
  EXPECT_EQ(mm.editionTitle, "QVRV 5 - Mates Masters");
  EXPECT_EQ(mm.caption, " Dunstal's Tarrowby Examiner for Mates / Masters - version 5");
  EXPECT_EQ(mm.iconKey, "mainQVRV 5 - Mates Masters");
  EXPECT_EQ(mm.catalogFileName, "QVRV 5 - Mates Masters.mdb");
  EXPECT_EQ(mm.catalogFolder, "/QVRV5_MM/db/");
  EXPECT_EQ(mm.backdropKey, "QVRMMBackdrop");
}

TEST(StartUp, FirstStartUsesTheDefaultGeometryAndClosingSavesIt) {
  ClearSettings();
  platform::Screen::SetTestSize(15360, 11520);
  fixture::AppFolder app(Sample());
  {
    Started s;
    ASSERT_FALSE(s.ended);
    EXPECT_EQ(AppFolder, app.path());
    EXPECT_EQ(s.main->Caption(), " Dunstal's Tarrowby Examiner for Officers of the Watch - version 5");
    EXPECT_DOUBLE_EQ(s.main->Width(), 15360 * 0.95);
    EXPECT_DOUBLE_EQ(s.main->Left(), (15360 - 15360 * 0.95) / 2);
    EXPECT_EQ(s.main->Top(), 10);
    EXPECT_DOUBLE_EQ(s.main->Height(), 11520 * 0.94);
    EXPECT_EQ(platform::Left(s.main->lblHorDrag), 3630);
    EXPECT_EQ(platform::Width(s.main->lblHorDrag), 80);
    // Laid out as first shown: the list at the splitter's right side, under its header.
    EXPECT_EQ(platform::Left(s.main->lvwDB), 3630 + 80);
    EXPECT_GT(s.main->lvwDB->Items()->y(), 0);
    EXPECT_TRUE(s.responder.boxes.empty());
    s.main->SetLeft(300);
    s.main->SetWidth(9000);
    s.main->SetHeight(7005);
    EXPECT_THROW(s.main->Unload(), platform::ProgramEnded);
    EXPECT_EQ(s.catcher.ends, 1);
  }
  EXPECT_EQ(platform::GetSetting(kApp, "Settings", "MainLeft", ""), "300");
  EXPECT_EQ(platform::GetSetting(kApp, "Settings", "MainTop", ""), "10");
  EXPECT_EQ(platform::GetSetting(kApp, "Settings", "MainWidth", ""), "9000");
  EXPECT_EQ(platform::GetSetting(kApp, "Settings", "MainHeight", ""), "7005");
  EXPECT_EQ(platform::GetSetting(kApp, "Settings", "VBarPos", ""), "3630");
  platform::Screen::SetTestSize(0, 0);
}

TEST(StartUp, StoredGeometryIsRestoredAndBadValuesFallBack) {
  ClearSettings();
  platform::Screen::SetTestSize(15360, 11520);
  platform::SaveSetting(kApp, "Settings", "MainWidth", "9000");
  platform::SaveSetting(kApp, "Settings", "MainLeft", "abc");
  platform::SaveSetting(kApp, "Settings", "VBarPos", "2400");
  fixture::AppFolder app(Sample());
  Started s;
  EXPECT_EQ(s.main->Width(), 9000);
  EXPECT_EQ(s.main->Left(), (15360 - 9000) / 2);
  EXPECT_EQ(platform::Left(s.main->lblHorDrag), 2400);
  platform::Screen::SetTestSize(0, 0);
}

TEST(StartUp, ClosingWhileMinimisedWritesNothing) {
  ClearSettings();
  platform::SaveSetting(kApp, "Settings", "MainWidth", "9000");
  fixture::AppFolder app(Sample());
  {
    Started s;
    s.main->SetWidth(6000);
    s.main->SetWindowState(platform::vbMinimized);
    ASSERT_EQ(s.main->WindowState(), platform::vbMinimized);
    EXPECT_THROW(s.main->Unload(), platform::ProgramEnded);
  }
  EXPECT_EQ(platform::GetSetting(kApp, "Settings", "MainWidth", ""), "9000");
  EXPECT_EQ(platform::GetSetting(kApp, "Settings", "VBarPos", ""), "");
}

// The child's side of the test below: Corvanta's window moved (a write would
// show), then closed for real, by the window manager or with File > Exit,
// over a read-only settings file. The real End ends this process; coming back
// is a failure.
void CloseWithUnwritableSettings(const QString& how) {
  qputenv("XDG_CONFIG_HOME", qgetenv("QVR_CLOSE_CONFIG"));
  fixture::AppFolder app(Sample());
  testsupport::ScriptedResponder responder;  // a box would be recorded, never shown
  frmMain main;
  main.Show();
  QApplication::processEvents();
  main.SetLeft(600);
  if (how == "exit") main.mnuExit->trigger();
  else main.windowHandle()->close();
  ADD_FAILURE() << "the program did not end";
  for (const auto& box : responder.boxes) ADD_FAILURE() << box.prompt.toStdString();
}

// Settings that cannot be written neither stop the close nor touch the file:
// the program ends normally and says why in one line.
TEST(StartUp, ClosingWithSettingsThatCannotBeWrittenEndsAndKeepsTheFile) {
  if (qEnvironmentVariableIsSet("QVR_CLOSE_CASE"))
    return CloseWithUnwritableSettings(qEnvironmentVariable("QVR_CLOSE_CASE"));
  const QByteArray before = "[Settings]\nMainLeft=345\nMainTop=150\nMainWidth=14250\nMainHeight=10830\nVBarPos=2400\n";
  for (const QString how : {"window", "exit"}) {
    SCOPED_TRACE(how.toStdString());
    QTemporaryDir dir;  // the child's temporary files too, gone with it
    const QString config = dir.filePath("config"), file = config + "/QVRV 5.ini";
    QFile f(file);
    ASSERT_TRUE(QDir().mkpath(config) && f.open(QIODevice::WriteOnly) && f.write(before) == before.size());
    f.close();
    QFile::setPermissions(file, QFile::ReadOwner);
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QVR_CLOSE_CASE", how);
    env.insert("QVR_CLOSE_CONFIG", config);
    env.insert("TMPDIR", dir.path());
    child.setProcessEnvironment(env);
    child.setWorkingDirectory(dir.path());  // this program's may be a folder gone with an earlier test
    child.start(QCoreApplication::applicationFilePath(),
                {"--gtest_filter=StartUp.ClosingWithSettingsThatCannotBeWrittenEndsAndKeepsTheFile"});
    ASSERT_TRUE(child.waitForFinished(60000));
    const QString err = child.readAllStandardError();
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << err.toStdString();
    EXPECT_EQ(child.exitCode(), 0) << child.readAllStandardOutput().toStdString();
    EXPECT_EQ(err.split('\n').filter("not saved").join('\n').toStdString(),
              ("Settings not saved in \"" + file + "\": the file is read-only").toStdString());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll().toStdString(), before.toStdString());
    EXPECT_EQ(QDir(config).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).join('/').toStdString(),
              "QVRV 5.ini");
  }
}

TEST(StartUp, MissingMenuDatabaseAsksForTheFileAndCancelEndsTheProgram) {
  fixture::AppFolder app({}, false);
  Started s;
  EXPECT_TRUE(s.ended);
  ASSERT_EQ(s.responder.boxes.size(), 2u);
  const QString path = app.path() + "/QVRV5_OOW/db/QVRV 5 - OOW.mdb";
  EXPECT_EQ(s.responder.boxes[0].prompt, "Main menu file not found:\r\nCould not find file '" + path + "'.");
  EXPECT_EQ(s.responder.boxes[0].style, 48);
  EXPECT_EQ(s.responder.boxes[0].title, "Error");
  ASSERT_EQ(s.responder.fileRequests.size(), 1u);
  EXPECT_EQ(s.responder.fileRequests[0].title, "Can't Find QVRV 5 - OOW.mdb");
  EXPECT_EQ(s.responder.fileRequests[0].filter, "(*.*)|*.*");
  EXPECT_TRUE(platform::FilterShows(s.responder.fileRequests[0].filter, "Corvanta"));
  EXPECT_EQ(s.responder.boxes[1].prompt,
            "Sorry, main menu file still not found:\r\nCould not find file '" + path + "'.");
  EXPECT_EQ(s.responder.boxes[1].style, 16);
  EXPECT_EQ(s.responder.boxes[1].title, "Fatal Error");
  EXPECT_EQ(s.catcher.ends, 1);
}

TEST(StartUp, AChosenFileOpensWithTheRetryPassword) {
  fixture::AppFolder app({}, false);
  const QString elsewhere = app.path() + "/elsewhere/menu.mdb";
  fixture::WriteCatalog(elsewhere, Sample(), "p@lvoran k0mte");
  Started s([&](testsupport::ScriptedResponder& r) { r.files = {elsewhere}; });
  EXPECT_FALSE(s.ended);
  ASSERT_EQ(s.responder.boxes.size(), 1u);
  EXPECT_EQ(s.responder.boxes[0].title, "Error");
  // The start-up went on: root, groups, window.
  EXPECT_EQ(s.main->tvwDB->Item(1)->Text(), "QVRV 5 - OOW");
  EXPECT_EQ(s.main->tvwDB->Item(1)->Tag, "QVRV 5 - OOWsection");
  EXPECT_EQ(s.main->tvwDB->Count(), 3);
  EXPECT_TRUE(s.main->isVisible());
  EXPECT_TRUE(s.main->lvwDB->isVisible());
}

TEST(StartUp, AChosenFileWithAnotherPasswordEndsWithAClearMessage) {
  fixture::AppFolder app({}, false);
  const QString elsewhere = app.path() + "/menu.mdb";
  fixture::WriteCatalog(elsewhere, Sample(), "korvinel");
  Started s([&](testsupport::ScriptedResponder& r) { r.files = {elsewhere}; });
  EXPECT_TRUE(s.ended);
  ASSERT_EQ(s.responder.boxes.size(), 2u);
  EXPECT_EQ(s.responder.boxes[1].prompt, "Sorry, main menu file still not found:\r\nNot a valid password.");
  EXPECT_EQ(s.responder.boxes[1].title, "Fatal Error");
}

TEST(StartUp, AFileThatIsNoDatabaseGoesToTheRecovery) {
  fixture::AppFolder app({}, false);
  QDir().mkpath(app.path() + "/QVRV5_OOW/db");
  QFile f(fixture::CatalogPath(app.path()));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("This is not a database file at all, just some text to fill a page.........................");
  f.close();
  Started s;
  EXPECT_TRUE(s.ended);
  ASSERT_GE(s.responder.boxes.size(), 1u);
  EXPECT_TRUE(s.responder.boxes[0].prompt.startsWith("Main menu file not found:\r\n"));
}

TEST(StartUp, CatalogueFaultsEndWithUnexpectedError) {
  struct Case {
    std::vector<Row> rows;
    QString message;
  };
  const std::vector<Case> cases = {
      {{}, "Unexpected Error: Either BOF or EOF is True"},
      {{{std::nullopt, "x", "ref", "CHM", {}, {}, {}, {}}}, "Unexpected Error: Invalid use of Null"},
      {{{"A", "a1", "ref", "CHM", {}, {}, {}, {}},
        {"B", "b1", "ref", "CHM", {}, {}, {}, {}},
        {"A", "a2", "ref", "CHM", {}, {}, {}, {}}},
       "Unexpected Error: Key is not unique in collection"},
  };
  for (const Case& c : cases) {
    fixture::AppFolder app(c.rows);
    Started s;
    EXPECT_TRUE(s.ended);
    ASSERT_EQ(s.responder.boxes.size(), 1u);
    EXPECT_TRUE(s.responder.boxes[0].prompt.startsWith(c.message)) << s.responder.boxes[0].prompt.toStdString();
    EXPECT_EQ(s.responder.boxes[0].style, 16);
    EXPECT_EQ(s.responder.boxes[0].title, "Fatal Error");
  }
}

TEST(Catalogue, GroupsComeFromRunsAndEmptyLeadingTitlesMakeNoNode) {
  fixture::AppFolder app({
      {"", "orphan", "ref", "CHM", {}, {}, {}, {}},
      {"A", "a1", "ref", "CHM", {}, {}, {}, {}},
      {"A", "a2", "exam", "EXE", "Pellorin.exe", "T1", {}, {}},
      {"B", "b1", "ref", "NOTHING", {}, {}, {}, {}},
  });
  Started s;
  ASSERT_FALSE(s.ended);
  auto* tree = s.main->tvwDB;
  ASSERT_EQ(tree->Count(), 3);
  EXPECT_EQ(tree->Item(2)->Text(), "A");
  EXPECT_EQ(tree->Item(2)->Key(), "A");
  EXPECT_EQ(tree->Item(2)->Tag, "LeftPanelTitle");
  EXPECT_EQ(tree->Item(2)->Image(), "closed");
  EXPECT_EQ(tree->Item(3)->Text(), "B");
  EXPECT_EQ(tree->Item(1)->Image(), "open");  // the root was expanded
  EXPECT_EQ(s.main->sbrDB->PanelCount(), 0);
  EXPECT_EQ(s.main->lvwDB->Count(), 0);

  s.main->tvwDB_NodeClick(s.Group("A"));
  EXPECT_EQ(s.main->lvwDB->Count(), 2);
  EXPECT_EQ(s.main->ShownGroupTitle, "A");
  EXPECT_EQ(s.main->sbrDB->PanelKey(1), "name");
  EXPECT_EQ(s.main->sbrDB->PanelText(1), "A");
  EXPECT_EQ(s.main->sbrDB->PanelKey(2), "number");
  EXPECT_EQ(s.main->sbrDB->PanelText(2), "2 section(s)");
  EXPECT_EQ(s.main->sbrDB->PanelAutoSize(1), platform::sbrContents);
  EXPECT_EQ(s.main->sbrDB->PanelAutoSize(2), platform::sbrSpring);
  platform::TreeNode* a1 = tree->ItemByKey("Aa1");
  ASSERT_NE(a1, nullptr);
  EXPECT_EQ(a1->Text(), "a1");
  EXPECT_EQ(a1->Tag, "RightTitle");
  EXPECT_EQ(a1->Image(), "leaf");
  EXPECT_EQ(s.main->lvwDB->ColumnHeaderCount(), 1);
  EXPECT_EQ(s.main->lvwDB->ColumnHeaderText(1), "   Section:");
  EXPECT_DOUBLE_EQ(s.main->lvwDB->ColumnHeaderWidth(1), 0.76 * platform::Width(s.main->lvwDB));

  s.main->tvwDB_NodeClick(s.Group("B"));
  EXPECT_EQ(s.main->sbrDB->PanelText(2), "1 section(s)");
  EXPECT_EQ(s.main->lvwDB->Item(1)->Text(), "b1");
}

TEST(Catalogue, SubItemsFollowTheNullPatternAndTheIcon) {
  fixture::AppFolder app({
      {"G", "full", "exam", "EXE", "Pellorin.exe", "T1", "x", "y"},
      {"G", "start and one", "ref", "EXE", "Varnok.exe", "Steps", {}, {}},
      {"G", "bare", "ref", "NOTHING", {}, {}, {}, {}},
  });
  Started s;
  s.main->tvwDB_NodeClick(s.Group("G"));
  auto* list = s.main->lvwDB;
  ASSERT_EQ(list->Count(), 3);
  platform::ListItem* full = list->ItemByKey("full");
  ASSERT_EQ(full->SubItemCount(), 6);
  EXPECT_EQ(full->SubItemKey(1), "doctype");
  EXPECT_EQ(full->SubItemText(1), "Test");
  EXPECT_EQ(full->SubItemText(2), "EXE");
  EXPECT_EQ(full->SubItemText(3), "Pellorin.exe");
  EXPECT_EQ(full->SubItemText(4), "T1");
  EXPECT_EQ(full->SubItemKey(6), "parameter3");
  EXPECT_EQ(full->Icon(), "exam");
  EXPECT_EQ(full->SmallIcon(), "smlexam");
  platform::ListItem* four = list->ItemByKey("start and one");
  ASSERT_EQ(four->SubItemCount(), 4);
  EXPECT_EQ(four->SubItemText(1), "Data");
  EXPECT_EQ(four->SubItemKey(4), "parameter1");
  EXPECT_EQ(list->ItemByKey("bare")->SubItemCount(), 2);
}

TEST(Catalogue, DuplicateSectionsAndUnknownIconsAreLeftOut) {
  fixture::AppFolder app({
      {"G", "same", "ref", "CHM", {}, {}, {}, {}},
      {"G", "same", "exam", "EXE", {}, {}, {}, {}},
      {"G", "odd icon", "nosuchicon", "CHM", {}, {}, {}, {}},
  });
  Started s;
  s.main->tvwDB_NodeClick(s.Group("G"));
  EXPECT_TRUE(s.responder.boxes.empty());
  ASSERT_EQ(s.main->lvwDB->Count(), 1);
  EXPECT_EQ(s.main->lvwDB->Item(1)->Icon(), "ref");
  // The odd row still has its tree node; the duplicate has none.
  EXPECT_EQ(s.Group("G")->Children(), 2);
  EXPECT_EQ(s.main->sbrDB->PanelText(2), "2 section(s)");
}

TEST(Catalogue, AGroupTitleWithAQuoteListsItsSections) {
  fixture::AppFolder app({{"Master's orders", "Standing orders", "ref", "CHM", {}, {}, {}, {}}});
  Started s;
  s.main->tvwDB_NodeClick(s.Group("Master's orders"));
  EXPECT_TRUE(s.responder.boxes.empty());
  ASSERT_EQ(s.main->lvwDB->Count(), 1);
  EXPECT_EQ(s.main->lvwDB->Item(1)->Text(), "Standing orders");
}

TEST(Catalogue, ExpandingAGroupClosesItAgainAndListsIt) {
  fixture::AppFolder app(Sample());
  Started s;
  platform::TreeNode* nav = s.Group("Navigation");
  s.main->tvwDB_NodeClick(nav);  // loads it: it has children now
  s.main->tvwDB_NodeClick(s.Group("Stability"));
  nav->SetExpanded(true);  // the expander
  QApplication::processEvents();
  EXPECT_FALSE(nav->Expanded());
  EXPECT_EQ(s.main->ShownGroupTitle, "Navigation");
  EXPECT_EQ(s.main->lvwDB->Count(), 2);
  EXPECT_EQ(s.main->sbrDB->PanelText(1), "Navigation");
  EXPECT_EQ(nav->Children(), 2);  // no second set of section nodes
}

TEST(Catalogue, ClickingTheListedGroupAgainOnlyRefreshesViewAndStatus) {
  fixture::AppFolder app(Sample());
  Started s;
  platform::TreeNode* nav = s.Group("Navigation");
  s.main->tvwDB_NodeClick(nav);
  platform::ListItem* first = s.main->lvwDB->Item(1);
  s.main->mnuViewIcons_Click(0);
  s.main->tvwDB_NodeClick(nav);
  EXPECT_EQ(s.main->lvwDB->Item(1), first);  // not listed again
  EXPECT_EQ(s.main->lvwDB->View(), platform::lvwReport);
  EXPECT_TRUE(s.main->mnuViewIcons[3]->isChecked());
}

TEST(ViewMenu, FontsAndASingleCheckMark) {
  fixture::AppFolder app(Sample());
  Started s;
  EXPECT_TRUE(s.main->mnuViewIcons[3]->isChecked());
  EXPECT_EQ(s.main->mnuViewIcons[0]->text(), "&Icons");
  EXPECT_EQ(s.main->mnuViewIcons[1]->text(), "&SmallIcons");
  EXPECT_EQ(s.main->mnuViewIcons[2]->text(), "&List");
  EXPECT_EQ(s.main->mnuViewIcons[2]->shortcut(), QKeySequence("Ctrl+L"));
  EXPECT_EQ(s.main->mnuViewIcons[3]->text(), "&Report");
  for (int index = 0; index < 4; ++index) {
    s.main->mnuViewIcons_Click(index);
    EXPECT_EQ(s.main->lvwDB->View(), index);
    int checked = 0;
    for (int i = 0; i < 4; ++i) checked += s.main->mnuViewIcons[i]->isChecked() ? 1 : 0;
    EXPECT_EQ(checked, 1);
    EXPECT_TRUE(s.main->mnuViewIcons[index]->isChecked());
    EXPECT_EQ(s.main->lvwDB->FontSize(), index == 0 ? 9 : 12);
    EXPECT_EQ(s.main->lvwDB->FontBold(), index != 0);
  }
}

TEST(List, TheHighlightFollowsThePointer) {
  fixture::AppFolder app(Sample());
  Started s;
  s.main->tvwDB_NodeClick(s.Group("Navigation"));
  auto* list = s.main->lvwDB;
  QListWidget* items = list->Items();
  const QRect r0 = items->visualItemRect(items->item(0));
  const QRect r1 = items->visualItemRect(items->item(1));
  auto twips = [&](const QPoint& p) {
    const QPoint c = items->viewport()->mapTo(list, p);
    return std::pair<double, double>(platform::PixelsToTwips(c.x()), platform::PixelsToTwips(c.y()));
  };
  auto [x0, y0] = twips(r0.center());
  s.main->lvwDB_MouseMove(0, 0, x0, y0);
  EXPECT_EQ(list->DropHighlight(), list->Item(1));
  auto [x1, y1] = twips(r1.center());
  s.main->lvwDB_MouseMove(0, 0, x1, y1);
  EXPECT_EQ(list->DropHighlight(), list->Item(2));
  EXPECT_TRUE(items->selectedItems().isEmpty());
  auto [xe, ye] = twips(QPoint(r1.center().x(), items->viewport()->height() - 2));
  s.main->lvwDB_MouseMove(0, 0, xe, ye);
  EXPECT_EQ(list->DropHighlight(), nullptr);
}

TEST(List, TheSelectedIconShowsItsWholeTitleOverTheCellBelow) {
  std::vector<Row> rows{{"G", "Keeping a good lookout in restricted visibility and heavy traffic", "ref", "CHM"}};
  for (int i = 1; i < 40; ++i) rows.push_back({"G", QString("S%1").arg(i), "ref", "CHM"});
  fixture::AppFolder app(rows);
  Started s;
  s.main->tvwDB_NodeClick(s.Group("G"));
  s.main->mnuViewIcons_Click(0);
  QListWidget* items = s.main->lvwDB->Items();
  const QRect cell = items->visualItemRect(items->item(0));
  const QRect band(cell.x(), cell.bottom() + 5, cell.width(), 8);  // the top of the icon below
  QListWidgetItem* below = items->itemAt(band.center());
  ASSERT_TRUE(below && below != items->item(0) && below != items->item(1));
  const QImage unselected = items->viewport()->grab(band).toImage();
  items->setCurrentRow(0);
  const auto lit = [&](const QColor& c) { return c == items->palette().color(QPalette::Highlight); };
  EXPECT_GT(testsupport::ShareOf(items->viewport()->grab(band).toImage(), lit), 0.2);
  EXPECT_EQ(items->itemAt(band.center()), items->item(0));
  items->setCurrentRow(1);
  EXPECT_EQ(items->viewport()->grab(band).toImage(), unselected);
  EXPECT_EQ(items->itemAt(band.center()), below);
}

TEST(List, ColumnClickSortsByTextTheSameWayTwice) {
  fixture::AppFolder app({
      {"G", "Charlie", "ref", "CHM", {}, {}, {}, {}},
      {"G", "alpha", "ref", "CHM", {}, {}, {}, {}},
      {"G", "Bravo", "ref", "CHM", {}, {}, {}, {}},
  });
  Started s;
  s.main->tvwDB_NodeClick(s.Group("G"));
  EXPECT_EQ(s.main->lvwDB->Item(1)->Text(), "Charlie");
  s.main->lvwDB_ColumnClick(1);
  EXPECT_EQ(s.main->lvwDB->SortKey(), 0);
  EXPECT_EQ(s.main->lvwDB->Item(1)->Text(), "alpha");
  EXPECT_EQ(s.main->lvwDB->Item(2)->Text(), "Bravo");
  s.main->lvwDB_ColumnClick(1);
  EXPECT_EQ(s.main->lvwDB->Item(1)->Text(), "alpha");
  EXPECT_TRUE(s.main->lvwDB->Sorted());
}

TEST(Layout, ArrangeControlsKeepsMarginsAndMinimums) {
  fixture::AppFolder app(Sample());
  Started s;
  frmMain& m = *s.main;
  m.SetWidth(12000);
  m.SetHeight(9000);
  platform::SetLeft(m.lblHorDrag, 3630);
  m.ArrangeControls();
  const double h = platform::RoundHalfEven(m.ScaleHeight() - platform::Height(m.sbrDB) - 40);
  EXPECT_EQ(platform::Height(m.tvwDB), h);
  EXPECT_EQ(platform::Height(m.lvwDB), h);
  EXPECT_EQ(platform::Height(m.lblHorDrag), h);
  EXPECT_EQ(platform::Left(m.tvwDB), 40);
  EXPECT_EQ(platform::Width(m.tvwDB), 3590);
  EXPECT_EQ(platform::Left(m.lvwDB), 3710);
  EXPECT_EQ(platform::Width(m.lvwDB), m.ScaleWidth() - 3710 - 40);
  EXPECT_EQ(platform::Top(m.lblHorDrag), 120);
  EXPECT_EQ(m.picI.size(), QSize(platform::TwipsToPixels(platform::Width(m.lvwDB)), platform::TwipsToPixels(h)));

  // A splitter restored at 300: the tree keeps 600, the list starts at the splitter.
  platform::SetLeft(m.lblHorDrag, 300);
  m.ArrangeControls();
  EXPECT_EQ(platform::Width(m.tvwDB), 600);
  EXPECT_EQ(platform::Left(m.lvwDB), 380);

  // Too small for the margins: 600 twips each way at least.
  m.SetWidth(2000);
  m.SetHeight(900);
  platform::SetLeft(m.lblHorDrag, 1800);
  m.ArrangeControls();
  EXPECT_EQ(platform::Height(m.tvwDB), 600);
  EXPECT_EQ(platform::Height(m.lblHorDrag), 600);
  EXPECT_EQ(platform::Width(m.lvwDB), 600);
}

TEST(Layout, TheSplitterDragsWithinItsLimitsAndDeadBand) {
  fixture::AppFolder app(Sample());
  Started s;
  frmMain& m = *s.main;
  m.SetWidth(12000);
  m.SetHeight(9000);
  platform::SetLeft(m.lblHorDrag, 3630);
  m.ArrangeControls();
  m.lblHorDrag_MouseMove(2, 0, 1000, 10);  // not the left button
  EXPECT_EQ(platform::Left(m.lblHorDrag), 3630);
  m.lblHorDrag_MouseMove(1, 0, 1000, 10);  // 3630 + 1000 - 40
  EXPECT_EQ(platform::Left(m.lblHorDrag), 4590);
  EXPECT_EQ(platform::Width(m.tvwDB), 4550);
  m.lblHorDrag_MouseMove(1, 0, 46, 10);  // a move of 6: nothing
  EXPECT_EQ(platform::Left(m.lblHorDrag), 4590);
  m.lblHorDrag_MouseMove(1, 0, 47, 10);  // 7
  EXPECT_EQ(platform::Left(m.lblHorDrag), 4597);
  m.lblHorDrag_MouseMove(1, 0, 1200 - 4597 + 40 - 1, 10);  // n = 1199
  EXPECT_EQ(platform::Left(m.lblHorDrag), 4597);
  m.lblHorDrag_MouseMove(1, 0, 1200 - 4597 + 40, 10);  // n = 1200
  EXPECT_EQ(platform::Left(m.lblHorDrag), 1200);
  const double right = m.ScaleWidth() - 1200;
  m.lblHorDrag_MouseMove(1, 0, right + 1 - 1200 + 40, 10);
  EXPECT_EQ(platform::Left(m.lblHorDrag), 1200);
  m.lblHorDrag_MouseMove(1, 0, right - 1200 + 40, 10);
  EXPECT_EQ(platform::Left(m.lblHorDrag), right);
}
