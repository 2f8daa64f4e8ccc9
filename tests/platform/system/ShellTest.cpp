#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <csignal>
#include <unistd.h>
#include <gtest/gtest.h>

#include "ArgsProbe.h"
#include "platform/forms/Program.h"
#include "platform/system/Shell.h"

using namespace platform;
using testsupport::ArgsProbe;

namespace {

// The desktop's application lookup, recorded; it "opens" every file with a
// program of the test's choosing.
class RecordingApplications : public DesktopApplications {
 public:
  RecordingApplications() { SetDesktopApplications(this); }
  ~RecordingApplications() override { SetDesktopApplications(nullptr); }
  QStringList OpenCommand(const QString& file) override {
    asked << file;
    if (application.isEmpty()) return {};
    return {application, QStringLiteral("--from-desktop"), file};
  }
  QStringList asked;
  QString application;  // "" : the type has no application
};

void Touch(const QString& path) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("x");
}

class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    root = dir.path();
    QDir(root).mkpath("Tests/sub");
  }
  QTemporaryDir dir;
  QString root;
};

}  // namespace

TEST_F(ShellTest, MissingFileAndMissingFolderGiveTwoAndThree) {
  RecordingApplications apps;
  EXPECT_EQ(ShellExecute("open", root + "/Tests/none.pdf", "", root + "/Tests"), shell::FileNotFound);
  EXPECT_EQ(ShellExecute("open", root + "/Nowhere/none.pdf", "", root + "/Nowhere"), shell::PathNotFound);
  EXPECT_TRUE(apps.asked.isEmpty());
}

TEST_F(ShellTest, AProgramGetsTheWholeParameterTextAsOneArgumentInItsFolder) {
  ArgsProbe probe(root + "/Tests/Pellorin");
  EXPECT_EQ(ShellExecute("open", root + "/Tests/Pellorin", " A  B ", root + "/Tests"), shell::Success);
  ASSERT_TRUE(probe.WaitForReport());
  EXPECT_EQ(probe.Arguments(), QStringList{" A  B "});
  EXPECT_EQ(probe.WorkingFolder(), root + "/Tests");
  // Detached from us, as a program the desktop starts is.
  EXPECT_NE(probe.SessionId(), ::getsid(0));
  EXPECT_GT(probe.SessionId(), 0);

  probe.Forget();
  EXPECT_EQ(ShellExecute("open", root + "/Tests/Pellorin", "", root + "/Tests/sub"), shell::Success);
  ASSERT_TRUE(probe.WaitForReport());
  EXPECT_TRUE(probe.Arguments().isEmpty());
  EXPECT_EQ(probe.WorkingFolder(), root + "/Tests/sub");
}

TEST_F(ShellTest, ContentPathsFindProgramsWithoutCaseAndWithoutTheirExeEnding) {
  ArgsProbe probe(root + "/Tests/Varnok");
  EXPECT_EQ(ShellExecute("open", root + "\\TESTS\\varnok.exe", "Steps 1", root + "\\tests"), shell::Success);
  ASSERT_TRUE(probe.WaitForReport());
  EXPECT_EQ(probe.Arguments(), QStringList{"Steps 1"});
  EXPECT_EQ(probe.WorkingFolder(), root + "/Tests");
  EXPECT_EQ(ProgramPath(root + "/tests/VARNOK.EXE"), root + "/Tests/Varnok");
  // A real ".exe" file is taken as it is.
  Touch(root + "/Tests/Tool.exe");
  EXPECT_EQ(ProgramPath(root + "/Tests/Tool.exe"), root + "/Tests/Tool.exe");
}

