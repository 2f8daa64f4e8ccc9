// The stand-in of the web pack and the training report shows its page in the
// desktop's application for it, or says what to install; the install script's
// choice of light viewers, tried on desktops made up in a folder of the test's.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "ArgsProbe.h"
#include "StandIn.h"
#include "TestSupport.h"
#include "platform/system/Shell.h"

using testsupport::ArgsProbe;

namespace {

void Write(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).path());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
  f.write(bytes);
}

QByteArray Read(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

// The desktop's lookup: every type opens with `application`, none when empty.
class StandIn : public ::testing::Test, public platform::DesktopApplications {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    platform::SetDesktopApplications(this);
    Write(Path("TKBTrainingReport.htm"), "<html><title>Training report</title></html>");
    Write(Path("tkb300565.htm"), "<html><title>Passage planning</title></html>");
    Write(Path("Monitoring the passage.htm"), "<html><title>Monitoring</title></html>");
  }
  void TearDown() override { platform::SetDesktopApplications(nullptr); }
  QStringList OpenCommand(const QString& file) override {
    return application.isEmpty() ? QStringList() : QStringList{application, file};
  }
  QString Path(const QString& name) const { return dir.filePath(name); }

  QTemporaryDir dir;
  QString application;
  testsupport::ScriptedResponder responder;
};

}  // namespace

TEST_F(StandIn, ShowsItsPageInTheTypesApplicationAndLastsAsLongAsItElseABoxSaysWhatToInstall) {
  ArgsProbe viewer(dir.filePath("bin/viewer"), 3, 0.4);
  application = viewer.Path();
  // The launcher wraps a page with blanks in double quotes; names are found
  // without regard to case.
  EXPECT_EQ(standin::ShowPage("TKBWebPack", dir.path(), "\"monitoring THE passage.htm\""), 0);
  EXPECT_TRUE(viewer.Ran());  // ended before the stand-in did
  EXPECT_EQ(viewer.Arguments(), QStringList{Path("Monitoring the passage.htm")});
  // Without a page, and none named after the program: the start page (the
  // one named after it: the stand-in program's test below).
  viewer.Forget();
  EXPECT_EQ(standin::ShowPage("TKBWebPack", dir.path(), ""), 0);
  EXPECT_EQ(viewer.Arguments(), QStringList{Path("tkb300565.htm")});

  application.clear();
  EXPECT_EQ(standin::ShowPage("TKBTrainingReport", dir.path(), ""), 1);
  ASSERT_EQ(responder.boxes.size(), 1u);
  EXPECT_EQ(responder.boxes[0].prompt,
            "No application on this computer can show the page TKBTrainingReport.htm.\r\n\r\n"
            "Install a web browser, for example with this command:\r\nsudo apt-get install netsurf-gtk");
  EXPECT_EQ(responder.boxes[0].style, platform::vbExclamation);
  EXPECT_EQ(responder.boxes[0].title, "TKBTrainingReport");
  EXPECT_EQ(standin::ShowPage("TKBWebPack", dir.path(), "\"gone.htm\""), 1);
  ASSERT_EQ(responder.boxes.size(), 2u);
  EXPECT_EQ(responder.boxes[1].prompt, "The page gone.htm is not in the folder " + dir.path() + ".");
  EXPECT_EQ(responder.boxes[1].title, "TKBWebPack");
  // The advice follows the page's type.
  EXPECT_EQ(standin::InstallAdvice(Path("a.pdf")),
            "Install a PDF viewer, for example with this command:\r\nsudo apt-get install mupdf");
  EXPECT_EQ(standin::InstallAdvice(Path("a.txt")),
            "Install a text editor, for example with this command:\r\nsudo apt-get install featherpad");
  EXPECT_TRUE(standin::InstallAdvice(Path("a.png")).endsWith(" (image/png)."));
}

