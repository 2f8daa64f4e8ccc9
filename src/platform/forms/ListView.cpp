#include "platform/forms/ListView.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTextLayout>

#include "platform/forms/ImageList.h"
#include "platform/forms/Twips.h"
#include "platform/values/VbError.h"
#include "platform/values/VbValues.h"

namespace platform {
namespace {

// Sorted as names are compared everywhere else: without regard to case.
class TextItem : public QListWidgetItem {
 public:
  using QListWidgetItem::QListWidgetItem;
  bool operator<(const QListWidgetItem& other) const override { return CompareText(text(), other.text()) < 0; }
};

// Icon titles: as many whole lines as the cell holds, the last one elided
// when the title goes on. The style alone would draw part of the next line
// under the elided one. The selected item's title is shown whole, over the
// cells below it, as list controls show a selected icon's label.
class IconTitleDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QStyleOptionViewItem o = Cell(option, index);
    if (o.features & QStyleOptionViewItem::WrapText) {
      const auto [width, height] = TextRoom(o);
      const int fit = std::max(1, height / std::max(1, QFontMetrics(o.font).height()));
      o.text = Lines(o.text, o.font, width, fit).join(QChar::LineSeparator);
    }
    Style(o)->drawControl(QStyle::CE_ItemViewItem, &o, painter, o.widget);
  }

  // The item with its whole title, reaching below its cell where the title
  // needs it; the cell alone for a title that fits.
  QRect WholeTitleRect(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const QStyleOptionViewItem o = Cell(option, index);
    if (!(o.features & QStyleOptionViewItem::WrapText)) return o.rect;
    const auto [width, height] = TextRoom(o);
    const int line = QFontMetrics(o.font).height();
    const int lines = static_cast<int>(Lines(o.text, o.font, width, 0).size());
    QRect rect = o.rect;
    rect.setHeight(o.rect.height() + std::max(0, lines * line - height));
    return rect;
  }

  // Draws the item with its whole title where the cell cuts it.
  void PaintWholeTitle(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyleOptionViewItem o = Cell(option, index);
    const QRect whole = WholeTitleRect(option, index);
    if (whole == o.rect) return;
    o.text = Lines(o.text, o.font, TextRoom(o).first, 0).join(QChar::LineSeparator);
    o.rect = whole;
    Style(o)->drawControl(QStyle::CE_ItemViewItem, &o, painter, o.widget);
  }

 private:
  static QStyle* Style(const QStyleOptionViewItem& o) { return o.widget ? o.widget->style() : QApplication::style(); }

  // The item's option within its cell: the cell, not the item, is what shows.
  QStyleOptionViewItem Cell(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyleOptionViewItem o = option;
    initStyleOption(&o, index);
    if (const auto* view = qobject_cast<const QListView*>(o.widget); view && view->gridSize().isValid())
      o.rect.setHeight(std::min(o.rect.height(), view->gridSize().height()));
    return o;
  }

  // Width and height the cell leaves the title.
  static std::pair<int, int> TextRoom(const QStyleOptionViewItem& o) {
    const QRect text = Style(o)->subElementRect(QStyle::SE_ItemViewItemText, &o, o.widget);
    const int margin = Style(o)->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, o.widget) + 1;
    return {text.width() - 2 * margin, text.height()};
  }

  // The title broken into lines of the width; with a limit (0: none), the
  // last line it allows is elided when the title goes on.
  static QStringList Lines(const QString& title, const QFont& font, int width, int limit) {
    const QFontMetrics metrics(font);
    QTextLayout layout(title, font);
    QTextOption wrap;
    wrap.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(wrap);
    layout.beginLayout();
    QStringList lines;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
      line.setLineWidth(width);
      if (lines.size() + 1 == limit) {
        lines << metrics.elidedText(title.mid(line.textStart()).simplified(), Qt::ElideRight, width);
        break;
      }
      lines << title.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    return lines;
  }
};

// The list itself: the selected icon's whole title lies above the items
// after it, and a click on it is a click on its item.
class ItemList : public QListWidget {
 public:
  explicit ItemList(QWidget* parent) : QListWidget(parent) {
    setItemDelegate(titles_ = new IconTitleDelegate(this));
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, viewport(), qOverload<>(&QWidget::update));
  }

  QModelIndex indexAt(const QPoint& point) const override {
    const QModelIndex selected = Selected();
    if (selected.isValid() && WholeTitleRect(selected).contains(point)) return selected;
    return QListWidget::indexAt(point);
  }

 protected:
  void paintEvent(QPaintEvent* event) override {
    QListWidget::paintEvent(event);
    const QModelIndex selected = Selected();
    if (!selected.isValid()) return;
    QPainter painter(viewport());
    titles_->PaintWholeTitle(&painter, Option(selected), selected);
  }

 private:
  QModelIndex Selected() const {
    if (viewMode() != IconMode || !wordWrap()) return {};
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? QModelIndex() : selected.first();
  }

  QStyleOptionViewItem Option(const QModelIndex& index) const {
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    option.state |= QStyle::State_Selected;
    option.palette.setCurrentColorGroup(isEnabled() ? QPalette::Normal : QPalette::Disabled);
    if (currentIndex() == index && (hasFocus() || viewport()->hasFocus())) option.state |= QStyle::State_HasFocus;
    return option;
  }

  QRect WholeTitleRect(const QModelIndex& index) const { return titles_->WholeTitleRect(Option(index), index); }

  IconTitleDelegate* titles_;
};

}  // namespace

