#pragma once

#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vellomar {

// The texts of many lines put in the locale's case-insensitive order once, so that any later
// sort of the lines compares numbers: each text added gets an id, and rank() gives each id its
// place in that order, equal texts the same place. The texts must outlive the ranking.
class TextRanks {
 public:
  // shared: the text recurs (a disk, a folder, an extension) and is collated only once.
  void reserve(size_t texts) { texts_.reserve(texts); }
  uint32_t add(std::string_view text, bool shared);
  void rank();
  uint32_t rankOf(uint32_t id) const { return ranks_[id]; }

 private:
  std::unordered_map<std::string_view, uint32_t> shared_;
  std::vector<std::string_view> texts_;
  std::vector<uint32_t> ranks_;
};

}  // namespace vellomar
