// Writes the generated seeds of the fuzz targets into <folder>/<target>/: small databases (new
// and empty, one disk, a disk with a tree, file lists and descriptions, the older disk form,
// a deleted disk) in the forms each target takes, mask texts, one catalogue of each backup
// kind, and the entries of the ZIP files named after the folder as the decoder target takes
// them.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/UCrc32.h"
#include "foundation/UExceptions.h"
#include "fuzz/MemoryEntry.h"
#include "fuzz/TreeCatalogue.h"
#include "tests/support/DBaseImage.h"

namespace vellomar::fuzz {
namespace {

using testing::DBaseImage;

struct Seed {
  std::string Name;
  std::vector<uint8_t> File;
};

std::vector<Seed> databases() {
  std::vector<Seed> seeds;
  seeds.push_back({"empty", DBaseImage().bytes()});

  DBaseImage one;
  setLiveKeys(one, {{0, one.addDisk("Disk 1")}});
  seeds.push_back({"one-disk", one.bytes()});

  DBaseImage tree;
  const int32_t plain = tree.addDisk("Plain");
  setLiveKeys(tree, {{0, addTreeDisk(tree, "Tree")}, {0, plain}});
  seeds.push_back({"tree", tree.bytes()});

  DBaseImage older;
  setLiveKeys(older, {{0, older.addDisk("Old form", false, BlockForm::kOlder)}});
  seeds.push_back({"older-form", older.bytes()});

  DBaseImage deleted;
  const int32_t kept = deleted.addDisk("Kept");
  setLiveKeys(deleted, {{0, kept}, {kKeyDeleted, deleted.addDisk("Gone [1]", true)}});
  seeds.push_back({"deleted-disk", deleted.bytes()});
  return seeds;
}

// The key table written short, then the data area.
std::vector<uint8_t> blocksOf(const std::vector<uint8_t>& file) {
  ByteReader head(std::span<const uint8_t>(file).subspan(kKeyFieldOffset));
  const size_t keyBytes = kKeyFieldHeadSize + kKeyEntrySize * readKeyFieldHead(head).Keys.size();
  std::vector<uint8_t> out(file.begin() + kKeyFieldOffset,
                           file.begin() + static_cast<std::ptrdiff_t>(kKeyFieldOffset + keyBytes));
  out.insert(out.end(), file.begin() + kDataAreaOffset, file.end());
  return out;
}

std::vector<uint8_t> dataAreaOf(const std::vector<uint8_t>& file) {
  return {file.begin() + kDataAreaOffset, file.end()};
}

// A text field of width bytes, cut or padded with fill.
void text(ByteWriter& w, std::string_view s, size_t width, char fill = '\0') {
  w.bytes(s.data(), std::min(s.size(), width));
  for (size_t i = s.size(); i < width; ++i) w.u8(static_cast<uint8_t>(fill));
}

constexpr uint32_t kBackupTime = 0x1C676000;

// Control file records of 139, 70 and 34 bytes, each led by its length: header, folder, file.
std::vector<uint8_t> dosBackup() {
  ByteWriter w;
  w.u8(139);
  text(w, "BACKUP", 8, ' ');
  w.u8(1);
  w.zeros(129);
  w.u8(70);
  text(w, "DOS", 69);
  w.u8(34);
  text(w, "EDIT.COM", 12);
  w.zeros(11);
  w.u32(413);
  w.u8(0x20);
  w.u8(0);
  w.u32(kBackupTime);
  return w.take();
}

// The "DCP" start, a folder begun, a file, the folder ended.
std::vector<uint8_t> pcBackup() {
  ByteWriter w;
  w.u8(1);
  w.bytes("DCP", 3);
  w.zeros(10);
  w.u8(0xDA);
  w.u8(0);
  text(w, "DOS", 14);
  w.u8(0xDB);
  w.u8(0);
  text(w, "EDIT.COM", 14);
  w.u16(static_cast<uint16_t>(kBackupTime >> 16));
  w.u16(static_cast<uint16_t>(kBackupTime));
  w.u32(413);
  w.zeros(4);
  w.u8(0xDC);
  return w.take();
}

// Signature, a folder at depth 1, a file, the end record.
std::vector<uint8_t> nortonBackup() {
  ByteWriter w;
  w.u8(0);
  w.bytes("NORTON Ver 1", 12);
  w.zeros(3);
  w.u8(1);
  text(w, "C:DOS", 31);
  w.u8(0);
  text(w, "EDIT", 8, ' ');
  text(w, "COM", 3, ' ');
  w.u8(0x20);
  w.zeros(3);
  w.u32(kBackupTime);
  w.u32(413);
  w.zeros(8);
  w.u8(0xFF);
  w.zeros(31);
  return w.take();
}

struct LocalEntry {
  uint16_t Flags = 0;
  uint16_t Method = 0;
  uint32_t DosTime = 0;
  uint32_t Size = 0;
  std::span<const uint8_t> Name;
  std::span<const uint8_t> Data;
};

// The entries of a ZIP file in local header order, up to the first damaged one.
std::vector<LocalEntry> localEntries(const std::vector<uint8_t>& zip) {
  constexpr uint32_t kLocalHeader = 0x04034B50;
  std::vector<LocalEntry> entries;
  ByteReader r(zip);
  while (r.has(30) && r.u32() == kLocalHeader) {
    LocalEntry entry;
    r.u16();
    entry.Flags = r.u16();
    entry.Method = r.u16();
    entry.DosTime = r.u32();
    r.u32();  // CRC
    const uint32_t packed = r.u32();
    entry.Size = r.u32();
    const uint16_t nameLength = r.u16();
    const uint16_t extraLength = r.u16();
    entry.Name = r.bytes(nameLength);
    r.skip(extraLength);
    entry.Data = r.bytes(packed);
    if (!r.ok()) break;
    entries.push_back(entry);
  }
  return entries;
}

// Each entry as the decoder target takes it: the method's selector, the size in three bytes,
// the compressed data.
std::vector<std::vector<uint8_t>> decoderSeeds(const std::vector<uint8_t>& zip) {
  std::vector<std::vector<uint8_t>> seeds;
  for (const LocalEntry& entry : localEntries(zip)) {
    const uint16_t method = entry.Method;
    const uint32_t size = entry.Size;
    if (method < 1 || method > 6 || size > 0xFFFFFF) continue;
    ByteWriter seed;
    seed.u8(static_cast<uint8_t>(method == 1 ? 0 : method == 6 ? 5 : method - 1));
    seed.u8(static_cast<uint8_t>(method == 6 ? (entry.Flags & 6) | (size & 0xF8) : size));
    seed.u8(static_cast<uint8_t>(size >> 8));
    seed.u8(static_cast<uint8_t>(size >> 16));
    seed.bytes(entry.Data);
    seeds.push_back(seed.take());
  }
  return seeds;
}

// Each entry's data is cut to the first of these lengths that decodes to something, so that an
// input costs the extraction target little decoding: the decoders have their own target.
constexpr size_t kDataFileEntryData[] = {512, 1024, 2048};

// The entry's data cut to length, with the size and CRC of what that decodes to; nothing when it
// decodes to nothing.
std::optional<LocalEntry> cutEntry(LocalEntry entry, size_t length, uint32_t& crc) {
  entry.Data = entry.Data.first(std::min(entry.Data.size(), length));
  if (entry.Method == 0) {
    entry.Size = static_cast<uint32_t>(entry.Data.size());
    crc = crc32Of(entry.Data);
    return entry;
  }
  MemoryEntry trial(entry.Data);
  trial.beginEntry(entry.Size);
  try {
    if (!decodeEntry(trial, entry.Method, entry.Flags)) return std::nullopt;
  } catch (const EKstvException&) {
    // The data ran out: what came before is sound.
  }
  MemoryEntry cut(entry.Data);
  cut.beginEntry(trial.writtenWithinData());
  try {
    decodeEntry(cut, entry.Method, entry.Flags);
  } catch (const EKstvException&) {
    return std::nullopt;
  }
  if (cut.output().empty()) return std::nullopt;
  entry.Size = static_cast<uint32_t>(cut.output().size());
  crc = crc32Of(cut.output());
  return entry;
}

std::optional<LocalEntry> cutEntry(const LocalEntry& entry, uint32_t& crc) {
  for (const size_t length : kDataFileEntryData) {
    if (std::optional<LocalEntry> cut = cutEntry(entry, length, crc)) return cut;
  }
  return std::nullopt;
}

// The ZIP file as the installer's data file, small: each entry cut, then the central
// directory's signature, where the installer stops.
std::vector<uint8_t> smallDataFile(const std::vector<uint8_t>& zip) {
  ByteWriter w;
  for (const LocalEntry& whole : localEntries(zip)) {
    uint32_t crc = 0;
    const std::optional<LocalEntry> entry = cutEntry(whole, crc);
    if (!entry) continue;
    w.u32(0x04034B50);
    w.u16(20);
    w.u16(entry->Flags);
    w.u16(entry->Method);
    w.u32(entry->DosTime);
    w.u32(crc);
    w.u32(static_cast<uint32_t>(entry->Data.size()));
    w.u32(entry->Size);
    w.u16(static_cast<uint16_t>(entry->Name.size()));
    w.u16(0);
    w.bytes(entry->Name);
    w.bytes(entry->Data);
  }
  w.u32(0x02014B50);
  return w.take();
}

std::vector<uint8_t> contentOf(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<uint8_t> bytesOf(std::string_view text) {
  return {text.begin(), text.end()};
}

void write(const std::filesystem::path& folder, const std::string& name,
           const std::vector<uint8_t>& bytes) {
  std::filesystem::create_directories(folder);
  std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + (folder / name).string());
}

}  // namespace
}  // namespace vellomar::fuzz

