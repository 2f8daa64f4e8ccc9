#include "shared/FontSizeMenu.h"

#include <QMenu>

#include "platform/forms/Program.h"
#include "platform/values/VbError.h"
#include "platform/values/VbValues.h"

namespace shared {

FontSizeMenu::FontSizeMenu(QWidget* owner, const QString& caption, int& textFontSize,
                           std::vector<FontSizeSetter> boxes)
    : QObject(owner), textFontSize_(textFontSize), boxes_(std::move(boxes)) {
  mnuAction_ = new QMenu(caption, owner);
  mnuAction_->setObjectName(QStringLiteral("mnuAction"));
  increase_ = mnuAction_->addAction(QStringLiteral("Increase font size"));
  decrease_ = mnuAction_->addAction(QStringLiteral("Decrease font size"));
  normal_ = mnuAction_->addAction(QStringLiteral("Normal font size"));
  big_ = mnuAction_->addAction(QStringLiteral("Big font size"));
  connect(increase_, &QAction::triggered, this, [this] { platform::RunHandler([this] { mnuActionIncrease_Click(); }); });
  connect(decrease_, &QAction::triggered, this, [this] { platform::RunHandler([this] { mnuActionDecrease_Click(); }); });
  connect(normal_, &QAction::triggered, this, [this] { platform::RunHandler([this] { mnuActionNormal_Click(); }); });
  connect(big_, &QAction::triggered, this, [this] { platform::RunHandler([this] { mnuActionBig_Click(); }); });
}

FontSizeMenu::~FontSizeMenu() {
  // The menu is the owner window's child (for its placement); it goes with
  // this object unless the window has taken it already.
  delete mnuAction_.data();
}

void FontSizeMenu::PopupMenu(const QPoint& globalPosition) { mnuAction_->exec(globalPosition); }

void FontSizeMenu::Apply() {
  for (const FontSizeSetter& setBox : boxes_) setBox(textFontSize_);
}

void FontSizeMenu::Step(int change) {
  const int before = textFontSize_;
  try {
    textFontSize_ = platform::CInt(static_cast<double>(before) + change);
    Apply();
  } catch (const platform::VbError&) {
    textFontSize_ = before;
  }
}

void FontSizeMenu::mnuActionIncrease_Click() { Step(kStep); }
void FontSizeMenu::mnuActionDecrease_Click() { Step(-kStep); }

void FontSizeMenu::mnuActionNormal_Click() {
  textFontSize_ = kNormalSize;
  Apply();
}

void FontSizeMenu::mnuActionBig_Click() {
  textFontSize_ = kBigSize;
  Apply();
}

}  // namespace shared
