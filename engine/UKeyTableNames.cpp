#include "engine/UKeyTableNames.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace vellomar {

namespace {

constexpr size_t kFirstCapacity = 64;
// Many names to a block; the longest name, 255 bytes, always fits one.
constexpr size_t kNameBlockSize = 16384;

}  // namespace

size_t KeyTableNames::slotOf(int32_t offset) const {
  // Block offsets are spaced by the sizes of the blocks between them: the multiplication spreads
  // them over the table's top bits.
  constexpr uint64_t kSpread = 0x9E3779B97F4A7C15ULL;
  const size_t mask = slots_.size() - 1;
  size_t i = static_cast<size_t>((static_cast<uint64_t>(static_cast<uint32_t>(offset)) * kSpread) >>
                                 shift_);
  while (slots_[i].Used && slots_[i].Offset != offset) i = (i + 1) & mask;
  return i;
}

std::optional<std::string_view> KeyTableNames::find(int32_t offset) const {
  if (slots_.empty()) return std::nullopt;
  const Slot& slot = slots_[slotOf(offset)];
  if (!slot.Used || !slot.Known) return std::nullopt;
  return std::string_view(slot.Name, slot.Length);
}

std::string_view KeyTableNames::put(int32_t offset, std::string_view name) {
  if ((used_ + 1) * 2 > slots_.size()) grow(std::max(kFirstCapacity, slots_.size() * 2));
  Slot& slot = slots_[slotOf(offset)];
  if (!slot.Used) ++used_;
  const std::string_view kept = keep(name);
  slot = Slot{kept.data(), offset, static_cast<uint8_t>(kept.size()), true, true};
  return kept;
}

void KeyTableNames::forget(int32_t offset) {
  if (slots_.empty()) return;
  slots_[slotOf(offset)].Known = false;
}

void KeyTableNames::reserve(size_t names) {
  if (names * 2 > slots_.size()) grow(std::bit_ceil(std::max(kFirstCapacity, names * 2)));
}

void KeyTableNames::clear() {
  slots_.clear();
  shift_ = 64;
  used_ = 0;
  blocks_.clear();
  free_ = nullptr;
  freeLength_ = 0;
}

void KeyTableNames::grow(size_t capacity) {
  std::vector<Slot> old(capacity);
  old.swap(slots_);
  shift_ = 64 - std::countr_zero(capacity);
  for (const Slot& slot : old) {
    if (slot.Used) slots_[slotOf(slot.Offset)] = slot;
  }
}

std::string_view KeyTableNames::keep(std::string_view name) {
  name = name.substr(0, UINT8_MAX);
  if (name.empty()) return {};
  if (name.size() > freeLength_) {
    blocks_.push_back(std::make_unique_for_overwrite<char[]>(kNameBlockSize));
    free_ = blocks_.back().get();
    freeLength_ = kNameBlockSize;
  }
  std::memcpy(free_, name.data(), name.size());
  const std::string_view kept(free_, name.size());
  free_ += name.size();
  freeLength_ -= name.size();
  return kept;
}

}  // namespace vellomar
