// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/platform/busy_pointer.h"

#include <QApplication>
#include <QCursor>

namespace velmora::platform {

namespace {
int liveCount = 0;
}

BusyPointer::BusyPointer() {
  ++liveCount;
  QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

BusyPointer::~BusyPointer() {
  QApplication::restoreOverrideCursor();
  --liveCount;
}

bool BusyPointer::active() { return liveCount > 0; }

}  // namespace velmora::platform
