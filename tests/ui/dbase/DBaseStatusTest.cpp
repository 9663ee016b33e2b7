#include "ui/dbase/UDBaseStatus.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "foundation/UBaseUtils.h"
#include "tests/support/TempFolder.h"
#include "ui/dbase/FDBase.h"

namespace vellomar {
namespace {

TEST(DBaseStatus, Subtotals) {
  struct Case {
    TDirTotals totals;
    std::string text;
  };
  const Case cases[] = {
      {{0, 0, 0, 0, 0, 0}, " "},
      {{2, 5, -1, 2, 5, -1}, " "},
      {{3, 12, 1536, 3, 12, 1536}, " 3 folders, 12 files, " + FormatSize64(1536).str()},
      {{5, 40, 4096, 3, 12, 1536},
       " 3/5 folders, 12/40 files, " + FormatSize64(1536).str() + "/" + FormatSize64(4096).str()},
  };
  for (const Case& c : cases) EXPECT_EQ(SubtotalsText(c.totals), c.text);
}

TEST(DBaseStatus, FocusedFile) {
  const uint32_t when = EncodeDosDateTime({2003, 3, 14, 9, 5, 8});
  const std::string date = FormatDosDate(when).str() + " " + FormatDosTime(when, true).str();
  FileStatusLine file{"readme.txt", FileStatusLine::Kind::kFile, 1234, when, "About it"};
  EXPECT_EQ(
      FileStatusText(file, false, true),
      " readme.txt   " + FormatSizeShort(1234, false).str() + "   " + date + "      About it");
  // Sizes from 2 GiB on are not negative.
  FileStatusLine big{"huge.iso", FileStatusLine::Kind::kFile, 3221225472u, 0, std::nullopt};
  EXPECT_EQ(FileStatusText(big, false, false), " huge.iso   3 221 225 472   ");
  EXPECT_EQ(FileStatusText(big, true, false),
            " huge.iso   " + FormatSize64(3221225472).str() + "   ");
  FileStatusLine folder{"docs", FileStatusLine::Kind::kFolder, 0, 0, std::nullopt};
  EXPECT_EQ(FileStatusText(folder, true, false), " docs   (folder)  ");
  FileStatusLine parent{"..", FileStatusLine::Kind::kParent, 0, 0, std::nullopt};
  EXPECT_EQ(FileStatusText(parent, true, false), " ..   ");
}

TEST(FilterModules, ListedFromTheProgramFolder) {
  test::TempFolder folder;
  for (const char* name : {"rtf.k32", "HTML.K32", "mp3tag.k32", "notes.txt", ".k32", "uni.k32x"})
    folder.file(name, "");
  std::filesystem::create_directories(folder.at("dir.k32"));
  EXPECT_EQ(listFilterModules(folder.path()), (std::vector<std::string>{"HTML", "mp3tag", "rtf"}));
  EXPECT_TRUE(listFilterModules(folder.at("missing")).empty());
}

}  // namespace
}  // namespace vellomar
