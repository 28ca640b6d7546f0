// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/platform/recent_files.h"

#include <QFileInfo>
#include <QSettings>

namespace velmora::platform {

namespace {

// The names the program's identity gives the application (app/resources/app_identity.cpp),
// spelt out here so that the list is the same store whoever made the application object
// (the window tests make theirs without that identity).
QSettings settings() { return QSettings(QStringLiteral("Velmora project"), QStringLiteral("Velmora")); }

QString absolute(const QString& path) { return QFileInfo(path).absoluteFilePath(); }

}  // namespace

QStringList RecentFiles::files() const {
  QStringList files = settings().value(m_key).toStringList();
  files.removeAll(QString());
  return files.mid(0, m_capacity);
}

void RecentFiles::add(const QString& path) {
  QStringList files = this->files();
  files.removeAll(absolute(path));
  files.prepend(absolute(path));
  store(files.mid(0, m_capacity));
}

void RecentFiles::remove(const QString& path) {
  QStringList files = this->files();
  files.removeAll(absolute(path));
  store(files);
}

void RecentFiles::store(const QStringList& files) const {
  QSettings kept = settings();
  kept.setValue(m_key, files);
}

}  // namespace velmora::platform
