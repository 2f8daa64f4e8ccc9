#include "RtfTestSupport.h"
#include "platform/richtext/RtfPicture.h"
#include "platform/richtext/RtfReader.h"
#include "platform/richtext/RtfSymbolFonts.h"
#include "SymbolFontCharts.h"

#include <QBuffer>
#include <QImage>
#include <QTextBlock>
#include <QImageWriter>
#include <QTextDocument>
#include <QTextLayout>
#include <QtEndian>
#include <gtest/gtest.h>
#include <zlib.h>

using platform::ReadRtf;
using rtftest::Outline;
using rtftest::PlainText;

namespace {

QString Read(const QString& rtf, QTextDocument& doc) {
  ReadRtf(QStringView(rtf), doc);
  return PlainText(doc);
}

QString TextOf(const QString& rtf) {
  QTextDocument doc;
  return Read(rtf, doc);
}

QString OutlineOf(const QString& rtf) {
  QTextDocument doc;
  ReadRtf(QStringView(rtf), doc);
  return Outline(doc);
}

QByteArray Hex(const QByteArray& bytes) { return bytes.toHex(); }

QByteArray Encoded(const QImage& image, const char* format) {
  QByteArray data;
  QBuffer buffer(&data);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, format);
  return data;
}

QImage TwoColours(int w, int h) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(Qt::red);
  for (int y = 0; y < h; ++y)
    for (int x = w / 2; x < w; ++x) image.setPixel(x, y, qRgb(0, 0, 255));
  return image;
}

// A PNG chunk whose length field says `length`.
QByteArray PngChunk(const char* type, const QByteArray& body, quint32 length) {
  QByteArray out(8, 0);
  qToBigEndian(length, out.data());
  const QByteArray typed = QByteArray(type) + body;
  QByteArray crc(4, 0);
  qToBigEndian(static_cast<quint32>(crc32(0, reinterpret_cast<const Bytef*>(typed.constData()), typed.size())), crc.data());
  return out.left(4) + typed + crc;
}

// The image of the first picture in the document's first paragraph.
QImage FirstPicture(const QTextDocument& doc) {
  for (auto it = doc.begin().begin(); !it.atEnd(); ++it) {
    const QTextCharFormat f = it.fragment().charFormat();
    if (f.isImageFormat()) return doc.resource(QTextDocument::ImageResource, QUrl(f.toImageFormat().name())).value<QImage>();
  }
  return {};
}

bool Holds(const QByteArray& data, platform::RtfPictureKind kind) {
  return !platform::CheckRtfPicture(data, kind).size.isEmpty();
}

const QString kHead = QStringLiteral("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}{\\f1 Times New Roman;}}");

}  // namespace

TEST(RtfReader, RecognisesMarkupByItsOpening) {
  EXPECT_TRUE(platform::IsRtf(QStringView(u"{\\rtf1 x}")));
  EXPECT_TRUE(platform::IsRtf(QByteArrayView("{\\rtf1\\ansi}")));
  EXPECT_FALSE(platform::IsRtf(QStringView(u" {\\rtf1 x}")));
  EXPECT_FALSE(platform::IsRtf(QStringView(u"\r\n     --- answer ---")));
  EXPECT_FALSE(platform::IsRtf(QStringView(u"{\\rt")));
  EXPECT_FALSE(platform::IsRtf(QStringView(u"")));
}

TEST(RtfReader, ParagraphsAndTheLastParagraphMark) {
  EXPECT_EQ(TextOf("{\\rtf1 Hello\\par World\\par }"), "Hello\r\nWorld");
  EXPECT_EQ(TextOf("{\\rtf1 Hello\\par World}"), "Hello\r\nWorld");
  // Empty paragraphs stay; only the very last mark opens nothing.
  EXPECT_EQ(TextOf("{\\rtf1 a\\par\\par b\\par\\par}"), "a\r\n\r\nb\r\n");
  EXPECT_EQ(TextOf("{\\rtf1 \\par}"), "");
  EXPECT_EQ(TextOf("{\\rtf1 }"), "");
  QTextDocument doc;
  Read("{\\rtf1 a\\par\\par b\\par\\par}", doc);
  EXPECT_EQ(doc.blockCount(), 4);
  // Line ends in the markup are not text; a blank ends a control word once.
  EXPECT_EQ(TextOf("{\\rtf1 one\r\ntwo\\par\r\n   three}"), "onetwo\r\n   three");
  EXPECT_EQ(TextOf("{\\rtf1 a\\line b\\tab c}"), "a\r\nb\tc");
  // A line end after a backslash is a paragraph mark.
  EXPECT_EQ(TextOf("{\\rtf1 a\\\nb}"), "a\r\nb");
  // \sect and \page end paragraphs; \cell and \row make a table, each cell
  // a paragraph of its own, and a paragraph follows the table.
  EXPECT_EQ(TextOf("{\\rtf1 a\\sect b\\page c\\cell d\\row}"), "a\r\nb\r\nc\r\nd\r\n");
  // A page or section break straight after a paragraph mark or a row ends
  // nothing more, whatever resets of format lie between.
  EXPECT_EQ(TextOf("{\\rtf1\\page a\\par\\page b\\par\\sect\\sectd\\pard c\\par\\par\\page d\\page\\par e\\sect}"),
            "\r\na\r\nb\r\nc\r\n\r\nd\r\n\r\ne");
  EXPECT_EQ(TextOf("{\\rtf1 a\\par\\intbl x\\cell\\row\\pard\\page y}"), "a\r\nx\r\ny");
}

TEST(RtfReader, CharacterFormattingAndGroupScope) {
  EXPECT_EQ(OutlineOf(kHead + "\\fs20 plain {\\b bold {\\i both}} \\ul under\\ul0 \\ulnone\\strike gone\\strike0 "
                              "\\uldb db\\ulnone  end}"),
            "P left li0 ri0 fi0 sb0 sa0\n"
            "  [Arial 10] plain \n"
            "  [Arial 10 bold] bold \n"
            "  [Arial 10 bold italic] both\n"
            "  [Arial 10]  \n"
            "  [Arial 10 underline] under\n"
            "  [Arial 10 strike] gone\n"
            "  [Arial 10 underline] db\n"
            "  [Arial 10]  end\n");
  // \b0 and \b1 are explicit; \plain goes back to the default font at 12 points.
  EXPECT_EQ(OutlineOf(kHead + "\\f1\\fs30\\b1 x\\b0 y\\b\\i\\plain z}"),
            "P left li0 ri0 fi0 sb0 sa0\n"
            "  [Times New Roman 15 bold] x\n"
            "  [Times New Roman 15] y\n"
            "  [Arial 12] z\n");
}

TEST(RtfReader, FontTables) {
  // Entries with and without braces, a default font, an unknown number.
  EXPECT_EQ(OutlineOf("{\\rtf1\\deff1{\\fonttbl\\f0\\fswiss Arial;\\f1\\froman Times New Roman;"
                      "{\\f2\\fnil{\\*\\panose 020b0604020202020204}Courier New{\\*\\falt Courier};}}"
                      "a\\f2 b\\f9 c\\f0 d\\plain e}"),
            "P left li0 ri0 fi0 sb0 sa0\n"
            "  [Times New Roman 12] a\n"
            "  [Courier New 12] b\n"
            "  [Times New Roman 12] c\n"
            "  [Arial 12] d\n"
            "  [Times New Roman 12] e\n");
  // An entry closed by its group without a semicolon still counts.
  EXPECT_EQ(OutlineOf("{\\rtf1{\\fonttbl{\\f0 Verdana}}x}"), "P left li0 ri0 fi0 sb0 sa0\n  [Verdana 12] x\n");
  // An object mark is no part of a name (it could not be written back).
  EXPECT_EQ(OutlineOf("{\\rtf1{\\fonttbl{\\f0\\u-4?Verdana;}}x}"), "P left li0 ri0 fi0 sb0 sa0\n  [Verdana 12] x\n");
  // No table at all: the font given by the caller.
  QTextDocument doc;
  ReadRtf(QStringView(u"{\\rtf1 x}"), doc, QFont(QStringLiteral("Liberation Sans")));
  EXPECT_EQ(Outline(doc), "P left li0 ri0 fi0 sb0 sa0\n  [Liberation Sans 12] x\n");
}

