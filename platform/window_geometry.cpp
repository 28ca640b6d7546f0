// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/platform/window_geometry.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace velmora::platform {

void centreOnScreen(QWidget& window) {
  QScreen* screen = window.screen() != nullptr ? window.screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  QRect frame = window.frameGeometry();
  if (!window.isVisible()) frame.setSize(window.size());  // no frame is known before showing
  frame.moveCenter(screen->availableGeometry().center());
  window.move(frame.topLeft());
}

}  // namespace velmora::platform
