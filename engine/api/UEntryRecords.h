#pragma once

// The whole layout of the catalogue file, of which this is a piece: engine/FORMAT.md.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "foundation/UByteReader.h"

namespace vellomar {

enum class BlockForm;  // engine/UBlockHead.h

// Attribute bits beside the file system's own.
inline constexpr uint16_t kAttrFolder = 0x10;
inline constexpr uint16_t kAttrArchiveFolder = 0x100;  // an archive shown as a folder
inline constexpr uint16_t kAttrUserDesc = 0x200;       // description written by the user

// A string[4] field: an extension with its dot. Kept inline, since millions of entries carry one.
class ExtensionString {
 public:
  static constexpr size_t kCapacity = 4;

  ExtensionString() = default;
  // Longer text is cut at the last whole character that fits.
  ExtensionString(std::string_view text);  // NOLINT(google-explicit-constructor): used as a value
  ExtensionString(const char* text) : ExtensionString(std::string_view(text)) {}

  size_t length() const { return length_; }
  bool empty() const { return length_ == 0; }
  std::string_view view() const { return {chars_.data(), length_}; }

  friend bool operator==(const ExtensionString& a, const ExtensionString& b) {
    return a.view() == b.view();
  }

 private:
  uint8_t length_ = 0;
  std::array<char, kCapacity> chars_{};
};

// One file entry of a file list; also the first 19 bytes of a folder's data. Its file offset is
// the entry offset that description editing rewrites in place.
struct TFileRecord {
  int32_t DescOffset = 0;  // description block, 0 none
  int32_t DateTime = 0;    // DOS date and time
  int32_t Size = 0;
  uint16_t Attr = 0;
  ExtensionString Ext;

  friend bool operator==(const TFileRecord&, const TFileRecord&) = default;
};
inline constexpr size_t kFileRecordSize = 19;
inline constexpr size_t kFileRecordAttrOffset = 12;
inline constexpr size_t kFileRecordExtensionOffset = 14;

// The data of one folder in a disk block. The older form stops after FileListOffset.
struct TDirData {
  int32_t DescOffset = 0;
  int32_t DateTime = 0;
  int32_t Size = 0;
  uint16_t Attr = 0;
  ExtensionString Ext;
  int32_t FileListOffset = 0;  // file-list block, 0 none
  int32_t FileCount = 0;
  int64_t FilesSize = 0;
  std::array<uint8_t, 4> Reserved{};  // carried unchanged

  friend bool operator==(const TDirData&, const TDirData&) = default;
};
inline constexpr size_t kDirDataSize = 39;
inline constexpr size_t kOldDirDataSize = 23;
static_assert(kDirDataSize == kFileRecordSize + 4 + 4 + 8 + 4);
static_assert(kOldDirDataSize == kFileRecordSize + 4);

// The 32-bit size field of an entry is unsigned: sizes up to 4 GiB - 1 are exact, larger ones
// are kept as 0xFFFFFFFF. The 64-bit totals keep exact sums.
int32_t storedFileSize(uint64_t size);
int64_t fileSizeOf(int32_t stored);

TFileRecord readFileRecord(ByteReader& r);
// The extension of the 19 record bytes alone, left in them: a name is tested before the rest
// is decoded.
std::string_view recordExtension(std::span<const uint8_t> record);
void writeFileRecord(ByteWriter& w, const TFileRecord& record);

// Older form: 23 bytes, the fields behind FileListOffset zero.
TDirData readDirData(ByteReader& r, BlockForm form);
void writeDirData(ByteWriter& w, const TDirData& data);

// The folder's entry as a line of its parent's file list shows it.
TFileRecord fileRecordOf(const TDirData& data);

}  // namespace vellomar
