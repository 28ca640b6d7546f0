// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The power of one strategy at a few shifts, one shifted comparison, for every rank of one
// background size at once: what the rows of every rank ask, thousands of ranks at a time.
//
// The power at rank k is E[f(Phi(delta - L))] with W0 = Phi(-L) ~ Beta(k, n + 1 - k) (see
// limit_integral.h). On the scale theta = arcsin(sqrt(W0)) the Beta(k, n + 1 - k) densities
// of every k have nearly the same width, 1 / (2 sqrt(n)) (the arcsine transform steadies a
// binomial proportion's variance), so one grid of panels of width 1 / sqrt(n), with the
// 21-point Kronrod rule and its 10-point Gauss rule in each, serves every rank: f, the logs
// of W0 and 1 - W0 and L itself are taken once a node, and a rank costs one exp a node of
// its window.
//
// Each rank's window is grown panel by panel from the density's peak until, at its outer
// nodes, the density of L and every shift's integrand on the normal scale (both log-concave
// there, so single-peaked along theta as well) have fallen e^40 below the highest value met:
// what lies beyond is below 1e-17 of the integral, as for the adaptive quadrature. The
// density is taken relative to its largest value in the window and the power is the ratio of
// the two sums, so no normalising constant is formed. The rounding of (k - 1) log W0 + (n - k)
// log(1 - W0) moves each node's weight by at most some 1e-11 of itself, the power by as much.
//
// Where the Gauss and Kronrod sums of a rank differ by more than 1e-11 of the power (where f
// would change faster than the density over a panel) that rank is left to the adaptive
// quadrature: at() answers nothing for it.
#include <optional>
#include <vector>

#include "velmora/analysis/strategy_polynomial.h"

namespace velmora::analysis::detail {

class RankPowers {
 public:
  // Needs 2 <= n <= 32767 and every shift within 0 to 6.
  RankPowers(const StrategyPolynomial& polynomial, int n, std::vector<double> shifts);

  // Whether one grid for `ranks` ranks of a background of n costs less than the ranks' own
  // quadratures: below some hundreds of values the panels are as many as the ranks.
  [[nodiscard]] static bool worthwhile(int n, int ranks) { return n >= 256 && ranks >= 32; }

  // The power at each shift for rank k (1 <= k <= n), or nothing where the grid's own check
  // leaves it in doubt.
  [[nodiscard]] std::optional<std::vector<double>> at(int k) const;

 private:
  struct Node {
    double theta = 0.0;
    double kronrod = 0.0;  // the weights of the two rules on this node (0 off Gauss's nodes)
    double gauss = 0.0;
    double logW0 = 0.0;        // log Phi(-L)
    double logComplement = 0.0;  // log Phi(L)
    double logJacobian = 0.0;  // log dW0 / dtheta = log sin(2 theta)
    double logNormal = 0.0;    // log phi(L), the density's factor on the normal scale
  };
  int m_n = 0;
  int m_panels = 0;
  double m_width = 0.0;
  std::vector<double> m_shifts;
  std::vector<Node> m_nodes;        // 21 a panel, panel by panel
  std::vector<double> m_logFail;    // log f at each node and shift, node by node
  std::vector<double> m_fail;       // f itself (0 where it underflows)
};

}  // namespace velmora::analysis::detail
