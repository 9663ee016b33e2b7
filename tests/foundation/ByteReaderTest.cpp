#include "foundation/UByteReader.h"

#include <gtest/gtest.h>

#include <limits>

namespace vellomar {
namespace {

TEST(ByteReader, ReadsLittleEndianFields) {
  const uint8_t data[] = {0x01, 0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 0xFF, 0xFF, 0xFF,
                          0xFF, 0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01};
  ByteReader r(data, sizeof data);
  EXPECT_EQ(r.u8(), 0x01);
  EXPECT_EQ(r.u16(), 0x1234);
  EXPECT_EQ(r.u32(), 0x12345678u);
  EXPECT_EQ(r.i32(), -1);
  EXPECT_EQ(r.u64(), 0x0102030405060708ull);
  EXPECT_TRUE(r.ok());
  EXPECT_TRUE(r.atEnd());
}

TEST(ByteReader, OverrunReadsNothingAndStaysFailed) {
  const uint8_t data[] = {1, 2, 3};
  ByteReader r(data, sizeof data);
  EXPECT_EQ(r.u32(), 0u);
  EXPECT_FALSE(r.ok());
  EXPECT_EQ(r.position(), 0u);
  EXPECT_EQ(r.u8(), 0) << "a failed reader never resumes";
  EXPECT_TRUE(r.bytes(1).empty());
}

TEST(ByteReader, HugeLengthsDoNotWrap) {
  const uint8_t data[] = {1, 2, 3, 4};
  ByteReader r(data, sizeof data);
  r.skip(2);
  EXPECT_FALSE(r.has(std::numeric_limits<size_t>::max()));
  r.skip(std::numeric_limits<size_t>::max() - 1);
  EXPECT_FALSE(r.ok());
}

TEST(ByteReader, FixedShortStringClampsItsLengthToTheField) {
  // Length byte 9 in a string[4] field: only 4 characters exist.
  const uint8_t data[] = {9, 'a', 'b', 'c', 'd', 'z'};
  ByteReader r(data, sizeof data);
  EXPECT_EQ(r.fixedShortString(4).view(), "abcd");
  EXPECT_EQ(r.position(), 5u);
  EXPECT_EQ(r.u8(), 'z');
}

TEST(ByteReader, ShortStringLongerThanTheDataFails) {
  const uint8_t data[] = {5, 'a', 'b'};
  ByteReader r(data, sizeof data);
  EXPECT_TRUE(r.shortString().empty());
  EXPECT_FALSE(r.ok());
}

TEST(ByteWriter, WritesWhatTheReaderReads) {
  ByteWriter w;
  w.u8(7);
  w.u16(0xBEEF);
  w.i32(-5);
  w.i64(-2);
  w.fixedShortString("abc", 5);
  w.shortString("xy");
  EXPECT_EQ(w.size(), 1u + 2 + 4 + 8 + 6 + 3);
  ByteReader r(w.bytes().data(), w.size());
  EXPECT_EQ(r.u8(), 7);
  EXPECT_EQ(r.u16(), 0xBEEF);
  EXPECT_EQ(r.i32(), -5);
  EXPECT_EQ(r.i64(), -2);
  EXPECT_EQ(r.fixedShortString(5).view(), "abc");
  EXPECT_EQ(r.shortString().view(), "xy");
  EXPECT_TRUE(r.atEnd());
}

TEST(ByteWriter, FixedFieldNeverCutsACharacter) {
  ByteWriter w;
  w.fixedShortString("ab\xC3\xA9", 3);  // "abé" in 3 bytes: the é does not fit
  const std::vector<uint8_t> expected = {2, 'a', 'b', 0};
  EXPECT_EQ(w.bytes(), expected);
}

}  // namespace
}  // namespace vellomar
