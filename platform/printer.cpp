// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/platform/printer.h"

#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>

#ifdef VELMORA_HAVE_CUPS
#include <cups/cups.h>

#include <strings.h>
#endif

namespace velmora::platform {

namespace {
constexpr double kScreenDpi = 96.0;

void setError(QString* error, const QString& text) {
  if (error != nullptr) *error = text;
}

#ifdef VELMORA_HAVE_CUPS
// The toolkit hands the finished page to the print system and drops the answer, so a queue
// that refuses jobs would lose the page without a word. The print system is asked directly:
// before printing, whether the queue takes jobs at all; afterwards, how the hand-over went
// (its status is kept per thread, and the hand-over is the last call of the print).

/// False, with the reason, when the queue says it takes no jobs. Leaves the print system's
/// status at success when it answers.
bool queueAcceptsJobs(const QString& queue, const QString& name, QString* error) {
  cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, queue.toLocal8Bit().constData(), nullptr);
  if (dest == nullptr) return true;  // the toolkit found it; the print itself will tell
  const char* accepting =
      cupsGetOption("printer-is-accepting-jobs", dest->num_options, dest->options);
  const bool refuses = accepting != nullptr && strcasecmp(accepting, "false") == 0;
  cupsFreeDests(1, dest);
  if (refuses) {
    setError(error, QStringLiteral("The printer \"%1\" is not accepting print jobs.\r"
                                   "Let it accept jobs again, or make another printer the default.")
                        .arg(name));
  }
  return !refuses;
}

/// False, with the reason, when the print system refused the page just handed over.
bool handOverSucceeded(const QString& name, QString* error) {
  if (cupsLastError() <= IPP_STATUS_OK_EVENTS_COMPLETE) return true;
  setError(error, QStringLiteral("The printer \"%1\" did not accept the print job:\r%2")
                      .arg(name, QString::fromLocal8Bit(cupsLastErrorString())));
  return false;
}
#else
bool queueAcceptsJobs(const QString&, const QString&, QString*) { return true; }
bool handOverSucceeded(const QString&, QString*) { return true; }
#endif

/// The image on the printer's one page, at the place placeImageOnPage gives. False, with the
/// reason, when the printer `name` could not start or finish the page.
bool paintPage(QPrinter& printer, const QImage& image, const QString& name, QString* error) {
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

void prepare(QPrinter& printer) {
  printer.setDocName(QStringLiteral("Velmora"));
  printer.setFullPage(false);  // painter coordinates start at the printable area's corner
}
}  // namespace

QRectF placeImageOnPage(QSizeF imageSize, double printerDpi, QSizeF printable) {
  QSizeF size = imageSize * (printerDpi / kScreenDpi);
  if (size.isEmpty() || printable.isEmpty()) return QRectF(QPointF(0, 0), QSizeF(0, 0));
  const double shrink = std::min({1.0, printable.width() / size.width(), printable.height() / size.height()});
  size *= shrink;
  return QRectF(QPointF(0, 0), size);
}

bool DefaultPrinter::printImage(const QImage& image, QString* error) {
  const QPrinterInfo target = QPrinterInfo::defaultPrinter();
  if (target.isNull()) {
    setError(error, QStringLiteral("There is no default printer.\rSet up a default printer and print again."));
    return false;
  }
  const QString name = target.description().isEmpty() ? target.printerName() : target.description();
  if (!queueAcceptsJobs(target.printerName(), name, error)) return false;
  QPrinter printer(target, QPrinter::HighResolution);
  prepare(printer);
  printer.setCopyCount(1);
  if (!paintPage(printer, image, name, error)) return false;
  return handOverSucceeded(name, error);
}

void QtPrintDialogs::preview(const QImage& image, QWidget* parent) {
  QPrinter printer(QPrinter::HighResolution);
  prepare(printer);
  QPrintPreviewDialog dialog(&printer, parent);
  dialog.setWindowTitle(QStringLiteral("Print Preview"));
  QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                   [&image](QPrinter* target) { (void)paintPage(*target, image, {}, nullptr); });
  dialog.exec();
}

bool QtPrintDialogs::print(const QImage& image, QWidget* parent, QString* error) {
  QPrinter printer(QPrinter::HighResolution);
  prepare(printer);
  QPrintDialog dialog(&printer, parent);
  if (dialog.exec() != QDialog::Accepted) return true;
  const QString name = printer.printerName().isEmpty() ? printer.outputFileName() : printer.printerName();
  if (!paintPage(printer, image, name, error)) return false;
  // Only a print system's queue has a hand-over to ask about; a file has been written.
  return printer.outputFormat() != QPrinter::NativeFormat || handOverSucceeded(name, error);
}

}  // namespace velmora::platform
