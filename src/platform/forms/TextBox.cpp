#include "platform/forms/TextBox.h"

#include <QFocusEvent>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QPointer>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTimer>

#include "platform/values/VbError.h"

namespace platform {
namespace {
constexpr int kUnlimited = 32767;
// What QLineEdit keeps clear on each side of its text, inside the contents.
constexpr int kLineEditMargin = 2;

bool WithinWindow(Qt::FocusReason reason) {
  return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}
}  // namespace

TextBox::TextBox(QWidget* parent) : QLineEdit(parent) {
  setMaxLength(kUnlimited);
  connect(this, &QLineEdit::textChanged, this, [this] {
    if (Change) Change();
  });
}

void TextBox::SetText(const QString& text) { setText(text); }

void TextBox::SetMaxLength(int length) {
  if (length < 0) Raise(err::InvalidPropertyValue);
  maxLength_ = length;
  setMaxLength(length == 0 ? kUnlimited : length);
}

int TextBox::SelStart() const { return hasSelectedText() ? selectionStart() : cursorPosition(); }

void TextBox::SetSelStart(int start) {
  if (start < 0) Raise(err::InvalidPropertyValue);
  setCursorPosition(std::min<int>(start, static_cast<int>(text().size())));
}

int TextBox::SelLength() const { return hasSelectedText() ? static_cast<int>(selectedText().size()) : 0; }

void TextBox::SetSelLength(int length) {
  if (length < 0) Raise(err::InvalidPropertyValue);
  const int start = SelStart();
  const int n = std::min(length, static_cast<int>(text().size()) - start);
  if (n <= 0) setCursorPosition(start);
  else setSelection(start, n);
}

bool TextBox::ShowsWhole(const QString& text, const QFont& font) const {
  QStyleOptionFrame option;
  initStyleOption(&option);
  const QRect contents = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
  const QMargins margins = textMargins();
  const int room = contents.width() - margins.left() - margins.right() - 2 * kLineEditMargin;
  // QLineEdit keeps a pixel beyond the text for the caret.
  return qRound(QFontMetricsF(font).horizontalAdvance(text)) + 1 <= room;
}

QColor TextBox::BackColor() const { return palette().color(QPalette::Base); }

void TextBox::SetBackColor(const QColor& colour) {
  QPalette p = palette();
  p.setColor(QPalette::Base, colour);
  setPalette(p);
}

int TextBox::KeyAsciiOf(const QKeyEvent& event) {
  switch (event.key()) {
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Delete: return -1;
    default: break;
  }
  const QString text = event.text();
  if (text.size() != 1) return -1;
  return text.at(0).unicode();
}

void TextBox::keyPressEvent(QKeyEvent* event) {
  const int ascii = KeyAsciiOf(*event);
  if (ascii < 0 || !KeyPress) {
    QLineEdit::keyPressEvent(event);
    return;
  }
  int keyAscii = ascii;
  QPointer<TextBox> self(this);
  KeyPress(keyAscii);
  if (!self) return;
  if (keyAscii == 0) {
    event->accept();
    return;
  }
  if (keyAscii == ascii) {
    QLineEdit::keyPressEvent(event);
    return;
  }
  // The handler put another character in the key's place.
  const bool backspace = keyAscii == 8;
  QKeyEvent replaced(QEvent::KeyPress, backspace ? Qt::Key_Backspace : Qt::Key_unknown, Qt::NoModifier,
                     backspace ? QString() : QString(QChar(keyAscii)));
  QLineEdit::keyPressEvent(&replaced);
  event->setAccepted(replaced.isAccepted());
}

void TextBox::focusInEvent(QFocusEvent* event) {
  QLineEdit::focusInEvent(event);
  if (WithinWindow(event->reason()) && GotFocus) GotFocus();
}

void TextBox::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  if (!WithinWindow(event->reason())) return;
  QTimer::singleShot(0, this, [this] {
    if (LostFocus) LostFocus();
  });
}

}  // namespace platform
