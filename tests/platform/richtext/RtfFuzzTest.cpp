// Randomized robustness: mutated markup is read, written and read again. A
// seeded generator makes every run the same; the sanitizer build turns any
// bad memory access into a failure, and the round trip catches documents the
// reader and the writer disagree on.
#include "RtfTestSupport.h"
#include "platform/richtext/RichTextBox.h"
#include "platform/richtext/RtfReader.h"
#include "platform/richtext/RtfWriter.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QImage>
#include <QTextDocument>
#include <gtest/gtest.h>
#include <random>

using rtftest::PlainText;

namespace {

constexpr int kDocuments = 100000;

QByteArray SmallPng() {
  QImage image(3, 2, QImage::Format_RGB32);
  image.fill(qRgb(10, 200, 30));
  QByteArray data;
  QBuffer buffer(&data);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return data.toHex();
}

std::vector<QByteArray> Seeds() {
  const QByteArray png = SmallPng();
  std::vector<QByteArray> seeds = {
      "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 MS Sans Serif;}}\r\n"
      "\\viewkind4\\uc1\\pard\\f0\\fs17 Line one\\par\r\nLine two 45\\'b0\\par\r\n}\r\n",
      "{\\rtf1\\ansi\\deff1{\\fonttbl\\f0\\fswiss Arial;\\f1 Times;{\\f2{\\*\\panose 00}Courier{\\*\\falt C};}}"
      "{\\colortbl ;\\red255\\green0\\blue255;\\red0\\green0\\blue0;}"
      "\\pard\\qc\\b\\cf1 [Section: X]\\par\\pard\\li210\\ri210\\fi-100\\sb60\\sa30\\cf2\\ul First\\ulnone\\b0  "
      "{\\i it {\\strike st}}\\highlight1 hl\\cb0\\tab\\line\\par\\qr\\f2\\fs40 end}",
      "{\\rtf1\\uc2 \\u8364\\'80\\'80 {\\uc0\\u1044}\\u-10179?\\u-8694?\\'b0\\'a7\\~\\_\\-\\emdash\\bullet"
      "\\lquote\\rdblquote \\{\\}\\\\}",
      "{\\rtf1\\ansi\\ansicpg932 \\'82\\'a0\\'82\\'a2 \\ansicpg1251 \\'c4\\'ee\\mac \\'a7\\pc \\'b0}",
      "{\\rtf1 a{\\pict\\pngblip\\picw3\\pich2\\picwgoal45\\pichgoal30\r\n" + png + "}b{\\pict\\jpegblip\\bin4 "
      "\xff\xd8\xff\xe0}c}",
      "{\\rtf1{\\*\\shppict{\\pict\\pngblip " + png + "}}{\\nonshppict{\\pict\\wmetafile8 0100}}"
      "{\\shp{\\*\\shpinst{\\sp{\\sn pib}{\\sv {\\pict\\pngblip\\picscalex50 " + png + "}}}}}}",
      "{\\rtf1{\\stylesheet{\\s0 Normal;}}{\\info{\\title T}}{\\header h}{\\field{\\*\\fldinst HYPERLINK x}"
      "{\\fldrslt shown}}{\\*\\unknown skip}{\\listtext 1.\\tab}item\\cell x\\row\\sect\\page}",
      "{\\rtf1{{{{{{{{{{\\b deep}}}}}}}}}}\\fs999999999999 \\li-99999999999 \\u99999999 \\bin99 x}",
      "{\\rtf1 \\par\\par\\pard\\fs40\\par\\plain x\\par}",
      "{\\rtf1{\\fonttbl{\\f0\\fcharset204 A;}{\\f1\\fcharset2 Symbol;}{\\f2\\fcharset128 M;}{\\f3\\fcharset136 B;}}"
      "\\f0\\'cf\\'f0 {\\pntext\\f1\\'b7\\tab}\\pard\\li360\\fi-360\\tqr\\tx2000 item\\tab r\\par"
      "\\f2\\'93\\'fa\\'96\\{\\f3\\'a7A\\'82 {\\super\\chftn}{\\footnote x}so\\-ft\\par}",
      "{\\rtf1 a\\par\\trowd\\trgaph108\\clbrdrt\\brdrs\\cellx1000\\cellx2500\\pard\\intbl x\\cell y\\par z\\cell\\row"
      "\\intbl p\\nestcell q\\nestrow\\cell\\cell\\row\\pard b\\par}",
      "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fcharset0 Arial;}{\\f1\\fcharset2 Wingdings;}{\\f2 Webdings;}"
      "{\\f3\\fcharset2 Marlett;}{\\f4 ZapfDingbats;}}{\\*\\pnseclvl1\\pnucrm{\\pntxta .}}\\f0 \\'93q\\'94\\'c4\\'e3"
      "\\pard{\\*\\pn\\pnlvlblt\\pnf1{\\pntxtb\\'a7}}{\\f1 J\\'fc\\u61514?}\\par\\pard{\\*\\pn\\pnlvlbody\\pndec\\pnstart3"
      "\\pnf2{\\pntxtb\\'21}{\\pntxta .}}{\\f2 !a}\\par\\pard{\\pn\\pnlvl1}{\\f3 a\\'b7}{\\f4 3}\\par}",
  };
  for (const char* name : {"formatted.rtf", "lines.rtf", "charset.rtf", "word.rtf", "tables.rtf",
                           "damaged-png.rtf", "damaged-pictures.rtf"}) {
    seeds.push_back(rtftest::ReadData(QString::fromLatin1(name)));
  }
  return seeds;
}

const std::vector<QByteArray>& Tokens() {
  static const std::vector<QByteArray> tokens = {
      "{", "}", "\\", "\\'", "\\'8", "\\'b0", "\\u", "\\u-", "\\uc", "\\uc0", "\\bin", "\\bin5 ", "\\pict",
      "\\pngblip", "\\jpegblip", "\\*", "\\par", "\\line", "\\tab", "\\fonttbl", "\\colortbl", "\\f", "\\fs",
      "\\cf", "\\cb", "\\highlight", "\\b", "\\b0", "\\plain", "\\pard", "\\qc", "\\li", "\\fi-", "\\ansicpg932",
      "\\ansicpg1251", "\\shpinst", "\\sn pib", "\\sv", "\\shppict", "99999999999", "-2147483648", "0", ";",
      "\\red255", "\r\n", " ", "\xff", QByteArray(1, '\0'), "89504e470d0a1a0a", "{\\*\\x ", "\\deff", "\\u-10179?",
      "\\trowd", "\\cellx", "\\cellx99999999", "\\cell", "\\row", "\\intbl", "\\itap0", "\\nestcell", "\\tx",
      "\\tqc\\tx300", "\\fcharset", "\\fcharset128", "\\f2", "\\'82", "\\super", "\\chftn", "\\-",
      "\\clvmgf", "\\clvmrg", "\\clmgf", "\\clmrg", "\\clcbpat1", "\\clbrdrb\\brdrs", "\\trbrdrh\\brdrs", "\\brdrw",
      "\\trleft", "\\ls1", "\\ls2", "\\ilvl", "\\ilvl2", "\\listtext", "\\rtlpar", "\\leveltext", "\\'00",
      "{\\*\\listtable{\\list{\\listlevel\\levelnfc4{\\leveltext\\'02\\'00);}}\\listid1}}"
      "{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}}",
      "{\\*\\pn\\pnlvlbody\\pndec{\\pntxta .}}", "{\\pn\\pnlvlblt\\pnf1{\\pntxtb\\'b7}}", "\\pnlvl2", "\\pnlvlcont",
      "{\\pntxtb ", "\\pnstart", "{\\*\\pnseclvl3\\pnlcltr}", "\\fcharset2 Wingdings", "Webdings;", "\\'f0",
  };
  return tokens;
}

QByteArray Mutate(QByteArray doc, const std::vector<QByteArray>& seeds, std::mt19937& rng) {
  const auto pick = [&](qsizetype n) { return n <= 0 ? qsizetype(0) : qsizetype(rng() % n); };
  const int steps = 1 + static_cast<int>(rng() % 4);
  for (int s = 0; s < steps; ++s) {
    const qsizetype at = pick(doc.size() + 1);
    switch (rng() % 8) {
      case 0:  // one byte changed
        if (!doc.isEmpty()) doc[pick(doc.size())] = static_cast<char>(rng() & 0xFF);
        break;
      case 1:
      case 2: {  // a markup token put in
        const auto& tokens = Tokens();
        doc.insert(at, tokens[rng() % tokens.size()]);
        break;
      }
      case 3:  // a run taken out
        doc.remove(at, 1 + pick(32));
        break;
      case 4:  // a run repeated
        if (at < doc.size()) doc.insert(at, doc.mid(at, 1 + pick(64)));
        break;
      case 5:  // cut short
        doc.truncate(at);
        break;
      case 6: {  // random bytes
        QByteArray noise(1 + pick(16), '\0');
        for (char& c : noise) c = static_cast<char>(rng() & 0xFF);
        doc.insert(at, noise);
        break;
      }
      default: {  // a piece of another document
        const QByteArray& other = seeds[rng() % seeds.size()];
        const qsizetype from = pick(other.size());
        doc.insert(at, other.mid(from, 1 + pick(200)));
        break;
      }
    }
  }
  return doc;
}

}  // namespace

