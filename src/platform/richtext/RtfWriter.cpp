#include "platform/richtext/RtfWriter.h"

#include "platform/richtext/RtfCodePage.h"
#include "platform/richtext/RtfReader.h"

#include <QBuffer>
#include <QImage>
#include <QPixmap>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextTable>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <vector>

namespace platform {

namespace {

struct RunProps {
  int font = 0;
  int halfPoints = 24;
  int fg = 0;
  int bg = 0;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strike = false;
  int valign = 0;  // 0 none, 1 superscript, 2 subscript
  bool operator==(const RunProps&) const = default;
};

struct TabStop {
  int twips = 0;
  QTextOption::TabType type = QTextOption::LeftTab;
  bool operator==(const TabStop&) const = default;
};

struct ParaProps {
  int align = 0;
  int li = 0, ri = 0, fi = 0, sb = 0, sa = 0;
  bool intbl = false;
  bool rtl = false;
  std::vector<TabStop> tabs;
  bool operator==(const ParaProps&) const = default;
};

// Markup measures the box's default tab stops in twips; a Windows control
// has one every half inch.
constexpr int kDefaultTabTwips = 720;

int Twips(qreal pixels) { return static_cast<int>(std::lround(pixels * 15.0)); }

// Markup text with the delimiter rule of control words: a word is followed
// by a blank only where a literal character comes next.
class Markup {
 public:
  void Raw(QLatin1StringView text) {
    out_ += text;
    delimit_ = false;
  }
  void Word(QLatin1StringView word) {
    out_ += word;
    delimit_ = true;
  }
  void Word(QLatin1StringView word, qint64 value) {
    out_ += word;
    out_ += QString::number(value);
    delimit_ = true;
  }
  void NewLine() { Raw(QLatin1StringView("\r\n")); }

  void Text(QStringView text) {
    for (const QChar ch : text) {
      const char16_t u = ch.unicode();
      if (u == '\\' || u == '{' || u == '}') {
        out_ += QLatin1Char('\\');
        out_ += ch;
        delimit_ = false;
      } else if (u == '\t') {
        Word(QLatin1StringView("\\tab"));
      } else if (u == 0x2028) {
        Word(QLatin1StringView("\\line"));
      } else if (u == 0x00AD) {
        out_ += QLatin1StringView("\\-");
        delimit_ = false;
      } else if (u >= 0x20 && u < 0x80) {
        if (delimit_) out_ += QLatin1Char(' ');
        out_ += ch;
        delimit_ = false;
      } else if (u < 0x20 || u == 0xFFFC) {
        // controls and stray object marks have no place in the text
      } else if (const int byte = UnicodeToCp1252(u); byte >= 0x80) {
        out_ += QLatin1StringView("\\'");
        out_ += QLatin1Char("0123456789abcdef"[byte >> 4]);
        out_ += QLatin1Char("0123456789abcdef"[byte & 15]);
        delimit_ = false;
      } else {
        out_ += QLatin1StringView("\\u");
        out_ += QString::number(static_cast<qint16>(u));
        out_ += QLatin1Char('?');
        delimit_ = false;
      }
    }
  }

  void Hex(const QByteArray& bytes) {
    static const char digits[] = "0123456789abcdef";
    for (qsizetype i = 0; i < bytes.size(); ++i) {
      if (i % 64 == 0) out_ += QLatin1StringView("\r\n");
      const auto b = static_cast<unsigned char>(bytes[i]);
      out_ += QLatin1Char(digits[b >> 4]);
      out_ += QLatin1Char(digits[b & 15]);
    }
    delimit_ = false;
  }

  QString& Result() { return out_; }

 private:
  QString out_;
  bool delimit_ = false;
};

void WriteHeader(Markup& m, const QStringList& fonts, const std::vector<QColor>& colours,
                 int defaultTab = kDefaultTabTwips) {
  m.Raw(QLatin1StringView("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl"));
  for (int i = 0; i < fonts.size(); ++i) {
    m.Word(QLatin1StringView("{\\f"), i);
    m.Word(QLatin1StringView("\\fnil\\fcharset0"));
    QString name = fonts[i];
    name.remove(QLatin1Char(';'));
    m.Text(name);
    m.Raw(QLatin1StringView(";}"));
  }
  m.Raw(QLatin1StringView("}"));
  m.NewLine();
  if (!colours.empty()) {
    m.Raw(QLatin1StringView("{\\colortbl ;"));
    for (const QColor& c : colours) {
      m.Word(QLatin1StringView("\\red"), c.red());
      m.Word(QLatin1StringView("\\green"), c.green());
      m.Word(QLatin1StringView("\\blue"), c.blue());
      m.Raw(QLatin1StringView(";"));
    }
    m.Raw(QLatin1StringView("}"));
    m.NewLine();
  }
  if (defaultTab != kDefaultTabTwips) m.Word(QLatin1StringView("\\deftab"), defaultTab);
  m.Word(QLatin1StringView("\\viewkind4\\uc1"));
}

class DocumentWriter {
 public:
  explicit DocumentWriter(const QTextDocument& doc) : doc_(doc) {}

