// SPDX-License-Identifier: GPL-3.0-or-later
// Choosing a file to save to or to open: the interface the windows ask, the toolkit's
// dialogs, and a stand-in for tests that answers with a name given beforehand.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace velmora::platform {

class FileDialogs {
 public:
  virtual ~FileDialogs() = default;

  /// Asks where to save; empty when the user cancels. `filter` is in the toolkit's form,
  /// such as "PDF documents (*.pdf)"; `suggested` is the proposed file name or path.
  virtual QString saveFileName(QWidget* parent, const QString& title, const QString& suggested,
                               const QString& filter) = 0;
  /// Asks for an existing file to open; empty when the user cancels.
  virtual QString openFileName(QWidget* parent, const QString& title, const QString& filter) = 0;
};

/// The toolkit's dialogs. The save dialog adds the filter's extension to a name typed
/// without one and asks before replacing an existing file under the name it returns.
class QtFileDialogs final : public FileDialogs {
 public:
  QString saveFileName(QWidget* parent, const QString& title, const QString& suggested,
                       const QString& filter) override;
  QString openFileName(QWidget* parent, const QString& title, const QString& filter) override;
};

/// Answers every question with the name it was given (empty: as if cancelled) and keeps the
/// titles it was asked with.
class ScriptedFileDialogs final : public FileDialogs {
 public:
  void answerWith(const QString& fileName) { m_answer = fileName; }
  const QStringList& questions() const { return m_questions; }

  QString saveFileName(QWidget* parent, const QString& title, const QString& suggested,
                       const QString& filter) override;
  QString openFileName(QWidget* parent, const QString& title, const QString& filter) override;

 private:
  QString m_answer;
  QStringList m_questions;
};

}  // namespace velmora::platform
