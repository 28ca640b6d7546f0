// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The progress of a long command on standard error: once the command has run for a while
// (a second by default), one line that is written over as the work goes on and wiped when it
// ends, so that a terminal shows that the command is working and the output stays clean. Off
// unless standard error is a terminal (BatchProgress::enabled): a script's log gets no lines.

#include <chrono>
#include <mutex>
#include <ostream>
#include <string>

#include "velmora/cli/commands.h"

namespace velmora::cli {

class ProgressLine {
 public:
  ProgressLine(std::ostream& err, const BatchProgress& progress);
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;
  ~ProgressLine();

  // Shows "velmora-cli: " and what describe() returns, when the line is due: after the delay,
  // and at most five times a second. describe() is called only then, so a caller may report
  // after every step at no cost. Several threads may call it.
  template <class Describe>
  void update(Describe&& describe) {
    if (!m_enabled) return;
    const Clock::time_point now = Clock::now();
    if (now - m_start < m_after) return;
    const std::lock_guard lock(m_mutex);
    if (m_shown && now - m_lastShown < kInterval) return;
    show(describe());
    m_lastShown = now;
  }

 private:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::milliseconds kInterval{200};
  void show(const std::string& text);

  std::ostream& m_err;
  const bool m_enabled;
  const Clock::duration m_after;
  const Clock::time_point m_start;
  std::mutex m_mutex;
  bool m_shown = false;
  Clock::time_point m_lastShown;
};

}  // namespace velmora::cli
