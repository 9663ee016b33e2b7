#include "setup/Extract.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "foundation/UExceptions.h"
#include "tests/setup/ZipTestFiles.h"

namespace vellomar {
namespace {

using test::Bytes;
using test::crcOf;
using test::readFile;
using test::RecordingProgress;
using test::TempFolder;

const std::string kFixtures = std::string(VELLOMAR_FIXTURES) + "/setup/";

struct ExpectedFile {
  const char* path;
  uint32_t size;
  uint32_t crc;  // as Debian's unzip extracts it
};

struct OldArchive {
  const char* file;
  std::vector<ExpectedFile> entries;
};

// Zip.implode.zip holds one entry for each window and tree count: EXE/TEST.EXE 4 KB with two
// trees, the text 8 KB with three.
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
    {"Zip.implode.zip",
     {{"exe/test.exe", 45056, 0xcfb109c8},
      {"jpg/test.jpg", 40372, 0x088814e3},
      {"\xe2\xa5\xe1\xe2.txt", 15498, 0x9bd160fa}}},
};

TEST(ExtractFiles, EveryEntryOfTheOldMethodArchivesDecodes) {
  for (const OldArchive& archive : kOldArchives) {
    SCOPED_TRACE(archive.file);
    TempFolder target;
    std::filesystem::create_directory(target.path() + "exe");
    std::filesystem::create_directory(target.path() + "jpg");
    test::CurrentFolder current(target.path());
    std::vector<std::string> installed;
    RecordingProgress progress;
    ExtractFiles(kFixtures + archive.file, target.path(), "*.* EXE/*.* JPG/*.*", installed,
                 progress);
    for (const ExpectedFile& expected : archive.entries) {
      const Bytes content = readFile(target.path() + expected.path);
      EXPECT_EQ(content.size(), expected.size) << expected.path;
      EXPECT_EQ(crcOf(content), expected.crc) << expected.path;
    }
    EXPECT_EQ(installed.size(), archive.entries.size());
    EXPECT_EQ(progress.gauges.back(), 100);
  }
}

}  // namespace
}  // namespace vellomar