TEST(RtfReader, ColourTableAndHighlight) {
  EXPECT_EQ(OutlineOf(kHead + "{\\colortbl ;\\red255\\green0\\blue255;\\red0\\green0\\blue0;}"
                              "\\cf1 pink\\cf2 black\\cf0 auto\\cf7 missing\\cf0\\highlight1 marked\\highlight0 "
                              "\\cb2 back\\cb0 \\chcbpat1 shade}"),
            "P left li0 ri0 fi0 sb0 sa0\n"
            "  [Arial 12 fg#ff00ff] pink\n"
            "  [Arial 12 fg#000000] black\n"
            "  [Arial 12] automissing\n"
            "  [Arial 12 bg#ff00ff] marked\n"
            "  [Arial 12 bg#000000] back\n"
            "  [Arial 12 bg#ff00ff] shade\n");
  // A first entry with a colour of its own is a colour, not "automatic";
  // text that names no colour stays automatic all the same.
  EXPECT_EQ(OutlineOf(kHead + "{\\colortbl\\red0\\green128\\blue0;}\\cf0 x\\plain y}"),
            "P left li0 ri0 fi0 sb0 sa0\n  [Arial 12 fg#008000] x\n  [Arial 12] y\n");
  EXPECT_EQ(OutlineOf(kHead + "{\\colortbl;\\red0\\green128\\blue0;}\\cf1 x}"),
            "P left li0 ri0 fi0 sb0 sa0\n  [Arial 12 fg#008000] x\n");
}

TEST(RtfReader, ParagraphFormattingTakesEffectAtTheMark) {
  EXPECT_EQ(OutlineOf(kHead + "\\pard\\qc centre\\par\\pard\\qr\\li300\\ri150 right\\par"
                              "\\pard\\qj\\fi-150\\li450\\sb120\\sa60 justified\\par\\pard\\ql left\\par}"),
            "P center li0 ri0 fi0 sb0 sa0\n  [Arial 12] centre\n"
            "P right li300 ri150 fi0 sb0 sa0\n  [Arial 12] right\n"
            "P justify li450 ri0 fi-150 sb120 sa60 tab150\n  [Arial 12] justified\n"
            "P left li0 ri0 fi0 sb0 sa0\n  [Arial 12] left\n");
  // The properties in force at \par format the paragraph it ends, even when
  // they are set after its text; \pard goes back to the defaults.
  EXPECT_EQ(OutlineOf(kHead + "text\\qc\\par\\pard plain}"),
            "P center li0 ri0 fi0 sb0 sa0\n  [Arial 12] text\n"
            "P left li0 ri0 fi0 sb0 sa0\n  [Arial 12] plain\n");
  // Indents are twips: 15 to the pixel.
  QTextDocument doc;
  ReadRtf(QStringView(u"{\\rtf1\\li210\\ri210 x}"), doc);
  EXPECT_DOUBLE_EQ(doc.begin().blockFormat().leftMargin(), 14.0);
  EXPECT_DOUBLE_EQ(doc.begin().blockFormat().rightMargin(), 14.0);
}

TEST(RtfReader, EmptyParagraphsKeepTheirCharacterFormat) {
  QTextDocument doc;
  ReadRtf(QStringView(kHead + "\\fs40\\par\\fs10 x\\par}"), doc);
  EXPECT_EQ(doc.blockCount(), 2);
  EXPECT_DOUBLE_EQ(doc.begin().charFormat().fontPointSize(), 20.0);
}

TEST(RtfReader, CodePageBytes) {
  // Windows-1252 unless the document names another page.
  EXPECT_EQ(TextOf("{\\rtf1\\ansi 270\\'b0 \\'b1 5\\'b0 \\'a7 7 \\'80 \\'93q\\'94 \\'96}"),
            QString::fromUtf8("270° ± 5° § 7 € “q” –"));
  EXPECT_EQ(TextOf("{\\rtf1\\ansi\\ansicpg1251 \\'c4\\'ee\\'ed}"), QString::fromUtf8("Дон"));
  EXPECT_EQ(TextOf("{\\rtf1\\ansi\\ansicpg1253 \\'d9}"), QString::fromUtf8("Ω"));
  EXPECT_EQ(TextOf("{\\rtf1\\mac \\'a7\\'8a}"), QString::fromUtf8("ßä"));
  // A double-byte page: two bytes make one character.
  EXPECT_EQ(TextOf("{\\rtf1\\ansi\\ansicpg932 \\'82\\'a0\\'82\\'a2x}"), QString::fromUtf8("あいx"));
  // An unknown page reads as 1252.
  EXPECT_EQ(TextOf("{\\rtf1\\ansi\\ansicpg99999 \\'b0}"), QString::fromUtf8("°"));
  // Upper-case digits, one digit only, no digit.
  EXPECT_EQ(TextOf("{\\rtf1 \\'B0\\'a\\'zz}"), QString::fromUtf8("°zz"));
}

TEST(RtfReader, CodePageOfTheFontsCharacterSet) {
  const QString fonts = QStringLiteral(
      "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fcharset0 Arial;}{\\f1\\fcharset204 Arial;}"
      "{\\f2\\fcharset161 Arial;}{\\f3\\fcharset128 MS Gothic;}{\\f4\\fcharset136 MingLiU;}{\\f5\\fcharset2 Symbol;}"
      "{\\f6\\fcharset99 Odd;}{\\f7\\cpg1251 Cpg;}}");
  EXPECT_EQ(TextOf(fonts + "\\f1\\'cf\\'f0\\'e8\\'e2\\'e5\\'f2 \\'ec\\'e8\\'f0\\f2  \\'c5\\'eb\\'dd\\'e3\\'ee\\'f4\\'e5"
                           "\\f0  \\'b0\\f6 \\'b0\\f7 \\'c4\\f5 \\'b7\\'ae}"),
            QString::fromUtf8("Привет мир Ελέγξτε °°Д•→"));
  // The symbol font shows Greek letters for Latin ones and signs for some
  // punctuation, however its characters are given.
  EXPECT_EQ(TextOf(fonts + "\\f5\\'61\\'62\\'67 abg DW\\'22\\'2d\\u-3999?\\u945?{\\f0 a\\u-3999?}}"),
            QString::fromUtf16(u"αβγ αβγ ΔΩ∀−ααa\uF061"));
  // Double-byte characters whose second byte is below 0x80: "{" and "\\"
  // escaped or as hex, a letter as itself.
  EXPECT_EQ(TextOf(fonts + "\\f3\\'93\\'fa\\'96\\'7b\\'8c\\'ea\\'96\\{\\'95\\'5c\\'95\\\\\\f4 \\'a7A\\'a6n}"),
            QString::fromUtf8("日本語本表表你好"));
  // A lead byte without its trail byte shows as unreadable and takes
  // nothing after it along.
  EXPECT_EQ(TextOf(fonts + "{\\f3 x\\'93}y\\f3\\'93\\par z\\'93}"), QString::fromUtf16(u"x\uFFFDy\uFFFD\r\nz\uFFFD"));
  QTextDocument doc;
  ReadRtf(QByteArrayView("{\\rtf1{\\fonttbl{\\f0\\fcharset128 M;}}\\f0 \x93\xfa\x96{\\b \x93}"), doc);
  EXPECT_EQ(PlainText(doc), QString::fromUtf16(u"日\uFFFD\uFFFD"));

  // A Western font in an East Asian document reads its bytes as Western
  // text; a font of the default set, and one the table lacks, read in the
  // document's page; a font's name reads in its own set.
  const QString quoted = QStringLiteral("\\f0 A \\'93quoted\\'94 B\\'85\\'a0\\'94\\f1  \\'93\\'fa\\f2  \\'93\\'fa\\f7  \\'93\\'fa}");
  const QString eastAsian = QStringLiteral(
      "{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}{\\f1\\fcharset1 Default;}"
      "{\\f2\\fnil\\fcharset128 \\'82\\'6c\\'82\\'72 \\'96\\'be\\'92\\'a9;}{\\f3\\fcharset204 Arial;}}");
  ReadRtf(QStringView(eastAsian + quoted), doc);
  EXPECT_EQ(PlainText(doc), QString::fromUtf16(u"A \u201Cquoted\u201D B\u2026\u00A0\u201D 日 日 日"));
  EXPECT_TRUE(Outline(doc).contains(QString::fromUtf8("[ＭＳ 明朝 12]  日\n"))) << Outline(doc).toStdString();
  for (const auto& [page, bytes, text] :
       {std::tuple("936", "\\'c4\\'e3", u"你"), {"949", "\\'c7\\'d1", u"한"}, {"950", "\\'a7\\'41", u"你"}}) {
    EXPECT_EQ(TextOf(QStringLiteral("{\\rtf1\\ansi\\ansicpg%1{\\fonttbl{\\f0\\fcharset0 Arial;}}\\f0 \\'93q\\'94 \\f9 %2{\\f0 \\'85}%2}")
                         .arg(QLatin1StringView(page), QLatin1StringView(bytes))),
              QString::fromUtf16(u"\u201Cq\u201D %1\u2026%1").arg(QString::fromUtf16(text))) << page;
  }
}

