// SPDX-License-Identifier: GPL-3.0-or-later
// The calculation: one case from the options or from a design file, or every case of a batch.
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "velmora/cli/batch.h"
#include "velmora/cli/case_result.h"
#include "velmora/cli/commands.h"
#include "velmora/records/csv_reader.h"
#include "velmora/records/design_file.h"
#include "velmora/engine/parallel.h"
#include "velmora/cli/writers.h"
#include "progress.h"

namespace velmora::cli {

namespace {

// Records are read, computed and written a block at a time: the cases of a block are
// computed on every job at once, then written in the order of their lines, so that the
// output never depends on the number of jobs and a long batch never sits in memory whole.
constexpr std::size_t kBlockSize = 512;

int runBatch(std::istream& in, RecordWriter& writer, const Options& options, std::ostream& err,
             const BatchProgress& progress) {
  ProgressLine progressLine(err, progress);
  std::atomic<std::size_t> computed{0};
  CsvReader reader(in);
  std::vector<BatchEntry> block;
  std::vector<RenderedCase> rendered;
  std::vector<char> refused;  // per case of the block (not vector<bool>: written from several jobs)
  int status = kExitOk;
  for (bool more = true; more;) {
    block.clear();
    CsvRecord record;
    while (block.size() < kBlockSize && (more = reader.next(record))) {
      BatchEntry entry = classifyRecord(std::move(record));
      if (entry.kind != BatchEntry::Kind::blank) block.push_back(std::move(entry));
    }
    // Each job computes its cases and renders their records; this thread then writes them.
    rendered.assign(block.size(), RenderedCase{});
    refused.assign(block.size(), false);
    // (--jobs caps the cases computed at once; 0, its default, is one per core.)
    parallelFor(
        block.size(),
        [&](std::size_t i) {
          if (block[i].kind != BatchEntry::Kind::computable) return;
          Calculation calculation;
          const CaseResult result = computeCase(calculation, block[i].texts, options.audit);
          rendered[i] = writer.render(result, block[i].line);
          refused[i] = !result.outcome;
          const std::size_t done = ++computed;
          progressLine.update([done] { return std::to_string(done) + (done == 1 ? " case" : " cases") + " computed"; });
        },
        options.jobs);
    for (std::size_t i = 0; i < block.size(); ++i) {
      if (block[i].kind == BatchEntry::Kind::problem) {
        writer.writeProblem(block[i].problem);
        status = kExitRefused;
        continue;
      }
      writer.write(rendered[i]);
      if (refused[i]) status = kExitRefused;
    }
    writer.flush();
  }
  return status;
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
  const std::unique_ptr<RecordWriter> writer = makeRecordWriter(options.format, out, err, options.audit);
  const int status = runBatch(*source, *writer, options, err, progress);
  if (source->bad()) {
    return report(err, {ProblemKind::ioFailure, {"reading batch file '" + name + "' failed part-way"}});
  }
  return status;
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
  Calculation calculation;
  const CaseResult result = computeCase(calculation, texts, options.audit);
  makeRecordWriter(options.format, out, err, options.audit)->writeCase(result, 0);
  return result.outcome ? kExitOk : kExitRefused;
}

}  // namespace velmora::cli
