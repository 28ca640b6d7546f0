// SPDX-License-Identifier: GPL-3.0-or-later
// Numbers as text for files and programs.
#include "number_text.h"

#include "velmora/analysis/exact_cfp.h"

namespace velmora::records {

std::string generalText(double value, int significantDigits) {
  // A float64 is exactly a long double, so its digits are the same.
  return analysis::formatSignificant(static_cast<long double>(value), significantDigits);
}

}  // namespace velmora::records
