#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "platform/forms/Dialogs.h"
#include "platform/system/Paths.h"
#include "platform/forms/Program.h"

using namespace platform;

TEST(Paths, BackslashesBecomeSeparatorsAndNamesMatchWithoutCase) {
  EXPECT_EQ(NativePath("QVRV5_OOW\\Corvanta.chm"), "QVRV5_OOW/Corvanta.chm");
  QTemporaryDir dir;
  QDir(dir.path()).mkpath("QVRV5_OOW/db");
  QFile f(dir.path() + "/QVRV5_OOW/Corvanta.chm");
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.close();
  EXPECT_EQ(ResolvePath(dir.path() + "\\qvrv5_oow\\CORVANTA.CHM"), dir.path() + "/QVRV5_OOW/Corvanta.chm");
  EXPECT_EQ(ResolvePath(dir.path() + "/QVRV5_OOW/Corvanta.chm"), dir.path() + "/QVRV5_OOW/Corvanta.chm");
  EXPECT_EQ(ResolvePath(dir.path() + "/qvrv5_oow/missing.chm"), dir.path() + "/qvrv5_oow/missing.chm");
}

TEST(Program, AppFolderCutsTrailingBlanksAndOneSeparator) {
  EXPECT_EQ(AppFolderFrom("/opt/qvr"), "/opt/qvr");
  EXPECT_EQ(AppFolderFrom("/opt/qvr/  "), "/opt/qvr");
  EXPECT_EQ(AppFolderFrom("/"), "");
  EXPECT_EQ(AppFolderFrom("C:\\"), "C:");
}

TEST(Program, CommandLineKeepsTheWholeArgumentText) {
  char prog[] = "Pellorin";
  char arg[] = " A  B ";
  char* argv[] = {prog, arg};
  EXPECT_EQ(CommandLine(2, argv), " A  B ");
  EXPECT_EQ(CommandLine(1, argv), "");
}

TEST(Program, EndRunsTheTestHandlerAndStopsTheCaller) {
  testsupport::EndCatcher catcher;
  bool after = false;
  EXPECT_THROW(
      {
        End();
        after = true;
      },
      ProgramEnded);
  EXPECT_FALSE(after);
  EXPECT_EQ(catcher.ends, 1);
}

TEST(Dialogs, ResponderRecordsBoxesAndAnswersFromItsScript) {
  testsupport::ScriptedResponder responder;
  SetApplicationTitle("QVRV 5");
  responder.answers = {vbNo};
  EXPECT_EQ(MsgBox("Do you really want to quit the test?", vbYesNo + vbQuestion, "Confirm test end"), vbNo);
  EXPECT_EQ(MsgBox("x", vbYesNo), vbYes);
  EXPECT_EQ(MsgBox("The volume", vbOKOnly), vbOK);
  ASSERT_EQ(responder.boxes.size(), 3u);
  EXPECT_EQ(responder.boxes[0].style, 36);
  EXPECT_EQ(responder.boxes[0].title, "Confirm test end");
  EXPECT_EQ(responder.boxes[2].title, "QVRV 5");
  responder.files = {"/tmp/x.mdb"};
  EXPECT_EQ(ShowOpenDialog({"Can't Find a.mdb", "(*.*)|*.*", ""}), "/tmp/x.mdb");
  EXPECT_EQ(ShowOpenDialog({"again", "", ""}), "");
  EXPECT_EQ(responder.fileRequests[0].title, "Can't Find a.mdb");
}

TEST(Dialogs, TheFileDialogOpensWideEnoughToShowItsColumns) {
  QTemporaryDir dir;
  QFile file(dir.filePath("QVRV 5 - Mates Masters.mdb"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.resize(1536 * 1024));
  bool seen = false;
  QTimer look;  // the dialog is modal: it is looked at from the event loop it runs
  QObject::connect(&look, &QTimer::timeout, [&] {
    QWidget* dialog = QApplication::activeModalWidget();
    if (!dialog || std::exchange(seen, true)) return;
    auto* tree = dialog->findChild<QTreeView*>();
    EXPECT_EQ(tree->model()->rowCount(tree->rootIndex()), 1);
    for (int c = 1; c < tree->header()->count(); ++c)
      EXPECT_GE(tree->header()->sectionSize(c), static_cast<QAbstractItemView*>(tree)->sizeHintForColumn(c)) << c;
    EXPECT_LE(tree->header()->length(), tree->viewport()->width());
    dialog->close();
  });
  look.start(10);
  EXPECT_TRUE(ShowOpenDialog({"Can't Find a.mdb", "(*.*)|*.*", dir.filePath("a.mdb")}).isEmpty() && seen);
}

TEST(Dialogs, FiltersBecomeQtFilters) {
  // The dialog shows the part before the last brackets: the description as given.
  EXPECT_EQ(QtFilterFromVb("(*.MDB)|*.mdb"), "(*.MDB) (*.mdb)");
  EXPECT_EQ(QtFilterFromVb("(*.*)|*.*"), "(*.*) (*)");
  EXPECT_EQ(QtFilterFromVb("Text|*.txt;*.log|All|*.*"), "Text (*.txt *.log);;All (*)");
  EXPECT_TRUE(FilterShows("(*.*)|*.*", "Corvanta"));
  EXPECT_TRUE(FilterShows("(*.MDB)|*.mdb", "TKBTraining.MDB"));
  EXPECT_FALSE(FilterShows("(*.MDB)|*.mdb", "Varnok"));
}
