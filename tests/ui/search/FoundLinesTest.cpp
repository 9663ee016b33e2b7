#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "foundation/UBaseUtils.h"
#include "platform/PText.h"
#include "tests/support/FixtureNames.h"
#include "ui/common/UTextRanks.h"
#include "ui/search/UFoundEmptyLines.h"
#include "ui/search/UFoundFileLines.h"

namespace vellomar {
namespace {

// The texts of every line the tests make.
FoundLineTexts& texts() {
  static FoundLineTexts kept;
  return kept;
}

TOneFLine line(const char* disk, const char* folder, const char* name, const char* ext,
               int32_t size, uint32_t dateTime, int32_t index, uint16_t attr = 0) {
  TFoundItemView item;
  item.Name = name;
  item.Data.Ext = ext;
  item.Data.Size = size;
  item.Data.DateTime = static_cast<int32_t>(dateTime);
  item.Data.Attr = attr;
  item.DiskName = disk;
  item.FolderPath = folder;
  return TOneFLine(item, index, texts(), nullptr);
}

// Sizes and dates from 2 GiB and 2044 on set the top bit: they must still sort as the largest.
std::vector<TOneFLine> sample() {
  return {
      line("cd1", "\\docs", "b", ".txt", 300, 0x28210000u, 0),
      line("cd2", "\\", "a", ".zip", static_cast<int32_t>(0xC0000000u), 0x98210000u, 1),
      line("cd1", "\\src", "c", ".cpp", 20, 0x28220000u, 2),
      line("cd2", "\\docs", "a", ".txt", 300, 0x28210000u, 3),
  };
}

std::vector<int32_t> indexes(const std::vector<TOneFLine>& lines) {
  std::vector<int32_t> out;
  for (const TOneFLine& l : lines) out.push_back(l.Index);
  return out;
}

// 3 000 generated lines with many equal disks, folders, names, sizes and dates: the order of
// every first key, with and without reverse, and again after a second sort, pinned line by line.
TEST(FoundFileLines, OrderOfGeneratedLinesIsPinned) {
  testing::FixtureRandom random(39);
  static const char* const kDisks[] = {"CD 1", "cd 1", "Backup", "Ärchiv", "disk-2"};
  static const char* const kExtensions[] = {".txt", ".TXT", ".jpg", "", ".c"};
  std::vector<std::string> folders;
  for (int i = 0; i < 40; ++i) folders.push_back("\\" + testing::generatedName(random));
  std::vector<TOneFLine> generated;
  for (int32_t i = 0; i < 3000; ++i) {
    const uint16_t attr = random.below(15) == 0 ? kAttrFolder : 0;
    generated.push_back(line(
        kDisks[random.below(std::size(kDisks))], folders[random.below(folders.size())].c_str(),
        testing::generatedName(random).c_str(), kExtensions[random.below(std::size(kExtensions))],
        static_cast<int32_t>(random.below(8) * 700'000'000ULL),
        static_cast<uint32_t>(random.below(50)) << 26, i, attr));
  }
  rankFoundFileTexts(generated);
  const uint64_t pinned[6][2] = {{15769850977680992525ULL, 17468571614870241577ULL},
                                 {13127010426738296397ULL, 2748280847477703489ULL},
                                 {1377962531329971811ULL, 8406492259543608935ULL},
                                 {3204958904578017147ULL, 929346648655239239ULL},
                                 {5603538516947447609ULL, 11201894334846597441ULL},
                                 {14838098421055952189ULL, 17270295562334687097ULL}};
  for (uint8_t key = 0; key < 6; ++key) {
    for (const bool reverse : {false, true}) {
      std::vector<TOneFLine> lines = generated;
      TFoundFileSort sort;
      sort.choose(kFoundKeySize);
      ASSERT_TRUE(sortFoundFileLines(lines, sort, nullptr));
      sort.choose(key);
      if (reverse != sort.Reverse) sort.choose(key);
      ASSERT_TRUE(sortFoundFileLines(lines, sort, nullptr));
      uint64_t digest = testing::fixtureDigest("");
      for (const int32_t index : indexes(lines)) {
        digest = testing::fixtureDigest(std::to_string(index) + ",", digest);
      }
      EXPECT_EQ(digest, pinned[key][reverse]) << "key " << int{key} << (reverse ? " reversed" : "");
    }
  }
}

TEST(FoundFileLines, OrderForEachKeyAndReversed) {
  const struct {
    TFoundFileSort sort;
    std::vector<int32_t> order;
  } cases[] = {
      {{kFoundKeyNameExt, kFoundKeyDiskFolder, kFoundKeyDateTime, false}, {3, 1, 0, 2}},
      {{kFoundKeyExtName, kFoundKeyDiskFolder, kFoundKeyDateTime, false}, {2, 3, 0, 1}},
      {{kFoundKeyDateTime, kFoundKeyNameExt, kFoundKeySize, false}, {1, 2, 3, 0}},
      {{kFoundKeySize, kFoundKeyDiskFolder, kFoundKeyNameExt, false}, {1, 0, 3, 2}},
      {{kFoundKeyDiskFolder, kFoundKeyNameExt, kFoundKeySize, false}, {0, 2, 1, 3}},
      {{kFoundKeyFolderDisk, kFoundKeyNameExt, kFoundKeySize, false}, {1, 0, 3, 2}},
      {{kFoundKeyFolderDisk, kFoundKeyNameExt, kFoundKeySize, true}, {2, 3, 0, 1}},
      {{kFoundKeySize, kFoundKeyDiskFolder, kFoundKeyNameExt, true}, {2, 3, 0, 1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << int{c.sort.SortKey1} << int{c.sort.SortKey2}
                                      << int{c.sort.SortKey3} << c.sort.Reverse);
    std::vector<TOneFLine> lines = sample();
    rankFoundFileTexts(lines);
    ASSERT_TRUE(sortFoundFileLines(lines, c.sort, nullptr));
    EXPECT_EQ(indexes(lines), c.order);
  }
}

TEST(FoundFileLines, EqualKeysKeepTheSearchOrderAndAStopKeepsTheOldOrder) {
  std::vector<TOneFLine> lines = {line("d", "\\", "x", "", 1, 1, 0),
                                  line("d", "\\", "x", "", 1, 1, 1),
                                  line("a", "\\", "x", "", 1, 1, 2)};
  rankFoundFileTexts(lines);
  const TFoundFileSort byName{kFoundKeyNameExt, kFoundKeySize, kFoundKeyDateTime, false};
  ASSERT_TRUE(sortFoundFileLines(lines, byName, nullptr));
  EXPECT_EQ(indexes(lines), (std::vector<int32_t>{0, 1, 2}));

  const TFoundFileSort byDisk{kFoundKeyDiskFolder, kFoundKeyNameExt, kFoundKeySize, false};
  int told = 0;
  EXPECT_FALSE(sortFoundFileLines(lines, byDisk, [&](int32_t done, int32_t total) {
    ++told;
    EXPECT_EQ(total, 3);
    return done < 2;
  }));
  EXPECT_EQ(told, 2);
  EXPECT_EQ(indexes(lines), (std::vector<int32_t>{0, 1, 2}));
}

// Texts are ranked once in the locale's case-insensitive order, whatever their script.
TEST(TextRanks, RanksFollowCompareTextAcrossScripts) {
  // Beside short texts, long ones that agree in their first sixteen bytes (or in all but
  // case), one that is a short one continued, and ones with other than ASCII after them.
  const std::vector<std::string> texts = {"beta",
                                          "Alpha",
                                          "\xC3\xA9t\xC3\xA9",
                                          "alpha",
                                          "zulu",
                                          "\xE9t\xE9",
                                          "Eta",
                                          "\xD0\xB0",
                                          "\\Archive\\2001\\Photos\\b",
                                          "\\archive\\2001\\photos\\A",
                                          "\\ARCHIVE\\2001\\PHOTOS\\B",
                                          "\\Archive\\2001\\Photos",
                                          "\\Archive\\2001\\Photo",
                                          "\\Archive\\2001\\Photos\\\xC3\xA9",
                                          "abcdefghijklmnop",
                                          "abcdefghijklmnopq",
                                          "Summer Holiday 0042",
                                          "summer holiday 0041"};
  TextRanks ranks;
  std::vector<uint32_t> ids;
  for (const std::string& t : texts) ids.push_back(ranks.add(t, false));
  EXPECT_EQ(ranks.add("beta", true), ranks.add("beta", true)) << "a shared text is added once";
  ranks.rank();
  for (size_t a = 0; a < texts.size(); ++a) {
    for (size_t b = 0; b < texts.size(); ++b) {
      const int64_t order = int64_t{ranks.rankOf(ids[a])} - int64_t{ranks.rankOf(ids[b])};
      EXPECT_EQ((order > 0) - (order < 0), compareText(texts[a], texts[b]))
          << texts[a] << " " << texts[b];
    }
  }
}

// Thousands of texts, so that many share their first collation bytes and are sorted among
// themselves: generated names in mixed case and script, equal texts and texts equal but for
// case, long paths alike in their first sixteen bytes or more, texts that another goes on
// past, and CP1252 bytes. Their ranks
// follow a plain stable sort with the collator.
TEST(TextRanks, RanksOfManyTextsFollowAStableSortByCompareText) {
  testing::FixtureRandom random(7);
  static const char* const kHard[] = {"\\Archive\\2001\\Photos\\Summer\\",
                                      "\\archive\\2001\\photos\\summer\\",
                                      "caf\xE9 ",
                                      "Stra\xDF"
                                      "e ",
                                      "abcdefghijklmnop",
                                      ""};
  std::vector<std::string> texts;
  for (int i = 0; i < 4000; ++i) {
    std::string text = kHard[random.below(std::size(kHard))];
    if (random.below(8) != 0) text += testing::generatedName(random);
    if (random.below(5) == 0) text += testing::generatedName(random);
    texts.push_back(text);
    if (random.below(10) == 0) texts.push_back(text);
  }
  TextRanks ranks;
  std::vector<uint32_t> ids;
  for (const std::string& t : texts) ids.push_back(ranks.add(t, random.below(2) == 0));
  ranks.rank();
  std::vector<size_t> order(texts.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&texts](size_t a, size_t b) { return compareText(texts[a], texts[b]) < 0; });
  for (size_t i = 1; i < order.size(); ++i) {
    const std::string& a = texts[order[i - 1]];
    const std::string& b = texts[order[i]];
    const uint32_t rankA = ranks.rankOf(ids[order[i - 1]]);
    const uint32_t rankB = ranks.rankOf(ids[order[i]]);
    if (compareText(a, b) == 0) {
      EXPECT_EQ(rankA, rankB) << a << " | " << b;
    } else {
      EXPECT_LT(rankA, rankB) << a << " | " << b;
    }
  }
}

// The radix sort of line keys gives the order of a plain stable sort of them: top bits set,
// keys equal in all or only in their last part, parts the same for every line.
TEST(FoundFileLines, SortedOrderIsTheStableOrderOfTheKeys) {
  const std::vector<std::array<uint32_t, 3>> parts = {
      {5, 0xFFFFFFFFu, 7}, {5, 0x80000000u, 7}, {0, 0, 0},           {5, 0xFFFFFFFFu, 7},
      {0xFFFFFFFFu, 0, 1}, {5, 0x7FFFFFFFu, 9}, {5, 0x800u, 7},      {5, 0x7FFu, 7},
      {0x00010000u, 0, 0}, {0x0000FFFFu, 3, 3}, {5, 0xFFFFFFFFu, 6}, {0, 0, 0},
  };
  std::vector<TLineKey> keys;
  for (const auto& p : parts) {
    TLineKey key;
    key.add(p[0]);
    key.add(p[1]);
    key.add(42);
    key.add(p[2]);
    keys.push_back(key);
  }
  for (const bool descending : {false, true}) {
    std::vector<int32_t> expected(keys.size());
    for (size_t i = 0; i < keys.size(); ++i) expected[i] = static_cast<int32_t>(i);
    std::stable_sort(expected.begin(), expected.end(), [&](int32_t a, int32_t b) {
      const auto& x = keys[static_cast<size_t>(a)].Parts;
      const auto& y = keys[static_cast<size_t>(b)].Parts;
      return descending ? y < x : x < y;
    });
    EXPECT_EQ(sortedOrder(keys, descending), expected) << (descending ? "descending" : "ascending");
  }
  EXPECT_EQ(sortedOrder({}, false), std::vector<int32_t>{});
}

TEST(FoundFileLines, HeaderClicksShiftTheKeys) {
  TFoundFileSort sort{1, 4, 2, false};
  sort.choose(static_cast<uint8_t>(foundFileHeaderCode(3, false)));
  EXPECT_EQ(sort, (TFoundFileSort{3, 1, 4, false}));
  sort.choose(static_cast<uint8_t>(foundFileHeaderCode(2, true)));
  sort.choose(static_cast<uint8_t>(foundFileHeaderCode(2, true)));
  EXPECT_EQ(sort, (TFoundFileSort{1, 3, 1, true})) << "the file column's right half twice";
  EXPECT_EQ(foundFileHeaderCode(2, false), kFoundKeyNameExt);
  EXPECT_EQ(foundFileHeaderCode(0, false), kFoundKeyDiskFolder);
  EXPECT_EQ(foundFileHeaderCode(1, false), kFoundKeyFolderDisk);
  EXPECT_EQ(foundFileHeaderCode(4, false), kFoundKeyDateTime);
  EXPECT_EQ(foundFileHeaderCode(5, false), -1);
}

TEST(FoundFileLines, SortingProgressStep) {
  EXPECT_FALSE(sortingProgressDue(0, 700));
  EXPECT_TRUE(sortingProgressDue(0, 701));
  EXPECT_TRUE(sortingProgressDue(71, 701));
  EXPECT_FALSE(sortingProgressDue(70, 701));
  EXPECT_TRUE(sortingProgressDue(41, 2000));
}

TOneELine disk(const char* name, int32_t sizeKB, int32_t freeKB, int32_t index) {
  return TOneELine(sizeKB, freeKB, name, "", index);
}

TEST(FoundEmptyLines, OrderForEachModeAndPercentageIn64Bits) {
  const std::vector<TOneELine> disks = {
      disk("beta", 40000000, 30000000, 0),  // 75 %: free x 100 passes 32 bits
      disk("alpha", 100, 10, 1),
      disk("gamma", 0, 0, 2),
      disk("alpha", 100, 50, 3),
  };
  EXPECT_EQ(disks[0].percentage(), 75);
  EXPECT_EQ(percentageText(disks[2]), "0%");
  const struct {
    TFoundEmptySort sort;
    std::vector<int32_t> order;
  } cases[] = {
      {{kEmptyModeDisk, false}, {3, 1, 0, 2}},    {{kEmptyModeDisk, true}, {2, 0, 1, 3}},
      {{kEmptyModeFree, false}, {0, 3, 1, 2}},    {{kEmptyModeSize, false}, {0, 1, 3, 2}},
      {{kEmptyModePercent, false}, {0, 3, 1, 2}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(int{c.sort.Mode});
    std::vector<TOneELine> lines = disks;
    rankFoundEmptyTexts(lines);
    ASSERT_TRUE(sortFoundEmptyLines(lines, c.sort, nullptr));
    std::vector<int32_t> order;
    for (const TOneELine& l : lines) order.push_back(l.Index);
    EXPECT_EQ(order, c.order);
  }

  TFoundEmptySort sort;
  sort.choose(static_cast<uint8_t>(foundEmptyHeaderCode(0)));
  EXPECT_EQ(sort, (TFoundEmptySort{kEmptyModeDisk, true})) << "Disk in a new window reverses";
  sort.choose(static_cast<uint8_t>(foundEmptyHeaderCode(3)));
  EXPECT_EQ(sort, (TFoundEmptySort{kEmptyModePercent, false}));
  EXPECT_EQ(foundEmptyHeaderCode(4), -1);
}

TEST(FoundFileLines, SizeTextsAndClipboardLines) {
  std::vector<TOneFLine> lines = sample();
  lines.push_back(line("cd1", "\\", "docs", "", 0, 0x28210000u, 4, kAttrFolder));
  lines.push_back(line("cd3", "", "", "", 0, 0, 5));  // a found disk name
  EXPECT_EQ(foundSizeText(lines[4], false), "(folder)");
  EXPECT_EQ(foundSizeText(lines[5], false), "(disk)");
  EXPECT_EQ(foundSizeText(lines[1], false), "3 221 225 472") << "read unsigned";
  EXPECT_EQ(foundSizeText(lines[0], false), "300");

  // Nothing selected: the focused line alone; a line without a date-time has empty fields.
  lines[5].Flags = kFoundLineSelected;
  const std::string date = FormatDosDate(0x28210000u).str();
  const std::string time = FormatDosTime(0x28210000u, true).str();
  EXPECT_EQ(
      foundFilesClipboardText(lines, 0, true, false),
      "cd1\t\\docs\tb.txt\t300\t" + date + "\t" + time + "\t\r\n" + "cd3\t\t\t(disk)\t\t\t\r\n");
  EXPECT_EQ(foundFilesClipboardText(lines, -1, true, false), "cd3\t\t\t(disk)\t\t\t\r\n");
}

TEST(FoundEmptyLines, ClipboardTextInBytes) {
  std::vector<TOneELine> lines = {disk("cd", 1000000, 250000, 0), disk("hd", 10, 5, 1)};
  EXPECT_EQ(freeSpaceClipboardText(lines, 0), "cd\t" + FormatSize64(1000000LL * 1024).str() + "\t" +
                                                  FormatSize64(250000LL * 1024).str() +
                                                  "\t25%\r\n");
  lines[1].Flags = kFoundLineSelected;
  EXPECT_EQ(freeSpaceClipboardText(lines, -1),
            "hd\t" + FormatSize64(10240).str() + "\t" + FormatSize64(5120).str() + "\t50%\r\n");
}

}  // namespace
}  // namespace vellomar
