#include "engine/UApi.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "foundation/UExceptions.h"
#include "tests/support/DBaseImage.h"
#include "tests/support/TempFolder.h"

namespace vellomar {
namespace {

using testing::DBaseImage;

// The text a call raises as a fatal error, "" when it raises nothing.
std::string fatalTextOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const EKstvFatalException& e) {
    return e.what();
  }
  return "";
}

class ApiTest : public ::testing::Test {
 protected:
  ~ApiTest() override { ApiCloseDBase(db_, false); }

  // A database holding the disks named, live in the order given, then the deleted ones.
  std::string writeDatabase(const std::vector<std::string>& live,
                            const std::vector<std::string>& deleted = {}) {
    DBaseImage image;
    TKeyField keys;
    for (const std::string& name : live) keys.Keys.push_back({0, image.addDisk(name)});
    for (const std::string& name : deleted) {
      keys.Keys.push_back({kKeyDeleted, image.addDisk(name, true)});
    }
    keys.LiveCount = static_cast<int32_t>(live.size());
    image.setKeys(keys, true);
    const auto& bytes = image.bytes();
    return dir_.file("db.kvd",
                     std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  }

  void open(const std::string& path) {
    ShortString error;
    ASSERT_TRUE(ApiOpenDBase(ShortString(path), false, db_, error)) << error.str();
  }

  test::TempFolder dir_{"api"};
  TDBase* db_ = nullptr;
};

TEST_F(ApiTest, NullHandlesRaiseTheirTextOrAnswerEmpty) {
  TDBase* null = nullptr;
  ShortString name("kept");
  uint16_t flags = 7;
  int32_t index = 3;
  TLocalOptions options;
  TDBaseStats stats;
  stats.KeyCount = 9;
  const std::function<void()> raising[] = {
      [&] { ApiGetLocalOptions(null, options); },
      [&] { ApiSetLocalOptions(null, options); },
      [&] { ApiGetDBaseStats(null, stats); },
      [&] { ApiFindDisk(null, name, index); },
      [&] { ApiGetKey(null, name, flags, 0); },
      [&] { ApiGetCurrentKey(null, name, flags, index); },
      [&] { ApiSetCurrentKey(null, 0); },
      [&] { ApiSelectKey(null, true, 0); },
      [&] { ApiToggleKeySelection(null, 0); },
      [&] { ApiCountSelectedKeys(null); },
  };
  for (size_t i = 0; i < std::size(raising); ++i) {
    EXPECT_EQ(fatalTextOf(raising[i]), "Internal error 500: DBaseIsNil") << "call " << i;
  }
  EXPECT_EQ(stats.KeyCount, 0) << "the record is zeroed before the check";
  EXPECT_EQ(name.str(), "kept");

  EXPECT_EQ(ApiGetKeyCount(null), 0);
  EXPECT_FALSE(ApiKeysChanged(null));
  EXPECT_FALSE(ApiTreeChanged(null));
  EXPECT_FALSE(ApiFilesChanged(null));
  EXPECT_FALSE(ApiIsKeySelected(null, 0));
  EXPECT_FALSE(ApiCloseDBase(null, false));
  EXPECT_EQ(fatalTextOf([&] {
              ApiClearKeysChanged(null);
              ApiSetTreeChanged(null);
              ApiSetFilesChanged(null);
            }),
            "");
}

TEST_F(ApiTest, CreateOpenAndCloseADatabase) {
  const std::string path = dir_.at("new.kvd");
  ASSERT_TRUE(ApiCreateDBase(ShortString(path)));
  EXPECT_EQ(ApiTestDBaseFile(ShortString(path)), 0);
  open(path);
  ASSERT_NE(db_, nullptr);
  EXPECT_EQ(ApiGetKeyCount(db_), 0);
  EXPECT_TRUE(ApiKeysChanged(db_));
  ApiClearKeysChanged(db_);
  EXPECT_FALSE(ApiKeysChanged(db_));
  ShortString name;
  uint16_t flags = 0;
  int32_t index = -1;
  EXPECT_FALSE(ApiGetCurrentKey(db_, name, flags, index));

  TLocalOptions options;
  ApiGetLocalOptions(db_, options);
  options.ShowDeleted = true;
  ApiSetLocalOptions(db_, options);
  EXPECT_TRUE(ApiCloseDBase(db_, true));
  EXPECT_EQ(db_, nullptr);
  EXPECT_EQ(ApiTestDBaseFile(ShortString(path)), 4) << "closed as a read-only export";
}

TEST_F(ApiTest, FailedOpenAnswersTheRefusalAndLeavesTheHandleNull) {
  const std::string notDatabase = dir_.file("text.kvd", std::string(70000, 'x'));
  struct Case {
    std::string path;
    int capacity;
    std::string text;
  };
  const Case cases[] = {
      {notDatabase, 255, "This file is not a Vellomar database."},
      {notDatabase, 9, "This file"},
      {dir_.at("missing.kvd"), 255, "The database cannot be open"},
  };
  for (const Case& c : cases) {
    TDBase* handle = reinterpret_cast<TDBase*>(&dir_);  // a stale value the call must clear
    ShortString error;
    EXPECT_FALSE(ApiOpenDBase(ShortString(c.path), false, handle, error, c.capacity));
    EXPECT_EQ(handle, nullptr);
    EXPECT_EQ(error.str(), c.text);
  }
  EXPECT_EQ(test::contentOf(notDatabase), std::string(70000, 'x'));
}

TEST_F(ApiTest, KeysAreReadInShownOrderAndBadIndexesChangeNothing) {
  open(writeDatabase({"Alpha", "beta"}, {"gone [1]"}));
  ShortString name("unchanged");
  uint16_t flags = 99;
  EXPECT_EQ(ApiGetKeyCount(db_), 2);
  for (const int32_t bad : {-1, 2}) {
    EXPECT_FALSE(ApiGetKey(db_, name, flags, bad));
    EXPECT_EQ(name.str(), "unchanged");
    EXPECT_EQ(flags, 99);
  }
  ASSERT_TRUE(ApiGetKey(db_, name, flags, 1, 2));
  EXPECT_EQ(name.str(), "be");
  EXPECT_EQ(flags, 0);

  TLocalOptions options;
  ApiGetLocalOptions(db_, options);
  options.ShowDeleted = true;
  ApiSetLocalOptions(db_, options);
  EXPECT_EQ(ApiGetKeyCount(db_), 3);
  ASSERT_TRUE(ApiGetKey(db_, name, flags, 2));
  EXPECT_EQ(name.str(), "gone [1]");
  EXPECT_EQ(flags, kKeyDeleted);

  ShortString wanted("BETA");
  int32_t index = -1;
  ASSERT_TRUE(ApiFindDisk(db_, wanted, index));
  EXPECT_EQ(index, 1);
  EXPECT_EQ(wanted.str(), "beta") << "the stored name replaces the one asked for";
  ShortString missing("Between");
  EXPECT_FALSE(ApiFindDisk(db_, missing, index));
  EXPECT_EQ(index, 2) << "where the name would go";
  EXPECT_EQ(missing.str(), "Between");

  ApiClearKeysChanged(db_);
  EXPECT_TRUE(ApiSetCurrentKey(db_, 0));
  EXPECT_FALSE(ApiKeysChanged(db_)) << "the current disk did not change";
  EXPECT_TRUE(ApiSetCurrentKey(db_, 2));
  EXPECT_TRUE(ApiKeysChanged(db_));
  EXPECT_FALSE(ApiSetCurrentKey(db_, 3));
  int32_t current = -1;
  ASSERT_TRUE(ApiGetCurrentKey(db_, name, flags, current));
  EXPECT_EQ(current, 2);
  EXPECT_EQ(name.str(), "gone [1]");
}

TEST_F(ApiTest, OnlyLiveDisksCanBeSelected) {
  open(writeDatabase({"a", "b"}, {"c [1]"}));
  ApiSelectKey(db_, true, 0);
  ApiToggleKeySelection(db_, 1);
  ApiToggleKeySelection(db_, 1);
  ApiSelectKey(db_, true, 2);
  ApiToggleKeySelection(db_, 2);
  ApiSelectKey(db_, true, 5);
  EXPECT_TRUE(ApiIsKeySelected(db_, 0));
  EXPECT_FALSE(ApiIsKeySelected(db_, 1));
  EXPECT_FALSE(ApiIsKeySelected(db_, 2));
  EXPECT_FALSE(ApiIsKeySelected(db_, -1));
  EXPECT_EQ(ApiCountSelectedKeys(db_), 1);
  ApiSelectKey(db_, false, 0);
  EXPECT_EQ(ApiCountSelectedKeys(db_), 0);
}

}  // namespace
}  // namespace vellomar
