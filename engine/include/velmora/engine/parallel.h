// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one way the program runs work in parallel: parallelFor, on one pool of threads for
// the whole process (src/parallel.cpp).
//
// The pool has one thread fewer than the processor has cores, and the thread that calls
// parallelFor works through the items too: a loop runs on at most one thread per core,
// whatever `limit` asks. A loop started inside another loop's item (a batch's case whose
// retest walk evaluates candidates side by side) takes the same pool: its caller works
// through its items and idle threads of the pool help, so nesting adds no thread. Where
// WebAssembly has no threads every loop runs in turn on its caller.

#include <cstddef>
#include <memory>
#include <type_traits>

namespace velmora {

namespace parallel {

// A loop's body, without its type: call(context, i) runs item i.
struct LoopBody {
  void (*call)(void* context, std::size_t index);
  void* context;
};

// The loop on the pool; parallelFor calls it for loops of more than one item that may
// run on more than one thread.
void runLoop(std::size_t count, LoopBody body, int limit);

}  // namespace parallel

// How many threads a loop can run on at once: the processor's cores (1 where WebAssembly
// has no threads).
[[nodiscard]] int parallelWidth();

// Calls work(i) for every i below count and returns when every call has returned. `limit`
// caps how many calls run at once (0: as many as the processor has cores; 1: one after
// another, in order, on the calling thread). work(i) must touch only what belongs to its
// index. When a call throws, no further call starts, and parallelFor throws the first
// exception once the calls under way have returned.
template <class Work>
void parallelFor(std::size_t count, Work&& work, int limit = 0) {
  if (count == 1 || limit == 1) {
    for (std::size_t i = 0; i < count; ++i) work(i);
    return;
  }
  if (count == 0) return;
  using Body = std::remove_reference_t<Work>;
  const auto call = [](void* context, std::size_t index) { (*static_cast<Body*>(context))(index); };
  parallel::runLoop(count, {call, const_cast<void*>(static_cast<const void*>(std::addressof(work)))}, limit);
}

}  // namespace velmora
