// The section launcher driven through the main window: real programs started
// with their exact argument text, documents handed to a recorded stand-in for
// the desktop, movies looked for on stand-in volumes, pages shown in the
// web-page window, and every message of a press.
#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>

#include "ArgsProbe.h"
#include "SampleMovie.h"
#include "CatalogFixture.h"
#include "StudyFixture.h"
#include "TestSupport.h"
#include "frontend/Global.h"
#include "frontend/SectionLaunch.h"
#include "frontend/frmMain.h"
#include "platform/system/Drives.h"
#include "platform/media/MediaControl.h"
#include "platform/system/Shell.h"
#include "platform/forms/Twips.h"
#include "platform/values/VbError.h"

using namespace frontend;
using fixture::Row;
using testsupport::ArgsProbe;

namespace {

const QString kCrLf = "\r\n";

void Touch(const QString& path) {
  QDir().mkpath(QFileInfo(path).path());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("content");
}

// Acts on the window once it is shown and `ready` holds.
void WhenShown(QWidget* window, std::function<bool()> ready, std::function<void()> act) {
  auto* timer = new QTimer;
  auto deadline = std::make_shared<QDeadlineTimer>(30000);
  QObject::connect(timer, &QTimer::timeout, [=] {
    if ((window->isVisible() && ready()) || deadline->hasExpired()) {
      timer->stop();
      timer->deleteLater();
      if (!deadline->hasExpired()) act();
    }
  });
  timer->start(20);
}

// Acts on the first shown window of that name once `ready` holds for it.
void WhenShown(const QString& name, std::function<bool(QWidget*)> ready, std::function<void(QWidget*)> act) {
  auto* timer = new QTimer;
  auto deadline = std::make_shared<QDeadlineTimer>(30000);
  QObject::connect(timer, &QTimer::timeout, [=] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (w->objectName() == name && w->isVisible() && ready(w)) {
        timer->stop();
        timer->deleteLater();
        act(w);
        return;
      }
    }
    if (deadline->hasExpired()) {
      timer->stop();
      timer->deleteLater();
    }
  });
  timer->start(20);
}

