// Markup as a word processor writes it: LibreOffice's conversions of the
// documents in data/rtf/sources, read back to their text and formatting.
#include "RtfTestSupport.h"
#include "platform/RichTextBox.h"
#include "platform/RtfReader.h"
#include "platform/RtfWriter.h"

#include <QTextBlock>
#include <QTextDocument>
#include <gtest/gtest.h>

using rtftest::Outline;
using rtftest::PlainText;
using rtftest::ReadData;

namespace {

void Load(const char* name, QTextDocument& doc) {
  const QByteArray bytes = ReadData(QString::fromLatin1(name));
  ASSERT_FALSE(bytes.isEmpty()) << name;
  ASSERT_TRUE(platform::IsRtf(QByteArrayView(bytes)));
  platform::ReadRtf(QByteArrayView(bytes), doc);
}

}  // namespace

TEST(RtfSamples, FormattedDocument) {
  QTextDocument doc;
  Load("formatted.rtf", doc);
  EXPECT_EQ(PlainText(doc), QString::fromUtf8("Rule 5 Look-out\r\n"
                                              "Every vessel shall at all times maintain a proper look-out by sight "
                                              "and hearing.\r\n"
                                              "Bearing 045° ± 2°, see § 3.2\r\n"
                                              "Keep clear of the traffic lane and call the master.\r\n"));
  EXPECT_EQ(Outline(doc), QString::fromUtf8("P center li0 ri0 fi0 sb0 sa0\n"
                                            "  [Arial 14 bold] Rule 5 Look-out\n"
                                            "P left li720 ri360 fi0 sb144 sa72\n"
                                            "  [Times New Roman 10] Every vessel shall \n"
                                            "  [Times New Roman 10 underline] at all times\n"
                                            "  [Times New Roman 10]  maintain a \n"
                                            "  [Times New Roman 10 italic] proper\n"
                                            "  [Times New Roman 10]  \n"
                                            "  [Times New Roman 10 fg#ff0000] look-out\n"
                                            "  [Times New Roman 10]  by sight and hearing.\n"
                                            "P right li0 ri0 fi0 sb0 sa0\n"
                                            "  [Courier New 9] Bearing 045° ± 2°, see § 3.2\n"
                                            "P justify li0 ri0 fi360 sb0 sa0\n"
                                            "  [Times New Roman 12] Keep \n"
                                            "  [Times New Roman 12 strike] clear\n"
                                            "  [Times New Roman 12]  of the \n"
                                            "  [Times New Roman 12 bg#ffff00] traffic lane\n"
                                            "  [Times New Roman 12]  and call the \n"
                                            "  [Times New Roman 12 bold fg#0000ff] master\n"
                                            "  [Times New Roman 12] .\n"
                                            "P center li0 ri0 fi0 sb0 sa0\n"
                                            "  [picture 48x24 of 48x24]\n"));
}

TEST(RtfSamples, PictureOfAShapeIsTheOneShown) {
  QTextDocument doc;
  Load("formatted.rtf", doc);
  const QTextBlock last = doc.lastBlock();
  QImage image;
  for (auto it = last.begin(); !it.atEnd(); ++it) {
    const QTextCharFormat f = it.fragment().charFormat();
    if (f.isImageFormat()) {
      image = doc.resource(QTextDocument::ImageResource, QUrl(f.toImageFormat().name())).value<QImage>();
    }
  }
  ASSERT_EQ(image.size(), QSize(48, 24));
  // The source picture: left half red, right half blue.
  EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
  EXPECT_EQ(image.pixel(23, 23), qRgb(255, 0, 0));
  EXPECT_EQ(image.pixel(24, 0), qRgb(0, 0, 255));
  EXPECT_EQ(image.pixel(47, 23), qRgb(0, 0, 255));
}

TEST(RtfSamples, LinesTabsAndEmptyParagraphs) {
  QTextDocument doc;
  Load("lines.rtf", doc);
  EXPECT_EQ(PlainText(doc), "First line\r\nSecond\tafter a tab\r\n\r\nFourth\r\nwith a line break\r\n"
                            "Braces {and} back\\slash");
  EXPECT_EQ(Outline(doc), "P left li0 ri0 fi0 sb0 sa0\n"
                          "  [Arial 8.5] First line\n"
                          "P left li0 ri0 fi0 sb0 sa0\n"
                          "  [Arial 8.5] Second<tab>after a tab\n"
                          "P left li0 ri0 fi0 sb0 sa0\n"
                          "P left li0 ri0 fi0 sb0 sa0\n"
                          "  [Arial 8.5] Fourth<line>with a line break\n"
                          "P left li0 ri0 fi0 sb0 sa0\n"
                          "  [Arial 8.5] Braces {and} back\\slash\n");
  // The empty paragraph keeps the size of its text.
  EXPECT_EQ(rtftest::Character(doc.findBlockByNumber(2).charFormat()), "Arial 8.5");
}

TEST(RtfSamples, Windows1252AndOtherCharacters) {
  QTextDocument doc;
  Load("charset.rtf", doc);
  EXPECT_EQ(PlainText(doc), QString::fromUtf8("Course 270° ± 5° § 7\r\n"
                                              "€ “quoted” ‘single’ – en — em • bullet … ½\r\n"
                                              "Straße Øresund Göteborg Çeşme\r\n"
                                              "Ωμέγα Дон ≥ ≤ →"));
  EXPECT_EQ(Outline(doc).count("[Arial 10]"), 4);
}

TEST(RtfSamples, SamplesSurviveTheBox) {
  // Loaded into the box, written out, loaded again: nothing changes.
  for (const char* name : {"formatted.rtf", "lines.rtf", "charset.rtf"}) {
    platform::RichTextBox box;
    box.SetTextRTF(QString::fromLatin1(ReadData(QString::fromLatin1(name))));
    const QString once = box.TextRTF();
    platform::RichTextBox again;
    again.SetTextRTF(once);
    EXPECT_EQ(Outline(*again.document()), Outline(*box.document())) << name;
    EXPECT_EQ(again.Text(), box.Text()) << name;
    EXPECT_EQ(again.TextRTF(), once) << name;
  }
}
