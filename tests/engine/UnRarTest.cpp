#include "engine/UUnRar.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/UArchiveRar.h"
#include "tests/modules/TestFolders.h"
#include "tests/support/ArchiveBuilders.h"
#include "tests/support/ArchiveListing.h"

namespace vellomar {
namespace {

using test::archiveFixture;
using test::TempFolder;

const std::string kCyrillicText = "\xD1\x82\xD0\xB5\xD1\x81\xD1\x82.txt";  // "тест.txt"

test::ListResult listByDll(UnRarLibrary& library, const std::string& archive) {
  return test::listWith([&](TArchiveEntryList& list,
                            const std::string& path) { return library.ReadRarByDll(list, path); },
                        archiveFixture(archive));
}

TEST(UnRar, ListsFilesThroughTheLibraryAsTheBuiltInWalkDoes) {
  UnRarLibrary library(test::standInFolder());
  struct Case {
    const char* archive;
    const char* textName;  // the third file, whose name the built-in walk keeps as stored
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"Rar15.rar",
       "tect.txt",
       {"\\|tect.txt|15498|2022-08-01 19:23:04", "\\exe\\|test.exe|45056|2022-08-01 19:23:04",
        "\\jpg\\|test.jpg|40372|2022-08-01 19:23:04"}},
      {"Rar4.rar",
       kCyrillicText.c_str(),
       {"\\|" + kCyrillicText + "|15498|2022-04-19 17:31:48",
        "\\exe\\|test.exe|45056|2022-04-19 17:31:48",
        "\\jpg\\|test.jpg|40372|2022-04-19 17:31:48"}},
  };
  for (const Case& c : cases) {
    const test::ListResult byDll = listByDll(library, c.archive);
    EXPECT_TRUE(byDll.ok) << c.archive;
    EXPECT_EQ(byDll.lines, c.lines) << c.archive;

    const test::ListResult walked =
        test::listWith([](TArchiveEntryList& list,
                          const std::string& path) { return ReadRarArchive(list, path, 0); },
                       archiveFixture(c.archive));
    ASSERT_EQ(walked.lines.size(), byDll.lines.size()) << c.archive;
    for (size_t i = 0; i < walked.lines.size(); ++i) {
      if (byDll.lines[i].find(c.textName) == std::string::npos) {
        EXPECT_EQ(walked.lines[i], byDll.lines[i]) << c.archive;
      }
    }
  }
}

TEST(UnRar, ListsEveryMemberOfSolidArchives) {
  test::useUtc();  // RAR 5 keeps UTC
  struct Case {
    const char* archive;
    std::vector<std::string> lines;
  };
  const std::vector<std::string> rar29 = {"\\|" + kCyrillicText + "|15498|2011-06-23 21:35:52",
                                          "\\exe\\|test.exe|45056|2002-05-19 08:43:42",
                                          "\\jpg\\|test.jpg|40372|2011-07-05 17:00:16"};
  const Case cases[] = {
      {"Rar.solid.rar", rar29},
      {"Rar.comment.rar", rar29},
      {"Rar5.solid.rar",
       {"\\|" + kCyrillicText + "|15498|2011-06-24 01:35:52",
        "\\exe\\|test.exe|45056|2002-05-19 12:43:42",
        "\\jpg\\|test.jpg|40372|2011-07-05 21:00:16"}},
  };
  for (const Case& c : cases) {
    const test::ListResult listed =
        test::listWith([](TArchiveEntryList& list,
                          const std::string& path) { return ReadRarArchive(list, path, 0); },
                       archiveFixture(c.archive));
    EXPECT_TRUE(listed.ok) << c.archive;
    EXPECT_EQ(listed.lines, c.lines) << c.archive;
  }
}

TEST(UnRar, ExtractsAMemberMatchedIgnoringCase) {
  UnRarLibrary library(test::standInFolder());
  TempFolder folder;
  struct Case {
    std::string member;
    size_t size;
  };
  const Case cases[] = {
      {"EXE\\Test.exe", 45056},
      {"jpg/test.jpg", 40372},
      {kCyrillicText, 15498},  // a description file, stored under a Unicode name
  };
  for (const Case& c : cases) {
    const std::string target = folder.at("Vlmr1.tmp");
    EXPECT_EQ(library.RarExtractFile(archiveFixture("Rar4.rar"), c.member, target), 0) << c.member;
    EXPECT_EQ(test::fileBytes(target).size(), c.size) << c.member;
  }
  const test::Bytes text = test::fileBytes(folder.at("Vlmr1.tmp"));
  EXPECT_TRUE(std::all_of(text.begin(), text.begin() + 200, [](uint8_t b) { return b >= 0x09; }));
}

TEST(UnRar, PassesTheLibrarysResultOn) {
  // libarchive has no decoder for the methods of RAR 1.5 and 2.0.
  UnRarLibrary library(test::standInFolder());
  TempFolder folder;
  EXPECT_EQ(library.RarExtractFile(archiveFixture("Rar15.rar"), "tect.txt", folder.at("Vlmr1.tmp")),
            kRarBadData);
  EXPECT_EQ(
      library.RarExtractFile(archiveFixture("Rar2.rar"), "exe\\test.exe", folder.at("Vlmr2.tmp")),
      kRarBadData);
}

TEST(UnRar, SolidMembersTheLibraryCannotReachAnswerItsError) {
  UnRarLibrary library(test::standInFolder());
  TempFolder folder;
  EXPECT_EQ(library.RarExtractFile(archiveFixture("Rar.solid.rar"), kCyrillicText,
                                   folder.at("Vlmr1.tmp")),
            0);
  EXPECT_EQ(library.RarExtractFile(archiveFixture("Rar.solid.rar"), "jpg\\test.jpg",
                                   folder.at("Vlmr2.tmp")),
            kRarBadData);
}

TEST(UnRar, AnswersUnavailableForMissingMembersAndFolders) {
  UnRarLibrary library(test::standInFolder());
  TempFolder folder;
  const std::string target = folder.at("Vlmr1.tmp");
  for (const char* member : {"exe", "exe\\none.exe", "test.exe"}) {
    EXPECT_EQ(library.RarExtractFile(archiveFixture("Rar4.rar"), member, target),
              kLibraryUnavailable)
        << member;
  }
  EXPECT_EQ(library.RarExtractFile(archiveFixture("Ace.store.ace"), "exe\\test.exe", target),
            kLibraryUnavailable);
  EXPECT_FALSE(std::filesystem::exists(target));
}

TEST(UnRar, WithoutACompleteLibraryNothingIsListedOrExtracted) {
  TempFolder empty;
  TempFolder folder;
  for (const std::string& where : {empty.path(), test::partialLibraryFolder()}) {
    UnRarLibrary library(where);
    EXPECT_FALSE(library.Load()) << where;
    TArchiveEntryList list;
    EXPECT_FALSE(library.ReadRarByDll(list, archiveFixture("Rar4.rar"))) << where;
    EXPECT_EQ(list.Count(), 0) << where;
    EXPECT_EQ(
        library.RarExtractFile(archiveFixture("Rar4.rar"), "exe\\test.exe", folder.at("Vlmr1.tmp")),
        kLibraryUnavailable)
        << where;
  }
  // The built-in walk still lists the archive.
  TArchiveEntryList list;
  EXPECT_TRUE(ReadRarArchive(list, archiveFixture("Rar4.rar"), 0));
}

TEST(UnRar, TheProgramsLibraryComesFromItsFolder) {
  TempFolder folder;
  setProgramFolder(test::standInFolder());
  EXPECT_TRUE(LoadUnRarDll());
  TArchiveEntryList list;
  EXPECT_TRUE(ReadRarByDll(list, archiveFixture("Rar2.rar")));
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(
      RarExtractFile(archiveFixture("Rar4.rar"), "jpg\\test.jpg", folder.at("Vlmr2.tmp"), 0, 0), 0);
}

}  // namespace
}  // namespace vellomar
