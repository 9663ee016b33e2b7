#include "engine/UBackupSets.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/api/UApiGlobals.h"
#include "engine/api/UCallbacks.h"
#include "foundation/UByteReader.h"
#include "tests/support/ArchiveBuilders.h"
#include "tests/support/ArchiveListing.h"
#include "tests/support/MemberNameCases.h"

namespace vellomar {
namespace {

using test::Bytes;
using test::TempFolder;

const uint32_t kTime = test::dosDateTime(1994, 3, 7, 12, 30, 10);
const std::string kTimeText = "1994-03-07 12:30:10";

void text(ByteWriter& w, std::string_view s, size_t width, char fill = '\0') {
  w.bytes(s.data(), std::min(s.size(), width));
  for (size_t i = s.size(); i < width; ++i) w.u8(static_cast<uint8_t>(fill));
}

// --- MS-DOS BACKUP control files ---

struct DosRecordSizes {
  uint8_t header, folder, file;
};

class DosControlFile {
 public:
  explicit DosControlFile(DosRecordSizes sizes) : sizes_(sizes) {}

  DosControlFile& header(std::string_view signature = "BACKUP") {
    w_.u8(sizes_.header);
    text(w_, signature, 8, ' ');
    w_.u8(1);  // disk number
    w_.zeros(sizes_.header - 10u);
    return *this;
  }
  DosControlFile& folder(std::string_view path) {
    w_.u8(sizes_.folder);
    text(w_, path, sizes_.folder - 1u);
    return *this;
  }
  DosControlFile& file(std::string_view name, uint32_t size, uint8_t attr = 0x20) {
    w_.u8(sizes_.file);
    text(w_, name, 12);
    w_.zeros(11);  // flags, sequence, offsets
    w_.u32(size);  // +24
    w_.u8(attr);   // +28
    w_.u8(0);
    w_.u32(kTime);  // +30
    w_.zeros(sizes_.file - 34u);
    return *this;
  }
  DosControlFile& raw(std::initializer_list<uint8_t> bytes) {
    for (uint8_t b : bytes) w_.u8(b);
    return *this;
  }
  Bytes bytes() const { return w_.bytes(); }

