// Markup as a word processor writes it: LibreOffice's conversions of the
// documents in data/rtf/sources, read back to their text and formatting.
#include "RtfTestSupport.h"
#include "platform/richtext/RichTextBox.h"
#include "platform/richtext/RtfReader.h"
#include "platform/richtext/RtfWriter.h"

#include <QAbstractTextDocumentLayout>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextTable>
#include <gtest/gtest.h>

#include <string_view>

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

// The lines of LibreOffice's text export. It writes a list's label indented
// by blanks and followed by a blank where the document has its tab.
QStringList WordProcessorLines(const char* name) {
  QString text = QString::fromUtf8(ReadData(QString::fromLatin1(name)));
  if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
  QStringList lines = text.split(QLatin1Char('\n'));
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  static const QRegularExpression label(QStringLiteral("^ +(\\S+) "));
  for (QString& line : lines) line.replace(label, QStringLiteral("\\1\t"));
  return lines;
}

QStringList Lines(const QTextDocument& doc) {
  QStringList lines = PlainText(doc).split(QStringLiteral("\r\n"));
  static const QRegularExpression blanks(QStringLiteral("^ +"));
  for (QString& line : lines) line.remove(blanks);
  return lines;
}

QString CellText(const QTextTable& table, int row, int column) {
  return table.cellAt(row, column).firstCursorPosition().block().text();
}

}  // namespace

TEST(RtfSamples, TextIsWhatAWordProcessorReads) {
  // Lists, a table, footnote marks, soft hyphens, Cyrillic, Greek, Japanese
  // and Chinese as LibreOffice reads them from its own markup, pandoc's, a
  // rich-text control's and Word's (list numbers from the list table alone),
  // and tables with merged cells. LibreOffice's text gives a cell that a
  // merged cell covers an empty line, and keeps the empty paragraph pandoc's
  // "\\par" before "\\cell" leaves in every cell; the box shows neither,
  // so empty lines are left out there.
  for (const char* name : {"lists", "lists-pandoc", "control", "word", "tables"}) {
    QTextDocument doc;
    Load((std::string(name) + ".rtf").c_str(), doc);
    QStringList lines = Lines(doc);
    QStringList expected = WordProcessorLines((std::string(name) + ".txt").c_str());
    if (std::string_view(name) == "lists-pandoc" || std::string_view(name) == "tables" ||
        std::string_view(name) == "word") {
      lines.removeAll(QString());
      expected.removeAll(QString());
    }
    EXPECT_EQ(lines, expected) << name;
  }
}

TEST(RtfSamples, MergedCellsShadingAndRules) {
  // LibreOffice's table: a shaded title over the three columns, a header
  // ruled below (no grid), cells merged down, a cell over two columns.
  QTextDocument doc;
  Load("tables.rtf", doc);
  const QString outline = Outline(doc);
  for (const char* part : {"T 6x3 3600 2880 2160\n",
                           "P 0,0 [1x3 bg#d9d9d9] left li0 ri0 fi0 sb0 sa0\n  [Arial 10 bold] Power-driven vessel underway\n",
                           "P 1,0 [b15] left li0 ri0 fi0 sb0 sa0\n  [Arial 10 bold] Light\n",
                           "P 1,2 [b15] left li0 ri0 fi0 sb0 sa0\n  [Arial 10 bold] Range\n",
                           "P 2,0 left li0 ri0 fi0 sb0 sa0\n  [Arial 10] Masthead\n",
                           "P 3,0 [2x1] left li0 ri0 fi0 sb0 sa0\n  [Arial 10] Sidelights\n",
                           "P 3,2 [2x1] left li0 ri0 fi0 sb0 sa0\n  [Arial 10] 3 M\n",
                           "P 4,1 left li0 ri0 fi0 sb0 sa0\n  [Arial 10] 112.5° red to port\n",
                           "P 5,1 [1x2] left li0 ri0 fi0 sb0 sa0\n  [Arial 10] 135° white, 3 M\n"}) {
    EXPECT_TRUE(outline.contains(QString::fromUtf8(part))) << part << "\n" << outline.toStdString();
  }
  // Word's: borders all round, a shaded header, cells merged down and, in
  // the old way, across.
  Load("word.rtf", doc);
  const QString word = Outline(doc);
  for (const char* part : {"T 4x3 3000 3120 2900\n",
                           "P 0,0 [bg#d9d9d9 t15 l15 b15 r15] left li0 ri0 fi0 sb0 sa0\n  [Arial 10 bold] Vessel\n",
                           "P 1,0 [2x1 t15 l15 b15 r15] left li0 ri0 fi0 sb0 sa0\n  [Arial 10] Power-driven, making way\n",
                           "P 2,1 [bg#ffffcc t15 l15 b15 r15] left li0 ri0 fi0 sb0 sa0\n",
                           "P 3,1 [1x2 t15 l15 b15 r15] left li0 ri0 fi0 sb0 sa0\n"}) {
    EXPECT_TRUE(word.contains(QString::fromUtf8(part))) << part << "\n" << word.toStdString();
  }
}

