#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "abi/UnaceAbi.h"
#include "foundation/UByteReader.h"
#include "foundation/UCrc32.h"
#include "platform/PLibrary.h"
#include "tests/modules/TestFolders.h"
#include "tests/support/ArchiveBuilders.h"

namespace vellomar {
namespace {

using test::archiveFixture;
using test::TempFolder;

struct UnAce {
  SharedLibrary library = SharedLibrary::load(test::standInFolder() + "UnAceV2.Dll");
  AceInitDllProc init = reinterpret_cast<AceInitDllProc>(library.symbol("ACEInitDll"));
  AceReadArchiveDataProc readArchiveData =
      reinterpret_cast<AceReadArchiveDataProc>(library.symbol("ACEReadArchiveData"));
  AceListProc list = reinterpret_cast<AceListProc>(library.symbol("ACEList"));
  AceTestProc test = reinterpret_cast<AceTestProc>(library.symbol("ACETest"));
  AceExtractProc extract = reinterpret_cast<AceExtractProc>(library.symbol("ACEExtract"));
};

struct Member {
  std::string name;
  uint32_t size, dateTime, attributes, method;
  bool operator==(const Member&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Member& m) {
  return out << m.name << " size " << m.size << " time " << std::hex << m.dateTime << std::dec
             << " attr " << m.attributes << " method " << m.method;
}

std::vector<Member>* listed = nullptr;

int32_t collect(AceCallbackRecord* record) {
  if (record->type == kAceCallbackState && record->code == kAceStateListFile) {
    const AceFileRecord& f = *record->file;
    listed->push_back({f.name, f.size, f.dateTime, f.attributes, f.method});
  }
  return kAceCallbackOk;
}

int32_t cancel(AceCallbackRecord*) {
  return kAceCallbackCancel;
}

UnAce& unAce() {
  static UnAce library;
  return library;
}

int32_t initialise(AceCallbackProc state = collect) {
  static char comment[8192];
  AceInitRecord init{
      kAceCallerVersion, kAceRecordVersion, comment, sizeof comment - 1, "/tmp/", nullptr,
      nullptr,           nullptr,           state};
  return unAce().init(&init);
}

std::vector<Member> list(const std::string& path, int32_t* result) {
  std::vector<Member> members;
  listed = &members;
  EXPECT_EQ(initialise(), kAceOk);
  AceListRequest request{{"", "", "", -1}};
  *result = unAce().list(path.c_str(), &request);
  listed = nullptr;
  return members;
}

int32_t extract(const std::string& archive, const char* member, const std::string& folder) {
  EXPECT_EQ(initialise(), kAceOk);
  AceExtractRequest request{{"", member, "", -1}, folder.c_str(), -1, ""};
  return unAce().extract(archive.c_str(), &request);
}

TEST(UnAceModule, ListsAce10And20Archives) {
  struct Case {
    const char* archive;
    uint32_t version;
    uint32_t method;
  };
  for (const Case& c : {Case{"Ace.store.ace", 20, 0}, Case{"Ace.method1.ace", 10, 1},
                        Case{"Ace.method2.ace", 20, 2}}) {
    int32_t result = -1;
    const std::vector<Member> expected = {
        {"Tect.txt.txt", 15498, 0x5B5B5722, 0x20, c.method},
        {"exe", 0, 0x5B8B75D8, 0x31, c.method},
        {"exe\\test.exe", 45056, 0x5B5B5722, 0x20, c.method},
        {"jpg", 0, 0x5B8B75D8, 0x31, c.method},
        {"jpg\\test.jpg", 40372, 0x5B5B5722, 0x20, c.method},
    };
    std::vector<Member> members = list(archiveFixture(c.archive), &result);
    std::sort(members.begin(), members.end(),
              [](const Member& a, const Member& b) { return a.name < b.name; });
    EXPECT_EQ(members, expected) << c.archive;
    EXPECT_EQ(result, kAceOk) << c.archive;

    AceArchiveData data{};
    EXPECT_EQ(unAce().readArchiveData(archiveFixture(c.archive).c_str(), &data), kAceOk);
    EXPECT_EQ(data.version, c.version) << c.archive;
    EXPECT_EQ(data.members, 5u) << c.archive;
  }
}

TEST(UnAceModule, ExtractsStoredMembersAndRefusesCompressedOnes) {
  TempFolder folder;
  // The member is matched ignoring case and written without its folders.
  EXPECT_EQ(extract(archiveFixture("Ace.store.ace"), "EXE\\Test.exe", folder.path()), kAceOk);
  const std::vector<uint8_t> exe = test::fileBytes(folder.at("test.exe"));
  ASSERT_EQ(exe.size(), 45056u);
  EXPECT_EQ(exe[0], 'M');
  EXPECT_EQ(exe[1], 'Z');

  std::filesystem::remove(folder.at("test.exe"));
  EXPECT_EQ(extract(archiveFixture("Ace.method1.ace"), "exe\\test.exe", folder.path()),
            kAceErrorUnsupported);
  EXPECT_FALSE(std::filesystem::exists(folder.at("test.exe")));
  EXPECT_EQ(extract(archiveFixture("Ace.store.ace"), "exe\\none.exe", folder.path()),
            kAceErrorNotFound);
  EXPECT_EQ(extract(archiveFixture("Ace.store.ace"), "test.exe", folder.path()), kAceErrorNotFound);
}

TEST(UnAceModule, RefusesBadCallsAndCancelledListings) {
  AceInitRecord wrong{kAceCallerVersion, 0x30000, nullptr, 0,      "",
                      nullptr,           nullptr, nullptr, nullptr};
  EXPECT_EQ(unAce().init(&wrong), kAceErrorParameter);
  EXPECT_EQ(unAce().init(nullptr), kAceErrorParameter);

  ASSERT_EQ(initialise(cancel), kAceOk);
  AceListRequest request{{"", "", "", -1}};
  EXPECT_EQ(unAce().list(archiveFixture("Ace.store.ace").c_str(), &request), kAceErrorCancelled);

  int32_t result = -1;
  list(archiveFixture("Rar15.rar"), &result);
  EXPECT_EQ(result, kAceErrorNotArchive);
  list(archiveFixture("missing.ace"), &result);
  EXPECT_EQ(result, kAceErrorOpen);
}

TEST(UnAceModule, TestsStoredDataAgainstItsCrc) {
  TempFolder folder;
  std::vector<uint8_t> bytes = test::fileBytes(archiveFixture("Ace.store.ace"));
  ASSERT_EQ(initialise(), kAceOk);
  AceListRequest all{{"", "", "", -1}};
  EXPECT_EQ(unAce().test(archiveFixture("Ace.store.ace").c_str(), &all), kAceOk);

  bytes[0xB0 + 100] ^= 0x01;  // inside exe\test.exe
  test::writeBytes(folder, "bad.ace", bytes);
  EXPECT_EQ(unAce().test(folder.at("bad.ace").c_str(), &all), kAceErrorCrc);
  EXPECT_EQ(extract(folder.at("bad.ace"), "exe\\test.exe", folder.path()), kAceErrorCrc);
  EXPECT_FALSE(std::filesystem::exists(folder.at("test.exe")));
}

// ACE header CRC: CRC-32 without the final complement, low 16 bits.
uint16_t headCrc(const std::vector<uint8_t>& head) {
  return static_cast<uint16_t>(~crc32Of(head));
}

void appendHead(std::vector<uint8_t>& archive, const std::vector<uint8_t>& head, uint16_t size) {
  ByteWriter prefix;
  prefix.u16(headCrc(head));
  prefix.u16(size);
  archive.insert(archive.end(), prefix.bytes().begin(), prefix.bytes().end());
  archive.insert(archive.end(), head.begin(), head.end());
}

std::vector<uint8_t> mainHeader() {
  ByteWriter w;
  w.u8(0);
  w.u16(0);
  w.bytes("**ACE**", 7);
  w.u8(20);
  w.u8(20);
  w.u8(2);
  w.u8(0);
  w.u32(0);
  w.zeros(8);
  return w.take();
}

// A file header; nameLength may claim more than the name holds.
std::vector<uint8_t> fileHeader(uint32_t packedSize, uint16_t nameLength, const char* name) {
  ByteWriter w;
  w.u8(1);
  w.u16(1);
  w.u32(packedSize);
  w.u32(packedSize);
  w.u32(0x5B5B5722);
  w.u32(0x20);
  w.u32(0xFFFFFFFF);
  w.zeros(6);
  w.u16(nameLength);
  w.bytes(name, strlen(name));
  return w.take();
}

TEST(UnAceModule, HostileHeadersEndTheWalk) {
  TempFolder folder;
  struct Case {
    const char* what;
    std::vector<uint8_t> member;
    int32_t claimedSize;  // -1: the head's real size
  };
  const Case cases[] = {
      {"name longer than the head", fileHeader(0, 200, "a.txt"), -1},
      {"head shorter than a file header", std::vector<uint8_t>{1, 1, 0}, -1},
      {"data beyond the file", fileHeader(0x7FFFFFFF, 5, "a.txt"), -1},
      {"head size beyond the file", fileHeader(0, 5, "a.txt"), 0xFFFF},
      {"head size of zero", fileHeader(0, 5, "a.txt"), 0},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> archive;
    const std::vector<uint8_t> main = mainHeader();
    appendHead(archive, main, static_cast<uint16_t>(main.size()));
    const size_t size = c.claimedSize < 0 ? c.member.size() : static_cast<size_t>(c.claimedSize);
    appendHead(archive, c.member, static_cast<uint16_t>(size));
    test::writeBytes(folder, "hostile.ace", archive);
    int32_t result = kAceOk;
    EXPECT_TRUE(list(folder.at("hostile.ace"), &result).empty()) << c.what;
    EXPECT_EQ(result, kAceErrorRead) << c.what;
  }
}

TEST(UnAceModule, CutArchivesGiveAnErrorAndNoHarm) {
  TempFolder folder;
  // Cuts behind the main header and the two folder headers leave whole archives.
  const std::set<size_t> headerEnds = {53, 91, 129};
  const std::vector<uint8_t> whole = test::fileBytes(archiveFixture("Ace.store.ace"));
  for (size_t size = 0; size < whole.size(); size += (size < 400 ? 7 : 4999)) {
    test::writeBytes(folder, "cut.ace", std::vector<uint8_t>(whole.begin(), whole.begin() + size));
    int32_t result = kAceOk;
    EXPECT_LT(list(folder.at("cut.ace"), &result).size(), 5u) << size;
    EXPECT_EQ(result == kAceOk, headerEnds.count(size) == 1) << size;
  }
}

}  // namespace
}  // namespace vellomar
