// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/app/frm_splash.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>

#include "velmora/app/app_identity.h"
#include "velmora/platform/fonts.h"
#include "velmora/platform/window_geometry.h"

namespace velmora::app {

namespace {
}  // namespace

frmSplash::frmSplash(MainWindowFactory createMainWindow, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint),  // a border, no title bar
      m_createMainWindow(std::move(createMainWindow)) {
  setObjectName(QStringLiteral("frmSplash"));
  setWindowTitle(QString());
  setAttribute(Qt::WA_DeleteOnClose);
  resize(platform::pixelsFromTwips(6225), platform::pixelsFromTwips(4620));

  // The picture is one pixel wider and taller than the client area: its last column and
  // row lie outside the window.
  Image1 = new QLabel(this);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setGeometry(0, 0, platform::pixelsFromTwips(6240), platform::pixelsFromTwips(4635));
  Image1->setScaledContents(true);
  Image1->setPixmap(QPixmap(QString::fromLatin1(kSplashPicturePath)));

  // Created after the picture, so it is drawn above it.
  Label1 = new QLabel(QStringLiteral("      2006 Version"), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setGeometry(platform::pixelsFromTwips(120), platform::pixelsFromTwips(4080), platform::pixelsFromTwips(1815), platform::pixelsFromTwips(495));
  Label1->setTextFormat(Qt::PlainText);
  Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  // One line, as designed: the substitute for the design's font can be a few pixels wider,
  // and wrapping would push "Version" onto a second line of the box.
  Label1->setWordWrap(false);
  // the face the main window draws its captions in, at the design's size
  QFont font(platform::boldCaptionFontFamily());
  font.setPointSizeF(9.75);
  font.setBold(true);
  Label1->setFont(font);
  QPalette palette = Label1->palette();
  // The title-bar text colour has no palette role; white is its colour in the standard scheme.
  palette.setColor(QPalette::Window, Qt::white);
  palette.setColor(QPalette::WindowText, palette.color(QPalette::ButtonText));
  Label1->setPalette(palette);
  Label1->setAutoFillBackground(true);

  tmr1 = new QTimer(this);
  tmr1->setObjectName(QStringLiteral("tmr1"));
  tmr1->setSingleShot(true);
  tmr1->setInterval(kHandOverMilliseconds);
  connect(tmr1, &QTimer::timeout, this, &frmSplash::tmr1Timer);
  tmr1->start();
}

void frmSplash::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!event->spontaneous() && !m_centred) {
    m_centred = true;
    platform::centreOnScreen(*this);
  }
}

void frmSplash::tmr1Timer() {
  tmr1->stop();
  if (!m_createMainWindow) return;  // the hand-over has happened already
  QWidget* mainWindow = std::exchange(m_createMainWindow, nullptr)();
  if (mainWindow != nullptr) {
    mainWindow->show();
    mainWindow->raise();
    mainWindow->activateWindow();
  }
  close();  // unloads the splash window (deleted once control returns to the event loop)
}

}  // namespace velmora::app
