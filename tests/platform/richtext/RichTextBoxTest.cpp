#include "RtfTestSupport.h"
#include "platform/richtext/RichTextBox.h"
#include "platform/richtext/RtfWriter.h"
#include "platform/values/VbError.h"

#include <QApplication>
#include <QBuffer>
#include <QContextMenuEvent>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextTable>
#include <QTimer>
#include <gtest/gtest.h>
#include <cmath>
#include <functional>
#include <limits>

using platform::RichTextBox;
using platform::VbError;
using rtftest::Outline;

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kCoverText = kCrLf + QStringLiteral("     --- answer ---");
const QString kMarker = QString(QChar(0x00A7));  // "§"

int RefusedWith(const std::function<void()>& action) {
  try {
    action();
  } catch (const VbError& e) {
    EXPECT_EQ(e.Description(), "Invalid property value");
    return e.Number();
  }
  return 0;
}

// The text styles the question window gives selections.
void HeaderStyle(RichTextBox& box) {
  box.SetSelBold(true);
  box.SetSelUnderline(false);
  box.SetSelColor(QColor(0xFF, 0x00, 0xFF));
  box.SetSelAlignment(RichTextBox::rtfCenter);
  box.SetSelIndent(0);
  box.SetSelRightIndent(0);
}

void LabelStyle(RichTextBox& box) {
  box.SetSelBold(true);
  box.SetSelUnderline(true);
  box.SetSelColor(Qt::black);
  box.SetSelAlignment(RichTextBox::rtfLeft);
  box.SetSelIndent(210);
  box.SetSelRightIndent(210);
}

void BodyStyle(RichTextBox& box) {
  box.SetSelBold(false);
  box.SetSelUnderline(false);
  box.SetSelColor(Qt::black);
  box.SetSelAlignment(RichTextBox::rtfLeft);
  box.SetSelIndent(210);
  box.SetSelRightIndent(210);
}

// The question box composed step by step as the question window does it.
void Compose(RichTextBox& box, RichTextBox& convert, const QString& composed, const QString& label,
             const QString& storedQuestion, double fontSize) {
  box.SetTextRTF(composed);
  box.SetFontSize(fontSize);
  box.SetSelStart(0);
  box.SetSelLength(static_cast<int>(box.TextRTF().size()));
  HeaderStyle(box);
  box.SetSelStart(0);
  if (!label.isEmpty()) {
    box.UpTo(kMarker);
    box.SetSelLength(1);
    LabelStyle(box);
    box.SetSelText(label);
  }
  box.UpTo(kMarker);
  box.SetSelLength(1);
  BodyStyle(box);
  convert.SetTextRTF(storedQuestion);
  box.SetSelText(convert.Text());
  box.SetSelStart(0);
}

struct MouseRecord {
  QString event;
  int button, shift;
  double x, y;
};

}  // namespace

TEST(RichTextBox, TextThatIsNotMarkupIsShownAsPlainText) {
  RichTextBox box;
  box.SetTextRTF(kCoverText);
  EXPECT_EQ(box.Text(), kCoverText);
  EXPECT_EQ(box.document()->blockCount(), 2);
  // CrLf is one break; so are CR and LF alone.
  box.SetTextRTF("one\r\ntwo\rthree\nfour");
  EXPECT_EQ(box.Text(), "one\r\ntwo\r\nthree\r\nfour");
  EXPECT_EQ(box.document()->blockCount(), 4);
  // In the box's own font.
  EXPECT_EQ(Outline(*box.document()).count("[MS Sans Serif 8.25]"), 4);
  // Garbage shows as what text it holds.
  box.SetTextRTF(QString::fromLatin1("\x01\x02garbage\x00more", 15));
  EXPECT_EQ(box.Text(), "garbagemore");
  box.SetText("set as text");
  EXPECT_EQ(box.Text(), "set as text");
  EXPECT_EQ(box.SelStart(), 0);
  EXPECT_EQ(box.SelLength(), 0);
}

