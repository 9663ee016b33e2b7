#include "engine/UArchiveArj.h"

#include <span>

#include "engine/UArchiveFile.h"
#include "engine/UMemberNames.h"
#include "foundation/UCrc32.h"

namespace vellomar {
namespace {

constexpr uint8_t kHeaderId0 = 0x60;
constexpr uint8_t kHeaderId1 = 0xEA;
constexpr size_t kHeaderHeadSize = 4;  // the id and the basic header size
constexpr size_t kCrcSize = 4;
constexpr uint16_t kMaxBasicHeaderSize = 2600;
constexpr size_t kFixedHeaderSize = 30;
// Headers are searched no further than this in front of the file end.
constexpr uint64_t kTailReserve = 40;
constexpr uint64_t kSearchSpan = 1024;
constexpr size_t kCandidateArea = 65520;
constexpr size_t kMaxCandidates = 100;
constexpr uint8_t kBinaryFile = 0;
constexpr uint8_t kTextFile = 1;
constexpr uint8_t kMainHeaderType = 2;
constexpr uint8_t kUnixHost = 2;

enum class Search { kFound, kArchiveEnd, kNone };

class ArjWalk {
 public:
  ArjWalk(ArchiveFile& file, TArchiveEntryList& list)
      : file_(file), list_(list), limit_(file.size() - std::min(file.size(), kTailReserve)) {}

  bool run(uint64_t start) {
    if (limit_ == 0) return false;
    uint64_t header = 0;
    if (findHeader(start, header) != Search::kFound && !findByCandidates(header)) return false;
    bool read = false;
    while (listHeader(header)) {
      read = true;
      if (findHeader(next_, header) != Search::kFound) break;
    }
    return read;
  }

 private:
  // A header is the id, a basic header size of 1..2600 and a basic header whose CRC matches;
  // anything else is passed over one byte at a time.
  Search findHeader(uint64_t from, uint64_t& found) {
    const uint64_t stop = std::min(limit_, from + kSearchSpan);
    for (uint64_t position = from; position < stop; ++position) {
      ByteReader r = file_.read(position, kHeaderHeadSize + kMaxBasicHeaderSize + kCrcSize);
      if (r.u8() != kHeaderId0 || r.u8() != kHeaderId1) continue;
      const uint16_t basicSize = r.u16();
      if (r.ok() && basicSize == 0) return Search::kArchiveEnd;
      if (basicSize > kMaxBasicHeaderSize) continue;
      const std::span<const uint8_t> basic = r.bytes(basicSize);
      if (r.ok() && r.u32() == crc32Of(basic) && r.ok()) {
        found = position;
        return Search::kFound;
      }
    }
    return Search::kNone;
  }

  // Where the first search found nothing, each id in the first bytes is tried in turn.
  bool findByCandidates(uint64_t& found) {
    ByteReader area = file_.read(0, kCandidateArea);
    const std::span<const uint8_t> bytes = area.bytes(area.size());
    size_t candidates = 0;
    for (size_t i = 1; i + 1 < bytes.size() && candidates < kMaxCandidates; ++i) {
      if (bytes[i] != kHeaderId0 || bytes[i + 1] != kHeaderId1) continue;
      ++candidates;
      if (findHeader(i, found) == Search::kFound) return true;
    }
    return false;
  }

  // Lists the header at position (already checked) and sets where the next search begins.
  bool listHeader(uint64_t position) {
    ByteReader r = file_.read(position + 2, 2);
    const uint16_t basicSize = r.u16();
    ByteReader basic = file_.read(position + kHeaderHeadSize, basicSize);
    const uint8_t firstHeaderSize = basic.u8();
    basic.skip(2);
    const uint8_t host = basic.u8();
    basic.skip(2);
    const uint8_t fileType = basic.u8();
    basic.skip(1);
    const uint32_t time = basic.u32();
    const uint32_t packedSize = basic.u32();
    const uint32_t size = basic.u32();
    if (!basic.ok() || basicSize < kFixedHeaderSize || firstHeaderSize > basicSize) return false;
    basic.seek(firstHeaderSize);
    // Every ARJ writer uses "/" only to separate folders, whatever the path flag says; on Unix
    // it stores names in the system's own coding, UTF-8.
    const MemberName name = memberName(asText(basic.bytes(basic.remaining())),
                                       host == kUnixHost ? NameCoding::kUtf8 : NameCoding::kOem);
    const int32_t dateTime =
        host == kUnixHost ? dosDateTimeFromUnix(time) : static_cast<int32_t>(time);
    // The main header, folders and labels are no members.
    if (fileType == kBinaryFile || fileType == kTextFile) {
      addArchiveMember(list_, name, 0, dateTime, size, offset32(position));
    }

    // Extended headers: a size, that many bytes and their CRC, until a size of 0.
    uint64_t data = position + kHeaderHeadSize + basicSize + kCrcSize;
    for (uint16_t extended = file_.read(data, 2).u16(); extended != 0;
         extended = file_.read(data, 2).u16()) {
      data += 2 + extended + kCrcSize;
    }
    data += 2;
    next_ = fileType == kMainHeaderType ? data : std::min(data + packedSize, limit_);
    return true;
  }

  ArchiveFile& file_;
  TArchiveEntryList& list_;
  const uint64_t limit_;
  uint64_t next_ = 0;
};

}  // namespace

bool ReadArjArchive(TArchiveEntryList& list, const std::string& path, uint64_t start) {
  return listArchive(list, path, [&](ArchiveFile& file) { return ArjWalk(file, list).run(start); });
}

}  // namespace vellomar
