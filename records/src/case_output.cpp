// SPDX-License-Identifier: GPL-3.0-or-later
// The three output formats of velmora-cli for the calculation's cases.
#include "velmora/records/case_output.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <vector>

#include "audit_output.h"
#include "json_values.h"
#include "text_table.h"

namespace velmora::records {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

void appendHexByte(std::string& out, unsigned char byte) {
  out.push_back(kHexDigits[byte >> 4]);
  out.push_back(kHexDigits[byte & 0x0f]);
}


// An input text as the heading of the grid shows it: as typed when that reads
// unambiguously, quoted otherwise.
std::string displayText(std::string_view text) {
  const bool plain = !text.empty() && text.front() != ' ' && text.back() != ' ' &&
                     std::all_of(text.begin(), text.end(), [](char c) {
                       return c >= 0x20 && c <= 0x7e && c != '"' && c != '\\';
                     });
  return plain ? std::string(text) : quotedText(text);
}

std::string padded(std::string text, std::size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

}  // namespace

std::string csvInputFields(const InputTexts& texts) {
  return csvField(texts.txtAL) + "," + csvField(texts.txtN) + "," + csvField(texts.txtR) + "," +
         csvField(texts.txtMDET);
}

std::string jsonRecord(const CaseResult& result) {
  if (!result.audit) return records::caseRecordLine(result.texts, result.outcome);
  std::vector<std::string> audits;
  for (const analysis::SchemeAudit& scheme : result.audit->schemes) audits.push_back(jsonText(auditRecord(scheme)));
  return records::caseRecordLine(result.texts, result.outcome, audits);
}

std::string jsonProblemRecord(const BatchProblem& problem) { return records::batchProblemLine(problem); }

std::string csvField(std::string_view text) {
  const bool needsQuotes =
      text.find_first_of(",\"\r\n") != std::string_view::npos ||
      (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.back() == ' ' || text.back() == '\t'));
  if (!needsQuotes) return std::string(text);
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"') out.push_back('"');
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

std::string csvHeader(bool audit) {
  return std::string("dcfp,n,r,j,test,status,rank,rating,samples,ind_p,cfp,power_2sigma,power_3sigma,power_4sigma") +
         (audit ? std::string(",") + kCsvAuditColumns : std::string()) + "\n";
}

std::string csvRows(const CaseResult& result) {
  const InputTexts& in = result.texts;
  const ResultCaptions& c = result.outcome->captions;
  const std::string inputs = csvInputFields(in);
  std::string out;
  for (std::size_t t = 0; t < kSchemeCount; ++t) {
    const std::array<std::string, 10> cells = {
        kSchemeNames[t], c.lblCU[t], std::to_string(result.outcome->results.schemes[t].rank), c.lblPOW[t], c.lblENT[t],
        c.lblP[t],       c.lblQ[t],  c.lblPW[3 * t],                    c.lblPW[3 * t + 1], c.lblPW[3 * t + 2]};
    out += inputs;
    for (const std::string& cell : cells) out += "," + csvField(cell);
    if (result.audit) out += "," + csvAuditCells(result.audit->schemes[t]);
    out += "\n";
  }
  return out;
}

std::string textGrid(const CaseResult& result) {
  // The inputs, under the captions of the window's input boxes.
  const std::array<std::pair<const char*, const std::string*>, 4> inputs = {{
      {inputBoxCaption(InputBox::txtAL), &result.texts.txtAL},
      {inputBoxCaption(InputBox::txtN), &result.texts.txtN},
      {inputBoxCaption(InputBox::txtR), &result.texts.txtR},
      {inputBoxCaption(InputBox::txtMDET), &result.texts.txtMDET},
  }};
  std::size_t captionWidth = 0;
  for (const auto& input : inputs) captionWidth = std::max(captionWidth, std::string_view(input.first).size());
  std::string out;
  for (const auto& input : inputs) out += padded(input.first, captionWidth + 1) + displayText(*input.second) + "\n";
  out += "\n";

  // The result grid: the window's column headings, one row per scheme.
  constexpr std::size_t kFirstPower = 6;  // "Power @" stands over the three power columns
  constexpr std::size_t kPowerColumns = 3;
  constexpr std::string_view kCriteriaLabel = "Tavrel Reference Criteria: ";
  const std::array<std::string, 2> kCriteria = {">= .539", ">= .814"};  // 3 and 4 sigma
  TextTable grid({"Test", "DCFP Status @ Opt. Maximum", "Power Rating", "# of Samps", "Ind P", "Achievable CFP Error",
                  "2Sig", "3Sig", "4Sig"});
  const ResultCaptions& c = result.outcome->captions;
  for (std::size_t t = 0; t < kSchemeCount; ++t) {
    grid.addRow({kSchemeNames[t], c.lblCU[t], c.lblPOW[t], c.lblENT[t], c.lblP[t], c.lblQ[t], c.lblPW[3 * t],
                 c.lblPW[3 * t + 1], c.lblPW[3 * t + 2]});
  }
  for (std::size_t i = kFirstPower; i < kFirstPower + kPowerColumns; ++i) grid.widenColumn(i, kCriteria[0].size());
  out += std::string(grid.columnStart(kFirstPower), ' ') + "Power @\n";
  out += grid.render();

  // The reference criteria under the 3 and 4 sigma powers, the label ending before them.
  const std::size_t criteriaStart = grid.columnStart(kFirstPower + 1);
  std::string criteria(criteriaStart, ' ');
  const std::size_t labelEnd = criteriaStart - 1;
  criteria.replace(labelEnd - kCriteriaLabel.size(), kCriteriaLabel.size(), kCriteriaLabel);
  criteria += padded(kCriteria[0], grid.columnWidth(kFirstPower + 1) + TextTable::kGap) + kCriteria[1];
  out += criteria + "\n";
  if (result.audit) out += "\n" + textAudit(*result.audit, result.texts.txtAL);
  return out;
}

std::string quotedText(std::string_view text) {
  std::string out = "\"";
  for (const char ch : text) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c == '"' || c == '\\') {
      out.push_back('\\');
      out.push_back(ch);
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c < 0x20 || c >= 0x7f) {
      out += "\\x";
      appendHexByte(out, c);
    } else {
      out.push_back(ch);
    }
  }
  out.push_back('"');
  return out;
}

