#include "engine/api/UCallbacks.h"

#include "engine/api/UApiGlobals.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vellomar {
namespace {

std::vector<std::string> calls;

bool recordQuery(const ShortString& text) {
  calls.push_back("query " + text.str());
  return false;
}
uint16_t recordChoice(const ShortString& text) {
  calls.push_back("choice " + text.str());
  return kChoiceSkip;
}
void recordMessage(const ShortString& text) {
  calls.push_back("message " + text.str());
}
void recordAppend(const ShortString& text) {
  calls.push_back("append " + text.str());
}
void recordPercent(int32_t phase, int32_t percent) {
  calls.push_back("percent " + std::to_string(phase) + " " + std::to_string(percent));
}
bool recordAbort() {
  calls.push_back("abort");
  return true;
}

class Callbacks : public ::testing::Test {
 protected:
  void SetUp() override { calls.clear(); }
  void TearDown() override { ResetCallbacks(); }
};

void expectDefaults() {
  EXPECT_TRUE(CallbackQuery("q"));
  EXPECT_EQ(CallbackChoice("c:\\a.zip"), kChoiceScanAll);
  CallbackMessage("m");
  CallbackAppendText("a");
  CallbackPercent(1, 50);
  EXPECT_FALSE(CallbackAbort());
}

TEST_F(Callbacks, DefaultsDoNothingAndScanEveryArchive) {
  expectDefaults();
  EXPECT_TRUE(calls.empty());
}

TEST_F(Callbacks, SetInstallsAllSixInOrderAndResetRestoresDefaults) {
  SetCallbacks(recordQuery, recordChoice, recordMessage, recordAppend, recordPercent, recordAbort);
  EXPECT_FALSE(CallbackQuery("q"));
  EXPECT_EQ(CallbackChoice("c"), kChoiceSkip);
  CallbackMessage("m");
  CallbackAppendText("a");
  CallbackPercent(2, 75);
  EXPECT_TRUE(CallbackAbort());
  EXPECT_EQ(calls, (std::vector<std::string>{"query q", "choice c", "message m", "append a",
                                             "percent 2 75", "abort"}));
  calls.clear();
  ResetCallbacks();
  expectDefaults();
  EXPECT_TRUE(calls.empty());
}

TEST_F(Callbacks, NullProceduresFallBackToDefaults) {
  SetCallbacks(nullptr, nullptr, recordMessage, nullptr, nullptr, nullptr);
  CallbackMessage("m");
  EXPECT_TRUE(CallbackQuery("q"));
  EXPECT_EQ(CallbackChoice("c"), kChoiceScanAll);
  CallbackAppendText("a");
  CallbackPercent(1, 1);
  EXPECT_FALSE(CallbackAbort());
  EXPECT_EQ(calls, std::vector<std::string>{"message m"});
}

void stopAtOnce(bool& abort) {
  abort = true;
}
void widen(const ShortString& name, int32_t& width) {
  width = name.length() * 7;
}
void countExport() {
  calls.push_back("export");
}

TEST_F(Callbacks, PerHandleSlotsKeepTheirOrderAndNeverHoldNull) {
  bool abort = false;
  progressOrDefault(nullptr)(abort);
  EXPECT_FALSE(abort);
  progressOrDefault(stopAtOnce)(abort);
  EXPECT_TRUE(abort);

  const TPrintCallbacks print = makePrintCallbacks(recordMessage, nullptr, nullptr, widen);
  print.Disk("disk");
  print.Folder("folder");
  int32_t width = 3;
  print.Measure("abc", width);
  EXPECT_EQ(width, 21);
  TPrintCallbacks defaults;
  defaults.Measure("abcdef", width);
  EXPECT_EQ(width, 21) << "the default measure leaves the width as it was";
  EXPECT_EQ(calls, std::vector<std::string>{"message disk"});

  calls.clear();
  const TExportCallbacks exported =
      makeExportCallbacks(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, countExport);
  for (TExportCallback slot : {exported.DatabaseBegin, exported.DatabaseEnd, exported.DiskBegin,
                               exported.DiskEnd, exported.FolderBegin, exported.FolderEnd}) {
    ASSERT_NE(slot, nullptr);
    slot();
  }
  exported.File();
  EXPECT_EQ(calls, std::vector<std::string>{"export"});
}

}  // namespace
}  // namespace vellomar
