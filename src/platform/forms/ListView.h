#pragma once
// The section list: items with keys, texts, icons and hidden sub-items, four
// views (icons, small icons, list, report with one column), hit test, a
// drop-highlight item, a background picture and the mouse events in twips.
#include <QHeaderView>
#include <QListWidget>
#include <QPixmap>
#include <QStandardItemModel>
#include <QString>
#include <functional>
#include <utility>
#include <vector>

namespace platform {

class ImageList;
class ListView;

enum ListViewView { lvwIcon = 0, lvwSmallIcon = 1, lvwList = 2, lvwReport = 3 };

class ListItem {
 public:
  QString Key() const { return key_; }
  QString Text() const;
  QString Icon() const { return icon_; }
  QString SmallIcon() const { return smallIcon_; }
  // Sub-items, 1-based as the original reads them by position.
  int SubItemCount() const { return static_cast<int>(subItems_.size()); }
  QString SubItemText(int position) const;  // out of range: error 35600
  QString SubItemKey(int position) const;
  void AddSubItem(const QString& key, const QString& text);  // a key used twice: error 35602
  int Index() const;

 private:
  friend class ListView;
  ListView* list_ = nullptr;
  QListWidgetItem* item_ = nullptr;
  QString key_, icon_, smallIcon_;
  std::vector<std::pair<QString, QString>> subItems_;
};

class ListView : public QWidget {
  Q_OBJECT
 public:
  explicit ListView(QWidget* parent = nullptr);
  ~ListView() override;

  void SetIcons(const ImageList* large) { icons_ = large; }
  void SetSmallIcons(const ImageList* small) { smallIcons_ = small; }

  // A key already in the list raises 35602 "Key is not unique in collection";
  // an icon key the image list lacks raises its error, and nothing is added.
  ListItem* Add(const QString& key, const QString& text, const QString& icon, const QString& smallIcon);
  void Clear();
  int Count() const { return static_cast<int>(items_.size()); }
  ListItem* Item(int index) const;  // 1-based
  ListItem* ItemByKey(const QString& key) const;

  // Column headers (the report view shows them).
  void ClearColumnHeaders();
  void AddColumnHeader(const QString& text, double widthTwips);
  int ColumnHeaderCount() const { return headerModel_.columnCount(); }
  QString ColumnHeaderText(int index) const;  // 1-based
  double ColumnHeaderWidth(int index) const;  // twips

  int View() const { return view_; }
  void SetView(int view);
  void SetFontSize(int points);
  void SetFontBold(bool bold);
  int FontSize() const;
  bool FontBold() const;

  // The item at a point in twips (relative to the control), or nullptr.
  ListItem* HitTest(double x, double y) const;
  ListItem* DropHighlight() const { return dropHighlight_; }
  void SetDropHighlight(ListItem* item);

  void SetPicture(const QPixmap& picture);
  const QPixmap& Picture() const { return picture_; }
  void SetSorted(bool sorted);
  bool Sorted() const { return sorted_; }
  void SetSortKey(int key) { sortKey_ = key; }
  int SortKey() const { return sortKey_; }
  void SetToolTipText(const QString& text);
  QString ToolTipText() const { return toolTip(); }
  void Refresh();

  QListWidget* Items() const { return list_; }

  // Button, Shift, X, Y (twips, relative to the control).
  std::function<void(int, int, double, double)> MouseDown;
  std::function<void(int, int, double, double)> MouseMove;
  std::function<void(int column)> ColumnClick;  // 1-based column index

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void LayoutParts();
  void ApplyView();
  void ApplyItemLook(ListItem* item);
  QPixmap Picture(const ImageList* list, const QString& key) const;

  QHeaderView* header_;
  QStandardItemModel headerModel_;
  QListWidget* list_;
  const ImageList* icons_ = nullptr;
  const ImageList* smallIcons_ = nullptr;
  std::vector<ListItem*> items_;
  ListItem* dropHighlight_ = nullptr;
  QPixmap picture_;
  int view_ = lvwIcon;
  bool sorted_ = false;
  int sortKey_ = 0;
};

}  // namespace platform
