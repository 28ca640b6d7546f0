// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: the command-line batch reader on arbitrary bytes, and the whole
// "--batch -" command over the same bytes.
//
// The reader must end, keep its line numbers in order and within the input, and read
// the same records from a whole text as from a stream. The command then runs only when
// the batch is cheap: at most 20 computable records, whose accepted cases together stay
// within the work bound of the calculation target ((min(j, n) + 1) x r x r x 6 summed
// over the cases, at most 1 000 000).

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "velmora/cli/batch.h"
#include "velmora/cli/command.h"
#include "velmora/records/csv_reader.h"
#include "fuzz_common.h"

namespace {

[[noreturn]] void fail(const char* what, std::size_t line) {
  std::fprintf(stderr, "invariant violated: %s (record at line %zu)\n", what, line);
  std::abort();
}

bool sameRecords(const std::vector<velmora::records::CsvRecord>& a, const std::vector<velmora::records::CsvRecord>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].fields != b[i].fields || a[i].line != b[i].line || a[i].error != b[i].error) return false;
  }
  return true;
}

constexpr std::size_t kMaxCases = 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velmora;
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::vector<records::CsvRecord> records = records::parseCsv(text);

  // Line numbers: from 1, never falling, never beyond the line ends of the input + 1.
  std::size_t lineEnds = 0;
  for (std::size_t i = 0; i < size; ++i) {
    if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == size || text[i + 1] != '\n'))) ++lineEnds;
  }
  std::size_t previous = 1;
  std::size_t fieldBytes = 0;
  for (const records::CsvRecord& record : records) {
    if (record.line < previous || record.line > lineEnds + 1) fail("line number out of order or beyond the input", record.line);
    previous = record.line;
    if (record.fields.empty()) fail("a record without fields", record.line);
    if (record.error != cli::CsvError::none && std::string(cli::csvErrorText(record.error)).empty()) {
      fail("an error without a description", record.line);
    }
    for (const std::string& field : record.fields) fieldBytes += field.size();
  }
  if (fieldBytes > size) fail("the fields hold more bytes than the input", previous);

  std::istringstream stream(text);
  cli::CsvReader reader(stream);
  std::vector<records::CsvRecord> streamed;
  for (records::CsvRecord record; reader.next(record);) streamed.push_back(record);
  if (!sameRecords(records, streamed)) fail("the stream reader and parseCsv disagree", previous);

  // The whole command, when the batch is cheap.
  std::size_t cases = 0;
  long work = 0;
  for (const records::CsvRecord& record : records) {
    const cli::BatchEntry entry = cli::classifyRecord(record);
    if (entry.kind != cli::BatchEntry::Kind::computable) continue;
    if (++cases > kMaxCases) return 0;
    if (CheckInputs(entry.texts)) work += fuzz::workEstimate(fuzz::sizesOf(entry.texts));
    if (work > fuzz::kWorkBound) return 0;
  }
  static const char* const kFormats[] = {"text", "csv", "json"};
  const char* format = kFormats[size % 3];
  std::istringstream in(text);
  std::ostringstream out;
  std::ostringstream err;
  const int status = cli::runCommand({"--batch", "-", "--format", format}, in, out, err);
  if (status != cli::kExitOk && status != cli::kExitRefused) fail("an exit status other than 0 or 2", status);
  if (status == cli::kExitOk && !err.str().empty()) fail("a message on standard error with exit status 0", 0);
  return 0;
}
