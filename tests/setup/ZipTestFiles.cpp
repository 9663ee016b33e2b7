#include "tests/setup/ZipTestFiles.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "foundation/UByteReader.h"

namespace vellomar::test {

Bytes readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

uint32_t crcOf(const Bytes& bytes) {
  uint32_t crc = 0xFFFFFFFF;
  for (uint8_t b : bytes) crc = setup::CrcUpdate(b, crc);
  return ~crc;
}

Bytes sampleText(size_t size, uint32_t seed) {
  static const char* const kWords[] = {"catalogue ", "disk ", "folder ", "file ",   "archive ",
                                       "\r\n",       "0x90 ", "shrink ", "reduce ", "implode "};
  Bytes out;
  uint32_t state = seed;
  while (out.size() < size) {
    state = state * 1103515245u + 12345u;
    if ((state >> 16) % 7 == 0) {
      out.push_back(static_cast<uint8_t>(state >> 8));  // any byte, 0x90 included
    } else {
      for (const char* w = kWords[(state >> 16) % 10]; *w && out.size() < size; ++w)
        out.push_back(*w);
    }
  }
  return out;
}

CurrentFolder::CurrentFolder(const std::string& path)
    : previous_(std::filesystem::current_path().string()) {
  std::filesystem::current_path(path);
}

CurrentFolder::~CurrentFolder() {
  std::error_code ignored;
  std::filesystem::current_path(previous_, ignored);
}

MemoryEntryStream::MemoryEntryStream(Bytes compressed, uint32_t uncompressedSize)
    : input_(std::move(compressed)) {
  beginEntry(uncompressedSize);
}

int MemoryEntryStream::ReadByte() {
  return position_ < input_.size() ? input_[position_++] : -1;
}

ZipTestEntry storedEntry(const std::string& name, const Bytes& content) {
  ZipTestEntry entry;
  entry.name = name;
  entry.data = content;
  entry.crc = crcOf(content);
  entry.uncompressedSize = static_cast<uint32_t>(content.size());
  return entry;
}

Bytes buildZip(const std::vector<ZipTestEntry>& entries, bool centralDirectory) {
  ByteWriter w;
  std::vector<uint32_t> offsets;
  auto common = [&](const ZipTestEntry& e) {
    w.u16(10);
    w.u16(e.flags);
    w.u16(e.method);
    w.u16(e.dosTime);
    w.u16(e.dosDate);
    w.u32(e.crc);
    w.u32(static_cast<uint32_t>(e.data.size()));
    w.u32(e.uncompressedSize);
    w.u16(static_cast<uint16_t>(e.name.size()));
    w.u16(0);
  };
  for (const ZipTestEntry& e : entries) {
    offsets.push_back(static_cast<uint32_t>(w.size()));
    w.u32(0x04034B50);
    common(e);
    w.bytes(e.name.data(), e.name.size());
    w.bytes(e.data);
  }
  if (!centralDirectory) return w.take();
  const uint32_t directoryStart = static_cast<uint32_t>(w.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    w.u32(0x02014B50);
    w.u16(10);
    common(entries[i]);
    w.u16(0);  // comment
    w.u16(0);  // disk
    w.u16(0);  // internal attributes
    w.u32(0);  // external attributes
    w.u32(offsets[i]);
    w.bytes(entries[i].name.data(), entries[i].name.size());
  }
  const uint32_t directorySize = static_cast<uint32_t>(w.size()) - directoryStart;
  w.u32(0x06054B50);
  w.u16(0);
  w.u16(0);
  w.u16(static_cast<uint16_t>(entries.size()));
  w.u16(static_cast<uint16_t>(entries.size()));
  w.u32(directorySize);
  w.u32(directoryStart);
  w.u16(0);
  return w.take();
}

}  // namespace vellomar::test