TEST(RtfReader, SymbolFontsReadAsTheirPublishedCharts) {
  using platform::RtfSymbolFont;
  // Where Symbol's chart gives a private code, the Apple logo or another
  // form of a sign: 0x27 is "such that", 0x60 the radical extender drawn as
  // an overline; the angle brackets compare in their canonical form.
  const std::map<int, char32_t> symbolReadings = {{0x27, 0x220B}, {0x60, 0x203E}, {0xF0, 0xFFFD}};
  const std::pair<RtfSymbolFont, std::map<int, char32_t>> charts[] = {
      {RtfSymbolFont::Symbol, rtftest::ChartOf(rtftest::kSymbolChart)},
      {RtfSymbolFont::Wingdings, rtftest::ChartOf(rtftest::kWingdingsChart)},
      {RtfSymbolFont::Wingdings2, rtftest::ChartOf(rtftest::kWingdings2Chart)},
      {RtfSymbolFont::Wingdings3, rtftest::ChartOf(rtftest::kWingdings3Chart)},
      {RtfSymbolFont::Webdings, rtftest::ChartOf(rtftest::kWebdingsChart)},
      {RtfSymbolFont::ZapfDingbats, rtftest::ChartOf(rtftest::kZapfDingbatsChart)}};
  const auto text = [](char32_t c) { return QString::fromUcs4(&c, 1).normalized(QString::NormalizationForm_C); };
  for (const auto& [font, chart] : charts) {
    int charted = 0;
    for (int code = 0x20; code <= 0xFF; ++code) {
      // A code the chart has no character for keeps the font's own code.
      char32_t expected = chart.count(code) ? chart.at(code) : 0xF000 + code;
      if (font == RtfSymbolFont::Symbol && symbolReadings.count(code)) expected = symbolReadings.at(code);
      const char32_t read = platform::SymbolFontCharacter(font, static_cast<unsigned char>(code));
      EXPECT_EQ(text(read), text(expected)) << int(font) << " code " << std::hex << code;
      charted += chart.count(code) ? 1 : 0;
    }
    EXPECT_GE(charted, 188) << int(font);
  }
  // Their names in any case, with or without blanks (the next test reads
  // documents that name each font).
  EXPECT_EQ(platform::SymbolFontOfName(u"WINGDINGS 2"), RtfSymbolFont::Wingdings2);
  EXPECT_EQ(platform::SymbolFontOfName(u"Wingdings3"), RtfSymbolFont::Wingdings3);
  for (const char* name : {"Wingdings 4", "Symbol MT", "Marlett", "Arial", ""}) {
    EXPECT_EQ(platform::SymbolFontOfName(QString::fromLatin1(name)), std::nullopt) << name;
  }
}

TEST(RtfReader, SymbolFontTextReadsAsTheSignsItShows) {
  // Word's bullets in Wingdings as list text, a Wingdings smiley as a byte,
  // a letter and a private code; the other fonts by name, whatever set the
  // markup gives them; signs beyond 16 bits; a symbol font without a chart
  // keeps its codes and its name, never through Symbol's chart.
  const QString fonts = QStringLiteral(
      "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}{\\f1\\fnil\\fcharset2 Wingdings;}{\\f2\\fcharset2 Wingdings 2;}"
      "{\\f3\\fcharset2 Wingdings 3;}{\\f4\\fcharset2 Webdings;}{\\f5\\fcharset77 Zapf Dingbats;}"
      "{\\f6\\fcharset0 ZapfDingbats;}{\\f7\\fnil\\fcharset2{\\*\\panose 05000000000000000000}ITC Zapf Dingbats;}"
      "{\\f8\\fcharset2 Marlett;}{\\f9\\fcharset2 Symbol;}}");
  QTextDocument doc;
  ReadRtf(QStringView(fonts + "{\\listtext\\f1\\'a7\\tab}{\\listtext\\f1\\'d8\\tab}{\\listtext\\f1\\'fc\\tab}"
                              "{\\listtext\\f1\\'6c\\tab}{\\listtext\\f1\\'76\\tab}{\\listtext\\f1\\'71\\tab}\\par"
                              "{\\f1\\'4a J\\u61514?\\u-4022?\\'21}\\par{\\f2\\'50}{\\f3\\'70}{\\f4\\'61}"
                              "{\\f5\\'33}{\\f6 4}{\\f7\\'a4}\\par{\\f8 a\\'b7\\u61623?}{\\f9 p}}"),
          doc);
  EXPECT_EQ(PlainText(doc), QString::fromUtf16(u"▪\t⮚\t✓\t⚫\t❖\t❑\t\r\n"
                                               u"☺ ☺☺☺\U0001F589\r\n"
                                               u"\U0001F5F8▲✔✓✔❤\r\n"
                                               u"a\uF0B7\uF0B7π"));
  // The signs show in the text's font; the font without a chart in its own.
  const QString outline = Outline(doc);
  EXPECT_EQ(outline.count("[Arial 12]"), 4) << outline.toStdString();
  EXPECT_TRUE(outline.contains(QString::fromUtf16(u"  [Marlett 12] a\uF0B7\uF0B7\n"))) << outline.toStdString();
  // A list level's marker in Webdings: two signs of two characters each.
  ReadRtf(QStringView(fonts + "{\\*\\listtable{\\list{\\listlevel\\levelnfc23\\levelfollow2{\\leveltext\\'02\\'21\\'21;}"
                              "\\f4}\\listid1}}{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}}\\pard\\ls1 web\\par}"),
          doc);
  EXPECT_EQ(PlainText(doc), QString::fromUtf16(u"\U0001F577\U0001F577web"));
}

TEST(RtfReader, LiteralCharactersOfBytesAndOfText) {
  // Raw bytes above 127 in a file are code-page bytes ...
  QTextDocument doc;
  ReadRtf(QByteArrayView("{\\rtf1\\ansi\\ansicpg1251 \xc4\xee\xed \xb0}"), doc);
  EXPECT_EQ(PlainText(doc), QString::fromUtf8("Дон °"));
  ReadRtf(QByteArrayView("{\\rtf1\\ansi 45\xb0 \x80}"), doc);
  EXPECT_EQ(PlainText(doc), QString::fromUtf8("45° €"));
  // ... while the characters of a text are themselves.
  EXPECT_EQ(TextOf(QString::fromUtf8("{\\rtf1\\ansi\\ansicpg1251 45° Ω}")), QString::fromUtf8("45° Ω"));
}

