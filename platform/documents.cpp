// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/platform/documents.h"

#include <QBuffer>
#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMarginsF>
#include <QMimeData>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include <filesystem>
#include <fstream>

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
  const auto fail = [&](const QString& why) {
    if (error != nullptr) *error = why;
    file.cancelWriting();
    return false;
  };
  if (!file.open(QIODevice::WriteOnly)) return fail(file.errorString());
  if (file.write(bytes) != bytes.size()) return fail(file.errorString());
  // Flushed here, not left to commit(): when the disk takes only part of the bytes (full,
  // or over a size limit) the toolkit's commit() closes the file without noticing and puts
  // the cut-short file in place of the old one. flush() sees the short write, for which the
  // toolkit has no better reason than "Unknown error".
  if (!file.flush()) return fail(QStringLiteral("Only part of the file could be written; the disk may be full."));
  if (!file.commit()) {
    if (error != nullptr) *error = file.errorString();
    return false;
  }
  return true;
}

std::unique_ptr<std::istream> openForReading(const QString& path, QString* error) {
  const auto fail = [error](const QString& why) {
    if (error != nullptr) *error = why;
    return nullptr;
  };
  const QFileInfo info(path);
  if (!info.exists()) return fail(QStringLiteral("The file does not exist."));
  if (info.isDir()) return fail(QStringLiteral("It is a folder, not a file."));
  // The name as UTF-16, so that no name is lost to the local 8-bit code page.
  auto file = std::make_unique<std::ifstream>(std::filesystem::path(path.toStdU16String()), std::ios::binary);
  if (!file->is_open()) return fail(QStringLiteral("The file cannot be opened for reading."));
  return file;
}

std::optional<QByteArray> readFileStart(const QString& path, qint64 maxBytes, QString* error) {
  QFile file(path);
  const auto fail = [&](const QString& why) -> std::optional<QByteArray> {
    if (error != nullptr) *error = why;
    return std::nullopt;
  };
  if (QFileInfo(path).isDir()) return fail(QStringLiteral("It is a folder, not a file."));
  if (!file.open(QIODevice::ReadOnly)) return fail(file.errorString());
  QByteArray bytes = file.read(maxBytes);
  if (file.error() != QFileDevice::NoError) return fail(file.errorString());
  return bytes;
}

bool fileExists(const QString& path) { return QFileInfo(path).isFile(); }

}  // namespace velmora::platform
