// SPDX-License-Identifier: GPL-3.0-or-later
// The platform layer: real message boxes as the user sees them, the recording stand-in,
// the busy pointer and the regional decimal symbol.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontDatabase>
#include <QImage>
#include <QPainter>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "recording_message_boxes.h"
#include "velmora/platform/busy_pointer.h"
#include "velmora/platform/fonts.h"
#include "velmora/platform/message_boxes.h"
#include "velmora/platform/regional.h"

using namespace velmora::platform;

namespace {

struct SeenBox {
  bool seen = false;
  bool modal = false;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QString title;
  QString text;
  int buttons = 0;
  bool wraps = true;
  int labelWidth = 0;
};

// Looks at the box once the modal loop runs, then dismisses it with its OK button.
void inspectNextBox(SeenBox& seen) {
  QTimer::singleShot(0, [&seen] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    seen.seen = true;
    seen.modal = box->isModal();
    seen.icon = box->icon();
    seen.title = box->windowTitle();
    seen.text = box->text();
    seen.buttons = static_cast<int>(box->buttons().size());
    if (auto* label = box->findChild<QLabel*>("qt_msgbox_label")) {
      seen.wraps = label->wordWrap();
      seen.labelWidth = label->width();
    }
    box->button(QMessageBox::Ok)->click();
  });
}

}  // namespace

TEST(QtMessageBoxes, WarningIsModalWithOneOkAndCarriageReturnsAsLineBreaks) {
  QtMessageBoxes boxes;
  SeenBox seen;
  inspectNextBox(seen);
  boxes.showWarning("Entry Error", "first line,\rsecond line.");
  ASSERT_TRUE(seen.seen);
  EXPECT_TRUE(seen.modal);
  EXPECT_EQ(seen.icon, QMessageBox::Warning);
  EXPECT_EQ(seen.title, "Entry Error");
  EXPECT_EQ(seen.text, "first line,\nsecond line.");
  EXPECT_EQ(seen.buttons, 1);
}

TEST(QtMessageBoxes, InformationKeepsEmptyLinesAndIndents) {
  QtMessageBoxes boxes;
  SeenBox seen;
  inspectNextBox(seen);
  boxes.showInformation("About", "Top: \r\r   indented");
  ASSERT_TRUE(seen.seen);
  EXPECT_EQ(seen.icon, QMessageBox::Information);
  EXPECT_EQ(seen.text, "Top: \n\n   indented");
  EXPECT_EQ(seen.buttons, 1);
}

TEST(QtMessageBoxes, LongLinesAreNotWrapped) {
  QtMessageBoxes boxes;
  SeenBox seen;
  inspectNextBox(seen);
  const QString longLine = QString("       Good:   3- & 4- sigma levels equal or exceed reference criteria").repeated(2);
  boxes.showInformation("Long", longLine + "\rshort");
  ASSERT_TRUE(seen.seen);
  EXPECT_FALSE(seen.wraps);
  EXPECT_GE(seen.labelWidth, QFontMetrics(QApplication::font("QMessageBox")).horizontalAdvance(longLine));
}

TEST(MessageBoxPrompt, OnlyCarriageReturnsBreakLines) {
  EXPECT_EQ(promptAsShown("a\rb\r\rc"), "a\nb\n\nc");
  EXPECT_EQ(promptAsShown("a\r\nb"), "a\nb");
  EXPECT_EQ(promptAsShown("  a & b  "), "  a & b  ");
}

TEST(RecordingMessageBoxes, KeepsEveryBoxInOrderAndCallsBackWhileOpen) {
  RecordingMessageBoxes boxes;
  int calls = 0;
  boxes.onShow = [&](const RecordingMessageBoxes::Box& box) {
    ++calls;
    EXPECT_EQ(box.title, calls == 1 ? "W" : "I");
  };
  boxes.showWarning("W", "w1\rw2");
  boxes.showInformation("I", "i");
  ASSERT_EQ(boxes.boxes().size(), 2);
  EXPECT_EQ(boxes.boxes()[0].icon, RecordingMessageBoxes::Icon::warning);
  EXPECT_EQ(boxes.boxes()[0].prompt, "w1\rw2");
  EXPECT_EQ(boxes.boxes()[1].icon, RecordingMessageBoxes::Icon::information);
  EXPECT_EQ(calls, 2);
}

TEST(BusyPointer, ShowsTheHourglassWhileItLivesAndNests) {
  ASSERT_EQ(QApplication::overrideCursor(), nullptr);
  {
    BusyPointer outer;
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    {
      BusyPointer inner;
      EXPECT_TRUE(BusyPointer::active());
    }
    EXPECT_NE(QApplication::overrideCursor(), nullptr);
  }
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_FALSE(BusyPointer::active());
}

TEST(RegionalSettings, DecimalSymbolFollowsTheLocale) {
  const QLocale saved;
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  EXPECT_EQ(regionalDecimalSymbol(), ",");
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  EXPECT_EQ(regionalDecimalSymbol(), ".");
  QLocale::setDefault(saved);
}

TEST(CaptionFonts, AreRealFamiliesAndTheBoldOneIsScalable) {
  EXPECT_FALSE(captionFontFamily().isEmpty());
  EXPECT_TRUE(QFontDatabase::isSmoothlyScalable(boldCaptionFontFamily()));
}

// A bold caption must look bold: some faces come with a bold cut that draws hardly more ink
// than their regular one.
TEST(CaptionFonts, TheBoldFaceDrawsClearlyMoreInkThanItsRegularCut) {
  const auto ink = [](bool bold) {
    QFont font(boldCaptionFontFamily());
    font.setPixelSize(11);
    font.setBold(bold);
    QImage image(300, 30, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
      QPainter painter(&image);
      painter.setFont(font);
      painter.setPen(Qt::black);
      painter.drawText(2, 20, QStringLiteral("Input Values Here: Status & Power"));
    }
    long sum = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) sum += 255 - qGray(image.pixel(x, y));
    }
    return sum;
  };
  EXPECT_GT(ink(true), ink(false) * 5 / 4);
}
