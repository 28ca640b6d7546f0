// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window tests' message boxes: every box is kept instead of shown.

#include <QList>
#include <QString>

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

  const QList<Box>& boxes() const { return m_boxes; }
  void clear() { m_boxes.clear(); }

  /// Called with each box right after it is recorded, while the caller is still "inside"
  /// the modal call; lets a test look at the window while the box would be open.
  std::function<void(const Box&)> onShow;

 private:
  void record(Icon icon, const QString& title, const QString& prompt);

  QList<Box> m_boxes;
};

}  // namespace velmora::platform
