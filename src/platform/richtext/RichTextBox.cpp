#include "platform/richtext/RichTextBox.h"

#include "platform/richtext/RtfReader.h"
#include "platform/richtext/RtfWriter.h"
#include "platform/values/VbError.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>

#include <algorithm>
#include <climits>
#include <cmath>

namespace platform {

namespace {

constexpr int kMaxIndentTwips = 31680;
// A Windows control's tab stops: every half inch.
constexpr double kDefaultTabPixels = 720 / 15.0;
constexpr char16_t kLineBreak = 0x2028;
constexpr char16_t kObject = QChar::ObjectReplacementCharacter;

// How many characters of Text a document character stands for: a line break
// is CrLf, a picture is nothing.
int Width(QChar c) {
  if (c.unicode() == kLineBreak) return 2;
  if (c.unicode() == kObject) return 0;
  return 1;
}

int Width(QStringView s) {
  int w = static_cast<int>(s.size());
  for (QChar c : s) w += Width(c) - 1;
  return w;
}

// Document text as Text gives it; the marks where a table begins and ends
// are no text.
QString AsText(QStringView s) {
  QString out;
  out.reserve(s.size());
  for (QChar c : s) {
    const char16_t u = c.unicode();
    if (u == kLineBreak || u == QChar::ParagraphSeparator) {
      out += QLatin1StringView("\r\n");
    } else if (u != kObject && u != 0xFDD0 && u != 0xFDD1) {
      out += c;
    }
  }
  return out;
}

QTextCharFormat WithoutObject(QTextCharFormat format) {
  format.clearProperty(QTextFormat::ObjectType);
  format.clearProperty(QTextFormat::ImageName);
  format.clearProperty(QTextFormat::ImageWidth);
  format.clearProperty(QTextFormat::ImageHeight);
  return format;
}

bool ValidFontSize(double points) {
  return std::isfinite(points) && points >= RichTextBox::kMinFontSize && points <= RichTextBox::kMaxFontSize;
}

int ButtonCode(Qt::MouseButtons buttons) {
  int code = 0;
  if (buttons & Qt::LeftButton) code |= 1;
  if (buttons & Qt::RightButton) code |= 2;
  if (buttons & Qt::MiddleButton) code |= 4;
  return code;
}

int ShiftCode(Qt::KeyboardModifiers modifiers) {
  int code = 0;
  if (modifiers & Qt::ShiftModifier) code |= 1;
  if (modifiers & Qt::ControlModifier) code |= 2;
  if (modifiers & Qt::AltModifier) code |= 4;
  return code;
}

}  // namespace

RichTextBox::RichTextBox(QWidget* parent) : QTextEdit(parent) {
  // The design font of the original's rich-text box.
  QFont designFont(QStringLiteral("MS Sans Serif"));
  designFont.setPointSizeF(8.25);
  setFont(designFont);
  document()->setUndoRedoEnabled(false);
  setReadOnly(true);
  setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  setAcceptDrops(false);
  viewport()->setMouseTracking(true);
  SetText(QString());
}

// ---- content ----------------------------------------------------------------

QString RichTextBox::TextRTF() const { return WriteRtf(*document()); }

void RichTextBox::SetTextRTF(const QString& rtf) {
  if (!IsRtf(rtf)) {
    SetText(rtf);
    return;
  }
  ReadRtf(QStringView(rtf), *document(), font());
  typingPosition_ = -1;
  Select(0, 0);
}

QString RichTextBox::Text() const {
  QString out;
  for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
    if (b != document()->begin()) out += QLatin1StringView("\r\n");
    out += AsText(b.text());
  }
  return out;
}

