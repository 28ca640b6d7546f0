// SPDX-License-Identifier: GPL-3.0-or-later
// The hourglass over the program's windows for as long as a BusyPointer lives.
#pragma once

namespace velmora::platform {

class BusyPointer {
 public:
  BusyPointer();
  ~BusyPointer();
  BusyPointer(const BusyPointer&) = delete;
  BusyPointer& operator=(const BusyPointer&) = delete;

  /// True while at least one BusyPointer lives.
  static bool active();
};

}  // namespace velmora::platform
