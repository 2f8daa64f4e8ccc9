#pragma once
// Helpers of the rich-text tests: a document read into a readable outline of
// its paragraphs and runs, so that two documents compare in one assertion
// and a difference shows where it is.
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QString>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>
#include <QUrl>
#include <cmath>
#include <ostream>

// Texts in failure messages as text.
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace rtftest {

inline QString Paragraph(const QTextBlockFormat& f) {
  const Qt::Alignment a = f.alignment() & Qt::AlignHorizontal_Mask;
  const char* align = (a & Qt::AlignHCenter) ? "center" : (a & Qt::AlignRight) ? "right" : (a & Qt::AlignJustify) ? "justify" : "left";
  const auto tw = [](qreal px) { return QString::number(std::lround(px * 15)); };
  QString s = QStringLiteral("%1 li%2 ri%3 fi%4 sb%5 sa%6")
                  .arg(QLatin1StringView(align), tw(f.leftMargin()), tw(f.rightMargin()), tw(f.textIndent()),
                       tw(f.topMargin()), tw(f.bottomMargin()));
  if (f.layoutDirection() == Qt::RightToLeft) s += QLatin1StringView(" rtl");
  // Tab stops in twips from where the first line starts; r, c, d for right,
  // centre and decimal.
  for (const QTextOption::Tab& t : f.tabPositions()) {
    s += QLatin1StringView(" tab") + tw(t.position);
    if (t.type == QTextOption::RightTab) s += QLatin1Char('r');
    if (t.type == QTextOption::CenterTab) s += QLatin1Char('c');
    if (t.type == QTextOption::DelimiterTab) s += QLatin1Char('d');
  }
  return s;
}

inline QString Character(const QTextCharFormat& f) {
  QString s = f.fontFamilies().toStringList().value(0) + QLatin1Char(' ') + QString::number(f.fontPointSize());
  if (f.fontWeight() >= QFont::DemiBold) s += QLatin1StringView(" bold");
  if (f.fontItalic()) s += QLatin1StringView(" italic");
  if (f.fontUnderline()) s += QLatin1StringView(" underline");
  if (f.fontStrikeOut()) s += QLatin1StringView(" strike");
  if (f.verticalAlignment() == QTextCharFormat::AlignSuperScript) s += QLatin1StringView(" super");
  if (f.verticalAlignment() == QTextCharFormat::AlignSubScript) s += QLatin1StringView(" sub");
  if (f.hasProperty(QTextFormat::ForegroundBrush)) s += QLatin1StringView(" fg") + f.foreground().color().name();
  if (f.hasProperty(QTextFormat::BackgroundBrush)) s += QLatin1StringView(" bg") + f.background().color().name();
  return s;
}

// What a table cell shows of its own: rows x columns it spans, shading,
// borders by side (t, l, b, r) with their width in twips; empty for a plain
// cell.
inline QString CellLook(const QTextTableCell& c) {
  const QTextTableCellFormat f = c.format().toTableCellFormat();
  QString s;
  if (c.rowSpan() > 1 || c.columnSpan() > 1) s += QStringLiteral(" %1x%2").arg(c.rowSpan()).arg(c.columnSpan());
  if (f.hasProperty(QTextFormat::BackgroundBrush)) s += QLatin1StringView(" bg") + f.background().color().name();
  const qreal widths[] = {f.topBorder(), f.leftBorder(), f.bottomBorder(), f.rightBorder()};
  const QBrush brushes[] = {f.topBorderBrush(), f.leftBorderBrush(), f.bottomBorderBrush(), f.rightBorderBrush()};
  for (int k = 0; k < 4; ++k) {
    if (widths[k] <= 0) continue;
    s += QLatin1Char(' ') + QString(QLatin1Char("tlbr"[k])) + QString::number(std::lround(widths[k] * 15));
    if (brushes[k].color() != Qt::black) s += brushes[k].color().name();
  }
  return s.isEmpty() ? s : QLatin1Char('[') + s.mid(1) + QLatin1StringView("] ");
}

// One line per paragraph ("P <alignment and indents>", in a table cell
// "P r,c <...>", the first of a cell with its look) and one per run ("  [<format>] text", pictures as
// "  [picture WxH of IWxIH]"); a table starts with "T rows x columns" and
// the widths of its columns in twips.
inline QString Outline(const QTextDocument& doc) {
  QString out;
  const QTextTable* last = nullptr;
  for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
    const QTextTable* table = QTextCursor(b).currentTable();
    QString cell;
    if (table) {
      if (table != last) {
        out += QStringLiteral("T %1x%2").arg(table->rows()).arg(table->columns());
        for (const QTextLength& w : table->format().columnWidthConstraints()) {
          out += QLatin1Char(' ') + (w.type() == QTextLength::FixedLength ? QString::number(std::lround(w.rawValue() * 15))
                                                                          : QStringLiteral("*"));
        }
        out += QLatin1Char('\n');
      }
      const QTextTableCell c = table->cellAt(b.position());
      cell = QStringLiteral("%1,%2 ").arg(c.row()).arg(c.column());
      if (c.firstCursorPosition().block() == b) cell += CellLook(c);
    }
    last = table;
    out += QLatin1StringView("P ") + cell + Paragraph(b.blockFormat()) + QLatin1Char('\n');
    for (auto it = b.begin(); !it.atEnd(); ++it) {
      const QTextFragment f = it.fragment();
      const QTextCharFormat cf = f.charFormat();
      if (cf.isImageFormat()) {
        const QTextImageFormat img = cf.toImageFormat();
        const QImage image = doc.resource(QTextDocument::ImageResource, QUrl(img.name())).value<QImage>();
        out += QStringLiteral("  [picture %1x%2 of %3x%4]\n")
                   .arg(img.width())
                   .arg(img.height())
                   .arg(image.width())
                   .arg(image.height());
        continue;
      }
      QString text = f.text();
      text.replace(QChar(0x2028), QLatin1StringView("<line>"));
      text.replace(QLatin1Char('\t'), QLatin1StringView("<tab>"));
      out += QLatin1StringView("  [") + Character(cf) + QLatin1StringView("] ") + text + QLatin1Char('\n');
    }
  }
  return out;
}

// The plain text as the rich-text box gives it.
inline QString PlainText(const QTextDocument& doc) {
  QString out;
  for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
    if (b != doc.begin()) out += QLatin1StringView("\r\n");
    for (QChar c : b.text()) {
      if (c.unicode() == 0x2028) {
        out += QLatin1StringView("\r\n");
      } else if (c != QChar::ObjectReplacementCharacter) {
        out += c;
      }
    }
  }
  return out;
}

inline QString DataPath(const QString& name) {
  return QStringLiteral(QVR_SOURCE_DIR "/tests/platform/richtext/data/rtf/") + name;
}

inline QByteArray ReadData(const QString& name) {
  QFile file(DataPath(name));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

}  // namespace rtftest