  QString Write() {
    // The tables first: every font and colour the text uses, in order of use.
    for (QTextBlock b = doc_.begin(); b.isValid(); b = b.next()) {
      if (b.length() == 1) Props(b.charFormat());
      for (auto it = b.begin(); !it.atEnd(); ++it) Props(it.fragment().charFormat());
    }
    CellColours(doc_.rootFrame());
    if (fonts_.isEmpty()) fonts_.append(doc_.defaultFont().family());
    const int defaultTab = std::max(1, Twips(doc_.defaultTextOption().tabStopDistance()));
    WriteHeader(m_, fonts_, colours_, defaultTab);

    bool first = true;
    ParaProps para;
    const QTextTable* rowTable = nullptr;
    int row = -1;
    for (QTextBlock b = doc_.begin(); b.isValid(); b = b.next()) {
      QTextTable* table = QTextCursor(b).currentTable();
      QTextTableCell cell;
      if (table) {
        cell = table->cellAt(b.position());
        if (table != rowTable || cell.row() != row) {
          WriteRowDefinition(*table, cell.row());
          WriteCoveredCells(*table, cell.row(), 0);
        }
        rowTable = table;
        row = cell.row();
      } else {
        rowTable = nullptr;
      }
      const ParaProps p = Para(b.blockFormat(), table != nullptr);
      if (first || !(p == para)) {
        WritePara(p);
        para = p;
      }
      if (b.length() == 1) Run(EmptyParagraphProps(b.charFormat()), first);
      for (auto it = b.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const QTextCharFormat format = fragment.charFormat();
        Run(Props(format), first);
        const QString text = fragment.text();
        if (format.isImageFormat()) {
          for (const QChar ch : text) {
            if (ch == QChar::ObjectReplacementCharacter) {
              WritePicture(format.toImageFormat());
            } else {
              m_.Text(QStringView(&ch, 1));
            }
          }
        } else {
          m_.Text(text);
        }
      }
      EndScript();
      if (table && cell.lastCursorPosition().block() == b) {
        // \cell ends the paragraph before it: an empty last one has a mark
        // of its own.
        if (b.length() == 1 && b != cell.firstCursorPosition().block()) {
          m_.Word(QLatin1StringView("\\par"));
          m_.NewLine();
        }
        m_.Word(QLatin1StringView("\\cell"));
        if (WriteCoveredCells(*table, cell.row(), cell.column() + cell.columnSpan())) {
          m_.Word(QLatin1StringView("\\row"));
          m_.NewLine();
          // Rows that cells from above cover whole have no text of their own.
          for (int r = cell.row() + 1; r < table->rows() && CoveredRow(*table, r); ++r) {
            WriteRowDefinition(*table, r);
            WriteCoveredCells(*table, r, 0);
            m_.Word(QLatin1StringView("\\row"));
            m_.NewLine();
          }
        }
      } else {
        m_.Word(QLatin1StringView("\\par"));
        m_.NewLine();
      }
    }
    m_.Raw(QLatin1StringView("}"));
    m_.NewLine();
    return std::move(m_.Result());
  }

 private:
  RunProps Props(const QTextCharFormat& f) {
    RunProps r;
    QString family = f.fontFamilies().toStringList().value(0);
    if (family.isEmpty() && f.hasProperty(QTextFormat::FontFamily)) family = f.stringProperty(QTextFormat::FontFamily);
    if (family.isEmpty()) family = doc_.defaultFont().family();
    r.font = static_cast<int>(fonts_.indexOf(family));
    if (r.font < 0) {
      r.font = static_cast<int>(fonts_.size());
      fonts_.append(family);
    }
    double points = f.fontPointSize();
    if (points <= 0) points = doc_.defaultFont().pointSizeF();
    if (points <= 0) points = 12;
    r.halfPoints = static_cast<int>(std::lround(points * 2));
    r.bold = f.fontWeight() >= QFont::DemiBold;
    r.italic = f.fontItalic();
    r.underline = f.fontUnderline();
    r.strike = f.fontStrikeOut();
    if (f.verticalAlignment() == QTextCharFormat::AlignSuperScript) r.valign = 1;
    if (f.verticalAlignment() == QTextCharFormat::AlignSubScript) r.valign = 2;
    if (f.hasProperty(QTextFormat::ForegroundBrush) && f.foreground().style() != Qt::NoBrush) {
      r.fg = Colour(f.foreground().color());
    }
    if (f.hasProperty(QTextFormat::BackgroundBrush) && f.background().style() != Qt::NoBrush) {
      r.bg = Colour(f.background().color());
    }
    return r;
  }

