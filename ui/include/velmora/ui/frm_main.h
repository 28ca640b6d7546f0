// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's client area: the four input boxes, the result grid, the five command
// buttons and the handlers that hand the inputs to the calculation and show what comes back.
//
// This widget is the object named "frmMain": the 685 x 384 form of the design. In the program
// it sits below the menu bar of MainWindow (velmora/ui/main_window.h), the top-level window,
// which is that much taller; on its own (as the window tests make it) it is a window itself.
// Print grabs this widget, so the page is the client area and never the bar.
//
// Every control keeps its design name (as member and as object name) and its design
// geometry in twips, 15 to a device-independent pixel. There are no layouts: the window can
// be resized, but no control ever moves or changes size.
#pragma once

#include <QWidget>

#include <array>
#include <memory>
#include <optional>

#include "velmora/engine/calculation.h"
#include "velmora/platform/window_geometry.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace velmora::platform {
class MessageBoxes;
class Printer;
}

namespace velmora::ui {

using platform::pixelsFromTwips;
using platform::twipRect;

/// A label array of the design: labels sharing one name, told apart by an index from 1.
template <int Count>
class LabelArray {
 public:
  /// The element with the given index, 1 to Count.
  QLabel* operator()(int index) const { return m_items.at(static_cast<std::size_t>(index - 1)); }
  static constexpr int count() { return Count; }
  void set(int index, QLabel* label) { m_items.at(static_cast<std::size_t>(index - 1)) = label; }
  auto begin() const { return m_items.begin(); }
  auto end() const { return m_items.end(); }

 private:
  std::array<QLabel*, Count> m_items{};
};

class frmMain : public QWidget {
  Q_OBJECT

 public:
  /// `messageBoxes` shows every box of the window and `printer` takes its printed image; when
  /// one is null the window uses the real one of its own. The window does not take ownership
  /// of a given one.
  explicit frmMain(platform::MessageBoxes* messageBoxes = nullptr,
                   platform::Printer* printer = nullptr, QWidget* parent = nullptr);
  ~frmMain() override;

  /// The family the window's captions are drawn in (the best substitute found on this system,
  /// one with outlines on a screen whose device pixel ratio is above 1).
  static QString captionFontFamily();

  // Controls of the window itself.
  QLabel* lblHeading = nullptr;
  QGroupBox* fraInputValues = nullptr;
  QGroupBox* fraOutputs = nullptr;
  QPushButton* btnCalculate = nullptr;
  QPushButton* btnPrint = nullptr;
  QPushButton* btnReset = nullptr;
  QPushButton* btnExit = nullptr;
  QPushButton* btnAbout = nullptr;

  // The input frame.
  QLabel* Label1 = nullptr;
  QLineEdit* txtAL = nullptr;
  QLabel* Label2 = nullptr;
  QLineEdit* txtN = nullptr;
  QLabel* Label3 = nullptr;
  QLineEdit* txtR = nullptr;
  QLabel* lblMinimumDetectedValue = nullptr;
  QLineEdit* txtMDET = nullptr;
  QLabel* Label4 = nullptr;

  // The output frames.
  QGroupBox* fraOutputsStatusAndPower = nullptr;
  QGroupBox* fraOutputsAdditionalInformation = nullptr;

  // Fixed captions of the status frame.
  QLabel* Label5 = nullptr;
  QLabel* Label7 = nullptr;
  QLabel* lblPowerRatingLabel = nullptr;
  QLabel* Label9 = nullptr;
  QLabel* Label10 = nullptr;
  QLabel* Label11 = nullptr;
  QLabel* Label12 = nullptr;

  // Fixed captions and the line of the additional-information frame.
  QLabel* Label17 = nullptr;
  QLabel* lblNumberOfTests = nullptr;
  QLabel* Label19 = nullptr;
  QLabel* Label20 = nullptr;
  QLabel* Label21 = nullptr;
  QLabel* Label22 = nullptr;
  QWidget* Line5 = nullptr;
  QLabel* Label16 = nullptr;
  QLabel* Label15 = nullptr;
  QLabel* Label14 = nullptr;
  QLabel* Label8 = nullptr;
  QLabel* Label24 = nullptr;
  QLabel* Label23 = nullptr;

  // The result cells.
  LabelArray<4> lblCU;    // DCFP status at the optimal rank
  LabelArray<4> lblPOW;   // power rating
  LabelArray<4> lblENT;   // number of samples
  LabelArray<4> lblP;     // percentile of the limit
  LabelArray<4> lblQ;     // achievable CFP error
  LabelArray<12> lblPW;   // powers at 2, 3 and 4 sigma, three per scheme

  /// The calculation record the window owns.
  const Calculation& calculation() const { return m_calculation; }

  /// The outcome of the last accepted Calculate since the last Reset; empty before it.
  const std::optional<CalculationResult>& lastOutcome() const { return m_lastOutcome; }
  /// The four texts that run read.
  const InputTexts& lastTexts() const { return m_lastTexts; }

  /// Puts values into the boxes as if the user typed them (an absent value leaves its box
  /// alone). A new background size also becomes the rank, as leaving the size box makes it.
  void enterValues(const std::optional<QString>& dcfp, const std::optional<QString>& n,
                   const std::optional<QString>& r);

  /// Print as the Print button does, but with `printer` taking the window's printer-friendly
  /// picture (the button's printer is the default one); a failure says why in a message box.
  void printTo(platform::Printer& printer);

  /// The explanations a click on the two navy headings shows.
  void explainNumberOfSamples() { lblNumberOfTestsClick(); }
  void explainPowerRating() { lblPowerRatingLabelClick(); }

 signals:
  /// After every accepted Calculate, once the grid shows its results.
  void calculated();
  /// After Reset has emptied the boxes and the grid.
  void wasReset();

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildControls();
  void connectEvents();

  void btnCalculateClick();
  void btnResetClick();
  void btnPrintClick();  // in frm_main_print.cpp
  void btnAboutClick();
  void btnExitClick();
  void lblNumberOfTestsClick();
  void lblPowerRatingLabelClick();
  void txtNLostFocus();
  void onFocusChanged(QWidget* old, QWidget* now);

  QLineEdit* inputBox(InputBox box) const;
  void showCaptions(const ResultCaptions& captions);

  Calculation m_calculation;
  std::optional<CalculationResult> m_lastOutcome;
  InputTexts m_lastTexts;
  std::unique_ptr<platform::MessageBoxes> m_ownMessageBoxes;
  platform::MessageBoxes* m_messageBoxes = nullptr;
  std::unique_ptr<platform::Printer> m_ownPrinter;
  platform::Printer* m_printer = nullptr;  // for Print, which is wired in separately
  bool m_centred = false;
};

}  // namespace velmora::ui