namespace {

// A desktop of the test's own: application entries, their MIME cache, and a
// PATH with only the install script's commands and the applications' programs.
class MadeUpDesktop : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    QDir().mkpath(Bin());
    QDir().mkpath(Data() + "/applications");
    for (const char* tool : {"bash", "gio", "awk", "grep", "head", "tail", "cat", "mkdir", "dirname", "mktemp", "chmod",
                             "mv"}) {
      const QString found = QStandardPaths::findExecutable(tool);
      ASSERT_FALSE(found.isEmpty()) << tool;
      ASSERT_TRUE(QFile::link(found, Bin() + "/" + tool)) << tool;
    }
    // The types' names and parents come from the machine's MIME database.
    ASSERT_TRUE(QFileInfo::exists("/usr/share/mime/mime.cache"));
    ASSERT_TRUE(QFile::link("/usr/share/mime", Data() + "/mime"));
    env.insert("PATH", Bin());
    env.insert("HOME", dir.filePath("home"));
    env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
    env.insert("XDG_CONFIG_DIRS", dir.filePath("xdg"));
    env.insert("XDG_DATA_HOME", dir.filePath("home/share"));
    env.insert("XDG_DATA_DIRS", Data());
  }
  QString Bin() const { return dir.filePath("bin"); }
  QString Data() const { return dir.filePath("share"); }
  QString Script() const { return QStringLiteral(QVR_SOURCE_DIR "/scripts/document-viewers"); }

  void Application(const QString& id, const QString& program, const QString& types, bool terminal = false) {
    Write(Bin() + "/" + program, "#!/bin/sh\n");
    QFile(Bin() + "/" + program).setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    Write(Data() + "/applications/" + id,
          QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\nExec=%2 %f\nTerminal=%3\nMimeType=%4\n")
              .arg(id, program, terminal ? "true" : "false", types)
              .toUtf8());
  }
  void Cache(const QByteArray& lines) { Write(Data() + "/applications/mimeinfo.cache", "[MIME Cache]\n" + lines); }

  QString Run(const QStringList& arguments, const QByteArray& input = {}) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(arguments.front(), arguments.mid(1));
    p.write(input);
    p.closeWriteChannel();
    EXPECT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    return QString::fromUtf8(p.readAllStandardOutput());
  }
  QString Plan() { return Run({Script(), "plan"}); }
  QString Default(const QString& type) {
    return Run({Bin() + "/gio", "mime", type}).section('\n', 0, 0).section(": ", 1);
  }

  QTemporaryDir dir;
  QProcessEnvironment env;
};

const QString kAllThree =
    "application/pdf mupdf mupdf.desktop\ntext/plain featherpad featherpad.desktop\n"
    "text/html netsurf-gtk netsurf-gtk.desktop\n";

}  // namespace

TEST_F(MadeUpDesktop, ViewersComeOnlyForTypesWithoutAnApplicationThatShowsThemInAWindow) {
  // Nothing at all.
  EXPECT_EQ(Plan(), kAllThree);
  // A text editor that runs in a terminal, with none to run it in; ImageMagick,
  // which Debian keeps from reading PDF (registered under the alias
  // image/pdf); an HTML page goes to text/plain's application, its parent.
  Application("vim.desktop", "vim", "text/plain;", true);
  Application("display-im6.q16.desktop", "display-im6.q16", "image/pdf;image/png;");
  Cache("text/plain=vim.desktop;\nimage/pdf=display-im6.q16.desktop;\n");
  ASSERT_EQ(Default("text/html"), "vim.desktop");
  ASSERT_EQ(Default("application/pdf"), "display-im6.q16.desktop");
  EXPECT_EQ(Plan(), kAllThree);
  // With a terminal the editor shows text; HTML still has no application of its own.
  ASSERT_TRUE(QFile::link(Bin() + "/cat", Bin() + "/x-terminal-emulator"));
  EXPECT_EQ(Plan(), "application/pdf mupdf mupdf.desktop\ntext/html netsurf-gtk netsurf-gtk.desktop\n");
  ASSERT_TRUE(QFile::remove(Bin() + "/x-terminal-emulator"));
  // A user's choice of a default stays, even of the terminal editor; an
  // application only added to a type is no choice of its default.
  Write(dir.filePath("config/mimeapps.list"),
        "[Added Associations]\napplication/pdf=display-im6.q16.desktop;\n\n"
        "[Default Applications]\ntext/plain=gedit.desktop;vim.desktop;\n");
  EXPECT_EQ(Plan(), "application/pdf mupdf mupdf.desktop\ntext/html netsurf-gtk netsurf-gtk.desktop\n");
  ASSERT_TRUE(QFile::remove(dir.filePath("config/mimeapps.list")));
  // So does the choice of a desktop, read only on that desktop.
  Write(Data() + "/applications/lxde-mimeapps.list", "[Default Applications]\napplication/pdf=display-im6.q16.desktop\n");
  EXPECT_EQ(Plan(), kAllThree);
  env.insert("XDG_CURRENT_DESKTOP", "X-Cinnamon:LXDE");
  EXPECT_EQ(Plan(), "text/plain featherpad featherpad.desktop\ntext/html netsurf-gtk netsurf-gtk.desktop\n");
}

