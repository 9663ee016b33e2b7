#include "engine/UArchiveArc.h"

#include "engine/UArchiveFile.h"
#include "engine/UMemberNames.h"
#include "platform/PAsciiText.h"

namespace vellomar {
namespace {

constexpr size_t kHeaderSize = 29;
constexpr size_t kNameFieldSize = 13;
constexpr uint8_t kHeaderMark = 0x1A;

}  // namespace

bool ReadArcArchive(TArchiveEntryList& list, const std::string& path) {
  return listArchive(list, path, [&](ArchiveFile& file) {
    bool listed = false;
    uint64_t position = 0;
    while (true) {
      ByteReader header = file.read(position, kHeaderSize);
      const uint8_t mark = header.u8();
      header.skip(1);
      const std::string_view nameField = asText(header.bytes(kNameFieldSize));
      const uint32_t packedSize = header.u32();
      const uint16_t date = header.u16();
      const uint16_t time = header.u16();
      header.skip(2);
      const uint32_t size = header.u32();
      const size_t nameEnd = nameField.find('\0');
      if (!header.ok() || mark != kHeaderMark || nameEnd == 0 || nameEnd >= kNameFieldSize) break;
      const int32_t dateTime = static_cast<int32_t>(uint32_t{date} << 16 | time);
      addArchiveMember(list,
                       memberName(trim(nameField.substr(0, nameEnd), kSpaces), NameCoding::kOem), 0,
                       dateTime, size, 0);
      listed = true;
      const uint64_t next = position + kHeaderSize + packedSize;
      if (next >= file.size()) break;
      position = next;
    }
    return listed;
  });
}

}  // namespace vellomar
