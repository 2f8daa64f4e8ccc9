#include "RtfTestSupport.h"
#include "platform/richtext/RichTextBox.h"
#include "platform/richtext/RtfReader.h"
#include "platform/richtext/RtfWriter.h"

#include <QBuffer>
#include <QImage>
#include <QTextCursor>
#include <QTextDocument>
#include <gtest/gtest.h>

using platform::PlainTextToRtf;
using platform::ReadRtf;
using platform::WriteRtf;
using rtftest::Outline;
using rtftest::PlainText;

namespace {

QByteArray Encoded(const QImage& image, const char* format) {
  QByteArray data;
  QBuffer buffer(&data);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, format);
  return data;
}

// Reads, writes and reads again: the second reading must show the same
// document, and writing it again must give the same markup.
void ExpectRoundTrip(const QString& rtf) {
  QTextDocument first;
  ReadRtf(QStringView(rtf), first);
  const QString written = WriteRtf(first);
  QTextDocument second;
  ReadRtf(QStringView(written), second);
  EXPECT_EQ(Outline(second), Outline(first)) << written.toStdString();
  EXPECT_EQ(PlainText(second), PlainText(first));
  EXPECT_EQ(WriteRtf(second), written);
}

}  // namespace

TEST(RtfWriter, WritesWhatAWindowsControlWrites) {
  QTextDocument doc;
  ReadRtf(QStringView(u"{\\rtf1{\\fonttbl{\\f0 MS Sans Serif;}}\\f0\\fs17 Plain text\\par second line}"), doc);
  EXPECT_EQ(WriteRtf(doc),
            "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 MS Sans Serif;}}\r\n"
            "\\viewkind4\\uc1\\pard\\f0\\fs17 Plain text\\par\r\n"
            "second line\\par\r\n"
            "}\r\n");
}

TEST(RtfWriter, WritesOnlyTheChangesOfFormat) {
  QTextDocument doc;
  ReadRtf(QStringView(u"{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1 Courier New;}}"
                      "{\\colortbl ;\\red255\\green0\\blue255;\\red0\\green0\\blue128;}"
                      "\\pard\\qc\\b\\cf1\\f0\\fs20 [Section: Rules]\\par"
                      "\\pard\\li210\\ri210\\cf0\\ul First part:\\ulnone\\b0  body \\i it\\i0  "
                      "\\strike x\\strike0 \\highlight2 hl\\highlight0 \\f1\\fs24 mono\\par}"),
          doc);
  EXPECT_EQ(WriteRtf(doc),
            "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}"
            "{\\f1\\fnil\\fcharset0 Courier New;}}\r\n"
            "{\\colortbl ;\\red255\\green0\\blue255;\\red0\\green0\\blue128;}\r\n"
            "\\viewkind4\\uc1\\pard\\qc\\cf1\\b\\f0\\fs20 [Section: Rules]\\par\r\n"
            "\\pard\\li210\\ri210\\cf0\\ul First part:\\ulnone\\b0  body \\i it\\i0  \\strike x"
            "\\highlight2\\strike0 hl\\highlight0\\f1\\fs24 mono\\par\r\n"
            "}\r\n");
}

TEST(RtfWriter, EscapesCharacters) {
  QTextDocument doc;
  QTextCursor cursor(&doc);
  QTextCharFormat format;
  format.setFontFamilies({QStringLiteral("Arial")});
  format.setFontPointSize(10);
  cursor.insertText(QString::fromUtf8("a\\b{c}\td") + QChar(0x2028) + QString::fromUtf8("45° ±2 § € “x” Дон 😊 ") +
                        QChar(0x00A0),
                    format);
  const QString rtf = WriteRtf(doc);
  EXPECT_TRUE(rtf.contains("\\pard\\f0\\fs20 a\\\\b\\{c\\}\\tab d\\line 45\\'b0 \\'b12 \\'a7 \\'80 \\'93x\\'94 "
                           "\\u1044?\\u1086?\\u1085? \\u-10179?\\u-8694? \\'a0\\par\r\n"))
      << rtf.toStdString();
  // Nothing but ASCII goes out.
  for (QChar c : rtf) EXPECT_LT(c.unicode(), 0x80);
  QTextDocument back;
  ReadRtf(QStringView(rtf), back);
  EXPECT_EQ(PlainText(back), PlainText(doc));
}

