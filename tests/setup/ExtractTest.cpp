#include "setup/Extract.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "foundation/UExceptions.h"
#include "setup/Utils.h"
#include "tests/setup/ZipTestFiles.h"
#include "tests/support/ArchiveFixtures.h"

namespace vellomar::setup {
namespace {

using test::archiveFixture;
using test::Bytes;
using test::crcOf;
using test::readFile;
using test::RecordingProgress;
using test::TempFolder;

struct ExpectedFile {
  const char* path;
  uint32_t size;
  uint32_t crc;  // as Debian's unzip extracts it
};

struct OldArchive {
  const char* file;
  std::vector<ExpectedFile> entries;
};

const OldArchive kOldArchives[] = {
    {"Zip.shrink.zip",
     {{"tect.txt", 15498, 0x9bd160fa},
      {"test.exe", 45056, 0xcfb109c8},
      {"test.jpg", 40372, 0x088814e3}}},
    {"Zip.reduce1.zip",
     {{"tect.txt", 15498, 0x9bd160fa},
      {"test.exe", 45056, 0xcfb109c8},
      {"test.jpg", 40372, 0x088814e3}}},
    {"Zip.reduce4.zip",
     {{"tect.txt", 15498, 0x9bd160fa},
      {"test.exe", 45056, 0xcfb109c8},
      {"test.jpg", 40372, 0x088814e3}}},
};

TEST(ExtractFiles, EveryEntryOfTheOldMethodArchivesDecodes) {
  for (const OldArchive& archive : kOldArchives) {
    SCOPED_TRACE(archive.file);
    TempFolder target;
    std::vector<std::string> installed;
    RecordingProgress progress;
    ExtractFiles(archiveFixture(archive.file), target.path(), "", installed, progress);
    for (const ExpectedFile& expected : archive.entries) {
      const Bytes content = readFile(target.path() + "/" + expected.path);
      EXPECT_EQ(content.size(), expected.size) << expected.path;
      EXPECT_EQ(crcOf(content), expected.crc) << expected.path;
    }
    EXPECT_EQ(installed.size(), archive.entries.size());
    EXPECT_EQ(progress.gauges.back(), 100);
  }
  // Its members lie in folders, which a data file never holds.
  TempFolder target;
  std::vector<std::string> installed;
  RecordingProgress progress;
  try {
    ExtractFiles(archiveFixture("Zip.implode.zip"), target.path(), "", installed, progress);
    ADD_FAILURE() << "no exception";
  } catch (const EKstvFatalException& e) {
    EXPECT_STREQ(e.what(), "Error in archive #2\nEXE/TEST.EXE");
  }
  EXPECT_TRUE(std::filesystem::is_empty(target.path()));
}

TEST(MatchWildcard, StarsAndQuestionMarksOnEitherSideIgnoringCase) {
  struct Case {
    const char* text;
    const char* pattern;
    bool match;
  };
  const Case cases[] = {
      {"", "", true},
      {"", "*", true},
      {"", "a", false},
      {"readme", "README", true},
      {"readme", "r?adme", true},
      {"readme", "r?dme", false},
      {"readme", "re*me", true},
      {"readme", "*e", true},
      {"readme", "*x", false},
      {"re*", "readme", true},  // the text may hold the wildcard
      {"a?c", "abc", true},
      {"abc", "abcd", false},
      {"abcd", "abc", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MatchWildcard(c.text, c.pattern), c.match) << c.text << " ~ " << c.pattern;
  }
  // Stars on both sides must not cost an exponential search.
  const std::string stars(200, '*');
  EXPECT_FALSE(MatchWildcard(stars + "x", stars + "y"));
}

TEST(MatchFileMask, NameAndExtensionByWildcardFolderExactly) {
  struct Case {
    const char* mask;
    const char* name;
    bool match;
  };
  const Case cases[] = {
      {"*.*", "VELLOMAR.EXE", true},
      {"*.exe", "VELLOMAR.EXE", true},
      {"*.dll", "VELLOMAR.EXE", false},
      {"*.*", "EXE/TEST.EXE", false},  // another folder
      {"EXE/*.*", "EXE\\TEST.EXE", true},
      {"exe/*.*", "EXE/TEST.EXE", false},  // folders compare exactly
      {"*.htm", "PAGE.HTML", false},       // four letters after the dot are part of the name
      {"*.*", "README", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MatchFileMask(c.mask, c.name), c.match) << c.mask << " ~ " << c.name;
  }
}

TEST(CrcUpdate, StandardCheckValue) {
  EXPECT_EQ(crcOf(Bytes{'1', '2', '3', '4', '5', '6', '7', '8', '9'}), 0xCBF43926u);
}

constexpr int64_t kEntryDay = 1614816000;  // 2021-03-04 00:00:00 UTC
constexpr char kEntryTime[] = "2021-03-04 15:16:18 UTC";

int64_t modifiedSeconds(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? st.st_mtim.tv_sec : -1;
}

void setModified(const std::string& path, int64_t seconds) {
  timespec times[2] = {{seconds, 0}, {seconds, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

bool executable(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && (st.st_mode & 0111) == 0111;
}

struct SourceFile {
  const char* archiveName;
  Bytes content;
};

Bytes textBytes(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

// The data file as the release build makes it: Debian's zip, no compression.
class ZipDataFile : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::system("command -v zip >/dev/null 2>&1") != 0) GTEST_SKIP() << "zip is missing";
    Bytes program = {0x7F, 'E', 'L', 'F', 2, 1, 1, 0};
    program.resize(3000, 0x42);
    sources_ = {
        {"VELLOMAR.EXE", program},
        {"README.TXT", textBytes("Read me first.\r\n")},
        {"UNINST.EXE", textBytes("MZ uninstaller")},
        {"htmld.efd", textBytes("<html>template</html>")},
        {"OTHER.BIN", test::sampleText(100000, 9)},
        {"VUNZIP32.DLL", textBytes("library")},
    };
    std::string names;
    for (const SourceFile& f : sources_) {
      test::writeFile(source_.path() + "/" + f.archiveName, f.content);
      names += std::string(" ") + f.archiveName;
    }
    const std::string command = "cd " + source_.path() + " && touch -d '" + kEntryTime + "'" +
                                names + " && TZ=UTC zip -q -0 -X Vlmrar32.dat" + names;
    ASSERT_EQ(std::system(command.c_str()), 0);
    ForceFolders(target_.path() + "/Export");
  }

  std::vector<std::string> install(const std::string& masks) {
    std::vector<std::string> installed;
    ExtractFiles(source_.path() + "/Vlmrar32.dat", target_.path(), masks, installed, progress_);
    return installed;
  }

  const Bytes& content(const char* archiveName) const {
    for (const SourceFile& f : sources_) {
      if (std::string(f.archiveName) == archiveName) return f.content;
    }
    throw std::logic_error(archiveName);
  }

  TempFolder source_;
  TempFolder target_;
  std::vector<SourceFile> sources_;
  RecordingProgress progress_;
};

TEST_F(ZipDataFile, InstallsUnderTheTableNamesWithTheirFlags) {
  const std::vector<std::string> installed = install("");
  EXPECT_EQ(installed,
            (std::vector<std::string>{" Vellomar.exe", " Read Me.txt", "*Export/HTML Detailed.vefd",
                                      "*other.bin", " VUnZip32.dll"}));
  const std::pair<const char*, const char*> files[] = {
      {"VELLOMAR.EXE", "Vellomar.exe"}, {"README.TXT", "Read Me.txt"},
      {"UNINST.EXE", "Uninstall.exe"},  {"htmld.efd", "Export/HTML Detailed.vefd"},
      {"OTHER.BIN", "other.bin"},       {"VUNZIP32.DLL", "VUnZip32.dll"},
  };
  for (auto [archiveName, installedName] : files) {
    const std::string path = target_.path() + "/" + installedName;
    EXPECT_EQ(readFile(path), content(archiveName)) << installedName;
    EXPECT_EQ(modifiedSeconds(path), kEntryDay) << installedName;
  }
  EXPECT_TRUE(executable(target_.path() + "/Vellomar.exe"));
  EXPECT_FALSE(executable(target_.path() + "/Uninstall.exe"));
  EXPECT_NE(std::ranges::find(progress_.labels, "Decompressing Read Me.txt"),
            progress_.labels.end());
  EXPECT_TRUE(progress_.questions.empty());
}

TEST_F(ZipDataFile, MasksSelectTheEntriesToInstall) {
  const std::vector<std::string> installed = install("*.exe  *.DLL");
  EXPECT_EQ(installed, (std::vector<std::string>{" Vellomar.exe", " VUnZip32.dll"}));
  EXPECT_TRUE(std::filesystem::exists(target_.path() + "/Uninstall.exe"));
  EXPECT_FALSE(std::filesystem::exists(target_.path() + "/Read Me.txt"));
  EXPECT_FALSE(std::filesystem::exists(target_.path() + "/other.bin"));
  EXPECT_FALSE(std::filesystem::exists(target_.path() + "/Export/HTML Detailed.vefd"));
}

TEST_F(ZipDataFile, ANewerKeptFileIsOverwrittenOnlyWhenTheUserAgrees) {
  struct Case {
    const char* what;
    const char* existing;
    int64_t existingTime;
    InstallAnswer answer;
    bool asked;
    bool replaced;
  };
  const char* const kTemplate = "Export/HTML Detailed.vefd";
  const Case cases[] = {
      {"newer day, No", kTemplate, kEntryDay + 86400, InstallAnswer::kNo, true, false},
      {"newer day, Yes", kTemplate, kEntryDay + 86400, InstallAnswer::kYes, true, true},
      {"same day, later time", kTemplate, kEntryDay + 82800, InstallAnswer::kNo, false, true},
      {"older day", kTemplate, kEntryDay - 86400, InstallAnswer::kNo, false, true},
      {"newer, time not kept", "Read Me.txt", kEntryDay + 86400, InstallAnswer::kNo, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = target_.path() + "/" + c.existing;
    std::filesystem::remove(path);  // read-only when kept by the case before
    test::writeFile(path, textBytes("changed by the user"));
    chmod(path.c_str(), 0444);
    setModified(path, c.existingTime);
    progress_ = RecordingProgress();
    progress_.answer = c.answer;
    const std::vector<std::string> installed = install("");
    EXPECT_EQ(progress_.questions.size(), c.asked ? 1u : 0u);
    EXPECT_EQ(readFile(path) == textBytes("changed by the user"), !c.replaced);
    // A file the user keeps is not the installation's.
    EXPECT_EQ(std::ranges::count(installed,
                                 (c.existing == kTemplate ? "*" : " ") + std::string(c.existing)),
              c.replaced ? 1 : 0);
  }
}

TEST_F(ZipDataFile, CancelInTheOverwriteQuestionAbortsTheInstallation) {
  const std::string path = target_.path() + "/Export/HTML Detailed.vefd";
  test::writeFile(path, textBytes("changed by the user"));
  setModified(path, kEntryDay + 86400);
  progress_.answer = InstallAnswer::kCancel;
  try {
    install("");
    FAIL() << "no exception";
  } catch (const EKstvNormalException& e) {
    EXPECT_STREQ(e.what(), "Installation aborted.");
  }
  ASSERT_EQ(progress_.questions.size(), 1u);
  EXPECT_EQ(progress_.questions[0],
            "Vellomar Installation: Warning|File Export/HTML Detailed.vefd already exists and has "
            "newer date than the file, which is to be installed. Are you sure to overwrite it?");
  EXPECT_FALSE(std::filesystem::exists(target_.path() + "/Read Me.txt")) << "unpacked before";
  EXPECT_EQ(readFile(path), textBytes("changed by the user"));
}

TEST_F(ZipDataFile, AbortDuringDecompressionRaisesTheNormalException) {
  progress_.abortAfter = 3;
  EXPECT_THROW(install(""), EKstvNormalException);
}

// Archives built entry by entry, for the cases Debian's zip does not make.
class BuiltArchive : public ::testing::Test {
 protected:
  std::string write(const std::string& name, const Bytes& bytes) {
    const std::string path = folder_.path() + "/" + name;
    test::writeFile(path, bytes);
    return path;
  }

  std::string failure(const std::string& archive, const std::string& masks = "") {
    try {
      install(archive, masks);
    } catch (const EKstvException& e) {
      return e.what();
    }
    return "no exception";
  }

  void install(const std::string& archive, const std::string& masks = "") {
    installed_.clear();
    ExtractFiles(archive, target_.path(), masks, installed_, progress_);
  }

  TempFolder folder_;
  TempFolder target_;
  std::vector<std::string> installed_;
  RecordingProgress progress_;
};

// Each damage is found before anything is put in place, behind an entry that would install.
TEST_F(BuiltArchive, DamagedOrHostileArchivesRaiseTheirErrorsAndInstallNothing) {
  auto entry = [](const std::string& name, const std::string& text) {
    return test::storedEntry(name, textBytes(text));
  };
  auto behindAGoodEntry = [&](const test::ZipTestEntry& bad) {
    return test::buildZip({entry("A.TXT", "data"), bad});
  };
  test::ZipTestEntry badCrc = entry("BADCRC.TXT", "data");
  badCrc.crc ^= 1;
  test::ZipTestEntry badSize = entry("BADSIZE.TXT", "data");
  badSize.uncompressedSize = 5;
  test::ZipTestEntry deflated = entry("DEFLATE.TXT", "data");
  deflated.method = 8;
  Bytes longName = test::buildZip({entry("A.TXT", "data")});
  longName[26] = 0x2C;  // name length 300
  longName[27] = 0x01;
  Bytes longExtra = test::buildZip({entry("A.TXT", "data")});
  longExtra[29] = 0x01;  // extra length 256
  Bytes cutInHeader = test::buildZip({entry("A.TXT", "data")});
  cutInHeader.resize(20);

  struct Case {
    const char* what;
    Bytes archive;
    std::string message;
  };
  const Case cases[] = {
      {"CRC mismatch", behindAGoodEntry(badCrc), "Error in archive #8\nBADCRC.TXT"},
      {"size mismatch", behindAGoodEntry(badSize), "Error in archive #8\nBADSIZE.TXT"},
      {"unknown method", behindAGoodEntry(deflated), "Error in archive #7\nDEFLATE.TXT"},
      {"name of 256 bytes or more", longName, "Error in archive #2"},
      {"extra field of 256 bytes or more", longExtra, "Error in archive #2"},
      {"cut in a header", cutInHeader, "Error in archive #2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(failure(write("data.zip", c.archive)), c.message);
    EXPECT_TRUE(std::filesystem::is_empty(target_.path()));
  }
  // A member naming a folder, or holding what no name may, is damage even when no mask would
  // take it.
  const std::string unsafeNames[] = {"../evil.txt",
                                     "..\\evil.txt",
                                     "Export/../../evil.txt",
                                     "/tmp/vellomar-evil.txt",
                                     "sub/evil.txt",
                                     "Export/evil.txt",
                                     "..",
                                     std::string("evil.txt\0/x", 11),
                                     "line\nbreak"};
  for (const std::string& name : unsafeNames) {
    SCOPED_TRACE(name);
    std::string shown = name;
    std::ranges::replace_if(
        shown, [](char c) { return c == '\0' || c == '\n'; }, '?');
    EXPECT_EQ(failure(write("data.zip", behindAGoodEntry(entry(name, "x"))), "*.exe"),
              "Error in archive #2\n" + shown);
    EXPECT_TRUE(std::filesystem::is_empty(target_.path()));
  }
  EXPECT_FALSE(std::filesystem::exists(folder_.path() + "/evil.txt"));
  EXPECT_FALSE(std::filesystem::exists("/tmp/vellomar-evil.txt"));
}

// A link in the target folder, dangling or not, is replaced: the data never goes where it leads.
TEST_F(BuiltArchive, LinksInTheTargetAreReplacedNotWrittenThrough) {
  const std::string outside = folder_.path() + "/outside.txt";
  const std::string kept = folder_.path() + "/kept.txt";
  test::writeFile(kept, textBytes("not the installer's"));
  chmod(kept.c_str(), 0444);
  ASSERT_EQ(symlink(outside.c_str(), (target_.path() + "/Read Me.txt").c_str()), 0);
  ASSERT_EQ(symlink(kept.c_str(), (target_.path() + "/Version Info.txt").c_str()), 0);
  install(write("data.zip", test::buildZip({test::storedEntry("README.TXT", textBytes("readme")),
                                            test::storedEntry("VERSION.TXT", textBytes("1.0"))})));
  EXPECT_FALSE(std::filesystem::exists(outside));
  EXPECT_EQ(readFile(kept), textBytes("not the installer's"));
  struct stat st;
  ASSERT_EQ(stat(kept.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0444u) << "permissions of the file a link leads to changed";
  for (const char* name : {"Read Me.txt", "Version Info.txt"}) {
    EXPECT_TRUE(std::filesystem::is_regular_file(
        std::filesystem::symlink_status(target_.path() + "/" + name)))
        << name;
  }
  EXPECT_EQ(readFile(target_.path() + "/Read Me.txt"), textBytes("readme"));
}

// A file that cannot be put in place is named with the system's reason, and no unpacked file is
// left under its temporary name.
TEST_F(BuiltArchive, AFileThatCannotBePutInPlaceIsNamedAndNothingUnpackedStays) {
  const std::string inTheWay = target_.path() + "/Read Me.txt";
  std::filesystem::create_directories(inTheWay + "/sub");
  EXPECT_EQ(failure(write("data.zip", test::buildZip({test::storedEntry("README.TXT", {1}),
                                                      test::storedEntry("VERSION.TXT", {2})}))),
            "File writing error.\n" + inTheWay + ": Is a directory");
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(target_.path())) {
    left.push_back(entry.path().string());
  }
  EXPECT_EQ(left, (std::vector<std::string>{inTheWay, inTheWay + "/sub"}));
}

// One that fails after others were put in place takes them back: the earlier files return.
TEST_F(BuiltArchive, AFileThatCannotBePutInPlaceTakesBackTheOnesBeforeIt) {
  const std::string readMe = target_.path() + "/Read Me.txt";
  const std::string inTheWay = target_.path() + "/Version Info.txt";
  test::writeFile(readMe, textBytes("earlier"));
  std::filesystem::create_directories(inTheWay + "/sub");
  EXPECT_EQ(failure(write("data.zip", test::buildZip({test::storedEntry("README.TXT", {1}),
                                                      test::storedEntry("VERSION.TXT", {2})}))),
            "File writing error.\n" + inTheWay + ": Is a directory");
  EXPECT_EQ(readFile(readMe), textBytes("earlier"));
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(target_.path())) {
    left.push_back(entry.path().string());
  }
  std::ranges::sort(left);
  EXPECT_EQ(left, (std::vector<std::string>{readMe, inTheWay}));
}

TEST_F(BuiltArchive, MissingOrEndlessArchivesNameTheArchive) {
  EXPECT_EQ(failure(folder_.path() + "/missing.dat"), "Error reading file.");

  // Named by the path it was opened under.
  const std::string path =
      write("nocentral.dat", test::buildZip({test::storedEntry("A.TXT", textBytes("a"))}, false));
  EXPECT_EQ(failure(path), "Error in archive #1 " + path);
  EXPECT_FALSE(std::filesystem::exists(target_.path() + "/a.txt")) << "entries before stay out";

  EXPECT_EQ(failure(write("empty.dat", {})),
            "Error in archive #1 " + folder_.path() + "/empty.dat");
}

TEST_F(BuiltArchive, ArchiveNameWithoutExtensionGetsZip) {
  write("data.ZIP", test::buildZip({test::storedEntry("A.TXT", textBytes("a"))}));
  install(folder_.path() + "/data");
  EXPECT_TRUE(std::filesystem::exists(target_.path() + "/a.txt"));
}

TEST_F(BuiltArchive, StoredDataCutShortStopsAtTheEndOfTheFileAndFailsTheCrc) {
  Bytes archive = test::buildZip({test::storedEntry("CUT.TXT", textBytes("0123456789"))}, false);
  archive.resize(archive.size() - 4);
  EXPECT_EQ(failure(write("cut.zip", archive)), "Error in archive #8\nCUT.TXT");
  EXPECT_TRUE(std::filesystem::is_empty(target_.path()));
}

// Sizes in a header are not trusted: a few bytes of data never become gigabytes of output.
TEST_F(BuiltArchive, HugeSizesOfAShortEntryEndAtItsData) {
  test::ZipTestEntry reduced = test::storedEntry("R.TXT", Bytes(192, 0));
  reduced.method = 2;
  reduced.uncompressedSize = 0x7FFFFFFF;
  Bytes stored = test::buildZip({test::storedEntry("A.TXT", textBytes("x"))}, false);
  for (size_t at : {18, 22}) {  // compressed and uncompressed size: 0xFFFFFFFF
    for (size_t i = 0; i < 4; ++i) stored[at + i] = 0xFF;
  }
  const std::pair<const char*, Bytes> cases[] = {
      {"stored", stored},
      {"reduced", test::buildZip({reduced}, false)},
  };
  for (const auto& [what, archive] : cases) {
    SCOPED_TRACE(what);
    EXPECT_EQ(failure(write("huge.zip", archive)).substr(0, 19), "Error in archive #8");
    for (const auto& file : std::filesystem::directory_iterator(target_.path())) {
      EXPECT_LT(std::filesystem::file_size(file.path()), 1u << 20) << file.path();
    }
  }
}

TEST_F(BuiltArchive, EmptyEntryIsWrittenAndDatedWithoutProgressOrCancelTest) {
  test::ZipTestEntry empty = test::storedEntry("EMPTY.TXT", {});
  empty.dosDate = 0x5264;
  install(write("data.zip", test::buildZip({empty})));
  EXPECT_EQ(readFile(target_.path() + "/empty.txt"), Bytes());
  EXPECT_EQ(modifiedSeconds(target_.path() + "/empty.txt"), kEntryDay);
  EXPECT_EQ(progress_.gauges, std::vector<int>{100});
  EXPECT_EQ(progress_.abortTests, 0);
}

TEST_F(BuiltArchive, ProgressStaysWithinTheGaugeForSmallEntries) {
  const Bytes content = textBytes("nineteen bytes long");
  install(write("data.zip", test::buildZip({test::storedEntry("SMALL.TXT", content)})));
  EXPECT_EQ(readFile(target_.path() + "/small.txt"), content);
  ASSERT_FALSE(progress_.gauges.empty());
  for (int gauge : progress_.gauges) {
    EXPECT_GE(gauge, 0);
    EXPECT_LE(gauge, 100);
  }
  EXPECT_EQ(progress_.gauges.back(), 100);
}

TEST_F(BuiltArchive, UnmatchedEntriesAreSkippedWithoutDecoding) {
  test::ZipTestEntry undecodable = test::storedEntry("README.TXT", textBytes("text"));
  undecodable.method = 8;  // would raise error 7 if decoded
  const std::string archive =
      write("data.zip",
            test::buildZip({undecodable, test::storedEntry("BIG.BIN", test::sampleText(90000, 4)),
                            test::storedEntry("VELLOMAR.EXE", textBytes("program"))}));
  install(archive, "*.exe");
  EXPECT_EQ(installed_, std::vector<std::string>{" Vellomar.exe"});
  EXPECT_EQ(readFile(target_.path() + "/Vellomar.exe"), textBytes("program"));
}

}  // namespace
}  // namespace vellomar::setup
