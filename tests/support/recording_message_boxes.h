// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window tests' message boxes: every box is kept instead of shown, and the question
// whether to save changes is kept apart and answered as the test scripted it.

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

#include "velmora/platform/message_boxes.h"

namespace velmora::platform {

class RecordingMessageBoxes final : public MessageBoxes {
 public:
  enum class Icon { warning, information };

  struct Box {
    Icon icon;
    QString title;
    QString prompt;  // as given, with its "\r" separators
  };

  void showWarning(const QString& title, const QString& prompt) override;
  void showInformation(const QString& title, const QString& prompt) override;
  SaveChanges askToSaveChanges(const QString& title, const QString& prompt) override;

  const QList<Box>& boxes() const { return m_boxes; }
  void clear() { m_boxes.clear(); }

  /// The prompts of the save-changes questions asked, and the answer each gets (discard
  /// unless a test says otherwise, so that closing a changed window in a test ends it).
  const QStringList& questions() const { return m_questions; }
  void answerQuestionsWith(SaveChanges answer) { m_answer = answer; }

  /// Called with each box right after it is recorded, while the caller is still "inside"
  /// the modal call; lets a test look at the window while the box would be open.
  std::function<void(const Box&)> onShow;

 private:
  void record(Icon icon, const QString& title, const QString& prompt);

  QList<Box> m_boxes;
  QStringList m_questions;
  SaveChanges m_answer = SaveChanges::discard;
};

}  // namespace velmora::platform
