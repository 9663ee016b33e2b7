#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vellomar {

// Texts collated once for many comparisons in compareText's order. An ASCII text carries the
// first sixteen bytes of its collation key as two numbers, so that nearly all comparisons
// compare numbers; the rest go through compareText, which agrees with those keys, so the order
// stays one order. The texts are copied into one buffer.
class CollatedTexts {
 public:
  // Room for texts of textBytes bytes in all, so that adding them moves nothing.
  void reserve(size_t texts, size_t textBytes) {
    texts_.reserve(texts);
    bytes_.reserve(textBytes);
  }
  // The text (first and second joined)'s id: the number of texts added before it.
  uint32_t add(std::string_view first, std::string_view second = {});
  int compare(uint32_t a, uint32_t b) const;
  size_t count() const { return texts_.size(); }
  // Of an ASCII text: numbers whose order is compare's wherever two of them differ. A sort
  // that carries them beside the id decides most pairs without looking the texts up (texts
  // that share their first eight key bytes, "txt" and a name's start, rarely share sixteen).
  using Prefix = std::array<uint64_t, 2>;
  std::optional<Prefix> prefix(uint32_t id) const {
    const Text& text = texts_[id];
    return text.ascii ? std::optional<Prefix>(text.prefix) : std::nullopt;
  }

 private:
  struct Text {
    Prefix prefix;  // the first sixteen key bytes, big-endian
    uint32_t at;    // the text in bytes_
    uint16_t length;
    bool ascii;
  };

  std::vector<Text> texts_;
  std::string bytes_;
};

}  // namespace vellomar
