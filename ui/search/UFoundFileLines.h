#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/api/UApiSearch.h"
#include "engine/api/UApiTypes.h"
#include "engine/api/USearchDlgData.h"

namespace vellomar {

// Bit of a result line's flags: the line is selected.
inline constexpr uint8_t kFoundLineSelected = 2;

// The disk and folder of the lines of one folder, kept once for them all.
struct FoundLinePlace {
  std::string_view DiskName;
  std::string_view Folder;
};

// The texts of a window's lines, each kept once in blocks that never move, so that a line is
// a small value viewing them.
class FoundLineTexts {
 public:
  std::string_view keep(std::string_view text);
  const FoundLinePlace* keepPlace(std::string_view diskName, std::string_view folder);

 private:
  std::vector<std::unique_ptr<char[]>> blocks_;
  char* free_ = nullptr;
  size_t room_ = 0;
  std::deque<FoundLinePlace> places_;
};

// One line of the found-files window: a copy of a found item whose texts lie in the window's
// FoundLineTexts, so the window stands without the engine's found list.
class TOneFLine {
 public:
  // The found item at index of the engine's found list, not selected; its disk and folder are
  // the line's before it when they are the same.
  TOneFLine(const TFoundItemView& item, int32_t index, FoundLineTexts& texts,
            const TOneFLine* previous);

  std::string_view name() const { return {name_, nameLength_}; }  // without the extension
  std::string_view diskName() const { return place_->DiskName; }
  std::string_view folder() const { return place_->Folder; }
  std::string_view shortDesc() const { return {desc_, descLength_}; }
  // Lines of one place have one disk and folder.
  const FoundLinePlace* place() const { return place_; }
  // Name and extension as one file name.
  std::string nameExt() const;
  // The engine's record of the item (no folder node).
  TOneFile file() const;
  bool selected() const { return (Flags & kFoundLineSelected) != 0; }
  bool isFolder() const { return (Data.Attr & kAttrFolder) != 0; }

  TFileRecord Data;  // size, date-time, attributes, extension, description offset
  int32_t EntryOffset = 0;
  int32_t Index = 0;  // place in the engine's found list: the line's identity across sorts
  // The places of the line's texts among all lines' texts (rankFoundFileTexts), so that every
  // sort of the window compares numbers.
  uint32_t NameRank = 0;
  uint32_t ExtRank = 0;
  uint32_t DiskRank = 0;
  uint32_t FolderRank = 0;
  uint8_t Flags = 0;

 private:
  // Lengths and views apart, so that a line of 50 000 takes few bytes.
  uint8_t nameLength_;
  uint8_t descLength_;
  const char* name_;
  const FoundLinePlace* place_;
  const char* desc_;
};

// Sort-key codes of the found-files window.
inline constexpr uint8_t kFoundKeyNameExt = 0;
inline constexpr uint8_t kFoundKeyExtName = 1;
inline constexpr uint8_t kFoundKeyDateTime = 2;
inline constexpr uint8_t kFoundKeySize = 3;
inline constexpr uint8_t kFoundKeyDiskFolder = 4;
inline constexpr uint8_t kFoundKeyFolderDisk = 5;

// The three keys the window sorts by, and its reverse flag.
struct TFoundFileSort {
  uint8_t SortKey1 = kFoundKeyExtName;
  uint8_t SortKey2 = kFoundKeyDiskFolder;
  uint8_t SortKey3 = kFoundKeyDateTime;
  bool Reverse = false;

  // A click on a header: the first key again reverses the order, another key moves to the front.
  void choose(uint8_t code);

  friend bool operator==(const TFoundFileSort&, const TFoundFileSort&) = default;
};

// The keys a search request asks for.
TFoundFileSort foundFileSortOf(const TSearchDlgData& request);

// The code a header click picks: disk 4, folder 5, file 0 or 1 by the half clicked, size 3,
// date and time 2; -1 for the description.
int foundFileHeaderCode(int column, bool rightHalf);

// Told of each line made while filling or sorting; false stops.
using LineProgress = std::function<bool(int32_t done, int32_t total)>;

// Lists of more lines than this show the "Sorting" progress window.
inline constexpr int32_t kSortingProgressFrom = 701;
// Whether the progress of a list of total lines is shown after line done.
bool sortingProgressDue(int32_t done, int32_t total);

// A line's sort key, made once per line: up to six numbers compared in turn.
struct TLineKey {
  std::array<uint32_t, 6> Parts{};
  uint8_t Count = 0;

  void add(uint32_t value) { Parts[Count++] = value; }
  void largestFirst(uint32_t value) { add(0xFFFFFFFFu - value); }
};

// The order of the keys; equal keys keep their order, descending reverses the comparison.
std::vector<int32_t> sortedOrder(const std::vector<TLineKey>& keys, bool descending);

// Puts lines into the order of their keys (keyOf(line) gives one); false, with lines untouched,
// when the progress stopped it.
template <class Line, class KeyOf>
bool sortLines(std::vector<Line>& lines, KeyOf keyOf, bool descending,
               const LineProgress& progress) {
  const auto total = static_cast<int32_t>(lines.size());
  std::vector<TLineKey> keys;
  keys.reserve(lines.size());
  for (int32_t i = 0; i < total; ++i) {
    keys.push_back(keyOf(lines[static_cast<size_t>(i)]));
    if (progress && !progress(i + 1, total)) return false;
  }
  // Each line moves once, along the cycles of the order: no second list of lines is made.
  const std::vector<int32_t> order = sortedOrder(keys, descending);
  std::vector<bool> placed(lines.size(), false);
  for (size_t start = 0; start < lines.size(); ++start) {
    if (placed[start]) continue;
    Line held = std::move(lines[start]);
    size_t at = start;
    for (;;) {
      placed[at] = true;
      const auto from = static_cast<size_t>(order[at]);
      if (from == start) break;
      lines[at] = std::move(lines[from]);
      at = from;
    }
    lines[at] = std::move(held);
  }
  return true;
}

// Sets the text ranks of the lines; done once when the lines are made.
void rankFoundFileTexts(std::vector<TOneFLine>& lines);

// The key of a found-files line under the window's three keys; its texts must be ranked.
TLineKey foundFileKey(const TOneFLine& line, const TFoundFileSort& sort);

// The lines in the order of sort; false, with lines untouched, when the progress stopped it.
bool sortFoundFileLines(std::vector<TOneFLine>& lines, const TFoundFileSort& sort,
                        const LineProgress& progress);

// The size column: "(folder)" for a folder, "(disk)" for a found disk name (neither size nor
// date-time), else the size read unsigned.
std::string foundSizeText(const TOneFLine& line, bool inKB);

// Disk, folder, name, size, date, time and short description of the lines selected or on the
// focused row, in list order, tab-separated, each ended by CR LF; date and time empty when
// the line has none.
std::string foundFilesClipboardText(const std::vector<TOneFLine>& lines, int32_t focused,
                                    bool showSeconds, bool inKB);

}  // namespace vellomar
