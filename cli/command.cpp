// velmora-cli as a whole: arguments in, records out, an exit status back.
#include "command.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <memory>

#include "arguments.h"
#include "batch.h"
#include "case_result.h"
#include "csv_reader.h"
#include "subcommands.h"
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

}  // namespace

int runCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err) {
  if (!args.empty() && args[0] == "design") return runDesign({args.begin() + 1, args.end()}, out, err);
  if (!args.empty() && args[0] == "plan") return runPlan({args.begin() + 1, args.end()}, out, err);
  const ParsedArguments parsed = parseArguments(args);
  switch (parsed.action) {
    case ParsedArguments::Action::help:
      out << usageText() << std::flush;
      return out ? kExitOk : kExitIoError;
    case ParsedArguments::Action::version:
      out << versionText() << std::flush;
      return out ? kExitOk : kExitIoError;
    case ParsedArguments::Action::usageError:
      err << "velmora-cli: " << parsed.error << "\nTry 'velmora-cli --help' for more information.\n";
      return kExitUsage;
    case ParsedArguments::Action::run:
      break;
  }
  const Options& options = parsed.options;

  int status = kExitOk;
  if (options.batch) {
    std::ifstream file;
    std::istream* source = &in;
    const std::string& name = *options.batch;
    if (name != "-") {
      file.open(name, std::ios::binary);
      if (!file) {
        err << "velmora-cli: cannot open batch file '" << name << "': " << std::strerror(errno) << "\n";
        return kExitUsage;
      }
      source = &file;
    }
    // A file that opens but cannot be read (a directory, say) fails on its first read.
    source->peek();
    if (source->bad()) {
      err << "velmora-cli: cannot read batch file '" << name << "'\n";
      return kExitUsage;
    }
    const std::unique_ptr<RecordWriter> writer = makeRecordWriter(options.format, out, err, options.audit);
    status = runBatch(*source, *writer, options.audit);
    if (source->bad()) {
      err << "velmora-cli: reading batch file '" << name << "' failed part-way\n";
      return kExitIoError;
    }
  } else {
    InputTexts texts;
    texts.txtAL = *options.dcfp;
    texts.txtN = *options.n;
    texts.txtR = *options.r;
    // Without --j the rank box holds the n text, as leaving the n box would set it.
    texts.txtMDET = options.j ? *options.j : *options.n;
    Calculation calculation;
    const CaseResult result = computeCase(calculation, texts, options.audit);
    makeRecordWriter(options.format, out, err, options.audit)->writeCase(result, 0);
    if (!result.outcome.accepted()) status = kExitRefused;
  }

  out.flush();
  if (!out) {
    err << "velmora-cli: cannot write the output\n";
    return kExitIoError;
  }
  return status;
}

}  // namespace velmora::cli
