#include "assessment/frmResults.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QGraphicsLayout>
#include <QLegend>
#include <QValueAxis>
#include <QFontMetrics>
#include <algorithm>
#include <cmath>

#include "platform/Program.h"
#include "platform/Twips.h"
#include "platform/VbValues.h"

namespace assessment {

frmResults::frmResults(const std::vector<std::array<double, 3>>& tableResults,
                       const std::vector<QString>& testTables, QWidget* parent)
    : platform::Form(parent), tableResults_(tableResults), testTables_(testTables) {
  setObjectName(QStringLiteral("frmResults"));
  SetCaption(QStringLiteral("QVR Test Results"));
  SetWidth(kDesignWidth);
  SetHeight(kDesignHeight);

  auto* chart = new QChart;
  chart->setTitle(QStringLiteral("Tests Results [%]"));
  chart->setAnimationOptions(QChart::NoAnimation);
  chart->setBackgroundRoundness(0);
  chart->layout()->setContentsMargins(0, 0, 0, 0);
  series_ = new QBarSeries;
  const std::array<QString, 3> labels = {QStringLiteral("Correct answer"), QStringLiteral("False answer"),
                                         QStringLiteral("Not answered")};
  const std::array<QColor, 3> colours = {QColor(46, 139, 87), QColor(200, 48, 48), QColor(128, 138, 150)};
  for (std::size_t c = 0; c < 3; ++c) {
    columns_[c] = new QBarSet(labels[c]);
    columns_[c]->setColor(colours[c]);
    columns_[c]->setBorderColor(colours[c].darker(130));
    series_->append(columns_[c]);
  }
  chart->addSeries(series_);
  axisX_ = new QBarCategoryAxis;
  axisX_->setTruncateLabels(false);  // slanted instead when they crowd
  chart->addAxis(axisX_, Qt::AlignBottom);
  series_->attachAxis(axisX_);
  axisY_ = new QValueAxis;
  axisY_->setRange(0, 100);
  axisY_->setTickCount(11);
  axisY_->setLabelFormat(QStringLiteral("%d"));
  chart->addAxis(axisY_, Qt::AlignLeft);
  series_->attachAxis(axisY_);

  graResults = new QChartView(chart, Client());
  graResults->setObjectName(QStringLiteral("graResults"));
  graResults->setRenderHint(QPainter::Antialiasing);
  graResults->setFrameShape(QFrame::NoFrame);
  SetBackColor(Qt::white);
}

frmResults::~frmResults() = default;

QChart* frmResults::Chart() const { return graResults->chart(); }

std::array<double, 3> frmResults::RowPercentages(const std::array<double, 3>& t) {
  const double judged = t[0] + t[1] + t[2];
  if (!(judged > 0)) return {0, 0, 0};
  return {t[0] / judged * 100, t[1] / judged * 100, t[2] / judged * 100};
}

void frmResults::Form_Load() {
  platform::SetLeft(graResults, 0);
  platform::SetTop(graResults, 0);
  Chart()->legend()->setAlignment(Qt::AlignBottom);
  // One chart row per row of the tallies; a row beyond the test's tables
  // has no name and nothing to show, and is left out.
  rows_.clear();
  QStringList categories;
  const int bound = static_cast<int>(tableResults_.size()) - 1;
  for (int i = 1; i <= bound; ++i) {
    const QString label = i < static_cast<int>(testTables_.size()) ? testTables_[static_cast<std::size_t>(i)] : QString();
    if (label.isEmpty()) continue;
    rows_.push_back(i);
    categories << label;
  }
  axisX_->setCategories(categories);
}

void frmResults::Form_Resize() {
  for (QBarSet* set : columns_) set->remove(0, set->count());
  for (int row : rows_) {
    const std::array<double, 3> cells = RowPercentages(tableResults_[static_cast<std::size_t>(row)]);
    for (std::size_t c = 0; c < 3; ++c) columns_[c]->append(cells[c]);
  }
  const double halfHeight = platform::Int(platform::Screen::Height() / 2);
  const double halfWidth = platform::Int(platform::Screen::Width() / 2);
  platform::SetHeight(graResults, ScaleHeight());
  platform::SetWidth(graResults, ScaleWidth());
  const bool small = Height() < halfHeight || Width() < halfWidth;
  QFont title = Chart()->titleFont();
  title.setPointSizeF(small ? 12 : 14);
  title.setBold(true);
  Chart()->setTitleFont(title);
  QFont legend = Chart()->legend()->font();
  legend.setPointSizeF(small ? 8 : 10);
  Chart()->legend()->setFont(legend);
  QFont labels = axisX_->labelsFont();
  labels.setPointSizeF(small ? 8 : 10);
  axisX_->setLabelsFont(labels);
  // Table names too wide for their column are slanted rather than cut short.
  int widest = 0;
  const QFontMetrics metrics(labels);
  for (const QString& label : axisX_->categories()) widest = std::max(widest, metrics.horizontalAdvance(label));
  const double column = rows_.empty() ? 0 : graResults->width() * 0.85 / static_cast<double>(rows_.size());
  axisX_->setLabelsAngle(widest + 6 > column ? -45 : 0);
  graResults->update();
}

int frmResults::RowCount() const { return static_cast<int>(rows_.size()); }

QString frmResults::RowLabel(int row) const { return axisX_->at(row - 1); }

double frmResults::Data(int row, int column) const {
  return columns_[static_cast<std::size_t>(column - 1)]->at(row - 1);
}

double frmResults::TitleFontSize() const { return Chart()->titleFont().pointSizeF(); }
double frmResults::LegendFontSize() const { return Chart()->legend()->font().pointSizeF(); }
double frmResults::AxisLabelFontSize() const { return axisX_->labelsFont().pointSizeF(); }
int frmResults::AxisLabelAngle() const { return axisX_->labelsAngle(); }

}  // namespace assessment
