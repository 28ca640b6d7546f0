// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis_charts.h"

#include <QChart>
#include <QCursor>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGraphicsItem>
#include <QLegend>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QScatterSeries>
#include <QToolTip>
#include <QValueAxis>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <memory>
#include <numbers>
#include <utility>
#include <vector>

#include "velmora/analysis/exact_cfp.h"
#include "velmora/engine/numbers.h"

namespace velmora::ui {

namespace {

// The colour-blind-safe palette of Okabe and Ito: blue, orange, bluish green, reddish purple.
constexpr std::array<QRgb, 4> kPalette{0xFF0072B2, 0xFFE69F00, 0xFF009E73, 0xFFCC79A7};
constexpr QRgb kVermillion = 0xFFD55E00;  // the rating criteria
constexpr QRgb kJGrey = 0xFF555555;       // the j bound
constexpr QRgb kSkyBlue = 0xFF56B4E9;     // a retest strategy chosen in the table
constexpr double kStrategyLineWidth = 3.5;
constexpr int kStrategyShape = 5;  // markPath's pentagon
constexpr std::array<Qt::PenStyle, 4> kLineStyles{Qt::SolidLine, Qt::DashLine, Qt::DotLine,
                                                 Qt::DashDotLine};
constexpr std::array<QScatterSeries::MarkerShape, 4> kMarkShapes{
    QScatterSeries::MarkerShapeCircle, QScatterSeries::MarkerShapeRectangle,
    QScatterSeries::MarkerShapeTriangle, QScatterSeries::MarkerShapeRotatedRectangle};

constexpr double kLineWidth = 2.0;
constexpr double kExactMarkSize = 7.0;
constexpr double kSampledMarkSize = 6.0;
constexpr double kChosenMarkSize = 15.0;
constexpr double kExceededMarkSize = 20.0;
// Along a line, exact marks stand at most this many across the rank axis (every rank up to
// this many ranks, every second up to twice as many, ...): marks closer than their size hide
// the line they sit on, and the design's line carries the shape between them. Marks at
// lone ranks and at the chosen rank are always drawn.
constexpr int kMostExactMarksAcross = 45;
// The share of an axis's span left free beyond the outermost values, so that no mark is cut.
constexpr double kRangePadding = 0.03;

// The chart's dynamic property that carries its description (chartDescription).
constexpr const char* kDescriptionProperty = "velmoraDescription";

std::size_t indexOf(int t) { return static_cast<std::size_t>(t - 1); }

QString schemeName(int t) { return QStringLiteral("1:%1").arg(t); }

QString float32Text(double value) {
  return QString::fromStdString(shortestFloat32Text(static_cast<float>(value)));
}

QString exactText(double value) {
  return QString::fromStdString(analysis::formatSignificant(static_cast<long double>(value)));
}

// The DCFP: black long dashes, a pattern and colour no test's line has.
QPen dcfpPen() {
  QPen pen(Qt::black, kLineWidth, Qt::CustomDashLine);
  pen.setDashPattern({9.0, 3.0});
  pen.setCapStyle(Qt::FlatCap);
  return pen;
}

// The j bound: grey dash-dot-dot, another pattern no test's line has.
QPen jBoundPen() {
  QPen pen(QColor::fromRgb(kJGrey), 1.5, Qt::CustomDashLine);
  pen.setDashPattern({8.0, 3.0, 1.5, 3.0, 1.5, 3.0});
  pen.setCapStyle(Qt::FlatCap);
  return pen;
}

QPen schemePen(int t) {
  QPen pen(schemeColour(t), kLineWidth, kLineStyles[indexOf(t)]);
  pen.setCapStyle(Qt::FlatCap);
  return pen;
}

// ---- the legend -------------------------------------------------------------------------

// What one legend row shows before its words: a line sample, a mark on it, or both.
struct LegendRow {
  QPen line = QPen(Qt::NoPen);
  std::vector<std::pair<int, bool>> marks;  // (t of the mark's shape, or 0 for a star; filled)
  std::vector<QColor> markColours;
  double markSize = 0.0;
  QString label;
};

// The outline of a mark of test 1:t's shape (a star for t = 0) of `size`, centred on `at`,
// as the toolkit draws its scatter marks.
QPainterPath markPath(int t, double size, QPointF at) {
  QPainterPath path;
  const double h = size / 2.0;
  const QRectF box(at.x() - h, at.y() - h, size, size);
  switch (t) {
    case 1:
      path.addEllipse(box);
      break;
    case 2:
      path.addRect(box);
      break;
    case 3:
      path.addPolygon(QPolygonF({QPointF(at.x(), box.top()), box.bottomRight(), box.bottomLeft(),
                                 QPointF(at.x(), box.top())}));
      break;
    case 4:
      path.addPolygon(QPolygonF({QPointF(at.x(), box.top()), QPointF(box.right(), at.y()),
                                 QPointF(at.x(), box.bottom()), QPointF(box.left(), at.y()),
                                 QPointF(at.x(), box.top())}));
      break;
    case kStrategyShape: {
      QPolygonF pentagon;
      for (int i = 0; i <= 5; ++i) {
        const double angle = -std::numbers::pi / 2.0 + 2.0 * std::numbers::pi * static_cast<double>(i) / 5.0;
        pentagon << QPointF(at.x() + h * std::cos(angle), at.y() + h * std::sin(angle));
      }
      path.addPolygon(pentagon);
      break;
    }
    default: {
      QPolygonF star;
      for (int i = 0; i <= 10; ++i) {
        const double radius = i % 2 == 0 ? h : h * 0.4;
        const double angle = -std::numbers::pi / 2.0 + std::numbers::pi * static_cast<double>(i) / 5.0;
        star << QPointF(at.x() + radius * std::cos(angle), at.y() + radius * std::sin(angle));
      }
      path.addPolygon(star);
      break;
    }
  }
  return path;
}

// The legend, drawn by the chart beside its plot area. The toolkit's own legend draws a
// line's sample three-quarters of a text line wide, too short to tell a dash-dot from a
// dash-dot-dot; this one draws every sample kSampleWidth wide, in the legend's font (the
// report sets its face there).
class ChartLegend final : public QGraphicsItem {
 public:
  static constexpr double kSampleWidth = 46.0;
  static constexpr double kGap = 6.0;