 private:
  DosRecordSizes sizes_;
  ByteWriter w_;
};

test::ListResult listDos(const Bytes& bytes) {
  TempFolder folder;
  return test::listWith(ReadDosBackup, test::writeBytes(folder, "CONTROL.001", bytes));
}

std::string line(std::string_view path, std::string_view name, uint32_t size) {
  return std::string(path) + "|" + std::string(name) + "|" + std::to_string(size) + "|" + kTimeText;
}

TEST(DosBackup, ListsFilesUnderTheirFolders) {
  // The record lengths of BACKUP's versions differ; each kind is known by its length range.
  for (const DosRecordSizes sizes : {DosRecordSizes{139, 70, 34}, DosRecordSizes{128, 40, 39}}) {
    const Bytes control = DosControlFile(sizes)
                              .header()
                              .folder("")
                              .file("AUTOEXEC.BAT", 120)
                              .folder("DOS")
                              .file("FORMAT.COM", 22923)
                              .file("Mixed.Txt\x01", 5)
                              .folder("\\DOS\\UTIL")
                              .file("X", 0)
                              .bytes();
    const test::ListResult result = listDos(control);
    EXPECT_TRUE(result.ok) << int(sizes.folder);
    EXPECT_EQ(result.lines,
              (std::vector<std::string>{
                  line("\\", "autoexec.bat", 120), line("\\dos\\", "Mixed.Txt", 5),
                  line("\\dos\\", "format.com", 22923), line("\\dos\\util\\", "x", 0)}))
        << int(sizes.folder);
  }
}

TEST(DosBackup, NamesFollowTheRuleOfEveryArchive) {
  DosControlFile control({139, 70, 34});
  control.header().folder("");
  for (const std::string& name : test::storedMemberNames()) control.file(name, 1);
  EXPECT_EQ(test::pathsAndNames(listDos(control.bytes()).lines), test::listedMemberNames());
}

TEST(DosBackup, KeepsAttributes) {
  TempFolder folder;
  TArchiveEntryList list;
  const Bytes control =
      DosControlFile({139, 70, 34}).header().folder("").file("IO.SYS", 33430, 0x07).bytes();
  ASSERT_TRUE(ReadDosBackup(list, test::writeBytes(folder, "CONTROL.001", control)));
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.Items()[0]->Attr, 0x07);
  EXPECT_EQ(list.Items()[0]->HeaderOffset, 0);
}

TEST(DosBackup, RecordsThatCannotBeReadEndTheListing) {
  struct Case {
    const char* what;
    DosControlFile tail;
  };
  const DosRecordSizes sizes{139, 70, 34};
  Case cases[] = {
      {"a header without the signature", DosControlFile(sizes).header("RESTORE")},
      {"a record of no length", DosControlFile(sizes).raw({0, 34})},
      {"a file record shorter than its fields", DosControlFile(sizes).raw({20}).raw({0, 0, 0})},
  };
  for (Case& c : cases) {
    Bytes control = DosControlFile(sizes).header().folder("").file("A.TXT", 1).bytes();
    const Bytes tail = c.tail.file("B.TXT", 2).bytes();
    control.insert(control.end(), tail.begin(), tail.end());
    const test::ListResult result = listDos(control);
    EXPECT_TRUE(result.ok) << c.what;
    EXPECT_EQ(result.lines, std::vector<std::string>{line("\\", "a.txt", 1)}) << c.what;
  }
}

TEST(DosBackup, CutControlFilesGiveFalse) {
  const Bytes control = DosControlFile({139, 70, 34})
                            .header()
                            .folder("DOS")
                            .file("A.TXT", 1)
                            .file("B.TXT", 2)
                            .bytes();
  for (size_t size = 1; size < control.size(); ++size) {
    const bool atRecordEnd = size == 139 || size == 209 || size == 243;
    const test::ListResult result = listDos(Bytes(control.begin(), control.begin() + size));
    EXPECT_EQ(result.ok, size >= 243 && atRecordEnd) << size;
  }
}

// --- PC-Backup directory files ---

class PcDirectory {
 public:
  PcDirectory() {
    w_.u8(0x01);
    w_.bytes("DCP", 3);
    w_.zeros(10);  // volume data the reader skips
  }
  PcDirectory& begin(std::string_view name) {
    w_.u8(0xDA);
    w_.u8(0);
    text(w_, name, 14);
    return *this;
  }
  PcDirectory& file(std::string_view name, uint32_t size) {
    w_.u8(0xDB);
    w_.u8(0);
    text(w_, name, 14);
    w_.u16(static_cast<uint16_t>(kTime >> 16));  // +15
    w_.u16(static_cast<uint16_t>(kTime));        // +17
    w_.u32(size);                                // +19
    w_.zeros(4);
    return *this;
  }
  PcDirectory& end() {
    w_.u8(0xDC);
    return *this;
  }
  Bytes bytes() const { return w_.bytes(); }

