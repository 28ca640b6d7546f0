// SPDX-License-Identifier: GPL-3.0-or-later
// The calculation: one case from the options or from a design file, or every case of a batch
// (records::runCase, records::runCases); here the files are opened and the progress shown.
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>

#include "velmora/cli/case_result.h"
#include "velmora/cli/commands.h"
#include "velmora/records/design_file.h"
#include "velmora/records/tools.h"
#include "progress.h"

namespace velmora::cli {

namespace {

records::CaseRequest caseRequest(const Options& options) {
  return {options.format, options.audit, options.jobs};
}

int runBatchFile(const Options& options, std::istream& in, std::ostream& out, std::ostream& err,
                 const BatchProgress& progress) {
  std::ifstream file;
  std::istream* source = &in;
  const std::string& name = *options.batch;
  if (name != "-") {
    file.open(name, std::ios::binary);
    if (!file) {
      return report(err, {ProblemKind::refusedRequest, {"cannot open batch file '" + name + "':", std::strerror(errno)}});
    }
    source = &file;
  }
  // A file that opens but cannot be read (a directory, say) fails on its first read.
  source->peek();
  if (source->bad()) return report(err, {ProblemKind::refusedRequest, {"cannot read batch file '" + name + "'"}});
  ProgressLine progressLine(err, progress);
  return records::runCases(*source, name, caseRequest(options), out, err,
                           [&progressLine](double, const std::string& stage) {
                             progressLine.update([&stage] { return stage; });
                           });
}

// The four texts of a design file (what the window's Save Design writes). A file that
// cannot be read or is no design is data that cannot be used, as a monitoring data file is.
Expected<InputTexts> designTexts(const std::string& path) {
  const auto refused = [&path](const std::string& why) {
    return fail(ProblemKind::unreadableData, "design file '" + path + "': " + why);
  };
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) return refused("a folder, not a file");
  std::ifstream file(path, std::ios::binary);
  if (!file) return refused(std::string("cannot open it: ") + std::strerror(errno));
  // One byte more than a design can be, so that a larger file is refused without reading it whole.
  std::string text(records::kDesignFileMaxBytes + 1, '\0');
  file.read(text.data(), static_cast<std::streamsize>(text.size()));
  if (file.bad()) return refused("cannot read it");
  text.resize(static_cast<std::size_t>(file.gcount()));
  Expected<records::DesignFile> design = records::readDesignFile(text);
  if (!design) return refused(design.error().lines.front());
  return design->inputs;
}

}  // namespace

int runCalculation(const Options& options, std::istream& in, std::ostream& out, std::ostream& err,
                   const BatchProgress& progress) {
  if (options.batch) return runBatchFile(options, in, out, err, progress);
  InputTexts texts;
  if (options.design) {
    Expected<InputTexts> saved = designTexts(*options.design);
    if (!saved) return report(err, saved.error());
    texts = std::move(*saved);
  } else {
    texts = boxTexts(*options.dcfp, *options.n, *options.r, options.j);
  }
  return records::runCase(texts, caseRequest(options), out, err);
}

}  // namespace velmora::cli
