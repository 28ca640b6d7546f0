// SPDX-License-Identifier: GPL-3.0-or-later
// Turning a window's input off without changing its look.
//
// While the window is printed it must ignore the mouse and the keyboard, yet its image goes to
// the printer: a disabled widget of the toolkit would draw its texts in the faded disabled
// colours, and the page would show them so. An InputBlock keeps every control enabled and
// drawn as usual and drops the user's input to the window instead, for as long as it lives.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace velmora::platform {

class InputBlock final : public QObject {
 public:
  /// From now on `window` and every control in it ignore mouse, keyboard, wheel, touch,
  /// shortcut and context-menu input. Other windows are not affected.
  explicit InputBlock(QWidget& window);
  ~InputBlock() override;
  InputBlock(const InputBlock&) = delete;
  InputBlock& operator=(const InputBlock&) = delete;

  /// True when `event` is user input that the block drops for `target`.
  bool drops(const QObject* target, const QEvent* event) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QPointer<QWidget> m_window;
};

}  // namespace velmora::platform
