#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/api/UApiTypes.h"
#include "foundation/UShortString.h"

namespace vellomar {

// What a file-list line stands for.
inline constexpr uint8_t kLineFile = 0;
inline constexpr uint8_t kLineFolder = 1;
inline constexpr uint8_t kLineParent = 2;  // the ".." entry
inline constexpr uint8_t kLineArchive = 3;

// Bits of a line's flags.
inline constexpr uint8_t kLineFocusMark = 1;
inline constexpr uint8_t kLineSelected = 2;

// One line of a file list: the engine entry's fields, with its name held by the TFileLines that
// made it. A small value, so a folder of 100 000 lines costs no allocation per line.
struct TOneFileLine {
  TDirCollection* SubDir = nullptr;
  const char* NameChars = nullptr;
  int32_t EntryOffset = 0;
  TFileRecord Data;
  uint8_t NameLength = 0;
  uint8_t Kind = kLineFile;
  uint8_t Flags = 0;

  std::string_view Name() const { return {NameChars, NameLength}; }
  // The engine's entry again, for the calls that take one.
  TOneFile Entry() const;
};

// Name and extension as one text.
std::string FullNameOf(const TOneFileLine& line);
std::string FullNameOf(const TOneFile& entry);

// Lines and their names. The names lie in a few large blocks that never move, so a line stays
// valid while the list lives, in whatever order the lines are put.
class TFileLines {
 public:
  TFileLines() = default;
  TFileLines(TFileLines&&) = default;
  TFileLines& operator=(TFileLines&&) = default;
  TFileLines(const TFileLines&) = delete;
  TFileLines& operator=(const TFileLines&) = delete;

  void reserve(size_t lines) { lines_.reserve(lines); }
  TOneFileLine& add(const TOneFile& entry);
  void clear();
  int32_t count() const { return static_cast<int32_t>(lines_.size()); }
  bool empty() const { return lines_.empty(); }
  // Unchecked, as for a vector.
  TOneFileLine& operator[](size_t index) { return lines_[index]; }
  const TOneFileLine& operator[](size_t index) const { return lines_[index]; }
  std::vector<TOneFileLine>::iterator begin() { return lines_.begin(); }
  std::vector<TOneFileLine>::iterator end() { return lines_.end(); }
  std::vector<TOneFileLine>::const_iterator begin() const { return lines_.begin(); }
  std::vector<TOneFileLine>::const_iterator end() const { return lines_.end(); }

 private:
  const char* keepName(std::string_view name);

  std::vector<TOneFileLine> lines_;
  std::vector<std::unique_ptr<char[]>> nameBlocks_;
  size_t blockUsed_ = 0;
};

// ".." is the parent line, an archive shown as a folder an archive line, then folders, files.
uint8_t FileLineKind(const TOneFile& entry);

// The group character that keeps "DiskInfo.txt", "..", folders and files in this sequence from
// the top in either order; the first character of the sort key.
char FileSortGroup(std::string_view name, std::string_view ext, uint8_t kind, bool reverse);

// The key under which a line sorts: a group character that keeps "DiskInfo.txt", "..",
// folders and files in this sequence from the top in either order, then the criterion's text
// (0 name, 1 extension, 2 time, 3 size; time and size so that the newest or largest comes first).
ShortString MakeFileSortKey(const TOneFile& entry, uint8_t kind, uint8_t criterion, bool reverse);
// The same key appended to key, whole: for a caller that keeps many keys in one text.
void AppendFileSortKey(std::string& key, const TOneFile& entry, uint8_t kind, uint8_t criterion,
                       bool reverse);

// A stored 32-bit size, read unsigned: sizes from 2 GiB on are shown as they are, not as
// negative numbers; in kB mode they take the GB step.
ShortString FormatFileSize(int32_t storedSize, bool inKB);
// The same text appended to out.
void AppendFileSize(std::string& out, int32_t storedSize, bool inKB);

}  // namespace vellomar