TEST(RtfReader, UnicodeCharactersAndTheirFallbacks) {
  EXPECT_EQ(TextOf("{\\rtf1 \\u8364?\\u176\\'b0 x}"), QString::fromUtf8("€° x"));
  // \uc0: no fallback; \uc2: two fallback characters, a \'hh counting one.
  EXPECT_EQ(TextOf("{\\rtf1\\uc0 \\u8364 x}"), QString::fromUtf8("€x"));
  EXPECT_EQ(TextOf("{\\rtf1\\uc2 \\u8364\\'80\\'80x\\u8364 ab}"), QString::fromUtf8("€x€"));
  // A control word counts as one fallback character; a group ends the fallback.
  EXPECT_EQ(TextOf("{\\rtf1 \\u8364\\lquote x\\u8364{y}}"), QString::fromUtf8("€x€y"));
  // \uc is scoped by groups.
  EXPECT_EQ(TextOf("{\\rtf1 {\\uc3 \\u8364abcd}\\u8364ef}"), QString::fromUtf8("€d€f"));
  // Negative values and surrogate pairs.
  EXPECT_EQ(TextOf("{\\rtf1 \\u-3913?\\u-10179?\\u-8694?}"), QString(QChar(0xF0B7)) + QString::fromUtf8("😊"));
  // A lone surrogate becomes the replacement character, also where a change
  // of format comes just before it.
  EXPECT_EQ(TextOf("{\\rtf1 a\\u-10179?b}"), QString::fromUtf16(u"a\uFFFDb"));
  EXPECT_EQ(TextOf("{\\rtf1 {\\b a}\\u-10179?b}"), QString::fromUtf16(u"a\uFFFDb"));
  EXPECT_EQ(TextOf("{\\rtf1 {\\b a}\\u-10179?}"), QString::fromUtf16(u"a\uFFFD"));
}

TEST(RtfReader, ControlSymbolsAndSpecialCharacters) {
  EXPECT_EQ(TextOf("{\\rtf1 \\{x\\} \\\\ a\\~b c\\_d so\\-ft \\emdash\\endash\\bullet\\lquote\\rquote"
                   "\\ldblquote\\rdblquote}"),
            QString::fromUtf8("{x} \\ a\u00A0b c\u2011d so\u00ADft —–•‘’“”"));
  // Unknown words and symbols are ignored, their parameters with them.
  EXPECT_EQ(TextOf("{\\rtf1 \\foo12 \\barbaz-4 text\\| \\:x}"), "text x");
  // Control characters in the markup show nothing.
  EXPECT_EQ(TextOf(QString::fromUtf8("{\\rtf1 a\x01\x7f" "b\tc}")), QString::fromUtf8("a\x7f" "b\tc"));
}

TEST(RtfReader, TablesRowByRow) {
  // Cell widths from \\cellx (after \\trleft), one row per \\row, the
  // paragraphs of a cell in it; a paragraph mark just before \\cell opens
  // no empty paragraph.
  const QString row = QStringLiteral("\\trowd\\trgaph108\\trleft-108\\cellx1800\\cellx3600\\cellx5400");
  EXPECT_EQ(OutlineOf(kHead + "\\fs20 before\\par" + row + "\\pard\\intbl a\\cell b\\par c\\cell d\\par\\cell\\row" + row +
                      "\\intbl\\qc e\\cell\\row\\pard after\\par}"),
            "P left li0 ri0 fi0 sb0 sa0\n  [Arial 10] before\n"
            "T 2x3 1908 1800 1800\n"
            "P 0,0 left li0 ri0 fi0 sb0 sa0\n  [Arial 10] a\n"
            "P 0,1 left li0 ri0 fi0 sb0 sa0\n  [Arial 10] b\n"
            "P 0,1 left li0 ri0 fi0 sb0 sa0\n  [Arial 10] c\n"
            "P 0,2 left li0 ri0 fi0 sb0 sa0\n  [Arial 10] d\n"
            "P 1,0 center li0 ri0 fi0 sb0 sa0\n  [Arial 10] e\n"
            "P 1,1 left li0 ri0 fi0 sb0 sa0\n"
            "P 1,2 left li0 ri0 fi0 sb0 sa0\n"
            "P left li0 ri0 fi0 sb0 sa0\n  [Arial 10] after\n");
  // Cells keep their paragraph's format when the rows and columns a table
  // was given room for and did not use are taken away.
  EXPECT_TRUE(OutlineOf("{\\rtf1\\trowd\\cellx900\\intbl a\\cell\\row\\intbl b\\cell\\row\\intbl c\\cell d\\cell\\qc\\cell\\row}")
                  .endsWith("P 2,2 center li0 ri0 fi0 sb0 sa0\nP center li0 ri0 fi0 sb0 sa0\n"));
  // Nested tables are read into the cell that holds them, a tab between
  // their cells; a row without \\row ends after the cells it defines.
  EXPECT_EQ(TextOf("{\\rtf1\\trowd\\cellx900\\cellx1800\\intbl x\\par\\itap2 p\\nestcell q\\nestcell"
                   "{\\*\\nesttableprops\\trowd\\cellx500\\nestrow}{\\nonesttables\\par}\\itap1\\cell y\\cell\\pard z}"),
            "\r\nx\r\np\tq\t\r\ny\r\nz");
  // Thousands of cells in a row fill 64 columns, the rest the last one;
  // huge boundaries are clamped.
  QString wide = QStringLiteral("{\\rtf1\\trowd\\cellx99999999999\\cellx-99999999999\\intbl ");
  for (int i = 0; i < 5000; ++i) wide += QStringLiteral("c\\cell ");
  QTextDocument doc;
  ReadRtf(QStringView(wide + "\\row}"), doc);
  const QTextTable* table = QTextCursor(doc.findBlockByNumber(1)).currentTable();
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->rows(), 1);
  EXPECT_EQ(table->columns(), 64);
  EXPECT_EQ(table->cellAt(0, 63).firstCursorPosition().block().text(), QString(QStringLiteral("c\t")).repeated(4936) + "c");
  EXPECT_EQ(table->format().columnWidthConstraints().value(0).rawValue(), 31680 / 15.0);
  // Many rows: tables of 4096 rows each, one after another.
  QString tall = QStringLiteral("{\\rtf1 ");
  for (int i = 0; i < 5000; ++i) tall += QStringLiteral("\\intbl r\\cell\\row ");
  ReadRtf(QStringView(tall + "}"), doc);
  EXPECT_EQ(QTextCursor(doc.findBlockByNumber(1)).currentTable()->rows(), 4096);
  EXPECT_EQ(QTextCursor(doc.lastBlock().previous()).currentTable()->rows(), 904);
}

