#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "tests/ui/support/Screenshots.h"
#include "ui/common/UHelpWindow.h"
#include "ui/common/UWindowPlacement.h"

namespace vellomar {
namespace {

TEST(HelpWindow, AnchorsOfContextsAndUnknownNumbersShowTheContents) {
  const std::string html =
      R"(<h1>Contents</h1><h2 id="context-110">Scan</h2><a name="context-230"></a>)";
  EXPECT_EQ(helpAnchor(html, 110), "context-110");
  EXPECT_EQ(helpAnchor(html, 230), "context-230");
  EXPECT_EQ(helpAnchor(html, 0), "");
  EXPECT_EQ(helpAnchor(html, 11), "") << "a prefix of a known number is not that number";
  EXPECT_EQ(helpAnchor(html, 999), "");
}

TEST(HelpWindow, EscapeClosesIt) {
  const auto file = std::filesystem::temp_directory_path() / "vellomar-help-test.hlp";
  std::ofstream(file) << R"(<html><body><h1>Contents</h1><p id="context-5">Five</p></body></html>)";
  QPointer<HelpWindow> window = new HelpWindow(file.string());
  window->show();
  window->showTopic(5);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.data()));
  test::saveScreenshot(window.data(), "help-window");
  QTest::keyClick(window.data(), Qt::Key_Escape);
  EXPECT_TRUE(QTest::qWaitFor([&] { return window.isNull(); })) << "closed and deleted";
  std::filesystem::remove(file);
}

// Help asked for from a modal dialog belongs to the dialog: a window the dialog's modal state
// does not block, above it. Asked for with no dialog open, it is a window of its own again;
// either way it lies inside the screen's available area.
TEST(HelpWindow, FromAModalDialogItBelongsToTheDialog) {
  const std::unique_ptr<HelpService> help = makeHelpWindowService();
  QDialog dialog;
  dialog.setModal(true);
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  ASSERT_EQ(QApplication::activeModalWidget(), &dialog);
  help->showContext(120);
  QPointer<HelpWindow> window = dialog.findChild<HelpWindow*>();
  ASSERT_FALSE(window.isNull());
  EXPECT_TRUE(window->isWindow());
  EXPECT_TRUE(window->isVisible());
  EXPECT_TRUE(screenArea().contains(frameBounds(window)));
  dialog.hide();
  help->showContents();
  EXPECT_TRUE(window.isNull()) << "made anew for its new owner";
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* own = qobject_cast<HelpWindow*>(w); own != nullptr && own->isVisible()) window = own;
  ASSERT_FALSE(window.isNull());
  EXPECT_EQ(window->parentWidget(), nullptr);
  EXPECT_TRUE(screenArea().contains(frameBounds(window)));
  help->quit();
  EXPECT_TRUE(QTest::qWaitFor([&] { return window.isNull(); })) << "closed and deleted";
}

}  // namespace
}  // namespace vellomar
