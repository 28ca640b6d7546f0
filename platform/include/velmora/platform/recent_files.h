// SPDX-License-Identifier: GPL-3.0-or-later
// The files of one kind the user last opened or saved, newest first, kept in the program's
// settings (the toolkit's per-user store) so that the list outlives the program.
#pragma once

#include <QString>
#include <QStringList>

#include <utility>

namespace velmora::platform {

class RecentFiles {
 public:
  /// The list kept under `key`, at most `capacity` files long.
  RecentFiles(QString key, int capacity) : m_key(std::move(key)), m_capacity(capacity) {}

  /// The files, newest first, as absolute paths.
  [[nodiscard]] QStringList files() const;
  /// Puts `path` first (once: an earlier place of it goes), dropping the oldest beyond the capacity.
  void add(const QString& path);
  void remove(const QString& path);

 private:
  void store(const QStringList& files) const;

  QString m_key;
  int m_capacity;
};

}  // namespace velmora::platform
