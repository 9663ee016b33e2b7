#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/UApiTypes.h"
#include "foundation/UShortString.h"

namespace vellomar {

class TDirCollection;
class TFileCollection;
class TMaskItem;
template <typename T>
class TItemCollection;

enum class FileLineKind : uint8_t { kFile = 0, kFolder = 1, kParent = 2, kArchive = 3 };

// Sort criteria of the file list, as the settings store them.
inline constexpr uint8_t kSortByName = 0;
inline constexpr uint8_t kSortByExt = 1;
inline constexpr uint8_t kSortByTime = 2;
inline constexpr uint8_t kSortBySize = 3;

// One line of a file list: the window's own copy of the engine's entry. Also the line the
// print and export code walk.
class TOneFileLine {
 public:
  static constexpr uint8_t kFocusMark = 0x01;
  static constexpr uint8_t kSelected = 0x02;

  explicit TOneFileLine(const TOneFile& entry);

  TOneFile Entry;
  FileLineKind Kind;
  uint8_t Flags = 0;

  // Name and extension as one text.
  std::string fullName() const;
  bool selected() const { return (Flags & kSelected) != 0; }
  void setSelected(bool on);
  // Folders and archives lead somewhere; so does "..".
  bool isFolderLike() const { return Kind != FileLineKind::kFile; }
};

// The key a line sorts under: a group character that keeps "DiskInfo.txt", "..", folders and
// files in this order from the top in both directions, then the body of the criterion. Dates
// and sizes are written as ten digits of 4294967295 minus the unsigned value, so the newest
// and largest come first for every 32-bit value (dates from 2044 on set the top bit).
ShortString MakeFileSortKey(const TOneFile& entry, FileLineKind kind, uint8_t criterion,
                            bool reverse);

// The lines of one folder in their sort order; the list owns them. Sorting happens once per
// load, stably, so lines whose keys compare equal stay in the engine's order.
class TFileLineList {
 public:
  // Copies the engine's lines, marks the line named focusName (exactly), or, when focusName
  // is empty and forcedNode is set, the non-file line of that folder node; sorts. Returns the
  // index of the first marked line in list order, else 0. forcedNode is cleared when used.
  int32_t load(TFileCollection* files, uint8_t criterion, bool reverse,
               const ShortString& focusName, TDirCollection*& forcedNode);
  // The same from lines already copied (tests and the benchmark feed them directly).
  int32_t load(std::vector<TOneFileLine> lines, uint8_t criterion, bool reverse);
  void clear() { lines_.clear(); }

  int32_t count() const { return static_cast<int32_t>(lines_.size()); }
  bool empty() const { return lines_.empty(); }
  // Null outside the list.
  TOneFileLine* at(int32_t index);
  const TOneFileLine* at(int32_t index) const;
  // The index of the ".." line, -1 when there is none.
  int32_t parentLineIndex() const;

  // ---- Selection (bit 1 of a line's flags) ----
  void toggle(int32_t index);
  // True when a line was selected.
  bool unselectAll();
  // With persistent selections a fully selected list is unselected instead.
  void selectAll(bool persistent);
  // Toggles every line from `from` (included) towards `to` (excluded), either direction.
  void toggleRange(int32_t from, int32_t to);
  // Unselects everything, then selects every line between a and b, both included.
  void selectOnly(int32_t a, int32_t b);
  // Adds the lines whose name and extension match any of the masks; unselects nothing.
  void selectMatching(const TItemCollection<TMaskItem>& masks);
  int32_t selectedCount() const;

 private:
  int32_t sortAndFocus(std::vector<TOneFileLine>& lines, uint8_t criterion, bool reverse);

  std::vector<TOneFileLine> lines_;
};

}  // namespace vellomar
