#include "engine/UKeyTableNames.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace vellomar {
namespace {

std::string nameOf(int32_t offset) {
  return "disk " + std::to_string(offset) +
         std::string(static_cast<size_t>(std::abs(offset) % 97), 'x');
}

// Offsets spaced as disk blocks are, some negative as a damaged key holds, through many growths
// of the table and many name blocks: every view handed out still reads its name.
TEST(KeyTableNames, ViewsOutliveGrowthAndEveryOffsetFindsItsName) {
  KeyTableNames names;
  std::vector<int32_t> offsets;
  std::vector<std::string_view> views;
  for (int32_t i = 0; i < 20000; ++i) {
    const int32_t offset = i % 7 == 0 ? -i : 65242 + i * 1731;
    offsets.push_back(offset);
    views.push_back(names.put(offset, nameOf(offset)));
  }
  EXPECT_EQ(names.put(1, ""), "");
  for (size_t i = 0; i < offsets.size(); ++i) {
    ASSERT_EQ(views[i], nameOf(offsets[i])) << offsets[i];
    ASSERT_EQ(names.find(offsets[i]), nameOf(offsets[i])) << offsets[i];
  }
  EXPECT_EQ(names.find(1), "");
  EXPECT_FALSE(names.find(65243).has_value());
}

TEST(KeyTableNames, ForgottenNameMissesUntilPutAgainAndClearForgetsAll) {
  KeyTableNames names;
  names.reserve(3);
  const std::string_view old = names.put(100, "old");
  names.put(200, "other");
  names.forget(100);
  names.forget(300);
  EXPECT_FALSE(names.find(100).has_value());
  EXPECT_FALSE(names.find(300).has_value());
  EXPECT_EQ(old, "old") << "a view of a forgotten name stays readable";
  names.put(100, std::string(300, 'n'));
  EXPECT_EQ(names.find(100), std::string(255, 'n')) << "a name keeps at most 255 bytes";
  EXPECT_EQ(names.find(200), "other");
  names.clear();
  EXPECT_FALSE(names.find(200).has_value());
  names.put(200, "again");
  EXPECT_EQ(names.find(200), "again");
}

}  // namespace
}  // namespace vellomar
