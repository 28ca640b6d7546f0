// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// evaluate (velmora-cli and the page): a monitoring data file in, each constituent's limit and each
// compliance well's verdict out (analysis/verdicts.h, records/monitoring_data.h).
//
//   evaluate --data FILE --rule NAME (--rank K | --dcfp D --r R [--j J])
//            [--constituent NAME] [--format text|csv|json] [--skip-bad-lines]
//
//   text  per constituent: the strategy and rank, the background largest first down to the
//         limit, the limit and what it is, each well's verdict, values used and not used and
//         reason; then any skipped lines, and the method paragraph (verdictMethodText)
//   csv   one row per compliance well, the constituent's limit repeated on each
//   json  one object per constituent and line: {"constituent": NAME (null when the file has
//         no constituent column), "rule", "rank", "n", "limit", "limit_is_reporting_limit",
//         "wells": [{"well", "verdict", "values_used": [TEXT...], "reason"}]}, values as the
//         file wrote them
//
// Skipped lines and the all-non-detects warning, which csv and json have no place for, go
// to standard error there.
//
// Exit status: 0 when every well is decided and none fails, 3 when a well fails, 2 when a
// well is undetermined or needs a resample (and none fails), 64 for a refused request, 65
// for data that cannot be used, 74 when the output cannot be written.

#include <cstddef>
#include <functional>
#include <istream>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "velmora/analysis/strategy.h"
#include "velmora/engine/problem.h"
#include "velmora/records/case_output.h"

namespace velmora::records {

struct EvaluateOptions {
  std::optional<std::string> data;         // the file's name (as its messages name it)
  std::optional<std::string> rule;         // a retest strategy's name
  std::optional<std::string> rank;         // the inverse rank K, or:
  std::optional<std::string> dcfp;         // with r (and j), the design whose best rank is used
  std::optional<std::string> r;
  std::optional<std::string> j;
  std::optional<std::string> constituent;  // only this constituent of the file
  OutputFormat format = OutputFormat::text;
  bool skipBadLines = false;
};

// The best rank of a strategy for a design (n background values, r comparisons, the DCFP,
// the lowest rank j allowed), as the strategies command finds it, and its CFP as text.
struct DesignRank {
  int rank = 0;
  std::string cfp;
};

// evaluate's --dcfp path: the design of the strategies command (designStrategy), refused
// (refusedRequest) when not even rank 1 meets the DCFP.
[[nodiscard]] Expected<DesignRank> bestRankForDesign(const analysis::Strategy& strategy, std::string_view dcfp, std::size_t n,
                                                     std::string_view r, std::optional<std::string_view> j);

// Where the data file is read from: opened once the request itself is found sound, or
// refused (unreadableData, "cannot open ...") as the front end finds it.
using DataOpener = std::function<Expected<std::unique_ptr<std::istream>>()>;

// The evaluation of the data `open` gives, named options.data in the messages.
[[nodiscard]] int runEvaluate(const EvaluateOptions& options, const DataOpener& open, std::ostream& out,
                              std::ostream& err);

}  // namespace velmora::records
