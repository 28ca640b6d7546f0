// SPDX-License-Identifier: GPL-3.0-or-later
// Modal message boxes: the interface the window talks to and the real boxes (the tests'
// recording stand-in is tests/support/recording_message_boxes.h).
//
// A prompt is built the classic way: its lines are joined by a lone carriage return ("\r"),
// and every carriage return starts a new line in the box (two in a row leave an empty line).
// Each box has one OK button; its answer is never used, so those calls return nothing. The
// one question is whether to save a changed design before it is set aside.
#pragma once

#include <QString>

class QWidget;

namespace velmora::platform {

/// The answers to "save the changes first?".
enum class SaveChanges { save, discard, cancel };

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;

  /// A modal box with the warning icon and a single OK button.
  virtual void showWarning(const QString& title, const QString& prompt) = 0;
  /// A modal box with the information icon and a single OK button.
  virtual void showInformation(const QString& title, const QString& prompt) = 0;
  /// A modal question with Save, Discard and Cancel (the default: Save).
  virtual SaveChanges askToSaveChanges(const QString& title, const QString& prompt) = 0;
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
  SaveChanges askToSaveChanges(const QString& title, const QString& prompt) override;

 private:
  QWidget* m_parent;
};

}  // namespace velmora::platform
