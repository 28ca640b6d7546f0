// SPDX-License-Identifier: GPL-3.0-or-later
#include "start_up.h"

#include "frm_main.h"
#include "frm_splash.h"

namespace velmora::app {

QWidget* createMainWindow() {
  auto* window = new ui::frmMain;
  window->setAttribute(Qt::WA_DeleteOnClose);
  return window;
}

frmSplash* showSplash() {
  auto* splash = new frmSplash(&createMainWindow);
  splash->show();
  return splash;
}

}  // namespace velmora::app