TEST(RtfReader, CellsStandWhereTheirEdgesPlaceThem) {
  // The grid's columns come from every row's edges: a title over the whole
  // row, a header ruled below, fewer and wider cells, cells merged down and
  // across, shading; the last row's edge at 1000 splits the first column.
  const QString colours = QStringLiteral("{\\colortbl;\\red217\\green217\\blue217;\\red255\\green0\\blue0;}");
  EXPECT_EQ(OutlineOf(kHead + colours + "\\trowd\\clcbpat1\\cellx6000\\pard\\intbl Title\\cell\\row"
                      "\\trowd\\clbrdrb\\brdrs\\cellx2000\\clbrdrb\\brdrs\\brdrw30\\brdrcf2\\cellx4000\\clbrdrb\\brdrdb"
                      "\\cellx6000\\intbl A\\cell B\\cell C\\cell\\row"
                      "\\trowd\\clvmgf\\cellx2000\\cellx6000\\intbl tall\\cell wide\\cell\\row"
                      "\\trowd\\clvmrg\\cellx2000\\clmgf\\cellx4000\\clmrg\\cellx6000\\intbl\\cell joined\\cell\\cell\\row"
                      "\\trowd\\cellx1000\\cellx2000\\cellx6000\\intbl x\\cell y\\cell z\\par\\cell\\row\\pard after}"),
            "P left li0 ri0 fi0 sb0 sa0\nT 5x4 1000 1000 2000 2000\n"
            "P 0,0 [1x4 bg#d9d9d9] left li0 ri0 fi0 sb0 sa0\n  [Arial 12] Title\n"
            "P 1,0 [1x2 b15] left li0 ri0 fi0 sb0 sa0\n  [Arial 12] A\n"
            "P 1,2 [b30#ff0000] left li0 ri0 fi0 sb0 sa0\n  [Arial 12] B\n"
            "P 1,3 [b15] left li0 ri0 fi0 sb0 sa0\n  [Arial 12] C\n"
            "P 2,0 [2x2] left li0 ri0 fi0 sb0 sa0\n  [Arial 12] tall\n"
            "P 2,2 [1x2] left li0 ri0 fi0 sb0 sa0\n  [Arial 12] wide\n"
            "P 3,2 [1x2] left li0 ri0 fi0 sb0 sa0\n  [Arial 12] joined\n"
            "P 4,0 left li0 ri0 fi0 sb0 sa0\n  [Arial 12] x\n"
            "P 4,1 left li0 ri0 fi0 sb0 sa0\n  [Arial 12] y\n"
            "P 4,2 [1x2] left li0 ri0 fi0 sb0 sa0\n  [Arial 12] z\n"
            "P left li0 ri0 fi0 sb0 sa0\n  [Arial 12] after\n");
  // The row's borders go round and between its cells where a cell names
  // none of its own; "none" takes one away, and paragraph borders are not
  // a cell's.
  const QString ruled = QStringLiteral("\\trowd\\trbrdrt\\brdrs\\trbrdrl\\brdrs\\trbrdrb\\brdrs\\trbrdrr\\brdrs"
                                       "\\trbrdrh\\brdrs\\trbrdrv\\brdrs\\clbrdrl\\brdrnone\\cellx1000\\cellx2000");
  EXPECT_EQ(OutlineOf(kHead + ruled + "\\pard\\intbl a\\cell b\\cell\\row" + ruled +
                      "\\pard\\intbl\\brdrb\\brdrs c\\cell d\\cell\\row}"),
            "P left li0 ri0 fi0 sb0 sa0\nT 2x2 1000 1000\n"
            "P 0,0 [t15 b15 r15] left li0 ri0 fi0 sb0 sa0\n  [Arial 12] a\n"
            "P 0,1 [t15 l15 b15 r15] left li0 ri0 fi0 sb0 sa0\n  [Arial 12] b\n"
            "P 1,0 [t15 b15 r15] left li0 ri0 fi0 sb0 sa0\n  [Arial 12] c\n"
            "P 1,1 [t15 l15 b15 r15] left li0 ri0 fi0 sb0 sa0\n  [Arial 12] d\n"
            "P left li0 ri0 fi0 sb0 sa0\n");
  // Each edge of the rows has its own rule: the table's top, bottom and
  // sides, and the thinner ones between rows and between cells.
  const QString edges = QStringLiteral("\\trowd\\trbrdrt\\brdrs\\brdrw45\\trbrdrl\\brdrs\\brdrw60\\trbrdrb\\brdrs\\brdrw30"
                                       "\\trbrdrr\\brdrs\\brdrw75\\trbrdrh\\brdrs\\brdrw15\\trbrdrv\\brdrs\\brdrw90"
                                       "\\cellx1000\\cellx2000\\pard\\intbl ");
  EXPECT_EQ(OutlineOf(kHead + edges + "a\\cell b\\cell\\row" + edges + "c\\cell d\\cell\\row" + edges +
                      "e\\cell f\\cell\\row}"),
            "P left li0 ri0 fi0 sb0 sa0\nT 3x2 1000 1000\n"
            "P 0,0 [t45 l60 b15 r90] left li0 ri0 fi0 sb0 sa0\n  [Arial 12] a\n"
            "P 0,1 [t45 l90 b15 r75] left li0 ri0 fi0 sb0 sa0\n  [Arial 12] b\n"
            "P 1,0 [t15 l60 b15 r90] left li0 ri0 fi0 sb0 sa0\n  [Arial 12] c\n"
            "P 1,1 [t15 l90 b15 r75] left li0 ri0 fi0 sb0 sa0\n  [Arial 12] d\n"
            "P 2,0 [t15 l60 b30 r90] left li0 ri0 fi0 sb0 sa0\n  [Arial 12] e\n"
            "P 2,1 [t15 l90 b30 r75] left li0 ri0 fi0 sb0 sa0\n  [Arial 12] f\n"
            "P left li0 ri0 fi0 sb0 sa0\n");
  // A cell merged downwards takes its bottom from its last part: the part's
  // own rule, else its row's.
  EXPECT_EQ(OutlineOf(kHead + "\\trowd\\trbrdrb\\brdrs\\brdrw15\\clvmgf\\clbrdrb\\brdrs\\cellx1000\\clvmgf\\cellx2000"
                              "\\pard\\intbl a\\cell b\\cell\\row\\trowd\\trbrdrb\\brdrs\\brdrw60\\clvmrg"
                              "\\clbrdrb\\brdrs\\brdrw45\\cellx1000\\clvmrg\\cellx2000\\intbl\\cell\\cell\\row}"),
            "P left li0 ri0 fi0 sb0 sa0\nT 2x2 1000 1000\n"
            "P 0,0 [2x1 b45] left li0 ri0 fi0 sb0 sa0\n  [Arial 12] a\n"
            "P 0,1 [2x1 b60] left li0 ri0 fi0 sb0 sa0\n  [Arial 12] b\n"
            "P left li0 ri0 fi0 sb0 sa0\n");
}

TEST(RtfReader, ListNumbersFromTheListTable) {
  // Paragraphs numbered only through \\ls and \\ilvl: markers from the
  // level's number format, text, start and follower, counted on through the
  // list and restarted below a higher level; the level's indents where the
  // paragraph gives none. A paragraph with its own marker text keeps it and
  // counts; a list override may restart a level where it is first used.
  const QString lists = QStringLiteral(
      "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}{\\f1 Courier New;}{\\f2\\fcharset2 Symbol;}"
      "{\\f3\\fcharset2 Wingdings;}}{\\*\\listtable"
      "{\\list\\listtemplateid1{\\listlevel\\levelnfc0\\levelstartat1{\\leveltext\\leveltemplateid5\\'02\\'00.;}"
      "{\\levelnumbers\\'01;}\\fi-360\\li720}{\\listlevel\\levelnfc4\\levelstartat1{\\leveltext\\'02\\'01);}\\fi-360\\li1440}"
      "{\\listlevel\\levelnfc2\\levelstartat1\\levelfollow1{\\leveltext\\'02\\'02.;}\\fi-180\\li2160}"
      "{\\listlevel\\levelnfc3\\levellegal\\levelstartat27\\levelfollow2{\\leveltext \\'06\\'00.\\'01.\\'03 ;}}"
      "{\\listname Steps;}\\listid7}"
      "{\\list{\\listlevel\\levelnfc23{\\leveltext\\'01\\u-3913 ?;}\\f2\\fi-360\\li720}"
      "{\\listlevel\\levelnfc23{\\leveltext\\'01\\'a7;}\\f3}{\\listlevel\\levelnfc23{\\leveltext\\'01o;}\\f1\\fs16}\\listid8}"
      "{\\list{\\listlevel\\levelnfc1\\levelstartat3999{\\leveltext\\'02\\'00.;}}{\\listlevel\\levelnfc22\\levelstartat7"
      "{\\leveltext\\'01\\'01;}}{\\listlevel\\levelnfc5\\levelstartat22{\\leveltext\\'01\\'02;}}"
      "{\\listlevel\\levelnfc255{\\leveltext\\'05Note:;}}\\listid9}}"
      "{\\*\\listoverridetable{\\listoverride\\listid7\\listoverridecount0\\ls1}{\\listoverride\\listid8\\ls2}"
      "{\\listoverride\\listid7\\listoverridecount1{\\lfolevel\\listoverridestartat\\levelstartat5}\\ls3}"
      "{\\listoverride\\listid9\\ls4}}");
  QTextDocument doc;
  ReadRtf(QStringView(lists + "\\pard\\ls1 one\\par\\ilvl1 sub\\par\\ilvl2 deep\\par deeper\\par\\ilvl1 sub\\par"
                      "\\ilvl2 again\\par\\ilvl3 legal\\par\\pard\\ls1\\li100\\fi0 two\\par\\pard plain\\par\\pard\\ls3 five\\par"
                      "\\ls1 six\\par{\\listtext 9.\\tab}own\\par\\pard\\ls1 eight\\par"
                      "\\pard\\ls2 dot\\par\\ilvl1 square\\par\\ilvl2 circle\\par\\pard\\ls4 big\\par\\ilvl1 zero\\par"
                      "\\ilvl2 nth\\par\\ilvl3 note\\par\\pard\\ls6 unknown\\par\\pard\\ls1\\ilvl9 undefined}"),
          doc);
  EXPECT_EQ(PlainText(doc), QString::fromUtf8("1.\tone\r\na)\tsub\r\ni. deep\r\nii. deeper\r\nb)\tsub\r\ni. again\r\n"
                                              "1.2.AA legal\r\n2.\ttwo\r\nplain\r\n5.\tfive\r\n6.\tsix\r\n9.\town\r\n"
                                              "8.\teight\r\n•\tdot\r\n▪\tsquare\r\no\tcircle\r\nMMMCMXCIX.\tbig\r\n"
                                              "07\tzero\r\n22nd\tnth\r\nNote:\tnote\r\nunknown\r\nundefined"));
  const QString outline = Outline(doc);
  for (const char* part : {"P left li720 ri0 fi-360 sb0 sa0 tab360\n  [Arial 12] 1.<tab>one\n",
                           "P left li1440 ri0 fi-360 sb0 sa0 tab360\n  [Arial 12] a)<tab>sub\n",
                           "P left li2160 ri0 fi-180 sb0 sa0 tab180\n  [Arial 12] i. deep\n",
                           "P left li100 ri0 fi0 sb0 sa0\n  [Arial 12] 2.<tab>two\n",
                           "P left li0 ri0 fi0 sb0 sa0\n  [Arial 12] 9.<tab>own\n",
                           "  [Courier New 8] o<tab>\n  [Arial 12] circle\n"}) {
    EXPECT_TRUE(outline.contains(QString::fromUtf8(part))) << part << "\n" << outline.toStdString();
  }
  // Past 26 letters and 3999 in Roman figures.
  EXPECT_EQ(TextOf(lists + "\\pard\\ls1\\ilvl3 a\\par b\\par\\pard\\ls4 c\\par d}"),
            "1.1.AA a\r\n1.1.BB b\r\nMMMCMXCIX.\tc\r\n4000.\td");
}

