// Archives made by other tools list as those tools list them, and every truncation of them
// ends in false or in fewer members, never in a crash or an overread.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include <string>
#include <vector>

#include "engine/UArchiveArc.h"
#include "engine/UArchiveArj.h"
#include "engine/UArchiveLha.h"
#include "engine/UArchiveRar.h"
#include "engine/UArchiveZip.h"
#include "platform/PText.h"
#include "tests/support/ArchiveBuilders.h"
#include "tests/support/ArchiveFixtures.h"
#include "tests/support/ArchiveListing.h"

namespace vellomar {
namespace {

using test::archiveFixture;
using test::ArchiveReader;
using test::listWith;

const ArchiveReader zip = [](TArchiveEntryList& l, const std::string& p) {
  return ReadZipCentral(l, p, 0);
};
const ArchiveReader arc = [](TArchiveEntryList& l, const std::string& p) {
  return ReadArcArchive(l, p);
};
const ArchiveReader lha = [](TArchiveEntryList& l, const std::string& p) {
  return ReadLhaArchive(l, p, 0);
};
const ArchiveReader arj = [](TArchiveEntryList& l, const std::string& p) {
  return ReadArjArchive(l, p, 0);
};
const ArchiveReader rar = [](TArchiveEntryList& l, const std::string& p) {
  return ReadRarArchive(l, p, 0);
};

struct Fixture {
  const char* file;
  const ArchiveReader* reader;
  std::vector<std::string> members;
};

const std::vector<std::string> kSharpMembers(const char* txt, const char* exe, const char* jpg) {
  return {std::string("\\|tect.txt|15498|") + txt, std::string("\\exe\\|test.exe|45056|") + exe,
          std::string("\\jpg\\|test.jpg|40372|") + jpg};
}

std::vector<std::string> rootMembers(const char* date) {
  return {std::string("\\|tect.txt|15498|") + date, std::string("\\|test.exe|45056|") + date,
          std::string("\\|test.jpg|40372|") + date};
}

const std::vector<Fixture>& fixtures() {
  static const std::vector<Fixture> all = {
      {"Zip.implode.zip",
       &zip,
       {"\\|" + oemToText("\xE2\xA5\xE1\xE2") + ".txt|15498|2022-08-01 19:23:04",
        "\\exe\\|test.exe|45056|2022-08-01 19:23:04",
        "\\jpg\\|test.jpg|40372|2022-08-01 19:23:04"}},
      {"Zip.reduce1.zip", &zip, rootMembers("2022-08-01 19:23:04")},
      {"Zip.reduce4.zip", &zip, rootMembers("2022-08-01 19:23:04")},
      {"Zip.shrink.zip", &zip, rootMembers("2022-08-01 20:23:04")},
      {"Arc.crunched.arc",
       &arc,
       {"\\|tect.txt|15498|2025-03-11 17:12:20", "\\|test.exe|45056|2025-03-11 17:12:24",
        "\\|test.jpg|40372|2025-03-11 17:12:26"}},
      {"Arc.squashed.arc", &arc, rootMembers("2024-03-23 18:12:44")},
      {"Arc.squeezed.arc",
       &arc,
       {"\\|tect.txt|15498|2022-08-01 19:23:04", "\\|test.exe|45056|2024-03-23 19:12:46",
        "\\|test.jpg|40372|2024-03-23 19:12:46"}},
      {"Arc.uncompressed.arc",
       &arc,
       {"\\|tect.txt|15498|2022-08-01 19:23:04", "\\|test.exe|45056|2024-03-23 19:12:46",
        "\\|test.jpg|40372|2024-03-23 19:12:46"}},
      {"Arj.method1.arj", &arj,
       kSharpMembers("2022-08-01 19:23:04", "2024-03-23 19:12:46", "2024-03-23 19:12:46")},
      {"Arj.method4.arj", &arj,
       kSharpMembers("2022-08-01 19:23:04", "2024-03-23 19:12:46", "2024-03-23 19:12:46")},
      {"Arj.store.arj", &arj,
       kSharpMembers("2022-08-01 19:23:04", "2024-03-23 19:12:46", "2024-03-23 19:12:46")},
      // Listed through the RAR library, which reads the names the archiver kept in Unicode
      // ("тест"); the block walk alone would give the stored CP866 bytes or "????".
      {"Rar.none.rar",
       &rar,
       {"\\|\xD1\x82\xD0\xB5\xD1\x81\xD1\x82.txt|15498|2011-06-23 21:35:52",
        "\\exe\\|test.exe|45056|2002-05-19 08:43:42",
        "\\jpg\\|test.jpg|40372|2011-07-05 17:00:16"}},
      {"Rar15.rar", &rar,
       kSharpMembers("2022-08-01 19:23:04", "2022-08-01 19:23:04", "2022-08-01 19:23:04")},
      {"Rar2.rar",
       &rar,
       {"\\|\xD1\x82\xD0\xB5\xD1\x81\xD1\x82.txt|15498|2022-02-14 09:38:20",
        "\\exe\\|test.exe|45056|2022-02-14 09:38:20",
        "\\jpg\\|test.jpg|40372|2022-02-14 09:38:20"}},
      {"Rar4.rar",
       &rar,
       {"\\|\xD1\x82\xD0\xB5\xD1\x81\xD1\x82.txt|15498|2022-04-19 17:31:48",
        "\\exe\\|test.exe|45056|2022-04-19 17:31:48",
        "\\jpg\\|test.jpg|40372|2022-04-19 17:31:48"}},
      {"lzh/lha213_lh0.lzh", &lha, {"\\|gpl-2.gz|6829|2010-01-01 00:00:00"}},
      {"lzh/lha213_lh5.lzh", &lha, {"\\|gpl-2|18092|2010-01-01 00:00:00"}},
      {"lzh/lha213_subdir.lzh", &lha, {"\\subdir\\subdir2\\|hello.txt|12|2010-01-01 00:00:00"}},
      {"lzh/lha_amiga_122_level0.lzh",
       &lha,
       {"\\subdir\\subdir2\\|hello.txt|12|1980-06-12 21:06:54"}},
      {"lzh/lha_amiga_122_level1.lzh",
       &lha,
       {"\\subdir\\subdir2\\|hello.txt|12|1980-06-12 21:06:54"}},
  };
  return all;
}

TEST(ArchiveFixtures, ListAsThePeerToolsList) {
  for (const Fixture& f : fixtures()) {
    const test::ListResult result = listWith(*f.reader, archiveFixture(f.file));
    EXPECT_TRUE(result.ok) << f.file;
    EXPECT_EQ(result.lines, f.members) << f.file;
  }
}

TEST(ArchiveFixtures, Level2HeadersCarryUnixTimes) {
  // The listing shows a Unix time as local time, so it is checked in UTC.
  test::useUtc();
  const std::pair<const char*, const char*> cases[] = {
      {"lzh/lha_amiga_122_level2.lzh", "\\subdir\\subdir2\\|hello.txt|12|1980-06-12 21:06:54"},
      {"lzh/lh2_222_subdir.lzh", "\\subdir\\SUBDIR2\\|hello.txt|14|2025-06-28 12:02:02"},
  };
  for (const auto& [file, member] : cases) {
    const test::ListResult result = listWith(lha, archiveFixture(file));
    EXPECT_TRUE(result.ok) << file;
    EXPECT_EQ(result.lines, std::vector<std::string>{member}) << file;
  }
}

TEST(ArchiveFixtures, TruncationsGiveFalseOrFewerMembers) {
  for (const Fixture& f : fixtures()) {
    SCOPED_TRACE(f.file);
    test::expectEveryCutSafe(*f.reader, test::textBytes(test::contentOf(archiveFixture(f.file))),
                             7);
  }
}

TEST(ArchiveFixtures, ListWhatTheArchiversOfThisSystemMake) {
  // lha and arj keep Unix times, shown as local time.
  test::useUtc();
  const std::vector<std::string> tree = {"\\|a.txt|1|2020-05-17 13:45:30",
                                         "\\Docs\\|Read.Me|5|2020-05-17 13:45:30",
                                         "\\Docs\\Deep\\|x.txt|2|2020-05-17 13:45:30"};
  struct Case {
    const char* tool;
    const char* command;
    const ArchiveReader* reader;
    std::vector<std::string> members;
  };
  const Case cases[] = {
      {"zip", "zip -qr t A.TXT Docs", &zip, tree},
      // Folder entries of their own are not listed.
      {"lha", "lha aq t A.TXT Docs", &lha, tree},
      // Debian's arj writes "Docs/Read.Me" without the path flag.
      {"arj", "arj a -r t '*'", &arj, tree},
      {"arc", "arc a t A.TXT", &arc, {tree[0]}},
  };
  for (const Case& c : cases) {
    if (!test::haveTool(c.tool)) {
      std::printf("%s is not installed; its archives are not tried\n", c.tool);
      continue;
    }
    test::TempFolder folder;
    ASSERT_TRUE(test::runIn(folder.path(),
                            std::string("mkdir -p Docs/Deep && printf hello > Docs/Read.Me && "
                                        "printf 12 > Docs/Deep/X.TXT && printf 1 > A.TXT && "
                                        "touch -d '2020-05-17 13:45:30' Docs/Read.Me "
                                        "Docs/Deep/X.TXT A.TXT && ") +
                                c.command))
        << c.tool;
    const auto made = std::filesystem::directory_iterator(folder.path());
    std::string archive;
    for (const auto& entry : made) {
      if (entry.path().stem() == "t") archive = entry.path().string();
    }
    const test::ListResult result = listWith(*c.reader, archive);
    EXPECT_TRUE(result.ok) << c.tool;
    EXPECT_EQ(result.lines, c.members) << c.tool;
  }
}

}  // namespace
}  // namespace vellomar
