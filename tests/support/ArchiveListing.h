#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "engine/UArchiveEntry.h"
#include "tests/support/ArchiveBuilders.h"

namespace vellomar::test {

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

inline ListResult listBytes(const ArchiveReader& reader, const Bytes& archive) {
  TempFolder folder;
  return listWith(reader, test::writeBytes(folder, "archive", archive));
}

// Unix times kept in archives are shown as local time; tests read them in UTC.
inline void useUtc() {
  setenv("TZ", "UTC", 1);
  tzset();
}

// Cuts the archive every step bytes from the end down; each cut must list no member that the
// whole archive does not list (by path and name), and run no read past the file.
inline void expectEveryCutSafe(const ArchiveReader& reader, const Bytes& archive, size_t step = 1) {
  TempFolder folder;
  const std::string path = test::writeBytes(folder, "cut", archive);
  const std::vector<std::string> whole = listWith(reader, path).lines;
  for (size_t size = archive.size(); size >= step;) {
    size -= step;
    std::filesystem::resize_file(path, size);
    const ListResult cut = listWith(reader, path);
    ASSERT_LE(cut.lines.size(), whole.size()) << "cut to " << size;
    for (const std::string& line : cut.lines) {
      const std::string key = line.substr(0, line.find('|', line.find('|') + 1) + 1);
      ASSERT_TRUE(std::any_of(whole.begin(), whole.end(),
                              [&](const std::string& w) { return w.starts_with(key); }))
          << "cut to " << size << " lists " << line;
    }
  }
}

}  // namespace vellomar::test
