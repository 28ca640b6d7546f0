// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Named rows for parameterised tests. A row type derives from NamedRow and gives each row
// a name of letters, digits and underscores as its first field:
//
//   struct Case : testsupport::NamedRow { const char* text; double value; };
//   INSTANTIATE_TEST_SUITE_P(Texts, NumericValue, ::testing::Values(Case{"Decimal", "0.5", 0.5}),
//                            testsupport::RowName());
//
// The test is then listed and run as Texts/NumericValue.Test/Decimal, and a failure prints
// the row's name instead of its bytes.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace velmora::testsupport {

struct NamedRow {
  const char* name;
};

// GoogleTest prints a parameter with operator<< where there is one (found here through the
// row's base class).
inline std::ostream& operator<<(std::ostream& out, const NamedRow& row) { return out << row.name; }

// The name generator of INSTANTIATE_TEST_SUITE_P.
struct RowName {
  template <class Row>
  std::string operator()(const ::testing::TestParamInfo<Row>& info) const {
    return info.param.name;
  }
};

}  // namespace velmora::testsupport
