#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "modules/abi/UnrarAbi.h"
#include "platform/PLibrary.h"
#include "tests/modules/TestFolders.h"
#include "tests/support/ArchiveBuilders.h"

namespace vellomar {
namespace {

using testing::libsFixture;
using testing::TempFolder;

struct UnRar {
  SharedLibrary library = SharedLibrary::load(testing::standInFolder() + "unrar.dll");
  RarOpenArchiveProc open = reinterpret_cast<RarOpenArchiveProc>(library.symbol("RAROpenArchive"));
  RarCloseArchiveProc close =
      reinterpret_cast<RarCloseArchiveProc>(library.symbol("RARCloseArchive"));
  RarReadHeaderProc readHeader =
      reinterpret_cast<RarReadHeaderProc>(library.symbol("RARReadHeader"));
  RarProcessFileProc processFile =
      reinterpret_cast<RarProcessFileProc>(library.symbol("RARProcessFile"));
  RarGetDllVersionProc version =
      reinterpret_cast<RarGetDllVersionProc>(library.symbol("RARGetDllVersion"));
};

UnRar& unRar() {
  static UnRar library;
  return library;
}

struct Member {
  std::string name;
  uint32_t flags, attributes, time, size;
  bool operator==(const Member&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Member& m) {
  return out << m.name << " flags " << m.flags << " attr " << m.attributes << " time " << std::hex
             << m.time << std::dec << " size " << m.size;
}

// Lists the archive, skipping every member; the last result is what ended the walk.
std::vector<Member> list(const std::string& path, int32_t* last = nullptr) {
  RarOpenRequest request{path.c_str(), kRarOpenList, -1};
  RarArchive* archive = unRar().open(&request);
  EXPECT_EQ(request.openResult, kRarOk);
  std::vector<Member> members;
  RarMemberHeader header;
  int32_t result;
  while ((result = unRar().readHeader(archive, &header)) == kRarOk) {
    members.push_back({header.fileName, header.flags, header.fileAttributes, header.fileTime,
                       header.unpackedSize});
    if ((result = unRar().processFile(archive, kRarSkip, nullptr, nullptr)) != kRarOk) break;
  }
  if (last) *last = result;
  EXPECT_EQ(unRar().close(archive), kRarOk);
  return members;
}

TEST(UnRarModule, ExportsTheFiveEntryPoints) {
  ASSERT_TRUE(unRar().library.loaded());
  EXPECT_TRUE(unRar().open && unRar().close && unRar().readHeader && unRar().processFile);
  ASSERT_TRUE(unRar().version);
  EXPECT_EQ(unRar().version(), kRarInterfaceVersion);
}

TEST(UnRarModule, ListsEveryRarGeneration) {
  const std::string cyrillic = "\xD1\x82\xD0\xB5\xD1\x81\xD1\x82.txt";  // "тест.txt"
  struct Case {
    const char* archive;
    std::vector<Member> members;
  };
  const Case cases[] = {
      {"Rar15.rar",
       {{"EXE", 0, 0x10, 0x56534A99, 0},
        {"EXE/TEST.EXE", 0, 0x20, 0x55019AE2, 45056},
        {"JPG", 0, 0x10, 0x56534A99, 0},
        {"JPG/TEST.JPG", 0, 0x20, 0x55019AE2, 40372},
        {"TECT.TXT", 0, 0x20, 0x55019AE2, 15498}}},
      {"Rar2.rar",
       {{"exe", 0, 0x10, 0x544F6108, 0},
        {"jpg", 0, 0x10, 0x544E4CCA, 0},
        {"exe/test.exe", 0, 0x20, 0x544E4CCA, 45056},
        {"jpg/test.jpg", 0, 0x20, 0x544E4CCA, 40372},
        {cyrillic, kRarNameIsUtf8, 0x20, 0x544E4CCA, 15498}}},
      {"Rar4.rar",
       {{"exe/test.exe", 0, 0x20, 0x54938BF8, 45056},
        {"jpg/test.jpg", 0, 0x20, 0x54938BF8, 40372},
        {cyrillic, kRarNameIsUtf8, 0x20, 0x54938BF8, 15498},
        {"exe", 0, 0x10, 0x54938BF8, 0},
        {"jpg", 0, 0x10, 0x54938BF8, 0}}},
  };
  for (const Case& c : cases) {
    int32_t last = kRarOk;
    EXPECT_EQ(list(libsFixture(c.archive), &last), c.members) << c.archive;
    EXPECT_EQ(last, kRarEndOfArchive) << c.archive;
  }
}

TEST(UnRarModule, ExtractsTheMemberWhoseHeaderWasReadLast) {
  TempFolder folder;
  const std::string target = folder.file("out.tmp");
  RarOpenRequest request{nullptr, kRarOpenExtract, -1};
  const std::string path = libsFixture("Rar4.rar");
  request.archiveName = path.c_str();
  RarArchive* archive = unRar().open(&request);
  ASSERT_EQ(request.openResult, kRarOk);
  RarMemberHeader header;
  ASSERT_EQ(unRar().readHeader(archive, &header), kRarOk);
  ASSERT_EQ(unRar().processFile(archive, kRarSkip, nullptr, nullptr), kRarOk);
  ASSERT_EQ(unRar().readHeader(archive, &header), kRarOk);
  ASSERT_STREQ(header.fileName, "jpg/test.jpg");
  EXPECT_EQ(unRar().processFile(archive, kRarExtract, nullptr, target.c_str()), kRarOk);
  // Processing twice needs a new header.
  EXPECT_EQ(unRar().processFile(archive, kRarSkip, nullptr, nullptr), kRarBadParameter);
  EXPECT_EQ(unRar().close(archive), kRarOk);

  const std::vector<uint8_t> jpeg = testing::readFile(target);
  ASSERT_EQ(jpeg.size(), 40372u);
  EXPECT_EQ(jpeg[0], 0xFF);
  EXPECT_EQ(jpeg[1], 0xD8);
}

TEST(UnRarModule, RefusesWhatItCannotDo) {
  TempFolder folder;
  const std::string missing = folder.file("missing.rar");
  const std::string ace = libsFixture("Ace.store.ace");
  RarOpenRequest request{missing.c_str(), kRarOpenList, -1};
  EXPECT_EQ(unRar().open(&request), nullptr);
  EXPECT_EQ(request.openResult, kRarOpenError);
  request.archiveName = ace.c_str();
  EXPECT_EQ(unRar().open(&request), nullptr);
  EXPECT_EQ(request.openResult, kRarBadArchive);
  EXPECT_EQ(unRar().close(nullptr), kRarBadParameter);

  // Listing mode cannot extract.
  const std::string rar = libsFixture("Rar15.rar");
  const std::string target = folder.file("out.tmp");
  request.archiveName = rar.c_str();
  RarArchive* archive = unRar().open(&request);
  ASSERT_EQ(request.openResult, kRarOk);
  RarMemberHeader header;
  EXPECT_EQ(unRar().processFile(archive, kRarSkip, nullptr, nullptr), kRarBadParameter);
  ASSERT_EQ(unRar().readHeader(archive, &header), kRarOk);
  EXPECT_EQ(unRar().processFile(archive, kRarExtract, nullptr, target.c_str()), kRarBadParameter);
  EXPECT_EQ(unRar().close(archive), kRarOk);
}

TEST(UnRarModule, CutArchivesEndTheListingWithoutHarm) {
  TempFolder folder;
  const std::vector<uint8_t> whole = testing::readFile(libsFixture("Rar2.rar"));
  const std::string path = folder.file("cut.rar");
  for (size_t size = 7; size < whole.size(); size += whole.size() / 37) {
    folder.write("cut.rar", std::vector<uint8_t>(whole.begin(), whole.begin() + size));
    RarOpenRequest request{path.c_str(), kRarOpenExtract, -1};
    RarArchive* archive = unRar().open(&request);
    if (!archive) continue;
    RarMemberHeader header;
    size_t members = 0;
    while (unRar().readHeader(archive, &header) == kRarOk &&
           unRar().processFile(archive, kRarTest, nullptr, nullptr) == kRarOk) {
      ++members;
    }
    EXPECT_LT(members, 5u) << size;
    unRar().close(archive);
  }
}

}  // namespace
}  // namespace vellomar
