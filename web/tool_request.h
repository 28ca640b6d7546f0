// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One exact tool for the page and velmora-cli.mjs: a tool's name and a JSON object of its
// options in, velmora-cli's exit status, standard output and standard error for the same
// request out. What each tool writes is the records library's (velmora/records/tools.h), the
// command line's own; this reads the page's form of the request.
//
//   tool     audit | calculate | curves | strategies | plan | design | evaluate |
//            design-file-read | design-file-write
//   options  {"name": "value", ...}: velmora-cli's long option without its dashes ("dcfp",
//            "n", "r", "j", "rule", "rules", "rank", "shifted", "test", "wells",
//            "constituents", "evaluations", "swfpr", "constituent", "format"), each value a
//            string as typed; a flag ("audit" of design, "skip-bad-lines") is "true" or
//            "false". Files come as their text: "batch" (audit, calculate: a CSV batch
//            instead of dcfp, n, r, j), "data" (evaluate), "text" (design-file-read), each
//            with "<name>-name" for the name the messages give it (batch-name, data-name,
//            text-name).
//   design-file-read   the fields of a .velmora file's text as a JSON object
//                      {"dcfp", "n", "r", "j", "site", "notes", "program": {"wells",
//                      "constituents", "evaluations", "swfpr"} or null}; exit 65 for a text
//                      that is no design, as velmora-cli --design refuses it
//   design-file-write  those fields (program's four at the top level, the program present
//                      when any of them is) to the bytes the window's Save Design writes

#include <string>

#include "velmora/records/tools.h"

namespace velmora::web {

struct ToolOutcome {
  int exit = 0;
  std::string output;  // standard output's bytes
  std::string error;   // standard error's bytes
};

[[nodiscard]] ToolOutcome runToolRequest(const std::string& tool, const std::string& optionsJson,
                                         const records::ToolProgress& progress = {});

}  // namespace velmora::web