void RichTextBox::SetText(const QString& text) {
  QTextDocument* doc = document();
  doc->clear();
  QTextOption option = doc->defaultTextOption();
  option.setTabStopDistance(kDefaultTabPixels);
  doc->setDefaultTextOption(option);
  QTextCursor cursor(doc);
  cursor.beginEditBlock();
  const QTextCharFormat format = BoxFormat();
  cursor.setBlockFormat(QTextBlockFormat());
  cursor.setBlockCharFormat(format);
  InsertPlain(cursor, text, format);
  cursor.endEditBlock();
  typingPosition_ = -1;
  Select(0, 0);
}

QTextCharFormat RichTextBox::BoxFormat() const {
  const QFont f = font();
  QTextCharFormat format;
  format.setFontFamilies(QStringList{f.family()});
  format.setFontPointSize(f.pointSizeF() > 0 ? f.pointSizeF() : 8.25);
  format.setFontWeight(f.bold() ? QFont::Bold : QFont::Normal);
  format.setFontItalic(f.italic());
  format.setFontUnderline(f.underline());
  format.setFontStrikeOut(f.strikeOut());
  return format;
}

void RichTextBox::InsertPlain(QTextCursor& cursor, const QString& text, const QTextCharFormat& rawFormat) {
  const QTextCharFormat format = WithoutObject(rawFormat);
  QString line;
  const auto flush = [&] {
    if (!line.isEmpty()) cursor.insertText(line, format);
    line.clear();
  };
  const qsizetype n = text.size();
  for (qsizetype i = 0; i < n; ++i) {
    const QChar c = text[i];
    const char16_t u = c.unicode();
    if (u == '\r' || u == '\n' || u == QChar::ParagraphSeparator) {
      if (u == '\r' && i + 1 < n && text[i + 1] == QLatin1Char('\n')) ++i;
      flush();
      cursor.insertBlock(cursor.blockFormat(), format);
    } else if (c.isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate()) {
      line += c;
      line += text[++i];
    } else if (c.isSurrogate()) {
      line += QChar(QChar::ReplacementCharacter);
    } else if ((u >= 0x20 || u == '\t') && u != kObject && u != 0xFDD0 && u != 0xFDD1 && u < 0xFFFE) {
      line += c;
    }
  }
  flush();
}

// ---- positions ---------------------------------------------------------------

int RichTextBox::ToTextPosition(int documentPosition) const {
  int t = 0;
  for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
    const QString s = b.text();
    const int start = b.position();
    if (documentPosition <= start + s.size()) {
      return t + Width(QStringView(s).left(std::max(0, documentPosition - start)));
    }
    t += Width(s) + 2;
  }
  return std::max(0, t - 2);
}

int RichTextBox::ToDocumentPosition(int textPosition) const {
  if (textPosition <= 0) return 0;
  int t = 0;
  QTextBlock last;
  for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
    last = b;
    const QString s = b.text();
    const int w = Width(s);
    if (textPosition <= t + w) {
      int need = textPosition - t;
      int i = 0;
      while (need > 0 && i < s.size()) {
        const int cw = Width(s[i]);
        if (cw > need) break;
        need -= cw;
        ++i;
      }
      return b.position() + i;
    }
    if (textPosition < t + w + 2) return b.position() + static_cast<int>(s.size());
    t += w + 2;
  }
  return last.position() + last.length() - 1;
}

void RichTextBox::Select(int anchor, int position) {
  typingPosition_ = -1;
  QTextCursor cursor(document());
  cursor.setPosition(anchor);
  cursor.setPosition(position, QTextCursor::KeepAnchor);
  setTextCursor(cursor);
}

int RichTextBox::SelStart() const { return ToTextPosition(textCursor().selectionStart()); }

void RichTextBox::SetSelStart(int start) {
  if (start < 0) Raise(err::InvalidPropertyValue);
  const int p = ToDocumentPosition(start);
  Select(p, p);
}

int RichTextBox::SelLength() const {
  const QTextCursor c = textCursor();
  return ToTextPosition(c.selectionEnd()) - ToTextPosition(c.selectionStart());
}

