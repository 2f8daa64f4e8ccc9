#pragma once
// The section tree: nodes with keys, texts, tags and images from an image
// list, added relative to other nodes, with the tree control's Expand,
// Collapse, NodeClick and label-edit events. NodeClick also comes for a node
// the user selects from the keyboard (arrows, Home/End, typing, Enter).
#include <QHash>
#include <QPixmap>
#include <QString>
#include <QTreeWidget>
#include <functional>

namespace platform {

class ImageList;
class TreeView;

// A node of the tree. Index 1 is the first node added (the root).
class TreeNode {
 public:
  QString Text() const;
  void SetText(const QString& text);
  QString Key() const { return key_; }
  QString Tag;
  QString Image() const { return image_; }
  void SetImage(const QString& key);  // "" or 0: no picture
  bool Expanded() const;
  void SetExpanded(bool expanded);
  bool Selected() const;
  void SetSelected(bool selected);
  int Children() const;
  int Index() const { return index_; }
  TreeNode* Parent() const;

 private:
  friend class TreeView;
  TreeView* tree_ = nullptr;
  QTreeWidgetItem* item_ = nullptr;
  QString key_;
  QString image_;
  int index_ = 0;
};

enum TreeRelationship { tvwFirst = 0, tvwLast = 1, tvwNext = 2, tvwPrevious = 3, tvwChild = 4 };

class TreeView : public QTreeWidget {
  Q_OBJECT
 public:
  explicit TreeView(QWidget* parent = nullptr);
  ~TreeView() override;

  void SetImageList(const ImageList* images) { images_ = images; }

  // Adds a node; relative == nullptr adds a top-level node. A key already in
  // the tree raises error 35602 "Key is not unique in collection".
  TreeNode* Add(TreeNode* relative = nullptr, int relationship = tvwLast, const QString& key = QString(),
                const QString& text = QString(), const QString& image = QString());
  TreeNode* Item(int index) const;       // 1-based; out of range: error 35600
  TreeNode* ItemByKey(const QString& key) const;
  int Count() const { return static_cast<int>(nodes_.size()); }
  TreeNode* SelectedItem() const;
  TreeNode* NodeOf(const QTreeWidgetItem* item) const;
  void Clear();

  std::function<void(TreeNode*)> Expand;
  std::function<void(TreeNode*)> Collapse;
  std::function<void(TreeNode*)> NodeClick;
  std::function<void(int& cancel)> BeforeLabelEdit;

 protected:
  bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  friend class TreeNode;
  QPixmap Picture(const QString& key) const;

  const ImageList* images_ = nullptr;
  std::vector<TreeNode*> nodes_;
  QHash<QString, TreeNode*> byKey_;
  QHash<const QTreeWidgetItem*, TreeNode*> byItem_;
};

}  // namespace platform