TEST(RtfReader, RightToLeftParagraphsKeepTheirSides) {
  // As a word processor places them: \\qr at the right, \\ql at the left,
  // whatever the text's direction.
  const QString hebrew = QStringLiteral("\\u1513?\\u1500?\\u1493?\\u1501?");
  QTextDocument doc;
  ReadRtf(QStringView(kHead + "\\pard\\rtlpar\\qr " + hebrew + "\\par\\pard\\rtlpar\\ql " + hebrew +
                      "\\par\\pard\\rtlpar\\qr\\ltrpar x\\par\\pard\\qr y}"),
          doc);
  EXPECT_EQ(Outline(doc), QString::fromUtf8("P right li0 ri0 fi0 sb0 sa0 rtl\n  [Arial 12] שלום\n"
                                            "P left li0 ri0 fi0 sb0 sa0 rtl\n  [Arial 12] שלום\n"
                                            "P right li0 ri0 fi0 sb0 sa0\n  [Arial 12] x\n"
                                            "P right li0 ri0 fi0 sb0 sa0\n  [Arial 12] y\n"));
  doc.setTextWidth(400);
  doc.size();  // lays it out
  const double right = 400 - doc.documentMargin();
  const auto edges = [](const QTextBlock& b) {
    const QTextLine line = b.layout()->lineAt(0);
    const double x = b.layout()->position().x();
    const double start = x + line.cursorToX(0);
    const double end = x + line.cursorToX(b.length() - 1);
    return std::pair(std::min(start, end), std::max(start, end));
  };
  EXPECT_NEAR(edges(doc.findBlockByNumber(0)).second, right, 1.0);
  EXPECT_NEAR(edges(doc.findBlockByNumber(1)).first, doc.documentMargin(), 1.0);
  EXPECT_NEAR(edges(doc.findBlockByNumber(3)).second, right, 1.0);
}

TEST(RtfReader, ListMarkersTabStopsAndFootnoteMarks) {
  // The marker is the text the document carries; the hanging indent is a
  // tab stop after it. Tab stops count from where the first line starts.
  EXPECT_EQ(OutlineOf(kHead + "{\\pntext\\f0 1.\\tab}{\\*\\pn\\pnlvlbody{\\pntxta .}}\\pard\\li720\\fi-360 one\\par"
                              "{\\listtext\\pard\\plain\\f1 2.\\tab}two\\tqr\\tx3000\\tqc\\tx2000\\tx360\\tqdec\\tx4000\\tb5000\\par"
                              "\\pard\\tx300 \\tab x{\\super\\chftn}{\\footnote\\chftn note}, y{\\super\\chftn}\\sub 2\\nosupersub  so\\-ft}"),
            "P left li720 ri0 fi-360 sb0 sa0 tab360\n  [Arial 12] 1.<tab>one\n"
            "P left li720 ri0 fi-360 sb0 sa0 tab360 tab1640c tab2640r tab3640d\n"
            "  [Times New Roman 12] 2.<tab>\n  [Arial 12] two\n"
            "P left li0 ri0 fi0 sb0 sa0 tab300\n  [Arial 12] <tab>x\n  [Arial 12 super] 1\n  [Arial 12] , y\n"
            "  [Arial 12 super] 2\n  [Arial 12 sub] 2\n  [Arial 12]  so\u00adft\n");
}

TEST(RtfReader, DestinationsThatShowNothing) {
  EXPECT_EQ(TextOf("{\\rtf1{\\stylesheet{\\s0 Normal;}}{\\info{\\title Hidden}{\\author Me}}"
                   "{\\*\\generator Writer;}{\\header head}{\\footer foot}{\\*\\anything {\\b nested} text}"
                   "shown{\\footnote note}.}"),
            "shown.");
  // Fields show their result, not their instruction.
  EXPECT_EQ(TextOf("{\\rtf1 see {\\field{\\*\\fldinst HYPERLINK \"http://x\"}{\\fldrslt the chart}}.}"),
            "see the chart.");
  // Skipped groups may hold braces and binary data of their own.
  EXPECT_EQ(TextOf("{\\rtf1 a{\\*\\x \\{ \\} {\\y}\\bin3 }}}} b}"), "a b");
  // List numbers written for readers without lists are shown.
  EXPECT_EQ(TextOf("{\\rtf1{\\listtext 1.\\tab}first\\par second}"), "1.\tfirst\r\nsecond");
}

