// SPDX-License-Identifier: GPL-3.0-or-later
// Program entry: the application object with its name, version and icon, the splash window,
// the event loop. The splash hands over to the main window; the program ends when that closes.
#include <QApplication>

#include "velmora/app/app_identity.h"
#include "velmora/app/start_up.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  velmora::app::applyApplicationIdentity();
  velmora::app::showSplash();
  return QApplication::exec();
}