TEST_F(ShellTest, ADocumentOpensInItsTypesApplication) {
  RecordingApplications apps;
  ArgsProbe viewer(root + "/viewer");
  Touch(root + "/Tests/Manual.pdf");
  apps.application = viewer.Path();
  // Parameters mean nothing to a document.
  EXPECT_EQ(ShellExecute("open", root + "/Tests/manual.PDF", "ignored", root + "/Tests"), shell::Success);
  ASSERT_EQ(apps.asked, QStringList{root + "/Tests/Manual.pdf"});
  ASSERT_TRUE(viewer.WaitForReport());
  EXPECT_EQ(viewer.Arguments(), (QStringList{"--from-desktop", root + "/Tests/Manual.pdf"}));
  EXPECT_EQ(viewer.WorkingFolder(), root + "/Tests");
}

TEST(DesktopEntry, TheExecLineGetsTheFileAndATerminalWhereTheApplicationRunsInOne) {
  const QString file = "/d/a b.chm", uri = "file:///d/a%20b.chm";
  EXPECT_EQ(DesktopEntryCommand("kchmviewer %f", "KchmViewer", false, file, uri), (QStringList{"kchmviewer", file}));
  EXPECT_EQ(DesktopEntryCommand("viewer --name=%c %i %U", "V", false, file, uri),
            (QStringList{"viewer", "--name=V", uri}));
  EXPECT_EQ(DesktopEntryCommand("\"/opt/my viewer\" -r", "V", false, file, uri),
            (QStringList{"/opt/my viewer", "-r", file}));  // no field code: the file goes last
  EXPECT_EQ(DesktopEntryCommand("vim %F", "Vim", true, file, uri), (QStringList{"x-terminal-emulator", "-e", "vim", file}));
  EXPECT_TRUE(DesktopEntryCommand("", "V", false, file, uri).isEmpty());
}

TEST_F(ShellTest, NoApplicationGivesThirtyOneAndOneThatCannotStartTwentySeven) {
  RecordingApplications apps;
  Touch(root + "/Tests/notes.xyz");
  EXPECT_EQ(ShellExecute("open", root + "/Tests/notes.xyz", "", root + "/Tests"), shell::NoAssociation);
  apps.application = root + "/no-such-viewer";
  EXPECT_EQ(ShellExecute("open", root + "/Tests/notes.xyz", "", root + "/Tests"), shell::InvalidAssociation);
  // Only "open" is known.
  EXPECT_EQ(ShellExecute("print", root + "/Tests/notes.xyz", "", root + "/Tests"), shell::NoAssociation);
}

TEST_F(ShellTest, AFileWithoutTheExecuteRightIsADocumentAndBrokenProgramsGiveTheirResults) {
  RecordingApplications apps;
  QFile script(root + "/Tests/run.sh");
  ASSERT_TRUE(script.open(QIODevice::WriteOnly));
  script.write("#!/bin/sh\nexit 0\n");
  script.close();
  EXPECT_EQ(ShellExecute("open", script.fileName(), "", root + "/Tests"), shell::NoAssociation);
  EXPECT_EQ(apps.asked.size(), 1);
  EXPECT_FALSE(IsProgramFile(script.fileName()));
  script.setPermissions(script.permissions() | QFile::ExeOwner);
  EXPECT_TRUE(IsProgramFile(script.fileName()));
  // Executable, but its interpreter does not exist.
  QFile broken(root + "/Tests/broken");
  ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
  broken.write("#!/no/such/interpreter\n");
  broken.close();
  broken.setPermissions(broken.permissions() | QFile::ExeOwner);
  EXPECT_EQ(ShellExecute("open", broken.fileName(), "", root + "/Tests"), shell::FileNotFound);
  // Executable and marked as a binary, but no binary inside.
  QFile bad(root + "/Tests/bad");
  ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
  bad.write("\x7f" "ELF not really");
  bad.close();
  bad.setPermissions(bad.permissions() | QFile::ExeOwner);
  EXPECT_EQ(ShellExecute("open", bad.fileName(), "", root + "/Tests"), shell::BadFormat);
}

