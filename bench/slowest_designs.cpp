// SPDX-License-Identifier: GPL-3.0-or-later
// Looks for the slowest designs of the accepted domain (n + 4r <= 32767), for the heavy
// benchmarks: draws designs log-uniformly (r from 1 to 8191, then n from 2 to 32767 - 4r;
// the DCFP uniform in (0, 1), log-uniform from 1e-6 to 1, 1, or within 1e-7 .. 1e-1 of 1
// with its distance from 1 log-uniform), runs each once and
// prints the slowest, by the processor time of the whole process (the walk's candidates
// run on several threads), so that other work on the machine hardly moves the order.
//
//   velmora_slowest_designs [designs=600] [seed=2006] [shown=10]
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "velmora/engine/calculation.h"

namespace {

double processSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

struct Timed {
  std::string dcfp;
  int n = 0;
  int r = 0;
  double seconds = 0.0;
};

}  // namespace

int main(int argc, char** argv) {
  const int designs = argc > 1 ? std::atoi(argv[1]) : 600;
  const unsigned seed = argc > 2 ? static_cast<unsigned>(std::atoi(argv[2])) : 2006u;
  const int shown = argc > 3 ? std::atoi(argv[3]) : 10;
  std::mt19937_64 random(seed);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  const auto logBetween = [&](int low, int high) {
    const double x = std::exp(std::log(low) + unit(random) * (std::log(high + 1.0) - std::log(low)));
    return std::clamp(static_cast<int>(x), low, high);
  };
  std::vector<Timed> timed;
  velmora::Calculation calculation;
  for (int i = 0; i < designs; ++i) {
    Timed design;
    design.r = logBetween(1, 8191);
    design.n = logBetween(2, 32767 - 4 * design.r);
    const int kind = static_cast<int>(unit(random) * 4.0);
    char text[32];
    if (kind == 3) {  // within 1e-7 .. 1e-1 of 1
      std::snprintf(text, sizeof text, "%.9f", 1.0 - std::pow(10.0, -1.0 - 6.0 * unit(random)));
    } else {
      const double dcfp = kind == 0 ? unit(random) : (kind == 1 ? std::pow(10.0, -6.0 * unit(random)) : 1.0);
      std::snprintf(text, sizeof text, "%.4g", std::max(dcfp, 1e-6));
    }
    design.dcfp = text;
    const velmora::InputTexts texts{design.dcfp, std::to_string(design.n), std::to_string(design.r), std::to_string(design.n)};
    const double before = processSeconds();
    static_cast<void>(calculation.calculate(texts));
    design.seconds = processSeconds() - before;
    timed.push_back(design);
  }
  std::sort(timed.begin(), timed.end(), [](const Timed& a, const Timed& b) { return a.seconds > b.seconds; });
  std::printf("%d designs drawn (seed %u); the slowest, by processor seconds:\n", designs, seed);
  for (int i = 0; i < std::min<int>(shown, static_cast<int>(timed.size())); ++i) {
    const Timed& d = timed[static_cast<std::size_t>(i)];
    std::printf("  DCFP %-10s n %5d r %4d  %.3f s\n", d.dcfp.c_str(), d.n, d.r, d.seconds);
  }
  return 0;
}
