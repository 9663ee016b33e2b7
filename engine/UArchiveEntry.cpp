#include "engine/UArchiveEntry.h"

#include <algorithm>
#include <vector>

#include "foundation/UShortString.h"
#include "platform/PText.h"

namespace vellomar {
namespace {

std::string_view limitText(std::string_view text) {
  return utf8Prefix(text, TArchiveEntry::kMaxText);
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
