#include "ui/search/USearchCommands.h"

#include "foundation/UShortString.h"

namespace vellomar {

namespace {

constexpr size_t kCaptionCharacters = 30;
constexpr size_t kCutCaptionCharacters = 26;
constexpr size_t kSelectedMaskLimit = 254;

// Bytes of the first n characters of UTF-8 text; bytes that are not UTF-8 count one each.
size_t bytesOfCharacters(std::string_view text, size_t n) {
  size_t at = 0;
  for (size_t count = 0; count < n && at < text.size(); ++count) {
    // A character ends where the cut rule first cuts nothing in two.
    const std::string_view rest = text.substr(at);
    size_t length = 1;
    while (length < 4 && utf8CutLength(rest, length) != length) ++length;
    at += length;
  }
  return at;
}

}  // namespace

std::string foundWindowCaption(std::string_view mask, std::string_view dbaseCaption) {
  std::string caption(mask);
  caption += ": ";
  caption += dbaseCaption;
  if (bytesOfCharacters(caption, kCaptionCharacters) == caption.size()) return caption;
  return caption.substr(0, bytesOfCharacters(caption, kCutCaptionCharacters)) + " ...";
}

TSelectedFilesMask selectedFilesMask(const std::vector<std::string>& names) {
  TSelectedFilesMask result;
  for (const std::string& name : names) {
    const std::string piece =
        name.find(' ') == std::string::npos ? name + " " : "\"" + name + "\" ";
    if (result.Mask.size() + piece.size() > kSelectedMaskLimit) {
      result.Incomplete = true;
      break;
    }
    result.Mask += piece;
  }
  return result;
}

void presetFindSelectedFiles(TSearchDlgData& data, const std::string& mask) {
  data.Mask = ShortString(mask);
  data.MaxRecs = 10000;
  data.CaseSensitive = false;
  data.SearchIn = SearchScope::kWholeDatabase;
  data.FileNames = true;
  data.FolderNames = true;
  data.Descriptions = false;
  data.ScanDirLevel = -1;
  data.MoreOptionsActive = false;
  data.AddWildcards = false;
  data.Phrase = false;
}

void presetFindFileName(TSearchDlgData& data, const std::string& text) {
  presetFindSelectedFiles(data, text);
  data.MaxRecs = 1000;
  data.SortKey1 = FoundSortKey::kNameExt;
  data.SortKey2 = FoundSortKey::kDateTime;
  data.SortKey3 = FoundSortKey::kDiskFolder;
}

}  // namespace vellomar