TEST(RtfWriter, EmptyDocumentAndEmptyParagraphs) {
  QTextDocument doc;
  doc.setDefaultFont(QFont(QStringLiteral("Arial"), 10));
  // A document not read from markup has the text layout's own tab stops.
  EXPECT_EQ(WriteRtf(doc),
            "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}}\r\n"
            "\\deftab1200\\viewkind4\\uc1\\pard\\f0\\fs20\\par\r\n}\r\n");
  ExpectRoundTrip(QStringLiteral("{\\rtf1\\par\\fs40\\par\\fs10 x\\par\\par}"));
}

TEST(RtfWriter, PlainTextToMarkup) {
  EXPECT_EQ(PlainTextToRtf(QString::fromUtf8("Line one\r\nLine two 45°")),
            "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 MS Sans Serif;}}\r\n"
            "\\viewkind4\\uc1\\pard\\f0\\fs17 Line one\\par\r\n"
            "Line two 45\\'b0\\par\r\n"
            "}\r\n");
  // CR and LF alone end lines too; empty lines stay; font and size as asked.
  EXPECT_EQ(PlainTextToRtf("a\rb\n\nc", "Arial", 20),
            "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}}\r\n"
            "\\viewkind4\\uc1\\pard\\f0\\fs20 a\\par\r\nb\\par\r\n\\par\r\nc\\par\r\n}\r\n");
  EXPECT_EQ(PlainTextToRtf(""),
            "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 MS Sans Serif;}}\r\n"
            "\\viewkind4\\uc1\\pard\\f0\\fs17\\par\r\n}\r\n");
  // Blanks at the start of a line are text, not the end of a control word.
  EXPECT_TRUE(PlainTextToRtf("\r\n     --- answer ---").contains("\\fs17\\par\r\n     --- answer ---\\par"));
}

TEST(RtfWriter, PlainTextReadsBackAsTheSameText) {
  const QString texts[] = {
      QString::fromUtf8("Question?\r\nSecond line with § and ° and ±"),
      QString::fromUtf8("\r\nstarts with a line break"),
      QString::fromUtf8("ends with one\r\n"),
      QString::fromUtf8("{braces} \\back\\ \ttab  two blanks"),
      QString::fromUtf8("Дон € 😊"),
      QString(),
  };
  for (const QString& text : texts) {
    QTextDocument doc;
    ReadRtf(QStringView(PlainTextToRtf(text)), doc);
    EXPECT_EQ(PlainText(doc), text);
    EXPECT_EQ(Outline(doc).count("[MS Sans Serif 8.5]"), Outline(doc).count("  ["));
  }
}

TEST(RtfWriter, PlainTextMarkupIsWhatTheBoxWrites) {
  platform::RichTextBox box;
  box.SetFontSize(8.5);
  const QString text = QString::fromUtf8("Which light?\r\n\r\nA white light of 225° ± 5°");
  box.SetText(text);
  EXPECT_EQ(box.TextRTF(), PlainTextToRtf(text));
}

TEST(RtfWriter, RoundTripsOfFormattedDocuments) {
  ExpectRoundTrip(QStringLiteral("{\\rtf1 plain}"));
  ExpectRoundTrip(QStringLiteral(
      "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}{\\f1 Times New Roman;}{\\f2 Courier New;}}"
      "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green128\\blue0;\\red255\\green255\\blue0;}"
      "\\pard\\qc\\sb120\\sa60\\b\\f1\\fs32 Title\\par"
      "\\pard\\li720\\ri360\\fi-240\\f0\\fs20 Normal {\\b bold} {\\i italic} {\\ul under} {\\strike struck} "
      "{\\cf1 red} {\\cf2\\highlight3 green on yellow} {\\f2 mono}\\line next line\\tab tabbed\\par"
      "\\pard\\qr right\\par\\pard\\qj justified text\\par"
      "\\pard\\par\\fs40\\par"
      "\\pard\\f1\\fs17 \\'b0\\'b1\\'a7 \\u1044?\\u8364? \\{\\}\\\\ end}"));
  // Blanks around formatting changes and at paragraph starts.
  ExpectRoundTrip(QStringLiteral("{\\rtf1 {\\b  lead} mid {\\i trail }\\par    indented\\par\\tab  x\\line  y}"));
}

