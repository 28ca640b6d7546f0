// SPDX-License-Identifier: GPL-3.0-or-later
// The audit of a calculation: the design's ranks against the exact CFPs.
#include <gtest/gtest.h>

#include "exact_reference.h"
#include "velmora/analysis/audit.h"
#include "velmora/engine/calculation.h"

namespace velmora::analysis {
namespace {

CalculationAudit auditOf(const char* dcfp, const char* n, const char* r, const char* j) {
  Calculation calculation;
  const Expected<CalculationResult> outcome = calculation.calculate({dcfp, n, r, j});
  EXPECT_TRUE(outcome.has_value());
  return auditCalculation(outcome->results, dcfp).value();
}

TEST(AuditCalculation, WorkedExampleAgreesScheme_by_scheme) {
  const CalculationAudit audit = auditOf("0.1", "20", "5", "20");
  const SchemeAudit& one = audit.schemes[0];
  EXPECT_EQ(one.rank, 1);
  EXPECT_TRUE(one.exceeded);
  EXPECT_EQ(one.cfpShown, "0.20000");
  EXPECT_EQ(formatSignificant(one.cfpExact), "0.2");
  EXPECT_FALSE(one.nextRank.has_value());  // the refused rank is rank 1 itself
  EXPECT_EQ(formatSignificant(one.margin), "-0.1");
  EXPECT_TRUE(one.exactExceeded);
  EXPECT_EQ(one.exactRank, 1);

  const int ranks[] = {1, 2, 5, 7};
  const char* exact[] = {"0.2", "0.06051955707", "0.09036773547", "0.08992518351"};
  // The float32 searches found 0.1168997, 0.1399027 and 0.1366457 for the refused ranks.
  const char* next[] = {"", "0.1168997919", "0.1399026229", "0.1366458797"};
  for (int t = 2; t <= 4; ++t) {
    const SchemeAudit& s = audit.schemes[static_cast<std::size_t>(t - 1)];
    EXPECT_EQ(s.rank, ranks[t - 1]);
    EXPECT_FALSE(s.exceeded);
    EXPECT_EQ(formatSignificant(s.cfpExact), exact[t - 1]);
    ASSERT_TRUE(s.nextRank.has_value());
    EXPECT_EQ(*s.nextRank, ranks[t - 1] + 1);
    EXPECT_EQ(formatSignificant(*s.nextCfpExact), next[t - 1]) << "1:" << t;
    EXPECT_LT(testsupport::relativeError(*s.nextCfpExact, testsupport::exactCfpFraction(20, 5, t, *s.nextRank)), 1e-17L);
    EXPECT_GT(s.margin, 0.0L);
    EXPECT_EQ(s.exactRank, s.rank);
    EXPECT_TRUE(s.agrees());
  }
  EXPECT_TRUE(audit.agrees());
  // The chosen rank and the next one bracket the answer: two exact CFPs per scheme.
  EXPECT_LE(audit.evaluations, 8);
}

TEST(AuditCalculation, ARankBoundStopsTheWalkWithoutANextRank) {
  const CalculationAudit audit = auditOf("0.1", "20", "5", "3");
  EXPECT_EQ(audit.schemes[2].rank, 3);
  EXPECT_FALSE(audit.schemes[2].nextRank.has_value());
  EXPECT_EQ(audit.schemes[3].rank, 3);
  EXPECT_FALSE(audit.schemes[3].nextRank.has_value());
  EXPECT_EQ(audit.schemes[3].exactRank, 3);  // never beyond j
  EXPECT_TRUE(audit.agrees());
}

TEST(AuditCalculation, EveryRankPassingEndsAtNWithoutANextRank) {
  const CalculationAudit audit = auditOf("1", "8", "2", "8");
  for (const SchemeAudit& s : audit.schemes) {
    EXPECT_EQ(s.rank, 8);
    EXPECT_FALSE(s.nextRank.has_value());
    EXPECT_EQ(s.exactRank, 8);
    EXPECT_TRUE(s.agrees());
  }
}

TEST(AuditCalculation, Float32DcfpCanPassWhatTheTypedDcfpFails) {
  // 0.19999999 becomes the float32 0.199999988..., which equals the float32 CFP of rank 1
  // (1 - 0.8f): the design passes rank 1, while its exact CFP 0.2 exceeds the typed DCFP.
  const CalculationAudit audit = auditOf("0.19999999", "20", "5", "20");
  const SchemeAudit& one = audit.schemes[0];
  EXPECT_EQ(one.rank, 1);
  EXPECT_FALSE(one.exceeded);
  EXPECT_TRUE(one.exactExceeded);
  EXPECT_FALSE(one.agrees());
  EXPECT_FALSE(audit.agrees());
  EXPECT_EQ(formatSignificant(one.margin), "-1e-08");
}

TEST(AuditCalculation, ExactRankFarFromTheDesignRankIsFoundByBisection) {
  // Against a linear walk of exact decisions, from every kind of hint.
  for (const char* text : {"0.05", "0.3", "0.0001", "0.9"}) {
    const ExactDcfp dcfp(text);
    for (int t = 1; t <= 4; ++t) {
      for (int maxRank : {1, 2, 17, 60}) {
        int walked = 0;
        for (int k = 1; k <= maxRank && dcfp.compare(60, 9, t, k)->meets; ++k) walked = k;
        const std::optional<int> expected = walked > 0 ? std::optional<int>(walked) : std::nullopt;  // none: rank 1 fails
        for (int hint : {1, maxRank / 2 + 1, maxRank}) {
          int evaluations = 0;
          EXPECT_EQ(findExactRank(dcfp, 60, 9, t, maxRank, hint, &evaluations).value(), expected)
              << text << " 1:" << t << " max " << maxRank << " hint " << hint;
          EXPECT_LE(evaluations, 14);
        }
      }
    }
  }
  // No scheme 1:5, no rank bound below 1: refused, not a rank.
  const ExactDcfp dcfp("0.05");
  EXPECT_EQ(findExactRank(dcfp, 60, 9, 5, 10).error().kind, ProblemKind::refusedRequest);
  EXPECT_EQ(findExactRank(dcfp, 60, 9, 1, 0).error().kind, ProblemKind::refusedRequest);
}

TEST(AuditCalculation, DesignRanksAgreeWithExactRanksAcrossTypicalInputs) {
  // Disagreements need a DCFP within float32 rounding of a CFP; typical inputs have none.
  int disagreements = 0;
  for (const char* dcfp : {"0.01", "0.05", "0.1", "0.25"}) {
    for (int n = 8; n <= 100; n += 23) {
      for (int r : {1, 5, 20, 50}) {
        Calculation calculation;
        const std::string nText = std::to_string(n);
        const Expected<CalculationResult> outcome = calculation.calculate({dcfp, nText, std::to_string(r), nText});
        ASSERT_TRUE(outcome.has_value());
        const CalculationAudit audit = auditCalculation(outcome->results, dcfp).value();
        for (const SchemeAudit& s : audit.schemes) {
          if (!s.agrees()) ++disagreements;
          // The design's CFP as shown is the exact one rounded, up to float32 digits.
          EXPECT_NEAR(std::stod(s.cfpShown), static_cast<double>(s.cfpExact), 6e-6);
        }
      }
    }
  }
  EXPECT_EQ(disagreements, 0);
}

}  // namespace
}  // namespace velmora::analysis
