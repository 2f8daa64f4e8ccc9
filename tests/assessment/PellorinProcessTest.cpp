// The real programs, end to end: Pellorin started as a process with a test
// identifier (directly, or by Corvanta's test section) on an X server of its
// own (Xvfb), a candidate scripted from outside with xdotool (the mouse over
// the answer, a click on a judgement button, for every part), the results
// window closed as a window manager closes a window, and afterwards the
// TestResults row in the file.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <cmath>
#include <memory>

#include <xcb/xcb.h>

#include "QtPrinters.h"
#include "TestDatabases.h"
#include "assessment/frmQandA.h"
#include "platform/values/Clock.h"

using assessment::frmQandA;
using platform::Variant;

namespace {

// An X server for one test. Xvfb picks a free display itself and writes its
// number out, so tests running side by side never share one.
class XServer {
 public:
  XServer() {
    server_.setProgram(QStringLiteral("Xvfb"));
    server_.setArguments({QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                          QStringLiteral("0"), QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                          QStringLiteral("tcp")});
    server_.setProcessChannelMode(QProcess::SeparateChannels);
    server_.setStandardErrorFile(QProcess::nullDevice());
    server_.start();
    if (!server_.waitForStarted(5000)) return;
    QByteArray number;
    while (!number.contains('\n') && server_.waitForReadyRead(10000)) number += server_.readAllStandardOutput();
    bool ok = false;
    const int n = number.trimmed().toInt(&ok);
    if (ok) display_ = QStringLiteral(":%1").arg(n);
  }
  ~XServer() {
    server_.terminate();
    if (!server_.waitForFinished(3000)) server_.kill();
    server_.waitForFinished();
  }
  const QString& Display() const { return display_; }

