#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>

#include "abi/VUnZip32Abi.h"
#include "foundation/UByteReader.h"
#include "platform/PLibrary.h"
#include "tests/modules/TestFolders.h"
#include "tests/support/ArchiveBuilders.h"
#include "tests/support/ArchiveFixtures.h"

namespace vellomar {
namespace {

namespace fs = std::filesystem;
using test::archiveFixture;
using test::Bytes;

ZipExtractFileProc extractFile() {
  static const SharedLibrary library = SharedLibrary::load(test::standInFolder() + "VUnZip32.dll");
  return reinterpret_cast<ZipExtractFileProc>(library.symbol("ExtractFile"));
}

// The local header offset of each member, by its stored name.
std::map<std::string, int32_t> localHeaders(const Bytes& zip) {
  std::map<std::string, int32_t> offsets;
  ByteReader in(zip);
  for (size_t pos = 0; pos + 30 <= zip.size(); ++pos) {
    in.seek(pos);
    if (in.u32() != 0x04034B50) continue;
    in.seek(pos + 26);
    const uint16_t nameLength = in.u16();
    in.skip(2);
    const std::span<const uint8_t> name = in.bytes(nameLength);
    if (in.ok()) offsets.try_emplace({name.begin(), name.end()}, static_cast<int32_t>(pos));
  }
  return offsets;
}

// A folder with a few files and ZIP archives of them made by the zip tool.
class ZipFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!test::haveTool("zip")) GTEST_SKIP() << "zip is not installed";
    ASSERT_NE(extractFile(), nullptr);
    std::string text;
    for (int i = 0; i < 400; ++i) text += "Line " + std::to_string(i) + " of the read-me file.\r\n";
    files_ = {{"docs/Read.Me", text},
              {"FILE_ID.DIZ", "A small description\r\n"},
              {"docs/deep/er/notes.txt", std::string(70000, 'n')}};
    fs::create_directories(fs::path(folder_.path()) / "in");
    for (const auto& [name, content] : files_) {
      fs::create_directories((fs::path(folder_.path()) / "in" / name).parent_path());
      test::writeBytes(folder_, "in/" + name, test::textBytes(content));
    }
    ASSERT_TRUE(test::runIn(fs::path(folder_.path()) / "in", "zip -q -r -9 ../deflated.zip ."));
    ASSERT_TRUE(test::runIn(fs::path(folder_.path()) / "in", "zip -q -r -0 ../stored.zip ."));
    ASSERT_TRUE(
        test::runIn(fs::path(folder_.path()) / "in", "zip -q -r -P secret ../encrypted.zip ."));
  }

  std::string target() const { return folder_.at("target.tmp"); }

  test::TempFolder folder_;
  std::map<std::string, std::string> files_;
};

std::string backslashes(std::string name) {
  for (char& c : name) c = c == '/' ? '\\' : c;
  return name;
}

TEST_F(ZipFolder, ExtractsStoredAndDeflatedMembersFromTheirHeadersOrByName) {
  for (const std::string archive : {"deflated.zip", "stored.zip"}) {
    const std::string path = folder_.at(archive);
    const std::map<std::string, int32_t> offsets = localHeaders(test::fileBytes(path));
    for (const auto& [name, content] : files_) {
      ASSERT_TRUE(offsets.contains(name)) << name;
      struct Request {
        const char* what;
        std::string member;
        int32_t offset;
      };
      const Request requests[] = {
          {"at its header", backslashes(name), offsets.at(name)},
          {"as stored, with \"/\"", name, offsets.at(name)},
          {"in other case, found by name", backslashes(name), 0x7FFFFFF0},
          {"another member's header, found by name", backslashes(name),
           offsets.at(name) == 0 ? offsets.begin()->second + 1 : 0},
          {"no header known", "\\" + backslashes(name), -1},
      };
      for (const Request& r : requests) {
        fs::remove(target());
        EXPECT_EQ(extractFile()(path.c_str(), r.member.c_str(), target().c_str(), 100000, r.offset),
                  kZipExtracted)
            << archive << " " << name << ": " << r.what;
        EXPECT_EQ(test::contentOf(target()), content) << archive << " " << name << ": " << r.what;
      }
    }
  }
}

// The catalogue lists a member without its empty, "." and ".." parts; it is found by that
// name.
TEST(VUnZip32, FindsAMemberStoredWithDotPartsByItsListedName) {
  ASSERT_NE(extractFile(), nullptr);
  test::TempFolder folder;
  const std::string path = test::writeBytes(
      folder, "dots.zip", test::buildZip({{}, {{"./docs//../notes.txt", 12}, {"../up.txt", 5}}}));
  const std::string target = folder.at("target.tmp");
  for (const auto& [member, size] : {std::pair{"\\docs\\notes.txt", 12}, std::pair{"up.txt", 5}}) {
    fs::remove(target);
    EXPECT_EQ(extractFile()(path.c_str(), member, target.c_str(), 100, -1), kZipExtracted)
        << member;
    EXPECT_EQ(test::contentOf(target), std::string(static_cast<size_t>(size), '\0')) << member;
  }
}

