// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/app/app_identity.h"

#include <QGuiApplication>

#include "velmora/version.h"

namespace velmora::app {

QString applicationVersion() { return QString::fromLatin1(projectVersion); }

QIcon applicationIcon() {
  // The icon group holds 16 x 16 and two 32 x 32 images; Qt reads every image of the file
  // and picks the better of the two 32 x 32 ones (16 colours) by itself.
  QIcon icon(QString::fromLatin1(kIconGroupPath));
  icon.addFile(QString::fromLatin1(kLargeIconPath));
  return icon;
}

void applyApplicationIdentity() {
  QCoreApplication::setApplicationName(QStringLiteral("Velmora"));
  QCoreApplication::setOrganizationName(QStringLiteral("Velmora project"));
  QCoreApplication::setApplicationVersion(applicationVersion());
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
    QGuiApplication::setWindowIcon(applicationIcon());
    // lets desktops match the running windows with the installed desktop entry
    QGuiApplication::setDesktopFileName(QStringLiteral("velmora"));
  }
}

}  // namespace velmora::app
