// SPDX-License-Identifier: GPL-3.0-or-later
// The json records of the commands, laid out one a line.
#include "json_values.h"

#include <nlohmann/json.hpp>

#include "velmora/records/json_text.h"

namespace velmora::records {

namespace {

void appendJson(std::string& out, const Json& value) {
  // The layout is ours: dump() writes either no blanks at all or one item a line.
  if (value.is_object()) {
    out += '{';
    const char* separator = "";
    for (const auto& [key, item] : value.items()) {
      out += separator;
      records::appendJsonString(out, key);
      out += ": ";
      appendJson(out, item);
      separator = ", ";
    }
    out += '}';
  } else if (value.is_array()) {
    out += '[';
    const char* separator = "";
    for (const Json& item : value) {
      out += separator;
      appendJson(out, item);
      separator = ", ";
    }
    out += ']';
  } else if (value.is_string()) {
    records::appendJsonString(out, value.get_ref<const std::string&>());
  } else {
    out += value.dump();  // numbers, true, false, null
  }
}

}  // namespace

std::string jsonText(const Json& value) {
  std::string out;
  appendJson(out, value);
  return out;
}

Json inputsRecord(const InputTexts& texts) {
  return Json::object({{"dcfp", texts.txtAL}, {"n", texts.txtN}, {"r", texts.txtR}, {"j", texts.txtMDET}});
}

}  // namespace velmora::records
