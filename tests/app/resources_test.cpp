// SPDX-License-Identifier: GPL-3.0-or-later
// The compiled-in pictures keep the formats that the program and Windows tools expect:
// the splash picture byte for byte, the icon group entry by entry.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QImage>

#include <cstdint>
#include <cstring>

#include "velmora/app/app_identity.h"

namespace {

QByteArray resourceBytes(const char* path) {
  QFile file(QString::fromLatin1(path));
  if (!file.open(QIODevice::ReadOnly)) {
    ADD_FAILURE() << "missing resource " << path;
    return {};
  }
  return file.readAll();
}

std::uint32_t u32(const QByteArray& b, qsizetype at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<std::uint8_t>(b.at(at + i));
  return v;
}
std::int32_t s32(const QByteArray& b, qsizetype at) { return static_cast<std::int32_t>(u32(b, at)); }
std::uint16_t u16(const QByteArray& b, qsizetype at) {
  return static_cast<std::uint16_t>(static_cast<std::uint8_t>(b.at(at)) |
                                    (static_cast<std::uint8_t>(b.at(at + 1)) << 8));
}
std::uint8_t u8(const QByteArray& b, qsizetype at) { return static_cast<std::uint8_t>(b.at(at)); }

}  // namespace

TEST(SplashPicture, IsAnUncompressedBottomUpBitmapOfTheDesignedSize) {
  const QByteArray bmp = resourceBytes(velmora::app::kSplashPicturePath);
  ASSERT_EQ(bmp.size(), 385686);
  // file header
  EXPECT_EQ(bmp.left(2), QByteArray("BM"));
  EXPECT_EQ(u32(bmp, 2), 385686u);
  EXPECT_EQ(u16(bmp, 6), 0u);
  EXPECT_EQ(u16(bmp, 8), 0u);
  EXPECT_EQ(u32(bmp, 10), 54u);
  // information header
  EXPECT_EQ(u32(bmp, 14), 40u);
  EXPECT_EQ(s32(bmp, 18), 416);
  EXPECT_EQ(s32(bmp, 22), 309) << "a positive height means rows stored bottom-up";
  EXPECT_EQ(u16(bmp, 26), 1u);
  EXPECT_EQ(u16(bmp, 28), 24u);
  EXPECT_EQ(u32(bmp, 30), 0u) << "no compression";
  EXPECT_EQ(u32(bmp, 34), 385632u);
  EXPECT_EQ(s32(bmp, 38), 3780);
  EXPECT_EQ(s32(bmp, 42), 3780);
  EXPECT_EQ(u32(bmp, 46), 0u);
  EXPECT_EQ(u32(bmp, 50), 0u);
  EXPECT_EQ(385632, 309 * 1248);
}

TEST(SplashPicture, DecodesWithItsFirstStoredRowAtTheBottom) {
  const QByteArray bmp = resourceBytes(velmora::app::kSplashPicturePath);
  ASSERT_EQ(bmp.size(), 385686);
  QImage image;
  ASSERT_TRUE(image.loadFromData(bmp, "BMP"));
  EXPECT_EQ(image.size(), QSize(416, 309));
  EXPECT_EQ(image.dotsPerMeterX(), 3780);
  EXPECT_EQ(image.dotsPerMeterY(), 3780);
  const auto storedPixel = [&](int x, int storedRow) {
    const qsizetype at = 54 + qsizetype{storedRow} * 1248 + x * 3;  // blue, green, red
    return qRgb(u8(bmp, at + 2), u8(bmp, at + 1), u8(bmp, at));
  };
  for (int x : {0, 100, 207, 415}) {
    EXPECT_EQ(image.pixel(x, 308), storedPixel(x, 0)) << "column " << x;
    EXPECT_EQ(image.pixel(x, 0), storedPixel(x, 308)) << "column " << x;
  }
  // sky above, ground below: the picture is not upside down
  EXPECT_GT(qBlue(image.pixel(5, 2)), qRed(image.pixel(5, 2)));
  EXPECT_NE(image.pixel(5, 2), image.pixel(5, 305));
}

TEST(IconGroup, HoldsTheThreeDesignedImagesWithMasks) {
  const QByteArray ico = resourceBytes(velmora::app::kIconGroupPath);
  ASSERT_GE(ico.size(), 6 + 3 * 16);
  EXPECT_EQ(u16(ico, 0), 0u);
  EXPECT_EQ(u16(ico, 2), 1u) << "type 1 = icon";
  ASSERT_EQ(u16(ico, 4), 3u);

  struct Expected {
    int size, colours, bits;
  };
  const Expected expected[] = {{32, 2, 1}, {32, 16, 4}, {16, 16, 4}};
  qsizetype nextFree = 6 + 3 * 16;
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const qsizetype entry = 6 + 16 * i;
    const Expected& e = expected[i];
    EXPECT_EQ(u8(ico, entry + 0), e.size);
    EXPECT_EQ(u8(ico, entry + 1), e.size);
    EXPECT_EQ(u8(ico, entry + 2), e.colours);
    EXPECT_EQ(u16(ico, entry + 6), e.bits);
    const std::uint32_t length = u32(ico, entry + 8);
    const std::uint32_t offset = u32(ico, entry + 12);
    EXPECT_EQ(offset, nextFree) << "images follow each other without gaps or overlaps";
    ASSERT_LE(qsizetype{offset} + length, ico.size());
    nextFree = offset + length;

    // the image itself: a bitmap information header with the height of colour and mask together
    EXPECT_EQ(u32(ico, offset + 0), 40u);
    EXPECT_EQ(s32(ico, offset + 4), e.size);
    EXPECT_EQ(s32(ico, offset + 8), 2 * e.size);
    EXPECT_EQ(u16(ico, offset + 12), 1u);
    EXPECT_EQ(u16(ico, offset + 14), e.bits);
    EXPECT_EQ(u32(ico, offset + 16), 0u);
    const int colourRow = ((e.size * e.bits + 31) / 32) * 4;
    const int maskRow = ((e.size + 31) / 32) * 4;
    EXPECT_EQ(length, 40u + 4u * e.colours + std::uint32_t(colourRow + maskRow) * e.size)
        << "header, palette, colour rows and mask rows";
  }
  EXPECT_EQ(nextFree, ico.size());
}

TEST(IconGroup, GivesTheWindowsAnIconAtTheDesignedSizes) {
  const QIcon icon = velmora::app::applicationIcon();
  ASSERT_FALSE(icon.isNull());
  const QList<QSize> sizes = icon.availableSizes();
  EXPECT_TRUE(sizes.contains(QSize(16, 16)));
  EXPECT_TRUE(sizes.contains(QSize(32, 32)));
  EXPECT_TRUE(sizes.contains(QSize(256, 256)));
  // the corners above the ground are transparent through the mask
  const QImage small = icon.pixmap(QSize(16, 16)).toImage();
  ASSERT_EQ(small.size(), QSize(16, 16));
  EXPECT_EQ(qAlpha(small.pixel(0, 0)), 0);
  EXPECT_EQ(qAlpha(small.pixel(8, 12)), 255);
}

TEST(ApplicationIdentity, CarriesTheProjectVersionAndIcon) {
  velmora::app::applyApplicationIdentity();
  EXPECT_EQ(QCoreApplication::applicationVersion(), QStringLiteral(VELMORA_PROJECT_VERSION));
  EXPECT_EQ(QCoreApplication::applicationName(), QStringLiteral("Velmora"));
  EXPECT_FALSE(QApplication::windowIcon().isNull());
  EXPECT_TRUE(QApplication::windowIcon().availableSizes().contains(QSize(32, 32)));
}
