// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/records/design_file.h"

#include <nlohmann/json.hpp>

#include <utility>

#include "json_values.h"

namespace velmora::records {
namespace {

tl::unexpected<Problem> notADesign(std::string why) {
  return fail(ProblemKind::refusedRequest, "not a Velmora design file: " + std::move(why));
}

// The text under `key`, which must be a string when present; `required` refuses its absence.
Expected<std::string> textField(const Json& object, const char* key, bool required) {
  const auto found = object.find(key);
  if (found == object.end()) {
    if (required) return notADesign(std::string("\"") + key + "\" is missing");
    return std::string();
  }
  if (!found->is_string()) return notADesign(std::string("\"") + key + "\" is not a text");
  return found->get<std::string>();
}

}  // namespace

std::string writeDesignFile(const DesignFile& design) {
  Json file;
  file["format"] = kDesignFileFormat;
  file["version"] = kDesignFileVersion;
  file["dcfp"] = design.inputs.txtAL;
  file["n"] = design.inputs.txtN;
  file["r"] = design.inputs.txtR;
  file["j"] = design.inputs.txtMDET;
  file["site"] = design.site;
  file["notes"] = design.notes;
  if (design.program) {
    file["program"] = Json{{"wells", design.program->wells},
                           {"constituents", design.program->constituents},
                           {"evaluations", design.program->evaluations},
                           {"swfpr", design.program->swfpr}};
  }
  // The texts come from text boxes, so they are valid UTF-8; a stray byte would still be
  // written as U+FFFD rather than make an unreadable file.
  return file.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

Expected<DesignFile> readDesignFile(std::string_view text) {
  if (text.size() > kDesignFileMaxBytes) return notADesign("the file is larger than a design can be");
  // No exceptions out of the parser: a damaged or truncated text is a value like any other.
  const Json file = Json::parse(text.begin(), text.end(), nullptr, false);
  if (file.is_discarded()) return notADesign("the text is not complete JSON (damaged or cut short)");
  if (!file.is_object()) return notADesign("the text is not a JSON object");
  const auto format = file.find("format");
  if (format == file.end() || !format->is_string() || format->get<std::string>() != kDesignFileFormat) {
    return notADesign("it does not say \"format\": \"velmora-design\"");
  }
  const auto version = file.find("version");
  if (version == file.end() || !version->is_number_integer()) return notADesign("its version is missing");
  if (version->get<long long>() != kDesignFileVersion) {
    return fail(ProblemKind::refusedRequest, "the design file is of version " + version->dump() +
                                                 ", which this Velmora cannot read (it reads version 1)");
  }

  DesignFile design;
  struct Target {
    const char* key;
    std::string* text;
    bool required;
  };
  for (const Target& target : {Target{"dcfp", &design.inputs.txtAL, true}, Target{"n", &design.inputs.txtN, true},
                               Target{"r", &design.inputs.txtR, true}, Target{"j", &design.inputs.txtMDET, true},
                               Target{"site", &design.site, false}, Target{"notes", &design.notes, false}}) {
    Expected<std::string> value = textField(file, target.key, target.required);
    if (!value) return fail(std::move(value.error()));
    *target.text = std::move(*value);
  }
  if (const auto program = file.find("program"); program != file.end() && !program->is_null()) {
    if (!program->is_object()) return notADesign("\"program\" is not an object");
    ProgramInputs inputs;
    for (const Target& target : {Target{"wells", &inputs.wells, true}, Target{"constituents", &inputs.constituents, true},
                                 Target{"evaluations", &inputs.evaluations, true},
                                 Target{"swfpr", &inputs.swfpr, false}}) {
      Expected<std::string> value = textField(*program, target.key, target.required);
      if (!value) return fail(std::move(value.error()));
      *target.text = std::move(*value);
    }
    design.program = std::move(inputs);
  }
  return design;
}

}  // namespace velmora::records