  // A paragraph mark is never raised or lowered: word processors would
  // otherwise carry the script to a line of its own.
  void EndScript() {
    if (current_.valign == 0) return;
    m_.Word(QLatin1StringView("\\nosupersub"));
    current_.valign = 0;
  }

  RunProps EmptyParagraphProps(const QTextCharFormat& f) {
    RunProps r = Props(f);
    r.valign = 0;
    return r;
  }

  int Colour(const QColor& c) {
    const QRgb rgb = c.rgb();
    for (size_t i = 0; i < colours_.size(); ++i) {
      if (colours_[i].rgb() == rgb) return static_cast<int>(i) + 1;
    }
    colours_.push_back(QColor::fromRgb(rgb));
    return static_cast<int>(colours_.size());
  }

  static ParaProps Para(const QTextBlockFormat& f, bool inTable) {
    ParaProps p;
    p.intbl = inTable;
    p.rtl = f.layoutDirection() == Qt::RightToLeft;
    const Qt::Alignment a = f.alignment() & Qt::AlignHorizontal_Mask;
    if (a & Qt::AlignHCenter) {
      p.align = 1;
    } else if (a & Qt::AlignRight) {
      p.align = 2;
    } else if (a & Qt::AlignJustify) {
      p.align = 3;
    }
    p.li = Twips(f.leftMargin());
    p.ri = Twips(f.rightMargin());
    p.fi = Twips(f.textIndent());
    p.sb = Twips(f.topMargin());
    p.sa = Twips(f.bottomMargin());
    // The layout measures tab stops from the start of the first line.
    for (const QTextOption::Tab& tab : f.tabPositions()) {
      p.tabs.push_back({Twips(tab.position) + p.li + p.fi, tab.type});
    }
    return p;
  }

  // A row's cells, each ending where the last column it covers ends, from
  // the table's column widths; a column without a width of its own ends
  // where the one before it ends. A cell that spans rows is named in each.
  void WriteRowDefinition(const QTextTable& table, int row) {
    const QTextTableFormat format = table.format();
    const QList<QTextLength> widths = format.columnWidthConstraints();
    m_.Word(QLatin1StringView("\\trowd\\trgaph"), Twips(format.cellPadding()));
    std::vector<int> rights;
    int right = 0;
    for (int c = 0; c < table.columns(); ++c) {
      const QTextLength w = c < widths.size() ? widths[c] : QTextLength();
      if (w.type() == QTextLength::FixedLength) right += Twips(w.rawValue());
      rights.push_back(right);
    }
    for (int c = 0; c < table.columns();) {
      const QTextTableCell cell = table.cellAt(row, c);
      if (!cell.isValid()) break;
      const int last = std::max(c, cell.column() + cell.columnSpan() - 1);
      if (cell.rowSpan() > 1) m_.Word(QLatin1StringView(cell.row() == row ? "\\clvmgf" : "\\clvmrg"));
      WriteCellFormat(cell.format().toTableCellFormat(), format.border());
      m_.Word(QLatin1StringView("\\cellx"), rights[static_cast<std::size_t>(std::min(last, table.columns() - 1))]);
      c = last + 1;
    }
  }

  // Borders the cell names, else the table's all round; its shading.
  void WriteCellFormat(const QTextTableCellFormat& f, qreal tableBorder) {
    static const char* const kSide[] = {"\\clbrdrt\\brdrs", "\\clbrdrl\\brdrs", "\\clbrdrb\\brdrs", "\\clbrdrr\\brdrs"};
    for (int k = 0; k < 4; ++k) {
      const Side side = CellSide(f, k);
      const qreal width = side.named ? side.width : tableBorder;
      if (width <= 0) continue;
      m_.Word(QLatin1StringView(kSide[k]));
      if (Twips(width) != 15) m_.Word(QLatin1StringView("\\brdrw"), Twips(width));
      if (side.named && side.colour.isValid() && side.colour.rgb() != qRgb(0, 0, 0)) {
        m_.Word(QLatin1StringView("\\brdrcf"), Colour(side.colour));
      }
    }
    if (f.hasProperty(QTextFormat::BackgroundBrush) && f.background().style() != Qt::NoBrush) {
      m_.Word(QLatin1StringView("\\clcbpat"), Colour(f.background().color()));
    }
  }

