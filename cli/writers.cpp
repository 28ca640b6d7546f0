// The three output formats of velmora-cli.
#include "writers.h"

#include <algorithm>
#include <array>
#include <vector>

#include "audit_output.h"

namespace velmora::cli {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

void appendHexByte(std::string& out, unsigned char byte) {
  out.push_back(kHexDigits[byte >> 4]);
  out.push_back(kHexDigits[byte & 0x0f]);
}

// Length of the valid UTF-8 sequence at the start of `text`, or the negated length of
// its maximal invalid prefix (at least one byte) when it is not valid.
int utf8SequenceLength(std::string_view text) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  int length = 0;
  unsigned char secondLow = 0x80;
  unsigned char secondHigh = 0xbf;
  if (lead < 0x80) return 1;
  if (lead >= 0xc2 && lead <= 0xdf) {
    length = 2;
  } else if (lead >= 0xe0 && lead <= 0xef) {
    length = 3;
    if (lead == 0xe0) secondLow = 0xa0;   // no overlong forms
    if (lead == 0xed) secondHigh = 0x9f;  // no surrogates
  } else if (lead >= 0xf0 && lead <= 0xf4) {
    length = 4;
    if (lead == 0xf0) secondLow = 0x90;   // no overlong forms
    if (lead == 0xf4) secondHigh = 0x8f;  // nothing above U+10FFFF
  } else {
    return -1;
  }
  for (int i = 1; i < length; ++i) {
    if (static_cast<std::size_t>(i) >= text.size()) return -i;
    const unsigned char low = i == 1 ? secondLow : 0x80;
    const unsigned char high = i == 1 ? secondHigh : 0xbf;
    if (byte(i) < low || byte(i) > high) return -i;
  }
  return length;
}

std::string jsonStringArray(const std::vector<std::string>& items) {
  std::string out = "[";
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) out += ", ";
    out += jsonString(items[i]);
  }
  out += "]";
  return out;
}

std::string jsonInputs(const InputTexts& texts) {
  return "\"dcfp\": " + jsonString(texts.txtAL) + ", \"n\": " + jsonString(texts.txtN) +
         ", \"r\": " + jsonString(texts.txtR) + ", \"j\": " + jsonString(texts.txtMDET);
}

std::string joinedLines(const std::array<std::string, 2>& lines) { return lines[0] + " " + lines[1]; }

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

std::string withoutTrailingBlanks(std::string text) {
  const std::size_t end = text.find_last_not_of(' ');
  text.erase(end == std::string::npos ? 0 : end + 1);
  return text;
}

}  // namespace

std::string jsonString(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  out.push_back('"');
  std::size_t i = 0;
  while (i < text.size()) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c >= 0x80) {
      const int length = utf8SequenceLength(text.substr(i));
      if (length > 0) {
        out.append(text.substr(i, static_cast<std::size_t>(length)));
        i += static_cast<std::size_t>(length);
      } else {
        out += "\\ufffd";
        i += static_cast<std::size_t>(-length);
      }
      continue;
    }
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          out += "\\u00";
          appendHexByte(out, c);
        } else {
          out.push_back(static_cast<char>(c));
        }
    }
    ++i;
  }
  out.push_back('"');
  return out;
}

std::string jsonRecord(const CaseResult& result) {
  std::string out = "{" + jsonInputs(result.texts);
  if (const auto& refusal = result.outcome.refusal) {
    out += ", \"error\": {\"title\": " + jsonString(refusal->title) + ", \"lines\": " +
           jsonStringArray({refusal->lines[0], refusal->lines[1]}) +
           ", \"focus\": " + jsonString(InputBoxName(refusal->focus)) + "}}";
    return out;
  }
  const ResultCaptions& c = result.outcome.captions;
  out += ", \"tests\": [";
  for (int t = 0; t < kSchemeCount; ++t) {
    if (t > 0) out += ", ";
    out += "{\"test\": " + jsonString(kSchemeNames[t]) + ", \"status\": " + jsonString(c.lblCU[t]) +
           ", \"rating\": " + jsonString(c.lblPOW[t]) + ", \"samples\": " + jsonString(c.lblENT[t]) +
           ", \"percentile\": " + jsonString(c.lblP[t]) + ", \"cfp\": " + jsonString(c.lblQ[t]) +
           ", \"power\": " + jsonStringArray({c.lblPW[3 * t], c.lblPW[3 * t + 1], c.lblPW[3 * t + 2]});
    if (result.audit) out += ", \"audit\": " + jsonAudit(result.audit->schemes[static_cast<std::size_t>(t)]);
    out += "}";
  }
  out += "]}";
  return out;
}

