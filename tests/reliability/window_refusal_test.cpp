// SPDX-License-Identifier: GPL-3.0-or-later
// The window on a refusal: after a completed run, every refused input (one for each step
// of the check chain, and the domain edges) shows its box and leaves all 32 result cells
// and the window's calculation record exactly as they were. Drawn off-screen.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>
#include <vector>

#include "recording_message_boxes.h"
#include "velmora/ui/frm_main.h"
#include "velmora/platform/message_boxes.h"
#include "record_compare.h"
#include "result_cells.h"
#include "velmora/engine/testing/calculation_seam.h"
#include "velmora/engine/calculation.h"

namespace {

using velmora::platform::RecordingMessageBoxes;
using velmora::testsupport::cellTexts;
using velmora::ui::frmMain;

struct RefusedTexts {
  const char* al;
  const char* n;
  const char* r;
  const char* mdet;
};

TEST(WindowRefusal, EveryRefusalLeavesAllThirtyTwoCellsAndTheRecordUnchanged) {
  RecordingMessageBoxes boxes;
  frmMain window(&boxes);
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

  const auto setTexts = [&window](const RefusedTexts& t) {
    window.txtAL->setText(QString::fromUtf8(t.al));
    window.txtN->setText(QString::fromUtf8(t.n));
    window.txtR->setText(QString::fromUtf8(t.r));
    window.txtMDET->setText(QString::fromUtf8(t.mdet));
  };
  setTexts({"0.05", "40", "4", "40"});
  window.btnCalculate->click();
  ASSERT_TRUE(boxes.boxes().isEmpty());
  const std::vector<QString> shown = cellTexts(window);
  ASSERT_EQ(shown.size(), 32u);
  for (const QString& text : shown) ASSERT_FALSE(text.isEmpty());
  const velmora::CalculationState kept = velmora::CalculationSeam::state(window.calculation());

  const RefusedTexts refusals[] = {
      {"", "40", "4", "40"},           // an empty box
      {"0", "40", "4", "40"},          // DCFP not above zero
      {"1e400", "40", "4", "40"},      // beyond the float64 range
      {"1.0000001", "40", "4", "40"},  // DCFP above one
      {"0.05", "1", "4", "1"},         // n not above one
      {"0.05", "32767.5", "1", "2"},   // n rounds beyond the int16 range
      {"0.05", "40", "x", "40"},       // r not numeric
      {"0.05", "40", "-32768.5", "40"},
      {"0.05", "40", "4", "32768"},    // j beyond the int16 range
      {"0.05", "32764", "1", "32764"}, // n + 4r above 32767
  };
  int expectedBoxes = 0;
  for (const RefusedTexts& texts : refusals) {
    setTexts(texts);
    window.btnCalculate->click();
    ++expectedBoxes;
    ASSERT_EQ(boxes.boxes().size(), expectedBoxes) << texts.al << " " << texts.n << " " << texts.r << " " << texts.mdet;
    EXPECT_EQ(boxes.boxes().last().title, "Entry Error");
    EXPECT_EQ(cellTexts(window), shown) << texts.al << " " << texts.n << " " << texts.r << " " << texts.mdet;
    EXPECT_EQ(velmora::testsupport::firstDifference(velmora::CalculationSeam::state(window.calculation()), kept), nullptr)
        << texts.al << " " << texts.n << " " << texts.r << " " << texts.mdet;
  }
}

}  // namespace
