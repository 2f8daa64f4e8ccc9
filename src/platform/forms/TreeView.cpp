#include "platform/forms/TreeView.h"

#include <QHeaderView>
#include <QKeyEvent>

#include "platform/forms/ImageList.h"
#include "platform/values/VbError.h"

namespace platform {

QString TreeNode::Text() const { return item_->text(0); }
void TreeNode::SetText(const QString& text) { item_->setText(0, text); }

void TreeNode::SetImage(const QString& key) {
  image_ = key;
  item_->setIcon(0, key.isEmpty() ? QIcon() : QIcon(tree_->Picture(key)));
}

bool TreeNode::Expanded() const { return item_->isExpanded(); }
void TreeNode::SetExpanded(bool expanded) { item_->setExpanded(expanded); }
bool TreeNode::Selected() const { return item_->isSelected(); }

void TreeNode::SetSelected(bool selected) {
  if (selected) {
    tree_->setCurrentItem(item_);
    item_->setSelected(true);
  } else {
    item_->setSelected(false);
  }
}

int TreeNode::Children() const { return item_->childCount(); }
TreeNode* TreeNode::Parent() const { return item_->parent() ? tree_->NodeOf(item_->parent()) : nullptr; }

TreeView::TreeView(QWidget* parent) : QTreeWidget(parent) {
  setColumnCount(1);
  header()->hide();
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setIconSize(QSize(16, 16));
  connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
    if (Expand) Expand(NodeOf(item));
  });
  connect(this, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) {
    if (Collapse) Collapse(NodeOf(item));
  });
  connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item, int) {
    if (NodeClick) NodeClick(NodeOf(item));
  });
}

TreeView::~TreeView() {
  for (TreeNode* n : nodes_) delete n;
}

QPixmap TreeView::Picture(const QString& key) const {
  if (!images_) return QPixmap();
  return images_->ListImage(key);  // an unknown key raises, as the control would
}

TreeNode* TreeView::Add(TreeNode* relative, int relationship, const QString& key, const QString& text,
                        const QString& image) {
  if (!key.isEmpty() && byKey_.contains(key)) Raise(35602, QStringLiteral("Key is not unique in collection"));
  QPixmap picture;
  if (!image.isEmpty()) picture = Picture(image);
  auto* item = new QTreeWidgetItem;
  item->setText(0, text);
  if (!relative) {
    addTopLevelItem(item);
  } else if (relationship == tvwChild) {
    relative->item_->addChild(item);
  } else {
    QTreeWidgetItem* parentItem = relative->item_->parent();
    const int at = parentItem ? parentItem->indexOfChild(relative->item_) : indexOfTopLevelItem(relative->item_);
    int pos = at + 1;
    if (relationship == tvwPrevious) pos = at;
    else if (relationship == tvwFirst) pos = 0;
    else if (relationship == tvwLast) pos = parentItem ? parentItem->childCount() : topLevelItemCount();
    if (parentItem) parentItem->insertChild(pos, item);
    else insertTopLevelItem(pos, item);
  }
  auto* node = new TreeNode;
  node->tree_ = this;
  node->item_ = item;
  node->key_ = key;
  node->image_ = image;
  if (!picture.isNull()) item->setIcon(0, QIcon(picture));
  nodes_.push_back(node);
  node->index_ = static_cast<int>(nodes_.size());
  if (!key.isEmpty()) byKey_.insert(key, node);
  byItem_.insert(item, node);
  return node;
}

TreeNode* TreeView::Item(int index) const {
  if (index < 1 || index > static_cast<int>(nodes_.size())) Raise(35600, QStringLiteral("Index out of bounds"));
  return nodes_[index - 1];
}

TreeNode* TreeView::ItemByKey(const QString& key) const { return byKey_.value(key, nullptr); }

TreeNode* TreeView::SelectedItem() const { return NodeOf(currentItem()); }

TreeNode* TreeView::NodeOf(const QTreeWidgetItem* item) const { return item ? byItem_.value(item, nullptr) : nullptr; }

void TreeView::Clear() {
  QTreeWidget::clear();
  for (TreeNode* n : nodes_) delete n;
  nodes_.clear();
  byKey_.clear();
  byItem_.clear();
}

void TreeView::keyPressEvent(QKeyEvent* event) {
  QTreeWidgetItem* before = currentItem();
  QTreeWidget::keyPressEvent(event);
  QTreeWidgetItem* now = currentItem();
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (TreeNode* node = NodeOf(now); NodeClick && node && (now != before || enter)) NodeClick(node);
}

bool TreeView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
  int cancel = 0;
  if (BeforeLabelEdit) BeforeLabelEdit(cancel);
  if (cancel) return false;
  return QTreeWidget::edit(index, trigger, event);
}

}  // namespace platform
