// SPDX-License-Identifier: GPL-3.0-or-later
// Design files: what is saved opens again unchanged, and nothing else opens.
#include "velmora/records/design_file.h"

#include <gtest/gtest.h>

#include <string>

namespace velmora::records {
namespace {

DesignFile sample() {
  DesignFile design;
  design.inputs = {" 0.0104807", "60", "40", "60.0"};
  design.site = "Nord-Deponie \"Alte Grube\" – Brunnen 3\\4";
  design.notes = "line one\nline two\ttab";
  design.program = ProgramInputs{"20", "10", "2", ""};
  return design;
}

TEST(DesignFile, WhatIsSavedOpensAgainExactlyAsTyped) {
  const std::string text = writeDesignFile(sample());
  EXPECT_EQ(text.rfind("{\n  \"format\": \"velmora-design\",\n  \"version\": 1,\n  \"dcfp\": \" 0.0104807\",", 0), 0u)
      << text;
  const Expected<DesignFile> read = readDesignFile(text);
  ASSERT_TRUE(read.has_value()) << read.error().lines.front();
  EXPECT_EQ(*read, sample());

  DesignFile plain = sample();
  plain.program.reset();
  plain.site.clear();
  EXPECT_EQ(readDesignFile(writeDesignFile(plain)).value(), plain);
}

TEST(DesignFile, DamagedTruncatedForeignAndLaterFilesAreRefusedWithTheReason) {
  const std::string text = writeDesignFile(sample());
  const struct {
    std::string text;
    const char* reason;
  } refused[] = {
      {text.substr(0, text.size() / 2), "cut short"},
      {"", "cut short"},
      {"[1, 2]", "not a JSON object"},
      {R"({"format": "other-program", "version": 1})", "format"},
      {R"({"format": "velmora-design", "version": 2, "dcfp": "0.1", "n": "20", "r": "5", "j": "20"})", "version 2"},
      {R"({"format": "velmora-design", "version": 1, "dcfp": "0.1", "n": "20", "r": "5"})", "\"j\" is missing"},
      {R"({"format": "velmora-design", "version": 1, "dcfp": 0.1, "n": "20", "r": "5", "j": "20"})", "not a text"},
      {std::string(R"({"format": "velmora-design", "version": 1, "dcfp": ")") + "\xff" + R"(", "n": "2", "r": "1", "j": "2"})",
       "not complete JSON"},
      {std::string(kDesignFileMaxBytes + 1, ' '), "larger"},
  };
  for (const auto& [bad, reason] : refused) {
    const Expected<DesignFile> read = readDesignFile(bad);
    ASSERT_FALSE(read.has_value()) << bad.substr(0, 80);
    EXPECT_EQ(read.error().kind, ProblemKind::refusedRequest);
    EXPECT_NE(read.error().lines.front().find(reason), std::string::npos) << read.error().lines.front();
  }
}

}  // namespace
}  // namespace velmora::records
