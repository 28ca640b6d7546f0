// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window tests' printer: every printed image is kept instead of printed, and the next
// jobs can be refused with a given reason.

#include <QImage>
#include <QList>
#include <QString>

#include <functional>

#include "velmora/platform/printer.h"

namespace velmora::platform {

class CapturingPrinter final : public Printer {
 public:
  bool printImage(const QImage& image, QString* error) override;

  void failWith(const QString& reason) { m_failure = reason; }
  const QList<QImage>& pages() const { return m_pages; }
  /// Called with each image just before it is kept (or refused); lets a test look at the
  /// window while the print is under way.
  std::function<void(const QImage&)> onPrint;

 private:
  QList<QImage> m_pages;
  QString m_failure;
};

}  // namespace velmora::platform