TEST(RichTextBox, MarkupInAndOut) {
  RichTextBox box;
  box.SetTextRTF("{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 First\\par {\\b Second}\\par}");
  EXPECT_EQ(box.Text(), "First\r\nSecond");
  EXPECT_EQ(box.TextRTF(),
            "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}}\r\n"
            "\\viewkind4\\uc1\\pard\\f0\\fs20 First\\par\r\n"
            "\\b Second\\par\r\n"
            "}\r\n");
  box.SetTextRTF("");
  EXPECT_EQ(box.Text(), "");
}

TEST(RichTextBox, SelectionCountsLineBreaksAsCrLf) {
  RichTextBox box;
  box.SetText("ab\r\ncd\r\n\r\nef");
  box.SetSelStart(4);
  box.SetSelLength(2);
  EXPECT_EQ(box.SelText(), "cd");
  box.SetSelStart(1);
  box.SetSelLength(4);
  EXPECT_EQ(box.SelText(), "b\r\nc");
  EXPECT_EQ(box.SelStart(), 1);
  EXPECT_EQ(box.SelLength(), 4);
  // Everything, with a length far past the end.
  box.SetSelStart(0);
  box.SetSelLength(100000);
  EXPECT_EQ(box.SelText(), box.Text());
  EXPECT_EQ(box.SelLength(), 12);
  // A start past the end is the end; setting the start drops the selection.
  box.SetSelStart(500);
  EXPECT_EQ(box.SelStart(), 12);
  EXPECT_EQ(box.SelLength(), 0);
  EXPECT_EQ(RefusedWith([&] { box.SetSelStart(-1); }), 380);
  EXPECT_EQ(RefusedWith([&] { box.SetSelLength(-1); }), 380);
  // Line breaks inside a paragraph count two as well; pictures count nothing.
  QImage image(2, 2, QImage::Format_RGB32);
  image.fill(Qt::red);
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  box.SetTextRTF(QString("{\\rtf1 a\\line b{\\pict\\pngblip ") + png.toHex() + "}c}");
  EXPECT_EQ(box.Text(), "a\r\nbc");
  box.SetSelStart(3);
  box.SetSelLength(2);
  EXPECT_EQ(box.SelText(), "bc");
  box.SetSelStart(4);
  box.SetSelLength(1);
  EXPECT_EQ(box.SelText(), "c");
  EXPECT_EQ(box.ToTextPosition(box.document()->characterCount() - 1), 5);
}

TEST(RichTextBox, ReplacingTheSelection) {
  RichTextBox box;
  box.SetTextRTF("{\\rtf1 plain {\\b bold} tail}");
  box.SetSelStart(6);
  box.SetSelLength(4);
  EXPECT_EQ(box.SelText(), "bold");
  // The new text takes the format of the first replaced character.
  box.SetSelText("BOLD\r\nLINE");
  EXPECT_EQ(box.Text(), "plain BOLD\r\nLINE tail");
  EXPECT_EQ(box.SelStart(), 16);
  EXPECT_EQ(box.SelLength(), 0);
  EXPECT_TRUE(Outline(*box.document()).contains("bold] BOLD\n"));
  EXPECT_TRUE(Outline(*box.document()).contains("bold] LINE\n"));
  // Across paragraphs: the joined paragraph keeps the first one's format.
  box.SetTextRTF("{\\rtf1\\qc one\\par\\pard two}");
  box.SetSelStart(2);
  box.SetSelLength(4);
  box.SetSelText("-");
  EXPECT_EQ(box.Text(), "on-wo");
  EXPECT_EQ(box.SelAlignment(), RichTextBox::rtfCenter);
  // A styled insertion point styles what is put there next.
  box.SetText("start");
  box.SetSelStart(5);
  box.SetSelBold(true);
  box.SetSelColor(Qt::blue);
  box.SetSelText(" end");
  EXPECT_EQ(Outline(*box.document()),
            "P left li0 ri0 fi0 sb0 sa0\n"
            "  [MS Sans Serif 8.25] start\n"
            "  [MS Sans Serif 8.25 bold fg#0000ff]  end\n");
  // Also in an empty box, and only where it was styled.
  box.SetText("");
  box.SetSelUnderline(true);
  box.SetSelFontSize(12);
  box.SetSelText("x");
  box.SetSelBold(true);
  box.SetSelStart(0);
  box.SetSelText("y");
  EXPECT_EQ(Outline(*box.document()), "P left li0 ri0 fi0 sb0 sa0\n"
                                      "  [MS Sans Serif 12 underline] yx\n");
}

