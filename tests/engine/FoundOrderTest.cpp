#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/api/UApi.h"
#include "tests/support/GeneratedCatalogue.h"

namespace vellomar {
namespace {

using testing::dosDateTime;
using testing::fileNameRequest;

// Every field of every found item in list order, as the result windows read them.
uint64_t foundDigest(TDBase& handle, int32_t& count) {
  count = ApiFoundCount(&handle);
  uint64_t hash = testing::fixtureDigest("");
  for (int32_t i = 0; i < count; ++i) {
    TOneFile record;
    ShortString disk, folder, desc;
    EXPECT_TRUE(ApiGetFoundItem(&handle, i, record, disk, folder, desc));
    const std::string line =
        disk.str() + "|" + folder.str() + "|" + record.Name.str() +
        std::string(record.Data.Ext.view()) + "|" + desc.str() + "|" +
        std::to_string(record.Data.Size) + "|" + std::to_string(record.Data.DateTime) + "|" +
        std::to_string(record.Data.Attr) + "|" + std::to_string(record.Data.DescOffset) + "|" +
        std::to_string(record.EntryOffset) + "\n";
    hash = testing::fixtureDigest(line, hash);
  }
  return hash;
}

struct PinnedSearch {
  const char* Name;
  TSearchDlgData Request;
  int32_t Count;
  uint64_t Digest;
};

TSearchDlgData wordRequest(const char* mask, bool phrase) {
  TSearchDlgData r = fileNameRequest(mask);
  r.AddWildcards = true;
  r.Phrase = phrase;
  return r;
}

TSearchDlgData datesRequest() {
  TSearchDlgData r = fileNameRequest("*");
  r.UseMoreOptions = true;
  r.MoreOptionsActive = true;
  r.DateFrom = dosDateTime(2001, 1, 1);
  r.DateTo = dosDateTime(2003, 1, 1);
  return r;
}

TSearchDlgData descriptionRequest() {
  TSearchDlgData r = fileNameRequest("lighthouse");
  r.FileNames = false;
  r.Descriptions = true;
  return r;
}

TSearchDlgData limitedRequest() {
  TSearchDlgData r = fileNameRequest("*re*;*ho*");
  r.FolderNames = true;
  r.Descriptions = true;
  r.MoreOptionsActive = true;
  r.ExcludeMask = "*.jpg *.c";
  r.SizeFrom = 1'000'000'000;
  return r;
}

TSearchDlgData caseRequest() {
  TSearchDlgData r = fileNameRequest("*Re*");
  r.CaseSensitive = true;
  r.DiskNames = true;
  return r;
}

// The found list of each search of a generated catalogue, pinned field by field and in order,
// so that a faster search gives the same hits in the same order.
TEST(FoundOrder, SearchesOfAGeneratedCatalogueKeepTheirHitsAndOrder) {
  testing::TestCatalogue c;
  testing::fillGeneratedCatalogue(c);
  const std::vector<PinnedSearch> searches = {
      {"mask *.txt", fileNameRequest("*.txt"), 365, 0xd278a5c21a11c72cULL},
      {"word report", wordRequest("report", false), 112, 0x691691b87e3b586ULL},
      {"phrase", wordRequest("summer holiday", true), 41, 0xe2c717991eacf636ULL},
      {"dates", datesRequest(), 39, 0xe34c318126765b49ULL},
      {"description word", descriptionRequest(), 127, 0xc898989fb209c6f1ULL},
      {"names, folders and descriptions with limits", limitedRequest(), 521, 0xd6112214bc02832cULL},
      {"case-sensitive with disk names", caseRequest(), 122, 0xeddb8466906a9ef6ULL},
  };
  for (const PinnedSearch& s : searches) {
    SCOPED_TRACE(s.Name);
    ApiSearch(&c.handle, s.Request);
    int32_t count = 0;
    const uint64_t digest = foundDigest(c.handle, count);
    EXPECT_EQ(count, s.Count);
    EXPECT_EQ(digest, s.Digest);
  }
}

}  // namespace
}  // namespace vellomar
