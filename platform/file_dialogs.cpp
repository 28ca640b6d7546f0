// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/platform/file_dialogs.h"

#include <QFileDialog>

namespace velmora::platform {

QString QtFileDialogs::saveFileName(QWidget* parent, const QString& title, const QString& suggested,
                                    const QString& filter) {
  return QFileDialog::getSaveFileName(parent, title, suggested, filter);
}

QString QtFileDialogs::openFileName(QWidget* parent, const QString& title, const QString& filter) {
  return QFileDialog::getOpenFileName(parent, title, QString(), filter);
}

QString ScriptedFileDialogs::saveFileName(QWidget* /*parent*/, const QString& title,
                                          const QString& /*suggested*/, const QString& /*filter*/) {
  m_questions.append(title);
  return m_answer;
}

QString ScriptedFileDialogs::openFileName(QWidget* /*parent*/, const QString& title, const QString& /*filter*/) {
  m_questions.append(title);
  return m_answer;
}

}  // namespace velmora::platform
