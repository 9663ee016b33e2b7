#include "ui/search/USearchRequest.h"

#include <algorithm>

namespace vellomar {

namespace {

int32_t clampKB(int32_t kb) {
  return std::clamp(kb, 0, kMaxSizeLimitKB);
}

FoundSortKey sortKeyOf(int index) {
  return static_cast<FoundSortKey>(std::clamp(index, 0, 4));
}

}  // namespace

bool partsOfWordsEnabled(std::string_view mask) {
  return !mask.empty() && mask.find('*') == std::string_view::npos;
}

bool phraseEnabled(std::string_view mask) {
  return mask.find(' ') != std::string_view::npos && mask.find('"') == std::string_view::npos;
}

TSearchDlgData ControlsToDlgData(const TSearchDlgControls& search, const TMoreOptionsControls& more,
                                 const TMoreOptionsLimits& limits) {
  TSearchDlgData data;
  data.Mask = ShortString(search.MaskText);
  data.AddWildcards = partsOfWordsEnabled(search.MaskText) && search.AddWildcards;
  data.Phrase = phraseEnabled(search.MaskText) && search.Phrase;
  data.MaxRecs = std::clamp(search.MaxRecs, 1, kMaxRecsLimit);
  data.CaseSensitive = search.CaseSensitive;
  data.StrictMask = search.StrictMask;
  data.SearchIn = static_cast<SearchScope>(std::clamp(search.SearchIn, 0, 3));
  data.DiskNames = search.DiskNames;
  data.FileNames = search.FileNames;
  data.FolderNames = search.FolderNames;
  data.Descriptions = search.Descriptions;
  data.ScanDirLevel = search.DirLevelIndex < 0 ? -1 : search.DirLevelIndex - 1;
  data.UseMoreOptions = search.UseMoreOptions;
  if (!search.UseMoreOptions) {
    ResetMoreOptions(data);
    return data;
  }
  data.ExcludeMask = ShortString(more.ExcludeText);
  data.DirMask = ShortString(more.DirMaskText);
  data.DateFrom = limits.DateFrom;
  data.DateTo = limits.DateTo;
  data.SizeFrom = limits.SizeFrom;
  data.SizeTo = limits.SizeTo;
  data.SortKey1 = sortKeyOf(more.Key1);
  data.SortKey2 = sortKeyOf(more.Key2);
  data.SortKey3 = sortKeyOf(more.Key3);
  data.SearchAsAnsi = more.SearchAsAnsi;
  data.SearchAsOem = more.SearchAsOem;
  data.MoreOptionsActive = MoreOptionsInForce(data);
  return data;
}

void DlgDataToControls(const TSearchDlgData& data, TSearchDlgControls& search) {
  search.MaskText = data.Mask.str();
  search.AddWildcards = data.AddWildcards;
  search.Phrase = data.Phrase;
  search.MaxRecs = data.MaxRecs;
  search.CaseSensitive = data.CaseSensitive;
  search.StrictMask = data.StrictMask;
  search.SearchIn = static_cast<int>(data.SearchIn);
  search.DiskNames = data.DiskNames;
  search.FileNames = data.FileNames;
  search.FolderNames = data.FolderNames;
  search.Descriptions = data.Descriptions;
  search.DirLevelIndex = data.ScanDirLevel + 1;
  search.UseMoreOptions = data.UseMoreOptions;
}

TMoreOptionsLimits limitsOf(const TMoreOptionsControls& more, const SearchDate& from,
                            const SearchDate& to) {
  TMoreOptionsLimits limits;
  if (more.DateFromChecked) limits.DateFrom = dosDateLimit(from);
  if (more.DateToChecked) limits.DateTo = dosDateLimit(stepSearchDate(to, DateStep::kDayUp));
  if (more.SizeFromChecked) limits.SizeFrom = static_cast<uint32_t>(clampKB(more.SizeFromKB)) << 10;
  if (more.SizeToChecked) limits.SizeTo = static_cast<uint32_t>(clampKB(more.SizeToKB)) << 10;
  return limits;
}

void sizeFromChanged(TMoreOptionsControls& more, int32_t kb) {
  more.SizeFromKB = clampKB(kb);
  more.SizeFromChecked = true;
}

void sizeToChanged(TMoreOptionsControls& more, int32_t kb) {
  more.SizeToKB = clampKB(kb);
  more.SizeToChecked = true;
}

void keepOneCodePage(TMoreOptionsControls& more) {
  if (!more.SearchAsOem) more.SearchAsAnsi = true;
}

void addToHistory(std::vector<std::string>& history, const std::string& text) {
  if (std::find(history.begin(), history.end(), text) == history.end()) {
    history.insert(history.begin(), text);
  }
}

}  // namespace vellomar
