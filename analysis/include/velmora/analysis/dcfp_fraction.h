// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The DCFP as typed, as an exact fraction, for the retest strategies' exact decisions. It is
// read from the same characters as the calculator's input boxes read (ScanNumericValue) and
// refused by the calculator's own rule (numeric, greater than zero, at most 1).
//
// It is held in Boost's header-only fractions, as ExactDcfp is, and needs no extended
// precision, so the page's WebAssembly build can use it.

#include <boost/multiprecision/cpp_int.hpp>

#include <string>
#include <string_view>

#include "velmora/engine/problem.h"

namespace velmora::analysis {

class DcfpFraction {
 public:
  [[nodiscard]] static Expected<DcfpFraction> read(std::string_view text);

  const boost::multiprecision::cpp_rational& value() const { return m_value; }
  const std::string& text() const { return m_text; }
  // The value and 1 minus it, each within a unit in the last place, and log(1 - DCFP)
  // (minus infinity for a DCFP of 1), so that a DCFP of 1 - 1e-400 is still told from 1.
  double approx() const { return m_approx; }
  double complementApprox() const { return m_complement; }
  double logComplement() const { return m_logComplement; }

 private:
  boost::multiprecision::cpp_rational m_value;
  std::string m_text;
  double m_approx = 0.0;
  double m_complement = 1.0;
  double m_logComplement = 0.0;
};

}  // namespace velmora::analysis
