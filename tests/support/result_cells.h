// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The 32 result cells of the main window, in the order of the engine's captions
// (record_compare.h's AllCaptions): the status, power, entry, percentile and CFP cells of
// 1:1 .. 1:4, then the twelve cells of the additional information.
#include <QLabel>
#include <QString>

#include <vector>

#include "velmora/ui/frm_main.h"

namespace velmora::testsupport {

inline std::vector<QLabel*> resultCells(const ui::frmMain& window) {
  std::vector<QLabel*> cells;
  for (const auto* array : {&window.lblCU, &window.lblPOW, &window.lblENT, &window.lblP, &window.lblQ}) {
    for (QLabel* cell : *array) cells.push_back(cell);
  }
  for (QLabel* cell : window.lblPW) cells.push_back(cell);
  return cells;
}

inline std::vector<QString> cellTexts(const ui::frmMain& window) {
  std::vector<QString> texts;
  for (const QLabel* cell : resultCells(window)) texts.push_back(cell->text());
  return texts;
}

}  // namespace velmora::testsupport
