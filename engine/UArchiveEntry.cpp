#include "engine/UArchiveEntry.h"

#include <algorithm>
#include <vector>

#include "foundation/UShortString.h"
#include "platform/PText.h"

namespace vellomar {
namespace {

bool isAsciiLower(char c) {
  return c >= 'a' && c <= 'z';
}

// Whether text has a character that upper-casing would change. A character beyond ASCII
// counts as lower case unless lower-casing changes it, so caseless scripts keep their case
// rather than lose it.
bool hasLowerCase(std::string_view text) {
  size_t position = 0;
  while (position < text.size()) {
    const auto byte = static_cast<uint8_t>(text[position]);
    if (byte < 0x80) {
      if (isAsciiLower(text[position])) return true;
      ++position;
      continue;
    }
    size_t end = position + 1;
    while (end < text.size() && (static_cast<uint8_t>(text[end]) & 0xC0) == 0x80) ++end;
    const std::string_view character = text.substr(position, end - position);
    if (lowerText(character) == character) return true;
    position = end;
  }
  return false;
}

std::string_view limitText(std::string_view text) {
  return text.substr(0, utf8CutLength(text, TArchiveEntry::kMaxText));
}

}  // namespace

std::string applyNameCase(std::string_view text) {
  return hasLowerCase(text) ? std::string(text) : lowerText(text);
}

TArchiveEntry::TArchiveEntry(std::string_view path, std::string_view name, uint8_t attr,
                             int32_t dateTime, uint32_t size, int32_t headerOffset)
    : Attr(attr),
      DateTime(dateTime),
      Size(size),
      Name(name.empty() ? std::string(" ") : std::string(limitText(applyNameCase(name)))),
      Path(limitText(applyNameCase(path))),
      HeaderOffset(headerOffset) {}

int CompareArchiveEntries(const TArchiveEntry& a, const TArchiveEntry& b) {
  // std::string compares its chars as unsigned bytes.
  if (const int c = a.Path.compare(b.Path); c != 0) return c;
  return a.Name.compare(b.Name);
}

void TArchiveEntryList::Append(std::unique_ptr<TArchiveEntry> entry) {
  InsertAt(Count(), entry.get());
  entry.release();
}

void TArchiveEntryList::Sort() {
  const std::span<TArchiveEntry* const> items = Items();
  std::vector<TArchiveEntry*> sorted(items.begin(), items.end());
  std::stable_sort(sorted.begin(), sorted.end(),
                   [this](const auto* a, const auto* b) { return Compare(a, b) < 0; });
  RemoveAll();
  for (TArchiveEntry* entry : sorted) InsertAt(Count(), entry);
}

std::unique_ptr<TArchiveEntryList> NewArchiveEntryList() {
  return std::make_unique<TArchiveEntryList>();
}

}  // namespace vellomar