class Launcher : public ::testing::Test,
                 public platform::VolumeSource,
                 public platform::DesktopApplications {
 protected:
  void Start(const std::vector<Row>& rows, const QString& group) {
    app = std::make_unique<fixture::AppFolder>(rows);
    platform::MciSetAudioOutput(QStringLiteral("null"));
    platform::SetVolumeSource(this);
    platform::SetDesktopApplications(this);
    main = std::make_unique<frmMain>();
    main->Show();
    QApplication::processEvents();
    main->tvwDB_NodeClick(main->tvwDB->ItemByKey(group));
    // The pause itself is the wait window's own test; here it only counts.
    frmWait& wait = main->WaitForm();
    wait.tmrWait->SetInterval(50);
    const auto tick = wait.tmrWait->OnTimer;
    wait.tmrWait->OnTimer = [this, tick] {
      ++waits;
      tick();
    };
  }

  void TearDown() override {
    if (main && main->IsLoaded()) {
      try {
        main->Unload();
      } catch (const platform::ProgramEnded&) {
      }
    }
    main.reset();
    platform::SetVolumeSource(nullptr);
    platform::SetDesktopApplications(nullptr);
  }

  // platform::VolumeSource
  std::vector<platform::Volume> Volumes() override { return volumes; }
  // platform::DesktopApplications
  QStringList OpenCommand(const QString& file) override {
    opened << file;
    if (viewer.isEmpty()) return {};
    return {viewer, file};
  }

  QString Path(const QString& relative) const { return app->path() + "/" + relative; }

  // Logs on through the Users menu, over an empty study database.
  void LogOn(const QString& name) {
    fixture::WriteStudyDatabase(fixture::StudyPath(app->path()));
    responder.promptAnswers.push_back({name});
    main->mnuUsersLogOn_Click();
    ASSERT_TRUE(main->LoggingOn);
  }

  std::pair<double, double> Centre(const QString& section) const {
    QListWidget* items = main->lvwDB->Items();
    const QRect r = items->visualItemRect(items->item(main->lvwDB->ItemByKey(section)->Index() - 1));
    const QPoint c = items->viewport()->mapTo(main->lvwDB, r.center());
    return {platform::PixelsToTwips(c.x()), platform::PixelsToTwips(c.y())};
  }

  // The pointer moves onto the item (which highlights it), then a button goes down.
  void Press(const QString& section, int button = 1) {
    const auto [x, y] = Centre(section);
    main->lvwDB_MouseMove(0, 0, x, y);
    main->lvwDB_MouseDown(button, 0, x, y);
  }

  // Closes the movie player with its Close button once it is up, noting the movie it was given.
  void CloseThePlayerWhenShown(QString& played) {
    movieplayer::frmMoviePlayer* player = &main->MoviePlayerForm();
    WhenShown(
        player, [player] { return player->IsShownModal(); },
        [this, player, &played] {
          played = player->MoviePath;
          playerOver = player->windowType() == Qt::Dialog ? player->windowHandle()->transientParent() : nullptr;
          QTest::mouseClick(player->CmdClose, Qt::LeftButton);
        });
  }

  void ExpectCommonEnd() const {
    EXPECT_EQ(main->MousePointer(), 0);
    EXPECT_EQ(main->lvwDB->ToolTipText(), "");
    EXPECT_FALSE(main->SectionRecording);
  }

  void ExpectOneBox(const QString& prompt, int style, const QString& title) const {
    ASSERT_EQ(responder.boxes.size(), 1u);
    EXPECT_EQ(responder.boxes[0].prompt, prompt);
    EXPECT_EQ(responder.boxes[0].style, style);
    EXPECT_EQ(responder.boxes[0].title, title);
  }

  testsupport::ScriptedResponder responder;
  testsupport::EndCatcher catcher;
  std::unique_ptr<fixture::AppFolder> app;
  std::unique_ptr<frmMain> main;
  std::vector<platform::Volume> volumes;
  QStringList opened;
  QString viewer;  // the desktop's application for every type; "" for none
  int waits = 0;
  QWindow* playerOver = nullptr;  // the window the movie player is a dialog of
};

}  // namespace

TEST_F(Launcher, AnExeSectionStartsItsProgramWithTheExactArgumentText) {
  Start({{"Tests", "Buoyage", "exam", "EXE", "Tests\\Pellorin.exe", "", "A", "B"},
         {"Tests", "Lights", "exam", "EXE", "Tests\\Pellorin.exe", "X", "", "Y"},
         {"Tests", "Plain", "exam", "EXE", "Tests\\Pellorin.exe", {}, {}, {}}},
        "Tests");
  ArgsProbe probe(Path("Tests/Pellorin"));
  Press("Buoyage");
  ASSERT_TRUE(probe.WaitForReport());
  EXPECT_EQ(probe.Arguments(), QStringList{" A B"});
  EXPECT_EQ(probe.WorkingFolder(), Path("Tests"));
  EXPECT_EQ(waits, 1);
  ExpectCommonEnd();
  EXPECT_EQ(QDir::currentPath(), app->path());

  probe.Forget();
  Press("Lights");
  ASSERT_TRUE(probe.WaitForReport());
  EXPECT_EQ(probe.Arguments(), QStringList{"X Y"});
  probe.Forget();
  Press("Plain");
  ASSERT_TRUE(probe.WaitForReport());
  EXPECT_TRUE(probe.Arguments().isEmpty());
  EXPECT_EQ(waits, 3);
  EXPECT_TRUE(responder.boxes.empty());
}

