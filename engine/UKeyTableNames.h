#pragma once

#include "engine/UEngineInternal.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace vellomar {

// The disk names the key table has read, by block offset. An open reads every disk's name, so
// a name costs no allocation of its own: the offsets lie in one open-addressed table and the
// names in shared blocks that never move. A view handed out stays valid until clear().
class KeyTableNames {
 public:
  std::optional<std::string_view> find(int32_t offset) const;
  // Keeps name (at most 255 bytes) as the name at offset, replacing any forgotten one.
  std::string_view put(int32_t offset, std::string_view name);
  // The next find of offset misses; views of the old name stay readable.
  void forget(int32_t offset);
  // Room for this many names without growing the table.
  void reserve(size_t names);
  void clear();

 private:
  struct Slot {
    const char* Name = nullptr;
    int32_t Offset = 0;
    uint8_t Length = 0;
    bool Used = false;
    bool Known = false;
  };

  size_t slotOf(int32_t offset) const;
  void grow(size_t capacity);
  std::string_view keep(std::string_view name);

  // A power of two, at most half used; shift_ takes a hash's top bits to a slot.
  std::vector<Slot> slots_;
  int shift_ = 64;
  size_t used_ = 0;
  std::vector<std::unique_ptr<char[]>> blocks_;
  char* free_ = nullptr;
  size_t freeLength_ = 0;
};

}  // namespace vellomar
