// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/platform/documents.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QMarginsF>
#include <QMimeData>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

namespace velmora::platform {

void putTableOnClipboard(const QString& tabSeparated, const QString& html) {
  auto* data = new QMimeData;
  data->setText(tabSeparated);
  data->setHtml(html);
  QGuiApplication::clipboard()->setMimeData(data);  // the clipboard owns it now
}

QPageSize::PageSizeId paperForLocale(const QLocale& locale) {
  return locale.measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter : QPageSize::A4;
}

QByteArray drawPdf(const QString& title, const QLocale& locale,
                   const std::function<void(QPdfWriter&, QPainter&)>& draw) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  if (!buffer.open(QIODevice::WriteOnly)) return {};
  {
    QPdfWriter writer(&buffer);
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("Velmora"));
    writer.setResolution(1200);
    writer.setPageLayout(QPageLayout(QPageSize(paperForLocale(locale)), QPageLayout::Portrait,
                                     QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
    QPainter painter;
    if (!painter.begin(&writer)) return {};
    draw(writer, painter);
    painter.end();
  }
  buffer.close();
  return bytes;
}

bool writeWholeFile(const QString& path, const QByteArray& bytes, QString* error) {
  QSaveFile file(path);
  const auto fail = [&] {
    if (error != nullptr) *error = file.errorString();
    file.cancelWriting();
    return false;
  };
  if (!file.open(QIODevice::WriteOnly)) return fail();
  if (file.write(bytes) != bytes.size()) return fail();
  if (!file.commit()) {
    if (error != nullptr) *error = file.errorString();
    return false;
  }
  return true;
}

}  // namespace velmora::platform
