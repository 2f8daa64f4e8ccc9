#include "assessment/frmResults.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QFontMetrics>
#include <QGraphicsLayout>
#include <QLegend>
#include <QPercentBarSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "platform/forms/Program.h"
#include "platform/forms/Twips.h"
#include "platform/values/VbValues.h"

namespace assessment {

namespace {
// Room a name needs on each side within its bar's column, pixels.
constexpr int kLabelPadding = 2;
// Height of the bars' area that keeps the value axis's ten steps apart, pixels.
constexpr int kLeastPlotHeight = 220;
// Width of the value axis and the chart's edges beside the bars, pixels.
constexpr int kChartSides = 80;
// Title, legend and the chart's edges above and below the bars, pixels.
constexpr int kChartEnds = 110;

QFont SizedFont(QFont font, double points) {
  font.setPointSizeF(points);
  return font;
}
}  // namespace

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
  // One bar per table: the three shares stacked, in colours that stay apart
  // for colour-blind eyes too.
  series_ = new QPercentBarSeries;
  series_->setBarWidth(0.7);
  const std::array<QString, 3> labels = {QStringLiteral("Correct answer"), QStringLiteral("False answer"),
                                         QStringLiteral("Not answered")};
  const std::array<QColor, 3> colours = {QColor(0, 140, 100), QColor(213, 80, 0), QColor(170, 178, 189)};
  for (std::size_t c = 0; c < 3; ++c) {
    columns_[c] = new QBarSet(labels[c]);
    columns_[c]->setColor(colours[c]);
    columns_[c]->setBorderColor(Qt::white);
    series_->append(columns_[c]);
  }
  chart->addSeries(series_);
  axisX_ = new QBarCategoryAxis;
  axisX_->setTruncateLabels(false);  // upright instead when they crowd
  chart->addAxis(axisX_, Qt::AlignBottom);
  series_->attachAxis(axisX_);
  axisY_ = new QValueAxis;
  axisY_->setRange(0, 100);
  axisY_->setTickCount(11);
  axisY_->setLabelFormat(QStringLiteral("%d"));
  axisY_->setGridLineColor(QColor(220, 220, 220));
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
  // The chart draws a name only where it fits its bar's column, and leaves
  // out the outer ones first: the window does not become so small that an
  // upright name in the larger font no longer fits.
  const QFontMetrics large(SizedFont(axisX_->labelsFont(), 10));
  int longest = 0;
  for (const QString& label : categories) longest = std::max(longest, large.horizontalAdvance(label));
  const int columns = static_cast<int>(rows_.size());
  // The legend's three entries in one row: marker, name and spacing each.
  int legend = 0;
  for (const QBarSet* set : columns_) legend += large.horizontalAdvance(set->label()) + 3 * large.height();
  setMinimumSize(std::max(kChartSides + columns * (large.height() + 2 * kLabelPadding), legend),
                 kChartEnds + longest + kLeastPlotHeight);
}

void frmResults::Form_Resize() {
  if (WindowState() == platform::vbMinimized) return;
  // Springs back where no window manager keeps to the least size.
  if (width() < minimumWidth() || height() < minimumHeight())
    resize(std::max(width(), minimumWidth()), std::max(height(), minimumHeight()));
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
  QFont title = SizedFont(Chart()->titleFont(), small ? 12 : 14);
  title.setBold(true);
  Chart()->setTitleFont(title);
  Chart()->legend()->setFont(SizedFont(Chart()->legend()->font(), small ? 8 : 10));
  const QFont labels = SizedFont(axisX_->labelsFont(), small ? 8 : 10);
  axisX_->setLabelsFont(labels);
  // Names level while each fits its column, all upright otherwise.
  int widest = 0;
  const QFontMetrics metrics(labels);
  for (const QString& label : axisX_->categories()) widest = std::max(widest, metrics.horizontalAdvance(label));
  const double column =
      rows_.empty() ? 0 : (graResults->width() - kChartSides) / static_cast<double>(rows_.size());
  axisX_->setLabelsAngle(widest + 2 * kLabelPadding > column ? -90 : 0);
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
