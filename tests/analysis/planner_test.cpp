// SPDX-License-Identifier: GPL-3.0-or-later
// The sample-size planner.
#include <gtest/gtest.h>

#include <tuple>

#include "velmora/engine/calculation.h"
#include "velmora/engine/design_arithmetic.h"
#include "velmora/analysis/exact_cfp.h"
#include "velmora/analysis/planner.h"

namespace velmora::analysis {
namespace {

TEST(PlanSampleSize, ExactAndFloat32AnswersCanDifferAtATie) {
  // 1:1, rank 1: CFP = r / (n + r) = 5 / (n + 5) meets 0.1 exactly from n = 45 on, where
  // it equals 0.1; in float32 the CFP at 45 is 0.100000024 > 0.100000001.
  const Expected<SampleSizePlan> planned = planSampleSize("0.1", "5", "", "1:1");
  ASSERT_TRUE(planned.has_value());
  const SampleSizePlan& plan = *planned;
  ASSERT_EQ(plan.schemes.size(), 1u);
  EXPECT_EQ(plan.schemes[0].exactN, 45);
  EXPECT_EQ(formatSignificant(plan.schemes[0].exactCfp), "0.1");
  EXPECT_EQ(plan.schemes[0].designN, 46);
  EXPECT_EQ(plan.schemes[0].designCfp, designCfp(46, 5, 1, 1).value());
}

TEST(PlanSampleSize, AnswersAreTheFirstMeetingSizes) {
  for (const char* dcfp : {"0.05", "0.2"}) {
    for (int r : {1, 4, 10}) {
      for (int rank : {1, 2, 4}) {
        const Expected<SampleSizePlan> planned = planSampleSize(dcfp, std::to_string(r), std::to_string(rank));
        ASSERT_TRUE(planned.has_value());
        const SampleSizePlan& plan = *planned;
        ASSERT_EQ(plan.schemes.size(), 4u);
        const ExactDcfp exact(dcfp);
        const float single = std::stof(dcfp);
        for (const SchemePlan& s : plan.schemes) {
          ASSERT_TRUE(s.exactN.has_value());
          ASSERT_TRUE(s.designN.has_value());
          EXPECT_TRUE(exact.compare(*s.exactN, r, s.test, rank)->meets);
          if (*s.exactN > plan.smallestN) EXPECT_FALSE(exact.compare(*s.exactN - 1, r, s.test, rank)->meets);
          // A walk from the smallest size finds the same float32 answer: no wobble here.
          int walked = plan.smallestN;
          while (designCfp(walked, r, s.test, rank).value() > single) ++walked;
          EXPECT_EQ(*s.designN, walked) << dcfp << " r " << r << " rank " << rank << " 1:" << s.test;
          EXPECT_LE(std::abs(*s.designN - *s.exactN), 1);
        }
        // A retest scheme needs no larger background than the scheme before it.
        for (std::size_t t = 1; t < 4; ++t) EXPECT_LE(*plan.schemes[t].exactN, *plan.schemes[t - 1].exactN);
      }
    }
  }
}

// --rule plans a retest strategy: for 1-of-T it is plain plan's exact answer, digits and all,
// with few comparisons (ExactCfp's sum) and many (the quadrature); and it gives the guidance's
// smallest backgrounds at 97.91484 % confidence.
TEST(PlanSampleSize, ARuleIsPlannedAsItsScheme) {
  for (const auto& [dcfp, r, rank] : {std::tuple{"0.0208516", "10", "3"}, std::tuple{"0.05", "40", "2"},
                                      std::tuple{"0.01", "8000", "1"}, std::tuple{"0.999999", "300", "1"}}) {
    const SampleSizePlan plain = planSampleSize(dcfp, r, rank).value();
    for (const SchemePlan& scheme : plain.schemes) {
      const RulePlan rule = planSampleSizeForRule(dcfp, r, rank, "1-of-" + std::to_string(scheme.test)).value();
      EXPECT_EQ(rule.scheme, scheme.test);
      EXPECT_EQ(rule.exactN, scheme.exactN) << dcfp << " r " << r << " 1:" << scheme.test;
      EXPECT_EQ(formatSignificant(rule.exactCfp), formatSignificant(scheme.exactCfp)) << dcfp << " r " << r;
      EXPECT_LE(rule.evaluations, 40);
    }
  }
  EXPECT_EQ(planSampleSizeForRule("0.0208516", "10", "", "1-of-2/median-3")->exactN, 14);
  EXPECT_EQ(planSampleSizeForRule("0.0208516", "10", "3", "1-of-4")->exactN, 18);
  EXPECT_EQ(planSampleSizeForRule("0.0208516", "10", "", "3-of-9").error().kind, ProblemKind::refusedRequest);
}

TEST(PlanSampleSize, NoBackgroundReachesATinyDcfp) {
  // 1:1 rank 1 needs 5 / (n + 5) <= 1e-4, n >= 49995: beyond 32767 - 20.
  const Expected<SampleSizePlan> planned = planSampleSize("0.0001", "5", "1", "1:1");
  ASSERT_TRUE(planned.has_value());
  const SampleSizePlan& plan = *planned;
  EXPECT_FALSE(plan.schemes[0].exactN.has_value());
  EXPECT_FALSE(plan.schemes[0].designN.has_value());
  EXPECT_EQ(plan.largestN, 32747);
  EXPECT_EQ(formatSignificant(plan.schemes[0].exactCfp), formatSignificant(5.0L / 32752.0L));
}

TEST(PlanSampleSize, RefusesRequestsOutsideTheCalculator) {
  const auto refused = [](const Expected<SampleSizePlan>& plan) {
    return !plan.has_value() && plan.error().kind == ProblemKind::refusedRequest && plan.error().lines.size() == 1;
  };
  EXPECT_TRUE(refused(planSampleSize("0", "5")));
  EXPECT_TRUE(refused(planSampleSize("1.5", "5")));
  EXPECT_TRUE(refused(planSampleSize("x", "5")));
  EXPECT_TRUE(refused(planSampleSize("0.1", "0")));
  EXPECT_TRUE(refused(planSampleSize("0.1", "2.5")));
  EXPECT_TRUE(refused(planSampleSize("0.1", "8192")));  // n + 4r > 32767 for every n >= 2
  EXPECT_TRUE(planSampleSize("0.1", "8191", "", "1:1").has_value());
  EXPECT_TRUE(refused(planSampleSize("0.1", "5", "0")));
  EXPECT_TRUE(refused(planSampleSize("0.1", "5", "32748")));  // rank above every n that fits
  EXPECT_TRUE(refused(planSampleSize("0.1", "5", "1", "1:5")));
  EXPECT_TRUE(refused(planSampleSize("0.1", "5", "1", "2")));
}

TEST(SmallestMeetingN, GallopsAndBisects) {
  int calls = 0;
  const auto from = [&calls](int threshold) {
    return [&calls, threshold](int n) {
      ++calls;
      return n >= threshold;
    };
  };
  EXPECT_EQ(smallestMeetingN(2, 32747, from(2)), 2);
  EXPECT_EQ(smallestMeetingN(2, 32747, from(3)), 3);
  calls = 0;
  EXPECT_EQ(smallestMeetingN(2, 32747, from(20000)), 20000);
  EXPECT_LE(calls, 32);
  EXPECT_EQ(smallestMeetingN(2, 32747, from(32747)), 32747);
  EXPECT_EQ(smallestMeetingN(2, 32747, from(32748)), std::nullopt);
  EXPECT_EQ(smallestMeetingN(5, 4, from(1)), std::nullopt);
}

}  // namespace
}  // namespace velmora::analysis
