#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ui/search/UFoundFileLines.h"

namespace vellomar {

// One line of the free-space window: a disk with its size and free space in kB.
class TOneELine {
 public:
  TOneELine(int32_t diskSizeKB, int32_t freeKB, std::string_view diskName, std::string_view text,
            int32_t index);

  // Free space as a share of the disk; 0 for a disk without size. In 64 bits, since free kB
  // times 100 passes 32 bits from about 20 GB on.
  int64_t percentage() const;
  bool selected() const { return (Flags & kFoundLineSelected) != 0; }

  int32_t DiskSizeKB = 0;
  int32_t FreeKB = 0;
  std::string DiskName;
  std::string Text;
  int32_t Index = 0;
  uint8_t Flags = 0;
  uint32_t DiskRank = 0;  // the disk name's place among all lines' names (rankFoundEmptyTexts)
};

// The free-space window's one key: 0 free space, 1 disk name, 2 disk size, 3 free percentage.
inline constexpr uint8_t kEmptyModeFree = 0;
inline constexpr uint8_t kEmptyModeDisk = 1;
inline constexpr uint8_t kEmptyModeSize = 2;
inline constexpr uint8_t kEmptyModePercent = 3;

struct TFoundEmptySort {
  uint8_t Mode = kEmptyModeDisk;
  bool Reverse = false;

  // A click on a header: the same mode again reverses the order, another replaces it.
  void choose(uint8_t mode);

  friend bool operator==(const TFoundEmptySort&, const TFoundEmptySort&) = default;
};

// Sets the name ranks of the lines; done once when the lines are made.
void rankFoundEmptyTexts(std::vector<TOneELine>& lines);

// The key of a free-space line in a mode; its name must be ranked.
TLineKey foundEmptyKey(const TOneELine& line, uint8_t mode);

// The mode a header click picks: disk 1, size 2, free 0, free % 3; -1 for the text column.
int foundEmptyHeaderCode(int column);

// As sortFoundFileLines.
bool sortFoundEmptyLines(std::vector<TOneELine>& lines, const TFoundEmptySort& sort,
                         const LineProgress& progress);

std::string percentageText(const TOneELine& line);

// Disk name, size, free space and percentage of the lines selected or on the focused row.
std::string freeSpaceClipboardText(const std::vector<TOneELine>& lines, int32_t focused);

}  // namespace vellomar
