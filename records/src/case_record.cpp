// SPDX-License-Identifier: GPL-3.0-or-later
// The json record of one case, and of a batch line that holds no case.
#include "velmora/records/case_record.h"

#include <string_view>

#include "velmora/records/json_text.h"

namespace velmora::records {

namespace {

// One blank after every comma and colon, as every json record of the command line lays
// itself out ({"test": "1:1", "power": ["0.524", "0.840", "0.973"]}).
class LineWriter {
 public:
  explicit LineWriter(std::string& out) : m_out(out) {}
  void key(std::string_view name) {
    m_out += '"';
    m_out += name;
    m_out += "\": ";
  }
  void member(std::string_view name, std::string_view value) {
    key(name);
    appendJsonString(m_out, value);
  }
  void text(std::string_view value) { appendJsonString(m_out, value); }
  void raw(std::string_view text) { m_out += text; }

 private:
  std::string& m_out;
};

}  // namespace

// The record is written straight into its line rather than built as a JSON value and then
// serialised: a batch spends most of its time outside the engine in building and freeing
// such values. The strings go through the JSON serialiser (appendJsonString).
std::string caseRecordLine(const InputTexts& texts, const Expected<CalculationResult>& outcome,
                           std::span<const std::string> audits) {
  std::string out;
  out.reserve(640);
  LineWriter line(out);
  line.raw("{");
  line.member("dcfp", texts.txtAL);
  line.raw(", ");
  line.member("n", texts.txtN);
  line.raw(", ");
  line.member("r", texts.txtR);
  line.raw(", ");
  line.member("j", texts.txtMDET);
  if (!outcome) {
    const Problem& refusal = outcome.error();
    line.raw(", ");
    line.key("error");
    line.raw("{");
    line.member("title", refusal.title);
    line.raw(", ");
    line.key("lines");
    line.raw("[");
    line.text(refusal.lines.at(0));
    line.raw(", ");
    line.text(refusal.lines.at(1));
    line.raw("], ");
    line.member("focus", inputBoxName(refusal.box.value()));
    line.raw("}}");
    return out;
  }
  const ResultCaptions& c = outcome->captions;
  line.raw(", ");
  line.key("tests");
  line.raw("[");
  for (std::size_t t = 0; t < kSchemeCount; ++t) {
    if (t > 0) line.raw(", ");
    line.raw("{");
    line.member("test", kSchemeNames[t]);
    line.raw(", ");
    line.member("status", c.lblCU[t]);
    line.raw(", ");
    line.member("rating", c.lblPOW[t]);
    line.raw(", ");
    line.member("samples", c.lblENT[t]);
    line.raw(", ");
    line.member("percentile", c.lblP[t]);
    line.raw(", ");
    line.member("cfp", c.lblQ[t]);
    line.raw(", ");
    line.key("power");
    line.raw("[");
    line.text(c.lblPW[3 * t]);
    line.raw(", ");
    line.text(c.lblPW[3 * t + 1]);
    line.raw(", ");
    line.text(c.lblPW[3 * t + 2]);
    line.raw("]");
    if (t < audits.size()) {
      line.raw(", ");
      line.key("audit");
      line.raw(audits[t]);
    }
    line.raw("}");
  }
  line.raw("]}");
  return out;
}

std::string batchProblemLine(const BatchProblem& problem) {
  std::string out;
  LineWriter line(out);
  line.raw("{");
  line.key("line");
  line.raw(std::to_string(problem.line));
  line.raw(", ");
  line.key("fields");
  line.raw("[");
  for (std::size_t i = 0; i < problem.fields.size(); ++i) {
    if (i > 0) line.raw(", ");
    line.text(problem.fields[i]);
  }
  line.raw("], ");
  line.key("error");
  line.raw("{");
  line.member("title", kBatchErrorTitle);
  line.raw(", ");
  line.key("lines");
  line.raw("[");
  line.text(problem.lines[0]);
  line.raw(", ");
  line.text(problem.lines[1]);
  line.raw("]}}");
  return out;
}

}  // namespace velmora::records
