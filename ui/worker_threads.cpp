// SPDX-License-Identifier: GPL-3.0-or-later
#include "worker_threads.h"

#include <QThread>

#include <utility>

namespace velmora::ui {

WorkerThreads::~WorkerThreads() {
  for (Running& running : m_running) {
    *running.stop = true;
    running.thread->disconnect(m_owner);
  }
  for (Running& running : m_running) {
    running.thread->wait();
    delete running.thread;
  }
}

void WorkerThreads::start(std::shared_ptr<std::atomic<bool>> stop, std::function<void()> work,
                          std::function<void()> finished) {
  QThread* thread = QThread::create(std::move(work));
  m_running.push_back({thread, std::move(stop)});
  QObject::connect(thread, &QThread::finished, m_owner, [this, thread, finished = std::move(finished)] {
    std::erase_if(m_running, [thread](const Running& running) { return running.thread == thread; });
    thread->deleteLater();
    finished();
  });
  thread->start(QThread::LowPriority);
}

}  // namespace velmora::ui
