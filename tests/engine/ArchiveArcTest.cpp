#include "engine/UArchiveArc.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/ArchiveBuilders.h"
#include "tests/support/ArchiveListing.h"

namespace vellomar {
namespace {

using test::ArcMember;
using test::buildArc;
using test::Bytes;
using test::ListResult;

const test::ArchiveReader arc = [](TArchiveEntryList& l, const std::string& p) {
  return ReadArcArchive(l, p);
};

const uint32_t kWhen = test::dosDateTime(1991, 7, 4, 12, 0, 30);

std::string line(const char* name, uint32_t size) {
  return std::string("\\|") + name + "|" + std::to_string(size) + "|1991-07-04 12:00:30";
}

TEST(ArchiveArc, NamesOfOneToTwelveCharactersAreListed) {
  const ListResult result =
      test::listBytes(arc, buildArc({{"README.TXT", 4, kWhen}, {" TWELVE.CHRS", 2, kWhen}}));
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(result.lines,
            (std::vector<std::string>{line("readme.txt", 4), line("twelve.chrs", 2)}));
}

TEST(ArchiveArc, AHeaderThatIsNoneEndsTheListing) {
  struct Case {
    const char* what;
    ArcMember bad;
  };
  const Case cases[] = {
      {"an empty name", {"", 1, kWhen}},
      {"a name without its zero", {"THIRTEEN.CHRS", 1, kWhen}},
  };
  for (const Case& c : cases) {
    const ListResult result =
        test::listBytes(arc, buildArc({{"first", 1, kWhen}, c.bad, {"after", 1, kWhen}}));
    EXPECT_TRUE(result.ok) << c.what;
    EXPECT_EQ(result.lines, std::vector<std::string>{line("first", 1)}) << c.what;
  }
  Bytes sizePastEnd = buildArc({{"first", 1, kWhen}, {"second", 1, kWhen}});
  sizePastEnd[18] = 0x7F;  // packed size of the first member near 2 GB
  EXPECT_EQ(test::listBytes(arc, sizePastEnd).lines, std::vector<std::string>{line("first", 1)});
  EXPECT_FALSE(test::listBytes(arc, test::textBytes("not an arc archive at all, no")).ok);
  EXPECT_FALSE(test::listBytes(arc, {}).ok);
}

TEST(ArchiveArc, EveryCutOfASmallArchiveIsSafe) {
  test::expectEveryCutSafe(arc, buildArc({{"A", 3, kWhen}, {"B.C", 0, kWhen}}));
}

}  // namespace
}  // namespace vellomar
