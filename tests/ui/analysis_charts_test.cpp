// SPDX-License-Identifier: GPL-3.0-or-later
// The analysis window's charts tell no more than was computed: after 0.05/760/8000 (whose
// costly 1:4 is sampled and whose 1:1 exceeds the DCFP at rank 1) no line joins two ranks
// not evaluated next to each other and every evaluated rank is drawn, the ticks fall on 1, 2
// or 5 times a power of ten, the exceeded test has no chosen mark, no mark is cut at the plot's
// edge, and both charts are named for a screen reader.
#include <gtest/gtest.h>

#include <QChart>
#include <QChartView>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QScatterSeries>
#include <QSignalSpy>
#include <QTest>
#include <QValueAxis>

#include <cmath>
#include <map>
#include <memory>

#include "recording_message_boxes.h"
#include "velmora/ui/analysis_window.h"
#include "velmora/ui/frm_main.h"
#include "velmora/ui/main_window.h"

namespace {

using velmora::analysis::CalculationCurves;
using velmora::analysis::CfpCurvePoint;

bool isNice(double step) {
  const double decade = std::pow(10.0, std::floor(std::log10(step) + 1e-9));
  const double multiple = step / decade;
  return std::abs(multiple - 1.0) < 1e-9 || std::abs(multiple - 2.0) < 1e-9 || std::abs(multiple - 5.0) < 1e-9;
}

int testOf(const QAbstractSeries* series) { return series->objectName().section(QLatin1Char('-'), 1).toInt(); }

class AnalysisChartsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_window = std::make_unique<velmora::ui::MainWindow>(&m_boxes);
    m_window->show();
    velmora::ui::frmMain& form = *m_window->form();
    form.txtAL->setText(QStringLiteral("0.05"));
    form.txtN->setText(QStringLiteral("760"));
    form.txtR->setText(QStringLiteral("8000"));
    form.txtMDET->setText(QStringLiteral("760"));
    form.btnCalculate->click();
    m_window->actAnalysisWindow->trigger();
    m_analysis = m_window->analysisWindow();
    QSignalSpy finished(m_analysis, &velmora::ui::AnalysisWindow::finished);
    ASSERT_TRUE(finished.wait(120000));
    ASSERT_TRUE(m_analysis->data().has_value());
    QTest::qWait(50);  // the charts lay themselves out
  }
  void TearDown() override { m_window.reset(); }

  const CalculationCurves& curves() const { return m_analysis->data()->curves; }

  velmora::platform::RecordingMessageBoxes m_boxes;
  std::unique_ptr<velmora::ui::MainWindow> m_window;
  velmora::ui::AnalysisWindow* m_analysis = nullptr;
};

TEST_F(AnalysisChartsTest, LinesJoinOnlyRanksEvaluatedNextToEachOtherAndEveryEvaluatedRankIsDrawn) {
  ASSERT_TRUE(curves().schemes[3].sampled);  // the case this is about
  std::map<int, std::map<int, double>> evaluated;  // test, rank: the design's CFP
  for (const auto& scheme : curves().schemes) {
    for (const CfpCurvePoint& p : scheme.cfp) evaluated[scheme.test][p.rank] = p.designCfp;
  }
  std::map<int, std::map<int, int>> drawn;  // test, rank: times drawn
  for (QAbstractSeries* series : m_analysis->cfpView->chart()->series()) {
    const int t = testOf(series);
    if (series->objectName().startsWith(QStringLiteral("design-"))) {
      const QList<QPointF> points = static_cast<QLineSeries*>(series)->points();
      ASSERT_GE(points.size(), 2);
      for (qsizetype i = 0; i < points.size(); ++i) {
        const int rank = static_cast<int>(points[i].x());
        ASSERT_TRUE(evaluated[t].contains(rank)) << "1:" << t << " draws rank " << rank;
        EXPECT_EQ(points[i].y(), evaluated[t][rank]);
        if (i > 0) {
          EXPECT_EQ(points[i].x(), points[i - 1].x() + 1.0) << "1:" << t << " joins across ranks";
        }
        ++drawn[t][rank];
      }
    } else if (series->objectName().startsWith(QStringLiteral("sampledDesign-"))) {
      for (const QPointF& p : static_cast<QScatterSeries*>(series)->points()) {
        const int rank = static_cast<int>(p.x());
        ASSERT_TRUE(evaluated[t].contains(rank));
        EXPECT_EQ(p.y(), evaluated[t][rank]);
        ++drawn[t][rank];
      }
    }
  }
  for (const auto& [t, ranks] : evaluated) {
    for (const auto& [rank, cfp] : ranks) EXPECT_EQ(drawn[t][rank], 1) << "1:" << t << " rank " << rank;
  }
}