TEST(RichTextBox, UpToAndFind) {
  RichTextBox box;
  box.SetText(QString::fromUtf8("[Section: X]\r\n\r\n§\r\n\r\n§"));
  box.SetSelStart(0);
  box.UpTo(kMarker);
  EXPECT_EQ(box.SelStart(), 16);
  box.SetSelLength(1);
  EXPECT_EQ(box.SelText(), kMarker);
  // From the end of the selection: the next marker, not this one.
  box.UpTo(kMarker);
  EXPECT_EQ(box.SelStart(), 21);
  EXPECT_EQ(box.SelLength(), 0);
  // None left: the end.
  box.SetSelStart(22);
  box.UpTo(kMarker);
  EXPECT_EQ(box.SelStart(), 22);
  // Backward stops after the character; negated sets stop at the first other one.
  box.SetSelStart(21);
  box.UpTo("]", false);
  EXPECT_EQ(box.SelStart(), 12);
  box.SetSelStart(0);
  box.UpTo("[Sector", true, true);
  EXPECT_EQ(box.SelStart(), 5);

  box.SetText("The vessel; a Vessel\r\nvessels");
  EXPECT_EQ(box.Find("VESSEL"), 4);
  EXPECT_EQ(box.SelText(), "vessel");
  EXPECT_EQ(box.Find("Vessel", 0, -1, RichTextBox::rtfMatchCase), 14);
  EXPECT_EQ(box.Find("vessel", 15), 22);
  EXPECT_EQ(box.Find("vessel", 15, 25), -1);
  EXPECT_EQ(box.Find("vessel", 15, -1, RichTextBox::rtfWholeWord), -1);
  EXPECT_EQ(box.Find("ess", 0, -1, RichTextBox::rtfWholeWord), -1);
  box.SetSelStart(0);
  EXPECT_EQ(box.Find("a", 0, -1, RichTextBox::rtfNoHighlight | RichTextBox::rtfWholeWord), 12);
  EXPECT_EQ(box.SelLength(), 0);
  EXPECT_EQ(box.Find("missing"), -1);
  EXPECT_EQ(box.Find(""), -1);
}

TEST(RichTextBox, ComposesAQuestionInTwoParts) {
  RichTextBox box;
  RichTextBox convert;
  const QString stored = platform::PlainTextToRtf(QString::fromUtf8("Which lights does a vessel show?\r\n"
                                                                    "Give the arc of each (°)."));
  Compose(box, convert,
          "[Section: Rules of the Road]" + kCrLf + kCrLf + kMarker + kCrLf + kCrLf + kMarker,
          "First part of the question:", stored, 8);
  EXPECT_EQ(box.Text(), QString::fromUtf8("[Section: Rules of the Road]\r\n\r\nFirst part of the question:\r\n\r\n"
                                          "Which lights does a vessel show?\r\nGive the arc of each (°)."));
  EXPECT_EQ(Outline(*box.document()),
            QString::fromUtf8("P center li0 ri0 fi0 sb0 sa0\n"
                              "  [MS Sans Serif 8 bold fg#ff00ff] [Section: Rules of the Road]\n"
                              "P center li0 ri0 fi0 sb0 sa0\n"
                              "P left li210 ri210 fi0 sb0 sa0\n"
                              "  [MS Sans Serif 8 bold underline fg#000000] First part of the question:\n"
                              "P center li0 ri0 fi0 sb0 sa0\n"
                              "P left li210 ri210 fi0 sb0 sa0\n"
                              "  [MS Sans Serif 8 fg#000000] Which lights does a vessel show?\n"
                              "P left li210 ri210 fi0 sb0 sa0\n"
                              "  [MS Sans Serif 8 fg#000000] Give the arc of each (°).\n"));
  EXPECT_EQ(box.SelStart(), 0);
  EXPECT_EQ(box.SelLength(), 0);
  // The composed box survives its own markup.
  RichTextBox copy;
  copy.SetTextRTF(box.TextRTF());
  EXPECT_EQ(Outline(*copy.document()), Outline(*box.document()));
}

