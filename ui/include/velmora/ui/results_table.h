// SPDX-License-Identifier: GPL-3.0-or-later
// The form's result grid as a table: the captions of its columns and, per scheme, the cells
// exactly as the form shows them. Copy Results and the report both take it.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "velmora/engine/inputs.h"
#include "velmora/engine/results.h"

namespace velmora::ui {

class frmMain;

struct ResultsTable {
  QStringList header;       // "Test", "DCFP Status @ Opt. Maximum", ... "Power @ 4Sig"
  QList<QStringList> rows;  // "1:1" .. "1:4" and that scheme's cells, as shown
  // Per row, the columns where the design's and the exact arithmetic part (the audit only).
  QList<QList<int>> differing;
  // What each column and each row stands for, in a sentence (the audit only; empty else).
  QStringList headerTips;
  QStringList rowTips;
};

struct AnalysisData;

/// What scheme 1:t does, in a sentence (for a tooltip).
QString schemeTip(int t);

/// The audit as a table, a column per scheme: the rank, the design's CFP, the exact CFP, the
/// next rank and its exact CFP, the margin, the exact rank, both powers and both ratings; an
/// exact rank or rating where the two arithmetics part is listed in `differing` and its text
/// says so.
ResultsTable auditTableOf(const AnalysisData& data);

/// One sentence per difference between the design's and the exact rank or rating, or one
/// saying that they agree everywhere.
QString auditDifferences(const AnalysisData& data);

/// The grid of a run: the column headings and scheme names as `form` words them, and per
/// scheme the cells from `captions`, the run's own texts, which are what its labels show.
ResultsTable resultsTableOf(const frmMain& form, const ResultCaptions& captions);

/// The inputs a run's results belong to, the four texts as they stood in the boxes (trimmed):
/// "DCFP 0.1, n 20, r 5, j 20".
QString inputsLine(const InputTexts& texts);

/// Tab-separated lines, the header first, each line ended by a line feed.
QString tabSeparated(const ResultsTable& table);

/// An HTML table whose every cell is marked as text for spreadsheets, so that "1:1" stays a
/// scheme and not a time, and "0.05000" keeps its digits; the texts are escaped.
QString htmlTable(const ResultsTable& table);

}  // namespace velmora::ui
