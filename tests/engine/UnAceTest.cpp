#include "engine/UUnAce.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/UUnRar.h"
#include "engine/api/UApiGlobals.h"
#include "engine/api/UCallbacks.h"
#include "platform/PText.h"
#include "tests/modules/TestFolders.h"
#include "tests/support/ArchiveBuilders.h"
#include "tests/support/ArchiveListing.h"
#include "tests/support/MemberNameCases.h"

namespace vellomar {
namespace {

namespace fs = std::filesystem;
using test::archiveFixture;
using test::TempFolder;

std::vector<std::string> messages;
void recordMessage(const ShortString& text) {
  messages.push_back(text.str());
}

TEST(UnAce, ListsFilesOfAce10And20ArchivesThroughTheLibrary) {
  UnAceLibrary library(test::standInFolder());
  const std::vector<std::string> want = {"\\|Tect.txt.txt|15498|2025-10-27 10:57:04",
                                         "\\exe\\|test.exe|45056|2025-10-27 10:57:04",
                                         "\\jpg\\|test.jpg|40372|2025-10-27 10:57:04"};
  SetCallbacks(nullptr, nullptr, recordMessage, nullptr, nullptr, nullptr);
  for (const char* archive : {"Ace.store.ace", "Ace.method1.ace", "Ace.method2.ace"}) {
    messages.clear();
    const test::ListResult result =
        test::listWith([&](TArchiveEntryList& list,
                           const std::string& path) { return library.ReadAceArchive(list, path); },
                       archiveFixture(archive));
    EXPECT_TRUE(result.ok) << archive;
    EXPECT_EQ(result.lines, want) << archive;
    EXPECT_EQ(messages,
              std::vector<std::string>{"Scanning contents of " + archiveFixture(archive)});
  }
  ResetCallbacks();
}

TEST(UnAce, NamesFollowTheRuleOfEveryArchiveAndAreExtractedAsListed) {
  UnAceLibrary library(test::standInFolder());
  TempFolder folder;
  std::vector<test::AceMember> members;
  for (const std::string& name : test::storedMemberNames()) {
    members.push_back({name, 3, test::dosDateTime(2001, 9, 8, 7, 6, 4)});
  }
  const std::string archive = test::writeBytes(folder, "names.ace", test::buildAce(members));
  const test::ListResult result =
      test::listWith([&](TArchiveEntryList& list,
                         const std::string& path) { return library.ReadAceArchive(list, path); },
                     archive);
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(test::pathsAndNames(result.lines), test::listedMemberNames());
  // The library knows the names as stored; a member asked for as listed is found all the same.
  for (const std::string& member :
       {std::string("up.txt"), std::string("A\\B\\c.txt"), oemToText("\x8E") + ".txt"}) {
    const std::string target = folder.at("V.tmp");
    EXPECT_EQ(library.AceExtractFile(archive, member, target), 0) << member;
    EXPECT_EQ(test::fileBytes(target), std::vector<uint8_t>(3, 0)) << member;
    fs::remove(target);
  }
}

TEST(UnAce, ADamagedArchiveGivesFalse) {
  UnAceLibrary library(test::standInFolder());
  TempFolder folder;
  test::Bytes bytes = test::fileBytes(archiveFixture("Ace.store.ace"));
  bytes.resize(0xB0 + 100);  // inside the data of exe\test.exe
  TArchiveEntryList list;
  EXPECT_FALSE(library.ReadAceArchive(list, test::writeBytes(folder, "cut.ace", bytes)));
  EXPECT_FALSE(library.ReadAceArchive(list, archiveFixture("Rar4.rar")));
}

TEST(UnAce, ExtractsAStoredMemberToTheTarget) {
  UnAceLibrary library(test::standInFolder());
  UnRarLibrary unRar(test::standInFolder());
  TempFolder folder;
  // The caller may have made the target already.
  const std::string target = test::writeBytes(folder, "Vlmr1.tmp", {});
  EXPECT_EQ(library.AceExtractFile(archiveFixture("Ace.store.ace"), "exe\\TEST.EXE", target), 0);
  // The same file as the RAR library unpacks it from another archive.
  const std::string fromRar = folder.at("Vlmr2.tmp");
  ASSERT_EQ(unRar.RarExtractFile(archiveFixture("Rar4.rar"), "exe\\test.exe", fromRar), 0);
  EXPECT_EQ(test::fileBytes(target), test::fileBytes(fromRar));
  // Nothing else is left in the folder.
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 2);
}

TEST(UnAce, AFailedExtractionLeavesOtherFilesAlone) {
  UnAceLibrary library(test::standInFolder());
  TempFolder folder;
  // A file of the member's name beside the target is no extracted file.
  const std::string unrelated = test::writeBytes(folder, "test.exe", test::textBytes("mine"));
  struct Case {
    const char* archive;
    const char* member;
    int32_t result;
  };
  for (const Case& c : {Case{"Ace.method1.ace", "exe\\test.exe", kAceErrorUnsupported},
                        Case{"Ace.method2.ace", "jpg\\test.jpg", kAceErrorUnsupported},
                        Case{"Ace.store.ace", "exe\\other.exe", kAceErrorNotFound},
                        Case{"Ace.store.ace", "exe", kAceErrorNotFound}}) {
    const std::string target = folder.at("Vlmr1.tmp");
    EXPECT_EQ(library.AceExtractFile(archiveFixture(c.archive), c.member, target), c.result)
        << c.archive << " " << c.member;
    EXPECT_FALSE(fs::exists(target)) << c.member;
    EXPECT_EQ(test::fileBytes(unrelated), test::textBytes("mine")) << c.member;
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);
  }
}

TEST(UnAce, WithoutACompleteLibraryNothingIsListedOrExtracted) {
  TempFolder empty;
  TempFolder folder;
  for (const std::string& where : {empty.path(), test::partialLibraryFolder()}) {
    UnAceLibrary library(where);
    EXPECT_FALSE(library.Load()) << where;
    TArchiveEntryList list;
    EXPECT_FALSE(library.ReadAceArchive(list, archiveFixture("Ace.store.ace"))) << where;
    EXPECT_EQ(list.Count(), 0) << where;
    EXPECT_EQ(library.AceExtractFile(archiveFixture("Ace.store.ace"), "exe\\test.exe",
                                     folder.at("Vlmr1.tmp")),
              kLibraryUnavailable)
        << where;
  }
}

TEST(UnAce, TheProgramsLibraryComesFromItsFolder) {
  TempFolder folder;
  setProgramFolder(test::standInFolder());
  EXPECT_TRUE(LoadUnAceDll());
  TArchiveEntryList list;
  EXPECT_TRUE(ReadAceArchive(list, archiveFixture("Ace.method2.ace")));
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(
      AceExtractFile(archiveFixture("Ace.store.ace"), "jpg\\test.jpg", folder.at("V.tmp"), 0, 0),
      0);
}

}  // namespace
}  // namespace vellomar
