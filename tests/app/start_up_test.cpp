// SPDX-License-Identifier: GPL-3.0-or-later
// The program's real start: the splash hands over to one real main window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QScreen>
#include <QTimer>

#include "velmora/ui/frm_main.h"
#include "velmora/app/app_identity.h"
#include "velmora/app/frm_splash.h"
#include "velmora/app/start_up.h"

namespace {

// The form of the design, found by its name below the menu bar of a top-level window.
velmora::ui::frmMain* formOf(QWidget* window) {
  if (window->objectName() == QLatin1String("frmMain")) return qobject_cast<velmora::ui::frmMain*>(window);
  return window->findChild<velmora::ui::frmMain*>(QStringLiteral("frmMain"));
}

int mainWindows() {
  int count = 0;
  for (QWidget* w : QApplication::topLevelWidgets()) count += formOf(w) != nullptr;
  return count;
}

}  // namespace

TEST(StartUp, SplashFirstThenExactlyOneMainWindowShownWithTheFocusInTheFirstBox) {
  velmora::app::applyApplicationIdentity();  // as the program's entry does first
  QPointer<velmora::app::frmSplash> splash = velmora::app::showSplash();
  ASSERT_FALSE(splash.isNull());
  EXPECT_TRUE(splash->isVisible());
  EXPECT_EQ(mainWindows(), 0);

  ASSERT_TRUE(QMetaObject::invokeMethod(splash->tmr1, "timeout", Qt::DirectConnection));
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QCoreApplication::processEvents();

  EXPECT_TRUE(splash.isNull()) << "the splash window is unloaded";
  ASSERT_EQ(mainWindows(), 1);
  QPointer<velmora::ui::frmMain> main;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* m = formOf(w)) main = m;
  QWidget* top = main->window();
  EXPECT_TRUE(main->isVisible());
  const QRect area = top->screen()->availableGeometry();
  EXPECT_LE((top->frameGeometry().center() - area.center()).manhattanLength(), 2) << "centred on the screen";
  EXPECT_EQ(main->focusWidget(), main->txtAL);
  EXPECT_FALSE(top->windowIcon().isNull());

  top->close();  // the main window is deleted when it closes
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(main.isNull());
  EXPECT_EQ(mainWindows(), 0);
}
