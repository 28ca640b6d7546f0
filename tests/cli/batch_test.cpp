// SPDX-License-Identifier: GPL-3.0-or-later
// From CSV records to the cases of a batch.
#include "velmora/cli/batch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velmora::cli {
namespace {

BatchEntry classify(std::vector<std::string> fields, std::size_t line = 7, CsvError error = CsvError::none) {
  CsvRecord record;
  record.fields = std::move(fields);
  record.line = line;
  record.error = error;
  return classifyRecord(std::move(record));
}

TEST(BatchRecords, FourFieldsAreOneCaseTakenVerbatim) {
  const BatchEntry entry = classify({" 0.1", "20 ", "5", " 18 "});
  ASSERT_EQ(entry.kind, BatchEntry::Kind::computable);
  EXPECT_EQ(entry.texts.txtAL, " 0.1");
  EXPECT_EQ(entry.texts.txtN, "20 ");
  EXPECT_EQ(entry.texts.txtR, "5");
  EXPECT_EQ(entry.texts.txtMDET, " 18 ");
  EXPECT_EQ(entry.line, 7u);
}

TEST(BatchRecords, ThreeFieldsTakeJFromTheNTextUnchanged) {
  const BatchEntry entry = classify({"0.1", " 20 ", "5"});
  ASSERT_EQ(entry.kind, BatchEntry::Kind::computable);
  EXPECT_EQ(entry.texts.txtMDET, " 20 ");
}

TEST(BatchRecords, AnEmptyFourthFieldIsAnEmptyJNotTheDefault) {
  const BatchEntry entry = classify({"0.1", "20", "5", ""});
  ASSERT_EQ(entry.kind, BatchEntry::Kind::computable);
  EXPECT_EQ(entry.texts.txtMDET, "");
}

TEST(BatchRecords, LinesOfBlanksAreSkippedLikeEmptyLines) {
  EXPECT_EQ(classify({"   "}).kind, BatchEntry::Kind::blank);
  EXPECT_EQ(classify({" \t "}).kind, BatchEntry::Kind::blank);
  EXPECT_EQ(classify({""}).kind, BatchEntry::Kind::blank);  // a line holding only ""
  EXPECT_EQ(classify({"x"}).kind, BatchEntry::Kind::problem);
  EXPECT_EQ(classify({" ", " "}).kind, BatchEntry::Kind::problem);
}

TEST(BatchRecords, WrongFieldCountsNameTheLineAndTheCount) {
  for (const std::size_t count : {1u, 2u, 5u, 9u}) {
    const BatchEntry entry = classify(std::vector<std::string>(count, "1"), 12);
    ASSERT_EQ(entry.kind, BatchEntry::Kind::problem) << count;
    EXPECT_EQ(entry.problem.line, 12u);
    EXPECT_EQ(entry.problem.fields.size(), count);
    EXPECT_EQ(entry.problem.lines[0],
              "Line 12 has " + std::to_string(count) + (count == 1 ? " field." : " fields."));
    EXPECT_EQ(entry.problem.lines[1], "A case needs 3 or 4 fields: DCFP, n, r and optionally j.");
  }
}

TEST(BatchRecords, MalformedQuotingIsAProblemEvenWithFourFields) {
  for (const CsvError error : {CsvError::unterminatedQuote, CsvError::quoteInUnquotedField, CsvError::textAfterQuote}) {
    const BatchEntry entry = classify({"0.1", "20", "5", "20"}, 3, error);
    ASSERT_EQ(entry.kind, BatchEntry::Kind::problem);
    EXPECT_TRUE(entry.problem.lines[0].starts_with("Line 3 ")) << entry.problem.lines[0];
  }
}

}  // namespace
}  // namespace velmora::cli