TEST(RtfReader, OldStyleNumberingShowsItsMarkers) {
  // Numbering as Word 6 and 95 write it: bullets in the numbering's font;
  // numbers in each format from their start, with the text around them,
  // counted on through a list (a paragraph without a number of its own keeps
  // the count); outline levels from the section's, restarting below a higher
  // one. A marker the paragraph spells out wins, and counts.
  const QString head = QStringLiteral(
      "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset2 Symbol;}{\\f2\\fcharset2 Wingdings;}"
      "{\\f3 Courier New;}}{\\*\\pnseclvl1\\pnucrm\\pnstart1{\\pntxta .}}{\\*\\pnseclvl2\\pnlcltr{\\pntxtb (}"
      "{\\pntxta )}}\\f0 ");
  const QString bullet = QStringLiteral("\\pard\\fi-360\\li360{\\*\\pn\\pnlvlblt\\pnf1\\pnindent360{\\pntxtb \\'B7}}");
  const QString three = QStringLiteral("\\pard\\fi-360\\li360{\\*\\pn \\pnlvlbody\\pndec\\pnstart3{\\pntxta .}}");
  QTextDocument doc;
  ReadRtf(QStringView(head + bullet + "one\\par" + bullet + "two\\par\\pard{\\pn\\pnlvlblt\\pnf2{\\pntxtb\\'a7}}square\\par" +
                      three + "three\\par" + three + "four\\par\\pard\\li360{\\*\\pn\\pnlvlcont} more\\par" + three +
                      "five\\par\\pard plain\\par" + three + "again\\par"
                      "\\pard{\\*\\pn\\pnlvlbody\\pnucltr{\\pntxtb (}{\\pntxta )}}A\\par"
                      "\\pard{\\*\\pn\\pnlvlbody\\pnlcrm\\pnstart4\\pnf3\\pnfs16{\\pntxta )}}iv\\par"
                      "\\pard{\\*\\pn\\pnlvlbody\\pnlcrm\\pnstart4{\\pntxta )}}v\\par"
                      "\\pard{\\*\\pn\\pnlvlbody\\pnucrm\\pnstart2{\\pntxta .}}II\\par"
                      "\\pard{\\*\\pn\\pnlvlbody\\pnlcltr\\pnstart2{\\pntxta .}}b\\par"
                      "\\pard{\\*\\pn\\pnlvl1}I\\par\\pard{\\*\\pn\\pnlvl2}a\\par\\pard{\\*\\pn\\pnlvl2}b\\par"
                      "\\pard{\\*\\pn\\pnlvl1}II\\par\\pard{\\*\\pn\\pnlvl2}a\\par"
                      "\\pard{\\pntext\\f0 7.\\tab}{\\*\\pn\\pnlvlbody\\pndec{\\pntxta .}}own\\par"
                      "\\pard{\\*\\pn\\pnlvlbody\\pndec{\\pntxta .}}next\\par"
                      "{\\*\\pn\\pnlvlbody\\pndec{\\pntxta .}}\\pard reset\\par}"),
          doc);
  EXPECT_EQ(PlainText(doc), QString::fromUtf8("•\tone\r\n•\ttwo\r\n▪\tsquare\r\n3.\tthree\r\n4.\tfour\r\n more\r\n"
                                              "5.\tfive\r\nplain\r\n3.\tagain\r\n(A)\tA\r\niv)\tiv\r\nv)\tv\r\n"
                                              "II.\tII\r\nb.\tb\r\nI.\tI\r\n(a)\ta\r\n(b)\tb\r\nII.\tII\r\n"
                                              "(a)\ta\r\n7.\town\r\n2.\tnext\r\nreset"));
  const QString outline = Outline(doc);
  for (const char* part : {"P left li360 ri0 fi-360 sb0 sa0 tab360\n  [Arial 12] •<tab>one\n",
                           "  [Courier New 8] iv)<tab>\n  [Arial 12] iv\n", "  [Arial 12] v)<tab>v\n"}) {
    EXPECT_TRUE(outline.contains(QString::fromUtf8(part))) << part << "\n" << outline.toStdString();
  }
}

TEST(RtfReader, ReadingStopsAtTheDocumentsClosingBrace) {
  EXPECT_EQ(TextOf("{\\rtf1 a}b{c}"), "a");
  EXPECT_EQ(TextOf("{\\rtf1 a} stray \\par text"), "a");
}

TEST(RtfReader, PicturesInPngAndJpeg) {
  const QImage image = TwoColours(8, 4);
  const QByteArray png = Encoded(image, "PNG");
  QTextDocument doc;
  ReadRtf(QStringView(QString("{\\rtf1 a{\\pict\\pngblip\\picw8\\pich4\\picwgoal300\\pichgoal150\r\n") +
                      Hex(png) + "}b}"),
          doc);
  EXPECT_EQ(Outline(doc), QString("P left li0 ri0 fi0 sb0 sa0\n  [Arial 12] a\n  [picture 20x10 of 8x4]\n  [Arial 12] b\n")
                              .replace("Arial", QFont().family()));
  EXPECT_EQ(PlainText(doc), "ab");
  const QImage shown = FirstPicture(doc);
  EXPECT_EQ(shown.pixel(0, 0), qRgb(255, 0, 0));
  EXPECT_EQ(shown.pixel(7, 3), qRgb(0, 0, 255));

  // Without goal sizes the picture's own size, scaled.
  ReadRtf(QStringView(QString("{\\rtf1{\\pict\\pngblip\\picscalex50\\picscaley200 ") + Hex(png) + "}}"), doc);
  EXPECT_EQ(Outline(doc), "P left li0 ri0 fi0 sb0 sa0\n  [picture 4x8 of 8x4]\n");

  // JPEG, and binary data instead of hex.
  const QByteArray jpeg = Encoded(image, "JPEG");
  ReadRtf(QStringView(QString("{\\rtf1{\\pict\\jpegblip ") + Hex(jpeg) + "}}"), doc);
  EXPECT_EQ(Outline(doc), "P left li0 ri0 fi0 sb0 sa0\n  [picture 8x4 of 8x4]\n");
  ReadRtf(QByteArrayView(QByteArray("{\\rtf1 x{\\pict\\pngblip\\bin") + QByteArray::number(png.size()) + " " + png +
                         "}y}"),
          doc);
  EXPECT_EQ(PlainText(doc), "xy");
  EXPECT_TRUE(Outline(doc).contains("[picture 8x4 of 8x4]"));

  // A palette picture's transparent colour stays transparent.
  QImage palette(4, 2, QImage::Format_Indexed8);
  palette.setColorTable({qRgba(255, 0, 0, 255), qRgba(0, 0, 0, 0)});
  palette.fill(0);
  palette.setPixel(3, 1, 1);
  const QByteArray indexed = Encoded(palette, "PNG");
  ASSERT_EQ(indexed[25], 3);  // colour type: palette
  ASSERT_TRUE(indexed.contains("tRNS"));
  ReadRtf(QStringView(QString("{\\rtf1{\\pict\\pngblip ") + Hex(indexed) + "}}"), doc);
  const QImage read = FirstPicture(doc);
  ASSERT_EQ(read.size(), QSize(4, 2));
  EXPECT_EQ(read.pixel(0, 1), qRgba(255, 0, 0, 255));
  EXPECT_EQ(qAlpha(read.pixel(3, 1)), 0);
}

TEST(RtfReader, PicturesThatAreNotShown) {
  const QByteArray png = Encoded(TwoColours(8, 4), "PNG");
  // Metafiles and bitmaps are skipped, and so is a damaged PNG.
  EXPECT_EQ(OutlineOf("{\\rtf1 a{\\pict\\wmetafile8\\picw10\\pich10 0100090000}{\\pict\\dibitmap0 28000000}b}"),
            "P left li0 ri0 fi0 sb0 sa0\n  [" + QFont().family() + " 12] ab\n");
  QByteArray damaged = png;
  damaged[20] = 0;
  damaged.truncate(30);
  EXPECT_FALSE(OutlineOf(QString("{\\rtf1{\\pict\\pngblip ") + Hex(damaged) + "}}").contains("picture"));
  // Word writes the picture twice: the one for older readers is skipped.
  const QString word = QString("{\\rtf1{\\*\\shppict{\\pict\\pngblip ") + Hex(png) +
                       "}}{\\nonshppict{\\pict\\wmetafile8 0100}}}";
  EXPECT_EQ(OutlineOf(word).count("picture"), 1);
  // A shape shows its "pib" picture and no other.
  const QString shape = QString("{\\rtf1{\\shp{\\*\\shpinst\\shpleft0{\\sp{\\sn shapeType}{\\sv 75}}"
                                "{\\sp{\\sn pib}{\\sv {\\pict\\pngblip\\picwgoal150\\pichgoal75 ") +
                        Hex(png) + "}}}{\\sp{\\sn fillBlip}{\\sv {\\pict\\pngblip " + Hex(png) + "}}}}}}";
  EXPECT_EQ(OutlineOf(shape), "P left li0 ri0 fi0 sb0 sa0\n  [picture 10x5 of 8x4]\n");
}

