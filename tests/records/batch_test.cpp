// SPDX-License-Identifier: GPL-3.0-or-later
// The batch line rules of the records library: the header line.
#include "velmora/records/batch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velmora::records {
namespace {

std::vector<BatchEntry::Kind> kinds(std::string_view csv) {
  std::vector<BatchEntry::Kind> out;
  for (CsvRecord& record : parseCsv(csv)) out.push_back(classifyRecord(std::move(record)).kind);
  return out;
}

using Kind = BatchEntry::Kind;

// Only a first line that names the columns is a header; the same words further down, or a
// first line that only looks like one, are cases the calculator refuses with their line.
TEST(BatchHeader, OnlyTheFirstLineNamingTheColumnsIsSkipped) {
  EXPECT_EQ(kinds("DCFP,n,r\n0.1,20,5\n"), (std::vector{Kind::blank, Kind::computable}));
  EXPECT_EQ(kinds("\xEF\xBB\xBF dcfp , N ,R,j\r\n0.1,20,5\n"), (std::vector{Kind::blank, Kind::computable}));
  EXPECT_EQ(kinds("0.1,20,5\ndcfp,n,r\n"), (std::vector{Kind::computable, Kind::computable}));
  EXPECT_EQ(kinds("dcfp,n,r,k\n"), (std::vector{Kind::computable}));
  EXPECT_EQ(kinds("dcfp,n,r,j,x\n"), (std::vector{Kind::problem}));
}

}  // namespace
}  // namespace velmora::records
