// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/app/start_up.h"

#include "velmora/app/frm_splash.h"
#include "velmora/ui/main_window.h"

namespace velmora::app {

QWidget* createMainWindow() {
  auto* window = new ui::MainWindow;
  window->setAttribute(Qt::WA_DeleteOnClose);
  return window;
}

frmSplash* showSplash() {
  auto* splash = new frmSplash(&createMainWindow);
  splash->show();
  return splash;
}

}  // namespace velmora::app
