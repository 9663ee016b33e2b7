#include "ui/panels/UFileLines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "engine/UTreeStruct.h"
#include "engine/api/UApi.h"
#include "foundation/UBaseUtils.h"
#include "platform/PText.h"
#include "tests/support/FixtureNames.h"

namespace vellomar {
namespace {

TOneFile entry(const std::string& name, const std::string& ext, uint16_t attr = 0,
               uint32_t size = 0, uint32_t dateTime = 0) {
  TOneFile e;
  e.Name = ShortString(name);
  e.Data.Ext = ExtensionString(ext);
  e.Data.Attr = attr;
  e.Data.Size = static_cast<int32_t>(size);
  e.Data.DateTime = static_cast<int32_t>(dateTime);
  return e;
}

uint32_t dosDate(uint16_t year) {
  return EncodeDosDateTime({year, 6, 1, 12, 0, 0});
}

// A folder with every group: "DiskInfo.txt", "..", two folders, an archive and files whose
// dates run past 2044 and sizes past 2 GiB, in the engine's order ("..", folders, files).
std::vector<TOneFile> sampleFolder() {
  const uint16_t dir = kAttrFolder;
  const uint16_t archive = kAttrFolder | kAttrArchiveFolder;
  return {
      entry("..", "", dir),
      entry("beta", "", dir, 0, dosDate(2001)),
      entry("Alpha", "", dir, 0, dosDate(2000)),
      entry("pack", ".zip", archive, 3000, dosDate(2010)),
      entry("DiskInfo", ".txt", 0, 10, dosDate(1990)),
      entry("huge", ".iso", 0, 3'000'000'000U, dosDate(2050)),
      entry("big", ".img", 0, 2'200'000'000U, dosDate(2044)),
      entry("small", ".txt", 0, 5, dosDate(2043)),
      entry("Small", ".TXT", 0, 5, dosDate(2043)),
      entry("zero", ".bin", 0, 0, 0),
  };
}

std::vector<std::string> namesOf(const TFileLineList& list) {
  std::vector<std::string> names;
  for (int32_t i = 0; i < list.count(); ++i) names.push_back(FullNameOf(*list.at(i)));
  return names;
}

TEST(FileLines, KindsFollowTheNameAndAttributes) {
  const std::vector<TOneFile> entries = sampleFolder();
  EXPECT_EQ(FileLineKind(entries[0]), kLineParent);
  EXPECT_EQ(FileLineKind(entries[1]), kLineFolder);
  EXPECT_EQ(FileLineKind(entries[3]), kLineArchive);
  EXPECT_EQ(FileLineKind(entries[4]), kLineFile);
}

TEST(FileLines, OrderForEachCriterionKeepsTheGroupsInBothDirections) {
  struct Case {
    uint8_t criterion;
    bool reverse;
    std::vector<std::string> order;
  };
  const Case cases[] = {
      {kSortByName,
       false,
       {"DiskInfo.txt", "..", "Alpha", "beta", "big.img", "huge.iso", "pack.zip", "small.txt",
        "Small.TXT", "zero.bin"}},
      {kSortByName,
       true,
       {"DiskInfo.txt", "..", "beta", "Alpha", "zero.bin", "small.txt", "Small.TXT", "pack.zip",
        "huge.iso", "big.img"}},
      {kSortByExt,
       false,
       {"DiskInfo.txt", "..", "Alpha", "beta", "zero.bin", "big.img", "huge.iso", "small.txt",
        "Small.TXT", "pack.zip"}},
      // Newest first: 2050 and 2044 have the top bit of the DOS date-time set.
      {kSortByTime,
       false,
       {"DiskInfo.txt", "..", "beta", "Alpha", "huge.iso", "big.img", "small.txt", "Small.TXT",
        "pack.zip", "zero.bin"}},
      {kSortByTime,
       true,
       {"DiskInfo.txt", "..", "Alpha", "beta", "zero.bin", "pack.zip", "small.txt", "Small.TXT",
        "big.img", "huge.iso"}},
      // Largest first: 3 GB and 2.2 GB are above the signed 32-bit range.
      {kSortBySize,
       false,
       {"DiskInfo.txt", "..", "Alpha", "beta", "huge.iso", "big.img", "pack.zip", "small.txt",
        "Small.TXT", "zero.bin"}},
      {kSortBySize,
       true,
       {"DiskInfo.txt", "..", "beta", "Alpha", "zero.bin", "small.txt", "Small.TXT", "pack.zip",
        "big.img", "huge.iso"}},
  };
  for (const Case& c : cases) {
    TFileLineList list;
    list.load(sampleFolder(), c.criterion, c.reverse);
    EXPECT_EQ(namesOf(list), c.order)
        << "criterion " << int{c.criterion} << (c.reverse ? " reversed" : "");
  }
}

// Type-ahead: from a line on, round to the top, ignoring case, never the ".." line.
TEST(FileLines, FindByPrefixGoesRoundIgnoringCaseAndSkipsTheParentLine) {
  TFileLineList list;
  list.load(sampleFolder(), kSortByName, false);
  const std::vector<std::string> names = namesOf(list);
  const auto indexOf = [&](std::string_view name) {
    return static_cast<int32_t>(std::ranges::find(names, name) - names.begin());
  };
  const struct {
    const char* prefix;
    int32_t from;
    int32_t found;
  } cases[] = {
      {"S", 0, indexOf("small.txt")},
      {"small.t", indexOf("small.txt") + 1, indexOf("Small.TXT")},
      {"s", indexOf("Small.TXT") + 1, indexOf("small.txt")},
      {"ALPHA", indexOf("beta"), indexOf("Alpha")},
      {".", 0, -1},
      {"zz", 0, -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(list.findByPrefix(c.prefix, c.from), c.found) << c.prefix << " from " << c.from;
  }
}

// A generated folder of 3 000 lines with many equal extensions, dates and sizes, and names
// equal but for case: the order of each criterion in both directions is pinned line by line.
TEST(FileLines, OrderOfAGeneratedFolderIsPinned) {
  testing::FixtureRandom random(39);
  static const char* const kExtensions[] = {".txt", ".TXT", ".jpg", "", ".c", ".Zip"};
  std::vector<TOneFile> entries = {entry("..", "", kAttrFolder)};
  for (int i = 0; i < 3000; ++i) {
    const uint16_t attr = random.below(20) == 0 ? kAttrFolder : 0;
    entries.push_back(entry(testing::generatedName(random),
                            attr != 0 ? "" : kExtensions[random.below(std::size(kExtensions))],
                            attr, static_cast<uint32_t>(random.below(6) * 1'000'000'000ULL),
                            dosDate(static_cast<uint16_t>(1985 + random.below(80)))));
  }
  const struct {
    uint8_t criterion;
    bool reverse;
    uint64_t digest;
  } cases[] = {
      {kSortByName, false, 3636027083878177208ULL},  {kSortByName, true, 2231509478331779282ULL},
      {kSortByExt, false, 3625945298338801828ULL},   {kSortByExt, true, 16678931938273876198ULL},
      {kSortByTime, false, 7811208881883478462ULL},  {kSortByTime, true, 3080312164639524452ULL},
      {kSortBySize, false, 10709363161555977304ULL}, {kSortBySize, true, 8693410318359136744ULL},
  };
  for (const auto& c : cases) {
    TFileLineList list;
    list.load(entries, c.criterion, c.reverse);
    uint64_t digest = testing::fixtureDigest("");
    for (int32_t i = 0; i < list.count(); ++i) {
      digest = testing::fixtureDigest(
          FullNameOf(*list.at(i)) + "|" + std::to_string(list.at(i)->Data.DateTime) + "\n", digest);
    }
    EXPECT_EQ(digest, c.digest) << "criterion " << int{c.criterion}
                                << (c.reverse ? " reversed" : "");
  }
}

// The order of a plain stable comparison sort on the key's parts: the group, the date or size
// (largest first), the criterion's text collated; reversed as a whole.
std::vector<std::string> comparedOrder(const std::vector<TOneFile>& entries, uint8_t criterion,
                                       bool reverse) {
  const auto keyOf = [criterion, reverse](const TOneFile& e) {
    const std::string name = e.Name.str();
    const std::string ext(e.Data.Ext.view());
    uint32_t number = 0;
    if (criterion == kSortByTime) number = UINT32_MAX - static_cast<uint32_t>(e.Data.DateTime);
    if (criterion == kSortBySize) number = UINT32_MAX - static_cast<uint32_t>(e.Data.Size);
    return std::tuple(FileSortGroup(name, ext, FileLineKind(e), reverse), number,
                      criterion == kSortByName ? name + ext : ext + name);
  };
  std::vector<TOneFile> sorted = entries;
  std::stable_sort(sorted.begin(), sorted.end(), [&](const TOneFile& a, const TOneFile& b) {
    const auto [groupA, numberA, textA] = keyOf(a);
    const auto [groupB, numberB, textB] = keyOf(b);
    int order = groupA != groupB     ? (groupA < groupB ? -1 : 1)
                : numberA != numberB ? (numberA < numberB ? -1 : 1)
                                     : compareText(textA, textB);
    return reverse ? order > 0 : order < 0;
  });
  std::vector<std::string> names;
  for (const TOneFile& e : sorted) {
    names.push_back(FullNameOf(e) + "|" + std::to_string(e.Data.DateTime) + "|" +
                    std::to_string(e.Data.Size));
  }
  return names;
}

// Folders of ASCII names (sorted on the keys' first bytes) and the same with names of other
// scripts among them (sorted on their collated texts): equal dates and sizes, names equal but
// for case, equal in their first sixteen bytes and exactly equal, sizes past 2 GiB, every group.
TEST(FileLines, OrderIsThatOfAComparisonSortOnTheKeys) {
  testing::FixtureRandom random(7);
  static const char* const kParts[] = {"summer", "Summer", "-", "holiday", "2020", "a", "B", "_"};
  static const char* const kExtensions[] = {".txt", ".TXT", ".jpg", "", ".c", ".JPG"};
  static const uint32_t kSizes[] = {0, 5, 5000, 2'200'000'000U, 4'294'967'295U};
  std::vector<TOneFile> ascii = {entry("..", "", kAttrFolder), entry("DiskInfo", ".txt"),
                                 entry("diskinfo", ".txt"), entry("DiskInfo", ".txt")};
  for (int i = 0; i < 3000; ++i) {
    std::string name;
    for (uint64_t p = 0, parts = 1 + random.below(6); p < parts; ++p) {
      name += kParts[random.below(std::size(kParts))];
    }
    const uint16_t attr = random.below(10) == 0 ? kAttrFolder : 0;
    ascii.push_back(entry(name, attr != 0 ? "" : kExtensions[random.below(std::size(kExtensions))],
                          attr, kSizes[random.below(std::size(kSizes))],
                          dosDate(static_cast<uint16_t>(2040 + random.below(8)))));
  }
  std::vector<TOneFile> mixed = ascii;
  for (const char* name : {"été", "Été", "ete", "Жук", "жук", "straße", "STRASSE", "summer"}) {
    mixed.push_back(entry(name, ".txt", 0, 5, dosDate(2041)));
  }
  for (const std::vector<TOneFile>* entries : {&ascii, &mixed}) {
    for (uint8_t criterion = kSortByName; criterion <= kSortBySize; ++criterion) {
      for (const bool reverse : {false, true}) {
        TFileLineList list;
        list.load(*entries, criterion, reverse);
        std::vector<std::string> names;
        for (int32_t i = 0; i < list.count(); ++i) {
          const TOneFileLine& line = *list.at(i);
          names.push_back(FullNameOf(line) + "|" + std::to_string(line.Data.DateTime) + "|" +
                          std::to_string(line.Data.Size));
        }
        EXPECT_EQ(names, comparedOrder(*entries, criterion, reverse))
            << (entries == &ascii ? "ASCII" : "mixed") << ", criterion " << int{criterion}
            << (reverse ? " reversed" : "");
      }
    }
  }
}

TEST(FileLines, SortKeysWriteUnsignedValuesInvertedWithTenDigits) {
  const TOneFile huge = entry("a", ".b", 0, 0xFFFFFFFFU, 0x80000000U);
  EXPECT_EQ(MakeFileSortKey(huge, kLineFile, kSortBySize, false).str(), "50000000000.ba");
  EXPECT_EQ(MakeFileSortKey(huge, kLineFile, kSortByTime, false).str(), "52147483647.ba");
  EXPECT_EQ(MakeFileSortKey(entry("x", "", 0, 0), kLineFile, kSortBySize, true).str(),
            "14294967295x");
  EXPECT_EQ(MakeFileSortKey(entry("DiskInfo", ".txt"), kLineFile, kSortByName, true).str(),
            "5DiskInfo.txt");
  EXPECT_EQ(MakeFileSortKey(entry("diskinfo", ".txt"), kLineFile, kSortByName, false).str(),
            "5diskinfo.txt")
      << "the name is compared case-sensitively";
}

TEST(FileLines, LoadingFocusesTheNamedLineOrTheFolderJustLeft) {
  TDirCollection root(nullptr, 10, false);
  TDirCollection left(&root, 10, false);
  TFileCollection files(10, 10);
  const auto add = [&files](TOneFile e, TDirCollection* node = nullptr) {
    e.SubDir = node;
    files.Add(new TOneFile(e));
  };
  add(entry("..", "", kAttrFolder), &root);
  add(entry("left", "", kAttrFolder), &left);
  add(entry("a", ".txt"));
  add(entry("b", ".txt"));

  TFileLineList list;
  TDirCollection* forced = &left;
  EXPECT_EQ(list.load(&files, kSortByName, false, "b.txt", forced), 3);
  EXPECT_EQ(forced, &left) << "a name to focus wins";
  EXPECT_EQ(list.load(&files, kSortByName, false, "", forced), 1);
  EXPECT_EQ(forced, nullptr);
  EXPECT_EQ(list.load(&files, kSortByName, false, "B.TXT", forced), 0)
      << "the name must match exactly";
  EXPECT_EQ(list.parentLineIndex(), 0);
}

TEST(FileLines, SelectionRules) {
  TFileLineList list;
  list.load(sampleFolder(), kSortByName, false);
  const int32_t n = list.count();

  list.toggleRange(2, 5);
  EXPECT_EQ(list.selectedCount(), 3);
  EXPECT_TRUE(IsSelected(*list.at(2)) && IsSelected(*list.at(4)) && !IsSelected(*list.at(5)));
  list.toggleRange(4, 2);
  EXPECT_EQ(list.selectedCount(), 1) << "upwards, the start included and the end not";
  EXPECT_TRUE(IsSelected(*list.at(2)));

  list.selectOnly(7, 5);
  EXPECT_EQ(list.selectedCount(), 3);
  EXPECT_FALSE(IsSelected(*list.at(2)));

  const int32_t parent = list.parentLineIndex();
  ASSERT_GE(parent, 0);
  list.selectAll(true);
  EXPECT_EQ(list.selectedCount(), n - 1) << "every line but \"..\"";
  EXPECT_FALSE(IsSelected(*list.at(parent)));
  list.selectAll(true);
  EXPECT_EQ(list.selectedCount(), 0) << "persistent: select all twice selects nothing";
  list.selectAll(false);
  list.selectAll(false);
  EXPECT_EQ(list.selectedCount(), n - 1);
  EXPECT_TRUE(list.unselectAll());
  EXPECT_FALSE(list.unselectAll());
  list.selectMatching(ApiParseSelectionMasks("*"));
  EXPECT_EQ(list.selectedCount(), n - 1) << "a mask never takes \"..\" in";
  list.unselectAll();

  list.toggle(0);
  list.selectMatching(ApiParseSelectionMasks("*.TXT s*"));
  EXPECT_EQ(namesOf(list)[0], "DiskInfo.txt");
  std::vector<std::string> selected;
  for (int32_t i = 0; i < n; ++i) {
    if (IsSelected(*list.at(i))) selected.push_back(FullNameOf(*list.at(i)));
  }
  EXPECT_EQ(selected, (std::vector<std::string>{"DiskInfo.txt", "small.txt", "Small.TXT"}));
}

}  // namespace
}  // namespace vellomar