void RichTextBox::SetSelLength(int length) {
  if (length < 0) Raise(err::InvalidPropertyValue);
  const int startText = SelStart();
  const int start = ToDocumentPosition(startText);
  const int end = ToDocumentPosition(startText + std::min(length, INT_MAX - startText));
  Select(start, end);
}

QString RichTextBox::SelText() const {
  // The text layout's own selected text runs table cells together.
  const QTextCursor c = textCursor();
  if (!c.hasSelection()) return QString();
  const int start = ToTextPosition(c.selectionStart());
  return Text().mid(start, ToTextPosition(c.selectionEnd()) - start);
}

void RichTextBox::SetSelText(const QString& text) {
  QTextCursor cursor = textCursor();
  const QTextCharFormat format = InsertionFormat(cursor);
  cursor.beginEditBlock();
  cursor.removeSelectedText();
  InsertPlain(cursor, text, format);
  cursor.endEditBlock();
  typingPosition_ = -1;
  setTextCursor(cursor);
}

QTextCharFormat RichTextBox::InsertionFormat(const QTextCursor& cursor) const {
  if (!cursor.hasSelection()) {
    if (typingPosition_ == cursor.position() && typingRevision_ == document()->revision()) return typingFormat_;
    return WithoutObject(cursor.charFormat());
  }
  const int start = cursor.selectionStart();
  const QTextBlock block = document()->findBlock(start);
  for (auto it = block.begin(); !it.atEnd(); ++it) {
    const QTextFragment f = it.fragment();
    if (f.contains(start)) return WithoutObject(f.charFormat());
  }
  return WithoutObject(block.charFormat());
}

// ---- search -------------------------------------------------------------------

void RichTextBox::UpTo(const QString& characterSet, bool forward, bool negate) {
  const QString text = Text();
  const int start = SelStart();
  const auto matches = [&](QChar c) { return characterSet.contains(c) != negate; };
  int stop;
  if (forward) {
    stop = static_cast<int>(text.size());
    for (int i = start + SelLength(); i < text.size(); ++i) {
      if (matches(text[i])) {
        stop = i;
        break;
      }
    }
  } else {
    stop = 0;
    for (int i = std::min<int>(start, static_cast<int>(text.size())) - 1; i >= 0; --i) {
      if (matches(text[i])) {
        stop = i + 1;
        break;
      }
    }
  }
  SetSelStart(stop);
}

int RichTextBox::Find(const QString& needle, int start, int end, int options) {
  if (needle.isEmpty()) return -1;
  const QString text = Text();
  const int last = end < 0 ? static_cast<int>(text.size()) : std::min<int>(end, static_cast<int>(text.size()));
  const Qt::CaseSensitivity cs = (options & rtfMatchCase) ? Qt::CaseSensitive : Qt::CaseInsensitive;
  const auto isWordChar = [](QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); };
  qsizetype at = std::max(start, 0);
  while ((at = text.indexOf(needle, at, cs)) >= 0 && at + needle.size() <= last) {
    const qsizetype after = at + needle.size();
    const bool whole = !(options & rtfWholeWord) ||
                       ((at == 0 || !isWordChar(text[at - 1])) && (after >= text.size() || !isWordChar(text[after])));
    if (whole) {
      if (!(options & rtfNoHighlight)) {
        Select(ToDocumentPosition(static_cast<int>(at)), ToDocumentPosition(static_cast<int>(after)));
      }
      return static_cast<int>(at);
    }
    ++at;
  }
  return -1;
}

// ---- character formatting -------------------------------------------------------