TEST(RtfSamples, TablesOfThreeRowsAndColumns) {
  for (const char* name : {"lists.rtf", "control.rtf"}) {
    QTextDocument doc;
    Load(name, doc);
    const QTextTable* table = nullptr;
    for (QTextBlock b = doc.begin(); b.isValid() && !table; b = b.next()) table = QTextCursor(b).currentTable();
    ASSERT_NE(table, nullptr) << name;
    EXPECT_EQ(table->rows(), 3) << name;
    EXPECT_EQ(table->columns(), 3) << name;
    EXPECT_EQ(CellText(*table, 0, 0), "Light") << name;
    EXPECT_EQ(CellText(*table, 1, 1), QString::fromUtf8("225°")) << name;
    EXPECT_EQ(CellText(*table, 2, 2), "3 M") << name;
  }
  QTextDocument doc;
  Load("control.rtf", doc);
  EXPECT_TRUE(Outline(doc).contains("T 3x3 1908 1800 1800\n")) << Outline(doc).toStdString();
}

TEST(RtfSamples, ListMarkersInsideTheBoxAfterItsIndent) {
  // The answer style indents every paragraph by 210 twips (14 pixels): a
  // list item's marker starts there, and its text, on the first line after
  // the tab and on the lines after it, one hanging indent further.
  for (const auto& [name, count] :
       {std::pair("lists.rtf", 6), {"lists-pandoc.rtf", 6}, {"control.rtf", 5}, {"word.rtf", 20}}) {
    platform::RichTextBox box;
    box.SetTextRTF(QString::fromLatin1(ReadData(QString::fromLatin1(name))));
    box.SetSelStart(0);
    box.SetSelLength(static_cast<int>(box.Text().size()));
    box.SetSelIndent(210);
    box.SetSelRightIndent(210);
    QTextDocument& doc = *box.document();
    doc.setTextWidth(320);
    doc.size();  // lays it out
    const double edge = doc.documentMargin() + 14;
    int items = 0;
    int wrapped = 0;
    static const QRegularExpression marker(QString::fromUtf8("^ ?([\\d.]+|[a-z]\\)|[ivx]+\\.|\\([A-Z]\\)|•)\t"));
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
      if (!marker.match(b.text()).hasMatch() || QTextCursor(b).currentTable()) continue;
      ++items;
      const QTextLayout& layout = *b.layout();
      const double x = layout.position().x();
      const QTextLine first = layout.lineAt(0);
      const double hanging = -b.blockFormat().textIndent();
      EXPECT_GT(hanging, 0) << name;
      EXPECT_NEAR(x + first.x(), edge, 0.5) << name << " " << b.text().toStdString();
      EXPECT_NEAR(x + first.cursorToX(0), edge, 0.5) << name;
      EXPECT_NEAR(x + first.cursorToX(static_cast<int>(b.text().indexOf(QLatin1Char('\t'))) + 1), edge + hanging, 0.5)
          << name << " " << b.text().toStdString();
      for (int i = 1; i < layout.lineCount(); ++i) {
        ++wrapped;
        EXPECT_NEAR(x + layout.lineAt(i).x(), edge + hanging, 0.5) << name;
      }
    }
    EXPECT_EQ(items, count) << name;
    EXPECT_GT(wrapped, 0) << name;
  }
}

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

TEST(RtfSamples, DamagedPicturesAreLeftOutAndTheTextKept) {
  // Pictures that claim far more than they hold: their text stays, nothing
  // of them is shown.
  QTextDocument doc;
  Load("damaged-png.rtf", doc);
  EXPECT_EQ(PlainText(doc), "Text before the picture.\r\n\r\nText after the picture.");
  Load("damaged-pictures.rtf", doc);
  EXPECT_EQ(PlainText(doc), "Step 1:  end.\r\nStep 2:  end.\r\nStep 3:  end.\r\nStep 4:  between  end.\r\n"
                            "Step 5:  end.\r\nStep 6:  end.");
  EXPECT_FALSE(Outline(doc).contains("picture"));
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
  for (const char* name :
       {"formatted.rtf", "lines.rtf", "charset.rtf", "lists.rtf", "lists-pandoc.rtf", "control.rtf", "word.rtf",
        "tables.rtf"}) {
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
