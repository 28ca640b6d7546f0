// SPDX-License-Identifier: GPL-3.0-or-later
// Replays the inputs of a fuzz target without libFuzzer: every file named on the command
// line, or every file in a folder named there, goes once through LLVMFuzzerTestOneInput.
// With this the committed seed corpora, and the inputs of crashes found and fixed, run
// as ordinary tests in every build (compiled with the project's own compiler and, in the
// sanitized build, under its sanitizers). A violated invariant aborts the run.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

int replay(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", file.c_str());
    return 1;
  }
  const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  int failures = 0;
  int replayed = 0;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path path(argv[i]);
    if (std::filesystem::is_directory(path)) {
      for (const auto& entry : std::filesystem::directory_iterator(path)) {
        if (!entry.is_regular_file()) continue;
        failures += replay(entry.path());
        ++replayed;
      }
    } else {
      failures += replay(path);
      ++replayed;
    }
  }
  std::printf("%d inputs replayed\n", replayed);
  return failures == 0 && replayed > 0 ? 0 : 1;
}
