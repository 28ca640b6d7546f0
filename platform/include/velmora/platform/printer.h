// SPDX-License-Identifier: GPL-3.0-or-later
// Printing a picture of a window on the system's default printer.
//
// The window hands over an image of its client area; the printer puts it on one page, at the
// top left of the printable area, at the size it has on a 96 dots-per-inch screen, and shrinks
// it (keeping its proportions) only when it would not fit. There is no dialog and no choice of
// printer. Tests use CapturingPrinter (tests/support/capturing_printer.h), which keeps the
// pages instead of printing them.
#pragma once

#include <QImage>
#include <QRectF>
#include <QSizeF>
#include <QString>

class QWidget;

namespace velmora::platform {

class Printer {
 public:
  virtual ~Printer() = default;

  /// Prints the image as a one-page document. On failure returns false and, when `error`
  /// is given, puts there why, in plain words for the user, in short lines separated by a
  /// carriage return ("\r"), as every prompt of the program is.
  virtual bool printImage(const QImage& image, QString* error) = 0;
};

/// Where an image of `imageSize` device-independent pixels (96 per inch) lands on a page whose
/// printable area is `printable` device pixels at `printerDpi`: the top left corner of the
/// printable area, at natural size, or scaled down with its proportions kept to fit.
QRectF placeImageOnPage(QSizeF imageSize, double printerDpi, QSizeF printable);

/// The system's default printer (through the print system of the platform).
class DefaultPrinter final : public Printer {
 public:
  bool printImage(const QImage& image, QString* error) override;
};

/// The toolkit's print preview and print dialog, for a one-page image placed on the page as
/// DefaultPrinter places it. Tests use a stand-in that keeps the image.
class PrintDialogs {
 public:
  virtual ~PrintDialogs() = default;

  /// Shows the preview of the page; the user may print from it, choosing the printer there.
  virtual void preview(const QImage& image, QWidget* parent) = 0;
  /// Asks for the printer and its settings, then prints the page there. True when printed
  /// or when the user cancelled; false, with the reason as printImage gives it, when the
  /// chosen printer did not take the page.
  virtual bool print(const QImage& image, QWidget* parent, QString* error) = 0;
};

class QtPrintDialogs final : public PrintDialogs {
 public:
  void preview(const QImage& image, QWidget* parent) override;
  bool print(const QImage& image, QWidget* parent, QString* error) override;
};

}  // namespace velmora::platform