TEST_F(Launcher, AMissingProgramIsReportedByItsShellResult) {
  Start({{"Tests", "Gone", "exam", "EXE", "Tests\\Missing.exe", "T1", {}, {}},
         {"Tests", "No folder", "exam", "EXE", "Nowhere\\Missing.exe", "T1", {}, {}}},
        "Tests");
  QDir(app->path()).mkpath("Tests");
  Press("Gone");
  ExpectOneBox("The specified file was not found.", 48, " Error");
  ExpectCommonEnd();
  Press("No folder");
  ASSERT_EQ(responder.boxes.size(), 2u);
  EXPECT_EQ(responder.boxes[1].prompt, "Path not found");
}

TEST_F(Launcher, AWebPageSetGetsItsPageOrTheIndex) {
  Start({{"Web", "Index", "ref", "WEBPACK", "Web\\viewer", {}, {}, {}},
         {"Web", "Cargo", "ref", "WEBPACK", "Web\\viewer", "cargo plan.htm", {}, {}}},
        "Web");
  ArgsProbe probe(Path("Web/viewer"));
  Press("Index");
  ASSERT_TRUE(probe.WaitForReport());
  EXPECT_EQ(probe.Arguments(), QStringList{"tkb300565.htm"});
  EXPECT_EQ(probe.WorkingFolder(), Path("Web"));
  probe.Forget();
  Press("Cargo");
  ASSERT_TRUE(probe.WaitForReport());
  EXPECT_EQ(probe.Arguments(), QStringList{"\"cargo plan.htm\""});
  EXPECT_EQ(waits, 2);
  EXPECT_TRUE(responder.boxes.empty());
}

TEST_F(Launcher, NothingSaysNotAvailableWithoutAWait) {
  Start({{"Misc", "Soon", "stop", "NOTHING", {}, {}, {}, {}}}, "Misc");
  Press("Soon");
  ExpectOneBox("Sorry, this option is not available.", 48, " Not available");
  EXPECT_EQ(waits, 0);
  ExpectCommonEnd();
}

TEST_F(Launcher, HelpFilesAndDocumentsOpenInTheirApplicationWithoutAWait) {
  Start({{"Docs", "Help", "ref", "CHM", "QVRV5_OOW\\Corvanta.chm", {}, {}, {}},
         {"Docs", "Guide", "ref", "PDF", "Docs\\Guide.pdf", "ignored", {}, {}},
         {"Docs", "Lower case", "ref", "exe", "Tests\\Pellorin", "T1", {}, {}}},
        "Docs");
  Touch(Path("QVRV5_OOW/Corvanta.chm"));
  Touch(Path("Docs/Guide.pdf"));
  ArgsProbe desktopViewer(Path("viewer"));
  viewer = desktopViewer.Path();
  Press("Help");
  ASSERT_TRUE(desktopViewer.WaitForReport());
  EXPECT_EQ(desktopViewer.Arguments(), QStringList{Path("QVRV5_OOW/Corvanta.chm")});
  EXPECT_EQ(desktopViewer.WorkingFolder(), Path("QVRV5_OOW"));
  desktopViewer.Forget();
  Press("Guide");
  ASSERT_TRUE(desktopViewer.WaitForReport());
  EXPECT_EQ(desktopViewer.Arguments(), QStringList{Path("Docs/Guide.pdf")});
  // "exe" is not "EXE": the program is opened as a document is, without its parameters.
  ArgsProbe program(Path("Tests/Pellorin"));
  Press("Lower case");
  ASSERT_TRUE(program.WaitForReport());
  EXPECT_TRUE(program.Arguments().isEmpty());
  EXPECT_EQ(waits, 0);
  EXPECT_TRUE(responder.boxes.empty());

  viewer.clear();
  Press("Guide");
  ExpectOneBox("There is no application associated with the given file name extension.", 48, " Error");
  ExpectCommonEnd();
}

