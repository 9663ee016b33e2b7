#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <string>
#include <vector>

#include "foundation/UCrc32.h"
#include "modules/abi/UnrarAbi.h"
#include "platform/PLibrary.h"
#include "tests/modules/TestFolders.h"
#include "tests/support/ArchiveBuilders.h"

namespace vellomar {
namespace {

using test::libsFixture;
using test::TempFolder;

struct UnRar {
  SharedLibrary library = SharedLibrary::load(test::standInFolder() + "unrar.dll");
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
  const std::string target = folder.at("out.tmp");
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

  const std::vector<uint8_t> jpeg = test::fileBytes(target);
  ASSERT_EQ(jpeg.size(), 40372u);
  EXPECT_EQ(jpeg[0], 0xFF);
  EXPECT_EQ(jpeg[1], 0xD8);
}

TEST(UnRarModule, RefusesWhatItCannotDo) {
  TempFolder folder;
  const std::string missing = folder.at("missing.rar");
  const std::string ace = libsFixture("Ace.store.ace");
  RarOpenRequest request{missing.c_str(), kRarOpenList, -1};
  EXPECT_EQ(unRar().open(&request), nullptr);
  EXPECT_EQ(request.openResult, kRarOpenError);
  request.archiveName = ace.c_str();
  EXPECT_EQ(unRar().open(&request), nullptr);
  EXPECT_EQ(request.openResult, kRarBadArchive);
  EXPECT_EQ(unRar().close(nullptr), kRarBadParameter);
  // A FIFO named like an archive is refused at once instead of blocking the scan.
  const std::string fifo = folder.at("fifo.rar");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  request.archiveName = fifo.c_str();
  EXPECT_EQ(unRar().open(&request), nullptr);
  EXPECT_EQ(request.openResult, kRarOpenError);
  request.archiveName = folder.path().c_str();
  EXPECT_EQ(unRar().open(&request), nullptr);
  EXPECT_EQ(request.openResult, kRarOpenError);

  // Listing mode cannot extract.
  const std::string rar = libsFixture("Rar15.rar");
  const std::string target = folder.at("out.tmp");
  request.archiveName = rar.c_str();
  RarArchive* archive = unRar().open(&request);
  ASSERT_EQ(request.openResult, kRarOk);
  RarMemberHeader header;
  EXPECT_EQ(unRar().processFile(archive, kRarSkip, nullptr, nullptr), kRarBadParameter);
  ASSERT_EQ(unRar().readHeader(archive, &header), kRarOk);
  EXPECT_EQ(unRar().processFile(archive, kRarExtract, nullptr, target.c_str()), kRarBadParameter);
  EXPECT_EQ(unRar().close(archive), kRarOk);
}

// RAR5 blocks: CRC-32 of what follows it, then variable-length integers.
class Rar5Builder {
 public:
  Rar5Builder() {
    out_ = {'R', 'a', 'r', '!', 0x1A, 0x07, 0x01, 0x00};
    block(1, {0}, {});  // main header: no archive flags
  }
  // A stored member with a modification time and a CRC; a folder when data is empty and
  // folder is set.
  Rar5Builder& member(std::string_view name, const test::Bytes& data, bool folder = false) {
    test::Bytes fields;
    vint(fields, folder ? 0x03 : 0x06);  // folder or CRC present; time present
    vint(fields, data.size());
    vint(fields, folder ? 0x10 : 0x20);  // attributes
    le32(fields, 1700000000);            // Unix time
    if (!folder) le32(fields, crc32Of(data));
    vint(fields, 0);  // stored
    vint(fields, 0);  // made on Windows
    vint(fields, name.size());
    fields.insert(fields.end(), name.begin(), name.end());
    block(kFileBlock, fields, data);
    return *this;
  }
  test::Bytes end() {
    block(5, {0}, {});
    return out_;
  }

 private:
  static constexpr uint8_t kFileBlock = 2;

  static void vint(test::Bytes& out, uint64_t value) {
    do {
      out.push_back(static_cast<uint8_t>((value & 0x7F) | (value > 0x7F ? 0x80 : 0)));
      value >>= 7;
    } while (value);
  }
  static void le32(test::Bytes& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
  }
  void block(uint8_t type, const test::Bytes& fields, const test::Bytes& data) {
    test::Bytes head;
    vint(head, type);
    const bool hasData = type == kFileBlock;  // even an empty one
    vint(head, hasData ? 0x02 : 0);
    if (hasData) vint(head, data.size());
    head.insert(head.end(), fields.begin(), fields.end());
    test::Bytes sized;
    vint(sized, head.size());
    sized.insert(sized.end(), head.begin(), head.end());
    le32(out_, crc32Of(sized));
    out_.insert(out_.end(), sized.begin(), sized.end());
    out_.insert(out_.end(), data.begin(), data.end());
  }

  test::Bytes out_;
};

TEST(UnRarModule, ListsAndExtractsRar5) {
  TempFolder folder;
  const std::string umlaut =
      "\xC3\x9C"  // "Ü"
      "ber.txt";
  const test::Bytes text = test::textBytes("Dies ist die Beschreibung.\r\n");
  const std::string path = test::writeBytes(folder, "new.rar",
                                            Rar5Builder()
                                                .member("docs", {}, true)
                                                .member("docs/" + umlaut, text)
                                                .member("readme.txt", text)
                                                .end());
  const std::vector<Member> members = list(path);
  ASSERT_EQ(members.size(), 3u);
  EXPECT_EQ(members[0].name, "docs");
  EXPECT_EQ(members[0].attributes, 0x10u);
  EXPECT_EQ(members[1].name, "docs/" + umlaut);
  EXPECT_EQ(members[1].flags, kRarNameIsUtf8);
  EXPECT_EQ(members[1].size, text.size());
  EXPECT_EQ(members[2].flags, 0u);

  RarOpenRequest request{path.c_str(), kRarOpenExtract, -1};
  RarArchive* archive = unRar().open(&request);
  ASSERT_EQ(request.openResult, kRarOk);
  RarMemberHeader header;
  const std::string target = folder.at("out.tmp");
  for (int i = 0; i < 2; ++i) {
    ASSERT_EQ(unRar().readHeader(archive, &header), kRarOk);
    ASSERT_EQ(
        unRar().processFile(archive, i == 1 ? kRarExtract : kRarSkip, nullptr, target.c_str()),
        kRarOk);
  }
  unRar().close(archive);
  EXPECT_EQ(test::fileBytes(target), text);
}

TEST(UnRarModule, CutArchivesEndTheListingWithoutHarm) {
  TempFolder folder;
  const std::vector<uint8_t> whole = test::fileBytes(libsFixture("Rar2.rar"));
  const std::string path = folder.at("cut.rar");
  for (size_t size = 7; size < whole.size(); size += whole.size() / 37) {
    test::writeBytes(folder, "cut.rar", std::vector<uint8_t>(whole.begin(), whole.begin() + size));
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
