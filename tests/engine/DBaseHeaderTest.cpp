#include "engine/UDBaseHeader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "engine/UScrambler.h"

namespace vellomar {
namespace {

// The low byte of the generator follows x := 5x + 1 (mod 256).
std::vector<uint8_t> lowByteRun(uint8_t previous, size_t n) {
  std::vector<uint8_t> out;
  for (size_t i = 0; i < n; ++i) out.push_back(previous = static_cast<uint8_t>(5 * previous + 1));
  return out;
}

TEST(Scrambler, StartsAt255AndCarriesItsStateOn) {
  Scrambler s;
  std::vector<uint8_t> bytes(4, 0);
  ScrambleBytes(bytes, s);
  EXPECT_EQ(bytes, (std::vector<uint8_t>{0xFC, 0xED, 0xA2, 0x2B}));
  EXPECT_EQ(s.state() & 0xFF, 0x2B) << "the state's low byte is the last output";

  std::vector<uint8_t> second(4, 0);
  ScrambleBytes(second, s);
  EXPECT_EQ(second[0], lowByteRun(0x2B, 1)[0]) << "the next seed continues the last run";
}

TEST(Scrambler, UnscrambleRestartsFromTheSeed) {
  const std::vector<uint8_t> plain = {0, 'a', 'b', 0xFF, 0, 7};
  for (uint16_t start : {uint16_t{0}, uint16_t{255}, uint16_t{0xBEEF}}) {
    Scrambler s(start);
    std::vector<uint8_t> bytes = plain;
    ScrambleBytes(bytes, s);
    Scrambler other(1234);
    UnscrambleBytes(bytes, other);
    EXPECT_EQ(bytes[0], static_cast<uint8_t>(start * 0x8405 + 1)) << "byte 0 keeps the seed";
    EXPECT_TRUE(std::equal(plain.begin() + 1, plain.end(), bytes.begin() + 1)) << start;
  }
}

TEST(DBaseHeader, GoldenBytesOfAZeroRecord) {
  Scrambler s(255);
  const std::vector<uint8_t> header = buildDBaseHeader(THeaderRecord{}, s);
  ASSERT_EQ(header.size(), kHeaderSize);
  const std::string_view magic(reinterpret_cast<const char*>(header.data()), 18);
  EXPECT_EQ(magic, "Kestrova Database ");
  EXPECT_EQ(std::vector<uint8_t>(header.begin() + 18, header.begin() + 30),
            (std::vector<uint8_t>{0x01, 0x05, 0, 0, 0x01, 0x05, 0, 0, 0, 0, 0, 0}));
  // A zero record stores the generator's outputs: copy A, then copy B, then the padding.
  const std::vector<uint8_t> run = lowByteRun(0xFF, kHeaderRecordSize * 2 + kHeaderPaddingSize);
  EXPECT_TRUE(std::equal(run.begin(), run.begin() + 276, header.begin() + kHeaderCopyAOffset));
  EXPECT_TRUE(
      std::equal(run.begin() + 276, run.begin() + 552, header.begin() + kHeaderCopyBOffset));
  EXPECT_TRUE(std::equal(run.begin() + 552, run.end(), header.begin() + kHeaderPaddingOffset));
  EXPECT_NE(header[kHeaderCopyAOffset], header[kHeaderCopyBOffset]) << "each copy has its seed";
}

std::vector<uint8_t> soundHeader(bool readOnly = false) {
  THeaderRecord record{};
  record[5] = 0x42;  // reserved bytes are carried as found
  setReadOnlyExport(record, readOnly);
  Scrambler s(777);
  return buildDBaseHeader(record, s);
}

TEST(DBaseHeader, ReadGivesEachStatus) {
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    HeaderStatus expected;
  };
  std::vector<Case> cases;
  cases.push_back({"sound", soundHeader(), HeaderStatus::kSound});
  cases.push_back({"read-only export", soundHeader(true), HeaderStatus::kReadOnlyExport});
  {
    std::vector<uint8_t> b = soundHeader();
    b[17] = '_';
    cases.push_back({"magic without its final blank", b, HeaderStatus::kNotDatabase});
  }
  {
    std::vector<uint8_t> b = soundHeader();
    b[22] = 0x02;
    cases.push_back({"needs version 0x502", b, HeaderStatus::kNewerVersion});
    b[22] = 0x00;
    b[25] = 0x80;
    cases.push_back({"needs a version with the top bit set", b, HeaderStatus::kNewerVersion});
  }
  {
    std::vector<uint8_t> b = soundHeader();
    b[18] = 0x09;
    cases.push_back({"written by a newer version, readable", b, HeaderStatus::kSound});
  }
  {
    std::vector<uint8_t> b = soundHeader();
    b[kHeaderCopyBOffset + 275] ^= 1;
    cases.push_back({"last byte of copy B differs", b, HeaderStatus::kCorrupted});
  }
  {
    std::vector<uint8_t> b = soundHeader();
    b[kHeaderCopyAOffset + 1] ^= 1;
    cases.push_back({"first plain byte of copy A differs", b, HeaderStatus::kCorrupted});
  }
  {
    std::vector<uint8_t> b = soundHeader();
    b[kHeaderPaddingOffset + 100] ^= 0xFF;
    cases.push_back({"padding is not checked", b, HeaderStatus::kSound});
  }
  {
    std::vector<uint8_t> b = soundHeader();
    b.pop_back();
    cases.push_back({"one byte short", b, HeaderStatus::kUnreadable});
  }
  for (const Case& c : cases) {
    Scrambler s;
    EXPECT_EQ(readDBaseHeader(c.bytes, s).Status, c.expected) << c.what;
  }
}

TEST(DBaseHeader, ReadGivesCopyAWithItsSeed) {
  Scrambler s;
  const THeaderReadResult result = readDBaseHeader(soundHeader(true), s);
  ASSERT_EQ(result.Status, HeaderStatus::kReadOnlyExport);
  EXPECT_EQ(result.Record[0], static_cast<uint8_t>(777 * 0x8405 + 1));
  EXPECT_EQ(result.Record[5], 0x42);
  EXPECT_EQ(result.Record[12], 1);
  EXPECT_TRUE(isReadOnlyExport(result.Record));
}

TEST(DBaseHeader, TwoWritesOfOneRecordStoreDifferentBytesAndReadAlike) {
  THeaderRecord record{};
  record[200] = 9;
  Scrambler s;
  const std::vector<uint8_t> first = buildDBaseHeader(record, s);
  const std::vector<uint8_t> second = buildDBaseHeader(record, s);
  EXPECT_NE(first, second);
  THeaderReadResult a = readDBaseHeader(first, s);
  THeaderReadResult b = readDBaseHeader(second, s);
  ASSERT_EQ(a.Status, HeaderStatus::kSound);
  ASSERT_EQ(b.Status, HeaderStatus::kSound);
  EXPECT_TRUE(std::equal(a.Record.begin() + 1, a.Record.end(), b.Record.begin() + 1));
  EXPECT_EQ(a.Record[200], 9);
}

}  // namespace
}  // namespace vellomar
