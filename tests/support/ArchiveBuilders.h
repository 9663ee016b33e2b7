#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/UByteReader.h"
#include "tests/support/TempFolder.h"

namespace vellomar::test {

using Bytes = std::vector<uint8_t>;

// Writes bytes to name inside the folder and returns its path.
std::string writeBytes(const TempFolder& folder, std::string_view name, const Bytes& bytes);
Bytes textBytes(std::string_view text);
// Whether a command-line tool is installed, for tests that make archives with it.
bool haveTool(const std::string& name);
// Runs a shell command in folder; true when it exits with 0.
bool runIn(const std::filesystem::path& folder, const std::string& command);

// DOS date-time of a calendar time.
uint32_t dosDateTime(int year, int month, int day, int hour, int minute, int second);

// ZIP archives with stored members of zero-filled data.
struct ZipMember {
  std::string name;
  uint32_t size = 0;
  uint32_t dateTime = 0;
  uint16_t flags = 0;
};
struct ZipLayout {
  Bytes prefix;  // bytes in front of the archive, as a self-extractor has them
  std::vector<ZipMember> members;
  size_t commentSize = 0;
  bool zip64Records = false;  // a ZIP64 end record and locator before the end record
};
Bytes buildZip(const ZipLayout& layout);

// RAR (1.5 to 4) blocks, one by one.
class RarBuilder {
 public:
  // Starts with the marker and the archive header. Heads carry their CRCs only with headCrcs:
  // the RAR library refuses heads without, so that the engine's own walk lists the archive.
  explicit RarBuilder(uint16_t archiveFlags = 0, bool headCrcs = false);
  // A member of zero-filled data made on host (2 Windows, 3 Unix).
  RarBuilder& file(std::string_view name, uint32_t size, uint32_t dateTime, uint32_t attributes,
                   uint16_t flags = 0x8000, uint8_t host = 2);
  // Any block: a head of headSize bytes (zero-filled after the 7-byte head) and dataSize bytes
  // after it; with flag 0x8000 the uint32 at +7 holds dataSize.
  RarBuilder& block(uint8_t type, uint16_t flags, uint16_t headSize, uint32_t dataSize);
  RarBuilder& end();
  Bytes bytes() const { return writer_.bytes(); }

 private:
  // The CRC of the head, then the head from its type on.
  void writeHead(const Bytes& afterCrc);

  bool headCrcs_;
  ByteWriter writer_;
};

// LHA headers of levels 0, 1 and 2 with zero-filled data.
struct LhaMember {
  std::string name;    // as stored: level 0 whole in the header, levels 1 and 2 in extensions
  std::string folder;  // levels 1 and 2: the folder extension, parts separated by 0xFF
  uint32_t size = 0;
  uint32_t time = 0;  // DOS date-time for levels 0 and 1, Unix time for level 2
  uint8_t attr = 0x20;
  uint8_t level = 0;
};
Bytes buildLha(const std::vector<LhaMember>& members, bool endMark = true);

// ARC archives: 29-byte headers (name field of 13 bytes, copied as given, cut or zero-padded),
// zero-filled data, the end mark 1A 00.
struct ArcMember {
  std::string nameField;
  uint32_t size = 0;
  uint32_t dateTime = 0;
};
Bytes buildArc(const std::vector<ArcMember>& members);

// ARJ archives: a main header, members, the end mark.
struct ArjMember {
  std::string name;
  uint32_t size = 0;
  uint32_t time = 0;
  uint8_t host = 0;
  uint8_t fileType = 0;
};
Bytes buildArj(std::string_view archiveName, const std::vector<ArjMember>& members);
// One ARJ header, id to CRC, with an empty extended-header list.
Bytes arjHeader(std::string_view name, const ArjMember& member);

// ACE 2.0 archives: a main header and stored members of zero-filled data.
struct AceMember {
  std::string name;
  uint32_t size = 0;
  uint32_t dateTime = 0;
};
Bytes buildAce(const std::vector<AceMember>& members);

}  // namespace vellomar::test