QString ListItem::Text() const { return item_->text(); }

QString ListItem::SubItemText(int position) const {
  if (position < 1 || position > SubItemCount()) Raise(35600, QStringLiteral("Index out of bounds"));
  return subItems_[position - 1].second;
}

QString ListItem::SubItemKey(int position) const {
  if (position < 1 || position > SubItemCount()) Raise(35600, QStringLiteral("Index out of bounds"));
  return subItems_[position - 1].first;
}

void ListItem::AddSubItem(const QString& key, const QString& text) {
  if (!key.isEmpty())
    for (const auto& s : subItems_)
      if (s.first == key) Raise(35602, QStringLiteral("Key is not unique in collection"));
  subItems_.emplace_back(key, text);
}

int ListItem::Index() const { return list_->Items()->row(item_) + 1; }

ListView::ListView(QWidget* parent) : QWidget(parent) {
  header_ = new QHeaderView(Qt::Horizontal, this);
  header_->setModel(&headerModel_);
  header_->setSectionsClickable(true);
  header_->setStretchLastSection(false);
  header_->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  connect(header_, &QHeaderView::sectionClicked, this, [this](int section) {
    if (ColumnClick) ColumnClick(section + 1);
  });
  list_ = new ItemList(this);
  list_->setMouseTracking(true);
  list_->viewport()->setMouseTracking(true);
  list_->viewport()->installEventFilter(this);
  list_->setTextElideMode(Qt::ElideRight);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setDragDropMode(QAbstractItemView::NoDragDrop);
  list_->setMovement(QListView::Static);
  list_->setResizeMode(QListView::Adjust);
  ApplyView();
}

ListView::~ListView() {
  for (ListItem* i : items_) delete i;
}

QPixmap ListView::Picture(const ImageList* images, const QString& key) const {
  if (!images || key.isEmpty()) return QPixmap();
  return images->ListImage(key);
}

ListItem* ListView::Add(const QString& key, const QString& text, const QString& icon, const QString& smallIcon) {
  if (!key.isEmpty() && ItemByKey(key)) Raise(35602, QStringLiteral("Key is not unique in collection"));
  const QPixmap large = Picture(icons_, icon);
  const QPixmap small = Picture(smallIcons_, smallIcon);
  auto* item = new ListItem;
  item->list_ = this;
  item->key_ = key;
  item->icon_ = icon;
  item->smallIcon_ = smallIcon;
  item->item_ = new TextItem(text);
  item->item_->setData(Qt::UserRole, QVariant::fromValue(static_cast<void*>(item)));
  item->item_->setData(Qt::UserRole + 1, large);
  item->item_->setData(Qt::UserRole + 2, small);
  list_->addItem(item->item_);
  items_.push_back(item);
  ApplyItemLook(item);
  if (sorted_) list_->sortItems(Qt::AscendingOrder);
  return item;
}

void ListView::Clear() {
  dropHighlight_ = nullptr;
  list_->clear();
  for (ListItem* i : items_) delete i;
  items_.clear();
}

ListItem* ListView::Item(int index) const {
  if (index < 1 || index > list_->count()) Raise(35600, QStringLiteral("Index out of bounds"));
  return static_cast<ListItem*>(list_->item(index - 1)->data(Qt::UserRole).value<void*>());
}

ListItem* ListView::ItemByKey(const QString& key) const {
  for (ListItem* i : items_)
    if (i->key_ == key) return i;
  return nullptr;
}

void ListView::ClearColumnHeaders() {
  headerModel_.setColumnCount(0);
  LayoutParts();
}

void ListView::AddColumnHeader(const QString& text, double widthTwips) {
  const int column = headerModel_.columnCount();
  headerModel_.setColumnCount(column + 1);
  headerModel_.setHeaderData(column, Qt::Horizontal, text);
  headerModel_.setHeaderData(column, Qt::Horizontal, widthTwips, Qt::UserRole);
  header_->resizeSection(column, TwipsToPixels(widthTwips));
  ApplyView();
}

QString ListView::ColumnHeaderText(int index) const {
  return headerModel_.headerData(index - 1, Qt::Horizontal).toString();
}

double ListView::ColumnHeaderWidth(int index) const {
  return headerModel_.headerData(index - 1, Qt::Horizontal, Qt::UserRole).toDouble();
}

void ListView::SetView(int view) {
  view_ = view;
  ApplyView();
}

void ListView::SetFontSize(int points) {
  QFont f = list_->font();
  f.setPointSize(points);
  list_->setFont(f);
  ApplyView();
}

void ListView::SetFontBold(bool bold) {
  QFont f = list_->font();
  f.setBold(bold);
  list_->setFont(f);
  ApplyView();
}

