// SPDX-License-Identifier: GPL-3.0-or-later
// One case of the command line: its four texts and what the engine made of them.
#include "velmora/records/case_result.h"

#include <utility>

namespace velmora::records {

InputTexts boxTexts(const std::string& dcfp, const std::string& n, const std::string& r,
                    const std::optional<std::string>& j) {
  InputTexts texts;
  texts.txtAL = dcfp;
  texts.txtN = n;
  texts.txtR = r;
  texts.txtMDET = j ? *j : n;
  return texts;
}

CaseResult computeCase(Calculation& calculation, const InputTexts& texts, bool audit) {
  CaseResult result;
  result.texts = texts;
  result.outcome = calculation.calculate(texts, kDecimalSymbol);
  if (result.outcome && audit) {
    // An accepted case always lies in the audit's domain; were it refused, the case reports
    // the refusal rather than records without their audit.
    Expected<analysis::CalculationAudit> audited = analysis::auditCalculation(result.outcome->results, texts.txtAL);
    if (audited) {
      result.audit = std::move(*audited);
    } else {
      result.outcome = fail(std::move(audited.error()));
    }
  }
  return result;
}

}  // namespace velmora::records
