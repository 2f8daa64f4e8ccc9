// Recorded launches: while logging is on, a section runs from its "start" row
// to its "stop" row, the program started as a real process and waited for
// with the window live and no core spent; the excluded names, the presses
// that close their row without running, and the failures of a "stop".
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <sys/resource.h>

#include "ArgsProbe.h"
#include "StudyFixture.h"
#include "platform/system/Drives.h"
#include "platform/values/VbError.h"

using namespace frontend;
using fixture::Row;
using fixture::StudyRow;
using testsupport::ArgsProbe;

namespace {

const QString kCrLf = "\r\n";

std::vector<Row> Sections() {
  return {{"Navigation", "Radar plotting", "ref", "EXE", "Tests\\Plotter.exe", "", "A", "B"},
          {"Navigation", "Gone", "ref", "EXE", "Tests\\Gone.exe", {}, {}, {}},
          {"Navigation", "Soon", "stop", "NOTHING", {}, {}, {}, {}},
          {"Navigation", "Lookout video", "ref", "VIDEO_INT", "Videos\\lookout.mpg", {}, {}, {}},
          {"Navigation", "Buoyage animation", "ref", "ANI", "Anim\\buoyage.htm", {}, {}, {}},
          {"Navigation", "Lost animation", "ref", "ANI", "Anim\\lost.htm", {}, {}, {}},
          {"Navigation", "Bridge book", "ref", "CHM", "Books\\Bridge.chm", {}, {}, {}},
          {"Navigation", "Guide", "ref", "PDF", "Docs\\Guide.pdf", {}, {}, {}},
          {"Navigation", "Passage pack", "ref", "WEBPACK", "WebPack\\pack.exe", "cargo plan.htm", {}, {}},
          {"Navigation", "Index pack", "ref", "WEBPACK", "WebPack\\pack.exe", {}, {}, {}}};
}

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void Touch(const QString& path) {
  QDir().mkpath(QFileInfo(path).path());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("content");
}

class RecordedLaunch : public fixture::StudyWindow, public platform::VolumeSource {
 protected:
  void SetUp() override {
    StudyWindow::SetUp();
    platform::SetVolumeSource(this);
  }
  void TearDown() override {
    StudyWindow::TearDown();
    platform::SetVolumeSource(nullptr);
  }
  std::vector<platform::Volume> Volumes() override { return {}; }

  void StartLoggedOn(const std::vector<Row>& rows = Sections(), const QString& group = "Navigation") {
    Start(rows, group);
    LogOn("Smith John");
    ASSERT_TRUE(main->LoggingOn);
  }
  std::vector<StudyRow> Rows() const { return fixture::ReadStudyRows(Study()); }
  void ExpectCommonEnd() const {
    EXPECT_EQ(main->MousePointer(), 0);
    EXPECT_EQ(main->lvwDB->ToolTipText(), "");
    EXPECT_FALSE(main->SectionRecording);
  }
  // Runs `act` once, after ms, while the press waits.
  static void During(int ms, std::function<void()> act) {
    QTimer::singleShot(ms, [act = std::move(act)] { act(); });
  }
};

}  // namespace

