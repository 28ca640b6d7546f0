// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Window geometry shared by every window of the program: the forms are laid out in twips,
// and a window comes up centred on its screen.

#include <QRect>

class QWidget;

namespace velmora::platform {

// Twips per device-independent pixel (at 96 dots per inch).
inline constexpr int kTwipsPerPixel = 15;

// Pixels (device-independent) from twips.
constexpr int pixelsFromTwips(int twips) { return twips / kTwipsPerPixel; }

// A rectangle given in twips, in pixels.
inline QRect twipRect(int left, int top, int width, int height) {
  return QRect(pixelsFromTwips(left), pixelsFromTwips(top), pixelsFromTwips(width), pixelsFromTwips(height));
}

// Moves the window so that its frame stands in the middle of the available area of its
// screen (the primary screen when it has none yet). Before the window is shown its frame
// is not known, and its own size stands for it.
void centreOnScreen(QWidget& window);

}  // namespace velmora::platform