TEST(RtfReader, PicturesHoldWhatTheyClaim) {
  using platform::RtfPictureKind;
  const QByteArray png = Encoded(TwoColours(8, 4), "PNG");
  const auto withChunk = [&](const QByteArray& chunk) { return png.left(33) + chunk + png.mid(33); };
  // Notes and texts do not matter; a chunk longer than the data does, and
  // so does a picture cut short or one that claims a size its bytes cannot
  // fill.
  const QByteArray noted = withChunk(PngChunk("tEXt", QByteArray("Title\0x", 7), 7));
  EXPECT_EQ(platform::CheckRtfPicture(noted, RtfPictureKind::Png).size, QSize(8, 4));
  EXPECT_FALSE(platform::CheckRtfPicture(noted, RtfPictureKind::Png).decoderData.contains("tEXt"));
  const QByteArray claiming = withChunk(PngChunk("tEXt", QByteArray("Title\0x", 7), 0x70000025));
  EXPECT_FALSE(Holds(claiming, RtfPictureKind::Png));
  EXPECT_FALSE(Holds(png.left(png.size() - 12), RtfPictureKind::Png));
  QByteArray header = png.mid(16, 13);
  qToBigEndian<quint32>(20000, header.data());
  qToBigEndian<quint32>(20000, header.data() + 4);
  EXPECT_FALSE(Holds(png.left(8) + PngChunk("IHDR", header, 13) + png.mid(33), RtfPictureKind::Png));
  EXPECT_FALSE(Holds(withChunk(PngChunk("XYZW", "x", 1)), RtfPictureKind::Png));
  // The same of a JPEG's segments: a stray marker, a frame of a kind the
  // decoder does not read, a segment past the end, a size far beyond its
  // coded data, no end.
  const QByteArray jpeg = Encoded(TwoColours(8, 4), "JPEG");
  EXPECT_TRUE(Holds(jpeg, RtfPictureKind::Jpeg));
  const qsizetype frame = jpeg.indexOf("\xFF\xC0");
  const qsizetype scan = jpeg.indexOf("\xFF\xDA");
  EXPECT_FALSE(Holds(jpeg.left(scan) + QByteArray("\xFF\x16\x00\x02", 4) + jpeg.mid(scan), RtfPictureKind::Jpeg));
  QByteArray changed = jpeg;
  changed[frame + 1] = '\xC9';
  EXPECT_FALSE(Holds(changed, RtfPictureKind::Jpeg));
  changed = jpeg;
  changed[frame + 2] = '\x7F';
  EXPECT_FALSE(Holds(changed, RtfPictureKind::Jpeg));
  changed = jpeg;
  qToBigEndian<quint16>(8000, changed.data() + frame + 5);
  qToBigEndian<quint16>(8000, changed.data() + frame + 7);
  EXPECT_FALSE(Holds(changed, RtfPictureKind::Jpeg));
  EXPECT_FALSE(Holds(jpeg.left(jpeg.size() - 2), RtfPictureKind::Jpeg));
  QByteArray progressive;
  QBuffer buffer(&progressive);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "jpeg");
  writer.setProgressiveScanWrite(true);
  writer.write(TwoColours(40, 24));
  EXPECT_EQ(platform::CheckRtfPicture(progressive, RtfPictureKind::Jpeg).size, QSize(40, 24));
  // In a document: the text stays, the picture goes.
  EXPECT_EQ(OutlineOf(QString("{\\rtf1 a{\\pict\\pngblip ") + Hex(claiming) + "}b{\\pict\\jpegblip " + Hex(changed) +
                      "}c{\\pict\\pngblip " + Hex(noted) + "}}"),
            "P left li0 ri0 fi0 sb0 sa0\n  [" + QFont().family() + " 12] abc\n  [picture 8x4 of 8x4]\n");
  // Decoded pictures take from what the document's pictures may take.
  std::int64_t budget = 8 * 4 * 4 - 1;
  EXPECT_TRUE(platform::DecodeRtfPicture(png, RtfPictureKind::Png, budget).isNull());
  budget = 1000;
  EXPECT_EQ(platform::DecodeRtfPicture(noted, RtfPictureKind::Png, budget).pixel(7, 3), qRgb(0, 0, 255));
  EXPECT_EQ(budget, 1000 - 8 * 4 * 4);
  // Sixteen bits a sample take twice the bytes of eight.
  QImage deep(8, 4, QImage::Format_RGBA64);
  deep.fill(QColor(0, 0, 255));
  const QByteArray wide = Encoded(deep, "PNG");
  ASSERT_EQ(wide[24], 16);  // bit depth
  budget = 8 * 4 * 8 - 1;
  EXPECT_TRUE(platform::DecodeRtfPicture(wide, RtfPictureKind::Png, budget).isNull());
  EXPECT_EQ(budget, 8 * 4 * 8 - 1);
  budget = 8 * 4 * 8;
  EXPECT_EQ(platform::DecodeRtfPicture(wide, RtfPictureKind::Png, budget).size(), QSize(8, 4));
  EXPECT_EQ(budget, 0);
}

TEST(RtfReader, DeepNestingIsBoundedAndBalanced) {
  // Far deeper than the bound: no stack is used per level, and the text
  // and the formatting on either side come out right.
  const int depth = 100000;
  QString rtf = "{\\rtf1 a";
  rtf += QString(depth, QLatin1Char('{')) + "\\b deep" + QString(depth, QLatin1Char('}'));
  rtf += " after}";
  QTextDocument doc;
  ReadRtf(QStringView(rtf), doc);
  EXPECT_EQ(PlainText(doc), "adeep after");
  EXPECT_TRUE(Outline(doc).contains("bold] deep\n"));
  EXPECT_TRUE(Outline(doc).contains(" 12]  after\n"));
  // A destination opened beyond the bound is skipped, not applied to an outer group.
  rtf = "{\\rtf1 a" + QString(platform::kRtfMaxGroupDepth + 10, QLatin1Char('{')) + "{\\fonttbl x}{\\colortbl ;}" +
        QString(platform::kRtfMaxGroupDepth + 10, QLatin1Char('}')) + "b}";
  EXPECT_EQ(TextOf(rtf), "ab");
  // Unbalanced closing braces end the document.
  EXPECT_EQ(TextOf("{\\rtf1 a}}}}b"), "a");
}

TEST(RtfReader, HugeNumbersAreClamped) {
  EXPECT_EQ(OutlineOf(kHead + "\\fs999999999999999999999 big\\fs0 default\\fs-5 neg\\fs1 tiny}"),
            "P left li0 ri0 fi0 sb0 sa0\n"
            "  [Arial 1638] big\n"
            "  [Arial 12] defaultneg\n"
            "  [Arial 1] tiny\n");
  EXPECT_EQ(OutlineOf(kHead + "\\li-99999999999\\ri99999999999\\sb-7 x}"),
            "P left li-31680 ri31680 fi0 sb0 sa0\n  [Arial 12] x\n");
  EXPECT_EQ(TextOf("{\\rtf1 \\u99999999?x\\uc99999999999\\u65?abc}"), QString::fromUtf16(u"\uFFFDxA"));
  // A binary run longer than the document takes the rest of it.
  EXPECT_EQ(TextOf("{\\rtf1 a\\bin99999999999 bcd}"), "a");
  EXPECT_EQ(TextOf("{\\rtf1 a\\bin-5 b}"), "ab");
  EXPECT_EQ(TextOf("{\\rtf1 a\\f2147483647 b\\cf-2147483648 c\\deff99999999999 d}"), "abcd");
}

TEST(RtfReader, TruncatedDocumentsShowWhatTheyHold) {
  EXPECT_EQ(OutlineOf("{\\rtf1{\\fonttbl{\\f0 Arial;}}\\b bold text"),
            "P left li0 ri0 fi0 sb0 sa0\n  [Arial 12 bold] bold text\n");
  EXPECT_EQ(TextOf("{\\rtf1 one\\par two{\\i three"), "one\r\ntwothree");
  EXPECT_EQ(TextOf("{\\rtf1 x\\"), "x");
  EXPECT_EQ(TextOf("{\\rtf1 x\\'"), "x");
  EXPECT_EQ(TextOf("{\\rtf1 x\\'4"), "x");  // byte 4, a control character
  EXPECT_EQ(TextOf("{\\rtf1 x\\u"), "x");
  EXPECT_EQ(TextOf("{\\rtf1 x{\\fonttbl{\\f0 Ari"), "x");
  EXPECT_EQ(TextOf("{\\rtf1 x{\\pict\\pngblip 89504e"), "x");
}

TEST(RtfReader, MarkupWithoutItsOpeningIsReadAsBody) {
  EXPECT_EQ(TextOf("just \\b text\\par more"), "just text\r\nmore");
  EXPECT_EQ(TextOf(""), "");
}

TEST(RtfReader, ReadingReplacesTheWholeDocument) {
  QTextDocument doc;
  Read("{\\rtf1 first\\par second}", doc);
  EXPECT_EQ(Read("{\\rtf1 third}", doc), "third");
  EXPECT_EQ(doc.blockCount(), 1);
}
