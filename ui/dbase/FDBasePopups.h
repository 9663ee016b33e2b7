#pragma once

#include <QKeyCombination>
#include <QObject>
#include <functional>
#include <string>
#include <vector>

class QMenu;
class QWidget;

namespace vellomar {

class KeyMap;
class TFormDBase;

// One item of a panel's popup menu: its caption, its key (shown in the menu, served by the
// panel's key map), what it runs, and when it is enabled or checked (empty: always enabled,
// never checked).
struct TPopupItem {
  std::string name;
  std::string caption;
  QKeyCombination key;
  std::function<void()> run;
  std::function<bool()> enabled;
  std::function<bool()> checked;
};

// A panel's popup menu and the key map of the same items: the menu opens on the panel's
// context-menu request with its enabled and check states taken at that moment.
class TPanelPopup : public QObject {
  Q_OBJECT
 public:
  TPanelPopup(QWidget* panel, std::vector<TPopupItem> items);

  QMenu* menu() const { return menu_; }
  // Takes the enabled and check states of every item (done when the menu opens).
  void refresh();

 private:
  std::vector<TPopupItem> items_;
  QMenu* menu_;
};

// The popup menus of the disk list, the folder tree and the file list; made again whenever the
// panels are replaced.
void InstallDBasePopups(TFormDBase& form);

// The popup of a panel of the window, or null.
TPanelPopup* panelPopup(QWidget* panel);

}  // namespace vellomar