TEST(RichTextBox, ComposesAOnePartQuestionStartingWithALineBreak) {
  RichTextBox box;
  RichTextBox convert;
  Compose(box, convert, "[Section: Buoyage]" + kCrLf + kMarker, QString(), "\r\nWhat is a cardinal mark?", 10);
  EXPECT_EQ(box.Text(), "[Section: Buoyage]\r\n\r\nWhat is a cardinal mark?");
  EXPECT_EQ(Outline(*box.document()),
            "P center li0 ri0 fi0 sb0 sa0\n"
            "  [MS Sans Serif 10 bold fg#ff00ff] [Section: Buoyage]\n"
            "P left li210 ri210 fi0 sb0 sa0\n"
            "P left li210 ri210 fi0 sb0 sa0\n"
            "  [MS Sans Serif 10 fg#000000] What is a cardinal mark?\n");
}

TEST(RichTextBox, RevealsAnAnswerInTheAnswerStyle) {
  RichTextBox box;
  box.SetTextRTF("{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\colortbl ;\\red0\\green0\\blue255;}"
                 "\\f0\\fs30\\cf1\\b Masthead light\\b0 , 225\\'b0\\par\\qc\\ul white\\par}");
  box.SetSelStart(0);
  box.SetSelLength(static_cast<int>(box.TextRTF().size()));
  box.SetSelFontName("MS Sans Serif");
  box.SetSelFontSize(14);
  box.SetSelColor(Qt::black);
  box.SetSelBold(false);
  box.SetSelUnderline(false);
  box.SetSelIndent(210);
  box.SetSelRightIndent(210);
  box.SetSelStart(0);
  // The answer keeps its paragraphs and alignment.
  EXPECT_EQ(Outline(*box.document()), QString::fromUtf8("P left li210 ri210 fi0 sb0 sa0\n"
                                                        "  [MS Sans Serif 14 fg#000000] Masthead light, 225°\n"
                                                        "P center li210 ri210 fi0 sb0 sa0\n"
                                                        "  [MS Sans Serif 14 fg#000000] white\n"));
  EXPECT_EQ(box.SelFontName(), "MS Sans Serif");
  EXPECT_EQ(box.SelFontSize(), 14);
}

TEST(RichTextBox, CoverIndentAppliesToItsFirstParagraph) {
  RichTextBox box;
  box.SetTextRTF(kCoverText);
  box.SetSelStart(0);
  box.SetSelLength(1);
  box.SetSelIndent(210);
  EXPECT_EQ(box.document()->begin().blockFormat().leftMargin(), 14);
  EXPECT_EQ(box.document()->lastBlock().blockFormat().leftMargin(), 0);
  EXPECT_EQ(box.Text(), kCoverText);
}

TEST(RichTextBox, IndentsKeepHangingLinesAndMoveTablesWhole) {
  RichTextBox box;
  box.SetTextRTF("{\\rtf1\\pard\\li360\\fi-360 1.\\tab a\\par\\li720\\fi360 b\\par"
                 "\\trowd\\cellx900\\pard\\intbl\\li60 c\\cell\\row\\pard d}");
  box.SetSelStart(0);
  box.SetSelLength(static_cast<int>(box.Text().size()));
  EXPECT_EQ(box.SelIndent(), std::nullopt);
  box.SetSelIndent(210);
  box.SetSelRightIndent(90);
  // The first line starts at the indent; the lines after it keep their
  // offset, but none starts left of the box; a table moves as a whole.
  EXPECT_EQ(Outline(*box.document()),
            "P left li570 ri90 fi-360 sb0 sa0 tab360\n  [MS Sans Serif 12] 1.<tab>a\n"
            "P left li0 ri90 fi210 sb0 sa0\n  [MS Sans Serif 12] b\n"
            "T 1x1 900\n"
            "P 0,0 left li60 ri0 fi0 sb0 sa0\n  [MS Sans Serif 12] c\n"
            "P left li210 ri90 fi0 sb0 sa0\n  [MS Sans Serif 12] d\n");
  const QTextTable* table = QTextCursor(box.document()->findBlockByNumber(2)).currentTable();
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->format().leftMargin(), 14);
  EXPECT_EQ(table->format().rightMargin(), 6);
  EXPECT_EQ(box.SelIndent(), 210);
  EXPECT_EQ(box.SelRightIndent(), 90);
}

