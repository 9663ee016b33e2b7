#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include "engine/api/UApiGlobals.h"
#include "engine/api/UCallbacks.h"
#include "foundation/UExceptions.h"
#include "tests/ui/support/RecordingServices.h"
#include "ui/common/UIdleLoop.h"
#include "ui/common/UKeyDispatcher.h"
#include "ui/common/UProgressWindow.h"

namespace vellomar {
namespace {

TEST(IdleLoop, APassFollowsEventsButNotWhileTheEngineIsBusy) {
  int passes = 0;
  IdleLoop loop([&] { ++passes; }, [] {});
  loop.start();
  EXPECT_TRUE(QTest::qWaitFor([&] { return passes >= 1; }));
  // Once the queue is quiet, passes stop: a pass causes no pass of its own.
  const int settled = passes;
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
  EXPECT_LE(passes, settled + 1);

  const int before = passes;
  {
    const IdleLoop::EngineBusy busy;
    loop.runIdlePass();
    loop.runTimerTick();
    QCoreApplication::postEvent(&loop, new QEvent(QEvent::User));
    QCoreApplication::processEvents();
    EXPECT_EQ(passes, before);
  }
  // The pass held back runs once the engine is free.
  EXPECT_TRUE(QTest::qWaitFor([&] { return passes > before; }));
}

TEST(IdleLoop, APassDoesNotRunInsideItself) {
  int depth = 0;
  int deepest = 0;
  IdleLoop* self = nullptr;
  IdleLoop loop(
      [&] {
        ++depth;
        deepest = std::max(deepest, depth);
        self->runIdlePass();
        --depth;
      },
      [] {});
  self = &loop;
  loop.runIdlePass();
  EXPECT_EQ(deepest, 1);
}

// A window whose focus can sit in an edit that carries a popup menu's keys.
struct KeyWindow {
  KeyWindow() {
    auto* central = new QWidget(&window);
    auto* layout = new QVBoxLayout(central);
    panel = new QLineEdit(central);
    layout->addWidget(panel);
    window.setCentralWidget(central);
    windowKeys = new KeyMap(&window);
    panelKeys = new KeyMap(panel);
    dispatcher = new KeyDispatcher(&window, windowKeys, [this] { ++refreshes; });
    window.show();
    window.activateWindow();
    panel->setFocus();
  }
  QMainWindow window;
  QLineEdit* panel;
  KeyMap* windowKeys;
  KeyMap* panelKeys;
  KeyDispatcher* dispatcher;
  int refreshes = 0;
};

TEST(KeyDispatcher, TheFocusedPanelsKeysComeFirst) {
  KeyWindow w;
  std::vector<std::string> ran;
  bool panelEnabled = true;
  w.panelKeys->add(
      Qt::SHIFT | Qt::Key_F3, [&] { ran.push_back("panel"); }, [&] { return panelEnabled; });
  w.windowKeys->add(Qt::SHIFT | Qt::Key_F3, [&] { ran.push_back("menu"); });
  w.windowKeys->add(
      Qt::CTRL | Qt::Key_Z, [&] { ran.push_back("disabled"); }, [] { return false; });
  ASSERT_TRUE(QTest::qWaitFor([&] { return w.panel->hasFocus(); }));

  QTest::keyClick(w.panel, Qt::Key_F3, Qt::ShiftModifier);
  panelEnabled = false;  // a disabled popup item leaves the key to the menu
  QTest::keyClick(w.panel, Qt::Key_F3, Qt::ShiftModifier);
  QTest::keyClick(w.panel, Qt::Key_Z, Qt::ControlModifier);
  QTest::keyClicks(w.panel, "ab");  // keys nobody binds reach the widget
  EXPECT_EQ(ran, (std::vector<std::string>{"panel", "menu"}));
  EXPECT_EQ(w.panel->text(), "ab");
  EXPECT_GE(w.refreshes, 1);
  EXPECT_EQ(keyText(Qt::SHIFT | Qt::Key_F3), "Shift+F3");
}

// A job that either fails or runs until it is cancelled.
class JobWindow : public TProgressWindow {
 public:
  bool fail = false;
  bool sawCancel = false;
  bool callbacksSet = false;

 protected:
  int runJob() override {
    SetCallbacks(nullptr, nullptr, nullptr, nullptr, nullptr, &ProgressContext::abort);
    callbacksSet = CallbackAbort == &ProgressContext::abort;
    if (fail) throw EKstvNormalException("Disk is full.");
    QTimer::singleShot(0, this, [this] { QTest::keyClick(this, Qt::Key_Escape); });
    while (!CallbackAbort()) letEventsRun();
    sawCancel = true;
    return QDialog::Accepted;
  }
};

TEST(ProgressWindow, CancelOnlyAsksTheJobToStop) {
  test::recorder().clear();
  JobWindow w;
  EXPECT_EQ(w.exec(), QDialog::Accepted);  // the job ends itself, with its own result
  EXPECT_TRUE(w.callbacksSet);
  EXPECT_TRUE(w.sawCancel);
  EXPECT_NE(CallbackAbort, &ProgressContext::abort);  // reset after the job
  EXPECT_TRUE(test::recorder().boxes.empty());
}

TEST(ProgressWindow, AFailedJobIsReportedAndClosesTheWindow) {
  test::recorder().clear();
  JobWindow w;
  w.fail = true;
  EXPECT_EQ(w.exec(), QDialog::Rejected);
  EXPECT_NE(CallbackAbort, &ProgressContext::abort);
  ASSERT_EQ(test::recorder().boxes.size(), 1u);
  EXPECT_EQ(test::recorder().boxes[0].text, "Disk is full.");
}

}  // namespace
}  // namespace vellomar