 private:
  ByteWriter w_;
};

std::vector<std::string> appended;
void recordAppended(const ShortString& s) {
  appended.push_back(s.str());
}

test::ListResult listPc(const Bytes& bytes) {
  TempFolder folder;
  return test::listWith(ReadPcBackup, test::writeBytes(folder, "PCBACKUP.DIR", bytes));
}

TEST(PcBackup, ListsFilesUnderTheirFolders) {
  const Bytes directory = PcDirectory()
                              .begin("C:\\")
                              .file("CONFIG.SYS", 300)
                              .begin("WORD")
                              .file("WORD.EXE", 400000)
                              .begin("DOCS")
                              .file("Letter.doc", 1200)
                              .end()
                              .end()
                              .file("LAST.TXT", 7)
                              .end()
                              .end()  // one more than was begun: stays at the root
                              .file("ROOT.TXT", 8)
                              .bytes();
  const test::ListResult result = listPc(directory);
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(result.lines,
            (std::vector<std::string>{
                line("\\", "config.sys", 300), line("\\", "last.txt", 7), line("\\", "root.txt", 8),
                line("\\word\\", "word.exe", 400000), line("\\word\\docs\\", "Letter.doc", 1200)}));
}

TEST(PcBackup, WithoutItsStartTheUserIsTold) {
  SetCallbacks(nullptr, nullptr, nullptr, recordAppended, nullptr, nullptr);
  appended.clear();
  Bytes directory = PcDirectory().begin("C:").file("A.TXT", 1).bytes();
  directory[1] = 'X';
  const test::ListResult result = listPc(directory);
  ResetCallbacks();
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(appended, std::vector<std::string>{"   Central dir of PC-Backup not found  "});
}

TEST(PcBackup, CutOrEmptyDirectoriesGiveFalse) {
  const Bytes directory = PcDirectory().begin("C:").file("A.TXT", 1).end().bytes();
  for (size_t size = 0; size < directory.size() - 1; ++size) {
    EXPECT_FALSE(listPc(Bytes(directory.begin(), directory.begin() + size)).ok) << size;
  }
  EXPECT_TRUE(listPc(directory).ok);
  EXPECT_FALSE(listPc(PcDirectory().begin("C:").end().bytes()).ok);
}

// --- Norton Backup catalogues ---

class NortonCatalogue {
 public:
  NortonCatalogue() { signature(); }
  NortonCatalogue& signature() {
    w_.u8(0);
    w_.bytes("NORTON Ver 1", 12);
    w_.zeros(3);
    return *this;
  }
  NortonCatalogue& folder(uint8_t depth, std::string_view name) {
    w_.u8(depth);
    text(w_, name, 31);
    return *this;
  }
  NortonCatalogue& file(std::string_view name, std::string_view extension, uint32_t size,
                        uint8_t attr = 0x20) {
    w_.u8(0);
    text(w_, name, 8, ' ');
    text(w_, extension, 3, ' ');
    w_.u8(attr);
    w_.zeros(3);
    w_.u32(kTime);
    w_.u32(size);
    w_.zeros(8);
    return *this;
  }
  NortonCatalogue& end() {
    w_.u8(0xFF);
    w_.zeros(31);
    return *this;
  }
  Bytes bytes() const { return w_.bytes(); }

 private:
  ByteWriter w_;
};

test::ListResult listNorton(const Bytes& bytes) {
  TempFolder folder;
  return test::listWith(ReadNortonBackup, test::writeBytes(folder, "DEFAULT.CAT", bytes));
}

TEST(NortonBackup, ListsFilesUnderTheirFolders) {
  const Bytes catalogue = NortonCatalogue()
                              .folder(1, "C:")
                              .file("COMMAND", "COM", 54619)
                              .folder(1, "DOS")
                              .file("EDIT", "", 413)
                              .folder(2, "UTIL")
                              .file("Zip", "exe", 10)
                              .signature()  // a second volume repeats the signature
                              .folder(1, "C:GAMES")
                              .file("DOOM", "WAD", 99)
                              .end()
                              .bytes();
  const test::ListResult result = listNorton(catalogue);
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(result.lines,
            (std::vector<std::string>{
                line("\\", "command.com", 54619), line("\\dos\\", "edit", 413),
                line("\\dos\\util\\", "Zip.exe", 10), line("\\games\\", "doom.wad", 99)}));
}

TEST(NortonBackup, NeedsItsSignatureAndItsEnd) {
  std::vector<std::string> seen;
  SetCallbacks(nullptr, nullptr, recordAppended, nullptr, nullptr, nullptr);
  appended.clear();
  Bytes other = NortonCatalogue().file("A", "TXT", 1).end().bytes();
  other[1] = 'M';
  EXPECT_FALSE(listNorton(other).ok);
  EXPECT_TRUE(appended.empty());  // not even the status text
  ResetCallbacks();

  const Bytes catalogue = NortonCatalogue().file("A", "TXT", 1).end().bytes();
  for (size_t size = 0; size < catalogue.size(); size += 5) {
    EXPECT_FALSE(listNorton(Bytes(catalogue.begin(), catalogue.begin() + size)).ok) << size;
  }
  EXPECT_FALSE(listNorton(NortonCatalogue().folder(1, "C:").end().bytes()).ok);
}

}  // namespace
}  // namespace vellomar
