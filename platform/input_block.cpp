// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/platform/input_block.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWindow>

namespace velmora::platform {

namespace {

bool isUserInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
      return true;
    default:
      return false;
  }
}

}  // namespace

InputBlock::InputBlock(QWidget& window) : m_window(&window) {
  QCoreApplication::instance()->installEventFilter(this);
}

InputBlock::~InputBlock() {
  if (QCoreApplication::instance() != nullptr) QCoreApplication::instance()->removeEventFilter(this);
}

bool InputBlock::drops(const QObject* target, const QEvent* event) const {
  if (m_window.isNull() || target == nullptr || !isUserInput(event->type())) return false;
  if (target->isWidgetType()) return static_cast<const QWidget*>(target)->window() == m_window;
  // Input reaches the window system's window before its widgets.
  if (target->isWindowType()) return static_cast<const QWindow*>(target) == m_window->windowHandle();
  return false;
}

bool InputBlock::eventFilter(QObject* watched, QEvent* event) {
  if (drops(watched, event)) {
    event->accept();
    return true;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace velmora::platform
