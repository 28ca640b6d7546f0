// SPDX-License-Identifier: GPL-3.0-or-later
// One case of the command line: its four texts and what the engine made of them.
#include "velmora/cli/case_result.h"

namespace velmora::cli {

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
  if (result.outcome && audit) result.audit = auditCalculation(result.outcome->results, texts.txtAL);
  return result;
}

}  // namespace velmora::cli
