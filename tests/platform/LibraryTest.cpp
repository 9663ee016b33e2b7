#include "platform/PLibrary.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/modules/TestFolders.h"
#include "tests/support/ArchiveBuilders.h"

namespace vellomar {
namespace {

using test::TempFolder;

const std::vector<const char*> kAceEntries = {"ACEInitDll", "ACEReadArchiveData", "ACEList",
                                              "ACETest", "ACEExtract"};

void copyStandIn(const std::string& name, const std::string& to) {
  std::filesystem::copy_file(test::standInFolder() + name, to);
}

TEST(FindFileIgnoringCase, FindsTheFileWhateverItsCase) {
  TempFolder folder;
  test::writeBytes(folder, "UnAceV2.Dll", {1});
  std::filesystem::create_directory(folder.at("unrar.dll"));  // a folder is no library

  EXPECT_EQ(findFileIgnoringCase(folder.path(), "unacev2.dll"), folder.at("UnAceV2.Dll"));
  EXPECT_EQ(findFileIgnoringCase(folder.path(), "UNACEV2.DLL"), folder.at("UnAceV2.Dll"));
  EXPECT_EQ(findFileIgnoringCase(folder.path(), "unrar.dll"), "");
  EXPECT_EQ(findFileIgnoringCase(folder.path(), "unace.dll"), "");
  EXPECT_EQ(findFileIgnoringCase(folder.at("missing"), "UnAceV2.Dll"), "");
  // An unknown folder is searched nowhere, not in the root either.
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/", error)) {
    if (entry.is_regular_file(error)) {
      EXPECT_EQ(findFileIgnoringCase("", entry.path().filename().string()), "") << entry.path();
    }
  }
}

TEST(FindFileIgnoringCase, PrefersTheExactName) {
  TempFolder folder;
  test::writeBytes(folder, "UNRAR.DLL", {1});
  test::writeBytes(folder, "unrar.dll", {2});
  EXPECT_EQ(findFileIgnoringCase(folder.path(), "unrar.dll"), folder.at("unrar.dll"));
}

TEST(SharedLibrary, ResolvesExportsOnly) {
  SharedLibrary library = SharedLibrary::load(test::standInFolder() + "unrar.dll");
  ASSERT_TRUE(library.loaded());
  EXPECT_NE(library.symbol("RAROpenArchive"), nullptr);
  EXPECT_EQ(library.symbol("ACEInitDll"), nullptr);

  SharedLibrary moved = std::move(library);
  EXPECT_FALSE(library.loaded());
  EXPECT_NE(moved.symbol("RARGetDllVersion"), nullptr);
}

TEST(SharedLibrary, RefusesWhatIsNoLibraryAndBareNames) {
  TempFolder folder;
  test::writeBytes(folder, "unrar.dll", {'M', 'Z', 0, 0});
  EXPECT_FALSE(SharedLibrary::load(folder.at("unrar.dll")).loaded());
  EXPECT_FALSE(SharedLibrary::load(folder.at("none.dll")).loaded());
  // Never the system's search path.
  EXPECT_FALSE(SharedLibrary::load("libc.so.6").loaded());
}

TEST(SharedLibrary, AModuleCutShortIsBrokenAndNeverMapped) {
  for (const char* module : {"html.k32", "rtf.k32", "mp3tag.k32", "uni.k32", "unrar.dll",
                             "UnAceV2.Dll", "VUnZip32.dll", "VlmrUtl.dll"}) {
    TempFolder folder;
    test::copyModuleCutToHalf(module, folder.at(module));
    const SharedLibrary library = SharedLibrary::load(folder.at(module));
    EXPECT_FALSE(library.loaded()) << module;
    EXPECT_TRUE(library.broken()) << module;
    EXPECT_EQ(library.symbol("OpenTransfer"), nullptr) << module;
  }
  // Cut inside its program headers it is broken too; cut inside its ELF header it is no object
  // at all, which the loader refuses on its own.
  const std::pair<uintmax_t, bool> cuts[] = {{72, true}, {32, false}, {0, false}};
  for (const auto& [size, broken] : cuts) {
    TempFolder folder;
    copyStandIn("unrar.dll", folder.at("unrar.dll"));
    std::filesystem::resize_file(folder.at("unrar.dll"), size);
    const SharedLibrary library = SharedLibrary::load(folder.at("unrar.dll"));
    EXPECT_FALSE(library.loaded()) << size;
    EXPECT_EQ(library.broken(), broken) << size;
  }
  EXPECT_FALSE(SharedLibrary::load(test::standInFolder() + "unrar.dll").broken());
}

TEST(LibraryBinding, BindsWhenEveryEntryPointResolves) {
  TempFolder folder;
  copyStandIn("UnAceV2.Dll", folder.at("unacev2.dll"));
  LibraryBinding binding("UnAceV2.Dll", kAceEntries, folder.path());
  ASSERT_TRUE(binding.bind());
  EXPECT_TRUE(binding.bind());
  for (size_t i = 0; i < kAceEntries.size(); ++i) EXPECT_NE(binding.entry(i), nullptr) << i;
  EXPECT_EQ(binding.entry(kAceEntries.size()), nullptr);
}

TEST(LibraryBinding, OneMissingEntryPointMakesTheLibraryAbsent) {
  LibraryBinding binding("UnAceV2.Dll", kAceEntries, test::partialLibraryFolder());
  EXPECT_FALSE(binding.bind());
  for (size_t i = 0; i < kAceEntries.size(); ++i) EXPECT_EQ(binding.entry(i), nullptr) << i;
}

TEST(LibraryBinding, AFailedAttemptIsNeverRepeated) {
  TempFolder folder;
  LibraryBinding binding("UnAceV2.Dll", kAceEntries, folder.path());
  EXPECT_FALSE(binding.bind());
  copyStandIn("UnAceV2.Dll", folder.at("UnAceV2.Dll"));
  EXPECT_FALSE(binding.bind());
  EXPECT_EQ(binding.entry(0), nullptr);
}

TEST(ProgramFolder, IsTheRunningProgramsFolderUnlessPointedElsewhere) {
  const std::string real = programFolder();
  ASSERT_FALSE(real.empty());
  EXPECT_EQ(real.back(), '/');
  EXPECT_TRUE(std::filesystem::exists(real + "platform_tests"));

  setProgramFolder("/opt/elsewhere");
  EXPECT_EQ(programFolder(), "/opt/elsewhere/");
  setProgramFolder({});
  EXPECT_EQ(programFolder(), real);
}

}  // namespace
}  // namespace vellomar