TEST_F(RecordedLaunch, AProgramRunsFromItsStartRowToItsStopRowWhileTheWindowStaysLive) {
  StartLoggedOn();
  ArgsProbe probe(Path("Tests/Plotter"), 0, 1.5);
  int ticks = 0;
  QTimer live;
  QObject::connect(&live, &QTimer::timeout, [&] { ++ticks; });
  live.start(50);
  std::vector<StudyRow> meanwhile;
  During(700, [&] {
    meanwhile = Rows();
    Press("Soon");  // a second section is refused while this one runs
  });
  const double cpuBefore = CpuSeconds();
  QElapsedTimer wall;
  wall.start();
  Press("Radar plotting");
  const double seconds = wall.elapsed() / 1000.0;
  const double cpu = CpuSeconds() - cpuBefore;

  EXPECT_TRUE(probe.Ran());
  EXPECT_EQ(probe.Arguments(), QStringList{" A B"});
  EXPECT_GE(seconds, 1.5);
  EXPECT_GE(ticks, static_cast<int>(seconds * 20 / 2)) << "the event loop stalled while waiting";
  EXPECT_LT(cpu, 0.2 * seconds) << cpu << " s of CPU in " << seconds << " s";

  ASSERT_EQ(meanwhile.size(), 1u);
  EXPECT_EQ(meanwhile[0].person.ToText(), "Smith John");
  EXPECT_EQ(meanwhile[0].section.ToText(), "Navigation - Radar plotting");
  EXPECT_TRUE(meanwhile[0].timeOut.IsNull());
  ASSERT_EQ(responder.boxes.size(), 1u);
  EXPECT_EQ(responder.boxes[0].title, "Logging mode - Unable to start a second section");

  const auto rows = Rows();
  ASSERT_EQ(rows.size(), 1u);  // the refused press wrote nothing
  const double studied = (rows[0].timeOut.ToDateSerial() - rows[0].timeIn.ToDateSerial()) * 86400;
  EXPECT_GE(studied, 1.4);
  EXPECT_LE(studied, seconds + 0.5);
  EXPECT_EQ(main->CurrentSectionName, "Navigation - Radar plotting");
  EXPECT_TRUE(main->RecordStopped);
  EXPECT_FALSE(main->tmrClockValidity->Enabled());
  ExpectCommonEnd();
}

TEST_F(RecordedLaunch, AGuardThatStopsTheRecordMeanwhileLeavesTheLauncherNothingToWrite) {
  StartLoggedOn();
  FixClock(QDateTime(QDate(2024, 3, 15), QTime(9, 30, 0)));
  ArgsProbe probe(Path("Tests/Plotter"), 0, 0.8);
  const double lastGood = NowSerial();
  During(300, [this] {
    main->tmrClockValidity->Fire();
    now = now.addSecs(15 * 60);  // the clock is set forward while the section runs
    main->tmrClockValidity->Fire();
  });
  Press("Radar plotting");
  ASSERT_EQ(responder.boxes.size(), 1u);
  EXPECT_EQ(responder.boxes[0].title, " Clock error");
  const auto rows = Rows();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_DOUBLE_EQ(rows[0].timeIn.ToDateSerial(), lastGood);
  EXPECT_DOUBLE_EQ(rows[0].timeOut.ToDateSerial(), lastGood);
  ExpectCommonEnd();
}

TEST_F(RecordedLaunch, ExcludedSectionNamesInAnyCaseAreNotRecorded) {
  const std::vector<Row> rows = {{"Misc", "Self ASSESSMENT one", "stop", "NOTHING", {}, {}, {}, {}},
                                 {"Misc", "Assessors corner", "stop", "NOTHING", {}, {}, {}, {}},
                                 {"Misc", "DEMO - short test", "stop", "NOTHING", {}, {}, {}, {}},
                                 {"Misc", "The Reporting System (web)", "stop", "NOTHING", {}, {}, {}, {}},
                                 {"Misc", "Demonstration", "stop", "NOTHING", {}, {}, {}, {}},
                                 {"Misc", "Reporting system", "stop", "NOTHING", {}, {}, {}, {}},
                                 {"assessment tools", "Intro", "stop", "NOTHING", {}, {}, {}, {}}};
  StartLoggedOn(rows, "Misc");
  for (const char* section : {"Self ASSESSMENT one", "Assessors corner", "DEMO - short test",
                              "The Reporting System (web)"})
    Press(section);
  main->tvwDB_NodeClick(main->tvwDB->ItemByKey("assessment tools"));
  Press("Intro");  // the group's name counts too
  EXPECT_TRUE(Rows().empty());
  EXPECT_EQ(main->CurrentSectionName, "");
  EXPECT_EQ(responder.boxes.size(), 5u);

  main->tvwDB_NodeClick(main->tvwDB->ItemByKey("Misc"));
  Press("Demonstration");
  Press("Reporting system");
  const auto recorded = Rows();
  ASSERT_EQ(recorded.size(), 2u);
  EXPECT_EQ(recorded[0].section.ToText(), "Misc - Demonstration");
  EXPECT_EQ(recorded[1].section.ToText(), "Misc - Reporting system");
}

