// SPDX-License-Identifier: GPL-3.0-or-later
// The form's result grid as a table: the captions of its columns and, per scheme, the cells
// exactly as the form shows them. Copy Results and the report both read it.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace velmora::ui {

class frmMain;

struct ResultsTable {
  QStringList header;       // "Test", "DCFP Status @ Opt. Maximum", ... "Power @ 4Sig"
  QList<QStringList> rows;  // "1:1" .. "1:4" and that scheme's cells, as shown
};

/// The grid of `form` now: one row per scheme, its cells as their labels show them.
ResultsTable resultsTableOf(const frmMain& form);

/// Tab-separated lines, the header first, each line ended by a line feed.
QString tabSeparated(const ResultsTable& table);

/// An HTML table whose every cell is marked as text for spreadsheets, so that "1:1" stays a
/// scheme and not a time, and "0.05000" keeps its digits; the texts are escaped.
QString htmlTable(const ResultsTable& table);

}  // namespace velmora::ui
