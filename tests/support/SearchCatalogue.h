#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/UDBase.h"
#include "engine/UDescBlock.h"
#include "engine/UEngineFileFind.h"
#include "engine/UMasks.h"
#include "tests/support/CatalogueBuilder.h"

namespace vellomar::testing {

// A description block appended to the catalogue; its offset.
inline int32_t addDescription(TestCatalogue& c, std::string_view text) {
  ByteWriter w;
  writeDescBlock(w, text);
  return c.appendRaw(w.bytes());
}

// Stores request in the handle with its masks parsed as the search API parses them.
inline void setRequest(TDBase& handle, const TSearchDlgData& request) {
  SearchState& s = handle.Search;
  s.SearchMasks.FreeAll();
  s.ExcludeMasks.FreeAll();
  s.DirMasks.FreeAll();
  ParseMaskListEx(request.Mask.view(), s.SearchMasks, request.CaseSensitive, request.AddWildcards,
                  request.Phrase);
  ParseMaskListEx(request.ExcludeMask.view(), s.ExcludeMasks, false, false, false);
  ParseMaskListEx(request.DirMask.view(), s.DirMasks, false, false, false);
  handle.SearchRequest = request;
}

// One found item as "disk|folder|name+ext|short description".
inline std::string foundText(const TFoundItem& item) {
  return GetPStr(item.DiskName).str() + "|" + GetPStr(item.FolderPath).str() + "|" +
         GetPStr(item.Name).str() + std::string(item.Ext.view()) + "|" +
         GetPStr(item.ShortDesc).str();
}

inline std::vector<std::string> foundTexts(const TDBase& handle) {
  std::vector<std::string> texts;
  for (const TFoundItem* item : handle.Search.Found.Items()) texts.push_back(foundText(*item));
  return texts;
}

// The names of the live disks in key order.
inline std::vector<std::string> liveDiskNames(TDBase& handle) {
  KeyTable& keys = handle.keyTable();
  std::vector<std::string> names;
  for (int32_t i = 0; i < keys.keys().LiveCount; ++i) {
    names.push_back(keys.ReadDiskName(keys.keys().Keys[static_cast<size_t>(i)].Offset).str());
  }
  return names;
}

}  // namespace vellomar::testing
