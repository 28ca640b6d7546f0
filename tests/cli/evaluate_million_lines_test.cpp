// SPDX-License-Identifier: GPL-3.0-or-later
// velmora-cli evaluate on a file of a million lines, written at test time: it completes, in
// memory that stays well below a copy per line, with every well's verdict where the data put
// it. How fast is the benchmark's to say (bench/evaluate_bench.cpp), not this test's.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#if defined(__linux__)
#include <sys/resource.h>
#endif

#include "velmora/cli/evaluate_command.h"
#include "velmora/cli/problem.h"

namespace velmora::cli {
namespace {

// 4 constituents of 250,000 lines: 50 background wells and 75 compliance wells of 2,000
// events each. Numbers as events for two constituents, dates for the other two.
constexpr int kConstituents = 4;
constexpr int kBackgroundWells = 50;
constexpr int kComplianceWells = 75;
constexpr int kEvents = 2000;

std::string event(int constituent, int index) {
  if (constituent % 2 == 0) return std::to_string(index + 1);
  // Dates within 2000-2005 without a calendar: 12 months of 28 days are always valid.
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", 2000 + index / 336, index / 28 % 12 + 1, index % 28 + 1);
  return text;
}

// The background: the largest value 9.9 once, a third non-detects "<0.5", the rest below 5;
// so rank 1's limit is 9.9. The compliance wells: 1.0 throughout (a pass on the first
// value), 20 throughout (1-of-2 fails on the first two), or "<20", a non-detect whose
// reporting limit lies above the limit (undetermined at once).
std::string writeFile() {
  const std::string path = testing::TempDir() + "velmora_evaluate_million_lines.csv";
  std::ofstream file(path, std::ios::binary);
  file << "constituent,well,role,event,value\n";
  for (int c = 0; c < kConstituents; ++c) {
    const std::string constituent = "c" + std::to_string(c);
    for (int w = 0; w < kBackgroundWells; ++w) {
      for (int e = 0; e < kEvents; ++e) {
        const int k = w * kEvents + e;
        const std::string value = k == 0 ? "9.9" : k % 3 == 0 ? "<0.5" : std::to_string(k % 5) + "." + std::to_string(k % 10);
        file << constituent << ",BG-" << w << ",background," << event(c, e) << "," << value << "\n";
      }
    }
    for (int w = 0; w < kComplianceWells; ++w) {
      const char* value = w % 2 == 0 ? "1.0" : w % 4 == 1 ? "20" : "<20";
      for (int e = 0; e < kEvents; ++e) {
        file << constituent << ",CW-" << w << ",compliance," << event(c, e) << "," << value << "\n";
      }
    }
  }
  return path;
}

TEST(CliEvaluateMillionLines, CompletesInBoundedMemoryWithEveryVerdictWhereTheDataPutIt) {
  const std::string path = writeFile();
  EvaluateOptions options;
  options.data = path;
  options.rule = "1-of-2";
  options.rank = "1";
  options.format = OutputFormat::csv;
  std::ostringstream out;
  std::ostringstream err;
  const int status = runEvaluate(options, out, err);
  std::remove(path.c_str());
  EXPECT_EQ(status, kExitWellFails) << err.str();

  std::map<std::string, int> verdicts;
  std::istringstream lines(out.str());
  std::string line;
  std::getline(lines, line);  // the header
  int rows = 0;
  for (; std::getline(lines, line); ++rows) {
    // constituent,unit,rule,rank,n,limit,limit_is_reporting_limit,well,verdict,...
    EXPECT_EQ(line.find(",,1-of-2,1,100000,9.9,false,CW-"), 2U) << line;
    std::size_t field = 0;
    for (int comma = 0; comma < 8; ++comma) field = line.find(',', field) + 1;
    ++verdicts[line.substr(field, line.find(',', field) - field)];
  }
  EXPECT_EQ(rows, kConstituents * kComplianceWells);
  EXPECT_EQ(verdicts["pass"], kConstituents * 38);
  EXPECT_EQ(verdicts["fail"], kConstituents * 19);
  EXPECT_EQ(verdicts["undetermined"], kConstituents * 18);

#if defined(__linux__) && !defined(__SANITIZE_ADDRESS__)
  // The values held, not the file: a million values in far less than a gigabyte (the file
  // itself is about 30 MB). The sanitizers' allocator keeps its own books, so not there.
  rusage usage{};
  ASSERT_EQ(getrusage(RUSAGE_SELF, &usage), 0);
  EXPECT_LT(usage.ru_maxrss, 1024L * 1024L) << "peak resident set, in KiB";
#endif
}

}  // namespace
}  // namespace velmora::cli
