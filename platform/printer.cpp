#include "printer.h"

#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>

namespace velmora::platform {

namespace {
constexpr double screenDpi = 96.0;

void setError(QString* error, const QString& text) {
  if (error != nullptr) *error = text;
}
}  // namespace

QRectF placeImageOnPage(QSizeF imageSize, double printerDpi, QSizeF printable) {
  QSizeF size = imageSize * (printerDpi / screenDpi);
  if (size.isEmpty() || printable.isEmpty()) return QRectF(QPointF(0, 0), QSizeF(0, 0));
  const double shrink = std::min({1.0, printable.width() / size.width(), printable.height() / size.height()});
  size *= shrink;
  return QRectF(QPointF(0, 0), size);
}

bool DefaultPrinter::printImage(const QImage& image, QString* error) {
  const QPrinterInfo target = QPrinterInfo::defaultPrinter();
  if (target.isNull()) {
    setError(error, QStringLiteral("There is no default printer. Set up a printer as the default and print again."));
    return false;
  }
  const QString name = target.description().isEmpty() ? target.printerName() : target.description();
  QPrinter printer(target, QPrinter::HighResolution);
  printer.setDocName(QStringLiteral("Velmora"));
  printer.setCopyCount(1);
  printer.setFullPage(false);  // painter coordinates start at the printable area's corner

  QPainter painter;
  if (!painter.begin(&printer)) {
    setError(error, QStringLiteral("The printer \"%1\" could not start the print job.").arg(name));
    return false;
  }
  const QSizeF natural = QSizeF(image.size()) / image.devicePixelRatio();
  const QRectF printable = printer.pageLayout().paintRectPixels(printer.resolution());
  const QRectF place = placeImageOnPage(natural, printer.resolution(), printable.size());
  // no smoothing: the enlarged screen pixels stay sharp-edged, as text on screen is
  painter.drawImage(place, image);
  const bool ended = painter.end();
  if (!ended || printer.printerState() == QPrinter::Error) {
    setError(error, QStringLiteral("The printer \"%1\" did not accept the print job.").arg(name));
    return false;
  }
  return true;
}

bool CapturingPrinter::printImage(const QImage& image, QString* error) {
  if (onPrint) onPrint(image);
  if (!m_failure.isEmpty()) {
    setError(error, m_failure);
    return false;
  }
  m_pages.append(image);
  return true;
}

}  // namespace velmora::platform
