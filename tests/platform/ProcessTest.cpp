#include "platform/PProcess.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/TempFolder.h"

namespace vellomar {
namespace {

TEST(Process, RunsAProgramFromThePathAndAnswersItsExitStatus) {
  test::TempFolder folder("process");
  const std::string marker = folder.at("ran");
  struct Case {
    const char* program;
    std::vector<std::string> arguments;
    std::optional<int> status;
  };
  const Case cases[] = {
      {"true", {}, 0},
      {"sh", {"-c", "echo noise; echo more >&2; exit 3"}, 3},
      {"sh", {"-c", "touch \"$1\"", "sh", marker}, 0},
      {"sh", {"-c", "kill -9 $$"}, std::nullopt},
      {"vellomar-no-such-program", {}, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(runProgram(c.program, c.arguments), c.status) << c.program;
  }
  EXPECT_TRUE(std::filesystem::exists(marker)) << "arguments reach the program as given";
}

}  // namespace
}  // namespace vellomar
