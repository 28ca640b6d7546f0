// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/platform/file_dialogs.h"

#include <QFileDialog>
#include <QRegularExpression>

namespace velmora::platform {

namespace {

// "pdf" from "PDF documents (*.pdf)": the extension the first pattern of a filter names.
QString extensionOf(const QString& filter) {
  static const QRegularExpression pattern(QStringLiteral("\\*\\.(\\w+)"));
  return pattern.match(filter).captured(1);
}

}  // namespace

QString QtFileDialogs::saveFileName(QWidget* parent, const QString& title, const QString& suggested,
                                    const QString& filter) {
  // A dialog of our own rather than getSaveFileName: with the default suffix the dialog
  // itself completes "site" to "site.velmora", so its question before replacing a file is
  // asked about the file that will be replaced, not about one that does not exist.
  QFileDialog dialog(parent, title, suggested, filter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(extensionOf(filter));
  if (dialog.exec() != QDialog::Accepted) return {};
  return dialog.selectedFiles().value(0);
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
