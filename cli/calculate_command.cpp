// SPDX-License-Identifier: GPL-3.0-or-later
// The calculation: one case from the options, or every case of a batch.
#include <cerrno>
#include <cstring>
#include <fstream>
#include <memory>

#include "batch.h"
#include "case_result.h"
#include "commands.h"
#include "csv_reader.h"
#include "writers.h"

namespace velmora::cli {

namespace {

int runBatch(std::istream& in, RecordWriter& writer, bool audit) {
  Calculation calculation;
  CsvReader reader(in);
  CsvRecord record;
  int status = kExitOk;
  while (reader.next(record)) {
    const std::size_t line = record.line;
    BatchEntry entry = classifyRecord(std::move(record));
    switch (entry.kind) {
      case BatchEntry::Kind::blank:
        break;
      case BatchEntry::Kind::problem:
        writer.writeProblem(entry.problem);
        status = kExitRefused;
        break;
      case BatchEntry::Kind::computable: {
        const CaseResult result = computeCase(calculation, entry.texts, audit);
        writer.writeCase(result, line);
        if (!result.outcome.accepted()) status = kExitRefused;
        break;
      }
    }
  }
  return status;
}

int runBatchFile(const Options& options, std::istream& in, std::ostream& out, std::ostream& err) {
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
  const int status = runBatch(*source, *writer, options.audit);
  if (source->bad()) {
    return report(err, {ProblemKind::ioFailure, {"reading batch file '" + name + "' failed part-way"}});
  }
  return status;
}

}  // namespace

int runCalculation(const Options& options, std::istream& in, std::ostream& out, std::ostream& err) {
  if (options.batch) return runBatchFile(options, in, out, err);
  InputTexts texts;
  texts.txtAL = *options.dcfp;
  texts.txtN = *options.n;
  texts.txtR = *options.r;
  // Without --j the rank box holds the n text, as leaving the n box would set it.
  texts.txtMDET = options.j ? *options.j : *options.n;
  Calculation calculation;
  const CaseResult result = computeCase(calculation, texts, options.audit);
  makeRecordWriter(options.format, out, err, options.audit)->writeCase(result, 0);
  return result.outcome.accepted() ? kExitOk : kExitRefused;
}

}  // namespace velmora::cli