 private:
  QProcess server_;
  QString display_;
};

class PellorinProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    db = std::make_unique<testdb::Databases>(dir.path() + QStringLiteral("/app"));
    db->CreateResults({{"ABOS", platform::ColumnType::Integer}, {"COLREG", platform::ColumnType::Integer}});
    db->AddTest(Variant("OOW1"), Variant("Deck4"), {Variant(3), Variant(2)}, Variant(60));
    db->CreateTraining();
    db->AddQuestionTable(QStringLiteral("ABOS"), QStringLiteral("Bridge organisation"), 1,
                         testdb::Databases::NumberedRows(QStringLiteral("ABOS"), 4));
    db->AddQuestionTable(QStringLiteral("COLREG"), QStringLiteral("Collision regulations"), 2,
                         {{Variant(1), Variant("Crossing: who gives way?"), Variant("The vessel with the other on her starboard side."),
                           Variant("And the other vessel?"), Variant("She keeps her course and speed.")},
                          {Variant(2), Variant("What is a vessel restricted in her ability to manoeuvre?"),
                           Variant("One that cannot keep out of the way because of the nature of her work.")}});
    QString build = qEnvironmentVariable("QVR_BUILD_DIR");
    if (build.isEmpty()) build = QCoreApplication::applicationDirPath() + QStringLiteral("/..");
    program = db->AppFolder() + QStringLiteral("/Pellorin");
    ASSERT_TRUE(QFile::copy(build + QStringLiteral("/src/assessment/Pellorin"), program)) << build.toStdString();
    buildDir = build;
    ASSERT_FALSE(x.Display().isEmpty()) << "Xvfb did not start";
  }

  void TearDown() override {
    for (QProcess* p : {&pellorin, &corvanta}) {
      if (p->state() == QProcess::NotRunning) continue;
      p->kill();
      p->waitForFinished();
    }
  }

  QProcessEnvironment Environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), x.Display());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.path() + QStringLiteral("/config"));
    return env;
  }

  void Start(const QString& commandLine) {
    pellorin.setProcessEnvironment(Environment());
    pellorin.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    pellorin.start(program, {commandLine});
    ASSERT_TRUE(pellorin.waitForStarted(5000));
  }

  // Runs xdotool; its output, or "" when it failed.
  QString XDo(const QStringList& arguments) const {
    QProcess xdo;
    xdo.setProcessEnvironment(Environment());
    xdo.start(QStringLiteral("xdotool"), arguments);
    if (!xdo.waitForFinished(10000) || xdo.exitCode() != 0) return QString();
    return QString::fromLocal8Bit(xdo.readAllStandardOutput()).trimmed();
  }

  // A title as a POSIX extended expression that matches it literally.
  static QString PosixEscape(const QString& text) {
    QString out;
    for (QChar c : text) {
      if (QStringLiteral(".[]{}()\\*+?^$|").contains(c)) out += u'\\';
      out += c;
    }
    return out;
  }

  // The first window of that exact title, waiting up to `ms`; 0 when none.
  // A window counts once the same one is seen on two looks in a row: a busy
  // program may map a window and make it anew before it settles.
  quint32 WaitForWindow(const QString& title, int ms = 20000) const {
    quint32 seen = 0;
    for (int waited = 0; waited <= ms; waited += 100) {
      const QString ids = XDo({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                               QStringLiteral("^") + PosixEscape(title) + QStringLiteral("$")});
      const quint32 found = ids.isEmpty() ? 0 : ids.split(u'\n').first().toUInt();
      if (found != 0 && (found == seen || ms == 0)) return found;
      seen = found;
      QThread::msleep(100);
    }
    return 0;
  }

  QRect Geometry(quint32 window) const {
    const QString shell = XDo({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), QString::number(window)});
    int x = 0, y = 0, w = 0, h = 0;
    for (const QString& line : shell.split(u'\n')) {
      const QString value = line.section(u'=', 1);
      if (line.startsWith(QLatin1String("X="))) x = value.toInt();
      if (line.startsWith(QLatin1String("Y="))) y = value.toInt();
      if (line.startsWith(QLatin1String("WIDTH="))) w = value.toInt();
      if (line.startsWith(QLatin1String("HEIGHT="))) h = value.toInt();
    }
    return QRect(x, y, w, h);
  }

  void MoveTo(QPoint at) const {
    XDo({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y())});
    QThread::msleep(150);
  }

  void ClickAt(QPoint at) const {
    MoveTo(at);
    XDo({QStringLiteral("click"), QStringLiteral("1")});
    QThread::msleep(250);
  }

  // What a window manager does when its close box is pressed.
  bool AskToClose(quint32 window) const {
    const QByteArray display = x.Display().toLocal8Bit();
    xcb_connection_t* c = xcb_connect(display.constData(), nullptr);
    if (xcb_connection_has_error(c)) {
      xcb_disconnect(c);
      return false;
    }
    const auto atom = [c](const char* name) {
      xcb_intern_atom_reply_t* reply =
          xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(strlen(name)), name), nullptr);
      const xcb_atom_t a = reply ? reply->atom : XCB_ATOM_NONE;
      free(reply);
      return a;
    };
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = atom("WM_PROTOCOLS");
    event.data.data32[0] = atom("WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    // Checked, so that the server has handled it before the connection
    // closes: an unchecked event still queued when the connection goes is
    // lost on a busy server.
    xcb_generic_error_t* error = xcb_request_check(
        c, xcb_send_event_checked(c, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event)));
    const bool sent = error == nullptr && event.type != XCB_ATOM_NONE && event.data.data32[0] != XCB_ATOM_NONE;
    free(error);
    xcb_disconnect(c);
    return sent;
  }

  // A point of the question window, from its layout at the given size.
  static QPoint Place(const QRect& window, double xTwips, double yTwips) {
    return window.topLeft() + QPoint(static_cast<int>(std::lround(xTwips / 15)), static_cast<int>(std::lround(yTwips / 15)));
  }
  static QPoint CorrectButton(const QRect& window) {
    const double W = window.width() * 15.0, H = window.height() * 15.0;
    return Place(window, 0.99 * W - frmQandA::kFrameWidth + frmQandA::kButtonGap + frmQandA::kButtonWidth / 2,
                 0.78 * H + frmQandA::kButtonTop + frmQandA::kButtonHeight / 2);
  }
  static QPoint AnswerBox(const QRect& window) {
    const double W = window.width() * 15.0, H = window.height() * 15.0;
    return Place(window, 0.01 * W + 300, 0.78 * H + 300);
  }

  struct Row {
    double date;
    QString type;
    double percent;
  };
  std::vector<Row> StoredResults() const {
    auto c = testdb::Databases::Open(db->ResultsPath(), shared::kResultsPassword);
    platform::Recordset rs;
    rs.Open(*c, QStringLiteral("SELECT DateTest, TestType, Percent FROM TestResults"));
    std::vector<Row> rows;
    for (; !rs.IsEOF(); rs.MoveNext())
      rows.push_back({rs.Value(0).ToDateSerial(), rs.Value(1).ToText(), rs.Value(2).ToDouble()});
    return rows;
  }

  // Judges `parts` question parts correct, the mouse over the answer before
  // each click as a candidate's would be. Clicks wait in the program's event
  // queue until it takes them, so none is lost however busy it is. The
  // results window, or 0 when it did not show or showed too early.
  quint32 AnswerParts(quint32 window, int parts) {
    const QRect geometry = Geometry(window);
    for (int judged = 1; judged <= parts; ++judged) {
      MoveTo(AnswerBox(geometry));
      ClickAt(CorrectButton(geometry));
      if (judged < parts && WaitForWindow(kResultsCaption, 0) != 0) return 0;
    }
    return WaitForWindow(kResultsCaption);
  }

  // Presses Return in a message box (its default button) once the box has
  // the focus, which the program gives it after mapping it: a key sent
  // before goes to the window that had the focus and is lost.
  bool PressReturn(quint32 box) const {
    quint32 focus = 0;
    for (int waited = 0; waited < 20000; waited += 100) {
      focus = XDo({QStringLiteral("getwindowfocus")}).toUInt();
      if (focus == box) break;
      QThread::msleep(100);
    }
    if (focus != box) return false;
    XDo({QStringLiteral("key"), QStringLiteral("--window"), QString::number(box), QStringLiteral("Return")});
    return true;
  }

  static inline const QString kResultsCaption = QStringLiteral("QVR Test Results");

  QTemporaryDir dir;
  std::unique_ptr<testdb::Databases> db;
  QString program;
  QString buildDir;
  XServer x;
  QProcess pellorin;
  QProcess corvanta;
};

