#include "engine/UKeyField.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/HexBytes.h"

namespace vellomar {
namespace {

using testing::hexBytes;

TEST(KeyField, ShortAndWholeGoldenBytes) {
  TKeyField keys;
  keys.Keys = {{0, 64961}, {kKeyDeleted, 0x01020304}};
  keys.LiveCount = 1;
  keys.CurrentIndex = 1;
  keys.DeletionNumber = 3;
  ByteWriter w;
  writeKeyField(w, keys, false);
  EXPECT_EQ(w.bytes(), hexBytes("10270000 01000000 02000000 01000000 03000000 00000000"
                                "0000 C1FD0000 0100 04030201"));
  ByteWriter whole;
  writeKeyField(whole, keys, true);
  ASSERT_EQ(whole.size(), kKeyFieldSize);
  EXPECT_TRUE(std::equal(w.bytes().begin(), w.bytes().end(), whole.bytes().begin()));
  EXPECT_TRUE(std::all_of(whole.bytes().begin() + w.size(), whole.bytes().end(),
                          [](uint8_t b) { return b == 0; }));

  ByteReader r(whole.bytes().data(), whole.size());
  TKeyField back = readKeyFieldHead(r);
  readKeyEntries(r, back);
  EXPECT_TRUE(r.ok());
  EXPECT_EQ(back.Keys, keys.Keys);
  EXPECT_EQ(back.CurrentIndex, 1);
  EXPECT_EQ(back.LiveCount, 1);
  EXPECT_EQ(back.DeletionNumber, 3);
}

TEST(KeyField, DamagedHeadIsClamped) {
  struct Case {
    const char* what;
    int32_t current, count, live;
    int32_t wantCurrent, wantCount, wantLive;
  };
  const Case cases[] = {
      {"sound", 2, 5, 3, 2, 5, 3},
      {"count over the capacity", 0, 20000, 20000, 0, 10000, 10000},
      {"negative count", 0, -1, 0, 0, 0, 0},
      {"more live keys than keys", 0, 4, 9, 0, 4, 4},
      {"negative live count", 0, 4, -9, 0, 4, 0},
      {"current past the last key", 99999, 4, 4, 3, 4, 4},
      {"negative current", -5, 4, 4, 0, 4, 4},
      {"empty table", 7, 0, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    ByteWriter w;
    for (int32_t v : {12345, c.current, c.count, c.live, 0, 0}) w.i32(v);
    w.zeros(kKeyEntrySize * kKeyCapacity);
    ByteReader r(w.bytes().data(), w.size());
    TKeyField keys = readKeyFieldHead(r);
    readKeyEntries(r, keys);
    EXPECT_TRUE(r.ok()) << c.what;
    EXPECT_EQ(keys.CurrentIndex, c.wantCurrent) << c.what;
    EXPECT_EQ(keys.count(), c.wantCount) << c.what;
    EXPECT_EQ(keys.LiveCount, c.wantLive) << c.what;
  }
}

TEST(KeyField, EntriesPastTheEndFailTheReader) {
  ByteWriter w;
  for (int32_t v : {10000, 0, 3, 3, 0, 0}) w.i32(v);
  w.zeros(2 * kKeyEntrySize + 5);
  ByteReader r(w.bytes().data(), w.size());
  TKeyField keys = readKeyFieldHead(r);
  readKeyEntries(r, keys);
  EXPECT_FALSE(r.ok());
}

}  // namespace
}  // namespace vellomar
