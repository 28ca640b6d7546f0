// SPDX-License-Identifier: GPL-3.0-or-later
// Numbers as text for files and programs.
#include "number_text.h"

#include <array>
#include <charconv>

namespace velmora::cli {

std::string generalText(double value, int significantDigits) {
  // std::to_chars is printf's %g without the locale: the decimal point is always a full stop.
  std::array<char, 64> buffer{};
  const auto [end, error] =
      std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::general, significantDigits);
  return error == std::errc() ? std::string(buffer.data(), end) : std::string();
}

}  // namespace velmora::cli
