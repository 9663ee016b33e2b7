#pragma once

#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDialog>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

#include "foundation/UIniFile.h"
#include "tests/support/TempFolder.h"
#include "tests/ui/dbase/PanelCatalogue.h"
#include "tests/ui/support/RecordingServices.h"
#include "tests/ui/support/Screenshots.h"
#include "ui/dbase/FDBase.h"
#include "ui/dbase/FDiskPanel.h"
#include "ui/dbase/FFilePanel.h"
#include "ui/dbase/FTreePanel.h"
#include "ui/settings/FSettings.h"

namespace vellomar::test {

// Runs action on the next modal dialog of type T once it shows, so a test can fill it in and
// close it while the code under test waits in its exec(). Each call handles one dialog.
// The returned timer goes by itself once it has handled its dialog; a test that expects no
// dialog deletes it.
template <typename T>
QPointer<QTimer> onNextDialog(std::function<void(T&)> action) {
  auto* timer = new QTimer;
  timer->setInterval(0);
  QObject::connect(timer, &QTimer::timeout, [timer, action] {
    auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
    if (dialog == nullptr || !dialog->isVisible()) return;
    timer->stop();
    timer->deleteLater();
    action(*dialog);
  });
  timer->start();
  return timer;
}

// A right click as the desktop delivers it: the press, then the context-menu request.
inline void rightClick(QAbstractScrollArea& grid, QPoint at) {
  QTest::mousePress(grid.viewport(), Qt::RightButton, Qt::NoModifier, at);
  QContextMenuEvent request(QContextMenuEvent::Mouse, at, grid.viewport()->mapToGlobal(at));
  QApplication::sendEvent(grid.viewport(), &request);
  QTest::mouseRelease(grid.viewport(), Qt::RightButton, Qt::NoModifier, at);
}

// A database window on the panel catalogue, with the program settings' defaults, filled by
// one idle pass.
class PanelWindowTest : public ::testing::Test {
 protected:
  explicit PanelWindowTest(bool readOnly = false) : catalogue_(readOnly) {
    setConfigFolder(config_.path() + "/");
    settings_ = std::make_unique<TFormSettings>(config_.at("Vellomar.INI"));
    recorder().clear();
    window_ = new TFormDBase;
    window_->resize(900, 420);
    window_->show();
    // Active as on a desktop, so that focus changes reach the panels as focus events.
    QApplication::setActiveWindow(window_);
    EXPECT_TRUE(QTest::qWaitForWindowActive(window_));
    EXPECT_TRUE(window_->OpenDBase(catalogue_.path()));
    idle();
  }
  ~PanelWindowTest() override {
    delete window_.data();
    settings_.reset();
  }

  void idle() { window_->IdleUpdate(); }
  TFormDBase& window() { return *window_; }
  TDiskPanel& disks() { return *window_->diskPanel(); }
  TTreePanel& tree() { return *window_->treePanel(); }
  TFilePanel& files() { return *window_->filePanel(); }
  TDBase* db() { return window_->catalogue().handle(); }

  // The names of the file list from the top.
  std::vector<std::string> fileNames() {
    std::vector<std::string> names;
    for (int32_t i = 0; i < files().lines().count(); ++i) {
      names.push_back(FullNameOf(*files().lines().at(i)));
    }
    return names;
  }

  std::string currentDisk() {
    ShortString name;
    uint16_t flags = 0;
    int32_t index = 0;
    ApiGetCurrentKey(db(), name, flags, index);
    return name.str();
  }

  std::string currentPath() {
    ShortString path;
    ApiGetCurrentPath(db(), path);
    return path.str();
  }

  // Clicks a disk row and lets the window follow.
  void clickDisk(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::mouseClick(disks().viewport(), Qt::LeftButton, modifiers,
                      disks().cellRect(0, row).center());
    idle();
  }

  // Opens a folder of the current disk by its path ("\\Docs") and lets the list follow.
  void goToPath(const std::string& path) {
    ASSERT_TRUE(ApiGoToPath(db(), ShortString(path))) << path;
    idle();
  }

  // The file list's line named so, -1 when none.
  int32_t lineNamed(const std::string& name) {
    for (int32_t i = 0; i < files().lines().count(); ++i) {
      if (FullNameOf(*files().lines().at(i)) == name) return i;
    }
    return -1;
  }

  TempFolder config_{"panelconfig"};
  PanelCatalogue catalogue_;
  std::unique_ptr<TFormSettings> settings_;
  QPointer<TFormDBase> window_;
};

}  // namespace vellomar::test
