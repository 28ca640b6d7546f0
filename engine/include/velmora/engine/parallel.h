// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one way the program runs work in parallel.
//
// (For now one after another: the process-wide pool that takes its place keeps this call.)

#include <cstddef>

namespace velmora {

// Calls work(i) for every i below count and returns when every call has returned. `limit`
// caps how many calls run at once (0: as many as the processor has cores). work(i) must
// touch only what belongs to its index.
template <class Work>
void parallelFor(std::size_t count, Work&& work, int limit = 0) {
  (void)limit;
  for (std::size_t i = 0; i < count; ++i) work(i);
}

}  // namespace velmora
