// SPDX-License-Identifier: GPL-3.0-or-later
// JSON string literals of the json records.
#include "velmora/records/json_text.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstddef>

namespace velmora::records {

namespace {

// Length of the valid UTF-8 sequence at the start of `text`, or the negated length of
// its maximal invalid prefix (at least one byte) when it is not valid.
//
// Our own piece: nlohmann's error_handler_t::replace follows the same rule (one U+FFFD per
// maximal invalid sequence), but it writes the replacement as the raw character unless
// ensure_ascii is set, and ensure_ascii would escape every valid non-ASCII character too.
// The records have always carried valid UTF-8 as it came and the escape \ufffd for the
// rest, so this finds the invalid sequences and the library escapes everything between.
int utf8SequenceLength(std::string_view text) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  int length = 0;
  unsigned char secondLow = 0x80;
  unsigned char secondHigh = 0xbf;
  if (lead < 0x80) return 1;
  if (lead >= 0xc2 && lead <= 0xdf) {
    length = 2;
  } else if (lead >= 0xe0 && lead <= 0xef) {
    length = 3;
    if (lead == 0xe0) secondLow = 0xa0;   // no overlong forms
    if (lead == 0xed) secondHigh = 0x9f;  // no surrogates
  } else if (lead >= 0xf0 && lead <= 0xf4) {
    length = 4;
    if (lead == 0xf0) secondLow = 0x90;   // no overlong forms
    if (lead == 0xf4) secondHigh = 0x8f;  // nothing above U+10FFFF
  } else {
    return -1;
  }
  for (int i = 1; i < length; ++i) {
    if (static_cast<std::size_t>(i) >= text.size()) return -i;
    const unsigned char low = i == 1 ? secondLow : 0x80;
    const unsigned char high = i == 1 ? secondHigh : 0xbf;
    if (byte(i) < low || byte(i) > high) return -i;
  }
  return length;
}

// The escaped characters of a valid UTF-8 text, without the quotes around them.
std::string escapedValidText(std::string_view text) {
  const std::string literal = nlohmann::json(std::string(text)).dump();
  return literal.substr(1, literal.size() - 2);
}

}  // namespace

std::string jsonString(std::string_view text) {
  std::string out;
  appendJsonString(out, text);
  return out;
}

void appendJsonString(std::string& out, std::string_view text) {
  // Most texts are numbers and captions: printable ASCII with nothing to escape.
  const bool plain = std::all_of(text.begin(), text.end(),
                                 [](char c) { return c >= 0x20 && c < 0x7f && c != '"' && c != '\\'; });
  if (plain) {
    out += '"';
    out += text;
    out += '"';
    return;
  }
  out += '"';
  std::size_t validStart = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    const int length = utf8SequenceLength(text.substr(i));
    if (length > 0) {
      i += static_cast<std::size_t>(length);
      continue;
    }
    out += escapedValidText(text.substr(validStart, i - validStart)) + "\\ufffd";
    i += static_cast<std::size_t>(-length);
    validStart = i;
  }
  out += escapedValidText(text.substr(validStart)) + "\"";
}

}  // namespace velmora::records