TEST(RichTextBox, SelectionValuesAndMixedSelections) {
  RichTextBox box;
  box.SetTextRTF("{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1 Courier;}}\\f0\\fs20 ab{\\b\\f1\\fs24 cd}\\par\\qc ef}");
  box.SetSelStart(0);
  box.SetSelLength(2);
  EXPECT_EQ(box.SelBold(), false);
  EXPECT_EQ(box.SelFontName(), "Arial");
  EXPECT_EQ(box.SelFontSize(), 10);
  EXPECT_EQ(box.SelAlignment(), RichTextBox::rtfLeft);
  box.SetSelLength(3);
  EXPECT_EQ(box.SelBold(), std::nullopt);
  EXPECT_EQ(box.SelFontName(), std::nullopt);
  EXPECT_EQ(box.SelFontSize(), std::nullopt);
  EXPECT_EQ(box.SelUnderline(), false);
  box.SetSelStart(3);
  box.SetSelLength(4);
  EXPECT_EQ(box.SelAlignment(), std::nullopt);
  box.SetSelStart(6);
  EXPECT_EQ(box.SelAlignment(), RichTextBox::rtfCenter);
  EXPECT_EQ(box.SelIndent(), 0);
  box.SetSelIndent(300);
  box.SetSelRightIndent(45);
  EXPECT_EQ(box.SelIndent(), 300);
  EXPECT_EQ(box.SelRightIndent(), 45);
  EXPECT_EQ(RefusedWith([&] { box.SetSelAlignment(3); }), 380);
  EXPECT_EQ(RefusedWith([&] { box.SetSelIndent(31681); }), 380);
  EXPECT_EQ(RefusedWith([&] { box.SetSelRightIndent(-31681); }), 380);
}

TEST(RichTextBox, FontSizeOfTheWholeBox) {
  RichTextBox box;
  box.SetTextRTF("{\\rtf1\\fs20 small\\par\\fs60\\par{\\fs40 big}}");
  QSignalSpy whole(box.document(), &QTextDocument::contentsChange);
  box.SetFontSize(14);
  EXPECT_EQ(whole.count(), 1);
  EXPECT_EQ(box.FontSize(), 14);
  const QString outline = Outline(*box.document());
  EXPECT_EQ(outline.count(" 14]"), 2) << outline.toStdString();
  EXPECT_EQ(box.document()->findBlockByNumber(1).charFormat().fontPointSize(), 14);
  // Text put in later takes the box's size.
  box.SetText("later");
  EXPECT_TRUE(Outline(*box.document()).contains("[MS Sans Serif 14] later"));
  // The selection's size reaches its empty paragraphs, the first one too,
  // and none after it.
  box.SetTextRTF("{\\rtf1\\fs20\\par x\\par\\fs60\\par y\\par\\fs30\\par}");
  box.SetSelStart(0);
  box.SetSelLength(7);
  // One change of the document, laid out once, however many paragraphs.
  QSignalSpy changes(box.document(), &QTextDocument::contentsChange);
  box.SetSelFontSize(9);
  EXPECT_EQ(changes.count(), 1);
  std::vector<double> sizes;
  for (QTextBlock b = box.document()->begin(); b.isValid(); b = b.next()) sizes.push_back(b.charFormat().fontPointSize());
  EXPECT_EQ(sizes[0], 9);
  EXPECT_EQ(sizes[2], 9);
  EXPECT_EQ(sizes.back(), 15);
  EXPECT_TRUE(Outline(*box.document()).contains(" 9] x\n"));
  EXPECT_TRUE(Outline(*box.document()).contains(" 30] y\n"));
  // Cells chosen as a block: their empty paragraphs too.
  box.SetTextRTF("{\\rtf1\\trowd\\cellx900\\cellx1800\\intbl a\\cell\\cell\\row\\intbl\\cell b\\cell\\row}");
  box.SetSelStart(static_cast<int>(box.Text().indexOf('a')));
  box.SetSelLength(static_cast<int>(box.Text().indexOf('b') - box.Text().indexOf('a')));
  ASSERT_TRUE(box.textCursor().hasComplexSelection());
  changes.clear();
  box.SetSelFontSize(9);
  EXPECT_EQ(changes.count(), 1);
  const QTextTable* table = box.textCursor().currentTable();
  EXPECT_EQ(table->cellAt(0, 1).firstCursorPosition().block().charFormat().fontPointSize(), 9);
  EXPECT_EQ(table->cellAt(1, 0).firstCursorPosition().block().charFormat().fontPointSize(), 9);
}