TEST_F(ZipFolder, ReadsAMemberFromItsHeaderWhenTheCentralDirectoryIsLost) {
  Bytes zip = test::fileBytes(folder_.at("deflated.zip"));
  const int32_t offset = localHeaders(zip).at("FILE_ID.DIZ");
  zip.resize(static_cast<size_t>(offset) + 200);
  const std::string cut = test::writeBytes(folder_, "cut.zip", zip);
  ASSERT_EQ(extractFile()(cut.c_str(), "file_id.diz", target().c_str(), 1000, offset),
            kZipExtracted);
  EXPECT_EQ(test::contentOf(target()), files_.at("FILE_ID.DIZ"));
}

TEST_F(ZipFolder, WritesAtMostMaxBytes) {
  const std::string path = folder_.at("deflated.zip");
  const int32_t offset = localHeaders(test::fileBytes(path)).at("docs/Read.Me");
  for (const int32_t maxBytes : {0, 1, 100, 65536 + 7}) {
    fs::remove(target());
    ASSERT_EQ(extractFile()(path.c_str(), "docs\\Read.Me", target().c_str(), maxBytes, offset),
              kZipExtracted);
    EXPECT_EQ(test::contentOf(target()),
              files_.at("docs/Read.Me").substr(0, static_cast<size_t>(maxBytes)));
  }
}

TEST_F(ZipFolder, FailuresAnswerWithAnErrorAndLeaveNoTarget) {
  const std::string deflated = folder_.at("deflated.zip");
  Bytes damaged = test::fileBytes(deflated);
  const int32_t readMe = localHeaders(damaged).at("docs/Read.Me");
  for (size_t i = 100; i < 400; ++i) damaged[static_cast<size_t>(readMe) + i] ^= 0x5A;
  const std::string damagedPath = test::writeBytes(folder_, "damaged.zip", damaged);
  const std::string notZip =
      test::writeBytes(folder_, "text.zip", test::textBytes("not an archive"));
  struct Case {
    const char* what;
    std::string archive;
    std::string member;
    int32_t result;
  };
  const Case cases[] = {
      {"a missing archive", folder_.at("missing.zip"), "FILE_ID.DIZ", kZipCannotOpenArchive},
      {"a folder", folder_.path(), "FILE_ID.DIZ", kZipCannotOpenArchive},
      {"not an archive", notZip, "FILE_ID.DIZ", kZipCannotOpenArchive},
      {"a missing member", deflated, "docs\\Missing.txt", kZipNoSuchMember},
      {"a folder member", deflated, "docs", kZipNoSuchMember},
      {"damaged deflate data", damagedPath, "docs\\Read.Me", kZipBadData},
      {"an encrypted member", folder_.at("encrypted.zip"), "FILE_ID.DIZ", kZipUnsupported},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(extractFile()(c.archive.c_str(), c.member.c_str(), target().c_str(), 100000, readMe),
              c.result)
        << c.what;
    EXPECT_FALSE(fs::exists(target())) << c.what;
  }
  EXPECT_EQ(extractFile()(nullptr, "a", target().c_str(), 1, 0), kZipBadArgument);
  EXPECT_EQ(extractFile()(deflated.c_str(), nullptr, target().c_str(), 1, 0), kZipBadArgument);
  EXPECT_EQ(extractFile()(deflated.c_str(), "FILE_ID.DIZ", nullptr, 1, 0), kZipBadArgument);
  EXPECT_EQ(extractFile()(deflated.c_str(), "FILE_ID.DIZ", "", 1, 0), kZipBadArgument);
  EXPECT_EQ(extractFile()(deflated.c_str(), "FILE_ID.DIZ", target().c_str(), -1, 0),
            kZipBadArgument);
  EXPECT_FALSE(fs::exists(target()));
}

TEST_F(ZipFolder, NeverWritesThroughAnExistingFileOrLink) {
  const std::string deflated = folder_.at("deflated.zip");
  const std::string victim = test::writeBytes(folder_, "victim.txt", test::textBytes("keep"));
  fs::create_symlink(victim, target());
  EXPECT_EQ(extractFile()(deflated.c_str(), "FILE_ID.DIZ", target().c_str(), 100, -1),
            kZipCannotWrite);
  EXPECT_EQ(extractFile()(deflated.c_str(), "FILE_ID.DIZ", victim.c_str(), 100, -1),
            kZipCannotWrite);
  EXPECT_EQ(test::contentOf(victim), "keep");
}

TEST(VUnZip32, OldCompressionMethodsAnswerUnsupported) {
  ASSERT_NE(extractFile(), nullptr);
  test::TempFolder folder;
  const std::string target = folder.at("target.tmp");
  struct Case {
    const char* archive;
    const char* member;
    int32_t offset;
  };
  const Case cases[] = {
      {"Zip.shrink.zip", "TECT.TXT", 0},
      {"Zip.reduce1.zip", "TEST.EXE", 5429},
      {"Zip.reduce4.zip", "TEST.EXE", 5429},
      {"Zip.implode.zip", "EXE\\TEST.EXE", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(extractFile()(archiveFixture(c.archive).c_str(), c.member, target.c_str(), 100000,
                            c.offset),
              kZipUnsupported)
        << c.archive;
    EXPECT_FALSE(fs::exists(target)) << c.archive;
  }
  // The stored member beside them comes out whole.
  ASSERT_EQ(extractFile()(archiveFixture("Zip.shrink.zip").c_str(), "TEST.JPG", target.c_str(),
                          100000, 30605),
            kZipExtracted);
  EXPECT_EQ(fs::file_size(target), 40372u);
}

}  // namespace
}  // namespace vellomar
