// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class QObject;
class QThread;

namespace velmora::ui {

/// The threads a window runs its long work on. Each runs at low priority and tells its owner
/// when it ends, on the owner's thread; a newer request leaves an older thread to end on its
/// own. None may outlive its owner: when the owner goes, every thread still running is told
/// to stop, no longer reports, and is waited for.
class WorkerThreads {
 public:
  explicit WorkerThreads(QObject* owner) : m_owner(owner) {}
  WorkerThreads(const WorkerThreads&) = delete;
  WorkerThreads& operator=(const WorkerThreads&) = delete;
  ~WorkerThreads();

  /// Runs `work` on a thread of its own; `finished` runs on the owner's thread after it ends.
  /// `stop` is the flag the work watches, set when the owner goes.
  void start(std::shared_ptr<std::atomic<bool>> stop, std::function<void()> work, std::function<void()> finished);

 private:
  struct Running {
    QThread* thread;
    std::shared_ptr<std::atomic<bool>> stop;
  };
  QObject* m_owner;
  std::vector<Running> m_running;  // every thread still running, current or left unused
};

}  // namespace velmora::ui