TEST_F(PellorinProcessTest, CandidateAnswersEveryQuestionAndTheScoreIsStored) {
  const double started = platform::ToDateSerial(QDateTime::currentDateTime());
  Start(QStringLiteral("OOW1"));
  const quint32 window = WaitForWindow(QStringLiteral("OOW Assesment"));
  ASSERT_NE(window, 0u) << "the question window did not show";
  const QRect geometry = Geometry(window);
  EXPECT_EQ(geometry.size(), QSize(781, 561));  // 11715 x 8415 twips

  // Five questions, one of them in two parts: six judgements.
  const quint32 results = AnswerParts(window, 6);
  ASSERT_NE(results, 0u) << "no results window after the sixth judgement";
  // Nothing is stored while the chart is on screen.
  EXPECT_TRUE(StoredResults().empty());
  ASSERT_TRUE(AskToClose(results));
  ASSERT_TRUE(pellorin.waitForFinished(15000));
  EXPECT_EQ(pellorin.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(pellorin.exitCode(), 0);

  const std::vector<Row> rows = StoredResults();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].type, QStringLiteral("OOW Assesment"));
  EXPECT_EQ(rows[0].percent, 100);
  const double finished = platform::ToDateSerial(QDateTime::currentDateTime());
  EXPECT_GE(rows[0].date, started - 1.0 / 86400);
  EXPECT_LE(rows[0].date, finished + 1.0 / 86400);
  // The test's row was marked as taken when it was built.
  auto c = testdb::Databases::Open(db->ResultsPath(), shared::kResultsPassword);
  platform::Recordset rs;
  rs.Open(*c, QStringLiteral("SELECT StatusTest FROM TestList WHERE TestID = 'OOW1'"));
  EXPECT_TRUE(rs.Value(0).ToBoolean());
}