TEST(RtfWriter, ListsTablesAndScriptsAsTheReaderUnderstoodThem) {
  const QString rtf = QStringLiteral(
      "{\\rtf1\\deftab360{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset204 Arial;}{\\f2\\fcharset2 Symbol;}}"
      "{\\pntext\\f2\\'b7\\tab}\\pard\\li720\\fi-360\\f0 item\\tqr\\tx4000\\tab r\\par"
      "\\pard\\f1\\'cf\\'f0\\'e8{\\super\\chftn} so\\-ft\\par"
      "\\trowd\\trgaph108\\clbrdrb\\brdrs\\cellx1000\\cellx3000\\pard\\intbl\\qc a\\par b\\cell\\cell\\row"
      "\\trowd\\cellx1000\\cellx3000\\intbl c\\cell d\\cell\\row\\pard end}");
  ExpectRoundTrip(rtf);
  QTextDocument doc;
  ReadRtf(QStringView(rtf), doc);
  const QString written = WriteRtf(doc);
  // The symbol font's bullet is a character of the text's own font.
  for (const char* part : {"\\deftab360\\viewkind4", "{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}}",
                           "\\pard\\li720\\fi-360\\tx720\\tqr\\tx4000\\f0\\fs24\\'95\\tab item\\tab r\\par",
                           "\\u1055?\\u1088?\\u1080?\\super 1\\nosupersub  so\\-ft\\par",
                           "\\trowd\\trgaph108\\clbrdrb\\brdrs\\cellx1000\\cellx3000",
                           "\\pard\\qc\\intbl a\\par\r\nb\\cell\\cell\\row\r\n"}) {
    EXPECT_TRUE(written.contains(QLatin1StringView(part))) << part << "\n" << written.toStdString();
  }
  // Letters of the symbol font are written as the letters it shows.
  const QString symbols = QStringLiteral("{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset2 Symbol;}}{\\f1\\'61\\'62 g} a}");
  ExpectRoundTrip(symbols);
  ReadRtf(QStringView(symbols), doc);
  EXPECT_TRUE(WriteRtf(doc).contains("\\u945?\\u946? \\u947? a\\par")) << WriteRtf(doc).toStdString();
  // The signs of the dingbat fonts, those beyond 16 bits too, are written
  // as the characters they are, in the text's own font; a symbol font
  // without a chart keeps its name and codes.
  const QString dingbats = QStringLiteral(
      "{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset2 Wingdings;}{\\f2\\fcharset2 Webdings;}{\\f3 Zapf Dingbats;}"
      "{\\f4\\fcharset2 Marlett;}}{\\listtext\\f1\\'d8\\tab}\\f1 J\\'fc\\f2 a!\\f3 3\\f4 a\\'b7\\f0  end}");
  ExpectRoundTrip(dingbats);
  ReadRtf(QStringView(dingbats), doc);
  EXPECT_TRUE(WriteRtf(doc).contains("{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}{\\f1\\fnil\\fcharset0 Marlett;}}\r\n"
                                     "\\viewkind4\\uc1\\pard\\f0\\fs24\\u11162?\\tab\\u9786?\\u10003?\\u10004?"
                                     "\\u-10179?\\u-8841?\\u10003?\\f1 a\\u-3913?\\f0  end\\par"))
      << WriteRtf(doc).toStdString();
  // A script ends before the paragraph mark and opens again after it.
  ExpectRoundTrip(QStringLiteral("{\\rtf1\\super\\par x\\sub 2\\par y\\cell\\row}"));
  ReadRtf(QStringView(u"{\\rtf1\\super\\par x\\sub 2\\par y\\par}"), doc);
  EXPECT_TRUE(WriteRtf(doc).contains("\\fs24\\par\r\n\\super x\\sub 2\\nosupersub\\par\r\n\\sub y\\nosupersub\\par"))
      << WriteRtf(doc).toStdString();
}

