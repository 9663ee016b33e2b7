#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vellomar {

// Texts collated once for many comparisons in compareText's order. An ASCII text carries its
// collation key, and the key's first eight bytes as one number, so that most comparisons
// compare numbers and two ASCII texts compare by their keys; a pair with another text goes
// through compareText, which agrees with those keys, so the order stays one order. The texts
// and keys are copied into one buffer.
class CollatedTexts {
 public:
  // Room for texts of textBytes bytes in all, so that adding them moves nothing.
  void reserve(size_t texts, size_t textBytes) {
    texts_.reserve(texts);
    bytes_.reserve(2 * textBytes);
  }
  // The text (first and second joined)'s id: the number of texts added before it.
  uint32_t add(std::string_view first, std::string_view second = {});
  int compare(uint32_t a, uint32_t b) const;
  size_t count() const { return texts_.size(); }
  // Of an ASCII text: a number whose order is compare's wherever two of them differ. A sort
  // that carries it beside the id decides most pairs without looking the texts up.
  std::optional<uint64_t> prefix(uint32_t id) const {
    const Text& text = texts_[id];
    return text.ascii ? std::optional<uint64_t>(text.prefix) : std::nullopt;
  }

 private:
  struct Text {
    uint64_t prefix;  // the first eight key bytes, big-endian
    uint32_t at;      // the text in bytes_, then its key
    uint16_t length;
    uint16_t keyLength;
    bool ascii;
  };

  std::vector<Text> texts_;
  std::string bytes_;
  std::string key_;  // room for making one key
};

}  // namespace vellomar