TEST_F(AnalysisChartsTest, TicksAreNiceNumbersAndNoMarkIsCutAtThePlotsEdge) {
  for (QChartView* view : {m_analysis->cfpView, m_analysis->powerView}) {
    for (QAbstractAxis* axis : view->chart()->axes()) {
      auto* values = qobject_cast<QValueAxis*>(axis);
      ASSERT_NE(values, nullptr);
      EXPECT_EQ(values->tickType(), QValueAxis::TicksDynamic);
      EXPECT_EQ(values->tickAnchor(), 0.0);
      EXPECT_TRUE(isNice(values->tickInterval())) << values->tickInterval();
    }
  }
  QChart* chart = m_analysis->cfpView->chart();
  const QRectF plot = chart->plotArea();
  int marks = 0;
  for (QAbstractSeries* series : chart->series()) {
    const QString name = series->objectName();
    if (!name.startsWith(QStringLiteral("chosen-")) && !name.startsWith(QStringLiteral("exceeded-"))) continue;
    auto* scatter = static_cast<QScatterSeries*>(series);
    const double half = scatter->markerSize() / 2.0;
    for (const QPointF& point : scatter->points()) {
      const QPointF at = chart->mapToPosition(point, series);
      EXPECT_TRUE(plot.adjusted(half, half, -half, -half).contains(at)) << name.toStdString() << " at rank " << point.x();
      ++marks;
    }
  }
  EXPECT_EQ(marks, 4);
}

TEST_F(AnalysisChartsTest, AnExceededTestIsMarkedExceededNeverChosen) {
  ASSERT_TRUE(curves().schemes[0].exceeded);
  std::map<QString, QList<QPointF>> marks;
  for (QAbstractSeries* series : m_analysis->cfpView->chart()->series()) {
    if (auto* scatter = qobject_cast<QScatterSeries*>(series)) marks[series->objectName()] = scatter->points();
  }
  EXPECT_FALSE(marks.contains(QStringLiteral("chosen-1")));
  ASSERT_EQ(marks[QStringLiteral("exceeded-1")].size(), 1);
  EXPECT_EQ(marks[QStringLiteral("exceeded-1")].front().x(), 1.0);
  for (int t = 2; t <= 4; ++t) {
    const QString chosen = QStringLiteral("chosen-%1").arg(t);
    ASSERT_EQ(marks[chosen].size(), 1) << t;
    EXPECT_EQ(marks[chosen].front().x(), curves().schemes[static_cast<std::size_t>(t - 1)].rank);
    EXPECT_FALSE(marks.contains(QStringLiteral("exceeded-%1").arg(t)));
  }
}

TEST_F(AnalysisChartsTest, BothChartsHaveAnAccessibleNameAndADescriptionOfWhatTheyShow) {
  EXPECT_FALSE(m_analysis->cfpView->accessibleName().isEmpty());
  EXPECT_FALSE(m_analysis->powerView->accessibleName().isEmpty());
  EXPECT_NE(m_analysis->cfpView->accessibleName(), m_analysis->powerView->accessibleName());
  const QString cfp = m_analysis->cfpView->accessibleDescription();
  EXPECT_TRUE(cfp.contains(QStringLiteral("DCFP 0.05"))) << cfp.toStdString();
  EXPECT_TRUE(cfp.contains(QStringLiteral("1:1 DCFP exceeded at rank 1"))) << cfp.toStdString();
  EXPECT_TRUE(cfp.contains(QStringLiteral("1:4 chosen rank 36"))) << cfp.toStdString();
  EXPECT_FALSE(cfp.contains(QLatin1Char('\n')));
  EXPECT_TRUE(m_analysis->powerView->accessibleDescription().contains(QStringLiteral("1:3 rank 13")));
}

}  // namespace
