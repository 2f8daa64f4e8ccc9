// The text box: MaxLength, the selection, and the order and reach of its
// events (Change, KeyPress, GotFocus, LostFocus).
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>

#include "platform/forms/TextBox.h"
#include "platform/values/VbError.h"

using platform::TextBox;

namespace {

class TextBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    box = new TextBox(&window);
    other = new QLineEdit(&window);
    box->setGeometry(0, 0, 80, 24);
    other->setGeometry(0, 30, 80, 24);
    box->Change = [this] { events.push_back("Change:" + box->Text()); };
    box->GotFocus = [this] { events.push_back("GotFocus"); };
    box->LostFocus = [this] { events.push_back("LostFocus"); };
  }
  void Activate() {
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    other->setFocus(Qt::OtherFocusReason);
    QCoreApplication::processEvents();
    events.clear();
  }
  QWidget window;
  TextBox* box;
  QLineEdit* other;
  std::vector<QString> events;
};

TEST_F(TextBoxTest, ChangeComesForTypingAndForCode) {
  Activate();
  box->SetFocus();
  events.clear();
  QTest::keyClicks(box, "ab");
  box->SetText(QStringLiteral("xyz"));
  box->SetText(QStringLiteral("xyz"));
  EXPECT_EQ(events, (std::vector<QString>{"Change:a", "Change:ab", "Change:xyz"}));
}

TEST_F(TextBoxTest, MaxLengthLimitsTypingAndCutsTheText) {
  EXPECT_EQ(box->MaxLength(), 0);
  box->SetText(QString(40000, QChar(u'x')));  // no limit
  EXPECT_GE(box->Text().size(), 32767);
  box->SetText(QStringLiteral("12345"));
  box->SetMaxLength(2);
  EXPECT_EQ(box->Text(), QStringLiteral("12"));
  EXPECT_EQ(box->MaxLength(), 2);
  Activate();
  box->SetFocus();
  box->SetSelStart(2);
  QTest::keyClicks(box, "9");
  EXPECT_EQ(box->Text(), QStringLiteral("12"));
  try {
    box->SetMaxLength(-1);
    ADD_FAILURE();
  } catch (const platform::VbError& e) {
    EXPECT_EQ(e.Number(), 380);
  }
}

TEST_F(TextBoxTest, SelectionByStartAndLength) {
  box->SetText(QStringLiteral("abcdef"));
  box->SetSelStart(2);
  EXPECT_EQ(box->SelStart(), 2);
  EXPECT_EQ(box->SelLength(), 0);
  box->SetSelLength(3);
  EXPECT_EQ(box->selectedText(), QStringLiteral("cde"));
  EXPECT_EQ(box->SelStart(), 2);
  box->SetSelLength(100);  // cut at the end
  EXPECT_EQ(box->SelLength(), 4);
  box->SetSelStart(99);
  EXPECT_EQ(box->SelStart(), 6);
}

TEST_F(TextBoxTest, KeyPressSeesEachCharacterAndMayDiscardOrReplaceIt) {
  std::vector<int> codes;
  box->KeyPress = [&](int& k) {
    codes.push_back(k);
    if (k == 'x') k = 0;
    if (k == 'a') k = 'A';
  };
  Activate();
  box->SetFocus();
  QTest::keyClicks(box, "axb");
  QTest::keyClick(box, Qt::Key_Backspace);
  QTest::keyClick(box, Qt::Key_Return);
  EXPECT_EQ(box->Text(), QStringLiteral("A"));
  QTest::keyClick(box, Qt::Key_Left);    // no character: no KeyPress
  QTest::keyClick(box, Qt::Key_Delete);  // nor here
  EXPECT_EQ(codes, (std::vector<int>{'a', 'x', 'b', 8, 13}));
  EXPECT_EQ(box->Text(), QString());
}

TEST_F(TextBoxTest, FocusEventsWithinTheWindowOnly) {
  Activate();
  box->SetFocus();
  other->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(events, (std::vector<QString>{"GotFocus"}));  // LostFocus waits for the move to finish
  QCoreApplication::processEvents();
  EXPECT_EQ(events, (std::vector<QString>{"GotFocus", "LostFocus"}));

  // Another window taking the activation is no move inside this one.
  box->SetFocus();
  events.clear();
  QWidget elsewhere;
  elsewhere.show();
  elsewhere.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&elsewhere));
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  QCoreApplication::processEvents();
  EXPECT_TRUE(events.empty()) << events.size();
  EXPECT_TRUE(box->hasFocus());
}

TEST_F(TextBoxTest, LostFocusMayTakeTheFocusBack) {
  Activate();
  box->LostFocus = [this] {
    events.push_back("LostFocus");
    box->SetFocus();
  };
  box->SetFocus();
  other->setFocus(Qt::MouseFocusReason);
  QCoreApplication::processEvents();
  EXPECT_TRUE(box->hasFocus());
  EXPECT_EQ(events, (std::vector<QString>{"GotFocus", "LostFocus", "GotFocus"}));
}

}  // namespace

TEST_F(TextBoxTest, ShowsWholeTellsWhereTheTextFitsWithoutScrolling) {
  // Without the focus no caret is drawn: moving the insertion point changes
  // the picture only where the text has to scroll to show it.
  QFont font = box->font();
  font.setPointSize(14);
  font.setBold(true);
  box->setFont(font);
  box->setAlignment(Qt::AlignCenter);
  const QString text = QStringLiteral("888");
  box->SetText(text);
  const int advance = QFontMetrics(font).horizontalAdvance(text);
  int whole = 0;
  for (int width = advance - 4; width <= advance + 16; ++width) {  // across where the text begins to fit
    box->resize(width, 40);
    box->setCursorPosition(static_cast<int>(text.size()));
    const QImage atEnd = box->grab().toImage();
    box->setCursorPosition(0);
    EXPECT_EQ(box->ShowsWhole(text, font), box->grab().toImage() == atEnd) << width;
    whole += box->ShowsWhole(text, font);
  }
  EXPECT_GT(whole, 0);
  EXPECT_LT(whole, 21);
}
