#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/api/USearchDlgData.h"

namespace vellomar {

// A result window's caption: the search text + ": " + the database window's caption, cut to
// its first 26 characters + " ..." when longer than 30 characters.
std::string foundWindowCaption(std::string_view mask, std::string_view dbaseCaption);

// The mask of "Find selected files": each name followed by a blank, quoted when it holds one.
struct TSelectedFilesMask {
  std::string Mask;
  bool Incomplete = false;  // a name did not fit into the 254 characters; it and the rest are out
};
TSelectedFilesMask selectedFilesMask(const std::vector<std::string>& names);

// The request of "Find selected files" over the last one: names and folders of any case,
// through the whole database.
void presetFindSelectedFiles(TSearchDlgData& data, const std::string& mask);
// The request of a search asked for on the command line.
void presetFindFileName(TSearchDlgData& data, const std::string& text);

}  // namespace vellomar
