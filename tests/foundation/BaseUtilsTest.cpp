#include "foundation/UBaseUtils.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/PDrives.h"
#include "platform/PFind.h"
#include "platform/PPaths.h"
#include "tests/support/TempFolder.h"

namespace vellomar {
namespace {

// Sets the display globals and the locale's separators for one test and puts them back.
class DisplaySettings {
 public:
  DisplaySettings(const DisplayLocale& locale, uint8_t dateOrder = 2, int32_t kiloUnit = 1024)
      : savedLocale_(displayLocale()), savedOrder_(DateOrder), savedKilo_(KiloUnit) {
    displayLocale() = locale;
    DateOrder = dateOrder;
    KiloUnit = kiloUnit;
  }
  ~DisplaySettings() {
    displayLocale() = savedLocale_;
    DateOrder = savedOrder_;
    KiloUnit = savedKilo_;
  }

 private:
  DisplayLocale savedLocale_;
  uint8_t savedOrder_;
  int32_t savedKilo_;
};

DisplayLocale english() {
  return {"/", ":", ",", ".", "%m/%d/%y"};
}

DisplayLocale german() {
  return {".", ":", ".", ",", "%d.%m.%Y"};
}

struct SplitCase {
  const char* path;
  const char* dir;
  const char* name;
  const char* ext;
};

TEST(SplitFileName, SplitsFolderNameAndShortExtension) {
  const SplitCase cases[] = {
      {"C:\\DATA\\FILE.TXT", "C:\\DATA\\", "FILE", ".TXT"},
      {"C:\\DATA\\PAGE.HTML", "C:\\DATA\\", "PAGE.HTML", ""},
      {"README", "", "README", ""},
      {"A:README.TXT", "A:", "README", ".TXT"},
      {"C:\\OLD.DIR\\FILE", "C:\\OLD.DIR\\", "FILE", ""},
      {"C:\\X.Y\\Z.TAR.GZ", "C:\\X.Y\\", "Z.TAR", ".GZ"},
      {"\\name.", "\\", "name", "."},
      {"C:\\Fotos\\Z\xC3\xBCrich.jpg", "C:\\Fotos\\", "Z\xC3\xBCrich", ".jpg"},
  };
  for (const SplitCase& c : cases) {
    ShortString dir("junk"), name("junk"), ext("junk");
    SplitFileName(c.path, dir, name, ext);
    EXPECT_EQ(dir.str(), c.dir) << c.path;
    EXPECT_EQ(name.str(), c.name) << c.path;
    EXPECT_EQ(ext.str(), c.ext) << c.path;
  }
}

TEST(ExtractDirShort, TextBeforeTheLastBackslash) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\A\\B", "C:\\A"}, {"C:\\", "C:"}, {"\\A", ""}, {"A", ""}, {"", ""}};
  for (const auto& [path, dir] : cases) EXPECT_EQ(ExtractDirShort(path).str(), dir) << path;
}

TEST(CutPathToTail, KeepsTheLastNamesThatFitBehindAMarker) {
  const std::string e = "\xC3\xA9";  // two bytes
  const std::string marker(kCutPathMarker);
  const std::string longName(300, 'n');
  struct Case {
    std::string path;
    int capacity;
    std::string cut;
  };
  const Case cases[] = {
      {"\\a\\b", 255, "\\a\\b"},
      {"\\aaaa\\bb\\cc", 11, "\\aaaa\\bb\\cc"},
      {"\\aaaa\\bb\\cc", 10, marker + "\\bb\\cc"},
      {"\\aaaa\\bb\\cc", 9, marker + "\\bb\\cc"},
      {"\\aaaa\\bb\\cc", 8, marker + "\\cc"},
      {"\\aaaa\\bb\\cc\\", 9, marker + "\\cc\\"},
      {"\\aaaa\\bb\\" + e + e + e, 8, marker + e + e},  // never from inside a character
      {"\\aaaa\\bb\\cc\\", 5, marker + "c\\"},
      {"\\" + longName, 255, marker + std::string(252, 'n')},
      {"\\aaaa", 2, ""},
  };
  for (const Case& c : cases) {
    const ShortString cut = CutPathToTail(c.path, c.capacity);
    EXPECT_EQ(cut.str(), c.cut) << c.path << " " << c.capacity;
    EXPECT_LE(cut.length(), c.capacity);
    EXPECT_EQ(IsCutPath(cut.view()), c.cut != c.path && !c.cut.empty()) << c.path;
  }
}

TEST(ShortenPath, ElidesFoldersFromTheLeftUntilItFits) {
  const std::string path = "C:\\Alpha\\Beta\\Gamma\\f.txt";  // 25 characters
  const std::pair<int, const char*> cases[] = {
      {25, "C:\\Alpha\\Beta\\Gamma\\f.txt"},
      {24, "C:\\...\\Beta\\Gamma\\f.txt"},
      {20, "C:\\...\\Gamma\\f.txt"},
      {15, "C:\\...\\f.txt"},
      {5, "C:\\...\\f.txt"},
  };
  for (const auto& [maxLength, expected] : cases) {
    EXPECT_EQ(ShortenPath(ShortString(path), maxLength).str(), expected) << maxLength;
  }
  EXPECT_EQ(ShortenPath("no-backslash-at-all.txt", 5).str(), "no-backslash-at-all.txt");
}

TEST(TrimSpaces, RemovesOnlyBlanks) {
  const std::pair<const char*, const char*> trim[] = {
      {"  a  b  ", "a  b"}, {"\ta\t", "\ta\t"}, {"   ", ""}, {"x", "x"}};
  for (const auto& [text, expected] : trim) EXPECT_EQ(TrimSpaces(text).str(), expected) << text;
  const std::pair<const char*, const char*> single[] = {
      {"  a   b  c ", "a b c"}, {"a\t\tb", "a\t\tb"}, {"    ", ""}};
  for (const auto& [text, expected] : single) {
    EXPECT_EQ(RemoveDoubleSpaces(text).str(), expected) << text;
  }
}

TEST(SamePrefix, ComparesTheFirstNMinusOneCharactersOnly) {
  struct Case {
    const char *a, *b;
    uint16_t n;
    bool expected;
  };
  const Case cases[] = {
      {"abc", "xyz", 0, true},    {"abc", "xyz", 1, true}, {"abcd", "abXd", 3, true},
      {"abcd", "abXd", 4, false}, {"ab", "ab", 200, true}, {"ab", "abc", 200, false},
      {"", "x", 2, false},        {"", "", 65535, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SamePrefix(c.a, c.b, c.n), c.expected) << c.a << " " << c.b << " " << c.n;
  }
}

TEST(AppendPacked, CountsThenFillsTheSameText) {
  const ShortString parts[] = {"disk 1", "\r\n", "disk 2", "\r\n"};
  size_t total = 0;
  char* none = nullptr;
  for (const ShortString& s : parts) AppendPacked(true, s, none, total);
  ASSERT_EQ(total, 16u);
  std::string buffer(total, '\0');
  char* cursor = buffer.data();
  size_t filled = 0;
  for (const ShortString& s : parts) AppendPacked(false, s, cursor, filled);
  EXPECT_EQ(buffer, "disk 1\r\ndisk 2\r\n");
  EXPECT_EQ(cursor, buffer.data() + total);
  EXPECT_EQ(filled, total);
}

TEST(NextCounter, CountsUp) {
  const int32_t first = NextCounter();
  EXPECT_GE(first, 1);
  EXPECT_EQ(NextCounter(), first + 1);
}

TEST(EncodeDosDateTime, PacksFieldsAndClampsTheYear) {
  struct Case {
    DateTimeParts parts;
    uint32_t expected;
  };
  const Case cases[] = {
      {{2003, 3, 14, 12, 34, 56},
       (23u << 25) | (3u << 21) | (14u << 16) | (12u << 11) | (34u << 5) | 28u},
      {{1980, 1, 1, 0, 0, 1}, 0x00210000},
      {{1970, 1, 1, 0, 0, 0}, 0x00210000},
      {{2107, 12, 31, 23, 59, 59}, 0xFF9FBF7D},
      {{2200, 6, 1, 0, 0, 0}, 0xFF9FBF7D},
      {{2000, 15, 1, 0, 0, 0}, (20u << 25) | (15u << 21) | (1u << 16)},
      {{2000, 16, 1, 0, 0, 0}, (20u << 25) | (1u << 16)},
  };
  for (const Case& c : cases) EXPECT_EQ(EncodeDosDateTime(c.parts), c.expected) << c.parts.year;
}

TEST(DosDateTimeOf, IsLocalTimeWithinTheDosRange) {
  const char* savedTz = std::getenv("TZ");
  const std::string saved = savedTz != nullptr ? savedTz : "";
  setenv("TZ", "UTC", 1);
  tzset();
  EXPECT_EQ(dosDateTimeOf(0), 0x00210000u) << "1970 must not wrap";
  EXPECT_EQ(dosDateTimeOf(-86400), 0x00210000u);
  EXPECT_EQ(dosDateTimeOf(1047645296), EncodeDosDateTime({2003, 3, 14, 12, 34, 56}));
  EXPECT_EQ(dosDateTimeOf(4354819200), 0xFF9FBF7Du) << "2108 stays at the last DOS moment";
  setenv("TZ", "EST5", 1);
  tzset();
  EXPECT_EQ(dosDateTimeOf(1047645296), EncodeDosDateTime({2003, 3, 14, 7, 34, 56}));
  if (savedTz != nullptr) {
    setenv("TZ", saved.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
}

TEST(FormatDosTime, HoursUnpaddedMinutesAndSecondsTwoDigits) {
  const DisplaySettings settings(english());
  const uint32_t nine = EncodeDosDateTime({2003, 3, 14, 9, 5, 8});
  EXPECT_EQ(FormatDosTime(0, false).str(), "0:00");
  EXPECT_EQ(FormatDosTime(nine, false).str(), "9:05");
  EXPECT_EQ(FormatDosTime(nine, true).str(), "9:05:08");
  displayLocale().timeSeparator = ".";
  EXPECT_EQ(FormatDosTime(nine, true).str(), "9.05.08");
  EXPECT_EQ(FormatDosTime(0xFFFFFFFF, true).str(), "") << "31:63:62 is no time";
  EXPECT_EQ(FormatDosTime(EncodeDosDateTime({2003, 3, 14, 23, 59, 58}), true).str(), "23.59.58");
  // Separators of several bytes, one longer than the room kept for them beside the digits.
  displayLocale().timeSeparator = " h ";
  EXPECT_EQ(FormatDosTime(nine, true).str(), "9 h 05 h 08");
  displayLocale().timeSeparator = "<separator>";
  EXPECT_EQ(FormatDosTime(nine, true).str(), "9<separator>05<separator>08");
}

TEST(FormatDosDate, FollowsDateOrder) {
  const DisplaySettings settings(english());
  const uint32_t pi = EncodeDosDateTime({2003, 3, 14, 0, 0, 0});
  const uint32_t y2k = EncodeDosDateTime({2000, 1, 2, 0, 0, 0});
  const uint32_t february30 = EncodeDosDateTime({2003, 2, 30, 0, 0, 0});
  struct Case {
    uint8_t order;
    uint32_t dt;
    const char* expected;
  };
  const Case cases[] = {
      {0, pi, "3/14/03"},
      {1, pi, "03/3/14"},
      {2, pi, "14/3/03"},
      {0, y2k, "1/2/00"},
      {3, pi, "03/14/03"},
      // Fields that form no calendar date show nothing in every order.
      {3, february30, ""},
      {3, 0, ""},
      {0, 0xFFFFFFFF, ""},
      {1, 0xFFFFFFFF, ""},
      {2, 0xFFFFFFFF, ""},
      {2, february30, ""},
  };
  for (const Case& c : cases) {
    DateOrder = c.order;
    EXPECT_EQ(FormatDosDate(c.dt).str(), c.expected) << int(c.order) << " " << c.dt;
  }
  displayLocale() = german();
  DateOrder = 3;
  EXPECT_EQ(FormatDosDate(pi).str(), "14.03.2003");
  DateOrder = 2;
  EXPECT_EQ(FormatDosDate(pi).str(), "14.3.03");
}

TEST(DateOrderOf, ReadsTheOrderOfTheLocaleFormat) {
  const std::pair<const char*, uint8_t> cases[] = {
      {"%m/%d/%y", 0}, {"%b %e, %Y", 0}, {"%Y-%m-%d", 1}, {"%y/%m/%d", 1},
      {"%d.%m.%Y", 2}, {"%d/%m/%y", 2},  {"%Y-%d-%m", 2}, {"%x", 2},
  };
  for (const auto& [format, order] : cases) EXPECT_EQ(dateOrderOf(format), order) << format;
}

struct SizeCase {
  int64_t bytes;
  const char* expected;
};

TEST(FormatSize64, StepsThroughUnitsWithTheLocaleSeparators) {
  const DisplaySettings settings(english());
  const SizeCase cases[] = {
      {0, "0"},
      {5, " 5 B"},
      {1000, "1,000 B"},
      {1024, "1,024 B"},
      {1152, "1.13 kB"},
      {1536, "1.50 kB"},
      {10240, "10.0 kB"},
      {1048575, "1,024.0 kB"},
      {1572864, "1.50 MB"},
      {5368709120, "5.00 GB"},
      {2000000000000, "1,862.6 GB"},
      {-5, "-5 B"},
  };
  for (const SizeCase& c : cases) EXPECT_EQ(FormatSize64(c.bytes).str(), c.expected) << c.bytes;
  KiloUnit = 1000;
  EXPECT_EQ(FormatSize64(1024).str(), "1.02 kB");
  EXPECT_EQ(FormatSize64(5000000000).str(), "5.00 GB");
  KiloUnit = 1024;
  displayLocale() = german();
  EXPECT_EQ(FormatSize64(1536).str(), "1,50 kB");
  EXPECT_EQ(FormatSize64(1234567890123).str(), "1.149,8 GB");
}

TEST(FormatSizeShort, BlankGroupedBytesOrKilobytesAndMegabytes) {
  const DisplaySettings settings(english(), 2, 1000);
  EXPECT_EQ(FormatSizeShort(1234567, false).str(), "1 234 567");
  EXPECT_EQ(FormatSizeShort(5000, true).str(), "5.00 kB");
  EXPECT_EQ(FormatSizeShort(999499, true).str(), "999.5 kB");
  EXPECT_EQ(FormatSizeShort(2000000000, true).str(), "2,000.0 MB") << "there is no GB step";
  EXPECT_EQ(FormatSizeShort(-1234, false).str(), "-1 234");
}

TEST(FormatThousands, GroupsDigitsThenPutsTheSign) {
  const std::pair<int32_t, const char*> cases[] = {
      {0, "0"},
      {999, "999"},
      {1000, "1 000"},
      {1234567890, "1 234 567 890"},
      {-123, "-123"},
      {-1234, "-1 234"},
      {INT32_MIN, "-2 147 483 648"},
  };
  for (const auto& [n, expected] : cases) EXPECT_EQ(FormatThousands(n).str(), expected) << n;
}

// The appending forms keep what the text holds; a padded size is padded after it.
TEST(AppendFormatted, WritesAfterTheTextAlreadyThere) {
  const DisplaySettings settings(german(), 2);
  const uint32_t pi = EncodeDosDateTime({2003, 3, 14, 9, 5, 8});
  std::string text = "at ";
  AppendDosDate(text, pi);
  text += ' ';
  AppendDosTime(text, pi, true);
  text += ", ";
  AppendSize64(text, 5);
  text += ", ";
  AppendSizeShort(text, 1536, true);
  text += ", ";
  AppendThousands(text, int64_t{3'000'000'000});
  EXPECT_EQ(text, "at 14.3.03 9:05:08,  5 B, 1,50 kB, 3 000 000 000");
}

// A temporary folder as the program names it ("C:\tmp\vellomar-..."); empty when no drive
// holds it.
ShortString systemName(const std::string& linuxPath) {
  const std::optional<std::string> path = toSystemPath(linuxPath);
  return path ? ShortString(*path) : ShortString();
}

TEST(FileExistsShort, TellsFilesFromFolders) {
  const test::TempFolder temp;
  const std::string dir = systemName(temp.path()).str();
  if (dir.empty()) GTEST_SKIP() << "no drive holds the temporary folder";
  temp.file("f.txt", "x");
  EXPECT_TRUE(FileExistsShort(ShortString(dir + "\\f.txt")));
  EXPECT_FALSE(FileExistsShort(ShortString(dir)));
  EXPECT_FALSE(FileExistsShort(ShortString(dir + "\\missing.txt")));
  EXPECT_FALSE(FileExistsShort("f.txt")) << "a name without a drive is not looked for";
  EXPECT_TRUE(DirectoryExistsShort(ShortString(dir)));
  EXPECT_TRUE(DirectoryExistsShort(ShortString(dir + "\\")));
  EXPECT_FALSE(DirectoryExistsShort(ShortString(dir + "\\f.txt")));
  EXPECT_FALSE(DirectoryExistsShort(ShortString(dir + "\\missing")));
}

TEST(DirectoryExistsShort, DriveRootIsTrueWithoutLooking) {
  char absent = 0;
  for (char letter = 'Z'; letter > 'C' && absent == 0; --letter) {
    if (processDriveTable().find(letter) == nullptr) absent = letter;
  }
  ASSERT_NE(absent, 0);
  EXPECT_TRUE(DirectoryExistsShort(ShortString(std::string(1, absent) + ":\\")));
  EXPECT_FALSE(DirectoryExistsShort(ShortString(std::string(1, absent) + ":\\x")));
}

TEST(CanCreateFile, NeverTruncatesNorDeletesAnExistingFile) {
  const test::TempFolder temp;
  const std::string dir = systemName(temp.path()).str();
  if (dir.empty()) GTEST_SKIP() << "no drive holds the temporary folder";
  EXPECT_TRUE(CanCreateFile(ShortString(dir + "\\new.ini")));
  EXPECT_FALSE(std::filesystem::exists(temp.at("new.ini"))) << "the test file is removed";

  const std::string settings = temp.file("settings.ini", "[Main]\nKey=1\n");
  EXPECT_TRUE(CanCreateFile(ShortString(dir + "\\settings.ini")));
  EXPECT_EQ(test::contentOf(settings), "[Main]\nKey=1\n");

  EXPECT_FALSE(CanCreateFile(ShortString(dir))) << "a folder";
  EXPECT_FALSE(CanCreateFile(ShortString(dir + "\\missing\\x.ini")));
  if (geteuid() != 0) {
    chmod(settings.c_str(), 0444);
    EXPECT_FALSE(CanCreateFile(ShortString(dir + "\\settings.ini")));
    EXPECT_EQ(test::contentOf(settings), "[Main]\nKey=1\n");
  }
}

TEST(GetProgramDir, IsTheFolderOfTheRunningProgram) {
  const ShortString dir = GetProgramDir();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.view().back(), '\\');
  EXPECT_TRUE(FileExistsShort(ShortString(dir.str() + "foundation_tests")));
}

TEST(GetDiskSpaceKB, GivesKilobytesOrFourZeros) {
  int32_t total = -1, free = -1, bytesPerSector = -1, sectorsPerCluster = -1;
  GetDiskSpaceKB(3, total, free, bytesPerSector, sectorsPerCluster);
  EXPECT_GT(total, 0) << "C: is the root file system";
  EXPECT_LE(free, total);
  EXPECT_EQ(bytesPerSector, 0);
  EXPECT_EQ(sectorsPerCluster, 0);
  for (const int drive : {0, 27, -1}) {
    GetDiskSpaceKB(drive, total, free, bytesPerSector, sectorsPerCluster);
    EXPECT_EQ(total | free | bytesPerSector | sectorsPerCluster, 0) << drive;
  }
}

TEST(DiskKB, RoundsHalfToEvenAndSaturates) {
  const std::pair<uint64_t, int32_t> cases[] = {
      {0, 0},
      {511, 0},
      {512, 0},
      {513, 1},
      {1536, 2},
      {2560, 2},
      {2048ull * 1024 * 1024 * 1024 - 1024, INT32_MAX},
      {2048ull * 1024 * 1024 * 1024, INT32_MAX},
      {UINT64_MAX, INT32_MAX},
  };
  for (const auto& [bytes, kb] : cases) EXPECT_EQ(diskKB(bytes), kb) << bytes;
}

}  // namespace
}  // namespace vellomar
