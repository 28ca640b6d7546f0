// SPDX-License-Identifier: GPL-3.0-or-later
// The window is cut off from the user's input while it is printed, and looks exactly as
// before: the block must neither let a key or click through nor fade a single pixel.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

#include <memory>
#include <optional>

#include "velmora/platform/input_block.h"

using velmora::platform::InputBlock;

namespace {

struct Window {
  Window() {
    widget = std::make_unique<QWidget>();
    widget->resize(200, 80);
    edit = new QLineEdit(QStringLiteral("0.05"), widget.get());
    edit->setGeometry(10, 10, 100, 22);
    button = new QPushButton(QStringLiteral("&Reset"), widget.get());
    button->setGeometry(10, 40, 80, 25);
    widget->show();
    widget->activateWindow();
    edit->setFocus();
    QApplication::processEvents();
  }
  std::unique_ptr<QWidget> widget;
  QLineEdit* edit = nullptr;
  QPushButton* button = nullptr;
};

}  // namespace

TEST(InputBlock, DropsKeysClicksAndAccessKeysButKeepsTheLook) {
  Window w;
  QSignalSpy clicked(w.button, &QPushButton::clicked);
  const QImage before = w.widget->grab().toImage();
  {
    InputBlock block(*w.widget);
    // through the window system's window, as the user's input comes
    QWindow* window = w.widget->windowHandle();
    QTest::keyClick(window, Qt::Key_9);
    QTest::mouseClick(window, Qt::LeftButton, {}, w.button->geometry().center());
    QTest::keyClick(window, Qt::Key_R, Qt::AltModifier);
    // and straight to the controls
    QTest::keyClicks(w.edit, QStringLiteral("99"));
    QTest::keyClick(w.button, Qt::Key_Space);
    EXPECT_EQ(w.edit->text(), QStringLiteral("0.05"));
    EXPECT_EQ(clicked.count(), 0);

    EXPECT_TRUE(w.widget->isEnabled()) << "controls keep their normal (enabled) drawing";
    EXPECT_EQ(w.widget->grab().toImage(), before) << "not a pixel fades";
  }
  QTest::keyClick(w.widget->windowHandle(), Qt::Key_9);
  EXPECT_EQ(w.edit->text(), QStringLiteral("0.059"));
  QTest::mouseClick(w.widget->windowHandle(), Qt::LeftButton, {}, w.button->geometry().center());
  EXPECT_EQ(clicked.count(), 1);
}

TEST(InputBlock, LeavesOtherWindowsAndNonInputEventsAlone) {
  Window blocked;
  Window other;
  InputBlock block(*blocked.widget);
  QTest::keyClicks(other.edit, QStringLiteral("1"));
  EXPECT_EQ(other.edit->text(), QStringLiteral("0.051"));

  QEvent paint(QEvent::UpdateRequest);
  EXPECT_FALSE(block.drops(blocked.edit, &paint));
  QEvent key(QEvent::KeyPress);
  EXPECT_TRUE(block.drops(blocked.edit, &key));
  EXPECT_TRUE(block.drops(blocked.widget.get(), &key));
  EXPECT_FALSE(block.drops(other.edit, &key));
}

TEST(InputBlock, OutlivingItsWindowIsHarmless) {
  std::optional<InputBlock> block;
  {
    Window w;
    block.emplace(*w.widget);
  }
  QEvent key(QEvent::KeyPress);
  QWidget stray;
  EXPECT_FALSE(block->drops(&stray, &key));
  block.reset();
}
