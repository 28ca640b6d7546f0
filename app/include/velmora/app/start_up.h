// SPDX-License-Identifier: GPL-3.0-or-later
// The program's start: the splash window first, then, from its timer, the one main window.
#pragma once

#include <QWidget>

namespace velmora::app {

class frmSplash;

/// Makes the program's main window (the menu bar above the form frmMain) with the real
/// message boxes, save dialog and default printer. It is deleted when it closes; the program
/// ends with it.
QWidget* createMainWindow();

/// Shows the splash window centred on the screen. Its timer shows the main window made by
/// createMainWindow and unloads the splash. The splash deletes itself.
frmSplash* showSplash();

}  // namespace velmora::app
