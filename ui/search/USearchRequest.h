#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/api/USearchDlgData.h"
#include "ui/search/USearchDates.h"

namespace vellomar {

// What the Search dialog's controls hold.
struct TSearchDlgControls {
  std::string MaskText;
  bool AddWildcards = false;  // the box's tick, also while it is disabled
  bool Phrase = false;
  bool CaseSensitive = false;
  bool StrictMask = false;
  int SearchIn = 0;  // "Go through" index
  bool DiskNames = true;
  bool FileNames = true;
  bool FolderNames = true;
  bool Descriptions = true;
  int DirLevelIndex = 0;  // 0 unlimited, 1 the root folder, 2..10 levels 1..9; -1 none chosen
  int32_t MaxRecs = 1000;
  bool UseMoreOptions = false;

  friend bool operator==(const TSearchDlgControls&, const TSearchDlgControls&) = default;
};

// What the more-options dialog's controls hold.
struct TMoreOptionsControls {
  std::string ExcludeText;
  bool DateFromChecked = false;
  bool DateToChecked = false;
  std::string DateFromText;
  std::string DateToText;
  bool SizeFromChecked = false;
  bool SizeToChecked = false;
  int32_t SizeFromKB = 0;
  int32_t SizeToKB = 0;
  std::string DirMaskText;
  int Key1 = 1;
  int Key2 = 4;
  int Key3 = 2;
  bool SearchAsAnsi = true;
  bool SearchAsOem = false;

  friend bool operator==(const TMoreOptionsControls&, const TMoreOptionsControls&) = default;
};

// The limits the more-options dialog's OK computes: DOS date-times and bytes, 0 for none.
struct TMoreOptionsLimits {
  uint32_t DateFrom = 0;
  uint32_t DateTo = 0;
  uint32_t SizeFrom = 0;
  uint32_t SizeTo = 0;
};

inline constexpr int32_t kMaxRecsLimit = 50000;
// A size limit is kB shifted left by 10 into 32 bits: this is the largest that fits.
inline constexpr int32_t kMaxSizeLimitKB = 4194303;

// "Search also as parts of words" makes sense only for a text without "*".
bool partsOfWordsEnabled(std::string_view mask);
// "Search as phrase" makes sense only for a text with a blank and no double quote.
bool phraseEnabled(std::string_view mask);

// The request the two dialogs state; the more-options part only when it is asked for.
TSearchDlgData ControlsToDlgData(const TSearchDlgControls& search, const TMoreOptionsControls& more,
                                 const TMoreOptionsLimits& limits);
// The Search dialog's controls as the request had them; the more-options dialog is not touched.
void DlgDataToControls(const TSearchDlgData& data, TSearchDlgControls& search);

// The limits of the more-options dialog's OK, each only while its box is ticked: 00:00 of the
// "From:" date, 00:00 of the day after the "To:" date, the sizes in bytes.
TMoreOptionsLimits limitsOf(const TMoreOptionsControls& more, const SearchDate& from,
                            const SearchDate& to);

// A change of one size limit ticks its box and leaves the other limit alone: typing 1100 into
// "To:" passes through 1, 11 and 110, none of which may rewrite "From:".
void sizeFromChanged(TMoreOptionsControls& more, int32_t kb);
void sizeToChanged(TMoreOptionsControls& more, int32_t kb);

// At least one of "Search as ANSI text" and "Search as OEM text" stays ticked.
void keepOneCodePage(TMoreOptionsControls& more);

// A text typed into a combo with history goes on top of it unless an item equals it exactly.
void addToHistory(std::vector<std::string>& history, const std::string& text);

}  // namespace vellomar
