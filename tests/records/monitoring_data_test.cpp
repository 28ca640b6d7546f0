// SPDX-License-Identifier: GPL-3.0-or-later
// Monitoring data files: the columns as any spreadsheet writes them, and every refusal at
// the line that causes it.
#include "velmora/records/monitoring_data.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velmora::records {
namespace {

constexpr const char* kHeader = "well,role,event,value\n";

TEST(MonitoringData, ColumnsInAnyOrderAndCaseWithBomCrlfAndExtraColumns) {
  const Expected<MonitoringData> data = parseMonitoringData(
      "\xEF\xBB\xBF Value ,Lab,WELL,Event,Role\r\n"
      "\" 2e-1 \",x,BG-1,2021-03-04,Background\r\n"
      "ND< 0.2,x,BG-1,2021-01-10,background\r\n"
      ",,,,\r\n"  // a spreadsheet's empty line
      "<.2,x,CW-1,2021-03-04,COMPLIANCE\r\n");
  ASSERT_TRUE(data.has_value()) << data.error().lines.front();
  ASSERT_EQ(data->constituents.size(), 1u);
  const analysis::ConstituentData& c = data->constituents[0];
  EXPECT_FALSE(data->hasConstituentColumn);
  ASSERT_EQ(c.background.size(), 1u);
  ASSERT_EQ(c.background[0].values.size(), 2u);
  // In event order, not file order; each text as written, blanks around it aside.
  EXPECT_EQ(c.background[0].values[0].text, "ND< 0.2");
  EXPECT_TRUE(c.background[0].values[0].nonDetect);
  EXPECT_EQ(c.background[0].values[0].line, 3u);
  EXPECT_EQ(c.background[0].values[1].text, "2e-1");
  EXPECT_EQ(c.background[0].values[1].value, c.background[0].values[0].value);
  EXPECT_EQ(analysis::eventText(c.background[0].values[1].event), "2021-03-04");
  ASSERT_EQ(c.compliance.size(), 1u);
  EXPECT_EQ(c.compliance[0].well, "CW-1");
}

TEST(MonitoringData, ConstituentsKeepTheirOwnBackgroundAndUnit) {
  const Expected<MonitoringData> data = parseMonitoringData(
      "constituent,unit,well,role,event,value\n"
      "mercury,ppb,BG-1,background,1,0.2\n"
      "lead,mg/L,BG-1,background,1,3\n"
      "mercury,ppb,CW-1,compliance,1,0.1\n");
  ASSERT_TRUE(data.has_value());
  ASSERT_EQ(data->constituents.size(), 2u);
  EXPECT_EQ(data->constituents[0].name, "mercury");
  EXPECT_EQ(data->constituents[0].unit, "ppb");
  EXPECT_EQ(data->constituents[1].unit, "mg/L");
  EXPECT_TRUE(data->constituents[1].compliance.empty());
}

// Every line that cannot be used is refused at its own line, with why.
TEST(MonitoringData, EveryRefusalNamesItsLine) {
  struct Case {
    std::string lines;  // after the header and one good line (line 2)
    std::size_t line;
    std::string why;
  };
  const std::vector<Case> cases = {
      {"CW-1,compliance,1,<\n", 3, "has no reporting limit"},
      {"CW-1,compliance,1,ND\n", 3, "has no reporting limit"},
      {"CW-1,compliance,1,ND<-1\n", 3, "is negative"},
      {"CW-1,compliance,1,<0.00\n", 3, "is 0"},
      {"CW-1,compliance,1,-0.5\n", 3, "is negative"},
      {"CW-1,compliance,1,NaN\n", 3, "is not a decimal number"},
      {"CW-1,compliance,1,inf\n", 3, "is not a decimal number"},
      {"CW-1,compliance,1,0x1p3\n", 3, "is not a decimal number"},
      {"CW-1,compliance,1,\n", 3, "the value is empty"},
      {"CW-1,compliance,1,1e1000000000\n", 3, "beyond the range"},
      {"CW-1,compliance,1,1e99999999999999999999\n", 3, "beyond the range"},
      {"CW-1,compliance,1,0.12345678901234567891\n", 3, "more than 19 significant digits"},
      {"CW-1,upgradient,1,0.1\n", 3, "neither background nor compliance"},
      {"CW-1,compliance,2021-02-29,0.1\n", 3, "not a date of the calendar"},
      {"CW-1,compliance,1.5,0.1\n", 3, "neither a whole number nor a date"},
      {"CW-1,compliance,1234567890123456789,0.1\n", 3, "too large"},
      {"CW-1,compliance,1\n", 3, "it has 3 fields where the header has 4"},
      {"CW-1,compliance,1,\"0.1\"x\n", 3, "characters follow the closing quote"},
      {",compliance,1,0.1\n", 3, "the well is empty"},
      {"CW\x1b[2J,compliance,1,0.1\n", 3, "control character"},
      {"CW-\xff,compliance,1,0.1\n", 3, "not UTF-8"},
      // Conflicts between lines: named at the later line, with the earlier one.
      {"CW-1,compliance,1,0.1\nBG-1,background,1,0.3\n", 4, "a second value of well \"BG-1\" at event 1 (the first is on line 2)"},
      {"BG-1,compliance,2,0.1\n", 3, "is compliance here but background on line 2"},
      {"BG-1,background,2021-01-01,0.1\n", 3, "not one of the whole numbers that well \"BG-1\" takes its events as on line 2"},
  };
  for (const Case& c : cases) {
    const std::string text = std::string(kHeader) + "BG-1,background,1,0.2\n" + c.lines;
    for (const bool skip : {false, true}) {
      const Expected<MonitoringData> data = parseMonitoringData(text, {skip});
      const bool conflict = c.why.find(" line ") != std::string::npos;
      if (skip && !conflict) {
        // Skipping passes over the line and says so.
        ASSERT_TRUE(data.has_value()) << c.lines;
        ASSERT_EQ(data->skipped.size(), 1u) << c.lines;
        EXPECT_EQ(data->skipped[0].line, c.line);
        EXPECT_NE(data->skipped[0].reason.find(c.why), std::string::npos) << data->skipped[0].reason;
        continue;
      }
      ASSERT_FALSE(data.has_value()) << c.lines;
      EXPECT_EQ(data.error().kind, ProblemKind::unreadableData);
      EXPECT_EQ(data.error().line, c.line) << c.lines;
      ASSERT_EQ(data.error().lines.size(), 2u);
      const std::string& message = data.error().lines[1];
      EXPECT_EQ(message.rfind("line " + std::to_string(c.line) + ": ", 0), 0u) << message;
      EXPECT_NE(message.find(c.why), std::string::npos) << message;
    }
  }
}

TEST(MonitoringData, TheHeaderAndTheWholeDataSetAreRefused) {
  const auto why = [](const std::string& text) {
    const Expected<MonitoringData> data = parseMonitoringData(text, {true});
    std::string lines;
    if (!data) {
      for (const std::string& line : data.error().lines) lines += line + "\n";
    }
    return data ? std::string("accepted") : lines;
  };
  EXPECT_NE(why("").find("the file is empty"), std::string::npos);
  EXPECT_NE(why("well,role,value\nBG-1,background,1\n").find("line 1: the header has no column \"event\""),
            std::string::npos);
  EXPECT_NE(why("well,role,event,value,VALUE\n").find("names the column \"value\" twice (fields 4 and 5)"),
            std::string::npos);
  EXPECT_NE(why(kHeader).find("no data lines"), std::string::npos);
  EXPECT_NE(why("constituent,unit,well,role,event,value\na,ppb,BG-1,background,1,1\na,ppm,BG-1,background,2,1\n")
                .find("line 3: the unit \"ppm\" differs from \"ppb\" on line 2"),
            std::string::npos);
}

TEST(MonitoringData, ASkippedComplianceWellStaysListedWithoutValues) {
  // Its verdict is then refused rather than left out of the report unseen.
  const Expected<MonitoringData> data =
      parseMonitoringData(std::string(kHeader) + "BG-1,background,1,0.2\nCW-1,compliance,1,abc\n", {true});
  ASSERT_TRUE(data.has_value());
  ASSERT_EQ(data->constituents[0].compliance.size(), 1u);
  EXPECT_TRUE(data->constituents[0].compliance[0].values.empty());
}

TEST(MonitoringData, AFileOfBadLinesIsListedUpToTheBound) {
  std::string text = kHeader;
  for (int i = 0; i < 1500; ++i) text += "BG-1,background,1,nan\n";
  const Expected<MonitoringData> data = parseMonitoringData(text);
  ASSERT_FALSE(data.has_value());
  const std::vector<std::string>& lines = data.error().lines;
  ASSERT_EQ(lines.size(), kMaxListedLines + 2);
  EXPECT_EQ(lines.front(), "1500 lines of the data cannot be used:");
  EXPECT_EQ(lines.back(), "and 500 lines more not listed");
}

}  // namespace
}  // namespace velmora::records
