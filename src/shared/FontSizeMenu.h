#pragma once
// The pop-up menu that sizes the question, answer or step text: larger and
// smaller by two points, the normal 8 and the big 14, on the program-wide
// text size, so that text shown later takes the same size.
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <vector>

class QAction;
class QPoint;
class QWidget;

namespace shared {

class FontSizeMenu : public QObject {
  Q_OBJECT

 public:
  // Sets one box's font size in points; may raise a VbError (380 for a size
  // the box refuses).
  using FontSizeSetter = std::function<void(int points)>;

  static constexpr int kStep = 2;
  static constexpr int kNormalSize = 8;
  static constexpr int kBigSize = 14;

  // `caption`: "PopUp Action" in Pellorin, "Pop up menu" in Varnok.
  // `textFontSize`: the program's TextFontSize, which must outlive the menu.
  // `boxes`: the setters of the boxes to size, in the order they are sized.
  FontSizeMenu(QWidget* owner, const QString& caption, int& textFontSize, std::vector<FontSizeSetter> boxes);
  ~FontSizeMenu() override;

  QMenu* mnuAction() const { return mnuAction_; }
  QAction* mnuActionIncrease() const { return increase_; }
  QAction* mnuActionDecrease() const { return decrease_; }
  QAction* mnuActionNormal() const { return normal_; }
  QAction* mnuActionBig() const { return big_; }

  // Shows the menu at a screen position and returns once it has closed (and
  // the chosen item has run).
  void PopupMenu(const QPoint& globalPosition);

  // Increase and Decrease put the text size back silently when a box refuses
  // the new one; a box that took it keeps it. Normal and Big have no such
  // handling: a refusal reaches the caller.
  void mnuActionIncrease_Click();
  void mnuActionDecrease_Click();
  void mnuActionNormal_Click();
  void mnuActionBig_Click();

 private:
  void Apply();
  void Step(int change);

  QPointer<QMenu> mnuAction_;
  QAction* increase_;
  QAction* decrease_;
  QAction* normal_;
  QAction* big_;
  int& textFontSize_;
  std::vector<FontSizeSetter> boxes_;
};

}  // namespace shared
