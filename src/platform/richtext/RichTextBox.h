#pragma once
// The rich-text box: a text control that shows rich-text markup, with the
// operations and events the original's rich-text box has.
//
// Positions (SelStart, SelLength, Find, UpTo) count characters of Text, where
// every line break is the two characters CrLf and a picture counts nothing.
// The user can select and scroll but not type; every operation here edits.
// A Sel... reading gives no value (std::nullopt) where the selection mixes
// values, as the original gives Null.
#include <QColor>
#include <QString>
#include <QTextCharFormat>
#include <QTextEdit>
#include <optional>

namespace platform {

class RichTextBox : public QTextEdit {
  Q_OBJECT

 public:
  // SelAlignment values.
  enum Alignment { rtfLeft = 0, rtfRight = 1, rtfCenter = 2 };
  // Find options (they add up).
  enum FindOptions { rtfWholeWord = 2, rtfMatchCase = 4, rtfNoHighlight = 8 };

  // Font sizes the box takes, in points; anything else raises error 380.
  static constexpr double kMinFontSize = 1;
  static constexpr double kMaxFontSize = 1638;

  explicit RichTextBox(QWidget* parent = nullptr);

  // The markup. A text that is not rich-text markup is shown as plain text.
  QString TextRTF() const;
  void SetTextRTF(const QString& rtf);
  // The plain text: paragraphs joined by CrLf.
  QString Text() const;
  void SetText(const QString& text);

  int SelStart() const;
  void SetSelStart(int start);  // also makes SelLength 0; error 380 below 0
  int SelLength() const;
  void SetSelLength(int length);  // error 380 below 0
  QString SelText() const;
  // Replaces the selection with plain text in the format of its first
  // character; the insertion point follows the new text.
  void SetSelText(const QString& text);

  // Moves the insertion point up to (not onto) the next character that is
  // in `characterSet` (not in it when `negate`), forward from the end of the
  // selection or backward from its start; to the end (start) when none is.
  void UpTo(const QString& characterSet, bool forward = true, bool negate = false);
  // Searches Text from `start` to `end` (-1: the end) and selects the first
  // match unless rtfNoHighlight; gives its position or -1.
  int Find(const QString& text, int start = 0, int end = -1, int options = 0);

  std::optional<QString> SelFontName() const;
  void SetSelFontName(const QString& name);
  std::optional<double> SelFontSize() const;
  void SetSelFontSize(double points);  // error 380 outside kMinFontSize..kMaxFontSize
  std::optional<QColor> SelColor() const;
  void SetSelColor(const QColor& colour);
  std::optional<bool> SelBold() const;
  void SetSelBold(bool bold);
  std::optional<bool> SelUnderline() const;
  void SetSelUnderline(bool underline);
  std::optional<Alignment> SelAlignment() const;
  void SetSelAlignment(int alignment);  // error 380 unless an Alignment
  // Paragraph indents in twips (15 twips = 1 pixel); error 380 beyond 31680.
  // SelIndent is where the first line starts (the lines after it keep their
  // offset from it), SelRightIndent where the lines end; a table in the
  // selection is indented as a whole.
  std::optional<int> SelIndent() const;
  void SetSelIndent(int twips);
  std::optional<int> SelRightIndent() const;
  void SetSelRightIndent(int twips);

  // Font.Size: the box's font size, applied to all of its text.
  double FontSize() const;
  void SetFontSize(double points);  // error 380 outside kMinFontSize..kMaxFontSize

  QColor BackColor() const;
  void SetBackColor(const QColor& colour);
  QString ToolTipText() const { return toolTip(); }
  void SetToolTipText(const QString& text) { setToolTip(text); }
  // Repaints at once.
  void Refresh();

  // Text position <-> document position.
  int ToTextPosition(int documentPosition) const;
  int ToDocumentPosition(int textPosition) const;

 signals:
  // Button: 1 left, 2 right, 4 middle (MouseMove: the buttons held, added
  // up); Shift: 1 Shift, 2 Ctrl, 4 Alt, added up; X, Y in twips from the
  // box's top left corner.
  void MouseDown(int Button, int Shift, double X, double Y);
  void MouseMove(int Button, int Shift, double X, double Y);
  void MouseUp(int Button, int Shift, double X, double Y);
  // A press and release of the left button on the box.
  void Click();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  QTextCharFormat BoxFormat() const;
  QTextCharFormat InsertionFormat(const QTextCursor& cursor) const;
  void InsertPlain(QTextCursor& cursor, const QString& text, const QTextCharFormat& format);
  void MergeSelection(const QTextCharFormat& change);
  void MergeParagraphs(const QTextBlockFormat& change);
  template <typename T, typename Get>
  std::optional<T> CommonCharValue(Get get) const;
  template <typename T, typename Get>
  std::optional<T> CommonBlockValue(Get get) const;
  template <typename Block, typename Table, typename Each>
  void ForSelectedParagraphs(Block block, Table table, Each each) const;
  std::optional<int> IndentOfSelection(bool left) const;
  void SetIndentOfSelection(bool left, int twips);
  void Select(int anchor, int position);

  // The format that the next SetSelText takes at a bare insertion point that
  // was styled (the Sel... setters with nothing selected).
  QTextCharFormat typingFormat_;
  int typingPosition_ = -1;
  int typingRevision_ = -1;
  bool leftPressed_ = false;
  bool doubleClickPress_ = false;
};

}  // namespace platform
