// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/platform/message_boxes.h"

#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QShowEvent>
#include <QWidget>

namespace velmora::platform {

QString promptAsShown(const QString& prompt) {
  QString shown = prompt;
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return shown;
}

namespace {

// Every line of a prompt stays one line: the box grows to the widest line instead of
// wrapping it (the standard box wraps anything wider than half the screen or 500 pixels).
class UnwrappedMessageBox final : public QMessageBox {
 public:
  using QMessageBox::QMessageBox;

 protected:
  void showEvent(QShowEvent* event) override {
    QMessageBox::showEvent(event);
    auto* label = findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    if (label == nullptr || !label->wordWrap()) return;
    label->setWordWrap(false);
    label->setMinimumSize(label->sizeHint());
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    if (layout() != nullptr) layout()->activate();
    setFixedSize(sizeHint());
  }
};

void showBox(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& prompt) {
  UnwrappedMessageBox box(icon, title, promptAsShown(prompt), QMessageBox::Ok, parent);
  // Plain text keeps the blanks that indent the lines of a prompt.
  box.setTextFormat(Qt::PlainText);
  box.setWindowModality(parent != nullptr ? Qt::WindowModal : Qt::ApplicationModal);
  box.setDefaultButton(QMessageBox::Ok);
  box.setEscapeButton(QMessageBox::Ok);
  box.exec();
}

}  // namespace

void QtMessageBoxes::showWarning(const QString& title, const QString& prompt) {
  showBox(m_parent, QMessageBox::Warning, title, prompt);
}

void QtMessageBoxes::showInformation(const QString& title, const QString& prompt) {
  showBox(m_parent, QMessageBox::Information, title, prompt);
}

SaveChanges QtMessageBoxes::askToSaveChanges(const QString& title, const QString& prompt) {
  // A question whose answer can lose work carries the warning icon, as the toolkit advises.
  UnwrappedMessageBox box(QMessageBox::Warning, title, promptAsShown(prompt),
                          QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, m_parent);
  box.setTextFormat(Qt::PlainText);
  box.setWindowModality(m_parent != nullptr ? Qt::WindowModal : Qt::ApplicationModal);
  box.setDefaultButton(QMessageBox::Save);
  box.setEscapeButton(QMessageBox::Cancel);
  switch (box.exec()) {
    case QMessageBox::Save: return SaveChanges::save;
    case QMessageBox::Discard: return SaveChanges::discard;
    default: return SaveChanges::cancel;  // Cancel, Escape, the window's close button
  }
}

}  // namespace velmora::platform