TEST_F(Launcher, AMovieInTheApplicationFolderPlaysInThePlayer) {
  Start({{"Movies", "Mooring", "ref", "VIDEO_INT", "QVRV5_OOW\\Movies\\Mooring.mpg", {}, {}, {}}}, "Movies");
  QDir(app->path()).mkpath("QVRV5_OOW/Movies");
  const QString made = testsupport::MakeSampleMovie(Path("QVRV5_OOW/Movies/Mooring.mpg"), 1);
  ASSERT_TRUE(made.isEmpty()) << made.toStdString();
  QString played;
  CloseThePlayerWhenShown(played);
  Press("Mooring");
  EXPECT_EQ(played, Path("QVRV5_OOW/Movies/Mooring.mpg"));
  EXPECT_EQ(playerOver, main->windowHandle());
  EXPECT_FALSE(main->MoviePlayerForm().IsLoaded());  // the press returned once it closed
  EXPECT_EQ(waits, 1);
  EXPECT_TRUE(responder.boxes.empty());
  ExpectCommonEnd();
}

TEST_F(Launcher, AMovieElsewhereIsLookedForOnTheVolumes) {
  Start({{"Movies", "Mooring", "ref", "VIDEO_INT", "QVRV5_OOW\\Movies\\Mooring.mpg", {}, {}, {}}}, "Movies");
  Press("Mooring");
  ExpectOneBox("Sorry, the specified movie was not found.", 48, " Error");

  QDir(app->path()).mkpath("vol/TarrowbyVid");
  const QString made = testsupport::MakeSampleMovie(Path("vol/TarrowbyVid/Mooring.mpg"), 1);
  ASSERT_TRUE(made.isEmpty()) << made.toStdString();
  volumes = {{Path("vol"), "/dev/sdb1", "ext4"}};
  QString played;
  CloseThePlayerWhenShown(played);
  Press("Mooring");
  EXPECT_EQ(played, Path("vol/TarrowbyVid/Mooring.mpg"));
  EXPECT_EQ(responder.boxes.size(), 1u);

  // Optical drives without a disc, the last one included.
  volumes = {{Path("cd0"), "/dev/sr0", "iso9660"}, {Path("cd1"), "/dev/sr1", "udf"}};
  Press("Mooring");
  ASSERT_EQ(responder.boxes.size(), 2u);
  EXPECT_EQ(responder.boxes[1].prompt, "Sorry, file Mooring.mpg not found.");
  EXPECT_EQ(responder.boxes[1].style, 48);
  EXPECT_EQ(responder.boxes[1].title, " Error");
  ExpectCommonEnd();
  EXPECT_EQ(waits, 3);
}

TEST_F(Launcher, AnAnimationShowsInTheWebPageWindowAndAMissingOneIsReported) {
  Start({{"Anim", "Anchoring", "ref", "ANI", "Anim\\anchor.htm", {}, {}, {}},
         {"Anim", "Lost", "ref", "ANI", "Anim\\lost.htm", {}, {}, {}}},
        "Anim");
  QDir(app->path()).mkpath("Anim");
  QFile page(Path("Anim/Anchor.HTM"));  // found without regard to case
  ASSERT_TRUE(page.open(QIODevice::WriteOnly));
  page.write("<html><body><h1>Anchoring</h1></body></html>");
  page.close();
  QString address;
  QUrl url;
  WhenShown(
      "frmBrowser", [](QWidget* w) { return w->windowTitle() == " Animation"; },
      [&](QWidget* w) {
        auto* browser = static_cast<frmBrowser*>(w);
        address = browser->StartingAddress;
        url = browser->brwWebBrowser->Url();
        EXPECT_TRUE(browser->IsShownModal());
        EXPECT_EQ(browser->windowType(), Qt::Dialog);  // what makes X11 mark it transient
        EXPECT_EQ(browser->windowHandle()->transientParent(), main->windowHandle());
        w->close();
      });
  Press("Anchoring");
  EXPECT_EQ(address, Path("Anim/Anchor.HTM"));
  EXPECT_EQ(url, QUrl::fromLocalFile(Path("Anim/Anchor.HTM")));
  EXPECT_FALSE(main->BrowserForm().IsLoaded());
  EXPECT_TRUE(responder.boxes.empty());

  Press("Lost");
  ExpectOneBox("Sorry, the specified animation was not found.", 48, " Error");
  EXPECT_EQ(waits, 2);
  ExpectCommonEnd();
}

