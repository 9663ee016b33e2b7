#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/api/UApiTypes.h"
#include "export/UFileLine.h"
#include "foundation/UShortString.h"

namespace vellomar {

class TDirCollection;
class TFileCollection;
template <typename T>
class TItemCollection;

// Sort criteria of the file list, as the settings store them.
inline constexpr uint8_t kSortByName = 0;
inline constexpr uint8_t kSortByExt = 1;
inline constexpr uint8_t kSortByTime = 2;
inline constexpr uint8_t kSortBySize = 3;

inline bool IsSelected(const TOneFileLine& line) {
  return (line.Flags & kLineSelected) != 0;
}
void SetSelected(TOneFileLine& line, bool on);

// The lines of one folder in their sort order; the list owns them. The keys are made once per
// load and sorted stably in one pass, so a folder of 100 000 files costs no more than its
// keys, and lines whose keys compare equal ("a.txt" and "A.TXT") keep the engine's order. The
// lines stay where they were copied; the list keeps their order beside them.
class TFileLineList {
 public:
  // Copies the engine's lines, marks the line named focusName (exactly), or, when focusName
  // is empty and forcedNode is set, the non-file line of that folder node; sorts. Returns the
  // index of the first marked line in list order, else 0. forcedNode is cleared when used.
  int32_t load(TFileCollection* files, uint8_t criterion, bool reverse,
               const ShortString& focusName, TDirCollection*& forcedNode);
  // The same from entries already copied.
  int32_t load(const std::vector<TOneFile>& entries, uint8_t criterion, bool reverse);
  void clear() {
    lines_.clear();
    order_.clear();
  }

  int32_t count() const { return lines_.count(); }
  bool empty() const { return lines_.empty(); }
  // Null outside the list.
  TOneFileLine* at(int32_t index);
  const TOneFileLine* at(int32_t index) const;
  // The lines in the order they were copied: for a pass over all of them in any order, which
  // reads them one after the other.
  const TFileLines& copiedLines() const { return lines_; }
  // The index of the ".." line, -1 when there is none.
  int32_t parentLineIndex() const;
  // The first line from `from` on, going round to the top, whose name with its extension
  // begins with prefix ignoring case; -1 when none does. Type-ahead in the list.
  int32_t findByPrefix(std::string_view prefix, int32_t from) const;

  // ---- Selection (bit 1 of a line's flags) ----
  void toggle(int32_t index);
  // True when a line was selected.
  bool unselectAll();
  // Every line but ".."; with persistent selections a fully selected list is unselected instead.
  void selectAll(bool persistent);
  // Toggles every line from `from` (included) towards `to` (excluded), either direction.
  void toggleRange(int32_t from, int32_t to);
  // Unselects everything, then selects every line between a and b, both included.
  void selectOnly(int32_t a, int32_t b);
  // Adds the lines but ".." whose name and extension match any of the masks; unselects nothing.
  void selectMatching(std::span<const ShortString> masks);
  int32_t selectedCount() const;

 private:
  // The lines' sort keys, made as the lines are copied.
  class Places;
  int32_t sortAndFocus(TFileLines lines, Places& places);

  TFileLines lines_;
  std::vector<uint32_t> order_;  // the index in lines_ of each line in list order
};

}  // namespace vellomar
