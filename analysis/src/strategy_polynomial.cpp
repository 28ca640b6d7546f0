// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/analysis/strategy_polynomial.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <functional>

namespace velmora::analysis {
namespace {

using Coefficients = std::vector<PolynomialCoefficient>;

// Product of two polynomials held by their coefficients of W^j p^(d - j).
Coefficients multiply(const Coefficients& a, const Coefficients& b) {
  Coefficients product(a.size() + b.size() - 1, 0);
  for (std::size_t i = 0; i < a.size(); ++i) {
    for (std::size_t j = 0; j < b.size(); ++j) product[i + j] += a[i] * b[j];
  }
  return product;
}

Coefficients power(const Coefficients& base, int exponent) {
  Coefficients result{1};
  for (int i = 0; i < exponent; ++i) result = multiply(result, base);
  return result;
}

void addTo(Coefficients& sum, const Coefficients& term, unsigned weight) {
  for (std::size_t j = 0; j < term.size(); ++j) sum[j] += term[j] * weight;
}

}  // namespace

StrategyPolynomial strategyPolynomial(const Strategy& strategy) {
  const int b = strategy.median;
  StrategyPolynomial polynomial;
  polynomial.valuesPerUnit = b;
  polynomial.degree = b * strategy.units;
  const std::size_t size = static_cast<std::size_t>(polynomial.degree) + 1;
  polynomial.fail.assign(size, 0);
  polynomial.pass.assign(size, 0);
  polynomial.units.assign(size, 0);

  // A unit of B values passes with i of them passing: C(B, i) p^i W^(B - i), the W power B - i.
  Coefficients unitPass(static_cast<std::size_t>(b) + 1, 0);
  Coefficients unitFail(static_cast<std::size_t>(b) + 1, 0);
  PolynomialCoefficient binomial = 1;
  for (int i = 0; i <= b; ++i) {
    (strategy.unitPasses(i) ? unitPass : unitFail)[static_cast<std::size_t>(b - i)] = binomial;
    binomial = binomial * static_cast<unsigned>(b - i) / static_cast<unsigned>(i + 1);
  }
  const Coefficients one{1, 1};  // p + W

  std::array<bool, kMaxStrategyUnits> outcomes{};
  const std::function<void(int, int)> play = [&](int taken, int passed) {
    const Decision decision = strategy.decide(std::span<const bool>(outcomes.data(), static_cast<std::size_t>(taken)));
    if (decision == Decision::undecided) {
      for (const bool unitPassed : {true, false}) {
        outcomes[static_cast<std::size_t>(taken)] = unitPassed;
        play(taken + 1, passed + (unitPassed ? 1 : 0));
      }
      return;
    }
    const Coefficients term = multiply(multiply(power(unitPass, passed), power(unitFail, taken - passed)),
                                       power(one, b * (strategy.units - taken)));
    addTo(decision == Decision::pass ? polynomial.pass : polynomial.fail, term, 1);
    addTo(polynomial.units, term, static_cast<unsigned>(taken));
  };
  play(0, 0);
  return polynomial;
}

bool sameTest(const Strategy& a, const Strategy& b) {
  StrategyPolynomial pa = strategyPolynomial(a);
  StrategyPolynomial pb = strategyPolynomial(b);
  // Raise both to one degree: f (p + W)^m is the same function as f.
  const int degree = std::max(pa.degree, pb.degree);
  const Coefficients one{1, 1};
  return multiply(pa.fail, power(one, degree - pa.degree)) == multiply(pb.fail, power(one, degree - pb.degree));
}

}  // namespace velmora::analysis
