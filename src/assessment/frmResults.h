#pragma once
// The results window: one bar per question table, its judgements split into
// correct, false and not answered, stacked to 100 % of what was judged in
// that table.
#include <QString>
#include <array>
#include <vector>

#include "platform/forms/Form.h"

QT_BEGIN_NAMESPACE
class QChartView;
class QChart;
class QPercentBarSeries;
class QBarSet;
class QBarCategoryAxis;
class QValueAxis;
QT_END_NAMESPACE

namespace assessment {

class frmResults : public platform::Form {
  Q_OBJECT

 public:
  static constexpr double kDesignWidth = 10800;
  static constexpr double kDesignHeight = 7200;

  // Reads the tallies (rows 1 .. upper bound; columns correct, false, not
  // answered) and the table names (row labels) when it loads and resizes;
  // both must outlive the window.
  frmResults(const std::vector<std::array<double, 3>>& tableResults, const std::vector<QString>& testTables,
             QWidget* parent = nullptr);
  ~frmResults() override;

  QChartView* graResults;
  QChart* Chart() const;

  // The chart's rows as shown: labels and the three percentages per row.
  int RowCount() const;
  QString RowLabel(int row) const;         // row 1 .. RowCount
  double Data(int row, int column) const;  // column 1 .. 3
  double TitleFontSize() const;
  double LegendFontSize() const;
  double AxisLabelFontSize() const;
  int AxisLabelAngle() const;  // 0 level, -90 upright when the names crowd

  // The shares of correct, false and not-answered weight in percent of all
  // weight judged in a table; a table without a judged question has none,
  // and shows 0 in each.
  static std::array<double, 3> RowPercentages(const std::array<double, 3>& tallies);

  void Form_Load() override;
  void Form_Resize() override;

 private:
  const std::vector<std::array<double, 3>>& tableResults_;
  const std::vector<QString>& testTables_;
  std::vector<int> rows_;  // the TableResults row each chart row shows
  QPercentBarSeries* series_;
  std::array<QBarSet*, 3> columns_{};
  QBarCategoryAxis* axisX_;
  QValueAxis* axisY_;
};

}  // namespace assessment