TEST_F(RecordedLaunch, LaunchesThatFailCloseTheirRowsAsThePressEndsAndNothingLeavesItsOpen) {
  StartLoggedOn();
  FixClock(QDateTime(QDate(2024, 3, 15), QTime(9, 30, 0)));
  Press("Soon");
  ExpectBox(0, "Sorry, this option is not available.", 48, " Not available");
  ExpectCommonEnd();
  EXPECT_FALSE(main->RecordStopped);
  EXPECT_TRUE(main->tmrClockValidity->Enabled());  // the open record is still guarded
  Press("Gone");
  ExpectBox(1, "The specified file was not found.", 48, " Error");
  ExpectCommonEnd();
  Touch(Path("Docs/Guide.pdf"));
  Press("Guide");  // no application for the type
  ExpectBox(2, "There is no application associated with the given file name extension.", 48, " Error");
  ExpectCommonEnd();
  const auto rows = Rows();
  ASSERT_EQ(rows.size(), 3u);
  const QStringList sections = {"Navigation - Soon", "Navigation - Gone", "Navigation - Guide"};
  EXPECT_TRUE(rows[0].timeOut.IsNull());
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].section.ToText(), sections[static_cast<int>(i)]);
    if (i > 0) EXPECT_DOUBLE_EQ(rows[i].timeOut.ToDateSerial(), NowSerial()) << i;  // no study time
    EXPECT_DOUBLE_EQ(rows[i].timeIn.ToDateSerial(), NowSerial()) << i;
  }
  EXPECT_EQ(responder.boxes.size(), 3u);
}

TEST_F(RecordedLaunch, AGroupChosenFromTheKeyboardIsListedAndNamesTheRow) {
  std::vector<Row> rows = Sections();
  rows.push_back({"Stability", "Trim tables", "stop", "NOTHING", {}, {}, {}, {}});
  StartLoggedOn(rows);
  QTest::keyClick(main->tvwDB, Qt::Key_Down);
  EXPECT_EQ(main->tvwDB->SelectedItem()->Text(), "Stability");
  ASSERT_EQ(main->lvwDB->Count(), 1);
  EXPECT_EQ(main->sbrDB->PanelText(1), "Stability");
  Press("Trim tables");
  ASSERT_EQ(Rows().size(), 1u);
  EXPECT_EQ(Rows()[0].section.ToText(), "Stability - Trim tables");
  // Enter lists the node the selection rests on.
  main->tvwDB->ItemByKey("Navigation")->SetSelected(true);
  QTest::keyClick(main->tvwDB, Qt::Key_Return);
  EXPECT_EQ(main->ShownGroupTitle, "Navigation");
}

TEST_F(RecordedLaunch, HelpBooksDocumentsAndWebPacksStartTheirApplicationsAndCloseTheirRows) {
  StartLoggedOn();
  Touch(Path("Books/Bridge.chm"));
  Touch(Path("Docs/Guide.pdf"));
  ArgsProbe desktopViewer(Path("viewer"), 0, 0.3);
  viewer = desktopViewer.Path();
  ArgsProbe pack(Path("WebPack/pack"), 0, 0.3);

  Press("Bridge book");
  EXPECT_TRUE(desktopViewer.Ran());
  EXPECT_EQ(desktopViewer.Arguments(), QStringList{Path("Books/Bridge.chm")});
  EXPECT_EQ(desktopViewer.WorkingFolder(), Path("Books"));
  desktopViewer.Forget();
  Press("Guide");
  EXPECT_TRUE(desktopViewer.Ran());
  EXPECT_EQ(desktopViewer.Arguments(), QStringList{Path("Docs/Guide.pdf")});
  // A page with a blank is quoted once, like any other page.
  Press("Passage pack");
  EXPECT_TRUE(pack.Ran());
  EXPECT_EQ(pack.Arguments(), QStringList{"\"cargo plan.htm\""});
  EXPECT_EQ(pack.WorkingFolder(), Path("WebPack"));
  pack.Forget();
  Press("Index pack");
  EXPECT_TRUE(pack.Ran());
  EXPECT_EQ(pack.Arguments(), QStringList{"\"tkb300565.htm\""});

  EXPECT_TRUE(responder.boxes.empty());
  const auto rows = Rows();
  ASSERT_EQ(rows.size(), 4u);
  const QStringList sections = {"Navigation - Bridge book", "Navigation - Guide", "Navigation - Passage pack",
                                "Navigation - Index pack"};
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].section.ToText(), sections[static_cast<int>(i)]);
    ASSERT_FALSE(rows[i].timeOut.IsNull()) << i;
    EXPECT_GE((rows[i].timeOut.ToDateSerial() - rows[i].timeIn.ToDateSerial()) * 86400, 0.25) << i;
  }
  ExpectCommonEnd();
}

