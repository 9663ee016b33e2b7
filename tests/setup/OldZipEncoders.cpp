#include "tests/setup/OldZipEncoders.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <unordered_map>

#include "setup/Explode.h"

namespace vellomar::test {

void BitWriter::put(uint32_t value, int bits) {
  for (int i = 0; i < bits; ++i) {
    buffer_ |= ((value >> i) & 1) << count_;
    if (++count_ == 8) {
      bytes_.push_back(static_cast<uint8_t>(buffer_));
      buffer_ = 0;
      count_ = 0;
    }
  }
}

Bytes BitWriter::finish() {
  if (count_ > 0) bytes_.push_back(static_cast<uint8_t>(buffer_));
  buffer_ = 0;
  count_ = 0;
  return std::move(bytes_);
}

namespace {

// Longest earlier match at pos within window bytes back, found through a chain of positions
// with the same three leading bytes.
class MatchFinder {
 public:
  MatchFinder(const Bytes& data, uint32_t window) : data_(data), window_(window) {}

  struct Match {
    uint32_t distance = 0;
    uint32_t length = 0;
  };

  Match find(size_t pos, uint32_t maxLength) {
    Match best;
    if (pos + 3 > data_.size()) return best;
    auto it = heads_.find(key(pos));
    if (it == heads_.end()) return best;
    int tries = 64;
    for (size_t candidate : it->second) {
      if (pos - candidate > window_ || tries-- == 0) break;
      uint32_t length = 0;
      while (length < maxLength && pos + length < data_.size() &&
             data_[candidate + length] == data_[pos + length]) {
        ++length;
      }
      if (length > best.length) best = {static_cast<uint32_t>(pos - candidate), length};
    }
    return best;
  }

  void insert(size_t pos) {
    if (pos + 3 > data_.size()) return;
    auto& chain = heads_[key(pos)];
    chain.insert(chain.begin(), pos);
    if (chain.size() > 64) chain.pop_back();
  }

 private:
  uint32_t key(size_t pos) const {
    return uint32_t{data_[pos]} << 16 | uint32_t{data_[pos + 1]} << 8 | data_[pos + 2];
  }

  const Bytes& data_;
  uint32_t window_;
  std::unordered_map<uint32_t, std::vector<size_t>> heads_;
};

// The decoder's table, kept in step with it: same free list, same clearing.
class ShrinkDictionary {
 public:
  ShrinkDictionary() : parent_(8192, -1), children_(8192, 0) { rebuildFree(); }

  int child(int code, uint8_t c) const {
    auto it = lookup_.find(code << 8 | c);
    return it == lookup_.end() ? -1 : it->second;
  }
  size_t freeLeft() const { return freeCodes_.size() - nextFree_; }

  void add(int previous, uint8_t c) {
    if (freeLeft() == 0) throw std::logic_error("shrink table overflow");
    const int code = freeCodes_[nextFree_++];
    parent_[code] = previous;
    character_[code] = c;
    ++children_[previous];
    lookup_[previous << 8 | c] = code;
  }

  void partialClear() {
    std::vector<int> leaves;
    for (int c = 257; c < 8192; ++c) {
      if (parent_[c] >= 0 && children_[c] == 0) leaves.push_back(c);
    }
    for (int c : leaves) {
      --children_[parent_[c]];
      lookup_.erase(parent_[c] << 8 | character_[c]);
      parent_[c] = -1;
    }
    rebuildFree();
  }

 private:
  void rebuildFree() {
    freeCodes_.clear();
    nextFree_ = 0;
    for (int c = 257; c < 8192; ++c) {
      if (parent_[c] < 0) freeCodes_.push_back(c);
    }
  }