Problem caseRefusal(const CaseResult& result, std::size_t line) {
  Problem problem{ProblemKind::refusedCase, {}};
  const std::string where = line > 0 ? "line " + std::to_string(line) + ": " : std::string();
  if (!result.outcome) {
    const Problem& refusal = result.outcome.error();
    problem.lines = {where + refusal.title + ": " + refusal.lines.at(0), refusal.lines.at(1)};
  } else if (!where.empty()) {
    problem.lines = {where.substr(0, where.size() - 1)};
  }
  const InputTexts& in = result.texts;
  problem.lines.push_back("(DCFP " + quotedText(in.txtAL) + ", n " + quotedText(in.txtN) + ", r " +
                          quotedText(in.txtR) + ", j " + quotedText(in.txtMDET) + ")");
  return problem;
}

Problem batchLineProblem(const BatchProblem& problem) {
  return {ProblemKind::refusedCase, {std::string(kBatchErrorTitle) + ": " + problem.lines[0], problem.lines[1]}};
}

std::string refusalMessage(const CaseResult& result, std::size_t line) { return message(caseRefusal(result, line)); }

std::string problemMessage(const BatchProblem& problem) { return message(batchLineProblem(problem)); }

namespace {

// Every writer sends a case's standard-output part and its standard-error part in the
// order of the cases: standard output is flushed before anything goes to standard error,
// and after every batch of records (flush()), not after each one.
class StreamWriter : public RecordWriter {
 public:
  StreamWriter(std::ostream& out, std::ostream& err) : m_out(out), m_err(err) {}
  void write(const RenderedCase& rendered) override {
    if (!rendered.out.empty()) writeOut(rendered.out);
    if (!rendered.err.empty()) writeErr(rendered.err);
  }
  void writeProblem(const BatchProblem& problem) override { writeErr(problemMessage(problem)); }
  void flush() override { m_out.flush(); }

 protected:
  virtual void writeOut(const std::string& text) { m_out << text; }
  void writeErr(const std::string& text) {
    m_out.flush();
    m_err << text << std::flush;
  }
  std::ostream& m_out;
  std::ostream& m_err;
};

class TextWriter final : public StreamWriter {
 public:
  using StreamWriter::StreamWriter;
  [[nodiscard]] RenderedCase render(const CaseResult& result, std::size_t line) const override {
    if (!result.outcome) return {{}, refusalMessage(result, line)};
    return {textGrid(result), {}};
  }

 private:
  // Grids are set apart by a blank line.
  void writeOut(const std::string& grid) override {
    if (m_written) m_out << "\n";
    m_out << grid;
    m_written = true;
  }
  bool m_written = false;
};

class CsvWriter final : public StreamWriter {
 public:
  CsvWriter(std::ostream& out, std::ostream& err, bool audit) : StreamWriter(out, err) {
    m_out << csvHeader(audit) << std::flush;
  }
  [[nodiscard]] RenderedCase render(const CaseResult& result, std::size_t line) const override {
    if (!result.outcome) return {{}, refusalMessage(result, line)};
    return {csvRows(result), {}};
  }
};

// In the json format every case and every problem is a record of standard output.
class JsonWriter final : public StreamWriter {
 public:
  JsonWriter(std::ostream& out, std::ostream& err) : StreamWriter(out, err) {}
  [[nodiscard]] RenderedCase render(const CaseResult& result, std::size_t) const override {
    return {jsonRecord(result) + "\n", {}};
  }
  void writeProblem(const BatchProblem& problem) override { m_out << jsonProblemRecord(problem) << "\n"; }
};

}  // namespace

std::unique_ptr<RecordWriter> makeRecordWriter(OutputFormat format, std::ostream& out, std::ostream& err,
                                               bool audit) {
  switch (format) {
    case OutputFormat::text: return std::make_unique<TextWriter>(out, err);
    case OutputFormat::csv: return std::make_unique<CsvWriter>(out, err, audit);
    case OutputFormat::json: return std::make_unique<JsonWriter>(out, err);
  }
  return std::make_unique<TextWriter>(out, err);
}

}  // namespace velmora::records