  struct Side {
    bool named = false;
    qreal width = 0;
    QColor colour;
  };

  // Side k of a cell: top, left, bottom, right.
  static Side CellSide(const QTextTableCellFormat& f, int k) {
    static const QTextFormat::Property kWidth[] = {QTextFormat::TableCellTopBorder, QTextFormat::TableCellLeftBorder,
                                                   QTextFormat::TableCellBottomBorder, QTextFormat::TableCellRightBorder};
    static const QTextFormat::Property kStyle[] = {
        QTextFormat::TableCellTopBorderStyle, QTextFormat::TableCellLeftBorderStyle,
        QTextFormat::TableCellBottomBorderStyle, QTextFormat::TableCellRightBorderStyle};
    static const QTextFormat::Property kBrush[] = {
        QTextFormat::TableCellTopBorderBrush, QTextFormat::TableCellLeftBorderBrush,
        QTextFormat::TableCellBottomBorderBrush, QTextFormat::TableCellRightBorderBrush};
    Side side;
    if (!f.hasProperty(kWidth[k])) return side;
    side.named = true;
    const bool none = f.hasProperty(kStyle[k]) && f.intProperty(kStyle[k]) == QTextFrameFormat::BorderStyle_None;
    side.width = none ? 0 : f.doubleProperty(kWidth[k]);
    const QBrush brush = f.brushProperty(kBrush[k]);
    if (brush.style() != Qt::NoBrush) side.colour = brush.color();
    return side;
  }

  // Cells of the row from `column` on that a cell of a row above covers: an
  // empty cell each. True when that reaches the end of the row.
  bool WriteCoveredCells(const QTextTable& table, int row, int column) {
    while (column < table.columns()) {
      const QTextTableCell cell = table.cellAt(row, column);
      if (!cell.isValid() || cell.row() == row) return false;
      m_.Word(QLatin1StringView("\\cell"));
      column = std::max(column + 1, cell.column() + cell.columnSpan());
    }
    return true;
  }

  static bool CoveredRow(const QTextTable& table, int row) {
    for (int c = 0; c < table.columns(); ++c) {
      if (table.cellAt(row, c).row() == row) return false;
    }
    return true;
  }

  // The colours of cells and of their borders go into the colour table
  // with those of the text.
  void CellColours(const QTextFrame* frame) {
    for (const QTextFrame* child : frame->childFrames()) {
      if (const auto* table = qobject_cast<const QTextTable*>(child)) {
        for (int r = 0; r < table->rows(); ++r) {
          for (int c = 0; c < table->columns(); ++c) {
            const QTextTableCell cell = table->cellAt(r, c);
            if (cell.row() != r || cell.column() != c) continue;
            const QTextTableCellFormat f = cell.format().toTableCellFormat();
            for (int k = 0; k < 4; ++k) {
              const Side side = CellSide(f, k);
              if (side.width > 0 && side.colour.isValid() && side.colour.rgb() != qRgb(0, 0, 0)) Colour(side.colour);
            }
            if (f.hasProperty(QTextFormat::BackgroundBrush) && f.background().style() != Qt::NoBrush) {
              Colour(f.background().color());
            }
          }
        }
      }
      CellColours(child);
    }
  }

  void WritePara(const ParaProps& p) {
    m_.Word(QLatin1StringView("\\pard"));
    static const char* const kAlign[] = {"", "\\qc", "\\qr", "\\qj"};
    if (p.align != 0) m_.Word(QLatin1StringView(kAlign[p.align]));
    if (p.li != 0) m_.Word(QLatin1StringView("\\li"), p.li);
    if (p.ri != 0) m_.Word(QLatin1StringView("\\ri"), p.ri);
    if (p.fi != 0) m_.Word(QLatin1StringView("\\fi"), p.fi);
    if (p.sb != 0) m_.Word(QLatin1StringView("\\sb"), p.sb);
    if (p.sa != 0) m_.Word(QLatin1StringView("\\sa"), p.sa);
    if (p.intbl) m_.Word(QLatin1StringView("\\intbl"));
    if (p.rtl) m_.Word(QLatin1StringView("\\rtlpar"));
    for (const TabStop& t : p.tabs) {
      if (t.type == QTextOption::RightTab) m_.Word(QLatin1StringView("\\tqr"));
      if (t.type == QTextOption::CenterTab) m_.Word(QLatin1StringView("\\tqc"));
      if (t.type == QTextOption::DelimiterTab) m_.Word(QLatin1StringView("\\tqdec"));
      m_.Word(QLatin1StringView("\\tx"), t.twips);
    }
  }