int ListView::FontSize() const { return list_->font().pointSize(); }
bool ListView::FontBold() const { return list_->font().bold(); }

void ListView::ApplyView() {
  const bool report = view_ == lvwReport;
  header_->setVisible(report && headerModel_.columnCount() > 0);
  switch (view_) {
    case lvwIcon:
      list_->setViewMode(QListView::IconMode);
      list_->setFlow(QListView::LeftToRight);
      list_->setWrapping(true);
      list_->setIconSize(QSize(32, 32));
      list_->setGridSize(QSize(96, 40 + list_->fontMetrics().height() * 2));
      list_->setWordWrap(true);
      break;
    case lvwSmallIcon:
      list_->setViewMode(QListView::ListMode);
      list_->setFlow(QListView::LeftToRight);
      list_->setWrapping(true);
      list_->setIconSize(QSize(16, 16));
      list_->setGridSize(QSize());
      list_->setWordWrap(false);
      break;
    case lvwList:
      list_->setViewMode(QListView::ListMode);
      list_->setFlow(QListView::TopToBottom);
      list_->setWrapping(true);
      list_->setIconSize(QSize(16, 16));
      list_->setGridSize(QSize());
      list_->setWordWrap(false);
      break;
    default:
      list_->setViewMode(QListView::ListMode);
      list_->setFlow(QListView::TopToBottom);
      list_->setWrapping(false);
      list_->setIconSize(QSize(16, 16));
      list_->setGridSize(QSize());
      list_->setWordWrap(false);
      break;
  }
  for (ListItem* i : items_) ApplyItemLook(i);
  LayoutParts();
  list_->doItemsLayout();
}

void ListView::ApplyItemLook(ListItem* item) {
  QListWidgetItem* w = item->item_;
  const QPixmap pic = w->data(Qt::UserRole + (view_ == lvwIcon ? 1 : 2)).value<QPixmap>();
  w->setIcon(pic.isNull() ? QIcon() : QIcon(pic));
  if (view_ == lvwReport && headerModel_.columnCount() > 0) {
    const int width = header_->sectionSize(0);
    w->setSizeHint(QSize(width, std::max(20, list_->fontMetrics().height() + 6)));
  } else {
    w->setSizeHint(QSize());
  }
  const bool lit = item == dropHighlight_;
  w->setBackground(lit ? palette().brush(QPalette::Highlight) : QBrush());
  w->setForeground(lit ? palette().brush(QPalette::HighlightedText) : QBrush());
  w->setTextAlignment(view_ == lvwIcon ? Qt::AlignHCenter | Qt::AlignTop : Qt::AlignLeft | Qt::AlignVCenter);
}

ListItem* ListView::HitTest(double x, double y) const {
  const QPoint inControl(TwipsToPixels(x), TwipsToPixels(y));
  const QPoint inViewport = list_->viewport()->mapFrom(this, inControl);
  if (!list_->viewport()->rect().contains(inViewport)) return nullptr;
  QListWidgetItem* w = list_->itemAt(inViewport);
  return w ? static_cast<ListItem*>(w->data(Qt::UserRole).value<void*>()) : nullptr;
}

void ListView::SetDropHighlight(ListItem* item) {
  if (item == dropHighlight_) return;
  ListItem* old = dropHighlight_;
  dropHighlight_ = item;
  if (old) ApplyItemLook(old);
  if (item) ApplyItemLook(item);
}

void ListView::SetPicture(const QPixmap& picture) {
  picture_ = picture;
  QPalette p = list_->palette();
  if (picture.isNull()) p.setBrush(QPalette::Base, palette().brush(QPalette::Base));
  else p.setBrush(QPalette::Base, QBrush(picture));
  list_->setPalette(p);
  list_->viewport()->update();
}

void ListView::SetSorted(bool sorted) {
  sorted_ = sorted;
  if (sorted) list_->sortItems(Qt::AscendingOrder);
}

void ListView::SetToolTipText(const QString& text) {
  setToolTip(text);
  list_->setToolTip(text);
}

void ListView::Refresh() {
  list_->doItemsLayout();
  list_->viewport()->update();
  update();
}

void ListView::LayoutParts() {
  // isHidden, not isVisible: the header has its place while the whole
  // control is still hidden, as at start-up.
  const int top = header_->isHidden() ? 0 : header_->sizeHint().height();
  header_->setGeometry(0, 0, width(), top);
  list_->setGeometry(0, top, width(), std::max(0, height() - top));
}

void ListView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  LayoutParts();
}

bool ListView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == list_->viewport() &&
      (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseMove)) {
    auto* me = static_cast<QMouseEvent*>(event);
    const QPoint p = list_->viewport()->mapTo(this, me->position().toPoint());
    const double x = PixelsToTwips(p.x());
    const double y = PixelsToTwips(p.y());
    if (event->type() == QEvent::MouseButtonPress) {
      if (MouseDown) MouseDown(VbButton(me->button()), VbShift(me->modifiers()), x, y);
    } else if (MouseMove) {
      MouseMove(VbButtons(me->buttons()), VbShift(me->modifiers()), x, y);
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace platform