int main(int argc, char** argv) {
  using namespace vellomar::fuzz;
  if (argc < 2) {
    std::cerr << "usage: " << argv[0] << " <seed folder> [zip file...]\n";
    return 2;
  }
  const std::filesystem::path root = argv[1];
  for (const Seed& seed : databases()) {
    write(root / "catalogue", seed.Name + ".vdb", seed.File);
    write(root / "catalogue_blocks", seed.Name, blocksOf(seed.File));
    write(root / "repair", seed.Name, blocksOf(seed.File));
    write(root / "key_rebuild", seed.Name, dataAreaOf(seed.File));
  }
  // Switch byte, mask text, newline, name or text.
  using namespace std::string_view_literals;
  const std::string_view masks[] = {
      "\x00*.txt;*.doc \"my file\"\nMy File.txt"sv,
      "\x01readme?.t*\nREADME1.TXT"sv,
      "\x06red car\nbig red car-1"sv,
      "\x08*a*b*c*\naXbYc"sv,
      "\x30\xc3\xa9t\xc3\xa9\nL'\x82t\x82 \xc3\xa9t\xc3\xa9"sv,
      "\x00*.txt|500||*.doc|1000|Uni|*.htm|500|HTML|\nx"sv,
  };
  int n = 0;
  for (const std::string_view mask : masks) {
    write(root / "masks", "mask-" + std::to_string(++n), bytesOf(mask));
  }
  // Parameters split at zero bytes.
  const std::string_view commandLines[] = {
      "db.kvd\0/f:|my\0file|"sv,
      "/home/me/disks.kvd\0/S:cd\0/a"sv,
      "a.kvd\0b.kvd\0-a\0/f:x/s:c"sv,
  };
  n = 0;
  for (const std::string_view line : commandLines) {
    write(root / "command_line", "line-" + std::to_string(++n), bytesOf(line));
  }
  write(root / "dos_backup", "CONTROL.001", dosBackup());
  write(root / "pc_backup", "PCBACKUP.DIR", pcBackup());
  write(root / "norton_backup", "DEFAULT.CAT", nortonBackup());
  for (int i = 2; i < argc; ++i) {
    const std::filesystem::path zip = argv[i];
    int entry = 0;
    for (const std::vector<uint8_t>& seed : decoderSeeds(contentOf(zip))) {
      write(root / "setup_decoders", zip.stem().string() + "-" + std::to_string(++entry), seed);
    }
    write(root / "setup_extract", zip.filename().string(), smallDataFile(contentOf(zip)));
  }
  return 0;
}
