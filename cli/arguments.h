#pragma once
// The command line of velmora-cli.

#include <optional>
#include <string>
#include <vector>

#include "writers.h"

namespace velmora::cli {

struct Options {
  std::optional<std::string> dcfp;
  std::optional<std::string> n;
  std::optional<std::string> r;
  std::optional<std::string> j;
  std::optional<std::string> batch;  // a file name, or "-" for standard input
  OutputFormat format = OutputFormat::text;
  bool audit = false;  // --audit: the exact audit of every accepted case
};

struct ParsedArguments {
  enum class Action { run, help, version, usageError };
  Action action = Action::run;
  Options options;
  std::string error;  // for Action::usageError
};

// Reads the arguments after the program name. An option's value is the next argument,
// whatever it holds (so "--r -3" passes the text -3 on to the checks), or follows an
// equals sign in the same argument ("--n= 20 "). --help and --version end the reading.
ParsedArguments parseArguments(const std::vector<std::string>& args);

std::string usageText();
std::string versionText();  // "velmora-cli <version>" with its line end

}  // namespace velmora::cli