  ChartLegend(QChart* chart, std::vector<LegendRow> rows) : QGraphicsItem(chart), m_chart(chart), m_rows(std::move(rows)) {
    setZValue(20.0);
  }

  // Keeps room for the legend right of the plot and places it there.
  void place() {
    const QSizeF size = measure();
    QMargins margins = m_chart->margins();
    const int right = static_cast<int>(std::ceil(size.width())) + 12;
    if (margins.right() != right) {
      margins.setRight(right);
      m_chart->setMargins(margins);  // lays the chart out again, and places the legend then
    }
    prepareGeometryChange();
    m_size = size;
    setPos(m_chart->size().width() - size.width() - 8.0, m_chart->plotArea().top());
  }

  QRectF boundingRect() const override { return {QPointF(0, 0), m_size}; }

  void paint(QPainter* painter, const QStyleOptionGraphicsItem* /*option*/, QWidget* /*widget*/) override {
    const QFont font = legendFont();
    const QFontMetricsF metrics(font);
    const double height = rowHeight(metrics);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setFont(font);
    double y = 0.0;
    for (const LegendRow& row : m_rows) {
      const double middle = y + height / 2.0;
      if (row.line.style() != Qt::NoPen) {
        painter->setPen(row.line);
        painter->drawLine(QPointF(2.0, middle), QPointF(kSampleWidth - 2.0, middle));
      }
      const double spacing = kSampleWidth / static_cast<double>(row.marks.size() + 1);
      for (std::size_t i = 0; i < row.marks.size(); ++i) {
        const auto [shape, filled] = row.marks[i];
        const QColor colour = row.markColours[i];
        painter->setPen(QPen(filled && row.markSize > kChosenMarkSize - 1.0 ? QColor(Qt::black) : colour, 1.5));
        painter->setBrush(filled ? QBrush(colour) : QBrush(Qt::NoBrush));
        painter->drawPath(markPath(shape, std::min(row.markSize, height - 2.0),
                                   QPointF(spacing * static_cast<double>(i + 1), middle)));
      }
      painter->setPen(Qt::black);
      painter->drawText(QRectF(kSampleWidth + kGap, y, m_size.width(), height), Qt::AlignVCenter | Qt::AlignLeft,
                        row.label);
      y += height;
    }
    painter->restore();
  }

 private:
  static double rowHeight(const QFontMetricsF& metrics) { return std::max(metrics.height() + 4.0, 16.0); }

  // The legend's font in pixels of the screen the chart is laid out for: a font in points
  // would be resolved against the painter's device (a PDF page's 1200 dots an inch), while
  // the chart around it is scaled from its layout, as its own texts are.
  QFont legendFont() const {
    QFont font = m_chart->legend()->font();
    font.setPixelSize(QFontInfo(font).pixelSize());
    return font;
  }

