#include "platform/forms/Form.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>

#include "Keyboard.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/TextBox.h"
#include "platform/forms/Timer.h"
#include "platform/forms/Twips.h"

using namespace platform;

namespace {

class RecordingForm : public Form {
 public:
  std::vector<std::string> events;
  int cancelQuery = 0;
  int lastUnloadMode = -1;

 protected:
  void Form_Load() override { events.push_back("load"); }
  void Form_Activate() override { events.push_back("activate"); }
  void Form_GotFocus() override { events.push_back("gotfocus"); }
  void Form_Resize() override { events.push_back("resize"); }
  void Form_QueryUnload(int& cancel, int mode) override {
    events.push_back("query");
    lastUnloadMode = mode;
    cancel = cancelQuery;
  }
  void Form_Unload(int&) override { events.push_back("unload"); }
};

}  // namespace

TEST(Twips, ControlsKeepTheTwipsTheyWereGiven) {
  QWidget parent;
  QLabel label(&parent);
  Move(&label, 3630, 120, 80, 4000.5);
  EXPECT_EQ(Left(&label), 3630);
  EXPECT_EQ(Top(&label), 120);
  EXPECT_EQ(Width(&label), 80);
  EXPECT_EQ(Height(&label), 4000.5);
  EXPECT_EQ(label.x(), 242);
  EXPECT_EQ(label.width(), 5);
  // Moved by other means: the pixel position is what counts.
  label.move(100, 8);
  EXPECT_EQ(Left(&label), 1500);
  EXPECT_EQ(Top(&label), 120);  // unchanged: 8 px is still what 120 twips became
  SetWidth(&label, -50);
  EXPECT_EQ(Width(&label), 0);
}

TEST(Twips, MouseNumbersAreTheOriginals) {
  EXPECT_EQ(VbButton(Qt::LeftButton), 1);
  EXPECT_EQ(VbButton(Qt::RightButton), 2);
  EXPECT_EQ(VbButton(Qt::MiddleButton), 4);
  EXPECT_EQ(VbShift(Qt::ShiftModifier | Qt::AltModifier), 5);
  EXPECT_EQ(VbShift(Qt::ControlModifier), 2);
}

TEST(Form, LoadsOnceAndKeepsTheFormsCollectionInLoadOrder) {
  const size_t before = Form::Forms().size();
  RecordingForm a, b;
  b.Load();
  a.Show();
  a.Load();
  ASSERT_EQ(Form::Forms().size(), before + 2);
  EXPECT_EQ(Form::Forms()[before], &b);
  EXPECT_EQ(Form::Forms()[before + 1], &a);
  EXPECT_EQ(std::count(a.events.begin(), a.events.end(), "load"), 1);
  EXPECT_TRUE(b.Unload());
  EXPECT_EQ(Form::Forms().size(), before + 1);
  EXPECT_FALSE(b.IsLoaded());
  a.Unload();
}

TEST(Form, ScaleSizeIsTheAreaBelowTheMenuBar) {
  RecordingForm f;
  f.MenuBar()->addMenu(QStringLiteral("&File"));
  f.SetWidth(6000);
  f.SetHeight(4500);
  f.Show();
  EXPECT_EQ(f.Width(), 6000);
  EXPECT_EQ(f.Height(), 4500);
  EXPECT_EQ(f.ScaleWidth(), 6000);
  EXPECT_LT(f.ScaleHeight(), 4500);
  EXPECT_EQ(f.ScaleHeight() + PixelsToTwips(f.MenuBar()->height()), 4500);
  f.Unload();
}

TEST(Form, ResizeRunsTheHandlerAndActivationFollowsTheShow) {
  RecordingForm f;
  f.Show();
  f.SetWidth(3000);
  QApplication::processEvents();
  EXPECT_NE(std::find(f.events.begin(), f.events.end(), "resize"), f.events.end());
  EXPECT_NE(std::find(f.events.begin(), f.events.end(), "activate"), f.events.end());
  EXPECT_EQ(f.events.front(), "load");
  f.Unload();
}

