// SPDX-License-Identifier: GPL-3.0-or-later
// The splash window's design and its one-time hand-over to the main window. The timer's
// timeout is raised directly, so no test waits for the 2.5 seconds to pass.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QTimer>

#include "velmora/platform/fonts.h"
#include "velmora/app/frm_splash.h"

using velmora::app::frmSplash;

namespace {

void fireTimer(QTimer* timer) {
  ASSERT_TRUE(QMetaObject::invokeMethod(timer, "timeout", Qt::DirectConnection));
}

void processDeferredDeletes() {
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QCoreApplication::processEvents();
}

class SplashTest : public ::testing::Test {
 protected:
  void TearDown() override {
    for (QWidget* w : QApplication::topLevelWidgets()) delete w;
    processDeferredDeletes();
  }

  // a stand-in main window that counts how often it is made
  frmSplash* makeSplash() {
    return new frmSplash([this]() -> QWidget* {
      ++m_created;
      auto* w = new QWidget;
      w->setObjectName(QStringLiteral("frmMain"));
      w->resize(685, 384);
      m_mainWindow = w;
      return w;
    });
  }

  int m_created = 0;
  QPointer<QWidget> m_mainWindow;
};

}  // namespace

TEST_F(SplashTest, HasTheDesignedClientAreaPictureAndLabel) {
  QPointer<frmSplash> splash = makeSplash();
  splash->show();
  EXPECT_EQ(splash->size(), QSize(415, 308));
  EXPECT_TRUE(splash->windowTitle().isEmpty());
  EXPECT_FALSE(splash->windowFlags() & Qt::WindowTitleHint) << "no title bar";

  EXPECT_EQ(splash->Image1->geometry(), QRect(0, 0, 416, 309)) << "one pixel beyond the client area";
  ASSERT_FALSE(splash->Image1->pixmap().isNull());
  EXPECT_EQ(splash->Image1->pixmap().size(), QSize(416, 309));

  EXPECT_EQ(splash->Label1->text(), QStringLiteral("      2006 Version"));
  EXPECT_EQ(splash->Label1->geometry(), QRect(8, 272, 121, 33));
  EXPECT_TRUE(splash->Label1->font().bold());
  EXPECT_EQ(splash->Label1->font().family(), velmora::platform::boldCaptionFontFamily());
  EXPECT_DOUBLE_EQ(splash->Label1->font().pointSizeF(), 9.75);
  EXPECT_TRUE(splash->Label1->autoFillBackground());
  EXPECT_EQ(splash->Label1->palette().color(QPalette::Window), QColor(Qt::white));

  // the label is drawn above the picture: its box shows white where it stands
  const QImage shot = splash->grab().toImage();
  EXPECT_EQ(shot.pixelColor(8 + 2, 272 + 30), QColor(Qt::white));
  EXPECT_NE(shot.pixelColor(200, 5), QColor(Qt::white));
}

TEST_F(SplashTest, TimerIsASingleShotOfTwoAndAHalfSecondsRunningFromTheStart) {
  QPointer<frmSplash> splash = makeSplash();
  ASSERT_NE(splash->tmr1, nullptr);
  EXPECT_TRUE(splash->tmr1->isActive());
  EXPECT_TRUE(splash->tmr1->isSingleShot());
  EXPECT_EQ(splash->tmr1->interval(), 2500);
  EXPECT_EQ(m_created, 0) << "no main window before the timer fires";
}

TEST_F(SplashTest, TimerShowsOneMainWindowAndUnloadsTheSplash) {
  QPointer<frmSplash> splash = makeSplash();
  splash->show();
  QPointer<QTimer> timer = splash->tmr1;

  fireTimer(timer);
  EXPECT_EQ(m_created, 1);
  ASSERT_TRUE(m_mainWindow);
  EXPECT_TRUE(m_mainWindow->isVisible());
  EXPECT_TRUE(splash.isNull() || !splash->isVisible()) << "hidden at once";

  processDeferredDeletes();
  EXPECT_TRUE(splash.isNull()) << "the splash window is destroyed";
  EXPECT_TRUE(timer.isNull()) << "its timer with it";
  EXPECT_EQ(QApplication::topLevelWidgets().size(), 1);
}

TEST_F(SplashTest, ASecondTimeoutBeforeTheUnloadMakesNoSecondMainWindow) {
  QPointer<frmSplash> splash = makeSplash();
  splash->show();
  fireTimer(splash->tmr1);
  ASSERT_FALSE(splash.isNull()) << "deletion waits for the event loop";
  fireTimer(splash->tmr1);
  EXPECT_EQ(m_created, 1);
}

TEST_F(SplashTest, IsCentredOnTheScreen) {
  QPointer<frmSplash> splash = makeSplash();
  splash->show();
  const QRect area = splash->screen()->availableGeometry();
  const QPoint centre = splash->frameGeometry().center();
  EXPECT_LE(std::abs(centre.x() - area.center().x()), 1);
  EXPECT_LE(std::abs(centre.y() - area.center().y()), 1);
}
