// SPDX-License-Identifier: GPL-3.0-or-later
// The splash window: the program's picture with its version label, shown centred for two and
// a half seconds; then its timer shows the main window and the splash window unloads itself.
#pragma once

#include <QWidget>

#include <functional>

class QLabel;
class QTimer;

namespace velmora::app {

class frmSplash : public QWidget {
  Q_OBJECT

 public:
  /// Makes the main window when the timer fires; called exactly once. The main window is a
  /// top-level window of its own and outlives the splash.
  using MainWindowFactory = std::function<QWidget*()>;

  /// Loads the window; its timer starts counting at once.
  explicit frmSplash(MainWindowFactory createMainWindow, QWidget* parent = nullptr);

  /// The hand-over delay of the timer, in milliseconds.
  static constexpr int kHandOverMilliseconds = 2500;

  QLabel* Image1 = nullptr;
  QLabel* Label1 = nullptr;
  QTimer* tmr1 = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void tmr1Timer();

  MainWindowFactory m_createMainWindow;
  bool m_centred = false;
};

}  // namespace velmora::app