std::string jsonProblemRecord(const BatchProblem& problem) {
  return "{\"line\": " + std::to_string(problem.line) + ", \"fields\": " + jsonStringArray(problem.fields) +
         ", \"error\": {\"title\": " + jsonString(kBatchErrorTitle) + ", \"lines\": " +
         jsonStringArray({problem.lines[0], problem.lines[1]}) + "}}";
}

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
  const ResultCaptions& c = result.outcome.captions;
  const std::string inputs =
      csvField(in.txtAL) + "," + csvField(in.txtN) + "," + csvField(in.txtR) + "," + csvField(in.txtMDET);
  std::string out;
  for (int t = 0; t < kSchemeCount; ++t) {
    const std::array<std::string, 10> cells = {
        kSchemeNames[t], c.lblCU[t], std::to_string(result.optRank[t]), c.lblPOW[t], c.lblENT[t],
        c.lblP[t],       c.lblQ[t],  c.lblPW[3 * t],                    c.lblPW[3 * t + 1], c.lblPW[3 * t + 2]};
    out += inputs;
    for (const std::string& cell : cells) out += "," + csvField(cell);
    if (result.audit) out += "," + csvAuditCells(result.audit->schemes[static_cast<std::size_t>(t)]);
    out += "\n";
  }
  return out;
}

