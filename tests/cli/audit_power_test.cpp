// SPDX-License-Identifier: GPL-3.0-or-later
// velmora-cli --audit: the exact power of the chosen rank at 2, 3 and 4 standard deviations
// and the rating it earns, in each format after the audit's other fields. DCFP 0.001, n 31,
// r 2 is a case where they differ: the design rates 1:3 Acceptable (.526 at 3 sigma), its
// exact power .558 earns Good.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli_run.h"

namespace velmora::cli {
namespace {

const std::vector<std::string> kCase = {"--dcfp", "0.001", "--n", "31", "--r", "2", "--audit"};

std::vector<std::string> with(std::vector<std::string> args, const std::string& format) {
  args.insert(args.end(), {"--format", format});
  return args;
}

TEST(CliAuditPower, JsonAppendsThePowersAndTheRatingToTheAuditObject) {
  const CliRun run = cli(with(kCase, "json"));
  EXPECT_EQ(run.status, kExitOk);
  EXPECT_NE(run.out.find("\"audit\": {\"cfp_exact\": \"0.0003337944514\", \"next_rank\": 2, \"next_cfp_exact\": "
                         "\"0.001333887363\", \"margin\": \"0.0006662055486\", \"exact_rank\": 1, \"exact_exceeded\": "
                         "false, \"agrees\": true, \"power_exact\": [\"0.155242109\", \"0.5576626204\", "
                         "\"0.8872840637\"], \"rating_exact\": \"Good\"}"),
            std::string::npos)
      << run.out;
}

TEST(CliAuditPower, CsvAppendsFourColumns) {
  const CliRun run = cli(with(kCase, "csv"));
  EXPECT_EQ(run.status, kExitOk);
  EXPECT_NE(run.out.find(",exact_exceeded,agrees,power_exact_2sigma,power_exact_3sigma,power_exact_4sigma,"
                         "rating_exact\n"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("0.001,31,2,31,1:3,DCFP OK at maximum = 1,1,Acceptable,"), std::string::npos);
  EXPECT_NE(run.out.find(",1,false,true,0.155242109,0.5576626204,0.8872840637,Good\n"), std::string::npos);
}

TEST(CliAuditPower, TextAddsTwoColumnsAndNamesEachRatingThatDiffers) {
  const CliRun run = cli(kCase);
  EXPECT_EQ(run.status, kExitOk);
  EXPECT_NE(run.out.find("Exact rank    Exact power 2Sig 3Sig 4Sig              Exact rating\n"), std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("0.155242109 0.5576626204 0.8872840637   Good\n"), std::string::npos);
  EXPECT_NE(run.out.find("The exact rating of 1:3 differs: Good by the exact power, Acceptable in the design (whose "
                         "power is a normal-theory model: the difference is model error and arithmetic error "
                         "together).\n"),
            std::string::npos);
  EXPECT_EQ(run.out.find("The exact rating of 1:4"), std::string::npos);
  EXPECT_EQ(run.out.find("Every exact rating agrees"), std::string::npos);
}

}  // namespace
}  // namespace velmora::cli