void RichTextBox::MergeSelection(const QTextCharFormat& change) {
  QTextCursor cursor = textCursor();
  if (!cursor.hasSelection()) {
    QTextCharFormat typing = InsertionFormat(cursor);
    typing.merge(change);
    if (cursor.block().length() == 1) cursor.mergeBlockCharFormat(change);
    typingFormat_ = typing;
    typingPosition_ = cursor.position();
    typingRevision_ = document()->revision();
    return;
  }
  // Empty paragraphs keep a format of their own, which sets their height.
  // It is the format of the mark before the paragraph, so the merge over the
  // selection reaches every paragraph but the first: one change, laid out
  // once, however many paragraphs there are. Cells chosen as a block are
  // merged one by one, without the marks between them.
  cursor.beginEditBlock();
  cursor.mergeCharFormat(change);
  const int end = cursor.hasComplexSelection() ? cursor.selectionEnd() : cursor.selectionStart();
  for (QTextBlock b = document()->findBlock(cursor.selectionStart()); b.isValid() && b.position() <= end;
       b = b.next()) {
    if (b.length() == 1) QTextCursor(b).mergeBlockCharFormat(change);
  }
  cursor.endEditBlock();
}

template <typename T, typename Get>
std::optional<T> RichTextBox::CommonCharValue(Get get) const {
  const QTextCursor cursor = textCursor();
  if (!cursor.hasSelection()) return get(InsertionFormat(cursor));
  const int a = cursor.selectionStart();
  const int e = cursor.selectionEnd();
  std::optional<T> value;
  for (QTextBlock b = document()->findBlock(a); b.isValid() && b.position() < e; b = b.next()) {
    for (auto it = b.begin(); !it.atEnd(); ++it) {
      const QTextFragment f = it.fragment();
      if (f.position() + f.length() <= a || f.position() >= e) continue;
      const T v = get(f.charFormat());
      if (!value) {
        value = v;
      } else if (!(*value == v)) {
        return std::nullopt;
      }
    }
  }
  return value ? value : std::optional<T>(get(InsertionFormat(cursor)));
}

std::optional<QString> RichTextBox::SelFontName() const {
  return CommonCharValue<QString>([this](const QTextCharFormat& f) {
    const QString family = f.fontFamilies().toStringList().value(0);
    return family.isEmpty() ? document()->defaultFont().family() : family;
  });
}

void RichTextBox::SetSelFontName(const QString& name) {
  QTextCharFormat change;
  change.setFontFamilies(QStringList{name});
  MergeSelection(change);
}

std::optional<double> RichTextBox::SelFontSize() const {
  return CommonCharValue<double>([this](const QTextCharFormat& f) {
    return f.fontPointSize() > 0 ? f.fontPointSize() : document()->defaultFont().pointSizeF();
  });
}

void RichTextBox::SetSelFontSize(double points) {
  if (!ValidFontSize(points)) Raise(err::InvalidPropertyValue);
  QTextCharFormat change;
  change.setFontPointSize(points);
  MergeSelection(change);
}

std::optional<QColor> RichTextBox::SelColor() const {
  return CommonCharValue<QColor>([this](const QTextCharFormat& f) {
    if (f.hasProperty(QTextFormat::ForegroundBrush) && f.foreground().style() != Qt::NoBrush) {
      return f.foreground().color();
    }
    return palette().color(QPalette::Text);
  });
}

void RichTextBox::SetSelColor(const QColor& colour) {
  QTextCharFormat change;
  change.setForeground(colour);
  MergeSelection(change);
}

std::optional<bool> RichTextBox::SelBold() const {
  return CommonCharValue<bool>([](const QTextCharFormat& f) { return f.fontWeight() >= QFont::DemiBold; });
}

void RichTextBox::SetSelBold(bool bold) {
  QTextCharFormat change;
  change.setFontWeight(bold ? QFont::Bold : QFont::Normal);
  MergeSelection(change);
}

std::optional<bool> RichTextBox::SelUnderline() const {
  return CommonCharValue<bool>([](const QTextCharFormat& f) { return f.fontUnderline(); });
}

void RichTextBox::SetSelUnderline(bool underline) {
  QTextCharFormat change;
  change.setFontUnderline(underline);
  MergeSelection(change);
}

// ---- paragraph formatting --------------------------------------------------------

void RichTextBox::MergeParagraphs(const QTextBlockFormat& change) { textCursor().mergeBlockFormat(change); }

