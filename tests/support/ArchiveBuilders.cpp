#include "tests/support/ArchiveBuilders.h"

#include <cstdlib>

#include "foundation/UCrc32.h"

namespace vellomar::test {

std::string writeBytes(const TempFolder& folder, std::string_view name, const Bytes& bytes) {
  return folder.file(name, std::string(bytes.begin(), bytes.end()));
}

Bytes textBytes(std::string_view text) {
  return Bytes(text.begin(), text.end());
}

bool haveTool(const std::string& name) {
  return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

bool runIn(const std::filesystem::path& folder, const std::string& command) {
  const std::string line = "cd '" + folder.string() + "' && " + command + " >/dev/null 2>&1";
  return std::system(line.c_str()) == 0;
}

uint32_t dosDateTime(int year, int month, int day, int hour, int minute, int second) {
  const uint32_t date = uint32_t(year - 1980) << 9 | uint32_t(month) << 5 | uint32_t(day);
  const uint32_t time = uint32_t(hour) << 11 | uint32_t(minute) << 5 | uint32_t(second / 2);
  return date << 16 | time;
}

namespace {

// The CRC of a member's zero-filled data, so an extractor takes it as sound.
uint32_t zeroDataCrc(uint32_t size) {
  uint32_t crc = kCrc32Start;
  for (uint32_t i = 0; i < size; ++i) crc = crc32Update(crc, uint8_t{0});
  return ~crc;
}

// The fields from the flags to the extra length, alike in local and central headers.
void writeZipCommon(ByteWriter& w, const ZipMember& m) {
  w.u16(m.flags);
  w.u16(0);  // stored
  w.u32(m.dateTime);
  w.u32(zeroDataCrc(m.size));
  w.u32(m.size);
  w.u32(m.size);
  w.u16(static_cast<uint16_t>(m.name.size()));
  w.u16(0);
}

}  // namespace

Bytes buildZip(const ZipLayout& layout) {
  ByteWriter w;
  w.bytes(layout.prefix);
  std::vector<uint32_t> offsets;
  for (const ZipMember& m : layout.members) {
    offsets.push_back(static_cast<uint32_t>(w.size() - layout.prefix.size()));
    w.u32(0x04034B50);
    w.u16(10);
    writeZipCommon(w, m);
    w.bytes(m.name.data(), m.name.size());
    w.zeros(m.size);
  }
  const size_t directory = w.size();
  for (size_t i = 0; i < layout.members.size(); ++i) {
    const ZipMember& m = layout.members[i];
    w.u32(0x02014B50);
    w.u16(20);
    w.u16(10);
    writeZipCommon(w, m);
    w.u16(0);
    w.u16(0);
    w.u16(0);
    w.u32(0);
    w.u32(offsets[i]);
    w.bytes(m.name.data(), m.name.size());
  }
  const uint32_t directorySize = static_cast<uint32_t>(w.size() - directory);
  const uint32_t directoryOffset = static_cast<uint32_t>(directory - layout.prefix.size());
  const uint16_t count = static_cast<uint16_t>(layout.members.size());
  if (layout.zip64Records) {
    const uint64_t record = w.size() - layout.prefix.size();
    w.u32(0x06064B50);
    w.u64(44);
    w.u16(45);
    w.u16(45);
    w.u32(0);
    w.u32(0);
    w.u64(count);
    w.u64(count);
    w.u64(directorySize);
    w.u64(directoryOffset);
    w.u32(0x07064B50);
    w.u32(0);
    w.u64(record);
    w.u32(1);
  }
  w.u32(0x06054B50);
  w.u16(0);
  w.u16(0);
  w.u16(layout.zip64Records ? 0xFFFF : count);
  w.u16(layout.zip64Records ? 0xFFFF : count);
  w.u32(layout.zip64Records ? 0xFFFFFFFF : directorySize);
  w.u32(layout.zip64Records ? 0xFFFFFFFF : directoryOffset);
  w.u16(static_cast<uint16_t>(layout.commentSize));
  w.zeros(layout.commentSize);
  return w.take();
}

RarBuilder::RarBuilder(uint16_t archiveFlags, bool headCrcs) : headCrcs_(headCrcs) {
  writer_.bytes("Rar!\x1A\x07\x00", 7);
  ByteWriter head;
  head.u8(0x73);
  head.u16(archiveFlags);
  head.u16(13);
  head.zeros(6);
  writeHead(head.bytes());
}

void RarBuilder::writeHead(const Bytes& afterCrc) {
  writer_.u16(headCrcs_ ? static_cast<uint16_t>(crc32Of(afterCrc)) : 0);
  writer_.bytes(afterCrc);
}

RarBuilder& RarBuilder::file(std::string_view name, uint32_t size, uint32_t dateTime,
                             uint32_t attributes, uint16_t flags, uint8_t host) {
  ByteWriter head;
  head.u8(0x74);
  head.u16(flags);
  head.u16(static_cast<uint16_t>(32 + name.size()));
  head.u32(size);  // packed as stored
  head.u32(size);
  head.u8(host);
  head.u32(0);
  head.u32(dateTime);
  head.u8(20);
  head.u8(0x30);
  head.u16(static_cast<uint16_t>(name.size()));
  head.u32(attributes);
  head.bytes(name.data(), name.size());
  writeHead(head.bytes());
  writer_.zeros(size);
  return *this;
}

RarBuilder& RarBuilder::block(uint8_t type, uint16_t flags, uint16_t headSize, uint32_t dataSize) {
  ByteWriter head;
  head.u8(type);
  head.u16(flags);
  head.u16(headSize);
  if (flags & 0x8000) head.u32(dataSize);
  if (head.size() + 2 < headSize) head.zeros(headSize - 2 - head.size());
  writeHead(head.bytes());
  writer_.zeros(dataSize);
  return *this;
}

RarBuilder& RarBuilder::end() {
  return block(0x7B, 0x4000, 7, 0);
}

namespace {

// An extension chain: each extension is {type, data, size of the next}; the size of the first
// stands in the base header.
struct LhaChain {
  uint16_t firstSize = 0;
  Bytes bytes;
};

LhaChain lhaChain(const std::vector<std::pair<uint8_t, std::string>>& extensions) {
  LhaChain chain;
  ByteWriter w;
  for (size_t i = 0; i < extensions.size(); ++i) {
    const auto size = [&](size_t k) {
      return static_cast<uint16_t>(k < extensions.size() ? 3 + extensions[k].second.size() : 0);
    };
    if (i == 0) chain.firstSize = size(0);
    w.u8(extensions[i].first);
    w.bytes(extensions[i].second.data(), extensions[i].second.size());
    w.u16(size(i + 1));
  }
  chain.bytes = w.take();
  return chain;
}

}  // namespace

Bytes buildLha(const std::vector<LhaMember>& members, bool endMark) {
  ByteWriter w;
  for (const LhaMember& m : members) {
    std::vector<std::pair<uint8_t, std::string>> extensions;
    if (m.level == 2) extensions.emplace_back(0x01, m.name);
    if (m.level > 0 && !m.folder.empty()) extensions.emplace_back(0x02, m.folder);
    const LhaChain chain = lhaChain(extensions);
    if (m.level == 2) {
      w.u16(static_cast<uint16_t>(26 + chain.bytes.size()));
      w.bytes("-lh0-", 5);
      w.u32(m.size);
      w.u32(m.size);
      w.u32(m.time);
      w.u8(0x20);
      w.u8(2);
      w.u16(0);
      w.u8('U');
      w.u16(chain.firstSize);
      w.bytes(chain.bytes);
    } else {
      const size_t tail = m.level == 1 ? 5 : 2;  // CRC, and for level 1 the OS and first size
      w.u8(static_cast<uint8_t>(20 + m.name.size() + tail));
      w.u8(0);
      w.bytes("-lh0-", 5);
      w.u32(m.size + static_cast<uint32_t>(chain.bytes.size()));
      w.u32(m.size);
      w.u32(m.time);
      w.u8(m.attr);
      w.u8(m.level);
      w.u8(static_cast<uint8_t>(m.name.size()));
      w.bytes(m.name.data(), m.name.size());
      w.u16(0);
      if (m.level == 1) {
        w.u8('M');
        w.u16(chain.firstSize);
        w.bytes(chain.bytes);
      }
    }
    w.zeros(m.size);
  }
  if (endMark) w.u8(0);
  return w.take();
}

Bytes buildArc(const std::vector<ArcMember>& members) {
  ByteWriter w;
  for (const ArcMember& m : members) {
    w.u8(0x1A);
    w.u8(2);  // stored
    std::string field = m.nameField.substr(0, 13);
    field.resize(13, '\0');
    w.bytes(field.data(), field.size());
    w.u32(m.size);
    w.u16(static_cast<uint16_t>(m.dateTime >> 16));
    w.u16(static_cast<uint16_t>(m.dateTime));
    w.u16(0);
    w.u32(m.size);
    w.zeros(m.size);
  }
  w.u8(0x1A);
  w.u8(0);
  return w.take();
}

Bytes arjHeader(std::string_view name, const ArjMember& member) {
  ByteWriter basic;
  basic.u8(30);
  basic.u8(11);
  basic.u8(1);
  basic.u8(member.host);
  basic.u8(0);
  basic.u8(0);
  basic.u8(member.fileType);
  basic.u8(0);
  basic.u32(member.time);
  basic.u32(member.size);
  basic.u32(member.size);
  basic.u32(0);
  basic.u16(0);
  basic.u16(0x20);
  basic.u16(0);
  basic.bytes(name.data(), name.size());
  basic.u8(0);
  basic.u8(0);  // empty comment
  ByteWriter w;
  w.u8(0x60);
  w.u8(0xEA);
  w.u16(static_cast<uint16_t>(basic.size()));
  w.bytes(basic.bytes());
  w.u32(crc32Of(basic.bytes()));
  w.u16(0);
  return w.take();
}

Bytes buildArj(std::string_view archiveName, const std::vector<ArjMember>& members) {
  ByteWriter w;
  ArjMember main;
  main.fileType = 2;
  w.bytes(arjHeader(archiveName, main));
  for (const ArjMember& m : members) {
    w.bytes(arjHeader(m.name, m));
    w.zeros(m.size);
  }
  w.u8(0x60);
  w.u8(0xEA);
  w.u16(0);
  return w.take();
}

namespace {

// A head: the low 16 bits of its CRC-32 (not complemented), its size, then the head itself.
void aceHead(ByteWriter& w, const Bytes& head) {
  w.u16(static_cast<uint16_t>(crc32Update(kCrc32Start, head) & 0xFFFF));
  w.u16(static_cast<uint16_t>(head.size()));
  w.bytes(head.data(), head.size());
}

}  // namespace

Bytes buildAce(const std::vector<AceMember>& members) {
  ByteWriter w;
  ByteWriter main;
  main.u8(0);   // main header
  main.u16(0);  // flags
  main.bytes("**ACE**", 7);
  main.u8(20);  // version needed
  main.u8(20);  // version made by
  main.u8(0);   // host: DOS
  main.u8(0);   // volume
  main.u32(0);  // date-time
  main.zeros(8);
  aceHead(w, main.take());
  for (const AceMember& m : members) {
    const Bytes data(m.size, 0);
    ByteWriter head;
    head.u8(1);        // file header
    head.u16(0x0001);  // a data size follows
    head.u32(m.size);  // packed
    head.u32(m.size);
    head.u32(m.dateTime);
    head.u32(0x20);  // attributes
    head.u32(crc32Update(kCrc32Start, data));
    head.u8(0);   // stored
    head.u8(0);   // quality
    head.u16(0);  // parameters
    head.u16(0);  // reserved
    head.u16(static_cast<uint16_t>(m.name.size()));
    head.bytes(m.name.data(), m.name.size());
    aceHead(w, head.take());
    w.bytes(data.data(), data.size());
  }
  return w.take();
}

}  // namespace vellomar::test
