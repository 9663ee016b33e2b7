#include "ui/scan/UScanNames.h"

#include <gtest/gtest.h>

#include "platform/PPaths.h"
#include "tests/support/TempFolder.h"

namespace vellomar {
namespace {

TEST(ScanNamesTest, LabelsInCapitalsKeepOnlyTheirFirstCapital) {
  const struct {
    const char* label;
    const char* name;
  } cases[] = {
      {"MYDISK", "Mydisk"}, {"PHOTOS 2003", "Photos 2003"},
      {"MyDisk", "MyDisk"}, {"", ""},
      {"ÄPFEL", "Äpfel"},   {"2003", "2003"},
  };
  for (const auto& c : cases) EXPECT_EQ(LabelAsName(c.label), c.name) << c.label;
}

TEST(ScanNamesTest, TemplateTakesTheNextCounterAndTheProposedName) {
  const struct {
    const char* pattern;
    int counter;
    const char* name;
  } cases[] = {
      {"Disk #N (#D)", 4, "Disk 5 (Photos)"},
      {"#n-#d", 0, "1-Photos"},
      {"#n-#d #N #D", 0, "#n-#d 1 Photos"},  // lower case only when there is no capital one
      {"CD#N#N", 32767, "CD32768#N"},
      {"plain", 9, "plain"},
      {"", 9, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(GeneratedDiskName(c.pattern, c.counter, "Photos"), c.name) << c.pattern;
  }
}

TEST(ScanNamesTest, NameFromFolderJoinsLabelAndPathShortenedInTheMiddle) {
  EXPECT_EQ(NameFromFolder("C:\\Projects\\Year 2000\\Reports\\Final", "DATA"),
            "Data: /Projects/... 2000/Reports/Final");
  EXPECT_EQ(NameFromFolder("d:\\Photos", "Holiday"), "Holiday: /Photos");
  EXPECT_EQ(NameFromFolder("C:\\home\\me\\photos", ""), "/home/me/photos") << "no label";
  EXPECT_EQ(NameFromFolder("1:\\Photos", "DATA"), std::nullopt);
  EXPECT_EQ(NameFromFolder("", "DATA"), std::nullopt);
  // Shortening counts characters, so a name of accented letters is never cut inside one.
  const std::optional<std::string> long_ = NameFromFolder("C:\\" + std::string(40, 'a') + "é", "");
  ASSERT_TRUE(long_);
  EXPECT_EQ(CharacterCount(*long_), 38u);
  EXPECT_EQ(long_->substr(long_->size() - 2), "é");
}

TEST(ScanNamesTest, ScanFolderTextAndValidity) {
  EXPECT_EQ(ScanFolderText("C:\\Temp\\"), "C:\\Temp");
  EXPECT_EQ(ScanFolderText("C:\\"), "C:\\");
  for (const char* bad : {"\\Temp", "C:/Temp", "C:", "C", ""}) {
    EXPECT_EQ(ScanFolderRefusal(bad, bad),
              "Invalid folder. Enter full path, including the disk letter.")
        << bad;
  }
  EXPECT_EQ(ScanFolderRefusal("Q:\\", "Q:\\"), "");  // a root counts as existing
  test::TempFolder folder("scannames");
  // Deeper than a short string holds: taken whole.
  std::string deep = "deep";
  for (char c = 'a'; c < 'f'; ++c) deep += "/" + std::string(60, c);
  folder.file(deep + "/file.txt", "x");
  const std::optional<std::string> system = toSystemPath(folder.at(deep));
  if (!system) GTEST_SKIP() << "no drive holds the temporary folder";
  ASSERT_GT(system->size(), 255u);
  EXPECT_EQ(ScanFolderRefusal(*system, "shown"), "");
  EXPECT_EQ(ScanFolderRefusal(*system + "\\missing", "shown"), "Folder does not exist: shown");
  EXPECT_EQ(ScanFolderRefusal(*system + "\\file.txt", "shown"), "shown is a file, not a folder.");
}

}  // namespace
}  // namespace vellomar
