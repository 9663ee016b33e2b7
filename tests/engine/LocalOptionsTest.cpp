#include "engine/api/ULocalOptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vellomar {
namespace {

std::vector<uint8_t> bytesOf(const TLocalOptions& options) {
  ByteWriter w;
  writeLocalOptions(w, options);
  return w.take();
}

TEST(LocalOptions, DefaultsAsStored) {
  TLocalOptions options;
  options.ShowDeleted = true;  // cleared by the defaults
  SetDefaultLocalOptions(options);
  const std::vector<uint8_t> b = bytesOf(options);
  ASSERT_EQ(b.size(), kLocalOptionsSize);

  std::vector<uint8_t> expected(kLocalOptionsSize, 0);
  const std::string table = kDefaultDescFileTable;
  std::copy(table.begin(), table.end(), expected.begin() + 5);
  for (size_t offset : {1}) expected[offset] = 2;
  for (size_t offset : {3, 4, 2054, 2055, 2058, 2166, 2167}) expected[offset] = 1;
  EXPECT_EQ(b, expected);
  EXPECT_EQ(b[5 + table.size()], 0) << "the table is zero-terminated";
}

TEST(LocalOptions, EveryFieldSurvivesARoundTripAtItsOffset) {
  TLocalOptions o;
  SetDefaultLocalOptions(o);
  o.ScanArchives = kScanArchivesNo;
  o.ShowDeleted = true;
  o.ImportFilesBbs = true;
  o.DiskNameCounter = -2;
  o.DiskNamePattern = "CD ###";
  o.AlwaysCreateDesc = true;
  o.SizeLimitMB = 0x01020304;
  o.Reserved[0] = 0xAA;
  o.Reserved[138] = 0xBB;
  const std::vector<uint8_t> b = bytesOf(o);
  EXPECT_EQ(b[0], 2);
  EXPECT_EQ(b[2], 1);
  EXPECT_EQ(b[2061], 1);
  EXPECT_EQ(b[2062], 0xFE);
  EXPECT_EQ(b[2063], 0xFF);
  EXPECT_EQ(b[2064], 6);
  EXPECT_EQ(b[2065], 'C');
  EXPECT_EQ(b[2165], 1);
  EXPECT_EQ(b[2168], 0x04);
  EXPECT_EQ(b[2171], 0x01);
  EXPECT_EQ(b[2172], 0xAA);
  EXPECT_EQ(b[2310], 0xBB);

  ByteReader r(b.data(), b.size());
  const TLocalOptions back = readLocalOptions(r);
  EXPECT_TRUE(r.ok());
  EXPECT_TRUE(r.atEnd());
  EXPECT_EQ(bytesOf(back), b);
}

TEST(LocalOptions, DamagedFieldsAreClamped) {
  TLocalOptions o;
  SetDefaultLocalOptions(o);
  std::vector<uint8_t> b = bytesOf(o);
  std::fill(b.begin() + 5, b.begin() + 5 + kDescFileTableSize, 'x');  // no terminator
  b[2064] = 200;  // pattern longer than its 100 bytes
  ByteReader r(b.data(), b.size());
  const TLocalOptions back = readLocalOptions(r);
  EXPECT_EQ(back.DescFileTable, std::string(2048, 'x'));
  EXPECT_EQ(back.DiskNamePattern.length(), 100);
  const std::vector<uint8_t> rewritten = bytesOf(back);
  ASSERT_EQ(rewritten.size(), kLocalOptionsSize);
  EXPECT_EQ(rewritten[5 + 2048], 0) << "written back with room for its terminator";
  EXPECT_EQ(rewritten[2054], 1) << "the fields behind the table stay in place";
}

TEST(LocalOptions, LongTableIsCutAtACharacter) {
  TLocalOptions o;
  o.DescFileTable =
      std::string(2047, 'a') + "\xC3\xA9";  // the two-byte character would end at 2049
  const std::vector<uint8_t> b = bytesOf(o);
  ASSERT_EQ(b.size(), kLocalOptionsSize);
  EXPECT_EQ(b[5 + 2047], 0);
}

}  // namespace
}  // namespace vellomar