TEST_F(Launcher, EmptySpaceDoesNothingAndEveryButtonLaunches) {
  Start({{"Misc", "Soon", "stop", "NOTHING", {}, {}, {}, {}}}, "Misc");
  QListWidget* items = main->lvwDB->Items();
  const QRect r = items->visualItemRect(items->item(0));
  QTest::mouseClick(items->viewport(), Qt::LeftButton, {}, QPoint(r.center().x(), items->viewport()->height() - 3));
  EXPECT_TRUE(responder.boxes.empty());
  for (Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton, Qt::LeftButton})
    QTest::mouseClick(items->viewport(), button, {}, r.center());
  ASSERT_EQ(responder.boxes.size(), 3u);
  for (const auto& box : responder.boxes) EXPECT_EQ(box.prompt, "Sorry, this option is not available.");
}

TEST_F(Launcher, AnErrorEndsThePressWithItsDescriptionAndNoShellMessage) {
  Start({{"Tests", "Buoyage", "exam", "EXE", "Tests\\Pellorin.exe", "T1", {}, {}}}, "Tests");
  AppFolder = Path("removed");  // the folder has gone since start-up
  Press("Buoyage");
  ExpectOneBox("Path not found", 48, " Error");
  EXPECT_EQ(waits, 0);
  ExpectCommonEnd();
}

TEST_F(Launcher, WhileARecordedSectionRunsASecondOneIsRefused) {
  Start({{"Misc", "Soon", "stop", "NOTHING", {}, {}, {}, {}}}, "Misc");
  main->LoggingOn = true;
  main->SectionRecording = true;
  Press("Soon");
  ExpectOneBox("The logging of your training is activated." + kCrLf + "Only one section can be viewed at a time." +
                   kCrLf + "Please close the currently opened section before starting this one." + kCrLf,
               64, "Logging mode - Unable to start a second section");
  EXPECT_TRUE(main->SectionRecording);  // nothing else changes
  EXPECT_EQ(main->CurrentSectionName, "");
}

TEST_F(Launcher, ARecordedProgramIsStartedAsAProcessAndWaitedFor) {
  Start({{"Navigation", "Radar plotting", "ref", "EXE", "Tests\\Pellorin.exe", "", "A", "B"},
         {"Navigation", "Other", "stop", "NOTHING", {}, {}, {}, {}}},
        "Navigation");
  ArgsProbe probe(Path("Tests/Pellorin"), 0, 0.5);
  LogOn("Smith John");
  int pointer = -1;
  QString tooltip;
  bool recording = false;
  QTimer during;
  during.setSingleShot(true);
  QObject::connect(&during, &QTimer::timeout, [&] {
    pointer = main->MousePointer();
    tooltip = main->lvwDB->ToolTipText();
    recording = main->SectionRecording;
    Press("Other");  // re-enters the launcher while it waits
  });
  during.start(300);
  Press("Radar plotting");
  EXPECT_TRUE(probe.Ran());  // the press returned only once the program had ended
  EXPECT_EQ(probe.Arguments(), QStringList{" A B"});
  EXPECT_EQ(probe.WorkingFolder(), Path("Tests"));
  EXPECT_EQ(main->CurrentSectionName, "Navigation - Radar plotting");
  EXPECT_EQ(pointer, 12);
  EXPECT_EQ(tooltip, "Logging mode: close first previous section");
  EXPECT_TRUE(recording);
  ASSERT_EQ(responder.boxes.size(), 1u);
  EXPECT_EQ(responder.boxes[0].title, "Logging mode - Unable to start a second section");
  ExpectCommonEnd();
}

