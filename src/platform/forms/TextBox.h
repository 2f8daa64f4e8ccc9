#pragma once
// The original's text box: Text, MaxLength (0: no limit), the selection by
// start and length, and the events Change (every change of the text, by
// typing or by code), KeyPress (the character's code before the box takes
// it; set it to 0 to discard the key), GotFocus and LostFocus. Focus that
// moves to another window or to a pop-up menu is no GotFocus or LostFocus,
// as in the original, where those events belong to moves inside a window.
// LostFocus runs once the focus has arrived where it went, so that its
// handler may take the focus back.
#include <QColor>
#include <QLineEdit>
#include <functional>

namespace platform {

class TextBox : public QLineEdit {
  Q_OBJECT

 public:
  explicit TextBox(QWidget* parent = nullptr);

  QString Text() const { return text(); }
  void SetText(const QString& text);
  int MaxLength() const { return maxLength_; }
  void SetMaxLength(int length);  // a longer text is cut; error 380 below 0

  int SelStart() const;
  void SetSelStart(int start);    // also makes SelLength 0
  int SelLength() const;
  void SetSelLength(int length);  // from SelStart, cut at the end of the text

  QColor BackColor() const;
  void SetBackColor(const QColor& colour);
  QString ToolTipText() const { return toolTip(); }
  void SetToolTipText(const QString& text) { setToolTip(text); }
  void SetFocus() { setFocus(Qt::OtherFocusReason); }
  // Whether the box, in that font, shows the whole text at once; a text that
  // does not fit scrolls with the insertion point.
  bool ShowsWhole(const QString& text, const QFont& font) const;

  std::function<void()> Change;
  std::function<void(int& keyAscii)> KeyPress;
  std::function<void()> GotFocus;
  std::function<void()> LostFocus;

  // The code KeyPress gets for a key event: the character's code (8 for
  // Backspace, 13 for Enter, 27 for Escape), or -1 for keys without one
  // (arrows, Delete, Tab, function keys), which reach the box untouched.
  static int KeyAsciiOf(const QKeyEvent& event);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  int maxLength_ = 0;
};

}  // namespace platform
