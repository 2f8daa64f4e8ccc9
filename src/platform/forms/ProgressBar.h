#pragma once
// The original's progress bar: Min, Max and Value, a tooltip, a 3-D or flat
// look (Appearance) and a single-line border or none (BorderStyle). The bar
// fills from the left in blocks, in proportion to Value within Min .. Max.
#include <QString>
#include <QWidget>

namespace platform {

class ProgressBar : public QWidget {
  Q_OBJECT

 public:
  enum AppearanceConstants { ccFlat = 0, cc3D = 1 };
  enum BorderStyleConstants { ccNone = 0, ccFixedSingle = 1 };

  explicit ProgressBar(QWidget* parent = nullptr);

  double Min() const { return min_; }
  double Max() const { return max_; }
  double Value() const { return value_; }
  // Error 380 when Min would pass Max; a Value outside the new range is
  // brought to its nearest end.
  void SetMin(double min);
  void SetMax(double max);
  // Error 380 outside Min .. Max.
  void SetValue(double value);

  int Appearance() const { return appearance_; }
  void SetAppearance(int appearance);  // error 380 unless 0 or 1
  int BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(int style);  // error 380 unless 0 or 1

  QString ToolTipText() const { return toolTip(); }
  void SetToolTipText(const QString& text) { setToolTip(text); }
  bool Visible() const { return !isHidden(); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  double min_ = 0;
  double max_ = 100;
  double value_ = 0;
  int appearance_ = cc3D;
  int borderStyle_ = ccNone;
};

}  // namespace platform