TEST_F(PellorinProcessTest, CorvantasTestSectionStartsTheTest) {
  // The front-end's catalogue: one group holding the test section.
  const QString catalogue = db->AppFolder() + QStringLiteral("/QVRV5_OOW/db/QVRV 5 - OOW.mdb");
  ASSERT_TRUE(QDir().mkpath(QFileInfo(catalogue).path()));
  platform::CreateDatabase(catalogue, QStringLiteral("korvinel"));
  {
    platform::Connection c;
    c.ConnectionString = platform::JetConnectionString(catalogue, QStringLiteral("korvinel"));
    c.Mode = platform::adModeReadWrite;
    c.Open();
    c.Execute(QStringLiteral("CREATE TABLE MainTableRecords ([Left Panel Title] TEXT COLLATE VBTEXT, [Right Panel "
                             "Title] TEXT COLLATE VBTEXT, [Icon Type] TEXT, [Program Type] TEXT, Start TEXT, "
                             "[Parameter 1] TEXT, [Parameter 2] TEXT, [Parameter 3] TEXT)"));
    c.Execute(QStringLiteral("INSERT INTO MainTableRecords VALUES ('Self assessment', 'OOW self assessment test', "
                             "'exam', 'EXE', 'Pellorin.exe', 'OOW1', NULL, NULL)"));
  }
  const QString front = db->AppFolder() + QStringLiteral("/Corvanta");
  ASSERT_TRUE(QFile::copy(buildDir + QStringLiteral("/src/frontend/Corvanta"), front));
  corvanta.setProcessEnvironment(Environment());
  corvanta.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  corvanta.start(front, {});
  ASSERT_TRUE(corvanta.waitForStarted(5000));
  const quint32 main =
      WaitForWindow(QStringLiteral(" Dunstal's Tarrowby Examiner for Officers of the Watch - version 5"));
  ASSERT_NE(main, 0u) << "the front-end did not show";
  const QPoint origin = Geometry(main).topLeft();
  // The group below the tree's root, then the section in the list.
  ClickAt(origin + QPoint(110, 47));
  QThread::msleep(500);
  ClickAt(origin + QPoint(390, 51));
  const quint32 window = WaitForWindow(QStringLiteral("OOW Assesment"), 15000);
  ASSERT_NE(window, 0u) << "the test section did not start the test";
  const quint32 results = AnswerParts(window, 6);
  ASSERT_NE(results, 0u);
  ASSERT_TRUE(AskToClose(results));
  // Started by the shell, Pellorin is no child of this test: wait for its row.
  std::vector<Row> rows;
  for (int i = 0; i < 100 && rows.empty(); ++i) {
    QThread::msleep(100);
    rows = StoredResults();
  }
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].type, QStringLiteral("OOW Assesment"));
  EXPECT_EQ(rows[0].percent, 100);
  for (int i = 0; i < 50 && WaitForWindow(QStringLiteral("OOW Assesment"), 0) != 0; ++i) QThread::msleep(100);
  EXPECT_EQ(WaitForWindow(QStringLiteral("OOW Assesment"), 0), 0u) << "Pellorin did not end";
  EXPECT_EQ(corvanta.state(), QProcess::Running);
}

TEST_F(PellorinProcessTest, QuittingWithTheCloseBoxStoresNothing) {
  Start(QStringLiteral("OOW1"));
  const quint32 window = WaitForWindow(QStringLiteral("OOW Assesment"));
  ASSERT_NE(window, 0u);
  ClickAt(CorrectButton(Geometry(window)));
  ASSERT_TRUE(AskToClose(window));
  const quint32 box = WaitForWindow(QStringLiteral("Confirm test end"));
  ASSERT_NE(box, 0u) << "no quit question";
  // Yes is the box's default button.
  ASSERT_TRUE(PressReturn(box)) << "the quit question never took the focus";
  ASSERT_TRUE(pellorin.waitForFinished(15000));
  EXPECT_EQ(pellorin.exitCode(), 0);
  EXPECT_TRUE(StoredResults().empty());
}

TEST_F(PellorinProcessTest, UnknownTestEndsWithItsMessage) {
  Start(QStringLiteral("NOSUCH"));
  const quint32 box = WaitForWindow(QStringLiteral("Fatal Error"));
  ASSERT_NE(box, 0u);
  ASSERT_TRUE(PressReturn(box));
  ASSERT_TRUE(pellorin.waitForFinished(15000));
  EXPECT_EQ(pellorin.exitCode(), 0);
  EXPECT_TRUE(StoredResults().empty());
}

}  // namespace
