// SPDX-License-Identifier: GPL-3.0-or-later
// Print (a click on btnPrint, or Alt+P): the window turns printer-friendly, its picture goes
// to the default printer as one page, and it is put back as designed.
//
// The window stops taking input for the whole action, but it is not disabled in the toolkit's
// sense: a disabled window draws its texts faded, and the page would show them so. An input
// block keeps the look and drops the user's input instead.
#include <QGroupBox>
#include <QLabel>
#include <QPalette>
#include <QPointer>
#include <QPushButton>

#include <array>
#include <optional>
#include <vector>

#include "velmora/ui/frm_main.h"
#include "velmora/platform/input_block.h"
#include "velmora/platform/message_boxes.h"
#include "velmora/platform/printer.h"

namespace velmora::ui {

namespace {

// A surface's background as designed, to put back after the print.
struct SavedBackground {
  QWidget* widget;
  QPalette palette;
  bool ownPalette;
  bool autoFill;

  explicit SavedBackground(QWidget* w)
      : widget(w),
        palette(w->palette()),
        ownPalette(w->testAttribute(Qt::WA_SetPalette)),
        autoFill(w->autoFillBackground()) {}

  void whiten() const {
    QPalette white = widget->palette();
    white.setColor(widget->backgroundRole(), Qt::white);  // in every colour group
    widget->setPalette(white);
    widget->setAutoFillBackground(true);
  }

  void restore() const {
    if (ownPalette) {
      widget->setPalette(palette);
    } else {
      widget->setPalette(QPalette());  // inherit from the container again
      widget->setAttribute(Qt::WA_SetPalette, false);
    }
    widget->setAutoFillBackground(autoFill);
  }
};

}  // namespace

void frmMain::btnPrintClick() { printTo(*m_printer); }

void frmMain::printTo(platform::Printer& printer) {
  // The surfaces and buttons in the order of their change, and of their return.
  const std::array<QWidget*, 4> frames{fraInputValues, fraOutputs, fraOutputsStatusAndPower,
                                       fraOutputsAdditionalInformation};
  const std::array<QPushButton*, 5> buttons{btnCalculate, btnPrint, btnReset, btnAbout, btnExit};
  const std::array<QWidget*, 25> labels{
      lblHeading, Label1,  Label2,  Label3,  Label4,  Label5,  Label7,  Label8,
      Label9,     Label10, Label11, Label12, Label14, Label15, Label16, Label17,
      Label19,    Label20, Label21, Label22, Label23, Label24, lblPowerRatingLabel,
      lblNumberOfTests, lblMinimumDetectedValue};

  const SavedBackground window(this);
  std::vector<SavedBackground> frameLooks(frames.begin(), frames.end());
  std::vector<SavedBackground> labelLooks(labels.begin(), labels.end());
  // The focus is set aside for the print and comes back afterwards. Hiding the button that
  // holds it would pass it on to the first box, which would select its text, and the page
  // would show the value highlighted; a box keeping it would show its cursor, or not,
  // depending on the moment of the blink.
  const QPointer<QWidget> focused = focusWidget();

  bool printed = false;
  QString reason;
  {
    const platform::InputBlock noInput(*this);                       // 1
    if (!focused.isNull()) focused->clearFocus();
    window.whiten();                                                 // 2
    for (const SavedBackground& frame : frameLooks) frame.whiten();  // 3
    for (QPushButton* button : buttons) button->hide();              // 4
    for (const SavedBackground& label : labelLooks) label.whiten();  // 5

    printed = printer.printImage(grab().toImage(), &reason);         // 6

    window.restore();                                                // 7
    for (const SavedBackground& frame : frameLooks) frame.restore(); // 8
    for (QPushButton* button : buttons) button->show();              // 9
    for (const SavedBackground& label : labelLooks) label.restore(); // 10
  }                                                                  // 11: input again
  show();                                                            // 12
  raise();
  activateWindow();
  if (!focused.isNull() && focused->isVisible()) focused->setFocus();

  // The design has no message for a failed print; saying so keeps it from passing unnoticed.
  if (!printed) {
    if (reason.isEmpty()) reason = QStringLiteral("The printer gave no reason.");
    m_messageBoxes->showWarning(QStringLiteral("Print Error"),
                                QStringLiteral("The window could not be printed.\r") + reason);
  }
}

}  // namespace velmora::ui
