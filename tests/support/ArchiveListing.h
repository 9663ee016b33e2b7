#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "engine/UArchiveEntry.h"

namespace vellomar::testing {

using ArchiveReader = std::function<bool(TArchiveEntryList&, const std::string&)>;

inline std::string formatDosDateTime(int32_t value) {
  const auto v = static_cast<uint32_t>(value);
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", (v >> 25) + 1980,
                (v >> 21) & 15, (v >> 16) & 31, (v >> 11) & 31, (v >> 5) & 63, (v & 31) * 2);
  return text;
}

// One line per entry, in list order: path|name|size|date time.
inline std::vector<std::string> listing(const TArchiveEntryList& list) {
  std::vector<std::string> lines;
  for (const TArchiveEntry* e : list.Items()) {
    lines.push_back(e->Path + "|" + e->Name + "|" + std::to_string(e->Size) + "|" +
                    formatDosDateTime(e->DateTime));
  }
  return lines;
}

struct ListResult {
  bool ok = false;
  std::vector<std::string> lines;
};

inline ListResult listWith(const ArchiveReader& reader, const std::string& path) {
  TArchiveEntryList list;
  ListResult result;
  result.ok = reader(list, path);
  result.lines = listing(list);
  return result;
}

}  // namespace vellomar::testing
