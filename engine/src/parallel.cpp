// SPDX-License-Identifier: GPL-3.0-or-later
// The pool behind parallelFor.
//
// Why a pool of its own rather than oneTBB: the loops the program runs are few and their
// items long (a batch's cases, a walk's candidates, a curve's ranks), so a list of loops
// behind one mutex, a condition variable and an atomic counter per loop do it; the
// ThreadSanitizer build must see the pool's hand-over of every item, and Debian's libtbb is
// not built with ThreadSanitizer, so a race in the calculation could not be told from the
// library's own synchronisation; and the WebAssembly build, which has no threads, has no
// oneTBB either.
//
// How a loop runs. Its caller puts it on the pool's list and works through its items,
// taking the next index from the loop's counter; threads of the pool that are idle join it
// (up to the loop's limit, the caller counted) and do the same. When no index is left the
// caller takes the loop off the list and waits for the threads still on an item of it.
// Every loop has a depth: 1 when started outside any loop, one more than the loop whose
// item starts it otherwise. A caller that waits helps loops deeper than its own meanwhile
// (a batch's caller helps the walks of the cases still running), never one as shallow or
// shallower (it would start another case in the middle of its own), and an idle thread of
// the pool joins the deepest loop there is, so that the work already begun ends first.
// No thread ever waits for a loop that nobody works on: a loop's caller works on it until
// it has no items left, and then waits only for items under way.
#include "velmora/engine/parallel.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace velmora {
namespace {

// WebAssembly built without its threads option has no threads to start: there every loop
// runs in turn on its caller.
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
constexpr bool kThreads = false;
#else
constexpr bool kThreads = true;
#endif

int coreCount() {
  if (!kThreads) return 1;
  static const int kCores = [] {
    const unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1 : static_cast<int>(cores);
  }();
  return kCores;
}

struct Loop {
  std::size_t count = 0;
  parallel::LoopBody body{};
  int limit = 1;  // threads on it at once, its caller counted
  int depth = 1;
  std::atomic<std::size_t> next{0};
  // Guarded by the pool's mutex.
  int helpers = 0;
  std::exception_ptr failure;
};

// The depth of the loop whose item this thread runs (0 outside any).
thread_local int threadDepth = 0;

class Pool {
 public:
  static Pool& instance() {
    static Pool pool(coreCount() - 1);
    return pool;
  }

  Pool(const Pool&) = delete;
  Pool& operator=(const Pool&) = delete;

  void run(Loop& loop) {
    {
      const std::lock_guard lock(m_mutex);
      m_loops.push_back(&loop);
    }
    m_changed.notify_all();
    work(loop);
    std::unique_lock lock(m_mutex);
    remove(loop);
    while (loop.helpers > 0) {
      if (Loop* other = joinable(loop.depth)) {
        help(*other, lock);
      } else {
        m_changed.wait(lock);
      }
    }
    if (loop.failure) std::rethrow_exception(loop.failure);
  }

 private:
  explicit Pool(int threads) {
    for (int i = 0; i < threads; ++i) m_threads.emplace_back([this] { serve(); });
  }

  ~Pool() {
    {
      const std::lock_guard lock(m_mutex);
      m_stopping = true;
    }
    m_changed.notify_all();
    for (std::thread& thread : m_threads) thread.join();
  }

  // A thread of the pool: joins loops until the pool stops.
  void serve() {
    std::unique_lock lock(m_mutex);
    while (!m_stopping) {
      if (Loop* loop = joinable(0)) {
        help(*loop, lock);
      } else {
        m_changed.wait(lock);
      }
    }
  }

  // Works on `loop` beside its caller (the lock is held on entry and on return).
  void help(Loop& loop, std::unique_lock<std::mutex>& lock) {
    ++loop.helpers;
    lock.unlock();
    work(loop);
    lock.lock();
    --loop.helpers;
    if (loop.next.load() >= loop.count) remove(loop);
    m_changed.notify_all();
  }

  // Runs items of `loop` until none is left.
  void work(Loop& loop) {
    const int outer = threadDepth;
    threadDepth = loop.depth;
    for (std::size_t i = loop.next++; i < loop.count; i = loop.next++) {
      try {
        loop.body.call(loop.body.context, i);
      } catch (...) {
        const std::lock_guard lock(m_mutex);
        if (!loop.failure) loop.failure = std::current_exception();
        loop.next = loop.count;
      }
    }
    threadDepth = outer;
  }

  // The deepest loop below `depth`'s level with an item left and room for one more thread
  // (the newest of equal depth), or none.
  Loop* joinable(int depth) {
    Loop* best = nullptr;
    for (Loop* loop : m_loops) {
      if (loop->depth <= depth || loop->next.load() >= loop->count || loop->helpers + 1 >= loop->limit) continue;
      if (best == nullptr || loop->depth >= best->depth) best = loop;
    }
    return best;
  }

  void remove(const Loop& loop) { std::erase(m_loops, &loop); }

  std::mutex m_mutex;
  // A loop was put on the list, a thread left a loop, or the pool stops.
  std::condition_variable m_changed;
  std::vector<Loop*> m_loops;
  bool m_stopping = false;
  std::vector<std::thread> m_threads;
};

}  // namespace

int parallelWidth() { return coreCount(); }

namespace parallel {

void runLoop(std::size_t count, LoopBody body, int limit) {
  const int cores = coreCount();
  const int width = limit <= 0 ? cores : std::min(limit, cores);
  if (width <= 1) {
    for (std::size_t i = 0; i < count; ++i) body.call(body.context, i);
    return;
  }
  Loop loop;
  loop.count = count;
  loop.body = body;
  loop.limit = width;
  loop.depth = threadDepth + 1;
  Pool::instance().run(loop);
}

}  // namespace parallel
}  // namespace velmora
