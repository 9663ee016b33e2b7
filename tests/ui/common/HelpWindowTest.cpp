#include <gtest/gtest.h>

#include <QPointer>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "tests/ui/support/Screenshots.h"
#include "ui/common/UHelpWindow.h"

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

}  // namespace
}  // namespace vellomar
