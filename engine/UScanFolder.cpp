#include "engine/UScanFolder.h"

#include <algorithm>
#include <locale>

#include "platform/PFind.h"
#include "platform/PText.h"

namespace vellomar {

namespace {

// Upper-casing of single characters, the same in every user locale; names are UTF-8.
const std::ctype<wchar_t>& upperCasing() {
  static const std::locale locale = [] {
    try {
      return std::locale("C.UTF-8");
    } catch (const std::runtime_error&) {
      return std::locale::classic();
    }
  }();
  return std::use_facet<std::ctype<wchar_t>>(locale);
}

// The character at text[pos] and its byte length; a byte that starts no valid UTF-8 character
// stands for itself, as an old code page's letter would.
char32_t decodeAt(std::string_view text, size_t& pos) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[pos + i]); };
  const unsigned char lead = byte(0);
  const size_t length = lead < 0xC2 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 1;
  if (length == 1 || length > text.size() - pos) {
    ++pos;
    return lead;
  }
  char32_t cp = lead & (0x7F >> length);
  for (size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) {
      ++pos;
      return lead;
    }
    cp = (cp << 6) | (byte(i) & 0x3F);
  }
  pos += length;
  return cp;
}

bool equalsItsUpperCase(std::string_view name) {
  const std::ctype<wchar_t>& casing = upperCasing();
  for (size_t pos = 0; pos < name.size();) {
    const auto c = static_cast<wchar_t>(decodeAt(name, pos));
    if (casing.toupper(c) != c) return false;
  }
  return true;
}

bool sameFileSystem(const FindEntry& entry, const ScanVolume& volume) {
  return entry.device == volume.Device &&
         (volume.MountId == 0 || entry.mountId == 0 || entry.mountId == volume.MountId);
}

bool picked(const FindEntry& entry, ScanPick pick) {
  if (pick == ScanPick::kFolders) return entry.isDirectory();
  return (entry.attributes & (kAttrDirectory | kAttrVolumeLabel)) == 0 && !entry.isDirectory();
}

}  // namespace

std::optional<ScanVolume> openScanVolume(const std::string& linuxFolder) {
  FindSearch search;
  if (!search.openAt(linuxFolder)) return std::nullopt;
  return ScanVolume{search.device(), search.mountId(), search.caseInsensitiveMedia()};
}

std::vector<ScanEntry> readScanFolder(const std::string& linuxFolder, const ScanVolume& volume,
                                      ScanPick pick) {
  std::vector<ScanEntry> entries;
  FindSearch search;
  // A folder replaced by a mount since its parent was read is not entered either.
  if (!search.openAt(linuxFolder) || search.device() != volume.Device) return entries;
  FindEntry found;
  while (search.next(found)) {
    if (!picked(found, pick)) continue;
    ScanEntry& entry = entries.emplace_back();
    entry.Name = volume.CaseInsensitive ? caseRuleName(found.name) : found.name;
    entry.FoundName = std::move(found.name);
    entry.Size = found.size;
    entry.DosDateTime = found.dosDateTime;
    entry.Attributes = found.attributes;
    entry.Regular = found.kind == EntryKind::kFile;
    entry.Enterable = found.isDirectory() && sameFileSystem(found, volume);
  }
  std::sort(entries.begin(), entries.end(), [](const ScanEntry& a, const ScanEntry& b) {
    return compareTextThenBytes(a.Name, b.Name) < 0;
  });
  return entries;
}

std::string caseRuleName(std::string_view name) {
  return equalsItsUpperCase(name) ? lowerText(name) : std::string(name);
}

}  // namespace vellomar