TEST_F(MadeUpDesktop, TheNewViewersBecomeDefaultsWhereTheCacheDoesNotMakeThemSoAndEarlierChoicesStay) {
  Application("vim.desktop", "vim", "text/plain;", true);
  Application("display-im6.q16.desktop", "display-im6.q16", "application/pdf;");
  Cache("text/plain=vim.desktop;\napplication/pdf=display-im6.q16.desktop;\n");
  const QString plan = Plan();
  ASSERT_EQ(plan, kAllThree);
  // The packages are in: the cache names them after the applications that were there.
  Application("mupdf.desktop", "mupdf", "application/pdf;");
  Application("featherpad.desktop", "featherpad", "text/plain;");
  Application("netsurf-gtk.desktop", "netsurf-gtk", "text/html;application/xhtml+xml;");
  Cache("text/plain=vim.desktop;featherpad.desktop;\napplication/pdf=display-im6.q16.desktop;mupdf.desktop;\n"
        "text/html=netsurf-gtk.desktop;\n");
  const QString defaults = Run({Script(), "defaults"}, plan.toUtf8());
  EXPECT_EQ(defaults, "application/pdf=mupdf.desktop\ntext/plain=featherpad.desktop\n");

  // A list that gives defaults of its own keeps them; its other groups stay.
  const QString other = dir.filePath("other/mimeapps.list");
  Write(other, "[Added Associations]\nimage/png=viewer.desktop;\n\n[Default Applications]\ntext/plain=kept.desktop\n");
  Run({Script(), "write", other}, defaults.toUtf8());
  EXPECT_EQ(Read(other), "[Added Associations]\nimage/png=viewer.desktop;\n\n[Default Applications]\n"
                         "application/pdf=mupdf.desktop\ntext/plain=kept.desktop\n");
  // Written where GIO reads the distribution's defaults: every type opens in its viewer.
  const QString list = Data() + "/applications/mimeapps.list";
  Run({Script(), "write", list}, defaults.toUtf8());
  EXPECT_EQ(Read(list), "[Default Applications]\napplication/pdf=mupdf.desktop\ntext/plain=featherpad.desktop\n");
  EXPECT_EQ(Run({Script(), "defaults"}, plan.toUtf8()), "");
  EXPECT_EQ(Plan(), "");
}

TEST_F(MadeUpDesktop, TheStandInProgramFindsThePagesApplicationThroughTheDesktop) {
  const QString built = QString::fromLocal8Bit(qgetenv("QVR_BUILD_DIR")) + "/content/qvr-standin";
  const QString program = dir.filePath("app/Training/TKBTrainingReport");
  Write(program + ".htm", "<!DOCTYPE html>\n<html><title>Training report</title></html>\n");
  ASSERT_TRUE(QFile::copy(built, program)) << built.toStdString();
  ArgsProbe browser(Bin() + "/browser", 0, 0.3);
  Write(Data() + "/applications/browser.desktop",
        "[Desktop Entry]\nType=Application\nName=Browser\nExec=browser %u\nMimeType=text/html;\n");
  Cache("text/html=browser.desktop;\n");
  env.insert("PATH", Bin() + ":/usr/bin:/bin");  // for the probe's own commands
  env.insert("QT_QPA_PLATFORM", "offscreen");
  Run({program});
  EXPECT_TRUE(browser.Ran());
  EXPECT_EQ(browser.Arguments(), QStringList{"file://" + program + ".htm"});
  EXPECT_EQ(browser.WorkingFolder(), dir.filePath("app/Training"));
}