TEST(Form, CloseBoxAsksQueryUnloadWithModeZeroAndCanBeRefused) {
  RecordingForm f;
  f.Show();
  f.cancelQuery = 1;
  f.close();
  EXPECT_TRUE(f.isVisible());
  EXPECT_TRUE(f.IsLoaded());
  EXPECT_EQ(f.lastUnloadMode, vbFormControlMenu);
  f.cancelQuery = 0;
  f.close();
  EXPECT_FALSE(f.isVisible());
  EXPECT_FALSE(f.IsLoaded());
  EXPECT_EQ(f.events.back(), "unload");
  f.Show();  // shown again: loaded afresh
  EXPECT_EQ(std::count(f.events.begin(), f.events.end(), "load"), 2);
  f.Unload();
  EXPECT_EQ(f.lastUnloadMode, vbFormCode);
}

TEST(Form, ModalShowReturnsWhenTheWindowHides) {
  RecordingForm f;
  QTimer::singleShot(20, &f, [&f] { f.Hide(); });
  f.Show(1);
  EXPECT_FALSE(f.isVisible());
  EXPECT_TRUE(f.IsLoaded());
  QTimer::singleShot(20, &f, [&f] { f.Unload(); });
  f.Show(1);
  EXPECT_FALSE(f.IsLoaded());
}

TEST(Form, AModalFormIsADialogOfTheFormItBlocksAndOpensOverIt) {
  RecordingForm main, modal, placed;
  main.setGeometry(200, 150, 600, 400);
  main.Show();
  QApplication::processEvents();
  modal.resize(200, 100);
  QTimer::singleShot(20, &modal, [&modal] { modal.Hide(); });
  modal.Show(1);
  EXPECT_EQ(modal.windowType(), Qt::Dialog);
  EXPECT_EQ(modal.windowHandle()->transientParent(), main.windowHandle());
  EXPECT_EQ(modal.frameGeometry().center(), main.frameGeometry().center());
  placed.SetLeft(150);
  QTimer::singleShot(20, &placed, [&placed] { placed.Hide(); });
  placed.Show(1);
  EXPECT_EQ(placed.x(), 10);
  EXPECT_EQ(placed.windowHandle()->transientParent(), main.windowHandle());
  main.Unload();
}

namespace {
void ActivateAndWait(QWidget* w) {
  w->activateWindow();
  ASSERT_TRUE(QTest::qWaitFor([w] { return w->isActiveWindow(); }));
  QApplication::processEvents();
}
}  // namespace

TEST(Form, ActivateComesFromShowingsAndOtherFormsNotFromMessageBoxes) {
  RecordingForm f, other;
  f.Show();
  QApplication::processEvents();
  ActivateAndWait(&f);
  EXPECT_EQ(std::count(f.events.begin(), f.events.end(), "activate"), 1);
  const auto focusBefore = std::count(f.events.begin(), f.events.end(), "gotfocus");

  // A window that is not a form (a message box, say) hands the activation back.
  QWidget box;
  box.show();
  ActivateAndWait(&box);
  ActivateAndWait(&f);
  EXPECT_EQ(std::count(f.events.begin(), f.events.end(), "activate"), 1);
  EXPECT_GT(std::count(f.events.begin(), f.events.end(), "gotfocus"), focusBefore);

  // Another form of the program in between: Activate again.
  other.Show();
  ActivateAndWait(&other);
  ActivateAndWait(&f);
  EXPECT_EQ(std::count(f.events.begin(), f.events.end(), "activate"), 2);

  // Shown again after hiding: Activate, with no other form in between.
  f.Hide();
  f.Show();
  QApplication::processEvents();
  EXPECT_EQ(std::count(f.events.begin(), f.events.end(), "activate"), 3);
  other.Unload();
  f.Unload();
}

