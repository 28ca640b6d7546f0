// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Tasks side by side on the processor's cores.

#include <algorithm>
#include <cstddef>
#include <future>
#include <thread>
#include <vector>

namespace velmora::retest {

// WebAssembly built without its threads option has no threads to start: there std::async
// starts none and its future waits for ever, so the tasks run one after another. Each task
// writes only its own results, so the order changes no value.
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
constexpr bool kThreads = false;
#else
constexpr bool kThreads = true;
#endif

// Runs task(i) for i < count, side by side on the processor's cores (the standard
// library's threads; a handful of tasks, each far longer than starting a thread).
template <class Task>
void runSideBySide(int count, const Task& task) {
  if (count <= 1 || !kThreads) {
    for (int i = 0; i < count; ++i) task(i);
    return;
  }
  std::vector<std::future<void>> others;
  others.reserve(static_cast<std::size_t>(count - 1));
  for (int i = 1; i < count; ++i) others.push_back(std::async(std::launch::async, [&task, i] { task(i); }));
  task(0);
  for (std::future<void>& other : others) other.get();
}

inline int sideBySide() {
  if (!kThreads) return 1;
  const unsigned cores = std::thread::hardware_concurrency();
  return static_cast<int>(std::clamp(cores, 1u, 4u));
}

}  // namespace velmora::retest
