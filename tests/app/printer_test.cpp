// SPDX-License-Identifier: GPL-3.0-or-later
// Where the window's picture lands on the page, and the capturing printer that the window
// tests print to.
#include <gtest/gtest.h>

#include <QPrinterInfo>

#include "capturing_printer.h"
#include "velmora/platform/printer.h"

using velmora::platform::placeImageOnPage;

TEST(PagePlacement, KeepsTheScreenSizeAtTheTopLeftOfThePrintableArea) {
  // 685 x 384 screen pixels at 96 per inch are 7.135 x 4 inches: at 600 dpi 4281.25 x 2400
  const QRectF place = placeImageOnPage(QSizeF(685, 384), 600, QSizeF(4800, 6600));
  EXPECT_EQ(place.topLeft(), QPointF(0, 0));
  EXPECT_DOUBLE_EQ(place.width(), 4281.25);
  EXPECT_DOUBLE_EQ(place.height(), 2400);
}

TEST(PagePlacement, ShrinksOnlyWhatDoesNotFitAndKeepsTheProportions) {
  // too wide for the printable width of 4000: scaled by 4000 / 4281.25
  const QRectF wide = placeImageOnPage(QSizeF(685, 384), 600, QSizeF(4000, 6600));
  EXPECT_DOUBLE_EQ(wide.width(), 4000);
  EXPECT_NEAR(wide.height() / wide.width(), 384.0 / 685.0, 1e-12);

  // too tall
  const QRectF tall = placeImageOnPage(QSizeF(100, 1000), 96, QSizeF(800, 500));
  EXPECT_DOUBLE_EQ(tall.height(), 500);
  EXPECT_DOUBLE_EQ(tall.width(), 50);

  // never enlarged beyond the natural size when there is room to spare
  const QRectF small = placeImageOnPage(QSizeF(10, 10), 300, QSizeF(10000, 10000));
  EXPECT_DOUBLE_EQ(small.width(), 31.25);
}

TEST(PagePlacement, AnEmptyImageOrPageGivesAnEmptyPlace) {
  EXPECT_TRUE(placeImageOnPage(QSizeF(0, 0), 600, QSizeF(4800, 6600)).isEmpty());
  EXPECT_TRUE(placeImageOnPage(QSizeF(685, 384), 600, QSizeF(0, 0)).isEmpty());
}

TEST(CapturingPrinter, KeepsPagesOrRefusesWithTheGivenReason) {
  velmora::platform::CapturingPrinter printer;
  QImage page(4, 3, QImage::Format_RGB32);
  page.fill(Qt::white);
  QString error;
  EXPECT_TRUE(printer.printImage(page, &error));
  EXPECT_TRUE(error.isEmpty());
  ASSERT_EQ(printer.pages().size(), 1);
  EXPECT_EQ(printer.pages().front(), page);

  printer.failWith(QStringLiteral("out of paper"));
  EXPECT_FALSE(printer.printImage(page, &error));
  EXPECT_EQ(error, QStringLiteral("out of paper"));
  EXPECT_FALSE(printer.printImage(page, nullptr));
  EXPECT_EQ(printer.pages().size(), 1);
}

TEST(DefaultPrinter, WithoutADefaultPrinterRefusesAndSaysSo) {
  if (!QPrinterInfo::defaultPrinter().isNull()) {
    GTEST_SKIP() << "this machine has a default printer; nothing is printed by the tests";
  }
  velmora::platform::DefaultPrinter printer;
  QImage page(4, 3, QImage::Format_RGB32);
  page.fill(Qt::white);
  QString error;
  EXPECT_FALSE(printer.printImage(page, &error));
  EXPECT_TRUE(error.contains(QStringLiteral("no default printer"))) << error.toStdString();
}
