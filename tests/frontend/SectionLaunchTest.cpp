#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "frontend/SectionLaunch.h"
#include "platform/system/Drives.h"
#include "platform/values/VbError.h"

using namespace frontend;
using platform::Volume;

TEST(SectionLaunch, ArgumentsJoinTheParametersWithOneBlankEach) {
  EXPECT_EQ(ComposeArguments("", "A", "B"), " A B");
  EXPECT_EQ(ComposeArguments("", "A", "B").size(), 4);
  EXPECT_EQ(ComposeArguments("X", "", "Y"), "X Y");
  EXPECT_EQ(ComposeArguments("", "", ""), "");
  EXPECT_EQ(ComposeArguments("T0001", "", ""), "T0001");
  EXPECT_EQ(ComposeArguments("T0001", "peek", ""), "T0001 peek");
  // Nothing is trimmed or quoted.
  EXPECT_EQ(ComposeArguments(" Steps ", "a b", "\"c\""), " Steps  a b \"c\"");
}

TEST(SectionLaunch, APageDefaultsToTheIndexAndIsQuotedWhenItHoldsABlank) {
  EXPECT_EQ(ComposePage(""), "tkb300565.htm");
  EXPECT_EQ(ComposePage("cargo.htm"), "cargo.htm");
  EXPECT_EQ(ComposePage("cargo handling.htm"), "\"cargo handling.htm\"");
}

TEST(SectionLaunch, PathsOfASectionAtTheRootAndInNestedFolders) {
  SectionPaths p = ComposeSectionPaths("", "Tests\\prog.exe");
  EXPECT_EQ(p.folder, "/");
  EXPECT_EQ(p.fullPath, "/Tests/prog.exe");
  EXPECT_EQ(p.workingFolder, "/Tests");
  EXPECT_EQ(p.fileName, "prog.exe");
  p = ComposeSectionPaths("", "a.pdf");
  EXPECT_EQ(p.fullPath, "/a.pdf");
  EXPECT_EQ(p.workingFolder, "");  // the drive-root case: no separator left
  EXPECT_EQ(p.fileName, "a.pdf");
  p = ComposeSectionPaths("/opt/qvr", "QVRV5_OOW\\Docs\\Guide.pdf");
  EXPECT_EQ(p.folder, "/opt/qvr/");
  EXPECT_EQ(p.fullPath, "/opt/qvr/QVRV5_OOW/Docs/Guide.pdf");
  EXPECT_EQ(p.workingFolder, "/opt/qvr/QVRV5_OOW/Docs");
  EXPECT_EQ(p.fileName, "Guide.pdf");
  p = ComposeSectionPaths("/opt/qvr", "");
  EXPECT_EQ(p.fullPath, "/opt/qvr/");
  EXPECT_EQ(p.workingFolder, "/opt/qvr");
  EXPECT_EQ(p.fileName, "");
}

TEST(SectionLaunch, ShellResultsOfThirtyTwoOrLessBecomeMessages) {
  EXPECT_EQ(ShellResultMessage(2), "The specified file was not found.");
  EXPECT_EQ(ShellResultMessage(3), "Path not found");
  EXPECT_EQ(ShellResultMessage(27), "Incomplete or invalid file association");
  EXPECT_EQ(ShellResultMessage(31), "There is no application associated with the given file name extension.");
  EXPECT_EQ(ShellResultMessage(32), "DLL not found");
  EXPECT_EQ(ShellResultMessage(0), "Unknown error");
  EXPECT_EQ(ShellResultMessage(1), "Unknown error");
  EXPECT_EQ(ShellResultMessage(9), "Unknown error");
  EXPECT_EQ(ShellResultMessage(-5), "Unknown error");
  EXPECT_EQ(ShellResultMessage(33), "");
  EXPECT_EQ(ShellResultMessage(999), "");

  testsupport::ScriptedResponder responder;
  for (int result : {31, 0, 1, 33, 42, 999, 3}) ShowShellResult(result);
  ASSERT_EQ(responder.boxes.size(), 4u);
  EXPECT_EQ(responder.boxes[0].prompt, "There is no application associated with the given file name extension.");
  EXPECT_EQ(responder.boxes[0].style, 48);
  EXPECT_EQ(responder.boxes[0].title, " Error");
  EXPECT_EQ(responder.boxes[1].prompt, "Unknown error");
  EXPECT_EQ(responder.boxes[2].prompt, "Unknown error");
  EXPECT_EQ(responder.boxes[3].prompt, "Path not found");
}

