// SPDX-License-Identifier: GPL-3.0-or-later
// evaluate on a monitoring file of a million lines: read, checked line by line, each
// constituent's background ordered and every compliance well played (target: a few
// seconds, in memory that grows with the values held, not with their texts' copies).
//
// The file, written once: 5 constituents of 200,000 lines each, 40 background wells of
// 2,500 events and 50 compliance wells of 2,000, a third of the values non-detects; the
// events of odd constituents are dates, of even ones numbers.
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <ostream>
#include <random>
#include <streambuf>
#include <string>

#include "velmora/cli/evaluate_command.h"

namespace {

constexpr int kConstituents = 5;
constexpr int kBackgroundWells = 40;
constexpr int kBackgroundEvents = 2500;
constexpr int kComplianceWells = 50;
constexpr int kComplianceEvents = 2000;
constexpr long kLines = long{kConstituents} * (kBackgroundWells * kBackgroundEvents + kComplianceWells * kComplianceEvents);

std::string eventText(int constituent, int event) {
  if (constituent % 2 == 0) return std::to_string(event + 1);
  const std::chrono::year_month_day date{std::chrono::sys_days{std::chrono::year{2000} / 1 / 1} + std::chrono::days{event}};
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                static_cast<unsigned>(date.day()));
  return text;
}

const std::string& millionLineFile() {
  static const std::string path = [] {
    const std::string name = "/tmp/velmora_bench_monitoring_" + std::to_string(getpid()) + ".csv";
    std::ofstream file(name, std::ios::binary);
    std::mt19937 random(24);
    std::uniform_int_distribution<int> thousandths(50, 400);
    std::uniform_int_distribution<int> third(0, 2);
    file << "constituent,unit,well,role,event,value\n";
    const auto value = [&] {
      const int v = thousandths(random);
      char text[16];
      std::snprintf(text, sizeof text, third(random) == 0 ? "<0.%03d" : "0.%03d", v);
      return std::string(text);
    };
    for (int c = 0; c < kConstituents; ++c) {
      const std::string prefix = "c" + std::to_string(c) + ",mg/L,";
      for (int w = 0; w < kBackgroundWells; ++w) {
        for (int e = 0; e < kBackgroundEvents; ++e) {
          file << prefix << "BG-" << w << ",background," << eventText(c, e) << ',' << value() << '\n';
        }
      }
      for (int w = 0; w < kComplianceWells; ++w) {
        for (int e = 0; e < kComplianceEvents; ++e) {
          file << prefix << "CW-" << w << ",compliance," << eventText(c, e) << ',' << value() << '\n';
        }
      }
    }
    return name;
  }();
  return path;
}

// Output that goes nowhere, as a script's redirection to a file would cost next to nothing.
class NullBuffer : public std::streambuf {
 protected:
  int overflow(int ch) override { return ch; }
  std::streamsize xsputn(const char*, std::streamsize count) override { return count; }
};

void BM_EvaluateMillionLines(benchmark::State& state) {
  velmora::cli::EvaluateOptions options;
  options.data = millionLineFile();
  options.rule = "1-of-3";
  options.rank = "2";
  options.format = state.range(0) == 0 ? velmora::cli::OutputFormat::json : velmora::cli::OutputFormat::text;
  NullBuffer nothing;
  std::ostream out(&nothing);
  std::ostream err(&nothing);
  for (auto _ : state) {
    const int status = velmora::cli::runEvaluate(options, out, err);
    if (status != velmora::cli::kExitOk && status != velmora::cli::kExitUndecided &&
        status != velmora::cli::kExitWellFails) {
      state.SkipWithError("evaluate refused the file");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations() * kLines);
}
// 0: json, 1: the text report (every value of every well listed).
BENCHMARK(BM_EvaluateMillionLines)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
