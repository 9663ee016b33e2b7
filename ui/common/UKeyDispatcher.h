#pragma once

#include <QKeyCombination>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <vector>

class QWidget;

namespace vellomar {

// The keys of one menu (the main menu, a panel's popup menu): each key with what it runs and
// when it may run. The first binding of a key that is enabled decides. A map made as the child
// of a widget serves the keys pressed while the focus is in that widget.
class KeyMap : public QObject {
  Q_OBJECT
 public:
  explicit KeyMap(QObject* parent = nullptr) : QObject(parent) {}

  // enabled empty: always enabled.
  void add(QKeyCombination key, std::function<void()> run, std::function<bool()> enabled = {});
  // Runs the first enabled binding of the key; false when there is none.
  bool dispatch(QKeyCombination key) const;
  bool binds(QKeyCombination key) const;

 private:
  struct Binding {
    QKeyCombination key;
    std::function<void()> run;
    std::function<bool()> enabled;
  };
  std::vector<Binding> bindings_;
};

// The text a menu shows for a key, after a tab in the item's text ("Ctrl+C", "Shift+F3"),
// so no QAction shortcut competes with the dispatcher.
QString keyText(QKeyCombination key);

// Routes every key pressed in one window (and its MDI children) through the key maps, before
// the focused widget sees it: first the maps of the focus widget and its parents, nearest
// first (the focused panel's popup keys), then the window's own map (the main menu). A key
// that no enabled binding takes goes on to the widget as usual. Keys of modal dialogs and
// popup menus are left alone.
class KeyDispatcher : public QObject {
  Q_OBJECT
 public:
  // beforeWindowKeys runs before the window's map is asked (to refresh its enabled states).
  KeyDispatcher(QWidget* window, KeyMap* windowKeys, std::function<void()> beforeWindowKeys = {});
  ~KeyDispatcher() override;

  // True when a map took the key.
  bool dispatch(QWidget* focus, QKeyCombination key);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QPointer<QWidget> window_;
  QPointer<KeyMap> windowKeys_;
  std::function<void()> beforeWindowKeys_;
};

}  // namespace vellomar
