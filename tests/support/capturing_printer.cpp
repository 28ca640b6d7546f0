// SPDX-License-Identifier: GPL-3.0-or-later
#include "capturing_printer.h"

namespace velmora::platform {

bool CapturingPrinter::printImage(const QImage& image, QString* error) {
  if (onPrint) onPrint(image);
  if (!m_failure.isEmpty()) {
    if (error != nullptr) *error = m_failure;
    return false;
  }
  m_pages.append(image);
  return true;
}

}  // namespace velmora::platform