template <typename T, typename Get>
std::optional<T> RichTextBox::CommonBlockValue(Get get) const {
  const QTextCursor cursor = textCursor();
  const int end = cursor.selectionEnd();
  std::optional<T> value;
  for (QTextBlock b = document()->findBlock(cursor.selectionStart()); b.isValid(); b = b.next()) {
    const T v = get(b.blockFormat());
    if (!value) {
      value = v;
    } else if (!(*value == v)) {
      return std::nullopt;
    }
    if (b.position() + b.length() > end) break;
  }
  return value;
}

std::optional<RichTextBox::Alignment> RichTextBox::SelAlignment() const {
  return CommonBlockValue<Alignment>([](const QTextBlockFormat& f) {
    const Qt::Alignment a = f.alignment() & Qt::AlignHorizontal_Mask;
    if (a & Qt::AlignHCenter) return rtfCenter;
    if (a & Qt::AlignRight) return rtfRight;
    return rtfLeft;
  });
}

void RichTextBox::SetSelAlignment(int alignment) {
  QTextBlockFormat change;
  // Left and right are the box's own sides, in right-to-left paragraphs too.
  switch (alignment) {
    case rtfLeft: change.setAlignment(Qt::AlignLeft | Qt::AlignAbsolute); break;
    case rtfRight: change.setAlignment(Qt::AlignRight | Qt::AlignAbsolute); break;
    case rtfCenter: change.setAlignment(Qt::AlignHCenter); break;
    default: Raise(err::InvalidPropertyValue);
  }
  MergeParagraphs(change);
}

// The indents are those of a rich-text control: the left one is where a
// paragraph's first line starts, and the lines after it keep their offset
// from it (a list item's hanging indent); the right one is where the lines
// end. A table takes them as a whole, its cells keeping their own.
std::optional<int> RichTextBox::IndentOfSelection(bool left) const {
  std::optional<int> value;
  bool mixed = false;
  ForSelectedParagraphs(
      [&](const QTextBlockFormat& f) {
        return left ? f.leftMargin() + f.textIndent() : f.rightMargin();
      },
      [&](const QTextTableFormat& f) { return left ? f.leftMargin() : f.rightMargin(); },
      [&](double pixels) {
        const int v = static_cast<int>(std::lround(pixels * 15));
        if (value && *value != v) mixed = true;
        value = v;
      });
  if (mixed) return std::nullopt;
  return value;
}

template <typename Block, typename Table, typename Each>
void RichTextBox::ForSelectedParagraphs(Block block, Table table, Each each) const {
  const QTextCursor cursor = textCursor();
  const int end = cursor.selectionEnd();
  const QTextTable* last = nullptr;
  for (QTextBlock b = document()->findBlock(cursor.selectionStart()); b.isValid(); b = b.next()) {
    if (const QTextTable* t = QTextCursor(b).currentTable()) {
      if (t != last) each(table(t->format()));
      last = t;
    } else {
      each(block(b.blockFormat()));
    }
    if (b.position() + b.length() > end) break;
  }
}

void RichTextBox::SetIndentOfSelection(bool left, int twips) {
  if (twips < -kMaxIndentTwips || twips > kMaxIndentTwips) Raise(err::InvalidPropertyValue);
  const double pixels = twips / 15.0;
  const QTextCursor selection = textCursor();
  const int end = selection.selectionEnd();
  QTextCursor edit(document());
  edit.beginEditBlock();
  QTextTable* last = nullptr;
  for (QTextBlock b = document()->findBlock(selection.selectionStart()); b.isValid(); b = b.next()) {
    const bool lastBlock = b.position() + b.length() > end;
    if (QTextTable* t = QTextCursor(b).currentTable()) {
      if (t != last) {
        QTextTableFormat f = t->format();
        left ? f.setLeftMargin(pixels) : f.setRightMargin(pixels);
        t->setFormat(f);
      }
      last = t;
    } else {
      QTextBlockFormat change;
      if (left) {
        // Lines after the first keep their offset from it, but none starts
        // left of the box's edge.
        const double offset = -b.blockFormat().textIndent();
        double rest = pixels + offset;
        if (rest < 0) rest = std::min(0.0, pixels);
        change.setLeftMargin(rest);
        change.setTextIndent(pixels - rest);
      } else {
        change.setRightMargin(pixels);
      }
      QTextCursor(b).mergeBlockFormat(change);
    }
    if (lastBlock) break;
  }
  edit.endEditBlock();
}

