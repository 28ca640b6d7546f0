// SPDX-License-Identifier: GPL-3.0-or-later
// The tables of the text format.
#include "text_table.h"

#include <algorithm>
#include <utility>

namespace velmora::records {

TextTable::TextTable(Row headings) : m_widths(headings.size(), 0) { addRow(std::move(headings)); }

void TextTable::addRow(Row cells) {
  cells.resize(m_widths.size());
  for (std::size_t i = 0; i < cells.size(); ++i) m_widths[i] = std::max(m_widths[i], cells[i].size());
  m_rows.push_back(std::move(cells));
}

void TextTable::widenColumn(std::size_t column, std::size_t width) {
  m_widths.at(column) = std::max(m_widths.at(column), width);
}

std::size_t TextTable::columnWidth(std::size_t column) const { return m_widths.at(column); }

std::size_t TextTable::columnStart(std::size_t column) const {
  std::size_t start = 0;
  for (std::size_t i = 0; i < column; ++i) start += m_widths.at(i) + kGap;
  return start;
}

std::string TextTable::render() const {
  std::string out;
  for (const Row& row : m_rows) {
    std::string line;
    for (std::size_t i = 0; i < row.size(); ++i) {
      line += row[i];
      line.append(m_widths[i] + kGap - row[i].size(), ' ');
    }
    line.erase(line.find_last_not_of(' ') + 1);  // npos + 1 == 0: a row of blanks leaves nothing
    out += line + "\n";
  }
  return out;
}

}  // namespace velmora::records