TEST(CommandLine, SplitsTheProgramPathOffAndKeepsTheRestWhole) {
  QString program, rest;
  SplitCommandLine("\"/opt/qvr/Pellorin.exe\"  A B", program, rest);
  EXPECT_EQ(program, "/opt/qvr/Pellorin.exe");
  EXPECT_EQ(rest, " A B");
  SplitCommandLine("\"/opt/qvr/Pellorin.exe\" ", program, rest);
  EXPECT_EQ(rest, "");
  SplitCommandLine("/opt/qvr/web/viewer \"tkb300565.htm\"", program, rest);
  EXPECT_EQ(program, "/opt/qvr/web/viewer");
  EXPECT_EQ(rest, "\"tkb300565.htm\"");
  SplitCommandLine("hh.exe \"/opt/qvr/QVRV5_OOW/Corvanta.chm\"", program, rest);
  EXPECT_EQ(program, "hh.exe");
  EXPECT_EQ(rest, "\"/opt/qvr/QVRV5_OOW/Corvanta.chm\"");
  SplitCommandLine("\"/no closing quote", program, rest);
  EXPECT_EQ(program, "/no closing quote");
  EXPECT_EQ(rest, "");
}

TEST_F(ShellTest, AnUnquotedPathWithBlanksIsFoundByItsShortestExistingPrefix) {
  QDir(root).mkpath("My Docs");
  Touch(root + "/My Docs/a b.pdf");
  QString program, rest;
  SplitCommandLine(root + "/My Docs/a b.pdf", program, rest);
  EXPECT_EQ(program, root + "/My Docs/a b.pdf");
  EXPECT_EQ(rest, "");
  SplitCommandLine(root + "/My Docs/missing x", program, rest);
  EXPECT_EQ(program, root + "/My");
  EXPECT_EQ(rest, "Docs/missing x");
}

TEST_F(ShellTest, CreateProcessPassesTheRestAsOneArgumentAndGivesAProcessToWaitFor) {
  ArgsProbe probe(root + "/Tests/Pellorin", 3);
  ProcessInformation info;
  ASSERT_TRUE(CreateProcess("\"" + root + "/Tests/Pellorin.exe\"  A B", root + "/Tests/sub", info));
  ASSERT_TRUE(info.process);
  EXPECT_GT(info.processId, 0);
  EXPECT_EQ(info.process->ProcessId(), info.processId);
  EXPECT_TRUE(info.process->WaitForExit(10000));
  EXPECT_EQ(info.process->ExitCode(), 3);
  EXPECT_EQ(info.process->Poll(), 0);
  EXPECT_EQ(probe.Arguments(), QStringList{" A B"});
  EXPECT_EQ(probe.WorkingFolder(), root + "/Tests/sub");
  EXPECT_EQ(probe.SessionId(), ::getsid(0));  // a process we wait for stays ours

  // The page of a web-page set reaches the program as it was written.
  ArgsProbe viewer(root + "/Tests/viewer");
  ASSERT_TRUE(CreateProcess(root + "/Tests/viewer \"tkb300565.htm\"", root + "/Tests", info));
  EXPECT_TRUE(info.process->WaitForExit(10000));
  EXPECT_EQ(viewer.Arguments(), QStringList{"\"tkb300565.htm\""});

  // An empty rest gives no argument at all.
  ASSERT_TRUE(CreateProcess("\"" + root + "/Tests/viewer\" ", root + "/Tests", info));
  EXPECT_TRUE(info.process->WaitForExit(10000));
  EXPECT_TRUE(viewer.Arguments().isEmpty());
}