TEST(RichTextBox, RefusedFontSizesRaiseError380AndChangeNothing) {
  RichTextBox box;
  box.SetText("text");
  box.SetFontSize(8);
  for (double size : {0.0, -2.0, 0.5, 1639.0, std::nan(""), std::numeric_limits<double>::infinity()}) {
    EXPECT_EQ(RefusedWith([&] { box.SetFontSize(size); }), 380) << size;
    EXPECT_EQ(RefusedWith([&] { box.SetSelFontSize(size); }), 380) << size;
  }
  EXPECT_EQ(box.FontSize(), 8);
  EXPECT_TRUE(Outline(*box.document()).contains("[MS Sans Serif 8] text"));
  box.SetFontSize(1);
  box.SetFontSize(1638);
  EXPECT_EQ(box.FontSize(), 1638);

  // The font-size menu's Decrease: a refused size puts the old one back.
  int textFontSize = 8;
  box.SetFontSize(textFontSize);
  for (int click = 0; click < 6; ++click) {
    const int before = textFontSize;
    textFontSize -= 2;
    try {
      box.SetFontSize(textFontSize);
    } catch (const VbError&) {
      textFontSize = before;
    }
  }
  EXPECT_EQ(textFontSize, 2);
  EXPECT_EQ(box.FontSize(), 2);
}

TEST(RichTextBox, BackColourIsWhatTheBoxShows) {
  RichTextBox box;
  box.resize(200, 100);
  box.SetBackColor(QColor(251, 159, 60));
  box.SetTextRTF(kCoverText);
  EXPECT_EQ(box.BackColor(), QColor(251, 159, 60));
  const QImage shot = box.grab().toImage();
  EXPECT_EQ(QColor(shot.pixel(190, 90)), QColor(251, 159, 60));
  box.SetToolTipText("Click = permanent");
  EXPECT_EQ(box.toolTip(), "Click = permanent");
}

class RichTextBoxMouse : public ::testing::Test {
 protected:
  void SetUp() override {
    box_.resize(300, 200);
    box_.SetText("Some text to click on");
    box_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box_));
    for (auto [signal, name] : {std::pair{&RichTextBox::MouseDown, "down"}, std::pair{&RichTextBox::MouseMove, "move"},
                                std::pair{&RichTextBox::MouseUp, "up"}}) {
      QObject::connect(&box_, signal, [this, name = QString(name)](int b, int s, double x, double y) {
        events_.push_back({name, b, s, x, y});
      });
    }
    QObject::connect(&box_, &RichTextBox::Click, [this] { events_.push_back({"click", 0, 0, 0, 0}); });
  }

  QString Events() const {
    QString out;
    for (const auto& e : events_) {
      out += QStringLiteral("%1 %2 %3 %4 %5;").arg(e.event).arg(e.button).arg(e.shift).arg(e.x).arg(e.y);
    }
    return out;
  }

  RichTextBox box_;
  std::vector<MouseRecord> events_;
};

TEST_F(RichTextBoxMouse, ButtonsShiftAndTwips) {
  QWidget* view = box_.viewport();
  QTest::mousePress(view, Qt::RightButton, Qt::ShiftModifier | Qt::ControlModifier, QPoint(10, 5));
  QTest::mouseRelease(view, Qt::RightButton, Qt::AltModifier, QPoint(12, 6));
  QTest::mousePress(view, Qt::MiddleButton, Qt::NoModifier, QPoint(1, 2));
  QTest::mouseRelease(view, Qt::MiddleButton, Qt::NoModifier, QPoint(1, 2));
  EXPECT_EQ(Events(), "down 2 3 150 75;up 2 4 180 90;down 4 0 15 30;up 4 0 15 30;");
}