TEST(Form, EnterPressesTheFocusedCommandButtonOncePerKeyPressAndMessageBoxesKeepTheirOwn) {
  using testsupport::FocusByTab, testsupport::PressEnter;
  RecordingForm f;
  auto* inFrame = new QPushButton(QStringLiteral("In frame"), new QGroupBox(QStringLiteral("Frame"), f.Client()));
  auto* byDefault = new QPushButton(QStringLiteral("Default"), f.Client());
  byDefault->setDefault(true);
  auto* box = new TextBox(f.Client());
  auto* ask = new QPushButton(QStringLiteral("Ask"), f.Client());
  std::vector<std::string> pressed;
  QObject::connect(inFrame, &QPushButton::clicked, [&] { pressed.push_back("in frame"); });
  QObject::connect(byDefault, &QPushButton::clicked, [&] { pressed.push_back("default"); });
  std::vector<int> keys;
  box->KeyPress = [&](int& keyAscii) { keys.push_back(keyAscii); };
  std::vector<int> answers;
  QObject::connect(ask, &QPushButton::clicked, [&] {
    answers.push_back(MsgBox(QStringLiteral("Go on?"), vbYesNo + vbQuestion, QStringLiteral("Question")));
  });
  f.Show();

  ASSERT_TRUE(FocusByTab(inFrame));
  PressEnter(&f);
  PressEnter(&f, true);
  EXPECT_EQ(pressed, (std::vector<std::string>{"in frame", "in frame"}));
  PressEnter(&f, false, 4);  // held down: one press
  PressEnter(&f, true, 4);
  EXPECT_EQ(pressed.size(), 4u);
  QTest::keyClick(f.windowHandle(), Qt::Key_Space);  // as before
  EXPECT_EQ(pressed.size(), 5u);
  // Keys that carry no time, as some tools send them, count one press each.
  QTest::keyClick(inFrame, Qt::Key_Return);
  QTest::keyClick(inFrame, Qt::Key_Return);
  EXPECT_EQ(pressed.size(), 7u);
  // A default button too is pressed once per key press, and only with the focus.
  ASSERT_TRUE(FocusByTab(byDefault));
  PressEnter(&f, true, 3);
  EXPECT_EQ(pressed.size(), 8u);
  EXPECT_EQ(pressed.back(), "default");
  // Enter in a text box is the box's: its KeyPress sees 13.
  ASSERT_TRUE(FocusByTab(box));
  PressEnter(&f);
  EXPECT_EQ(keys, std::vector<int>{13});
  EXPECT_EQ(pressed.size(), 8u);

  // A real message box takes Enter on its default button (Yes), then Tab and
  // Enter give No; the key held on after the box has gone asks nothing more.
  ASSERT_TRUE(FocusByTab(ask));
  bool tabToNo = false;
  QTimer answer;
  QObject::connect(&answer, &QTimer::timeout, [&] {
    auto* question = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!question || !question->isVisible() || !QTest::qWaitForWindowActive(question)) return;
    if (tabToNo) QTest::keyClick(question->windowHandle(), Qt::Key_Tab);
    PressEnter(question);
  });
  answer.start(10);
  PressEnter(&f, false, 3);
  tabToNo = true;
  PressEnter(&f, true, 3);
  EXPECT_EQ(answers, (std::vector<int>{vbYes, vbNo}));
  f.Unload();
}

TEST(Timer, IntervalZeroNeverFiresAndEnabledRestarts) {
  Timer t(nullptr, 0);
  int ticks = 0;
  t.OnTimer = [&] { ++ticks; };
  t.SetEnabled(true);
  QTimer stop;
  QEventLoop loop;
  QTimer::singleShot(60, &loop, &QEventLoop::quit);
  loop.exec();
  EXPECT_EQ(ticks, 0);
  t.SetInterval(10);
  QTimer::singleShot(80, &loop, &QEventLoop::quit);
  loop.exec();
  EXPECT_GT(ticks, 1);
  t.SetEnabled(false);
  const int seen = ticks;
  QTimer::singleShot(40, &loop, &QEventLoop::quit);
  loop.exec();
  EXPECT_EQ(ticks, seen);
}
