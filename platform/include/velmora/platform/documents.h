// SPDX-License-Identifier: GPL-3.0-or-later
// Documents the program hands out and takes in: a table on the clipboard, a PDF drawn in
// memory, a file written in one piece, a small file read whole and a large one read as a stream.
#pragma once

#include <QByteArray>
#include <QLocale>
#include <QPageSize>
#include <QString>

#include <functional>
#include <istream>
#include <memory>
#include <optional>

class QPainter;
class QPdfWriter;

namespace velmora::platform {

/// Puts a table on the system clipboard in two forms at once: `tabSeparated` for plain-text
/// readers and `html` (a table) for spreadsheets and word processors.
void putTableOnClipboard(const QString& tabSeparated, const QString& html);

/// Letter where the locale measures in US units (the United States and the countries that
/// follow its paper sizes), A4 everywhere else.
QPageSize::PageSizeId paperForLocale(const QLocale& locale);

/// A PDF document drawn in memory by `draw`, on pages of the locale's paper with 15 mm
/// margins, at 1200 dots per inch; `draw` gets the writer (for new pages) and a painter that
/// is active on it. The text stays text and the lines stay lines; the faces drawn are
/// embedded. Empty when the painter could not start.
QByteArray drawPdf(const QString& title, const QLocale& locale,
                   const std::function<void(QPdfWriter&, QPainter&)>& draw);

/// Writes `bytes` to `path` in one piece: into a temporary file beside it that replaces the
/// old file only once everything is written, so a failure leaves any earlier file as it was.
/// On failure returns false and, when `error` is given, says why in a short line.
bool writeWholeFile(const QString& path, const QByteArray& bytes, QString* error);

/// `path` opened for reading as bytes, for a reader that takes a stream: a file of a million
/// lines is read as it goes, never held whole. Null when it cannot be opened (missing, a
/// folder, not permitted), with why in `error` when given. Safe on any thread.
std::unique_ptr<std::istream> openForReading(const QString& path, QString* error);

/// The bytes of the file at `path`, at most `maxBytes` of them: a caller that refuses larger
/// files asks for one byte more than it takes and sees the excess without reading a huge
/// file whole. Empty (no value), with why in `error` when given, when it cannot be read.
std::optional<QByteArray> readFileStart(const QString& path, qint64 maxBytes, QString* error);

/// Whether a file (not a folder) exists at `path`.
bool fileExists(const QString& path);

}  // namespace velmora::platform
