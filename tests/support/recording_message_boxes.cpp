// SPDX-License-Identifier: GPL-3.0-or-later
#include "recording_message_boxes.h"

namespace velmora::platform {

void RecordingMessageBoxes::showWarning(const QString& title, const QString& prompt) {
  record(Icon::warning, title, prompt);
}

void RecordingMessageBoxes::showInformation(const QString& title, const QString& prompt) {
  record(Icon::information, title, prompt);
}

SaveChanges RecordingMessageBoxes::askToSaveChanges(const QString& /*title*/, const QString& prompt) {
  m_questions.append(prompt);
  return m_answer;
}

void RecordingMessageBoxes::record(Icon icon, const QString& title, const QString& prompt) {
  m_boxes.append(Box{icon, title, prompt});
  if (onShow) onShow(m_boxes.last());
}

}  // namespace velmora::platform