TEST(RtfWriter, MergedCellsBordersAndRightToLeft) {
  // Cells merged down, one over a whole row, a cell over two columns, an
  // empty last paragraph in a cell, shading and borders; paragraphs set
  // right to left.
  const QString rtf = QStringLiteral(
      "{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red255\\green255\\blue0;\\red0\\green0\\blue255;}"
      "\\trowd\\clvmgf\\clcbpat1\\cellx1000\\clvmgf\\clbrdrt\\brdrs\\brdrw30\\brdrcf2\\cellx2000\\cellx3000"
      "\\pard\\intbl a\\cell b\\par\\par\\cell c\\cell\\row"
      "\\trowd\\clvmrg\\cellx1000\\clvmrg\\cellx2000\\cellx3000\\intbl\\cell\\cell d\\cell\\row"
      "\\trowd\\cellx1000\\clbrdrb\\brdrs\\cellx3000\\intbl x\\cell y\\cell\\row\\pard between\\par"
      "\\trowd\\clvmgf\\cellx1500\\clvmgf\\cellx3000\\intbl p\\cell q\\cell\\row"
      "\\trowd\\clvmrg\\cellx1500\\clvmrg\\cellx3000\\intbl\\cell\\cell\\row"
      "\\trowd\\cellx1500\\cellx3000\\intbl r\\cell s\\cell\\row"
      "\\pard\\rtlpar\\qr right\\par\\ql left\\par}");
  ExpectRoundTrip(rtf);
  QTextDocument doc;
  ReadRtf(QStringView(rtf), doc);
  const QString written = WriteRtf(doc);
  for (const char* part :
       {"{\\colortbl ;\\red255\\green255\\blue0;\\red0\\green0\\blue255;}",
        "\\trowd\\trgaph30\\clvmgf\\clcbpat1\\cellx1000\\clvmgf\\clbrdrt\\brdrs\\brdrw30\\brdrcf2\\cellx2000\\cellx3000",
        " b\\par\r\n\\par\r\n\\cell c\\cell\\row\r\n",
        "\\trowd\\trgaph30\\clvmrg\\clcbpat1\\cellx1000\\clvmrg\\clbrdrt\\brdrs\\brdrw30\\brdrcf2\\cellx2000\\cellx3000"
        "\\cell\\cell d\\cell\\row\r\n",
        "\\trowd\\trgaph30\\cellx1000\\clbrdrb\\brdrs\\cellx3000",
        "\\row\r\n\\trowd\\trgaph30\\clvmrg\\cellx1500\\clvmrg\\cellx3000\\cell\\cell\\row\r\n",
        "\\pard\\qr\\rtlpar right\\par\r\n\\pard\\rtlpar left\\par"}) {
    EXPECT_TRUE(written.contains(QLatin1StringView(part))) << part << "\n" << written.toStdString();
  }
}

TEST(RtfWriter, RoundTripsOfPictures) {
  QImage image(6, 3, QImage::Format_RGB32);
  image.fill(qRgb(0, 128, 255));
  const QByteArray png = Encoded(image, "PNG");
  const QByteArray jpeg = Encoded(image, "JPEG");
  const QString rtf = QString("{\\rtf1 before{\\pict\\pngblip\\picwgoal180\\pichgoal90 ") + png.toHex() +
                      "} between {\\pict\\jpegblip " + jpeg.toHex() + "}after}";
  ExpectRoundTrip(rtf);
  QTextDocument doc;
  ReadRtf(QStringView(rtf), doc);
  const QString written = WriteRtf(doc);
  // The stored bytes go out as they came in, each in its own kind.
  EXPECT_TRUE(written.contains("{\\pict\\pngblip\\picw6\\pich3\\picwgoal180\\pichgoal90\r\n" + png.left(64).toHex()))
      << written.toStdString();
  EXPECT_TRUE(written.contains("{\\pict\\jpegblip\\picw6\\pich3\\picwgoal90\\pichgoal45\r\n" + jpeg.left(64).toHex()));
  EXPECT_TRUE(written.contains(png.toHex().right(40)));
}

TEST(RtfWriter, PicturesPutInByHandAreWrittenAsPng) {
  QTextDocument doc;
  QImage image(4, 2, QImage::Format_RGB32);
  image.fill(Qt::green);
  doc.addResource(QTextDocument::ImageResource, QUrl("mine:1"), image);
  QTextCursor cursor(&doc);
  QTextImageFormat format;
  format.setName("mine:1");
  cursor.insertImage(format);
  const QString written = WriteRtf(doc);
  EXPECT_TRUE(written.contains("{\\pict\\pngblip\\picw4\\pich2\\picwgoal60\\pichgoal30\r\n89504e47"));
  QTextDocument back;
  ReadRtf(QStringView(written), back);
  EXPECT_EQ(Outline(back).count("[picture 4x2 of 4x2]"), 1);
  // A picture whose image is gone is left out rather than written empty.
  format.setName("missing:1");
  cursor.insertImage(format);
  EXPECT_EQ(WriteRtf(doc).count("\\pict"), 1);
}
