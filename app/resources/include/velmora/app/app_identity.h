// SPDX-License-Identifier: GPL-3.0-or-later
// The application's identity: its name, version and icon, and where its pictures live
// among the compiled-in resources.
#pragma once

#include <QIcon>
#include <QString>

namespace velmora::app {

inline constexpr char kSplashPicturePath[] = ":/velmora/splash.bmp";
inline constexpr char kIconGroupPath[] = ":/velmora/velmora.ico";
inline constexpr char kLargeIconPath[] = ":/velmora/velmora-256.png";

/// The version of this build, as the project states it ("1.0.0.0").
QString applicationVersion();

/// The icon of every window: the three images of the icon group plus the large rendition.
QIcon applicationIcon();

/// Names the running application, gives it its version, and, when a window system is up,
/// makes the icon the default of every window. Call once, right after the application object.
void applyApplicationIdentity();

}  // namespace velmora::app
