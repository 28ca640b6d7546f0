// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis_charts.h"

#include <QChart>
#include <QLegend>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QPen>
#include <QScatterSeries>
#include <QValueAxis>

#include <algorithm>
#include <array>
#include <cmath>

namespace velmora::ui {

namespace {

// The colour-blind-safe palette of Okabe and Ito: blue, orange, bluish green, reddish purple.
constexpr std::array<QRgb, 4> kPalette{0xFF0072B2, 0xFFE69F00, 0xFF009E73, 0xFFCC79A7};
constexpr QRgb kVermillion = 0xFFD55E00;  // the DCFP line
constexpr std::array<Qt::PenStyle, 4> kLineStyles{Qt::SolidLine, Qt::DashLine, Qt::DotLine,
                                                 Qt::DashDotLine};
constexpr std::array<QScatterSeries::MarkerShape, 4> kMarkShapes{
    QScatterSeries::MarkerShapeCircle, QScatterSeries::MarkerShapeRectangle,
    QScatterSeries::MarkerShapeTriangle, QScatterSeries::MarkerShapeRotatedRectangle};

std::size_t indexOf(int t) { return static_cast<std::size_t>(t - 1); }

QString schemeName(int t) { return QStringLiteral("1:%1").arg(t); }

QLineSeries* designLine(int t, const QString& name) {
  auto* series = new QLineSeries;
  series->setName(name);
  QPen pen(schemeColour(t), 2.0, kLineStyles[indexOf(t)]);
  pen.setCapStyle(Qt::FlatCap);
  series->setPen(pen);
  return series;
}

QScatterSeries* exactMarks(int t, const QString& name) {
  auto* series = new QScatterSeries;
  series->setName(name);
  series->setMarkerShape(kMarkShapes[indexOf(t)]);
  series->setMarkerSize(7.0);
  series->setColor(Qt::white);  // hollow marks, so the line shows through
  series->setBorderColor(schemeColour(t));
  series->setPen(QPen(schemeColour(t), 1.5));
  return series;
}

QChart* newChart(const QString& title) {
  auto* chart = new QChart;
  chart->setTitle(title);
  QFont titleFont = chart->titleFont();
  titleFont.setBold(true);
  titleFont.setPointSizeF(11.0);
  chart->setTitleFont(titleFont);
  chart->setTheme(QChart::ChartThemeLight);
  chart->setBackgroundRoundness(0);
  chart->legend()->setVisible(true);
  chart->legend()->setAlignment(Qt::AlignRight);  // one entry a line, none cut short
  chart->legend()->setMarkerShape(QLegend::MarkerShapeFromSeries);  // marks and line styles
  chart->setAnimationOptions(QChart::NoAnimation);
  return chart;
}

void attach(QChart* chart, QAbstractSeries* series, QAbstractAxis* x, QAbstractAxis* y) {
  chart->addSeries(series);
  series->attachAxis(x);
  series->attachAxis(y);
}

}  // namespace

QColor schemeColour(int t) { return QColor::fromRgb(kPalette[indexOf(std::clamp(t, 1, 4))]); }

QChart* makeCfpChart(const analysis::CalculationCurves& curves, CfpAxis axis) {
  QChart* chart = newChart(QStringLiteral("CFP by rank: design (lines), exact (marks), DCFP"));
  auto* x = new QValueAxis;
  x->setTitleText(QStringLiteral("Inverse rank k (1 = background maximum)"));
  x->setLabelFormat(QStringLiteral("%d"));
  const int lastRank = std::max(curves.lastRank, 2);
  x->setRange(1, lastRank);
  // Ticks on whole ranks: every rank, or every 2, 5, 10, 20, 50 ... ranks, about ten in all.
  double step = 1.0;
  for (double decade = 1.0; lastRank / step > 12.0; decade *= 10.0) {
    for (double multiple : {1.0, 2.0, 5.0}) {
      step = multiple * decade;
      if (lastRank / step <= 12.0) break;
    }
  }
  x->setTickType(QValueAxis::TicksDynamic);
  x->setTickAnchor(0.0);
  x->setTickInterval(step);
  QAbstractAxis* y = nullptr;
  double lowest = curves.dcfp;
  double highest = curves.dcfp;
  for (const analysis::SchemeCurves& scheme : curves.schemes) {
    for (const analysis::CfpCurvePoint& point : scheme.cfp) {
      for (double cfp : {point.designCfp, point.exactCfp}) {
        if (cfp > 0.0) lowest = std::min(lowest, cfp);
        highest = std::max(highest, cfp);
      }
    }
  }
  if (axis == CfpAxis::logarithmic) {
    auto* log = new QLogValueAxis;
    log->setBase(10.0);
    log->setLabelFormat(QStringLiteral("%.0e"));
    log->setRange(std::pow(10.0, std::floor(std::log10(lowest))), std::min(1.0, highest * 1.5));
    y = log;
  } else {
    auto* linear = new QValueAxis;
    linear->setRange(0.0, std::min(1.0, highest * 1.05));
    linear->setLabelFormat(QStringLiteral("%.3f"));
    y = linear;
  }
  y->setTitleText(QStringLiteral("Cumulative false-positive rate (CFP)"));
  chart->addAxis(x, Qt::AlignBottom);
  chart->addAxis(y, Qt::AlignLeft);
  const bool log = axis == CfpAxis::logarithmic;

  auto* chosen = new QScatterSeries;
  chosen->setName(QStringLiteral("Chosen rank"));
  chosen->setMarkerShape(QScatterSeries::MarkerShapeStar);
  chosen->setMarkerSize(16.0);
  chosen->setColor(Qt::black);
  chosen->setBorderColor(Qt::black);
  for (const analysis::SchemeCurves& scheme : curves.schemes) {
    QLineSeries* design = designLine(scheme.test, schemeName(scheme.test) + QStringLiteral(" design"));
    QScatterSeries* exact = exactMarks(scheme.test, schemeName(scheme.test) + QStringLiteral(" exact"));
    for (const analysis::CfpCurvePoint& point : scheme.cfp) {
      if (!log || point.designCfp > 0.0) design->append(point.rank, point.designCfp);
      if (!log || point.exactCfp > 0.0) exact->append(point.rank, point.exactCfp);
      if (point.chosen && (!log || point.designCfp > 0.0)) chosen->append(point.rank, point.designCfp);
    }
    attach(chart, design, x, y);
    attach(chart, exact, x, y);
  }
  auto* dcfp = new QLineSeries;
  dcfp->setName(QStringLiteral("DCFP"));
  dcfp->setPen(QPen(QColor::fromRgb(kVermillion), 2.5, Qt::DashDotDotLine));
  dcfp->append(1, curves.dcfp);
  dcfp->append(lastRank, curves.dcfp);
  attach(chart, dcfp, x, y);
  if (curves.jBound >= 1 && curves.jBound <= lastRank) {
    auto* j = new QLineSeries;
    j->setName(QStringLiteral("j bound (%1)").arg(curves.jBound));
    j->setPen(QPen(QColor(85, 85, 85), 1.5, Qt::DashLine));
    const double bottom = log ? std::pow(10.0, std::floor(std::log10(lowest))) : 0.0;
    j->append(curves.jBound, bottom);
    j->append(curves.jBound, std::min(1.0, log ? highest * 1.5 : highest * 1.05));
    attach(chart, j, x, y);
  } else if (curves.jBound > lastRank) {
    // The search may go as far as j, but the curves stop a few ranks past the chosen ones.
    auto* j = new QLineSeries;
    j->setName(QStringLiteral("j bound (%1) past the ranks drawn").arg(curves.jBound));
    j->setPen(QPen(QColor(85, 85, 85), 1.5, Qt::DashLine));
    attach(chart, j, x, y);
  }
  attach(chart, chosen, x, y);
  return chart;
}

QChart* makePowerChart(const analysis::CalculationCurves& curves) {
  QChart* chart = newChart(
      QStringLiteral("Power by shift at the chosen ranks: design (lines), exact (marks), reference"));
  auto* x = new QValueAxis;
  x->setTitleText(QStringLiteral("Shift (standard deviations above the background mean)"));
  x->setRange(0.0, 5.0);
  x->setTickCount(6);
  x->setLabelFormat(QStringLiteral("%.0f"));
  auto* y = new QValueAxis;
  y->setTitleText(QStringLiteral("Power (probability of detection)"));
  y->setRange(0.0, 1.0);
  y->setTickCount(6);
  y->setLabelFormat(QStringLiteral("%.1f"));
  chart->addAxis(x, Qt::AlignBottom);
  chart->addAxis(y, Qt::AlignLeft);

  for (const analysis::SchemeCurves& scheme : curves.schemes) {
    const QString name = QStringLiteral("%1 rank %2").arg(schemeName(scheme.test)).arg(scheme.rank);
    QLineSeries* design = designLine(scheme.test, name + QStringLiteral(" design"));
    QScatterSeries* exact = exactMarks(scheme.test, name + QStringLiteral(" exact"));
    for (const analysis::PowerCurvePoint& point : scheme.power) {
      design->append(point.shift, point.designPower);
      exact->append(point.shift, point.exactPower);
    }
    attach(chart, design, x, y);
    attach(chart, exact, x, y);
  }
  auto* reference = new QLineSeries;
  reference->setName(QStringLiteral("Reference curve"));
  reference->setPen(QPen(Qt::black, 3.0, Qt::SolidLine));
  for (const analysis::PowerCurvePoint& point : curves.schemes[0].power) {
    reference->append(point.shift, point.referencePower);
  }
  attach(chart, reference, x, y);
  auto* criteria = new QScatterSeries;
  criteria->setName(QStringLiteral("Criteria .539, .814"));
  criteria->setMarkerShape(QScatterSeries::MarkerShapeStar);
  criteria->setMarkerSize(18.0);
  criteria->setColor(QColor::fromRgb(kVermillion));
  criteria->setBorderColor(Qt::black);
  criteria->append(3.0, 0.539);
  criteria->append(4.0, 0.814);
  attach(chart, criteria, x, y);
  return chart;
}

}  // namespace velmora::ui
