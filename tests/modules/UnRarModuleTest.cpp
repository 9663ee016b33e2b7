#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "abi/UnrarAbi.h"
#include "foundation/UCrc32.h"
#include "platform/PLibrary.h"
#include "tests/modules/TestFolders.h"
#include "tests/support/ArchiveBuilders.h"
#include "tests/support/ArchiveListing.h"

namespace vellomar {
namespace {

using test::archiveFixture;
using test::RarBuilder;
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

const std::string kCyrillic = "\xD1\x82\xD0\xB5\xD1\x81\xD1\x82.txt";  // "тест.txt"

// The members of the solid fixtures: three files, then three folders.
std::vector<Member> solidMembers(char separator, uint32_t asciiFlags,
                                 const std::vector<uint32_t>& times) {
  const std::string exe = std::string("exe") + separator + "test.exe";
  const std::string jpg = std::string("jpg") + separator + "test.jpg";
  return {{kCyrillic, kRarNameIsUtf8, 0x20, times[0], 15498},
          {exe, asciiFlags, 0x20, times[1], 45056},
          {jpg, asciiFlags, 0x20, times[2], 40372},
          {"Empty", asciiFlags, 0x10, times[3], 0},
          {"exe", asciiFlags, 0x10, times[4], 0},
          {"jpg", asciiFlags, 0x10, times[5], 0}};
}

TEST(UnRarModule, ListsEveryRarGeneration) {
  test::useUtc();  // RAR 5 keeps UTC, reported as local time
  const std::vector<uint32_t> rar29Times = {0x3ED7AC7A, 0x2CB34575, 0x3EE58808,
                                            0x3EE584FA, 0x3EE58744, 0x3EE5881A};
  struct Case {
    const char* archive;
    std::vector<Member> members;
  };
  const Case cases[] = {
      {"Rar15.rar",
       {{"EXE", 0, 0x10, 0x56534A99, 0},
        {"EXE\\TEST.EXE", 0, 0x20, 0x55019AE2, 45056},
        {"JPG", 0, 0x10, 0x56534A99, 0},
        {"JPG\\TEST.JPG", 0, 0x20, 0x55019AE2, 40372},
        {"TECT.TXT", 0, 0x20, 0x55019AE2, 15498}}},
      {"Rar2.rar",
       {{"exe", 0, 0x10, 0x544F6108, 0},
        {"jpg", 0, 0x10, 0x544E4CCA, 0},
        {"exe\\test.exe", 0, 0x20, 0x544E4CCA, 45056},
        {"jpg\\test.jpg", 0, 0x20, 0x544E4CCA, 40372},
        {kCyrillic, kRarNameIsUtf8, 0x20, 0x544E4CCA, 15498}}},
      {"Rar4.rar",
       {{"exe\\test.exe", 0, 0x20, 0x54938BF8, 45056},
        {"jpg\\test.jpg", 0, 0x20, 0x54938BF8, 40372},
        {kCyrillic, kRarNameIsUtf8, 0x20, 0x54938BF8, 15498},
        {"exe", 0, 0x10, 0x54938BF8, 0},
        {"jpg", 0, 0x10, 0x54938BF8, 0}}},
      // Solid: every header is read, though the data of the later members cannot be reached
      // without unpacking the earlier ones. The Cyrillic name is kept in both Unicode forms.
      {"Rar.solid.rar", solidMembers('\\', 0, rar29Times)},
      {"Rar.comment.rar", solidMembers('\\', 0, rar29Times)},
      {"Rar5.solid.rar",
       solidMembers('/', kRarNameIsUtf8,
                    {0x3ED80C7A, 0x2CB36575, 0x3EE5A808, 0x3EE5A4FA, 0x3EE5A744, 0x3EE5A81A})},
  };
  for (const Case& c : cases) {
    int32_t last = kRarOk;
    EXPECT_EQ(list(archiveFixture(c.archive), &last), c.members) << c.archive;
    EXPECT_EQ(last, kRarEndOfArchive) << c.archive;
  }
}

TEST(UnRarModule, ExtractsTheMemberWhoseHeaderWasReadLast) {
  TempFolder folder;
  const std::string target = folder.at("out.tmp");
  RarOpenRequest request{nullptr, kRarOpenExtract, -1};
  const std::string path = archiveFixture("Rar4.rar");
  request.archiveName = path.c_str();
  RarArchive* archive = unRar().open(&request);
  ASSERT_EQ(request.openResult, kRarOk);
  RarMemberHeader header;
  ASSERT_EQ(unRar().readHeader(archive, &header), kRarOk);
  ASSERT_EQ(unRar().processFile(archive, kRarSkip, nullptr, nullptr), kRarOk);
  ASSERT_EQ(unRar().readHeader(archive, &header), kRarOk);
  ASSERT_STREQ(header.fileName, "jpg\\test.jpg");
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
  const std::string ace = archiveFixture("Ace.store.ace");
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
  const std::string rar = archiveFixture("Rar15.rar");
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

// A RAR5 member: stored data, a Unix modification time, a CRC for files.
struct Rar5Member {
  std::string name;
  test::Bytes data = {};
  bool folder = false;
  uint64_t host = 0;        // 0 Windows, 1 Unix
  uint64_t attributes = 0;  // 0: the folder or archive attribute
  uint64_t blockFlags = 0;  // 0x10: the data goes on in the next volume
  test::Bytes extra = {};   // records of the extra area
};

// RAR5 blocks: CRC-32 of what follows it, then variable-length integers.
class Rar5Builder {
 public:
  explicit Rar5Builder(uint64_t archiveFlags = 0) {
    test::Bytes fields;
    vint(fields, archiveFlags);  // 0x0001: a volume
    block(kMainBlock, 0, fields, {}, {});
  }
  Rar5Builder& member(std::string_view name, const test::Bytes& data, bool folder = false) {
    Rar5Member m{std::string(name)};
    m.data = data;
    m.folder = folder;
    return member(m);
  }
  Rar5Builder& member(const Rar5Member& m) {
    test::Bytes fields;
    vint(fields, m.folder ? 0x03 : 0x06);  // folder or CRC present; time present
    vint(fields, m.data.size());
    vint(fields, m.attributes ? m.attributes : m.folder ? 0x10 : 0x20);
    le32(fields, 1700000000);  // Unix time
    if (!m.folder) le32(fields, crc32Of(m.data));
    vint(fields, 0);  // stored
    vint(fields, m.host);
    vint(fields, m.name.size());
    fields.insert(fields.end(), m.name.begin(), m.name.end());
    block(kFileBlock, m.blockFlags, fields, m.extra, m.data);
    return *this;
  }
  test::Bytes end(uint64_t flags = 0) {  // 0x0001: more volumes follow
    test::Bytes fields;
    vint(fields, flags);
    block(kEndBlock, 0, fields, {}, {});
    return out_;
  }
  // An archive whose headers are encrypted: the encryption header comes first.
  static test::Bytes withEncryptedHeaders() {
    Rar5Builder archive{EncryptedHeaders{}};
    return archive.out_;
  }

 private:
  static constexpr uint8_t kMainBlock = 1;
  static constexpr uint8_t kFileBlock = 2;
  static constexpr uint8_t kCryptBlock = 4;
  static constexpr uint8_t kEndBlock = 5;

  struct EncryptedHeaders {};
  explicit Rar5Builder(EncryptedHeaders) {
    test::Bytes fields = {0, 0, 15};          // version, flags, key derivation count
    fields.resize(fields.size() + 16, 0x5A);  // salt
    block(kCryptBlock, 0, fields, {}, {});
  }

  static void vint(test::Bytes& out, uint64_t value) {
    do {
      out.push_back(static_cast<uint8_t>((value & 0x7F) | (value > 0x7F ? 0x80 : 0)));
      value >>= 7;
    } while (value);
  }
  static void le32(test::Bytes& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
  }
  void block(uint8_t type, uint64_t flags, const test::Bytes& fields, const test::Bytes& extra,
             const test::Bytes& data) {
    test::Bytes head;
    vint(head, type);
    const bool hasData = type == kFileBlock;  // even an empty one
    vint(head, flags | (extra.empty() ? 0 : 0x01) | (hasData ? 0x02 : 0));
    if (!extra.empty()) vint(head, extra.size());
    if (hasData) vint(head, data.size());
    head.insert(head.end(), fields.begin(), fields.end());
    head.insert(head.end(), extra.begin(), extra.end());
    test::Bytes sized;
    vint(sized, head.size());
    sized.insert(sized.end(), head.begin(), head.end());
    le32(out_, crc32Of(sized));
    out_.insert(out_.end(), sized.begin(), sized.end());
    out_.insert(out_.end(), data.begin(), data.end());
  }

  test::Bytes out_ = {'R', 'a', 'r', '!', 0x1A, 0x07, 0x01, 0x00};
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
  EXPECT_EQ(members[2].flags, kRarNameIsUtf8);  // RAR 5 keeps every name in UTF-8

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
  const std::vector<uint8_t> whole = test::fileBytes(archiveFixture("Rar2.rar"));
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

const uint32_t kWhen = test::dosDateTime(2011, 6, 23, 21, 35, 52);

std::vector<uint8_t> packedName(std::string_view plain, const test::Bytes& packed) {
  test::Bytes name(plain.begin(), plain.end());
  name.push_back(0);
  name.insert(name.end(), packed.begin(), packed.end());
  return name;
}

std::string asName(const test::Bytes& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

TEST(UnRarModule, ListsEveryHeaderWhateverItsData) {
  test::useUtc();
  const uint32_t rar5Time = test::dosDateTime(2023, 11, 14, 22, 13, 20);
  const test::Bytes encryptionRecord = {0x03, 0x01, 0x00, 0x00};  // size, type 1, version, flags
  struct Case {
    const char* what;
    test::Bytes archive;
    std::vector<Member> members;
  };
  const Case cases[] = {
      {"solid, with encrypted data",
       RarBuilder(0x0008, true)
           .file("a.txt", 3, kWhen, 0x20, 0x8004)
           .file("b.txt", 4, kWhen, 0x21, 0x8014)
           .end()
           .bytes(),
       {{"a.txt", 0, 0x20, kWhen, 3}, {"b.txt", 0, 0x21, kWhen, 4}}},
      {"the first part of a multi-volume archive",
       RarBuilder(0x0101, true)
           .file("a.txt", 3, kWhen, 0x20)
           .file("big.bin", 5, kWhen, 0x20, 0x8002)
           .block(0x7B, 0x4001, 7, 0)
           .bytes(),
       {{"a.txt", 0, 0x20, kWhen, 3}, {"big.bin", 0, 0x20, kWhen, 5}}},
      {"Unix modes",
       RarBuilder(0, true)
           .file("bin", 0, kWhen, 040755, 0x80E0, 3)
           .file("bin/tool", 2, kWhen, 0100555, 0x8000, 3)
           .end()
           .bytes(),
       {{"bin", 0, 0x10, kWhen, 0}, {"bin/tool", 0, 0x21, kWhen, 2}}},
      {"Unicode names",
       RarBuilder(0, true)
           .file("\xC3\x9C.txt", 1, kWhen, 0x20, 0x8200)  // UTF-8 alone
           .file("\x9A.txt", 1, kWhen, 0x20, 0x8200)      // not UTF-8: the stored bytes
           // Whole 16-bit units, here a surrogate pair, and bytes below 256.
           .file(asName(packedName("x.t", {0x00, 0xA0, 0x3D, 0xD8, 0x00, 0xDE, 0x2E, 0x74})), 1,
                 kWhen, 0x20, 0x8200)
           // A run that reaches past the plain name ends the name there.
           .file(asName(packedName("ab", {0x00, 0xC0, 0x05})), 1, kWhen, 0x20, 0x8200)
           // No Unicode form: the plain name.
           .file(asName(packedName("plain", {})), 1, kWhen, 0x20, 0x8200)
           .end()
           .bytes(),
       {{"\xC3\x9C.txt", kRarNameIsUtf8, 0x20, kWhen, 1},
        {"\x9A.txt", 0, 0x20, kWhen, 1},
        {"\xF0\x9F\x98\x80.t", kRarNameIsUtf8, 0x20, kWhen, 1},
        {"ab", kRarNameIsUtf8, 0x20, kWhen, 1},
        {"plain", 0, 0x20, kWhen, 1}}},
      {"RAR 5: a first volume, encrypted data, Unix modes",
       Rar5Builder(0x0001)
           .member({.name = "docs", .folder = true, .host = 1, .attributes = 040700})
           .member({.name = "docs/a.txt",
                    .data = test::textBytes("abc"),
                    .host = 1,
                    .attributes = 0100444,
                    .extra = encryptionRecord})
           .member({.name = "big.bin", .data = test::textBytes("12345"), .blockFlags = 0x10})
           .end(0x0001),
       {{"docs", kRarNameIsUtf8, 0x10, rar5Time, 0},
        {"docs/a.txt", kRarNameIsUtf8, 0x21, rar5Time, 3},
        {"big.bin", kRarNameIsUtf8, 0x20, rar5Time, 5}}},
  };
  TempFolder folder;
  for (const Case& c : cases) {
    int32_t last = kRarOk;
    EXPECT_EQ(list(test::writeBytes(folder, "a.rar", c.archive), &last), c.members) << c.what;
    EXPECT_EQ(last, kRarEndOfArchive) << c.what;
  }
}

TEST(UnRarModule, RefusesArchivesWhoseHeadersAreEncrypted) {
  TempFolder folder;
  const test::Bytes archives[] = {
      RarBuilder(0x0080, true).file("a.txt", 3, kWhen, 0x20).end().bytes(),
      Rar5Builder::withEncryptedHeaders(),
  };
  for (const test::Bytes& archive : archives) {
    const std::string path = test::writeBytes(folder, "locked.rar", archive);
    RarOpenRequest request{path.c_str(), kRarOpenList, -1};
    EXPECT_EQ(unRar().open(&request), nullptr);
    EXPECT_EQ(request.openResult, kRarBadArchive);
  }
}

// Opens the archive for extraction, skips to the member numbered index and extracts it.
int32_t extractMember(const std::string& path, size_t index, const std::string& target) {
  RarOpenRequest request{path.c_str(), kRarOpenExtract, -1};
  RarArchive* archive = unRar().open(&request);
  if (!archive) return request.openResult;
  RarMemberHeader header;
  int32_t result = kRarOk;
  for (size_t i = 0; i <= index && result == kRarOk; ++i) {
    result = unRar().readHeader(archive, &header);
    if (result == kRarOk) {
      result = unRar().processFile(archive, i == index ? kRarExtract : kRarSkip, nullptr,
                                   target.c_str());
    }
  }
  unRar().close(archive);
  return result;
}

TEST(UnRarModule, SolidMembersAreExtractedWhereLibarchiveReachesThem) {
  TempFolder folder;
  struct Case {
    const char* archive;
    size_t index;
    int32_t result;
    size_t size;
  };
  const Case cases[] = {
      {"Rar.solid.rar", 0, kRarOk, 15498},
      {"Rar.solid.rar", 1, kRarBadData, 0},   // libarchive cannot unpack its way past the first
      {"Rar.comment.rar", 0, kRarOk, 15498},  // libarchive does not count the comment block
      {"Rar.comment.rar", 2, kRarBadData, 0},
      {"Rar5.solid.rar", 2, kRarOk, 40372},
  };
  for (const Case& c : cases) {
    const std::string target = folder.at("out.tmp");
    std::filesystem::remove(target);
    EXPECT_EQ(extractMember(archiveFixture(c.archive), c.index, target), c.result)
        << c.archive << " " << c.index;
    if (c.result == kRarOk) {
      EXPECT_EQ(test::fileBytes(target).size(), c.size) << c.archive;
    }
  }
  const test::Bytes jpeg = test::fileBytes(folder.at("out.tmp"));
  ASSERT_GE(jpeg.size(), 2u);
  EXPECT_EQ(jpeg[0], 0xFF);
  EXPECT_EQ(jpeg[1], 0xD8);
}

TEST(UnRarModule, DamagedSolidArchivesListTheHeadsThatCanBeRead) {
  const test::Bytes whole = test::fileBytes(archiveFixture("Rar.solid.rar"));
  constexpr size_t kExeHead = 2787;  // then 49 bytes of head and 18010 of data
  constexpr size_t kJpgHead = 20846;
  test::Bytes badData = whole;
  std::fill(badData.begin() + kExeHead + 49, badData.begin() + kJpgHead, 0x5A);
  test::Bytes badHead = whole;
  badHead[kJpgHead + 32] ^= 0x20;  // a letter of the name
  test::Bytes badHead5 = test::fileBytes(archiveFixture("Rar5.solid.rar"));
  badHead5[20782] ^= 0x20;  // the same letter in RAR 5
  struct Case {
    const char* what;
    const char* archive;  // whose members are listed
    test::Bytes bytes;
    size_t listed;
    int32_t last;
  };
  const Case cases[] = {
      {"the data after the first member", "Rar.solid.rar", badData, 6, kRarEndOfArchive},
      {"a head", "Rar.solid.rar", badHead, 2, kRarBadData},
      {"the file cut inside the last file's data", "Rar.solid.rar",
       test::Bytes(whole.begin(), whole.begin() + 30000), 3, kRarBadData},
      {"a RAR 5 head", "Rar5.solid.rar", badHead5, 2, kRarBadData},
  };
  TempFolder folder;
  for (const Case& c : cases) {
    const std::vector<Member> all = list(archiveFixture(c.archive));
    ASSERT_EQ(all.size(), 6u) << c.archive;
    const std::string path = test::writeBytes(folder, "damaged.rar", c.bytes);
    int32_t last = kRarOk;
    EXPECT_EQ(list(path, &last), std::vector<Member>(all.begin(), all.begin() + c.listed))
        << c.what;
    EXPECT_EQ(last, c.last) << c.what;
  }
  // The first member unpacks still; the one with damaged data fails without harm.
  const std::string path = test::writeBytes(folder, "damaged.rar", badData);
  EXPECT_EQ(extractMember(path, 0, folder.at("first.tmp")), kRarOk);
  EXPECT_EQ(test::fileBytes(folder.at("first.tmp")).size(), 15498u);
  EXPECT_EQ(extractMember(path, 1, folder.at("second.tmp")), kRarBadData);
}

}  // namespace
}  // namespace vellomar
