// SPDX-License-Identifier: GPL-3.0-or-later
#include "progress.h"

namespace velmora::cli {

ProgressLine::ProgressLine(std::ostream& err, const BatchProgress& progress)
    : m_err(err), m_enabled(progress.enabled), m_after(progress.after), m_start(Clock::now()) {}

ProgressLine::~ProgressLine() {
  if (m_shown) m_err << "\r\x1b[K" << std::flush;
}

void ProgressLine::show(const std::string& text) {
  // Carriage return, the text, and the rest of the line cleared (a shorter text over a longer).
  m_err << "\rvelmora-cli: " << text << "\x1b[K" << std::flush;
  m_shown = true;
}

}  // namespace velmora::cli
