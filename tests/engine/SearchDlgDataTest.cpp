#include "engine/api/USearchDlgData.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace vellomar {
namespace {

// A short string whose bytes beyond its length are not zero.
ShortString withTail(const char* text, const char* tail) {
  ShortString s(std::string(text) + tail);
  s.setLength(static_cast<int>(std::strlen(text)));
  return s;
}

TSearchDlgData sampleRequest() {
  TSearchDlgData d;
  d.Mask = withTail("*.doc", "OLD");
  d.AddWildcards = true;
  d.Phrase = false;
  d.MaxRecs = 50000;
  d.CaseSensitive = true;
  d.StrictMask = true;
  d.SearchIn = SearchScope::kNotSelectedDisks;
  d.DiskNames = false;
  d.FileNames = true;
  d.FolderNames = false;
  d.Descriptions = true;
  d.ScanDirLevel = -1;
  d.UseMoreOptions = true;
  d.MoreOptionsActive = true;
  d.ExcludeMask = withTail("*.bak", "X");
  d.DateFrom = 0x98210000u;  // 2056-01-01: the top bit is set
  d.DateTo = 0x20C10000u;
  d.SizeFrom = 100u << 10;
  d.SizeTo = 0xFFFFFC00u;
  d.DirMask = withTail("src", "YZ");
  d.SortKey1 = FoundSortKey::kSize;
  d.SortKey2 = FoundSortKey::kNameExt;
  d.SortKey3 = FoundSortKey::kDiskFolder;
  d.SearchAsAnsi = false;
  d.SearchAsOem = true;
  return d;
}

uint32_t u32At(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

TEST(SearchDlgData, PackedLayoutHasNoGaps) {
  ByteWriter w;
  writeSearchDlgData(w, sampleRequest());
  const std::vector<uint8_t>& b = w.bytes();
  ASSERT_EQ(b.size(), kSearchDlgDataSize);
  EXPECT_EQ(b[0], 5);
  EXPECT_EQ(std::memcmp(&b[1], "*.docOLD", 8), 0) << "the whole 255 characters are kept";
  const struct {
    size_t offset;
    uint8_t value;
  } bytes[] = {{256, 1}, {257, 0}, {262, 1}, {263, 1}, {264, 3}, {265, 0},
               {266, 1}, {267, 0}, {268, 1}, {273, 1}, {274, 1}, {275, 5},
               {547, 3}, {803, 3}, {804, 0}, {805, 4}, {806, 0}, {807, 1}};
  for (const auto& c : bytes) EXPECT_EQ(b[c.offset], c.value) << "offset " << c.offset;
  EXPECT_EQ(u32At(b, 258), 50000u);
  EXPECT_EQ(u32At(b, 269), 0xFFFFFFFFu);
  EXPECT_EQ(u32At(b, 531), 0x98210000u);
  EXPECT_EQ(u32At(b, 535), 0x20C10000u);
  EXPECT_EQ(u32At(b, 539), 100u << 10);
  EXPECT_EQ(u32At(b, 543), 0xFFFFFC00u);
  EXPECT_EQ(std::memcmp(&b[548], "srcYZ", 5), 0);
}

void expectSameRecord(const TSearchDlgData& a, const TSearchDlgData& b) {
  ByteWriter wa, wb;
  writeSearchDlgData(wa, a);
  writeSearchDlgData(wb, b);
  EXPECT_EQ(wa.bytes(), wb.bytes());
}

TEST(SearchDlgData, CopiesCarryEveryFieldAndTheBytesBeyondTheStrings) {
  const TSearchDlgData original = sampleRequest();
  const TSearchDlgData copy = original;
  expectSameRecord(copy, original);

  ByteWriter w;
  writeSearchDlgData(w, original);
  ByteReader r(w.bytes().data(), w.size());
  const TSearchDlgData read = readSearchDlgData(r);
  EXPECT_TRUE(r.atEnd());
  ASSERT_TRUE(r.ok());
  expectSameRecord(read, original);
  EXPECT_EQ(std::memcmp(read.DirMask.data(), "srcYZ", 5), 0);
}

TEST(SearchDlgData, ShortInputFailsTheReader) {
  ByteWriter w;
  writeSearchDlgData(w, sampleRequest());
  ByteReader r(w.bytes().data(), kSearchDlgDataSize - 1);
  readSearchDlgData(r);
  EXPECT_FALSE(r.ok());
}

TEST(SearchDlgData, LimitsAreInForceOnlyWithMoreOptionsAndALimitOrExclusion) {
  const struct {
    const char* what;
    bool useMoreOptions;
    uint32_t dateFrom, dateTo, sizeFrom, sizeTo;
    const char* exclude;
    const char* dirMask;
    bool inForce;
  } cases[] = {
      {"nothing set", true, 0, 0, 0, 0, "", "", false},
      {"only a folder mask", true, 0, 0, 0, 0, "", "src*", false},
      {"a date from 2044 on", true, 0x90000000u, 0, 0, 0, "", "", true},
      {"upper date", true, 0, 0x20C10000u, 0, 0, "", "", true},
      {"lower size", true, 0, 0, 1024, 0, "", "", true},
      {"upper size", true, 0, 0, 0, 0xFFFFFC00u, "", "", true},
      {"exclusion mask", true, 0, 0, 0, 0, "*.tmp", "", true},
      {"limits without more options", false, 1, 1, 1, 1, "*.tmp", "x", false},
  };
  for (const auto& c : cases) {
    TSearchDlgData d;
    d.UseMoreOptions = c.useMoreOptions;
    d.DateFrom = c.dateFrom;
    d.DateTo = c.dateTo;
    d.SizeFrom = c.sizeFrom;
    d.SizeTo = c.sizeTo;
    d.ExcludeMask = c.exclude;
    d.DirMask = c.dirMask;
    EXPECT_EQ(MoreOptionsInForce(d), c.inForce) << c.what;
  }
}

TEST(SearchDlgData, ResetMoreOptionsGivesTheDefaultsWhateverWasThere) {
  TSearchDlgData d = sampleRequest();
  ResetMoreOptions(d);
  EXPECT_FALSE(d.MoreOptionsActive);
  EXPECT_TRUE(d.ExcludeMask.empty());
  EXPECT_TRUE(d.DirMask.empty());
  EXPECT_EQ(d.DateFrom, 0u);
  EXPECT_EQ(d.DateTo, 0u);
  EXPECT_EQ(d.SizeFrom, 0u);
  EXPECT_EQ(d.SizeTo, 0u);
  EXPECT_EQ(d.SortKey1, FoundSortKey::kExtName);
  EXPECT_EQ(d.SortKey2, FoundSortKey::kDiskFolder);
  EXPECT_EQ(d.SortKey3, FoundSortKey::kDateTime);
  EXPECT_TRUE(d.SearchAsAnsi);
  EXPECT_FALSE(d.SearchAsOem);
  EXPECT_EQ(d.Mask.view(), "*.doc") << "fields before the more options stay";
  EXPECT_TRUE(d.CaseSensitive);

  TSearchDlgData fresh;
  ResetMoreOptions(fresh);
  TSearchDlgData untouched;
  expectSameRecord(fresh, untouched);
}

}  // namespace
}  // namespace vellomar