TEST_F(ShellTest, CreateProcessOpensHelpFilesAndDocumentsInTheirApplication) {
  RecordingApplications apps;
  ArgsProbe viewer(root + "/viewer");
  QDir(root).mkpath("QVRV5_OOW");
  Touch(root + "/QVRV5_OOW/Corvanta.chm");
  Touch(root + "/Tests/a b.pdf");
  ProcessInformation info;
  // No application for the type yet: nothing starts, and the failure says so
  // as the shell's open would.
  int failure = 0;
  EXPECT_FALSE(CreateProcess("hh.exe \"" + root + "/QVRV5_OOW/Corvanta.chm\"", root + "/QVRV5_OOW", info, &failure));
  EXPECT_FALSE(info.process);
  EXPECT_EQ(failure, shell::NoAssociation);
  EXPECT_FALSE(CreateProcess(root + "/Tests/a b.pdf", root + "/Tests", info, &failure));
  EXPECT_EQ(failure, shell::NoAssociation);
  apps.application = root + "/no-such-viewer";
  EXPECT_FALSE(CreateProcess(root + "/Tests/a b.pdf", root + "/Tests", info, &failure));
  EXPECT_EQ(failure, shell::InvalidAssociation);
  apps.application = viewer.Path();
  ASSERT_TRUE(CreateProcess("hh.exe \"" + root + "/qvrv5_oow/corvanta.chm\"", root + "/QVRV5_OOW", info));
  EXPECT_TRUE(info.process->WaitForExit(10000));
  EXPECT_EQ(viewer.Arguments(), (QStringList{"--from-desktop", root + "/QVRV5_OOW/Corvanta.chm"}));
  ASSERT_TRUE(CreateProcess(root + "/Tests/a b.pdf", root + "/Tests", info));
  EXPECT_TRUE(info.process->WaitForExit(10000));
  EXPECT_EQ(viewer.Arguments(), (QStringList{"--from-desktop", root + "/Tests/a b.pdf"}));
  EXPECT_EQ(apps.asked.last(), root + "/Tests/a b.pdf");
}

TEST_F(ShellTest, CreateProcessFailsForMissingProgramsAndFolders) {
  ArgsProbe probe(root + "/Tests/Pellorin");
  ProcessInformation info;
  int failure = 0;
  EXPECT_FALSE(CreateProcess("\"" + root + "/Tests/Missing.exe\" 1", root + "/Tests", info, &failure));
  EXPECT_EQ(failure, shell::FileNotFound);
  EXPECT_FALSE(CreateProcess("\"" + root + "/Tests/Pellorin\" 1", root + "/NoFolder", info, &failure));
  EXPECT_EQ(failure, shell::PathNotFound);
  EXPECT_FALSE(CreateProcess("hh.exe \"" + root + "/none.chm\"", root, info, &failure));
  EXPECT_EQ(failure, shell::FileNotFound);
  EXPECT_FALSE(info.process);
  EXPECT_EQ(info.processId, 0);
  EXPECT_FALSE(probe.Ran());
}

TEST_F(ShellTest, WaitingForAProcessKeepsTheEventLoopRunning) {
  ArgsProbe probe(root + "/slow", 0, 0.4);
  ProcessInformation info;
  ASSERT_TRUE(CreateProcess("\"" + probe.Path() + "\"", root, info));
  EXPECT_EQ(info.process->Poll(), WAIT_TIMEOUT);
  int ticks = 0;
  QTimer tick;
  QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
  tick.start(20);
  int finished = -1;
  QObject::connect(info.process.get(), &ProcessHandle::Finished, [&](int code) { finished = code; });
  EXPECT_FALSE(info.process->WaitForExit(50));  // not yet
  EXPECT_TRUE(info.process->WaitForExit(10000));
  EXPECT_GT(ticks, 5);  // timers ran all along
  EXPECT_EQ(finished, 0);
  EXPECT_EQ(info.process->Poll(), 0);
}

TEST_F(ShellTest, LettingGoOfARunningProcessNeitherKillsItNorLeavesAZombie) {
  ArgsProbe probe(root + "/slow", 0, 0.3);
  ProcessInformation info;
  ASSERT_TRUE(CreateProcess("\"" + probe.Path() + "\"", root, info));
  const pid_t pid = static_cast<pid_t>(info.processId);
  info.process.reset();  // CloseHandle
  EXPECT_EQ(::kill(pid, 0), 0);  // still pausing
  ASSERT_TRUE(probe.WaitForReport());
  // Reaped by the event loop once it has ended.
  for (int i = 0; i < 250 && ::kill(pid, 0) == 0; ++i) WaitForEvents(20);
  EXPECT_NE(::kill(pid, 0), 0);
  EXPECT_EQ(errno, ESRCH);
}
