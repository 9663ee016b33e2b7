#include "engine/UDBaseLayout.h"

#include <gtest/gtest.h>

#include <vector>

#include "foundation/UExceptions.h"
#include "tests/support/HexBytes.h"

namespace vellomar {
namespace {

TEST(DBaseLayout, NewFileGoldenBytes) {
  TLocalOptions options;
  SetDefaultLocalOptions(options);
  Scrambler s(255);
  const std::vector<uint8_t> file = newDBaseFileBytes(THeaderRecord{}, options, s);
  ASSERT_EQ(file.size(), 64961u);

  Scrambler again(255);
  const std::vector<uint8_t> header = buildDBaseHeader(THeaderRecord{}, again);
  EXPECT_TRUE(std::equal(header.begin(), header.end(), file.begin()));
  EXPECT_EQ(file[30], 0xFC) << "the first seed from the start state";

  ByteWriter expectedOptions;
  writeLocalOptions(expectedOptions, options);
  EXPECT_TRUE(std::equal(expectedOptions.bytes().begin(), expectedOptions.bytes().end(),
                         file.begin() + kLocalOptionsOffset));

  const std::vector<uint8_t> head = testing::hexBytes(
      "10270000 00000000 00000000 00000000 "
      "00000000 00000000");
  EXPECT_TRUE(std::equal(head.begin(), head.end(), file.begin() + kKeyFieldOffset));
  EXPECT_TRUE(std::all_of(file.begin() + kKeyFieldOffset + head.size(), file.end(),
                          [](uint8_t b) { return b == 0; }));

  Scrambler reader;
  EXPECT_EQ(readDBaseHeader(file, reader).Status, HeaderStatus::kSound);
}

TEST(DBaseLayout, AppendsStopAtTheLargestOffset) {
  struct Case {
    uint64_t end, length;
    bool fits;
  };
  const Case cases[] = {
      {64961, 13, true},      {0x7FFFFFF0, 15, true},     {0x7FFFFFF0, 16, false},
      {0x80000000, 0, false}, {64961, UINT64_MAX, false}, {UINT64_MAX, 1, false},
  };
  for (const Case& c : cases) {
    if (c.fits) {
      EXPECT_NO_THROW(ensureAppendFits(c.end, c.length)) << c.end << " + " << c.length;
    } else {
      try {
        ensureAppendFits(c.end, c.length);
        ADD_FAILURE() << c.end << " + " << c.length << " was let through";
      } catch (const EKstvNormalException& e) {
        EXPECT_STREQ(e.what(), "Database is full. Make compression.");
      }
    }
  }
}

}  // namespace
}  // namespace vellomar
