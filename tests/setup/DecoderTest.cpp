#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "foundation/UExceptions.h"
#include "setup/Explode.h"
#include "setup/Unreduce.h"
#include "setup/Unshrink.h"
#include "tests/setup/OldZipEncoders.h"
#include "tests/setup/ZipTestFiles.h"

namespace vellomar::setup {
namespace {

using test::Bytes;
using test::MemoryEntryStream;

// Runs an external checker on a ZIP made of the entries; false with a skip when it is absent.
bool toolAvailable(const std::string& tool) {
  return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

void expectToolAccepts(const std::string& command, const std::vector<test::ZipTestEntry>& entries) {
  test::TempFolder folder;
  const std::string zip = folder.path() + "/check.zip";
  test::writeFile(zip, test::buildZip(entries));
  EXPECT_EQ(std::system((command + " " + zip + " >/dev/null 2>&1").c_str()), 0) << command;
}

test::ZipTestEntry encodedEntry(const std::string& name, uint16_t method, uint16_t flags,
                                const Bytes& content, const Bytes& data) {
  test::ZipTestEntry entry = test::storedEntry(name, content);
  entry.method = method;
  entry.flags = flags;
  entry.data = data;
  return entry;
}

Bytes decode(void (*decoder)(ZipEntryStream&), const Bytes& compressed, uint32_t size) {
  MemoryEntryStream stream(compressed, size);
  decoder(stream);
  return stream.output();
}

void expectToolsAccept(const test::ZipTestEntry& entry) {
  for (const std::string tool : {"unzip -tq", "7zz t"}) {
    if (toolAvailable(tool.substr(0, tool.find(' ')))) expectToolAccepts(tool, {entry});
  }
}

TEST(Unshrink, WidensToThirteenBitsThroughSeveralPartialClears) {
  const Bytes content = test::sampleText(400000, 7);
  test::ShrinkStats stats;
  const Bytes compressed = test::shrink(content, &stats);
  ASSERT_EQ(stats.maxWidth, 13);
  ASSERT_GE(stats.partialClears, 3);
  EXPECT_EQ(decode(Unshrink, compressed, static_cast<uint32_t>(content.size())), content);
  expectToolsAccept(encodedEntry("SHRUNK.TXT", 1, 0, content, compressed));
}

// The first two codes build 257 = "ab", code 257 makes 258; a clear releases both, so the
// entry added after the next code lands on 257 with 257 as its parent: a loop.
TEST(Unshrink, DamagedStreamsRaiseTheirErrors) {
  struct Case {
    const char* what;
    std::vector<std::pair<int, int>> codes;  // (code, width)
    const char* message;
  };
  const Case cases[] = {
      {"first code not a literal", {{300, 9}}, "Error in archive #3"},
      {"unknown control code", {{'a', 9}, {256, 9}, {3, 9}}, "Error in archive #3"},
      {"width above 13 bits",
       {{'a', 9},
        {256, 9},
        {1, 9},
        {256, 10},
        {1, 10},
        {256, 11},
        {1, 11},
        {256, 12},
        {1, 12},
        {256, 13},
        {1, 13}},
       "Error in archive #3"},
      {"parent loop after a partial clear",
       {{'a', 9}, {'b', 9}, {257, 9}, {256, 9}, {2, 9}, {'c', 9}, {257, 9}},
       "Not enough memory for decompression."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::BitWriter bits;
    for (auto [code, width] : c.codes) bits.put(static_cast<uint32_t>(code), width);
    try {
      decode(Unshrink, bits.finish(), 100000);
      ADD_FAILURE() << "no error";
    } catch (const EKstvFatalException& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
  }
}

TEST(Explode, DecodesBothWindowSizesWithTwoAndThreeTrees) {
  const Bytes content = test::sampleText(60000, 11);
  for (uint16_t flags : {uint16_t{0}, kImplodeBigWindow, kImplodeLiteralTree,
                         uint16_t{kImplodeBigWindow | kImplodeLiteralTree}}) {
    SCOPED_TRACE(flags);
    const Bytes compressed = test::implode(content, flags);
    MemoryEntryStream stream(compressed, static_cast<uint32_t>(content.size()));
    Explode(stream, flags);
    EXPECT_EQ(stream.output(), content);
    expectToolsAccept(encodedEntry("IMPLODED.TXT", 6, flags, content, compressed));
  }
}

// A tree is a count byte, then runs of (symbols - 1) << 4 | (bit length - 1).
Bytes treeBytes(std::initializer_list<uint8_t> runs) {
  Bytes bytes;
  bytes.push_back(static_cast<uint8_t>(runs.size() - 1));
  for (uint8_t run : runs) bytes.push_back(run);
  return bytes;
}

TEST(Explode, DamagedTreesRaiseTheirErrors) {
  const Bytes lengths64 = treeBytes({0xF5, 0xF5, 0xF5, 0xF5});  // 64 symbols of 6 bits
  struct Case {
    const char* what;
    Bytes trees;  // length and distance trees, two-tree form
    const char* message;
  };
  auto join = [](Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  };
  const Case cases[] = {
      {"63 symbols", join(treeBytes({0xF5, 0xF5, 0xF5, 0xE5}), lengths64), "Error in archive #5"},
      {"65 symbols", join(treeBytes({0xF5, 0xF5, 0xF5, 0xF5, 0x05}), lengths64),
       "Error in archive #5"},
      {"more codes than the lengths allow", join(treeBytes({0xF0, 0xF0, 0xF0, 0xF0}), lengths64),
       "Error in archive #5"},
      // 32 codes of 6 bits and 32 of 16 bits leave most of the code space empty.
      {"code space left empty", join(treeBytes({0xF5, 0xF5, 0xFF, 0xFF}), lengths64),
       "Error in archive #5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MemoryEntryStream stream(c.trees, 1000);
    try {
      Explode(stream, 0);
      ADD_FAILURE() << "no error";
    } catch (const EKstvFatalException& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
  }
}

TEST(Unreduce, DecodesEveryFactorWithEmptyAndFullFollowerSets) {
  const Bytes content = test::sampleText(50000, 5);
  for (int factor = 1; factor <= 4; ++factor) {
    for (test::FollowerSets sets : {test::FollowerSets::kEmpty, test::FollowerSets::kFull}) {
      SCOPED_TRACE(factor * 10 + static_cast<int>(sets));
      const Bytes compressed =
          test::reduceFollowerCode(test::reduceExpanderBytes(content, factor), sets);
      MemoryEntryStream stream(compressed, static_cast<uint32_t>(content.size()));
      Unreduce(stream, factor);
      EXPECT_EQ(stream.output(), content);
    }
  }
}

TEST(Unreduce, HandWorkedExpanderBytes) {
  struct Case {
    const char* what;
    int factor;
    Bytes expanderBytes;
    Bytes expected;
  };
  const Case cases[] = {
      // Factor 4: lead 0x35 is distance high 3, length 5 + 3; 0x10 makes distance 3 * 256 + 17:
      // far before the start, so eight zeros.
      {"copy before the start gives zeros",
       4,
       {'x', 0x90, 0x35, 0x10, 'y'},
       {'x', 0, 0, 0, 0, 0, 0, 0, 0, 'y'}},
      {"escaped 0x90", 1, {0x90, 0x00, 'a'}, {0x90, 'a'}},
      // Factor 1: lead 0x02 is length 2 + 3 from distance 2: an overlapping run.
      {"overlapping copy", 1, {'a', 'b', 0x90, 0x02, 0x01}, {'a', 'b', 'a', 'b', 'a', 'b', 'a'}},
      // Factor 2: length field 0x3F takes a length byte: 63 + 2 + 3 copies of the last byte.
      {"length byte", 2, {'z', 0x90, 0x3F, 0x02, 0x00}, Bytes(69, 'z')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Bytes compressed = test::reduceFollowerCode(c.expanderBytes, test::FollowerSets::kEmpty);
    MemoryEntryStream stream(compressed, static_cast<uint32_t>(c.expected.size()));
    Unreduce(stream, c.factor);
    EXPECT_EQ(stream.output(), c.expected);
  }
}

TEST(Unreduce, FollowerSetAbove32IsDamage) {
  test::BitWriter bits;
  bits.put(33, 6);
  MemoryEntryStream stream(bits.finish(), 100);
  try {
    Unreduce(stream, 1);
    ADD_FAILURE() << "no error";
  } catch (const EKstvFatalException& e) {
    EXPECT_STREQ(e.what(), "Error in archive #9");
  }
}

struct Decoder {
  const char* name;
  Bytes compressed;
  std::function<void(ZipEntryStream&)> run;
};

// The content compressed by each method, with the decoder that reads it back.
std::vector<Decoder> decodersOf(const Bytes& content) {
  return {
      {"shrink", test::shrink(content), [](ZipEntryStream& s) { Unshrink(s); }},
      {"reduce",
       test::reduceFollowerCode(test::reduceExpanderBytes(content, 3), test::FollowerSets::kFull),
       [](ZipEntryStream& s) { Unreduce(s, 3); }},
      {"implode", test::implode(content, kImplodeBigWindow | kImplodeLiteralTree),
       [](ZipEntryStream& s) { Explode(s, kImplodeBigWindow | kImplodeLiteralTree); }},
  };
}

// A header that gives the entry no size gets nothing written, whatever data follows it.
TEST(Decoders, EntryOfSizeZeroGetsNoBytes) {
  for (const Decoder& decoder : decodersOf(test::sampleText(2000, 6))) {
    SCOPED_TRACE(decoder.name);
    MemoryEntryStream stream(decoder.compressed, 0);
    decoder.run(stream);
    EXPECT_TRUE(stream.output().empty());
  }
}

// Streams cut short or with bytes changed past their tables must end in an error or with at
// most the entry's size written, with no access outside the tables (the sanitizer build checks
// that), and no endless loop on data that ran out.
TEST(Decoders, DamagedDataEndsWithinTheEntrySize) {
  const Bytes content = test::sampleText(20000, 3);
  const uint32_t size = static_cast<uint32_t>(content.size());
  for (const Decoder& decoder : decodersOf(content)) {
    SCOPED_TRACE(decoder.name);
    for (size_t cut = 0; cut < decoder.compressed.size(); cut += decoder.compressed.size() / 17) {
      for (bool flip : {false, true}) {
        Bytes damaged(decoder.compressed.begin(), decoder.compressed.begin() + cut);
        if (flip) {
          damaged.assign(decoder.compressed.begin(), decoder.compressed.end());
          for (size_t i = cut; i < damaged.size(); i += 13) damaged[i] ^= 0x5A;
        }
        MemoryEntryStream stream(damaged, size);
        try {
          decoder.run(stream);
        } catch (const EKstvFatalException&) {
        }
        EXPECT_LE(stream.output().size(), size);
      }
    }
  }
}

}  // namespace
}  // namespace vellomar::setup