TEST(SectionLaunch, AssessmentsDemosAndReportsAreNotRecorded) {
  EXPECT_FALSE(IsRecordedSection("Tests - Self Assessment 1"));
  EXPECT_FALSE(IsRecordedSection("Users - ASSESSORS guide"));
  EXPECT_FALSE(IsRecordedSection("Movies - Demo - Radar"));
  EXPECT_FALSE(IsRecordedSection("Users - Reporting System (web)"));
  EXPECT_TRUE(IsRecordedSection("Navigation - Radar plotting"));
  EXPECT_TRUE(IsRecordedSection("Movies - demo-Radar"));
  EXPECT_TRUE(IsRecordedSection("Users - Reporting system"));
}

namespace {

// Volumes made of short folders, so that four of them fill the 64-character
// drive list exactly as sixteen "C:\" drives do.
class MovieSearch : public ::testing::Test, public platform::VolumeSource {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    ASSERT_EQ(dir.path().size(), 12);
    platform::SetVolumeSource(this);
  }
  void TearDown() override { platform::SetVolumeSource(nullptr); }
  std::vector<Volume> Volumes() override { return volumes; }

  QString Root(const QString& name) const { return dir.path() + "/" + name + "/"; }
  void AddHard(const QString& name) {
    QDir(dir.path()).mkpath(name);
    volumes.push_back({dir.path() + "/" + name, "/dev/sd" + name, "ext4"});
  }
  void AddOptical(const QString& name, bool disc = true) {
    if (disc) QDir(dir.path()).mkpath(name);  // no disc: the mount point has gone
    volumes.push_back({dir.path() + "/" + name, "/dev/sr" + name, "iso9660"});
  }
  QString PutMovie(const QString& name) {
    QDir(Root(name)).mkpath("TarrowbyVid");
    const QString path = Root(name) + "TarrowbyVid/Mooring.mpg";
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    return path;
  }
  QString Find() { return FindMovie(dir.path() + "/app/QVRV5_OOW/Movies/Mooring.mpg", "Mooring.mpg"); }
  int ErrorOfFind() {
    try {
      Find();
    } catch (const platform::VbError& e) {
      return e.Number();
    }
    return 0;
  }

  QTemporaryDir dir{"/tmp/mXXXXXX"};
  std::vector<Volume> volumes;
};

}  // namespace

TEST_F(MovieSearch, TheApplicationFolderComesFirst) {
  QDir(dir.path()).mkpath("app/QVRV5_OOW/Movies");
  QFile f(dir.path() + "/app/QVRV5_OOW/Movies/Mooring.mpg");
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  AddHard("a");
  PutMovie("a");
  EXPECT_EQ(Find(), dir.path() + "/app/QVRV5_OOW/Movies/Mooring.mpg");
}

TEST_F(MovieSearch, HardVolumesInListOrderThenOpticalOnesLast) {
  AddOptical("c");
  PutMovie("c");
  AddHard("a");
  AddHard("b");
  const QString onB = PutMovie("b");
  AddHard("d");
  PutMovie("d");
  EXPECT_EQ(Find(), onB);
  QFile::remove(onB);
  EXPECT_EQ(Find(), Root("d") + "TarrowbyVid/Mooring.mpg");
  QFile::remove(Root("d") + "TarrowbyVid/Mooring.mpg");
  EXPECT_EQ(Find(), Root("c") + "TarrowbyVid/Mooring.mpg");
}

TEST_F(MovieSearch, OnlyTheFirstOpticalVolumeIsSearched) {
  AddOptical("c");
  AddOptical("e");
  PutMovie("e");
  AddHard("a");
  EXPECT_EQ(Find(), "");
}

TEST_F(MovieSearch, AnOpticalDriveWithoutADiscPassesToTheNextOne) {
  AddOptical("c", false);
  AddOptical("e");
  const QString onE = PutMovie("e");
  EXPECT_EQ(Find(), onE);
  QFile::remove(onE);
  EXPECT_EQ(Find(), "");  // the second drive has a disc, without the movie
}

TEST_F(MovieSearch, NoDiscInTheLastOpticalDriveReachesTheCaller) {
  AddHard("a");
  AddOptical("c", false);
  AddOptical("e", false);
  EXPECT_EQ(ErrorOfFind(), 52);
}

TEST_F(MovieSearch, AHardVolumeThatCannotBeReadStopsTheWalk) {
  volumes.push_back({dir.path() + "/gone", "/dev/sdz", "ext4"});
  AddHard("a");
  PutMovie("a");
  EXPECT_EQ(ErrorOfFind(), 52);
}

TEST_F(MovieSearch, ADriveListLongerThanSixtyFourCharactersIsNotWalked) {
  AddHard("a");
  AddHard("b");
  AddHard("d");
  AddOptical("c");
  PutMovie("a");
  ASSERT_EQ(Find(), Root("a") + "TarrowbyVid/Mooring.mpg");  // 4 x 16 characters: walked
  AddHard("f");
  EXPECT_EQ(Find(), "");
}
