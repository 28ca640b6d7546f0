// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The tables of the text format (the result grid and the audit table): columns of text,
// left-aligned, two blanks apart, each line without trailing blanks.
//
// Our own small piece: the grid also places two lines by its column starts ("Power @" over
// the power columns, the reference criteria under two of them), which this exposes; a
// table library would bring its own borders and alignment rules for a few lines of padding.

#include <cstddef>
#include <string>
#include <vector>

namespace velmora::records {

class TextTable {
 public:
  using Row = std::vector<std::string>;

  // The first row names the columns and fixes their number.
  explicit TextTable(Row headings);

  void addRow(Row cells);
  // Makes a column at least `width` wide, whatever its cells hold.
  void widenColumn(std::size_t column, std::size_t width);

  [[nodiscard]] std::size_t columnWidth(std::size_t column) const;
  // Where a column begins on every line of the table.
  [[nodiscard]] std::size_t columnStart(std::size_t column) const;
  // Every row, each with its line end.
  [[nodiscard]] std::string render() const;

  static constexpr std::size_t kGap = 2;

 private:
  std::vector<Row> m_rows;
  std::vector<std::size_t> m_widths;
};

}  // namespace velmora::records
