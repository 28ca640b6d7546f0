// SPDX-License-Identifier: GPL-3.0-or-later
// Modal message boxes: the interface the window talks to, the real boxes, and a recording
// stand-in for tests.
//
// A prompt is built the classic way: its lines are joined by a lone carriage return ("\r"),
// and every carriage return starts a new line in the box (two in a row leave an empty line).
// Each box has one OK button; its answer is never used, so the calls return nothing.
#pragma once

#include <QList>
#include <QString>

#include <functional>

class QWidget;

namespace velmora::platform {

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;

  /// A modal box with the warning icon and a single OK button.
  virtual void showWarning(const QString& title, const QString& prompt) = 0;
  /// A modal box with the information icon and a single OK button.
  virtual void showInformation(const QString& title, const QString& prompt) = 0;
};

/// The prompt as a box shows it: every lone "\r" (and "\r\n") becomes a line break.
QString promptAsShown(const QString& prompt);

/// Real boxes, modal to `parent` (application-modal when there is none).
class QtMessageBoxes final : public MessageBoxes {
 public:
  explicit QtMessageBoxes(QWidget* parent = nullptr) : m_parent(parent) {}

  void setParent(QWidget* parent) { m_parent = parent; }

  void showWarning(const QString& title, const QString& prompt) override;
  void showInformation(const QString& title, const QString& prompt) override;

 private:
  QWidget* m_parent;
};

/// Keeps every box instead of showing it; for tests.
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
