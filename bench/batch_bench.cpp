// SPDX-License-Identifier: GPL-3.0-or-later
// A batch of 10,000 typical designs (n up to 100, r up to 100) through the built
// velmora-cli, as a script would run it: the file read, every case computed on the jobs
// asked for, the json records written (to /dev/null). Wall-clock time, since the work is
// in the child process; items per second is designs a second.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr int kDesigns = 10000;

// The batch file, written once: DCFPs of everyday programs, n from 8 to 100, r from 1 to 100.
const std::string& batchFile() {
  static const std::string kPath = [] {
    std::string name = "/tmp/velmora_bench_batch_" + std::to_string(getpid()) + ".csv";
    std::ofstream file(name, std::ios::binary);
    std::mt19937 random(20061);
    const char* dcfps[] = {"0.01", "0.025", "0.05", "0.1", "0.2", "0.05", "0.1"};
    std::uniform_int_distribution<int> n(8, 100);
    std::uniform_int_distribution<int> r(1, 100);
    std::uniform_int_distribution<int> dcfp(0, 6);
    for (int i = 0; i < kDesigns; ++i) file << dcfps[dcfp(random)] << ',' << n(random) << ',' << r(random) << '\n';
    return name;
  }();
  return kPath;
}

int runCli(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(VELMORA_CLI_PATH));
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, VELMORA_CLI_PATH, &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void BM_CliBatchOfTypicalDesigns(benchmark::State& state) {
  std::vector<std::string> args = {"--batch", batchFile(), "--format", "json"};
  if (state.range(0) > 0) {
    args.push_back("--jobs");
    args.push_back(std::to_string(state.range(0)));
  }
  for (auto _ : state) {
    if (runCli(args) != 0) {
      state.SkipWithError("velmora-cli failed");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations() * kDesigns);
}
// 0: the default, one job per core.
BENCHMARK(BM_CliBatchOfTypicalDesigns)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