  // Only what changed is written; the first run names its font and size.
  void Run(const RunProps& r, bool& first) {
    const RunProps& c = current_;
    if (r.fg != c.fg) m_.Word(QLatin1StringView("\\cf"), r.fg);
    if (r.bg != c.bg) m_.Word(QLatin1StringView("\\highlight"), r.bg);
    if (r.underline != c.underline) m_.Word(QLatin1StringView(r.underline ? "\\ul" : "\\ulnone"));
    if (r.bold != c.bold) m_.Word(QLatin1StringView(r.bold ? "\\b" : "\\b0"));
    if (r.italic != c.italic) m_.Word(QLatin1StringView(r.italic ? "\\i" : "\\i0"));
    if (r.strike != c.strike) m_.Word(QLatin1StringView(r.strike ? "\\strike" : "\\strike0"));
    if (r.valign != c.valign) {
      static const char* const kVertical[] = {"\\nosupersub", "\\super", "\\sub"};
      m_.Word(QLatin1StringView(kVertical[r.valign]));
    }
    if (first || r.font != c.font) m_.Word(QLatin1StringView("\\f"), r.font);
    if (first || r.halfPoints != c.halfPoints) m_.Word(QLatin1StringView("\\fs"), r.halfPoints);
    current_ = r;
    first = false;
  }

  void WritePicture(const QTextImageFormat& format) {
    const QUrl url(format.name());
    QByteArray data = doc_.resource(QTextDocument::UserResource, RtfPictureSource(format.name())).toByteArray();
    bool png = data.startsWith("\x89PNG");
    const bool jpeg = data.startsWith("\xFF\xD8");
    const QVariant resource = doc_.resource(QTextDocument::ImageResource, url);
    QImage image;
    if (resource.canConvert<QImage>()) image = resource.value<QImage>();
    if (image.isNull() && resource.canConvert<QPixmap>()) image = resource.value<QPixmap>().toImage();
    if (image.isNull() && resource.typeId() == QMetaType::QByteArray) image.loadFromData(resource.toByteArray());
    if (image.isNull()) return;  // nothing to show, nothing to write
    if (!png && !jpeg) {
      QBuffer buffer(&data);
      buffer.open(QIODevice::WriteOnly);
      if (!image.save(&buffer, "PNG")) return;
      png = true;
    }
    const double width = format.width() > 0 ? format.width() : image.width();
    const double height = format.height() > 0 ? format.height() : image.height();
    m_.Raw(QLatin1StringView("{"));
    m_.Word(QLatin1StringView(png ? "\\pict\\pngblip" : "\\pict\\jpegblip"));
    m_.Word(QLatin1StringView("\\picw"), image.width());
    m_.Word(QLatin1StringView("\\pich"), image.height());
    m_.Word(QLatin1StringView("\\picwgoal"), Twips(width));
    m_.Word(QLatin1StringView("\\pichgoal"), Twips(height));
    m_.Hex(data);
    m_.Raw(QLatin1StringView("}"));
  }

  const QTextDocument& doc_;
  Markup m_;
  QStringList fonts_;
  std::vector<QColor> colours_;
  RunProps current_;
};

}  // namespace

QString WriteRtf(const QTextDocument& document) { return DocumentWriter(document).Write(); }

QString PlainTextToRtf(const QString& text, const QString& fontName, int halfPoints) {
  Markup m;
  WriteHeader(m, QStringList{fontName}, {});
  m.Word(QLatin1StringView("\\pard\\f0"));
  m.Word(QLatin1StringView("\\fs"), halfPoints);
  qsizetype start = 0;
  const qsizetype n = text.size();
  for (qsizetype i = 0; i <= n; ++i) {
    if (i < n && text[i] != QLatin1Char('\r') && text[i] != QLatin1Char('\n')) continue;
    m.Text(QStringView(text).mid(start, i - start));
    m.Word(QLatin1StringView("\\par"));
    m.NewLine();
    if (i + 1 < n && text[i] == QLatin1Char('\r') && text[i + 1] == QLatin1Char('\n')) ++i;
    start = i + 1;
  }
  m.Raw(QLatin1StringView("}"));
  m.NewLine();
  return std::move(m.Result());
}

}  // namespace platform