  std::vector<int> parent_;
  std::vector<int> children_;
  std::array<uint8_t, 8192> character_{};
  std::vector<int> freeCodes_;
  size_t nextFree_ = 0;
  std::unordered_map<int, int> lookup_;
};

}  // namespace

Bytes shrink(const Bytes& data, ShrinkStats* stats) {
  BitWriter out;
  ShrinkDictionary dictionary;
  int width = 9;
  int clears = 0;
  int previous = -1;
  size_t pos = 0;
  while (pos < data.size()) {
    int code = data[pos];
    size_t length = 1;
    while (pos + length < data.size()) {
      const int next = dictionary.child(code, data[pos + length]);
      if (next < 0) break;
      code = next;
      ++length;
    }
    while (code >= (1 << width)) {
      out.put(256, width);
      out.put(1, width);
      ++width;
    }
    out.put(static_cast<uint32_t>(code), width);
    if (previous >= 0) dictionary.add(previous, data[pos]);
    previous = code;
    pos += length;
    // Decoders expect a clear before the table overflows. It is sent while the previous code
    // is a literal, which is never released, so the entry added after the clear cannot point
    // at a freed code.
    if (dictionary.freeLeft() < 512 && previous < 256) {
      out.put(256, width);
      out.put(2, width);
      dictionary.partialClear();
      ++clears;
    }
  }
  if (stats) *stats = {width, clears};
  return out.finish();
}

Bytes reduceExpanderBytes(const Bytes& data, int factor) {
  const uint32_t lengthMask = 0x7Fu >> (factor - 1);
  const uint32_t maxDistance = 256u << factor;
  const uint32_t maxLength = lengthMask + 255 + 3;
  MatchFinder finder(data, maxDistance);
  Bytes out;
  for (size_t pos = 0; pos < data.size();) {
    MatchFinder::Match match = finder.find(pos, maxLength);
    const uint32_t high = match.length >= 3 ? (match.distance - 1) >> 8 : 0;
    // A lead byte of 0 would read as an escaped 0x90.
    if (match.length >= 3 && !(high == 0 && match.length == 3)) {
      const uint32_t field = std::min(match.length - 3, lengthMask);
      out.push_back(0x90);
      out.push_back(static_cast<uint8_t>(high << (8 - factor) | field));
      if (field == lengthMask) out.push_back(static_cast<uint8_t>(match.length - 3 - lengthMask));
      out.push_back(static_cast<uint8_t>(match.distance - 1));
    } else {
      match.length = 1;
      out.push_back(data[pos]);
      if (data[pos] == 0x90) out.push_back(0);
    }
    for (uint32_t i = 0; i < match.length; ++i) finder.insert(pos + i);
    pos += match.length;
  }
  return out;
}

Bytes reduceFollowerCode(const Bytes& expanderBytes, FollowerSets sets) {
  // A full set for character c holds c+1 .. c+32, so some bytes are found in it and some not.
  auto member = [](uint8_t last, uint8_t c) { return static_cast<uint8_t>(c - last - 1); };
  BitWriter out;
  for (int c = 255; c >= 0; --c) {
    if (sets == FollowerSets::kEmpty) {
      out.put(0, 6);
    } else {
      out.put(32, 6);
      for (int i = 0; i < 32; ++i) out.put(static_cast<uint8_t>(c + 1 + i), 8);
    }
  }
  uint8_t last = 0;
  for (uint8_t c : expanderBytes) {
    if (sets == FollowerSets::kFull) {
      const uint8_t index = member(last, c);
      if (index < 32) {
        out.put(0, 1);
        out.put(index, 5);
      } else {
        out.put(1, 1);
        out.put(c, 8);
      }
    } else {
      out.put(c, 8);
    }
    last = c;
  }
  return out.finish();
}

namespace {

// A quarter of the symbols at the base length, a quarter one longer, half two longer: the code
// space is filled exactly. The symbols are spread by a permutation, so the sort by length and
// symbol matters.
std::vector<uint8_t> treeLengths(int symbols) {
  const int quarter = symbols / 4;
  const uint8_t base = symbols == 64 ? 5 : 7;
  std::vector<uint8_t> lengths(symbols);
  for (int s = 0; s < symbols; ++s) {
    const int rank = (s * 37) % symbols;
    lengths[s] = static_cast<uint8_t>(rank < quarter       ? base
                                      : rank < 2 * quarter ? base + 1
                                                           : base + 2);
  }
  return lengths;
}

struct Code {
  uint16_t bits = 0;  // top `length` bits, sent most significant first
  int length = 0;
};

class TreeEncoder {
 public:
  explicit TreeEncoder(int symbols) : lengths_(treeLengths(symbols)), codes_(symbols) {
    std::vector<int> order;
    for (int length = 1; length <= 16; ++length) {
      for (int s = 0; s < symbols; ++s) {
        if (lengths_[s] == length) order.push_back(s);
      }
    }
    uint32_t code = 0, increment = 0;
    int last = 0;
    for (size_t i = order.size(); i-- > 0;) {
      code += increment;
      if (lengths_[order[i]] != last) {
        last = lengths_[order[i]];
        increment = 1u << (16 - last);
      }
      codes_[order[i]] = {static_cast<uint16_t>(code), last};
    }
  }

  void writeTree(BitWriter& out) const {
    std::vector<uint8_t> runs;
    for (size_t s = 0; s < lengths_.size();) {
      size_t run = 1;
      while (run < 16 && s + run < lengths_.size() && lengths_[s + run] == lengths_[s]) ++run;
      runs.push_back(static_cast<uint8_t>((run - 1) << 4 | (lengths_[s] - 1)));
      s += run;
    }
    out.put(static_cast<uint32_t>(runs.size() - 1), 8);
    for (uint8_t r : runs) out.put(r, 8);
  }

  void write(BitWriter& out, int symbol) const {
    const Code& c = codes_[symbol];
    for (int i = 0; i < c.length; ++i) out.put((c.bits >> (15 - i)) & 1, 1);
  }

 private:
  std::vector<uint8_t> lengths_;
  std::vector<Code> codes_;
};

}  // namespace

Bytes implode(const Bytes& data, uint16_t flags) {
  const bool bigWindow = (flags & setup::kImplodeBigWindow) != 0;
  const bool literalTree = (flags & setup::kImplodeLiteralTree) != 0;
  const int lowBits = bigWindow ? 7 : 6;
  const uint32_t minimum = literalTree ? 3 : 2;
  const uint32_t maxLength = minimum + 63 + 255;
  BitWriter out;
  const TreeEncoder literals(256), lengths(64), distances(64);
  if (literalTree) literals.writeTree(out);
  lengths.writeTree(out);
  distances.writeTree(out);
  MatchFinder finder(data, bigWindow ? 8192 : 4096);
  for (size_t pos = 0; pos < data.size();) {
    MatchFinder::Match match = finder.find(pos, maxLength);
    if (match.length >= std::max<uint32_t>(minimum, 3)) {
      out.put(0, 1);
      const uint32_t distance = match.distance - 1;
      out.put(distance & ((1u << lowBits) - 1), lowBits);
      distances.write(out, static_cast<int>(distance >> lowBits));
      const uint32_t length = match.length - minimum;
      lengths.write(out, static_cast<int>(std::min<uint32_t>(length, 63)));
      if (length >= 63) out.put(length - 63, 8);
    } else {
      match.length = 1;
      out.put(1, 1);
      if (literalTree) {
        literals.write(out, data[pos]);
      } else {
        out.put(data[pos], 8);
      }
    }
    for (uint32_t i = 0; i < match.length; ++i) finder.insert(pos + i);
    pos += match.length;
  }
  return out.finish();
}

}  // namespace vellomar::test
