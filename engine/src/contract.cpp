// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/engine/contract.h"

#include <cstdio>
#include <cstdlib>

namespace velmora {

void ContractViolated(const char* condition, std::source_location where) {
  std::fprintf(stderr, "velmora: internal error: %s does not hold (%s:%u, %s)\n", condition,
               where.file_name(), static_cast<unsigned>(where.line()), where.function_name());
  std::abort();
}

}  // namespace velmora
