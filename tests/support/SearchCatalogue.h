#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/UDBase.h"
#include "engine/UDescBlock.h"
#include "engine/UEngineFileFind.h"
#include "engine/UMasks.h"
#include "engine/api/UApiSearch.h"
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

// The found items as "disk|folder|name+ext|short description", read as the windows read them.
inline std::vector<std::string> foundTexts(TDBase& handle) {
  std::vector<std::string> texts;
  for (int32_t i = 0; i < ApiFoundCount(&handle); ++i) {
    TOneFile record;
    ShortString disk, folder, desc;
    ApiGetFoundItem(&handle, i, record, disk, folder, desc);
    texts.push_back(disk.str() + "|" + folder.str() + "|" + record.Name.str() +
                    std::string(record.Data.Ext.view()) + "|" + desc.str());
  }
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
