// SPDX-License-Identifier: GPL-3.0-or-later
// The CSV batch reader: RFC 4180 quoting, line ends, malformed records, arbitrary bytes.
#include "velmora/records/csv_reader.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace velmora::records {
namespace {

using Fields = std::vector<std::string>;

std::vector<Fields> fieldsOf(const std::vector<CsvRecord>& records) {
  std::vector<Fields> out;
  for (const CsvRecord& record : records) out.push_back(record.fields);
  return out;
}

TEST(CsvReader, SplitsPlainFieldsAtCommasAndKeepsBlanks) {
  const auto records = parseCsv(" 0.05 ,20,\t5 ,20");
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].fields, (Fields{" 0.05 ", "20", "\t5 ", "20"}));
  EXPECT_EQ(records[0].error, CsvError::none);
  EXPECT_EQ(records[0].line, 1u);
}

TEST(CsvReader, QuotedFieldsHoldCommasBlanksAndDoubledQuotes) {
  const auto records = parseCsv(R"("0,05"," 20 ","a""b""","","""")" "\n");
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].fields, (Fields{"0,05", " 20 ", "a\"b\"", "", "\""}));
}

TEST(CsvReader, EmptyFieldsAtEitherEndAreFields) {
  EXPECT_EQ(fieldsOf(parseCsv(",,,\n0.05,20,5,\n")),
            (std::vector<Fields>{{"", "", "", ""}, {"0.05", "20", "5", ""}}));
}

TEST(CsvReader, LfCrlfAndLoneCrEndRecords) {
  const auto records = parseCsv("a,b\r\nc,d\ne,f\rg,h");
  EXPECT_EQ(fieldsOf(records), (std::vector<Fields>{{"a", "b"}, {"c", "d"}, {"e", "f"}, {"g", "h"}}));
  ASSERT_EQ(records.size(), 4u);
  EXPECT_EQ(records[3].line, 4u);
}

TEST(CsvReader, QuotedLineBreaksStayInTheFieldAndCountAsLines) {
  const auto records = parseCsv("\"0.\r\n05\",\"2\n0\",5\r\nx,y\n");
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].fields, (Fields{"0.\r\n05", "2\n0", "5"}));
  EXPECT_EQ(records[0].line, 1u);
  EXPECT_EQ(records[1].fields, (Fields{"x", "y"}));
  EXPECT_EQ(records[1].line, 4u);
}

TEST(CsvReader, EmptyLinesAreSkippedButCounted) {
  const auto records = parseCsv("\n\r\na,b\n\n\r\n\rc,d\n\n");
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].line, 3u);
  EXPECT_EQ(records[1].line, 7u);
}

TEST(CsvReader, EmptyInputHasNoRecords) {
  EXPECT_TRUE(parseCsv("").empty());
  EXPECT_TRUE(parseCsv("\n\r\n\r").empty());
}

TEST(CsvReader, ThreeAndFiveFieldLinesAreReadAsTheyAre) {
  // Deciding what a field count means is the batch's business, not the reader's.
  EXPECT_EQ(fieldsOf(parseCsv("0.1,20,5\n0.1,20,5,20,9\n")),
            (std::vector<Fields>{{"0.1", "20", "5"}, {"0.1", "20", "5", "20", "9"}}));
}

TEST(CsvReader, UnterminatedQuoteIsReportedAtItsStartLine) {
  const auto records = parseCsv("a,b\n0.1,\"20,5\nc,d\n");
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].error, CsvError::none);
  EXPECT_EQ(records[1].error, CsvError::unterminatedQuote);
  EXPECT_EQ(records[1].line, 2u);
  EXPECT_EQ(records[1].fields, (Fields{"0.1", "20,5\nc,d\n"}));
}

TEST(CsvReader, QuoteInsideUnquotedFieldSpoilsOnlyItsLine) {
  const auto records = parseCsv("0.1,2\"0,\"5\n0.1,20,5\n");
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].error, CsvError::quoteInUnquotedField);
  // The quote on the bad line opens nothing: the next line is read normally.
  EXPECT_EQ(records[1].error, CsvError::none);
  EXPECT_EQ(records[1].fields, (Fields{"0.1", "20", "5"}));
  EXPECT_EQ(records[1].line, 2u);
}

TEST(CsvReader, TextAfterClosingQuoteSpoilsOnlyItsLine) {
  const auto records = parseCsv("\"0.1\"x,20,5\r\n0.1,20,5\r\n");
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].error, CsvError::textAfterQuote);
  EXPECT_EQ(records[1].error, CsvError::none);
  EXPECT_EQ(records[1].line, 2u);
  EXPECT_NE(std::string(csvErrorText(CsvError::textAfterQuote)), "");
}

TEST(CsvReader, DropsOnlyAWholeByteOrderMarkAtTheStart) {
  EXPECT_EQ(fieldsOf(parseCsv("\xEF\xBB\xBF" "0.1,20,5")), (std::vector<Fields>{{"0.1", "20", "5"}}));
  // A part of a mark, or a mark further on, is ordinary input.
  EXPECT_EQ(fieldsOf(parseCsv("\xEF\xBB" "0.1,20")), (std::vector<Fields>{{"\xEF\xBB" "0.1", "20"}}));
  EXPECT_EQ(fieldsOf(parseCsv("\xEF")), (std::vector<Fields>{{"\xEF"}}));
  EXPECT_EQ(fieldsOf(parseCsv("a\n\xEF\xBB\xBF" "b")), (std::vector<Fields>{{"a"}, {"\xEF\xBB\xBF" "b"}}));
}

TEST(CsvReader, KeepsNulAndHighBytes) {
  const std::string text("a\0b,\xff\n", 6);
  const auto records = parseCsv(text);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].fields, (Fields{std::string("a\0b", 3), "\xff"}));
}

TEST(CsvReader, StreamReaderGivesRecordsOneAtATimeAndStaysAtTheEnd) {
  std::istringstream in("a,b\nc\n");
  CsvReader reader(in);
  CsvRecord record;
  ASSERT_TRUE(reader.next(record));
  EXPECT_EQ(record.fields, (Fields{"a", "b"}));
  ASSERT_TRUE(reader.next(record));
  EXPECT_EQ(record.fields, (Fields{"c"}));
  EXPECT_FALSE(reader.next(record));
  EXPECT_FALSE(reader.next(record));
}

// Random texts built from the characters that steer the reader: every one must be read
// to the end, with no more field bytes than input bytes and lines in order.
TEST(CsvReader, ArbitraryBytesAreReadToTheEnd) {
  const std::string alphabet("\",\r\n a\0\xEF\xBB\xBF\xff", 12);
  std::mt19937 random(20240501u);
  for (int round = 0; round < 3000; ++round) {
    std::string text(random() % 40, ' ');
    for (char& c : text) c = alphabet[random() % alphabet.size()];
    const auto records = parseCsv(text);
    std::size_t fieldBytes = 0;
    std::size_t lastLine = 0;
    for (const CsvRecord& record : records) {
      ASSERT_FALSE(record.fields.empty());
      ASSERT_GT(record.line, lastLine);
      lastLine = record.line;
      for (const std::string& field : record.fields) fieldBytes += field.size();
    }
    ASSERT_LE(fieldBytes, text.size()) << "input: " << testing::PrintToString(text);
  }
}

}  // namespace
}  // namespace velmora::records
