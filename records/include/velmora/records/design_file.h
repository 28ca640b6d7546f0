// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A design kept in a file (extension .velmora): the four input texts exactly as typed, the
// site's name and notes, and the Program Design inputs when they were used. The window saves
// and opens it, velmora-cli --design reads it, the page downloads and opens it.
//
//   {
//     "format": "velmora-design",
//     "version": 1,
//     "dcfp": "0.0104807", "n": "60", "r": "40", "j": "60",
//     "site": "North Landfill", "notes": "...",
//     "program": {"wells": "20", "constituents": "10", "evaluations": "2", "swfpr": "0.1"}
//   }
//
// Reading refuses anything that is not such a file (damaged, truncated, another program's, a
// later version) with the reason, so that a caller can leave everything as it was.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "velmora/engine/inputs.h"
#include "velmora/engine/problem.h"

namespace velmora::records {

inline constexpr const char* kDesignFileFormat = "velmora-design";
inline constexpr int kDesignFileVersion = 1;
inline constexpr const char* kDesignFileExtension = ".velmora";
// A design file holds a few short texts; anything larger is not one.
inline constexpr std::size_t kDesignFileMaxBytes = 1 << 20;

// The inputs of the Program Design dialog, as typed.
struct ProgramInputs {
  std::string wells;
  std::string constituents;
  std::string evaluations;
  std::string swfpr;  // the site-wide false-positive rate; empty for the default

  friend bool operator==(const ProgramInputs&, const ProgramInputs&) = default;
};

struct DesignFile {
  InputTexts inputs;  // txtAL, txtN, txtR, txtMDET as typed
  std::string site;
  std::string notes;
  std::optional<ProgramInputs> program;

  friend bool operator==(const DesignFile&, const DesignFile&) = default;
};

// The file's text: UTF-8 JSON, keys in the order above, two blanks of indent, a final line end.
[[nodiscard]] std::string writeDesignFile(const DesignFile& design);

// The design a file's text holds; refusedRequest naming what is wrong otherwise.
[[nodiscard]] Expected<DesignFile> readDesignFile(std::string_view text);

}  // namespace velmora::records
