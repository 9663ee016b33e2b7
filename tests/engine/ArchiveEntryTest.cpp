#include "engine/UArchiveEntry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/UExceptions.h"

namespace vellomar {
namespace {

TEST(ArchiveEntry, NameCaseRuleAppliesToPathAndNameApart) {
  struct Case {
    const char* path;
    const char* name;
    const char* wantPath;
    const char* wantName;
  };
  const Case cases[] = {
      {"\\DATA\\", "FILE.TXT", "\\data\\", "file.txt"},
      {"\\Docs\\", "Read.Me", "\\Docs\\", "Read.Me"},
      {"\\DOCS\\", "Read.Me", "\\docs\\", "Read.Me"},
      {"\\", "123.TXT", "\\", "123.txt"},
      {"\\", "ÄRGER.TXT", "\\", "ärger.txt"},
      {"\\", "привет.TXT", "\\", "привет.TXT"},
      {"\\", "", "\\", " "},
  };
  for (const Case& c : cases) {
    const TArchiveEntry e(c.path, c.name, 0x20, 1, 2, 3);
    EXPECT_EQ(e.Path, c.wantPath) << c.path;
    EXPECT_EQ(e.Name, c.wantName) << c.name;
  }
}

TEST(ArchiveEntry, LongTextsAreCutAtACharacterBoundary) {
  const std::string name = std::string(254, 'a') + "é";  // 256 bytes, the last character two
  const TArchiveEntry e("\\" + std::string(300, 'b') + "\\", name, 0, 0, 0, 0);
  EXPECT_EQ(e.Name, std::string(254, 'a'));
  EXPECT_EQ(e.Path.size(), TArchiveEntry::kMaxText);
}

TEST(ArchiveEntry, OrderIsPathThenNameByUnsignedBytesWithPrefixFirst) {
  TArchiveEntryList list;
  const std::vector<std::pair<std::string, std::string>> members = {
      {"\\b\\", "x"}, {"\\", "zz"},    {"\\a\\", "\xC3\xA9"}, {"\\a\\", "b"}, {"\\a\\", "ab"},
      {"\\a\\", "a"}, {"\\a\\", "Bc"}, {"\\a\\b\\", "a"},     {"\\", "zz"},  // a duplicate is kept
  };
  for (const auto& [path, name] : members) {
    list.Append(std::make_unique<TArchiveEntry>(path, name, 0, 0, 0, 0));
  }
  list.Sort();
  std::vector<std::string> order;
  for (const TArchiveEntry* e : list.Items()) order.push_back(e->Path + e->Name);
  EXPECT_EQ(order, (std::vector<std::string>{"\\zz", "\\zz", "\\a\\Bc", "\\a\\a", "\\a\\ab",
                                             "\\a\\b", "\\a\\\xC3\xA9", "\\a\\b\\a", "\\b\\x"}));
}

TEST(ArchiveEntry, AddInsertsInOrderAndAppendStopsAtTheCeiling) {
  TArchiveEntryList list;
  list.Add(new TArchiveEntry("\\", "b", 0, 0, 0, 0));
  list.Add(new TArchiveEntry("\\", "a", 0, 0, 0, 0));
  EXPECT_EQ(list.ItemAt(0)->Name, "a");

  list.FreeAll();
  for (int i = 0; i < kMaxCollectionItems; ++i) {
    list.Append(std::make_unique<TArchiveEntry>("\\", "n", 0, 0, 0, 0));
  }
  EXPECT_THROW(list.Append(std::make_unique<TArchiveEntry>("\\", "n", 0, 0, 0, 0)),
               EKstvFatalException);
  EXPECT_EQ(list.Count(), kMaxCollectionItems);
}

}  // namespace
}  // namespace vellomar
