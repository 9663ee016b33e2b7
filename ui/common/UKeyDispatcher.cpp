#include "ui/common/UKeyDispatcher.h"

#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QWidget>

namespace vellomar {

void KeyMap::add(QKeyCombination key, std::function<void()> run, std::function<bool()> enabled) {
  bindings_.push_back({key, std::move(run), std::move(enabled)});
}

bool KeyMap::dispatch(QKeyCombination key) const {
  for (const Binding& b : bindings_) {
    if (b.key != key || (b.enabled && !b.enabled())) continue;
    b.run();
    return true;
  }
  return false;
}

bool KeyMap::binds(QKeyCombination key) const {
  for (const Binding& b : bindings_)
    if (b.key == key) return true;
  return false;
}

QString keyText(QKeyCombination key) {
  return QKeySequence(key).toString(QKeySequence::NativeText);
}

KeyDispatcher::KeyDispatcher(QWidget* window, KeyMap* windowKeys,
                             std::function<void()> beforeWindowKeys)
    : QObject(window),
      window_(window),
      windowKeys_(windowKeys),
      beforeWindowKeys_(std::move(beforeWindowKeys)) {
  QApplication::instance()->installEventFilter(this);
}

KeyDispatcher::~KeyDispatcher() {
  QApplication::instance()->removeEventFilter(this);
}

bool KeyDispatcher::dispatch(QWidget* focus, QKeyCombination key) {
  for (QWidget* w = focus; w != nullptr; w = w->parentWidget()) {
    if (w == window_) break;
    const auto* map = w->findChild<KeyMap*>(QString(), Qt::FindDirectChildrenOnly);
    if (map && map->dispatch(key)) return true;
  }
  if (!windowKeys_) return false;
  if (beforeWindowKeys_) beforeWindowKeys_();
  return windowKeys_ && windowKeys_->dispatch(key);
}

bool KeyDispatcher::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress || !window_) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  if (widget == nullptr || widget->window() != window_ || QApplication::activeModalWidget() ||
      QApplication::activePopupWidget())
    return false;
  // The event reaches every widget from the focus up to the window; answer it once, at the
  // focus widget (or at the window when nothing has the focus).
  QWidget* focus = QApplication::focusWidget();
  if (focus != nullptr ? widget != focus : widget != window_) return false;
  const auto* keyEvent = static_cast<QKeyEvent*>(event);
  const QKeyCombination key(keyEvent->modifiers() & ~Qt::KeypadModifier,
                            static_cast<Qt::Key>(keyEvent->key()));
  return dispatch(widget, key);
}

}  // namespace vellomar
