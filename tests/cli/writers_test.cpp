// SPDX-License-Identifier: GPL-3.0-or-later
// The text, csv and json records of velmora-cli.
#include "velmora/cli/writers.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <sstream>
#include <string>
#include <vector>

#include "velmora/records/csv_reader.h"

namespace velmora::cli {
namespace {

CaseResult run(std::string dcfp, std::string n, std::string r, std::string j) {
  Calculation calculation;
  return computeCase(calculation, InputTexts{std::move(dcfp), std::move(n), std::move(r), std::move(j)});
}

// DCFP 0.1, n 20, r 5, j 20: ranks 1, 2, 5 and 7, the 1:1 scheme exceeded at the maximum.
const char* const kWorkedExampleJson =
    R"({"dcfp": "0.1", "n": "20", "r": "5", "j": "20", "tests": [)"
    R"({"test": "1:1", "status": "DCFP exceeded at max = 1", "rating": "Good", "samples": "5", )"
    R"("percentile": "0.9750", "cfp": "0.20000", "power": ["0.524", "0.840", "0.973"]}, )"
    R"({"test": "1:2", "status": "DCFP OK at maximum = 2", "rating": "Good", "samples": "5", )"
    R"("percentile": "0.9250", "cfp": "0.06052", "power": ["0.514", "0.873", "0.986"]}, )"
    R"({"test": "1:3", "status": "DCFP OK at maximum = 5", "rating": "Good", "samples": "6", )"
    R"("percentile": "0.7750", "cfp": "0.09037", "power": ["0.706", "0.958", "0.998"]}, )"
    R"({"test": "1:4", "status": "DCFP OK at maximum = 7", "rating": "Good", "samples": "7", )"
    R"("percentile": "0.6750", "cfp": "0.08993", "power": ["0.768", "0.974", "1.000"]}]})";

TEST(JsonString, EscapesQuotesBackslashesAndControlCharacters) {
  EXPECT_EQ(jsonString(""), R"("")");
  EXPECT_EQ(jsonString("a\"b\\c/d"), R"("a\"b\\c/d")");
  EXPECT_EQ(jsonString("\b\f\n\r\t"), R"("\b\f\n\r\t")");
  EXPECT_EQ(jsonString(std::string("\0\x01\x1f\x7f", 4)), "\"\\u0000\\u0001\\u001f\x7f\"");
}

TEST(JsonString, KeepsValidUtf8AndReplacesInvalidBytes) {
  EXPECT_EQ(jsonString("\xC3\xA9 \xE2\x82\xAC \xF0\x9D\x84\x9E"), "\"\xC3\xA9 \xE2\x82\xAC \xF0\x9D\x84\x9E\"");
  EXPECT_EQ(jsonString("2\xff" "0"), R"("2\ufffd0")");
  EXPECT_EQ(jsonString("\xE2\x82"), R"("\ufffd")");             // cut short: one replacement
  EXPECT_EQ(jsonString("\xE2\x82x"), R"("\ufffdx")");
  EXPECT_EQ(jsonString("\xC0\xAF"), R"("\ufffd\ufffd")");       // overlong form
  EXPECT_EQ(jsonString("\xED\xA0\x80"), R"("\ufffd\ufffd\ufffd")");  // surrogate
  EXPECT_EQ(jsonString("\xF4\x90\x80\x80"), R"("\ufffd\ufffd\ufffd\ufffd")");  // above U+10FFFF
  EXPECT_EQ(jsonString("\x80\xBF"), R"("\ufffd\ufffd")");       // stray continuation bytes
}

TEST(JsonRecord, WorkedExampleIsExactlyTheExpectedLine) {
  EXPECT_EQ(jsonRecord(run("0.1", "20", "5", "20")), kWorkedExampleJson);
}

TEST(JsonRecord, RefusalNamesTitleLinesAndFocusBox) {
  EXPECT_EQ(jsonRecord(run("0.05", "20", "5", "2.5")),
            R"({"dcfp": "0.05", "n": "20", "r": "5", "j": "2.5", "error": {"title": "Entry Error", )"
            R"("lines": ["The inverse ranking input must be numeric,", "and an integer value greater than zero."], )"
            R"("focus": "txtN"}})");
}

TEST(JsonRecord, InputsAreEchoedEscaped) {
  const std::string record = jsonRecord(run("0.\"1", "2\n0", "\xff", "\\"));
  EXPECT_TRUE(record.starts_with(R"({"dcfp": "0.\"1", "n": "2\n0", "r": "\ufffd", "j": "\\", "error": )")) << record;
}

// The line is written directly rather than serialised from a json value: whatever the
// texts, it must still read back as JSON holding the texts and the captions.
TEST(JsonRecord, LineReadsBackAsTheCaseItWrote) {
  Calculation calculation;
  const InputTexts cases[] = {{"0.1", "20", "5", "20"},     {"0.05", "20", "5", "2.5"}, {"0.\"1", "2\n0", "\xff", "\\"},
                              {"1E-9", "2001", "1", "1446"}, {"0.99", "60", "40", "3"}, {"", "", "", ""}};
  for (const InputTexts& texts : cases) {
    for (const bool audit : {false, true}) {
      const CaseResult result = computeCase(calculation, texts, audit);
      const nlohmann::json record = nlohmann::json::parse(jsonRecord(result));
      EXPECT_EQ(record["n"], texts.txtN);
      EXPECT_EQ(record["j"], texts.txtMDET);
      ASSERT_EQ(record.contains("tests"), result.outcome.has_value()) << texts.txtAL;
      if (!result.outcome) continue;
      for (std::size_t t = 0; t < kSchemeCount; ++t) {
        const nlohmann::json& test = record["tests"][t];
        EXPECT_EQ(test["cfp"], result.outcome->captions.lblQ[t]);
        EXPECT_EQ(test["power"][2], result.outcome->captions.lblPW[3 * t + 2]);
        EXPECT_EQ(test.contains("audit"), audit);
      }
    }
  }
}

TEST(JsonRecord, BatchProblemCarriesLineFieldsAndReason) {
  BatchProblem problem{4, {"0.1", "2\"0"}, {"Line 4 has 2 fields.", "A case needs 3 or 4 fields: DCFP, n, r and optionally j."}};
  EXPECT_EQ(jsonProblemRecord(problem),
            R"({"line": 4, "fields": ["0.1", "2\"0"], "error": {"title": "Batch Error", )"
            R"("lines": ["Line 4 has 2 fields.", "A case needs 3 or 4 fields: DCFP, n, r and optionally j."]}})");
}

TEST(CsvWriter, WorkedExampleRowsCarryTheOptimalRanks) {
  EXPECT_EQ(csvHeader(),
            "dcfp,n,r,j,test,status,rank,rating,samples,ind_p,cfp,power_2sigma,power_3sigma,power_4sigma\n");
  EXPECT_EQ(csvRows(run("0.1", "20", "5", "20")),
            "0.1,20,5,20,1:1,DCFP exceeded at max = 1,1,Good,5,0.9750,0.20000,0.524,0.840,0.973\n"
            "0.1,20,5,20,1:2,DCFP OK at maximum = 2,2,Good,5,0.9250,0.06052,0.514,0.873,0.986\n"
            "0.1,20,5,20,1:3,DCFP OK at maximum = 5,5,Good,6,0.7750,0.09037,0.706,0.958,0.998\n"
            "0.1,20,5,20,1:4,DCFP OK at maximum = 7,7,Good,7,0.6750,0.08993,0.768,0.974,1.000\n");
}

TEST(CsvWriter, QuotesOnlyWhereAReaderNeedsIt) {
  EXPECT_EQ(csvField("0.05"), "0.05");
  EXPECT_EQ(csvField(""), "");
  EXPECT_EQ(csvField("DCFP OK at maximum =  1"), "DCFP OK at maximum =  1");
  EXPECT_EQ(csvField("0,05"), "\"0,05\"");
  EXPECT_EQ(csvField("a\"b"), "\"a\"\"b\"");
  EXPECT_EQ(csvField("2\r\n0"), "\"2\r\n0\"");
  EXPECT_EQ(csvField(" 20 "), "\" 20 \"");
}

TEST(CsvWriter, FieldsReadBackUnchanged) {
  const std::vector<std::string> fields = {" 20 ", "a,b", "\"", "x\r\ny", "", "\t5", "plain"};
  std::string line;
  for (const std::string& field : fields) line += (line.empty() ? "" : ",") + csvField(field);
  const auto records = parseCsv(line + "\r\n");
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].fields, fields);
}