TEST_F(RecordedLaunch, AStopThatIsRefusedIsReportedInEachWording) {
  StartLoggedOn();
  ArgsProbe probe(Path("Tests/Plotter"), 0, 0.6);
  auto closeElsewhere = [this] {
    fixture::ExecuteOnStudy(Study(), "UPDATE StudyList SET TimeOut = ? WHERE TimeOut IS NULL",
                            {platform::Variant::Date(45000)});
  };
  During(300, closeElsewhere);
  Press("Radar plotting");
  ExpectBox(0, "Recording error due to technical problem", 16, "Recording error");
  ExpectCommonEnd();

  Touch(Path("Books/Bridge.chm"));
  ArgsProbe desktopViewer(Path("viewer"), 0, 0.6);
  viewer = desktopViewer.Path();
  During(300, closeElsewhere);
  Press("Bridge book");
  ExpectBox(1, "Recording error due to a technical problem", 16, "Recording error");
  EXPECT_EQ(responder.boxes.size(), 2u);
  for (const StudyRow& row : Rows()) EXPECT_DOUBLE_EQ(row.timeOut.ToDateSerial(), 45000);
}

TEST_F(RecordedLaunch, AStudyTableEmptiedDuringTheSectionReachesTheLaunchersHandling) {
  StartLoggedOn();
  ArgsProbe probe(Path("Tests/Plotter"), 0, 0.6);
  During(300, [this] { fixture::ExecuteOnStudy(Study(), "DELETE FROM StudyList"); });
  Press("Radar plotting");
  ASSERT_EQ(responder.boxes.size(), 1u);
  ExpectBox(0, platform::ErrorDescription(platform::err::NoCurrentRecord), 48, " Error");
  ExpectCommonEnd();
  EXPECT_TRUE(main->IsLoaded());
}

TEST_F(RecordedLaunch, MoviesGetTheirStopFoundOrNotAndAnimationsOnceClosedOrNotFound) {
  StartLoggedOn();
  Press("Lookout video");
  ExpectBox(0, "Sorry, the specified movie was not found.", 48, " Error");
  Press("Lost animation");
  ExpectBox(1, "Sorry, the specified animation was not found.", 48, " Error");
  auto rows = Rows();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_FALSE(rows[0].timeOut.IsNull());
  EXPECT_FALSE(rows[1].timeOut.IsNull());  // closed as the press ends

  Touch(Path("Anim/buoyage.htm"));
  std::vector<StudyRow> whileShown;
  auto* poll = new QTimer(main.get());
  QObject::connect(poll, &QTimer::timeout, [&, poll] {
    frmBrowser& browser = main->BrowserForm();
    if (!browser.IsShownModal()) return;
    poll->stop();
    poll->deleteLater();
    whileShown = Rows();
    browser.close();
  });
  poll->start(20);
  Press("Buoyage animation");
  ASSERT_EQ(whileShown.size(), 3u);
  EXPECT_TRUE(whileShown[2].timeOut.IsNull());
  rows = Rows();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[2].section.ToText(), "Navigation - Buoyage animation");
  EXPECT_FALSE(rows[2].timeOut.IsNull());
  EXPECT_EQ(responder.boxes.size(), 2u);
  ExpectCommonEnd();
}