TEST_F(Launcher, AssessmentsAreStartedThroughTheShellEvenWhileLogging) {
  Start({{"Tests", "Self Assessment 1", "exam", "EXE", "Tests\\Pellorin.exe", "T1", {}, {}}}, "Tests");
  ArgsProbe probe(Path("Tests/Pellorin"), 0, 0.5);
  LogOn("Smith John");
  int pointer = -1;
  QTimer during;
  during.setSingleShot(true);
  QObject::connect(&during, &QTimer::timeout, [&] { pointer = main->MousePointer(); });
  during.start(20);  // while the wait window is up
  main->WaitForm().tmrWait->SetInterval(200);
  Press("Self Assessment 1");
  EXPECT_FALSE(probe.Ran());  // not waited for
  EXPECT_EQ(pointer, 12);
  EXPECT_EQ(main->CurrentSectionName, "");
  ExpectCommonEnd();
  ASSERT_TRUE(probe.WaitForReport());
  EXPECT_EQ(probe.Arguments(), QStringList{"T1"});
}

TEST_F(Launcher, RecordedHelpFilesAndDocumentsWaitForTheirApplication) {
  Start({{"Docs", "Help", "ref", "CHM", "QVRV5_OOW\\Corvanta.chm", {}, {}, {}},
         {"Docs", "Guide", "ref", "PDF", "Docs\\Guide.pdf", {}, {}, {}},
         {"Docs", "Gone", "ref", "PDF", "Docs\\Gone.pdf", {}, {}, {}}},
        "Docs");
  Touch(Path("QVRV5_OOW/Corvanta.chm"));
  Touch(Path("Docs/Guide.pdf"));
  ArgsProbe desktopViewer(Path("viewer"), 0, 0.2);
  viewer = desktopViewer.Path();
  LogOn("Smith John");
  Press("Help");
  EXPECT_TRUE(desktopViewer.Ran());
  EXPECT_EQ(desktopViewer.Arguments(), QStringList{Path("QVRV5_OOW/Corvanta.chm")});
  desktopViewer.Forget();
  Press("Guide");
  EXPECT_TRUE(desktopViewer.Ran());
  EXPECT_EQ(desktopViewer.Arguments(), QStringList{Path("Docs/Guide.pdf")});
  EXPECT_TRUE(responder.boxes.empty());
  Press("Gone");
  ExpectOneBox("The specified file was not found.", 48, " Error");
  // With no application for the type, the message is the one the same press
  // gives without logging.
  viewer.clear();
  Press("Guide");
  ASSERT_EQ(responder.boxes.size(), 2u);
  EXPECT_EQ(responder.boxes[1].prompt, "There is no application associated with the given file name extension.");
  ExpectCommonEnd();
}

TEST(LaunchStep, FileNotFoundAsksForTheFileAndRunsTheStepAgain) {
  testsupport::ScriptedResponder responder;
  int runs = 0;
  QString used;
  RunLaunchStep(
      [&] {
        if (++runs == 1) platform::Raise(platform::err::FileNotFound);
      },
      [] { return QString("/chosen/Mooring.mpg"); }, [&](const QString& chosen) { used = chosen; });
  EXPECT_EQ(runs, 2);
  EXPECT_EQ(used, "/chosen/Mooring.mpg");
  EXPECT_TRUE(responder.boxes.empty());

  runs = 0;
  EXPECT_THROW(RunLaunchStep([&] { ++runs, platform::Raise(platform::err::FileNotFound); }, [] { return QString(); },
                             [](const QString&) { FAIL(); }),
               LaunchAbandoned);
  EXPECT_EQ(runs, 1);
  ASSERT_EQ(responder.boxes.size(), 1u);
  EXPECT_EQ(responder.boxes[0].prompt, "Sorry, file not found.");
  EXPECT_EQ(responder.boxes[0].style, 48);
  EXPECT_EQ(responder.boxes[0].title, " Error");

  try {
    RunLaunchStep([] { platform::Raise(platform::err::BadFileName); }, [] { return QString("x"); },
                  [](const QString&) { FAIL(); });
    FAIL() << "no error";
  } catch (const platform::VbError& e) {
    EXPECT_EQ(e.Number(), 52);
  }
}