std::string textGrid(const CaseResult& result) {
  // The inputs, under the captions of the window's input boxes.
  const std::array<std::pair<const char*, const std::string*>, 4> inputs = {{
      {"Design Cum. False Positive Error (DCFP):", &result.texts.txtAL},
      {"Background sample size [n]:", &result.texts.txtN},
      {"Number of comparisons to same bkgd. [r]:", &result.texts.txtR},
      {"Minimum allowable rank value [j]:", &result.texts.txtMDET},
  }};
  std::size_t captionWidth = 0;
  for (const auto& input : inputs) captionWidth = std::max(captionWidth, std::string_view(input.first).size());
  std::string out;
  for (const auto& input : inputs) out += padded(input.first, captionWidth + 1) + displayText(*input.second) + "\n";
  out += "\n";

  // The result grid: the window's column headings, one row per scheme.
  constexpr std::size_t kColumns = 9;
  constexpr std::size_t kFirstPower = 6;  // "Power @" stands over the three power columns
  constexpr std::string_view kCriteriaLabel = "Tavrel Reference Criteria: ";
  const std::array<std::string, 2> kCriteria = {">= .539", ">= .814"};  // 3 and 4 sigma
  using Row = std::array<std::string, kColumns>;
  std::vector<Row> rows = {{"Test", "DCFP Status @ Opt. Maximum", "Power Rating", "# of Samps", "Ind P",
                            "Achievable CFP Error", "2Sig", "3Sig", "4Sig"}};
  const ResultCaptions& c = result.outcome.captions;
  for (int t = 0; t < kSchemeCount; ++t) {
    rows.push_back({kSchemeNames[t], c.lblCU[t], c.lblPOW[t], c.lblENT[t], c.lblP[t], c.lblQ[t], c.lblPW[3 * t],
                    c.lblPW[3 * t + 1], c.lblPW[3 * t + 2]});
  }
  std::array<std::size_t, kColumns> width{};
  for (const Row& row : rows) {
    for (std::size_t i = 0; i < kColumns; ++i) width[i] = std::max(width[i], row[i].size());
  }
  for (std::size_t i = kFirstPower; i < kColumns; ++i) width[i] = std::max(width[i], kCriteria[0].size());
  constexpr std::size_t kGap = 2;
  std::array<std::size_t, kColumns> start{};
  for (std::size_t i = 1; i < kColumns; ++i) start[i] = start[i - 1] + width[i - 1] + kGap;

  const auto renderRow = [&](const Row& row) {
    std::string line;
    for (std::size_t i = 0; i < kColumns; ++i) line += padded(row[i], width[i] + kGap);
    return withoutTrailingBlanks(line) + "\n";
  };
  out += std::string(start[kFirstPower], ' ') + "Power @\n";
  for (const Row& row : rows) out += renderRow(row);

  // The reference criteria under the 3 and 4 sigma powers, the label ending before them.
  std::string criteria(start[kFirstPower + 1], ' ');
  const std::size_t labelEnd = start[kFirstPower + 1] - 1;
  criteria.replace(labelEnd - kCriteriaLabel.size(), kCriteriaLabel.size(), kCriteriaLabel);
  criteria += padded(kCriteria[0], width[kFirstPower + 1] + kGap) + kCriteria[1];
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

std::string refusalMessage(const CaseResult& result, std::size_t line) {
  std::string out = "velmora-cli: ";
  if (line > 0) out += "line " + std::to_string(line) + ": ";
  if (const auto& refusal = result.outcome.refusal) {
    out += refusal->title + ": " + joinedLines(refusal->lines);
  }
  const InputTexts& in = result.texts;
  out += " (DCFP " + quotedText(in.txtAL) + ", n " + quotedText(in.txtN) + ", r " + quotedText(in.txtR) +
         ", j " + quotedText(in.txtMDET) + ")\n";
  return out;
}

std::string problemMessage(const BatchProblem& problem) {
  return std::string("velmora-cli: ") + kBatchErrorTitle + ": " + joinedLines(problem.lines) + "\n";
}

namespace {

class TextWriter final : public RecordWriter {
 public:
  TextWriter(std::ostream& out, std::ostream& err) : m_out(out), m_err(err) {}
  void writeCase(const CaseResult& result, std::size_t line) override {
    if (!result.outcome.accepted()) {
      m_err << refusalMessage(result, line) << std::flush;
      return;
    }
    if (m_written) m_out << "\n";
    m_out << textGrid(result) << std::flush;
    m_written = true;
  }
  void writeProblem(const BatchProblem& problem) override { m_err << problemMessage(problem) << std::flush; }

 private:
  std::ostream& m_out;
  std::ostream& m_err;
  bool m_written = false;
};

class CsvWriter final : public RecordWriter {
 public:
  CsvWriter(std::ostream& out, std::ostream& err, bool audit) : m_out(out), m_err(err) {
    m_out << csvHeader(audit) << std::flush;
  }
  void writeCase(const CaseResult& result, std::size_t line) override {
    if (!result.outcome.accepted()) {
      m_err << refusalMessage(result, line) << std::flush;
      return;
    }
    m_out << csvRows(result) << std::flush;
  }
  void writeProblem(const BatchProblem& problem) override { m_err << problemMessage(problem) << std::flush; }

 private:
  std::ostream& m_out;
  std::ostream& m_err;
};

class JsonWriter final : public RecordWriter {
 public:
  explicit JsonWriter(std::ostream& out) : m_out(out) {}
  void writeCase(const CaseResult& result, std::size_t) override { m_out << jsonRecord(result) << "\n" << std::flush; }
  void writeProblem(const BatchProblem& problem) override {
    m_out << jsonProblemRecord(problem) << "\n" << std::flush;
  }

 private:
  std::ostream& m_out;
};

}  // namespace

std::unique_ptr<RecordWriter> makeRecordWriter(OutputFormat format, std::ostream& out, std::ostream& err,
                                               bool audit) {
  switch (format) {
    case OutputFormat::text: return std::make_unique<TextWriter>(out, err);
    case OutputFormat::csv: return std::make_unique<CsvWriter>(out, err, audit);
    case OutputFormat::json: return std::make_unique<JsonWriter>(out);
  }
  return std::make_unique<TextWriter>(out, err);
}

}  // namespace velmora::cli
