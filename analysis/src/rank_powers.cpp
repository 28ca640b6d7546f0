// SPDX-License-Identifier: GPL-3.0-or-later
#include "rank_powers.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <limits>
#include <numbers>
#include <utility>

#include <boost/math/quadrature/gauss.hpp>
#include <boost/math/quadrature/gauss_kronrod.hpp>
#include <boost/math/special_functions/erf.hpp>

#include "limit_integral.h"
#include "velmora/engine/detail/contract.h"

namespace velmora::analysis::detail {
namespace {

// How far below the highest value met a window's outer nodes must lie (as limit_integral.h).
constexpr double kDrop = 40.0;
// The largest relative difference of the Gauss and Kronrod sums a rank's powers may show.
constexpr double kRuleAgreement = 1e-11;
// Below this the products of density and f would leave the double range: such a shift's
// sums are taken relative to their own largest term.
constexpr double kLowestRelative = -600.0;

constexpr int kRulePoints = 21;

// The 21 points of the Kronrod rule on [-1, 1] in increasing order, each with its Kronrod
// weight and its weight in the embedded 10-point Gauss rule (0 where it has none).
struct RulePoint {
  double at = 0.0;
  double kronrod = 0.0;
  double gauss = 0.0;
};
std::array<RulePoint, kRulePoints> rulePoints() {
  using Kronrod = boost::math::quadrature::gauss_kronrod<double, kRulePoints>;
  using Gauss = boost::math::quadrature::gauss<double, (kRulePoints - 1) / 2>;
  std::array<RulePoint, kRulePoints> points{};
  const std::size_t half = Kronrod::abscissa().size() - 1;  // 10: the abscissas are 0 and ten above it
  for (std::size_t i = 0; i <= half; ++i) {
    const double gauss = i % 2 == 1 ? Gauss::weights()[i / 2] : 0.0;
    const RulePoint above{Kronrod::abscissa()[i], Kronrod::weights()[i], gauss};
    points[half + i] = above;
    points[half - i] = RulePoint{-above.at, above.kronrod, above.gauss};
  }
  return points;
}

}  // namespace

RankPowers::RankPowers(const StrategyPolynomial& polynomial, int n, std::vector<double> shifts)
    : m_n(n), m_shifts(std::move(shifts)) {
  VELMORA_ASSERT(n >= 2 && n <= 32767);
  m_panels = static_cast<int>(std::ceil(std::numbers::pi / 2.0 * std::sqrt(static_cast<double>(n))));
  m_width = std::numbers::pi / 2.0 / static_cast<double>(m_panels);
  const std::array<RulePoint, kRulePoints> points = rulePoints();
  const PolynomialTerms<double> terms(polynomial);
  std::vector<LimitIntegrand<double>> integrands;
  for (const double shift : m_shifts) {
    VELMORA_ASSERT(shift >= 0.0 && shift <= 6.0);
    integrands.emplace_back(terms, n, 1, shift, 1, Side::fail);
  }
  const double logRootTwoPi = 0.5 * std::log(2.0 * std::numbers::pi);
  m_nodes.reserve(static_cast<std::size_t>(m_panels) * kRulePoints);
  for (int p = 0; p < m_panels; ++p) {
    const double centre = (static_cast<double>(p) + 0.5) * m_width;
    for (const RulePoint& point : points) {
      Node node;
      node.theta = centre + 0.5 * m_width * point.at;
      node.kronrod = 0.5 * m_width * point.kronrod;
      node.gauss = 0.5 * m_width * point.gauss;
      const double sine = std::sin(node.theta);
      const double cosine = std::cos(node.theta);
      node.logW0 = 2.0 * std::log(sine);
      node.logComplement = 2.0 * std::log(cosine);
      node.logJacobian = std::log(2.0 * sine * cosine);
      // L from the smaller of W0 = Phi(-L) and 1 - W0 = Phi(L), so that neither is rounded.
      const double w0 = sine * sine;
      const double limit = w0 <= 0.5 ? std::numbers::sqrt2 * boost::math::erfc_inv(2.0 * w0)
                                     : -std::numbers::sqrt2 * boost::math::erfc_inv(2.0 * cosine * cosine);
      node.logNormal = -0.5 * limit * limit - logRootTwoPi;
      m_nodes.push_back(node);
      for (const LimitIntegrand<double>& integrand : integrands) {
        const double logFail = integrand.at(limit, false).logH;
        m_logFail.push_back(logFail);
        m_fail.push_back(std::exp(logFail));
      }
    }
  }
}

std::optional<std::vector<double>> RankPowers::at(int k) const {
  VELMORA_ASSERT(k >= 1 && k <= m_n);
  const std::size_t shifts = m_shifts.size();
  const double above = static_cast<double>(k - 1);
  const double below = static_cast<double>(m_n - k);
  const auto logDensity = [&](const Node& node) { return above * node.logW0 + below * node.logComplement; };
  const auto logFail = [&](std::size_t node, std::size_t s) { return m_logFail[node * shifts + s]; };

  // The window: from the panel of the density's peak (sin^2 theta = (2k - 1) / 2n) outwards
  // until the outer node of the last panel lies kDrop below the highest value of the density
  // of L and of every shift's integrand (on the normal scale).
  std::vector<double> highest(shifts + 1, -std::numeric_limits<double>::infinity());
  const auto meet = [&](std::size_t node) {
    const double density = logDensity(m_nodes[node]) + m_nodes[node].logNormal;
    highest[0] = std::max(highest[0], density);
    for (std::size_t s = 0; s < shifts; ++s) highest[s + 1] = std::max(highest[s + 1], density + logFail(node, s));
  };
  const auto fallen = [&](std::size_t node) {
    const double density = logDensity(m_nodes[node]) + m_nodes[node].logNormal;
    if (density >= highest[0] - kDrop) return false;
    for (std::size_t s = 0; s < shifts; ++s) {
      if (density + logFail(node, s) >= highest[s + 1] - kDrop) return false;
    }
    return true;
  };
  const auto visit = [&](int panel) {
    const std::size_t first = static_cast<std::size_t>(panel) * kRulePoints;
    for (std::size_t node = first; node < first + kRulePoints; ++node) meet(node);
  };
  const double peak = std::asin(std::sqrt(static_cast<double>(2 * k - 1) / static_cast<double>(2 * m_n)));
  const int start = std::clamp(static_cast<int>(peak / m_width), 0, m_panels - 1);
  visit(start);
  int last = start;
  while (last + 1 < m_panels && !fallen(static_cast<std::size_t>(last) * kRulePoints + kRulePoints - 1)) visit(++last);
  int first = start;
  while (first > 0 && !fallen(static_cast<std::size_t>(first) * kRulePoints)) visit(--first);

  // The sums of both rules over the window, the density relative to its largest value there.
  const std::size_t begin = static_cast<std::size_t>(first) * kRulePoints;
  const std::size_t end = static_cast<std::size_t>(last + 1) * kRulePoints;
  double top = -std::numeric_limits<double>::infinity();
  std::vector<double> topWithFail(shifts, -std::numeric_limits<double>::infinity());
  for (std::size_t node = begin; node < end; ++node) {
    const double density = logDensity(m_nodes[node]) + m_nodes[node].logJacobian;
    top = std::max(top, density);
    for (std::size_t s = 0; s < shifts; ++s) topWithFail[s] = std::max(topWithFail[s], density + logFail(node, s));
  }
  double kronrodMass = 0.0;
  double gaussMass = 0.0;
  std::vector<double> kronrodFail(shifts, 0.0);
  std::vector<double> gaussFail(shifts, 0.0);
  for (std::size_t node = begin; node < end; ++node) {
    const Node& at = m_nodes[node];
    const double weight = std::exp(logDensity(at) + at.logJacobian - top);
    kronrodMass += at.kronrod * weight;
    gaussMass += at.gauss * weight;
    for (std::size_t s = 0; s < shifts; ++s) {
      const double term = weight * m_fail[node * shifts + s];
      kronrodFail[s] += at.kronrod * term;
      gaussFail[s] += at.gauss * term;
    }
  }
  std::vector<double> powers(shifts);
  for (std::size_t s = 0; s < shifts; ++s) {
    double scale = 1.0;
    if (topWithFail[s] - top < kLowestRelative) {
      // A power below some 1e-260: its sums relative to their own largest term.
      kronrodFail[s] = 0.0;
      gaussFail[s] = 0.0;
      for (std::size_t node = begin; node < end; ++node) {
        const Node& at = m_nodes[node];
        const double term = std::exp(logDensity(at) + at.logJacobian + logFail(node, s) - topWithFail[s]);
        kronrodFail[s] += at.kronrod * term;
        gaussFail[s] += at.gauss * term;
      }
      scale = std::exp(topWithFail[s] - top);
    }
    const double kronrod = kronrodFail[s] / kronrodMass;
    const double gauss = gaussFail[s] / gaussMass;
    if (!(std::fabs(kronrod - gauss) <= kRuleAgreement * kronrod)) return std::nullopt;
    powers[s] = std::min(1.0, kronrod * scale);
  }
  return powers;
}

}  // namespace velmora::analysis::detail
