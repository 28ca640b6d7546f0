// SPDX-License-Identifier: GPL-3.0-or-later
// One application object for every window test (the platform, window, start-up and
// reliability rooms), made before GoogleTest runs. Without a display the tests draw
// off-screen.
//
// After every test (its fixture destroyed), a top-level window still shown fails that test
// by name; it is then closed and deleted, so that no later test in the same run finds it
// in its way (a stray window can take the focus or the activation a later test waits for).
#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QWidget>

#include <string>
#include <vector>

namespace {

std::string describe(const QWidget& window) {
  std::string text = window.metaObject()->className();
  if (!window.objectName().isEmpty()) text += " \"" + window.objectName().toStdString() + "\"";
  if (!window.windowTitle().isEmpty()) text += " titled \"" + window.windowTitle().toStdString() + "\"";
  return text;
}

class NoWindowLeftOpen : public ::testing::EmptyTestEventListener {
 public:
  // Called before the result printer's own OnTestEnd (GoogleTest calls OnTestEnd in the
  // reverse order of the listeners), so the failure is reported as this test's.
  void OnTestEnd(const ::testing::TestInfo&) override {
    // What the test already asked to go (deleteLater) goes first.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    std::vector<QPointer<QWidget>> open;
    for (QWidget* window : QApplication::topLevelWidgets()) {
      if (window->isVisible()) open.emplace_back(window);
    }
    for (const QPointer<QWidget>& window : open) {
      if (window.isNull()) continue;  // deleted with an earlier one
      ADD_FAILURE() << "the test left a top-level window open: " << describe(*window);
      window->close();
      if (!window.isNull()) window->deleteLater();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::UnitTest::GetInstance()->listeners().Append(new NoWindowLeftOpen);
  return RUN_ALL_TESTS();
}
