#include "foundation/UExceptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vellomar {
namespace {

TEST(Exceptions, DamageMessageNamesThePlaceInThreeDigits) {
  const EKstvDBaseStructException e(12);
  EXPECT_EQ(e.code(), 12);
  EXPECT_STREQ(e.what(),
               "Error in database structure found. Close the database and call Repair from the "
               "File menu.  (012)");
  const EKstvException& base = e;
  EXPECT_EQ(base.what(), DBaseStructMessage(12));
}

struct Box {
  std::string caption;
  std::string text;
  MessageBoxIcon icon;
};

class MessageBoxes : public ::testing::Test {
 protected:
  void SetUp() override {
    SetMessageBoxHandler(
        [this](std::string_view caption, std::string_view text, MessageBoxIcon icon) {
          shown_.push_back({std::string(caption), std::string(text), icon});
        });
  }
  void TearDown() override { SetMessageBoxHandler(nullptr); }

  std::vector<Box> shown_;
};

TEST_F(MessageBoxes, ErrorAndCriticalErrorBoxes) {
  ShowErrorBox("Database is full. Make compression.");
  ShowCriticalErrorBox("File writing error.");
  ASSERT_EQ(shown_.size(), 2u);
  EXPECT_EQ(shown_[0].caption, "Error");
  EXPECT_EQ(shown_[0].text, "Database is full. Make compression.");
  EXPECT_EQ(shown_[0].icon, MessageBoxIcon::kExclamation);
  EXPECT_EQ(shown_[1].caption, "Critical error");
  EXPECT_EQ(shown_[1].text, "Critical error.\nFile writing error.");
  EXPECT_EQ(shown_[1].icon, MessageBoxIcon::kError);
}

TEST_F(MessageBoxes, WithoutAWindowTheyGoToStderr) {
  SetMessageBoxHandler(nullptr);
  ::testing::internal::CaptureStderr();
  ShowErrorBox("File reading error.");
  ShowCriticalErrorBox("Internal error 500: DBaseIsNil");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "Error: File reading error.\n"
            "Critical error: Critical error.\nInternal error 500: DBaseIsNil\n");
  EXPECT_TRUE(shown_.empty());
}

}  // namespace
}  // namespace vellomar