TEST(TextGrid, ShowsInputsRowsAndCriteriaUnderTheirPowers) {
  const std::string grid = textGrid(run("0.1", " 20 ", "5", "20"));
  std::vector<std::string> lines;
  std::istringstream in(grid);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 12u) << grid;
  EXPECT_EQ(lines[0], "Design Cum. False Positive Error (DCFP): 0.1");
  EXPECT_EQ(lines[1], "Background sample size [n]:              \" 20 \"");
  EXPECT_EQ(lines[3], "Minimum allowable rank value [j]:        20");
  const std::string& header = lines[6];
  EXPECT_TRUE(header.starts_with("Test  DCFP Status @ Opt. Maximum  Power Rating  # of Samps  Ind P  ")) << header;
  EXPECT_EQ(lines[5].find("Power @"), header.find("2Sig"));
  EXPECT_TRUE(lines[7].starts_with("1:1   DCFP exceeded at max = 1    Good")) << lines[7];
  EXPECT_EQ(lines[7].find("0.9750"), header.find("Ind P"));
  EXPECT_EQ(lines[10].find("0.768"), header.find("2Sig"));
  EXPECT_EQ(lines[10].find("1.000"), header.find("4Sig"));
  const std::string& criteria = lines[11];
  EXPECT_NE(criteria.find("Tavrel Reference Criteria: "), std::string::npos);
  EXPECT_EQ(criteria.find(">= .539"), header.find("3Sig"));
  EXPECT_EQ(criteria.find(">= .814"), header.find("4Sig"));
  for (const std::string& line : lines) EXPECT_FALSE(line.ends_with(" ")) << line;
}

TEST(Messages, RefusalIsOneLineWithTheQuotedInputs) {
  EXPECT_EQ(refusalMessage(run("0", "20", "5", "2\t0"), 0),
            "velmora-cli: Entry Error: The DCFP error input must be numeric, greater than zero and less than or "
            "equal to 1. (DCFP \"0\", n \"20\", r \"5\", j \"2\\t0\")\n");
  const std::string inBatch = refusalMessage(run("", "20", "5", "\"\n\xff"), 9);
  EXPECT_TRUE(inBatch.starts_with("velmora-cli: line 9: Entry Error: You must input")) << inBatch;
  EXPECT_TRUE(inBatch.ends_with("j \"\\\"\\n\\xff\")\n")) << inBatch;
}

TEST(Messages, ProblemIsOneLine) {
  BatchProblem problem{2, {"a"}, {"Line 2 has 1 field.", "A case needs 3 or 4 fields: DCFP, n, r and optionally j."}};
  EXPECT_EQ(problemMessage(problem),
            "velmora-cli: Batch Error: Line 2 has 1 field. A case needs 3 or 4 fields: DCFP, n, r and optionally j.\n");
}

}  // namespace
}  // namespace velmora::cli