  QSizeF measure() const {
    const QFontMetricsF metrics(legendFont());
    double widest = 0.0;
    for (const LegendRow& row : m_rows) widest = std::max(widest, metrics.horizontalAdvance(row.label));
    return {kSampleWidth + kGap + widest + 2.0, rowHeight(metrics) * static_cast<double>(m_rows.size())};
  }

  QChart* m_chart;
  std::vector<LegendRow> m_rows;
  QSizeF m_size;
};

void addLegend(QChart* chart, std::vector<LegendRow> rows) {
  auto* legend = new ChartLegend(chart, std::move(rows));  // the chart owns it
  QObject::connect(chart, &QChart::plotAreaChanged, chart, [legend] { legend->place(); });
  legend->place();
}

// ---- series -----------------------------------------------------------------------------

QScatterSeries* marks(int t, double size, bool filled, const QString& objectName) {
  auto* series = new QScatterSeries;
  series->setObjectName(objectName);
  series->setMarkerShape(kMarkShapes[indexOf(t)]);
  series->setMarkerSize(size);
  series->setColor(filled ? schemeColour(t) : QColor(Qt::transparent));  // hollow: the line shows through
  series->setBorderColor(schemeColour(t));
  series->setPen(QPen(schemeColour(t), 1.5));
  return series;
}

QPen strategyPen() {
  QPen pen(QColor::fromRgb(kSkyBlue), kStrategyLineWidth, Qt::SolidLine);
  pen.setCapStyle(Qt::FlatCap);
  return pen;
}

QScatterSeries* strategyMarks(double size, bool filled, const QString& objectName) {
  auto* series = new QScatterSeries;
  series->setObjectName(objectName);
  series->setMarkerShape(QScatterSeries::MarkerShapePentagon);
  series->setMarkerSize(size);
  series->setColor(filled ? QColor::fromRgb(kSkyBlue) : QColor(Qt::transparent));
  series->setBorderColor(filled ? QColor(Qt::black) : QColor::fromRgb(kSkyBlue));
  series->setPen(QPen(filled ? QColor(Qt::black) : QColor::fromRgb(kSkyBlue), 1.5));
  return series;
}

QString strategyStatus(const analysis::RuleCurves& strategy) {
  const QString rule = QString::fromStdString(strategy.ranks.rule);
  return strategy.ranks.exceeded ? QStringLiteral("%1 DCFP exceeded at rank 1").arg(rule)
                                 : QStringLiteral("%1 chosen rank %2").arg(rule).arg(strategy.ranks.rank);
}

// Shows `tip(point)` while the pointer is on one of the series' points or lines.
void tipOnHover(QXYSeries* series, std::function<QString(QPointF)> tip) {
  QObject::connect(series, &QXYSeries::hovered, series, [tip = std::move(tip)](const QPointF& point, bool entered) {
    if (entered) {
      QToolTip::showText(QCursor::pos(), tip(point));
    } else {
      QToolTip::hideText();
    }
  });
}

QChart* newChart(const QString& title) {
  auto* chart = new QChart;
  chart->setTitle(title);
  QFont titleFont = chart->titleFont();
  titleFont.setBold(true);
  titleFont.setPointSizeF(11.0);
  chart->setTitleFont(titleFont);
  // A title wider than the plot (a narrow window) breaks after its colon rather than lose its
  // end to an ellipsis; the plot's width is known once the chart is laid out.
  if (const qsizetype colon = title.indexOf(QStringLiteral(": ")); colon > 0) {
    const QString broken = QStringLiteral("<div align=\"center\">%1<br>%2</div>")
                               .arg(title.left(colon + 1).toHtmlEscaped(), title.mid(colon + 2).toHtmlEscaped());
    QObject::connect(chart, &QChart::plotAreaChanged, chart, [chart, title, broken](const QRectF& plot) {
      const bool fits = QFontMetricsF(chart->titleFont()).horizontalAdvance(title) <= plot.width();
      const QString& wanted = fits ? title : broken;
      if (chart->title() != wanted) chart->setTitle(wanted);
    });
  }
  chart->setTheme(QChart::ChartThemeLight);
  chart->setBackgroundRoundness(0);
  chart->legend()->setVisible(false);  // ChartLegend draws it; the font stays the legend's
  chart->setAnimationOptions(QChart::NoAnimation);
  return chart;
}

void attach(QChart* chart, QAbstractSeries* series, QAbstractAxis* x, QAbstractAxis* y) {
  chart->addSeries(series);
  series->attachAxis(x);
  series->attachAxis(y);
}

// The printf format for labels `step` apart: as many decimals as the step needs.
QString decimalsFormat(double step) {
  const int decimals = std::max(0, -static_cast<int>(std::floor(std::log10(step) + 1e-9)));
  return QStringLiteral("%.%1f").arg(decimals);
}

// A linear axis ticking every `step` from 0, over [low, high] widened by kRangePadding.
QValueAxis* niceAxis(double low, double high, double step) {
  auto* axis = new QValueAxis;
  const double pad = std::max(kRangePadding * (high - low), 0.0);
  axis->setRange(low - pad, high + pad);
  axis->setTickType(QValueAxis::TicksDynamic);
  axis->setTickAnchor(0.0);
  axis->setTickInterval(step);
  axis->setLabelFormat(decimalsFormat(step));
  axis->setMinorTickCount(0);
  return axis;
}

const analysis::CfpCurvePoint* pointAt(const analysis::SchemeCurves& scheme, double x) {
  const int rank = static_cast<int>(std::lround(x));
  const auto found = std::lower_bound(scheme.cfp.begin(), scheme.cfp.end(), rank,
                                      [](const analysis::CfpCurvePoint& p, int k) { return p.rank < k; });
  return found != scheme.cfp.end() && found->rank == rank ? &*found : nullptr;
}

QString cfpTip(const analysis::SchemeCurves& scheme, double x) {
  const analysis::CfpCurvePoint* point = pointAt(scheme, x);
  if (point == nullptr) {
    return QStringLiteral("%1: rank %2 was not evaluated").arg(schemeName(scheme.test)).arg(std::lround(x));
  }
  QString tip = QStringLiteral("%1, rank %2: design CFP %3, exact CFP %4")
                    .arg(schemeName(scheme.test))
                    .arg(point->rank)
                    .arg(float32Text(point->designCfp), exactText(point->exactCfp));
  if (point->chosen) {
    tip += scheme.exceeded ? QStringLiteral(" (exceeds the DCFP at rank 1)") : QStringLiteral(" (the chosen rank)");
  }
  return tip;
}

QString schemeStatus(const analysis::SchemeCurves& scheme) {
  return scheme.exceeded ? QStringLiteral("%1 DCFP exceeded at rank 1").arg(schemeName(scheme.test))
                         : QStringLiteral("%1 chosen rank %2").arg(schemeName(scheme.test)).arg(scheme.rank);
}

QString cfpChartDescription(const analysis::CalculationCurves& curves) {
  QStringList statuses;
  QStringList sampled;
  for (const analysis::SchemeCurves& scheme : curves.schemes) {
    statuses << schemeStatus(scheme);
    if (scheme.sampled) sampled << schemeName(scheme.test);
  }
  QString text = QStringLiteral("CFP of tests 1:1 to 1:4 by rank, 1 to %1, against the DCFP %2 (design as lines, exact as marks): %3; j bound %4")
                     .arg(curves.lastRank)
                     .arg(float32Text(curves.dcfp), statuses.join(QStringLiteral(", ")))
                     .arg(curves.jBound);
  if (!sampled.isEmpty()) {
    text += QStringLiteral("; ranks of %1 sampled, lone ranks drawn as marks").arg(sampled.join(QStringLiteral(", ")));
  }
  return text + QLatin1Char('.');
}

QString powerChartDescription(const analysis::CalculationCurves& curves) {
  QStringList ranks;
  for (const analysis::SchemeCurves& scheme : curves.schemes) {
    ranks << QStringLiteral("%1 rank %2").arg(schemeName(scheme.test)).arg(scheme.rank);
  }
  return QStringLiteral("Power of tests 1:1 to 1:4 at their chosen ranks (%1) by shift, 0 to 5 standard "
                        "deviations, design as lines and exact as marks, beside the reference curve and the "
                        "rating criteria .539 at 3 and .814 at 4.")
      .arg(ranks.join(QStringLiteral(", ")));
}

}  // namespace

QColor schemeColour(int t) { return QColor::fromRgb(kPalette[indexOf(std::clamp(t, 1, 4))]); }

double niceTickStep(double span, int maxTicks, double smallest) {
  const double raw = std::max(span / static_cast<double>(std::max(maxTicks, 1)), smallest);
  if (!(raw > 0.0) || !std::isfinite(raw)) return std::max(smallest, 1.0);
  const double decade = std::pow(10.0, std::floor(std::log10(raw)));
  for (const double multiple : {1.0, 2.0, 5.0}) {
    // A hair of tolerance, so that a raw step of exactly 0.2 is not taken for 0.2000001.
    if (multiple * decade >= raw * (1.0 - 1e-12)) return multiple * decade;
  }
  return 10.0 * decade;
}

QChart* makeCfpChart(const analysis::CalculationCurves& curves, CfpAxis axis, const analysis::RuleCurves* strategy) {
  QChart* chart = newChart(QStringLiteral("CFP by rank: design (lines), exact (hollow marks), DCFP"));
  const bool log = axis == CfpAxis::logarithmic;
  const int lastRank = std::max({curves.lastRank, strategy != nullptr ? strategy->lastRank : 0, 2});
  // Five-digit ranks take half the ticks, so that their labels are not cut short where the
  // legend leaves the plot some 300 pixels.
  const int mostTicks = lastRank >= 10000 ? 5 : 10;
  auto* x = niceAxis(1.0, lastRank, niceTickStep(lastRank - 1.0, mostTicks, 1.0));
  x->setLabelFormat(QStringLiteral("%d"));
  x->setTitleText(QStringLiteral("Inverse rank k (1 = background maximum)"));

  double lowest = curves.dcfp;
  double highest = curves.dcfp;
  for (const analysis::SchemeCurves& scheme : curves.schemes) {
    for (const analysis::CfpCurvePoint& point : scheme.cfp) {
      for (const double cfp : {point.designCfp, point.exactCfp}) {
        if (cfp > 0.0) lowest = std::min(lowest, cfp);
        highest = std::max(highest, cfp);
      }
    }
  }
  if (strategy != nullptr) {
    for (const analysis::RankRow& row : strategy->ranks.rows) {
      if (row.exactCfp > 0.0) lowest = std::min(lowest, row.exactCfp);
      highest = std::max(highest, row.exactCfp);
    }
  }
  QAbstractAxis* y = nullptr;
  double bottom = 0.0;
  double top = 0.0;
  if (log) {
    // Ticks at the powers of ten; a quarter of a decade free beyond the outermost values.
    auto* logAxis = new QLogValueAxis;
    logAxis->setBase(10.0);
    logAxis->setLabelFormat(QStringLiteral("%.0e"));
    bottom = lowest / std::pow(10.0, 0.25);
    top = highest * std::pow(10.0, 0.25);
    logAxis->setRange(bottom, top);
    logAxis->setMinorTickCount(0);
    y = logAxis;
  } else {
    const double step = niceTickStep(highest, 8);
    const double highestTick = step * std::ceil(highest / step - 1e-9);
    auto* linear = niceAxis(0.0, highestTick, step);
    bottom = linear->min();
    top = linear->max();
    y = linear;
  }
  y->setTitleText(QStringLiteral("Cumulative false-positive rate (CFP)"));
  chart->addAxis(x, Qt::AlignBottom);
  chart->addAxis(y, Qt::AlignLeft);
  const auto drawn = [log](double cfp) { return !log || cfp > 0.0; };

  std::vector<LegendRow> legend;
  std::vector<std::pair<int, bool>> sampledMarks;
  std::vector<QColor> sampledColours;
  std::vector<QAbstractSeries*> onTop;  // the chosen and exceeded marks, drawn last
  for (const analysis::SchemeCurves& scheme : curves.schemes) {
    const int t = scheme.test;
    // The tooltips keep their own copy: a chart may outlive the data it was drawn from.
    const auto kept = std::make_shared<const analysis::SchemeCurves>(scheme);
    const auto tip = [kept](QPointF at) { return cfpTip(*kept, at.x()); };
    // The design's values: a line through every run of ranks evaluated next to each other,
    // a small filled mark at a rank evaluated alone.
    QScatterSeries* sampled = marks(t, kSampledMarkSize, true, QStringLiteral("sampledDesign-%1").arg(t));
    std::size_t first = 0;
    while (first < scheme.cfp.size()) {
      if (!drawn(scheme.cfp[first].designCfp)) {  // a CFP of 0 has no place on a logarithmic axis
        ++first;
        continue;
      }
      std::size_t end = first + 1;
      while (end < scheme.cfp.size() && scheme.cfp[end].rank == scheme.cfp[end - 1].rank + 1 &&
             drawn(scheme.cfp[end].designCfp)) {
        ++end;
      }
      if (end - first == 1) {
        sampled->append(scheme.cfp[first].rank, scheme.cfp[first].designCfp);
      } else {
        auto* line = new QLineSeries;
        line->setObjectName(QStringLiteral("design-%1").arg(t));
        line->setPen(schemePen(t));
        for (std::size_t i = first; i < end; ++i) line->append(scheme.cfp[i].rank, scheme.cfp[i].designCfp);
        tipOnHover(line, tip);
        attach(chart, line, x, y);
      }
      first = end;
    }
    if (sampled->count() > 0) {
      sampledMarks.emplace_back(t, true);
      sampledColours.push_back(schemeColour(t));
      tipOnHover(sampled, tip);
      attach(chart, sampled, x, y);
    } else {
      delete sampled;
    }

    QScatterSeries* exact = marks(t, kExactMarkSize, false, QStringLiteral("exact-%1").arg(t));
    const int every = (lastRank + kMostExactMarksAcross - 1) / kMostExactMarksAcross;
    for (std::size_t i = 0; i < scheme.cfp.size(); ++i) {
      const analysis::CfpCurvePoint& point = scheme.cfp[i];
      const bool alone = (i == 0 || scheme.cfp[i - 1].rank + 1 != point.rank) &&
                         (i + 1 == scheme.cfp.size() || scheme.cfp[i + 1].rank != point.rank + 1);
      if (drawn(point.exactCfp) && ((point.rank - 1) % every == 0 || alone || point.chosen)) exact->append(point.rank, point.exactCfp);
    }
    tipOnHover(exact, tip);
    attach(chart, exact, x, y);
    legend.push_back({schemePen(t), {{t, false}}, {schemeColour(t)}, kExactMarkSize,
                      QStringLiteral("%1 design, exact").arg(schemeName(t))});

    // The chosen rank, or, where rank 1 already exceeds the DCFP, a star that says so.
    const auto chosen = std::find_if(scheme.cfp.begin(), scheme.cfp.end(),
                                     [](const analysis::CfpCurvePoint& p) { return p.chosen; });
    if (chosen != scheme.cfp.end() && drawn(chosen->designCfp)) {
      QScatterSeries* mark = nullptr;
      if (scheme.exceeded) {
        mark = marks(t, kExceededMarkSize, true, QStringLiteral("exceeded-%1").arg(t));
        mark->setMarkerShape(QScatterSeries::MarkerShapeStar);
        legend.push_back({QPen(Qt::NoPen), {{0, true}}, {schemeColour(t)}, kExceededMarkSize, schemeStatus(scheme)});
      } else {
        mark = marks(t, kChosenMarkSize, true, QStringLiteral("chosen-%1").arg(t));
        legend.push_back({QPen(Qt::NoPen), {{t, true}}, {schemeColour(t)}, kChosenMarkSize, schemeStatus(scheme)});
      }
      mark->setPen(QPen(Qt::black, 1.5));  // a dark rim: the pale colours stand out on the line
      mark->append(chosen->rank, chosen->designCfp);
      tipOnHover(mark, tip);
      onTop.push_back(mark);
    }
  }

  if (strategy != nullptr) {
    // Its exact CFP at every rank to its last (the rows leave none out): one line, hollow
    // marks as thinned as the tests' are, its chosen rank filled.
    const QString rule = QString::fromStdString(strategy->ranks.rule);
    const auto rows = std::make_shared<const std::vector<analysis::RankRow>>(strategy->ranks.rows);
    const auto tip = [rows, rule](QPointF at) {
      const int rank = static_cast<int>(std::lround(at.x()));
      for (const analysis::RankRow& row : *rows) {
        if (row.rank == rank) {
          return QStringLiteral("%1, rank %2: exact CFP %3%4")
              .arg(rule)
              .arg(rank)
              .arg(exactText(row.exactCfp), row.chosen ? QStringLiteral(" (its chosen rank)") : QString());
        }
      }
      return QStringLiteral("%1: rank %2 is not drawn").arg(rule).arg(rank);
    };
    auto* line = new QLineSeries;
    line->setObjectName(QStringLiteral("strategy"));
    line->setPen(strategyPen());
    QScatterSeries* points = strategyMarks(kExactMarkSize + 1.0, false, QStringLiteral("strategyMarks"));
    const int every = (lastRank + kMostExactMarksAcross - 1) / kMostExactMarksAcross;
    for (const analysis::RankRow& row : strategy->ranks.rows) {
      if (!drawn(row.exactCfp)) continue;
      line->append(row.rank, row.exactCfp);
      if ((row.rank - 1) % every == 0 || row.chosen) points->append(row.rank, row.exactCfp);
    }
    tipOnHover(line, tip);
    tipOnHover(points, tip);
    attach(chart, line, x, y);
    attach(chart, points, x, y);
    legend.push_back({strategyPen(), {{kStrategyShape, false}}, {QColor::fromRgb(kSkyBlue)}, kExactMarkSize + 1.0,
                      rule + QStringLiteral(" exact")});
    const auto chosen = std::find_if(rows->begin(), rows->end(), [](const analysis::RankRow& row) { return row.chosen; });
    if (chosen != rows->end() && drawn(chosen->exactCfp)) {
      QScatterSeries* mark = strategyMarks(kChosenMarkSize, true, QStringLiteral("strategyChosen"));
      mark->append(chosen->rank, chosen->exactCfp);
      tipOnHover(mark, tip);
      onTop.push_back(mark);
      legend.push_back({QPen(Qt::NoPen), {{kStrategyShape, true}}, {QColor::fromRgb(kSkyBlue)}, kChosenMarkSize,
                        strategyStatus(*strategy)});
    }
  }

  auto* dcfp = new QLineSeries;
  dcfp->setObjectName(QStringLiteral("dcfp"));
  dcfp->setPen(dcfpPen());
  dcfp->append(x->min(), curves.dcfp);
  dcfp->append(x->max(), curves.dcfp);
  const QString dcfpLabel = QStringLiteral("DCFP %1").arg(float32Text(curves.dcfp));
  tipOnHover(dcfp, [dcfpLabel](QPointF) { return dcfpLabel + QStringLiteral(": a chosen rank's CFP stays at or below it"); });
  attach(chart, dcfp, x, y);
  legend.push_back({dcfpPen(), {}, {}, 0.0, dcfpLabel});
  if (curves.jBound >= 1 && curves.jBound <= lastRank) {
    auto* j = new QLineSeries;
    j->setObjectName(QStringLiteral("jBound"));
    j->setPen(jBoundPen());
    j->append(curves.jBound, bottom);
    j->append(curves.jBound, top);
    tipOnHover(j, [](QPointF) { return QStringLiteral("j bound: no rank above it is chosen"); });
    attach(chart, j, x, y);
    legend.push_back({jBoundPen(), {}, {}, 0.0, QStringLiteral("j bound %1").arg(curves.jBound)});
  } else if (curves.jBound > lastRank) {
    legend.push_back({jBoundPen(), {}, {}, 0.0, QStringLiteral("j bound %1, right of the ranks drawn").arg(curves.jBound)});
  }
  if (!sampledMarks.empty()) {
    legend.push_back({QPen(Qt::NoPen), sampledMarks, sampledColours, kSampledMarkSize,
                      QStringLiteral("design at a sampled rank (not joined)")});
  }
  for (QAbstractSeries* series : onTop) attach(chart, series, x, y);
  addLegend(chart, std::move(legend));
  QString description = cfpChartDescription(curves);
  if (strategy != nullptr) {
    description += QStringLiteral(" Retest strategy %1 (exact CFP, ranks 1 to %2).")
                       .arg(strategyStatus(*strategy))
                       .arg(strategy->lastRank);
  }
  chart->setProperty(kDescriptionProperty, description);
  return chart;
}

QChart* makePowerChart(const analysis::CalculationCurves& curves, const analysis::RuleCurves* strategy) {
  QChart* chart = newChart(
      QStringLiteral("Power by shift at the chosen ranks: design (lines), exact (marks)"));
  auto* x = niceAxis(0.0, 5.0, 1.0);
  x->setTitleText(QStringLiteral("Shift (standard deviations above the background mean)"));
  auto* y = niceAxis(0.0, 1.0, 0.2);
  y->setTitleText(QStringLiteral("Power (probability of detection)"));
  chart->addAxis(x, Qt::AlignBottom);
  chart->addAxis(y, Qt::AlignLeft);

  std::vector<LegendRow> legend;
  for (const analysis::SchemeCurves& scheme : curves.schemes) {
    const int t = scheme.test;
    const QString name = QStringLiteral("%1 rank %2").arg(schemeName(t)).arg(scheme.rank);
    const auto power = std::make_shared<const std::vector<analysis::PowerCurvePoint>>(scheme.power);
    const auto tip = [power, name](QPointF at) {
      const auto nearest = std::min_element(power->begin(), power->end(), [&at](const auto& a, const auto& b) {
        return std::abs(a.shift - at.x()) < std::abs(b.shift - at.x());
      });
      return QStringLiteral("%1 at %2 standard deviations: design power %3, exact %4, reference %5")
          .arg(name, QString::number(nearest->shift), float32Text(nearest->designPower), exactText(nearest->exactPower),
               exactText(nearest->referencePower));
    };
    auto* design = new QLineSeries;
    design->setObjectName(QStringLiteral("design-%1").arg(t));
    design->setPen(schemePen(t));
    QScatterSeries* exact = marks(t, kExactMarkSize, false, QStringLiteral("exact-%1").arg(t));
    for (const analysis::PowerCurvePoint& point : scheme.power) {
      design->append(point.shift, point.designPower);
      exact->append(point.shift, point.exactPower);
    }
    tipOnHover(design, tip);
    tipOnHover(exact, tip);
    attach(chart, design, x, y);
    attach(chart, exact, x, y);
    legend.push_back({schemePen(t), {{t, false}}, {schemeColour(t)}, kExactMarkSize,
                      name + (scheme.exceeded ? QStringLiteral(" (DCFP exceeded)") : QString())});
  }
  if (strategy != nullptr) {
    const QString name = QStringLiteral("%1 rank %2").arg(QString::fromStdString(strategy->ranks.rule)).arg(strategy->ranks.rank);
    const auto power = std::make_shared<const std::vector<analysis::RulePowerPoint>>(strategy->power);
    const auto tip = [power, name](QPointF at) {
      const auto nearest = std::min_element(power->begin(), power->end(), [&at](const auto& a, const auto& b) {
        return std::abs(a.shift - at.x()) < std::abs(b.shift - at.x());
      });
      return QStringLiteral("%1 at %2 standard deviations: exact power %3, reference %4")
          .arg(name, QString::number(nearest->shift), exactText(nearest->exactPower), exactText(nearest->referencePower));
    };
    auto* line = new QLineSeries;
    line->setObjectName(QStringLiteral("strategy"));
    line->setPen(strategyPen());
    QScatterSeries* points = strategyMarks(kExactMarkSize + 1.0, false, QStringLiteral("strategyMarks"));
    for (const analysis::RulePowerPoint& point : strategy->power) {
      line->append(point.shift, point.exactPower);
      points->append(point.shift, point.exactPower);
    }
    tipOnHover(line, tip);
    tipOnHover(points, tip);
    attach(chart, line, x, y);
    attach(chart, points, x, y);
    legend.push_back({strategyPen(), {{kStrategyShape, false}}, {QColor::fromRgb(kSkyBlue)}, kExactMarkSize + 1.0,
                      name + (strategy->ranks.exceeded ? QStringLiteral(" (DCFP exceeded)") : QStringLiteral(" exact"))});
  }
  auto* reference = new QLineSeries;
  reference->setObjectName(QStringLiteral("reference"));
  const QPen referencePen(Qt::black, 3.0, Qt::SolidLine);
  reference->setPen(referencePen);
  for (const analysis::PowerCurvePoint& point : curves.schemes[0].power) {
    reference->append(point.shift, point.referencePower);
  }
  attach(chart, reference, x, y);
  legend.push_back({referencePen, {}, {}, 0.0, QStringLiteral("Reference curve")});
  auto* criteria = new QScatterSeries;
  criteria->setObjectName(QStringLiteral("criteria"));
  criteria->setMarkerShape(QScatterSeries::MarkerShapeStar);
  criteria->setMarkerSize(18.0);
  criteria->setColor(QColor::fromRgb(kVermillion));
  criteria->setBorderColor(Qt::black);
  criteria->append(3.0, 0.539);
  criteria->append(4.0, 0.814);
  tipOnHover(criteria, [](QPointF at) {
    return at.x() < 3.5 ? QStringLiteral("Rating criterion: power at least .539 at 3 standard deviations")
                        : QStringLiteral("Rating criterion: power at least .814 at 4 standard deviations");
  });
  attach(chart, criteria, x, y);
  legend.push_back({QPen(Qt::NoPen), {{0, true}}, {QColor::fromRgb(kVermillion)}, 18.0,
                    QStringLiteral("Criteria .539, .814")});
  addLegend(chart, std::move(legend));
  QString description = powerChartDescription(curves);
  if (strategy != nullptr) {
    description += QStringLiteral(" Retest strategy %1 at rank %2, exact power as a line with marks.")
                       .arg(QString::fromStdString(strategy->ranks.rule))
                       .arg(strategy->ranks.rank);
  }
  chart->setProperty(kDescriptionProperty, description);
  return chart;
}

QString chartDescription(const QChart* chart) {
  return chart->property(kDescriptionProperty).toString();
}

}  // namespace velmora::ui
