#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/TempFolder.h"
#include "ui/app/URecentFiles.h"
#include "ui/app/USideFiles.h"
#include "ui/settings/USettingsGlobals.h"

namespace vellomar {
namespace {

std::vector<std::string> entries(const RecentFiles& r) {
  std::vector<std::string> out;
  for (int i = 0; i < RecentFiles::kCount && !r.entry(i).empty(); ++i) out.push_back(r.entry(i));
  return out;
}

TEST(RecentFiles, NewestOnTopAtMostTen) {
  RecentFiles r;
  for (const char* name : {"/d/a.kvd", "/d/b.kvd", "/d/c.kvd"}) r.add(name);
  EXPECT_EQ(entries(r), (std::vector<std::string>{"/d/c.kvd", "/d/b.kvd", "/d/a.kvd"}));
  r.add("/d/./a.kvd");  // the same path moves up, kept as given
  EXPECT_EQ(entries(r), (std::vector<std::string>{"/d/./a.kvd", "/d/c.kvd", "/d/b.kvd"}));
  r.add("/d/A.kvd");  // another file on Linux
  EXPECT_EQ(entries(r).size(), 4u);
  for (int i = 0; i < 12; ++i) r.add("/x/" + std::to_string(i) + ".kvd");
  EXPECT_EQ(entries(r).size(), 10u);
  EXPECT_EQ(r.entry(0), "/x/11.kvd");
  EXPECT_EQ(r.entry(9), "/x/2.kvd");
  EXPECT_TRUE(r.remove("/x/5.kvd"));
  EXPECT_FALSE(r.remove("/x/5.kvd"));
  EXPECT_EQ(r.entry(6), "/x/4.kvd");
  EXPECT_TRUE(r.entry(9).empty());
}

TEST(RecentFiles, ShownCountStopsAtShowMaxAndAtAGap) {
  RecentFiles r;
  r.read(IniFile::fromText(
      "[RecentFiles]\nShowMax=3\nFile1=/a\nFile2=/b\nFile3=/c\nFile4=/d\nFile5=/e\n"));
  EXPECT_EQ(r.shownCount(), 3);
  r.read(IniFile::fromText("[RecentFiles]\nFile1=/a\nFile2=\nFile3=/c\n"));
  EXPECT_EQ(r.shownCount(), 1);  // an entry emptied by hand hides the rest
  r.read(IniFile::fromText("[RecentFiles]\nShowMax=-4\nFile1=/a\n"));
  EXPECT_EQ(r.shownCount(), 0);
}

TEST(RecentFiles, CaptionsElideMiddleFolders) {
  RecentFiles r;
  r.add("/home/someone/catalogues/of/my/many/old/disks/R&D archive.kvd");
  EXPECT_EQ(r.caption(0), "/.../of/my/many/old/disks/R&&D archive.kvd");  // 41 characters
  r.add("/d/b.kvd");
  EXPECT_EQ(r.caption(0), "/d/b.kvd");
}

TEST(RecentFiles, SettingsIniRoundTripKeepsOtherSections) {
  RecentFiles r;
  r.LastOpened = "/d/a.kvd";
  r.LastDir = "/d";
  r.ShowMax = 5;
  r.add("/d/b.kvd");
  IniFile ini = IniFile::fromText("[SearchDlg]\nMask=*.txt\n");
  r.write(ini);
  RecentFiles back;
  back.read(ini);
  EXPECT_EQ(back.LastOpened, "/d/a.kvd");
  EXPECT_EQ(back.LastDir, "/d");
  EXPECT_EQ(back.ShowMax, 5);
  EXPECT_EQ(entries(back), entries(r));
  EXPECT_EQ(ini.readString("SearchDlg", "Mask", ""), "*.txt");
}

TEST(UserCommands, KeysSectionsAndTempDir) {
  struct KeyCase {
    const char* text;
    uint16_t key;
  };
  for (const KeyCase& c :
       {KeyCase{"a", 'A'}, KeyCase{"7", '7'}, KeyCase{"f10", 0x79}, KeyCase{"F1", 0x70},
        KeyCase{"F12", 0x7B}, KeyCase{"F13", 0}, KeyCase{"F0", 0}, KeyCase{"F01", 0},
        KeyCase{"AB", 0}, KeyCase{"", 0}, KeyCase{"\xC3\xA9", 0}})
    EXPECT_EQ(userCommandKey(c.text), c.key) << c.text;

  const std::string savedTemp = TempFolder;
  ReadUserCommands(
      IniFile::fromText("[settings]\ntempdir=/var/tmp/x\n"
                        "[cmd5]\nkey=F5\ncontrol=1\ndll=view.dll\nparams=-x\n"
                        "[cmd7]\nkey=F13\ndll=bad.dll\n"  // invalid key: left out
                        "[cmd8]\nkey=Q\n"                 // no library: left out
                        "[cmd19]\nkey=z\nshift=1\nalt=1\ntest=1\ndll=z.dll\n"
                        "[cmd21]\nkey=Y\ndll=never.dll\n"));  // after the gap at cmd20
  ASSERT_EQ(UserCommandList.size(), 2u);
  const TUserCommand& first = *UserCommandList[0];
  EXPECT_EQ(first.wKey, 0x74);
  EXPECT_EQ(first.bControl, 1);
  EXPECT_EQ(first.bShift, 0);
  EXPECT_EQ(first.sDll, "view.dll");
  EXPECT_EQ(first.sParams, "-x");
  const TUserCommand& second = *UserCommandList[1];
  EXPECT_EQ(second.wKey, 'Z');
  EXPECT_EQ(second.bShift + second.bAlt + second.bTest, 3);
  EXPECT_EQ(TempFolder, "/var/tmp/x");

  ReadUserCommands(IniFile::fromText("[cmd25]\nkey=F5\ndll=a.dll\n"));
  EXPECT_TRUE(UserCommandList.empty());
  TempFolder = savedTemp;
}

// Reading looks at each line a few times, however many sections there are: a reader that
// searches the file for each key looks at billions of lines here.
TEST(UserCommands, ManySectionsAreReadInOnePass) {
  constexpr int kSections = 50000;
  std::string text;
  for (int n = 1; n <= kSections; ++n)
    text += "[cmd" + std::to_string(n) + "]\nkey=F5\ndll=view.dll\n";
  const IniFile ini = IniFile::fromText(text);
  const size_t lines = 3 * kSections;
  ReadUserCommands(ini);
  EXPECT_EQ(UserCommandList.size(), static_cast<size_t>(kSections));
  EXPECT_LT(ini.linesExamined(), 20 * lines);
  UserCommandList.clear();
}

TEST(TempFolder, PrivateAndRemovedWithoutFollowingLinks) {
  test::TempFolder base;
  const std::string savedTemp = TempFolder;
  TempFolder = base.path();
  CreateTempFolder();
  const std::string made = TempFolder;
  ASSERT_TRUE(made.starts_with(base.path() + "/VellomarTemp-")) << made;
  EXPECT_TRUE(isPrivateFolder(made));
  EXPECT_EQ(std::filesystem::status(made).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_all);

  // Something swaps the folder for a link to files of value: deleting must not reach them.
  const std::string victim = base.file("victim/keep.txt", "precious");
  std::filesystem::remove_all(made);
  std::filesystem::create_directory_symlink(base.at("victim"), made.substr(0, made.size() - 1));
  EXPECT_FALSE(isPrivateFolder(made));
  DeleteTempFolder();
  EXPECT_EQ(test::contentOf(victim), "precious");
  EXPECT_FALSE(
      std::filesystem::exists(std::filesystem::symlink_status(made.substr(0, made.size() - 1))));

  // A normal run: the folder and what is in it go at the end.
  TempFolder = base.path();
  CreateTempFolder();
  const std::string second = TempFolder;
  EXPECT_NE(second, made);
  std::filesystem::create_directories(second + "sub");
  base.file(second.substr(base.path().size() + 1) + "sub/f.txt", "x");
  DeleteTempFolder();
  EXPECT_FALSE(std::filesystem::exists(second));

  // A folder that a killed run left goes at the next start.
  const std::string left = base.file("VellomarTemp-999999999-aaaaaa/f.txt", "x");
  TempFolder = base.path();
  CreateTempFolder();
  EXPECT_FALSE(std::filesystem::exists(left));
  DeleteTempFolder();

  // No base folder: nothing is made.
  TempFolder.clear();
  CreateTempFolder();
  EXPECT_TRUE(TempFolder.empty());
  TempFolder = base.at("missing");
  CreateTempFolder();
  EXPECT_TRUE(TempFolder.empty());
  TempFolder = savedTemp;
}

}  // namespace
}  // namespace vellomar
