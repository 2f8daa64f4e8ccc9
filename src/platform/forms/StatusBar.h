#pragma once
// The status bar: aligned to the bottom of its parent, a simple or panelled
// style, panels with keys, texts and auto-size modes.
#include <QFrame>
#include <QLabel>
#include <QString>
#include <vector>

class QHBoxLayout;

namespace platform {

enum StatusBarStyle { sbrNormal = 0, sbrSimple = 1 };
enum PanelAutoSize { sbrNoAutoSize = 0, sbrSpring = 1, sbrContents = 2 };

class StatusBar : public QFrame {
  Q_OBJECT
 public:
  explicit StatusBar(QWidget* parent);

  void SetStyle(int style);
  int Style() const { return style_; }
  void ClearPanels();
  void AddPanel(const QString& key, const QString& text);
  int PanelCount() const { return static_cast<int>(panels_.size()); }
  QString PanelKey(int index) const;  // 1-based
  QString PanelText(int index) const;
  void SetPanelText(int index, const QString& text);
  int PanelAutoSize(int index) const;
  void SetPanelAutoSize(int index, int mode);
  void SetPanelMinWidth(int index, double twips);
  double PanelMinWidth(int index) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Panel {
    QString key;
    QLabel* label;
    int autoSize = sbrNoAutoSize;
    double minWidth = 0;
  };
  Panel& At(int index);
  const Panel& At(int index) const;
  void Align();
  void Relayout();

  QHBoxLayout* layout_;
  std::vector<Panel> panels_;
  int style_ = sbrNormal;
};

}  // namespace platform