TEST(RtfFuzz, MutatedDocumentsReadSafelyAndRoundTrip) {
  // Damaged pictures make the image decoders complain; not of interest here.
  const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
  const std::vector<QByteArray> seeds = Seeds();
  std::mt19937 rng(20240611);
  QTextDocument doc;
  QTextDocument again;
  platform::RichTextBox box;
  QElapsedTimer timer;
  timer.start();
  int failures = 0;
  for (int i = 0; i < kDocuments && failures < 5; ++i) {
    const QByteArray input = Mutate(seeds[rng() % seeds.size()], seeds, rng);
    platform::ReadRtf(QByteArrayView(input), doc);
    const QString written = platform::WriteRtf(doc);
    platform::ReadRtf(QStringView(written), again);
    const bool same = PlainText(again) == PlainText(doc) && platform::WriteRtf(again) == written;
    if (!same) {
      ++failures;
      ADD_FAILURE() << "document " << i << " does not round-trip:\n"
                    << input.toPercentEncoding(" {}\\;?'*-").toStdString();
    }
    if (i % 500 == 0) {
      // The box's own reading of the markup as a text, and its positions.
      box.SetTextRTF(QString::fromLatin1(input));
      const QString text = box.Text();
      box.SetSelStart(static_cast<int>(rng() % (text.size() + 2)));
      box.SetSelLength(static_cast<int>(rng() % 50));
      const QString selected = box.SelText();
      EXPECT_TRUE(text.contains(selected)) << i;
      // Cells of a table that the selection spans are emptied, not removed.
      const bool cells = box.textCursor().hasComplexSelection();
      box.SetSelText(QStringLiteral("x\r\ny"));
      if (!cells) EXPECT_EQ(box.Text().size(), text.size() - selected.size() + 4) << i;
      EXPECT_TRUE(box.Text().contains(QStringLiteral("x\r\ny"))) << i;
    }
  }
  qInstallMessageHandler(previous);
  std::printf("%d mutated documents in %lld ms\n", kDocuments, static_cast<long long>(timer.elapsed()));
}

TEST(RtfFuzz, BinaryGarbage) {
  const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
  std::mt19937 rng(7);
  platform::RichTextBox box;
  QTextDocument doc;
  for (int i = 0; i < 2000; ++i) {
    QByteArray noise(1 + rng() % 400, '\0');
    for (char& c : noise) c = static_cast<char>(rng() & 0xFF);
    if (i % 2 == 0) noise.prepend("{\\rtf1 ");
    platform::ReadRtf(QByteArrayView(noise), doc);
    // No control character but the tab reaches the text.
    for (QChar c : PlainText(doc)) {
      if (c.unicode() < 0x20) ASSERT_TRUE(c == '\t' || c == '\r' || c == '\n') << i;
    }
    box.SetTextRTF(QString::fromLatin1(noise));
    ASSERT_FALSE(box.TextRTF().isEmpty());
  }
  qInstallMessageHandler(previous);
}