TEST_F(RichTextBoxMouse, MovesWithAndWithoutButtons) {
  QWidget* view = box_.viewport();
  QMouseEvent bare(QEvent::MouseMove, QPointF(20, 7), view->mapToGlobal(QPointF(20, 7)), Qt::NoButton,
                   Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(view, &bare);
  QMouseEvent dragging(QEvent::MouseMove, QPointF(40, 8), view->mapToGlobal(QPointF(40, 8)), Qt::NoButton,
                       Qt::LeftButton | Qt::RightButton, Qt::ShiftModifier);
  QApplication::sendEvent(view, &dragging);
  EXPECT_EQ(Events(), "move 0 0 300 105;move 3 1 600 120;");
}

TEST_F(RichTextBoxMouse, ClickIsALeftPressAndReleaseAfterMouseUp) {
  QWidget* view = box_.viewport();
  QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, QPoint(30, 10));
  EXPECT_EQ(Events(), "down 1 0 450 150;up 1 0 450 150;click 0 0 0 0;");
  events_.clear();
  QTest::mouseClick(view, Qt::RightButton, Qt::NoModifier, QPoint(30, 10));
  EXPECT_EQ(Events().count("click"), 0);
  // A release outside the box is no click.
  events_.clear();
  QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, QPoint(30, 10));
  QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, QPoint(30, 500));
  EXPECT_EQ(Events().count("click"), 0);
  // A double click clicks once, whether or not its second press comes
  // before the double-click event.
  const auto send = [&](QEvent::Type type, Qt::MouseButtons held) {
    QMouseEvent e(type, QPointF(30, 10), view->mapToGlobal(QPointF(30, 10)), Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(view, &e);
  };
  for (bool secondPress : {false, true}) {
    events_.clear();
    send(QEvent::MouseButtonPress, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, Qt::NoButton);
    if (secondPress) send(QEvent::MouseButtonPress, Qt::LeftButton);
    send(QEvent::MouseButtonDblClick, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, Qt::NoButton);
    EXPECT_EQ(Events(), QString("down 1 0 450 150;up 1 0 450 150;click 0 0 0 0;") +
                            (secondPress ? "down 1 0 450 150;" : "") + "up 1 0 450 150;");
  }
}

TEST_F(RichTextBoxMouse, ReadOnlyForTheUserButSelectable) {
  box_.setFocus();
  QTest::keyClicks(&box_, "typed");
  QTest::keyClick(&box_, Qt::Key_Backspace);
  QTest::keyClick(&box_, Qt::Key_Return);
  EXPECT_EQ(box_.Text(), "Some text to click on");
  QTest::keySequence(&box_, QKeySequence::SelectAll);
  EXPECT_EQ(box_.SelLength(), 21);
  // A drag with the mouse selects.
  box_.SetSelStart(0);
  const QPoint from = box_.cursorRect(box_.document()->find("text")).center();
  const QPoint to = box_.cursorRect(box_.document()->find("click")).center();
  QTest::mousePress(box_.viewport(), Qt::LeftButton, Qt::NoModifier, from);
  QTest::mouseMove(box_.viewport(), to);
  QTest::mouseRelease(box_.viewport(), Qt::LeftButton, Qt::NoModifier, to);
  EXPECT_GT(box_.SelLength(), 0);
  // Programs still edit.
  box_.SetSelStart(0);
  box_.SetSelLength(4);
  box_.SetSelText("Other");
  EXPECT_EQ(box_.Text(), "Other text to click on");
}

TEST_F(RichTextBoxMouse, NoMenuOfItsOwn) {
  // The programs pop up their own menu on MouseUp; the box shows none.
  bool popup = false;
  QTimer::singleShot(50, [&] {
    if (QWidget* menu = QApplication::activePopupWidget()) {
      popup = true;
      menu->close();
    }
  });
  QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(10, 10), box_.mapToGlobal(QPoint(10, 10)));
  QApplication::sendEvent(box_.viewport(), &event);
  QTest::qWait(100);
  EXPECT_FALSE(popup);
}
