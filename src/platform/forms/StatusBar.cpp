#include "platform/forms/StatusBar.h"

#include <QEvent>
#include <QHBoxLayout>

#include "platform/forms/Twips.h"
#include "platform/values/VbError.h"

namespace platform {

StatusBar::StatusBar(QWidget* parent) : QFrame(parent) {
  setFrameShape(QFrame::NoFrame);
  setFixedHeight(24);
  layout_ = new QHBoxLayout(this);
  layout_->setContentsMargins(2, 2, 2, 2);
  layout_->setSpacing(2);
  if (parent) parent->installEventFilter(this);
  Align();
}

void StatusBar::SetStyle(int style) {
  style_ = style;
  for (Panel& p : panels_) p.label->setVisible(style_ == sbrNormal);
}

void StatusBar::ClearPanels() {
  for (Panel& p : panels_) delete p.label;
  panels_.clear();
  Relayout();
}

void StatusBar::AddPanel(const QString& key, const QString& text) {
  if (!key.isEmpty())
    for (const Panel& p : panels_)
      if (p.key == key) Raise(35602, QStringLiteral("Key is not unique in collection"));
  auto* label = new QLabel(text, this);
  label->setFrameShape(QFrame::Panel);
  label->setFrameShadow(QFrame::Sunken);
  label->setContentsMargins(4, 0, 4, 0);
  label->setVisible(style_ == sbrNormal);
  panels_.push_back({key, label, sbrNoAutoSize, 1440});
  Relayout();
}

StatusBar::Panel& StatusBar::At(int index) {
  if (index < 1 || index > PanelCount()) Raise(35600, QStringLiteral("Index out of bounds"));
  return panels_[index - 1];
}

const StatusBar::Panel& StatusBar::At(int index) const {
  if (index < 1 || index > PanelCount()) Raise(35600, QStringLiteral("Index out of bounds"));
  return panels_[index - 1];
}

QString StatusBar::PanelKey(int index) const { return At(index).key; }
QString StatusBar::PanelText(int index) const { return At(index).label->text(); }
void StatusBar::SetPanelText(int index, const QString& text) { At(index).label->setText(text); }
int StatusBar::PanelAutoSize(int index) const { return At(index).autoSize; }

void StatusBar::SetPanelAutoSize(int index, int mode) {
  At(index).autoSize = mode;
  Relayout();
}

void StatusBar::SetPanelMinWidth(int index, double twips) {
  At(index).minWidth = twips;
  Relayout();
}

double StatusBar::PanelMinWidth(int index) const { return At(index).minWidth; }

void StatusBar::Relayout() {
  while (layout_->count()) delete layout_->takeAt(0);
  const int available = std::max(0, width() - 4);
  // A contents panel grows to its minimum width only as far as the spring
  // panels keep room for their texts: a minimum as wide as the window must
  // not push the other panels off the bar.
  int springRoom = 0;
  for (const Panel& p : panels_)
    if (p.autoSize == sbrSpring) springRoom += p.label->sizeHint().width() + layout_->spacing();
  for (const Panel& p : panels_) {
    int stretch = 0;
    const int minPx = std::min(TwipsToPixels(p.minWidth), available);
    if (p.autoSize == sbrSpring) {
      stretch = 1;
      p.label->setMinimumWidth(0);
      p.label->setMaximumWidth(QWIDGETSIZE_MAX);
    } else if (p.autoSize == sbrContents) {
      // Fitted to its text, but not below its minimum width.
      p.label->setMinimumWidth(0);
      const int wanted = std::max(minPx, p.label->sizeHint().width());
      p.label->setFixedWidth(std::max(p.label->sizeHint().width(), std::min(wanted, available - springRoom)));
    } else {
      p.label->setFixedWidth(minPx);
    }
    layout_->addWidget(p.label, stretch);
  }
  layout_->addStretch(panels_.empty() ? 1 : 0);
}

void StatusBar::Align() {
  QWidget* parent = parentWidget();
  if (!parent) return;
  setGeometry(0, parent->height() - height(), parent->width(), height());
  raise();
}

bool StatusBar::eventFilter(QObject* watched, QEvent* event) {
  if (watched == parentWidget() && event->type() == QEvent::Resize) Align();
  return QFrame::eventFilter(watched, event);
}

}  // namespace platform
