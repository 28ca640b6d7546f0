// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/engine/detail/contract.h"

#include <cstdio>
#include <cstdlib>

namespace velmora {

void contractViolated(const char* condition, const char* file, int line) {
  std::fprintf(stderr, "velmora: internal error: %s does not hold (%s:%d)\n", condition, file, line);
  std::abort();
}

}  // namespace velmora