std::optional<int> RichTextBox::SelIndent() const { return IndentOfSelection(true); }

void RichTextBox::SetSelIndent(int twips) { SetIndentOfSelection(true, twips); }

std::optional<int> RichTextBox::SelRightIndent() const { return IndentOfSelection(false); }

void RichTextBox::SetSelRightIndent(int twips) { SetIndentOfSelection(false, twips); }

// ---- the box itself ---------------------------------------------------------------

double RichTextBox::FontSize() const { return font().pointSizeF(); }

void RichTextBox::SetFontSize(double points) {
  if (!ValidFontSize(points)) Raise(err::InvalidPropertyValue);
  QFont f = font();
  f.setPointSizeF(points);
  setFont(f);
  QTextCharFormat change;
  change.setFontPointSize(points);
  QTextCursor all(document());
  all.beginEditBlock();
  all.select(QTextCursor::Document);
  all.mergeCharFormat(change);
  for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
    QTextCursor(b).mergeBlockCharFormat(change);
  }
  all.endEditBlock();
  if (typingPosition_ >= 0) {
    typingFormat_.merge(change);
    typingRevision_ = document()->revision();
  }
}

QColor RichTextBox::BackColor() const { return palette().color(QPalette::Base); }

void RichTextBox::SetBackColor(const QColor& colour) {
  QPalette p = palette();
  p.setColor(QPalette::Base, colour);
  setPalette(p);
}

void RichTextBox::Refresh() { viewport()->repaint(); }

// ---- mouse ---------------------------------------------------------------------

void RichTextBox::mousePressEvent(QMouseEvent* event) {
  const QPointF at = event->position();
  const int shift = ShiftCode(event->modifiers());
  const int button = ButtonCode(event->button());
  QTextEdit::mousePressEvent(event);
  event->accept();  // every button is the box's, as the original's events are
  leftPressed_ = event->button() == Qt::LeftButton;
  doubleClickPress_ = false;
  if (button != 0) emit MouseDown(button, shift, at.x() * 15, at.y() * 15);
}

void RichTextBox::mouseDoubleClickEvent(QMouseEvent* event) {
  // The second press of a double click is no new MouseDown and no Click.
  QTextEdit::mouseDoubleClickEvent(event);
  doubleClickPress_ = true;
}

void RichTextBox::mouseMoveEvent(QMouseEvent* event) {
  const QPointF at = event->position();
  QTextEdit::mouseMoveEvent(event);
  emit MouseMove(ButtonCode(event->buttons()), ShiftCode(event->modifiers()), at.x() * 15, at.y() * 15);
}

void RichTextBox::mouseReleaseEvent(QMouseEvent* event) {
  QPointer<RichTextBox> self(this);
  const QPointF at = event->position();
  const int shift = ShiftCode(event->modifiers());
  const int button = ButtonCode(event->button());
  const bool click = event->button() == Qt::LeftButton && leftPressed_ && !doubleClickPress_ &&
                     viewport()->rect().contains(at.toPoint());
  if (event->button() == Qt::LeftButton) leftPressed_ = false;
  QTextEdit::mouseReleaseEvent(event);
  event->accept();
  if (button != 0) emit MouseUp(button, shift, at.x() * 15, at.y() * 15);
  if (self && click) emit Click();
}

void RichTextBox::contextMenuEvent(QContextMenuEvent* event) {
  // The programs open their own menu on the right button's release.
  event->accept();
}

}  // namespace platform
