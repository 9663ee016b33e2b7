#include "engine/UDescBlock.h"

#include <gtest/gtest.h>

#include <vector>

#include "engine/UDamageCodes.h"
#include "tests/support/DamageProbe.h"
#include "tests/support/HexBytes.h"

namespace vellomar {
namespace {

using testing::damageOf;
using testing::hexBytes;

TEST(DescBlock, GoldenBytesAndTextLength) {
  ByteWriter w;
  writeDescBlock(w, "a\r\nb");
  const std::vector<uint8_t> expected = hexBytes("13000000 ECFFFFFF 0C 000000000000 610D0A62");
  EXPECT_EQ(w.bytes(), expected);
  ByteReader r(expected.data(), expected.size());
  EXPECT_EQ(readDescBlockHead(r, expected.size(), kDamageDescFull), 4u);
  EXPECT_EQ(r.position(), kDescBlockFixedSize) << "the reader stands at the text";
}

TEST(DescBlock, DamageCarriesTheReadersCode) {
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    uint64_t bytesLeft;
  };
  const Case cases[] = {
      {"check -L", hexBytes("0F000000 F1FFFFFF 0C 000000000000"), 100},
      {"kind of a file list", hexBytes("0F000000 F0FFFFFF 02 000000000000"), 100},
      {"shorter than its head", hexBytes("0E000000 F1FFFFFF 0C 000000000000"), 100},
      {"text past the end of the file", hexBytes("10000000 EFFFFFFF 0C 000000000000"), 15},
      {"cut inside the zero bytes", hexBytes("0F000000 F0FFFFFF 0C 0000"), 100},
  };
  for (int code : {kDamageDescCopy, kDamageDescShort, kDamageDescFull}) {
    for (const Case& c : cases) {
      ByteReader r(c.bytes.data(), c.bytes.size());
      EXPECT_EQ(damageOf([&] { readDescBlockHead(r, c.bytesLeft, code); }), code) << c.what;
    }
  }
  const std::vector<uint8_t> empty = hexBytes("0F000000 F0FFFFFF 0C 000000000000");
  ByteReader r(empty.data(), empty.size());
  EXPECT_EQ(readDescBlockHead(r, 15, kDamageDescShort), 0u) << "an empty text is sound";
}

}  // namespace
}  // namespace vellomar
