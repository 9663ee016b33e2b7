#include "setup/Explode.h"

#include <array>
#include <vector>

namespace vellomar::setup {

namespace {

constexpr uint16_t kEmptyChild = 0xFFFF;
constexpr int kMaxCodeLength = 16;
constexpr int kLiteralSymbols = 256;
constexpr int kLengthSymbols = 64;
constexpr int kDistanceSymbols = 64;
constexpr uint32_t kLongLength = 63;

// Children below the symbol count are leaves (the symbol itself); inner nodes are taken from
// the top of the array downwards, the root first.
class ShannonFanoTree {
 public:
  ShannonFanoTree(ZipEntryStream& stream, int symbols)
      : symbols_(symbols), nodes_(2 * symbols - 1, {kEmptyChild, kEmptyChild}) {
    const std::vector<uint8_t> lengths = readLengths(stream);
    assignCodes(lengths);
  }

  int decode(ZipEntryStream& stream) const {
    // Every inner node lies below its parent, so the walk ends within the node count.
    int node = root();
    for (;;) {
      const uint16_t child = nodes_[node][stream.ReadBitsOrOnes(1)];
      if (child == kEmptyChild) RaiseArchiveError(kArchiveEmptyTreeNode);
      if (child < symbols_) return child;
      node = child;
    }
  }

 private:
  int root() const { return 2 * symbols_ - 2; }

  // Runs of (count, bit length) that must cover exactly the tree's symbols.
  std::vector<uint8_t> readLengths(ZipEntryStream& stream) const {
    std::vector<uint8_t> lengths;
    lengths.reserve(symbols_);
    const unsigned runs = stream.ReadBitsOrOnes(8) + 1;
    for (unsigned i = 0; i < runs; ++i) {
      const unsigned run = stream.ReadBitsOrOnes(8);
      const unsigned count = (run >> 4) + 1;
      if (count > symbols_ - lengths.size()) RaiseArchiveError(kArchiveBadTree);
      lengths.insert(lengths.end(), count, static_cast<uint8_t>((run & 0x0F) + 1));
    }
    if (lengths.size() != static_cast<size_t>(symbols_)) RaiseArchiveError(kArchiveBadTree);
    return lengths;
  }

  // Symbols in order of bit length, then symbol; the longest codes are counted up from zero.
  void assignCodes(const std::vector<uint8_t>& lengths) {
    std::vector<uint16_t> order;
    order.reserve(symbols_);
    for (int length = 1; length <= kMaxCodeLength; ++length) {
      for (int symbol = 0; symbol < symbols_; ++symbol) {
        if (lengths[symbol] == length) order.push_back(static_cast<uint16_t>(symbol));
      }
    }
    uint32_t code = 0;
    uint32_t increment = 0;
    int lastLength = 0;
    for (size_t i = order.size(); i-- > 0;) {
      const int symbol = order[i];
      code += increment;
      if (lengths[symbol] != lastLength) {
        lastLength = lengths[symbol];
        increment = 1u << (kMaxCodeLength - lastLength);
      }
      if (code > 0xFFFF) RaiseArchiveError(kArchiveBadTree);
      insert(symbol, code, lastLength);
    }
  }

  // The code's top bits, most significant first, are the path from the root.
  void insert(int symbol, uint32_t code, int length) {
    int node = root();
    for (int depth = 0; depth < length; ++depth) {
      uint16_t& child = nodes_[node][(code >> (kMaxCodeLength - 1 - depth)) & 1];
      if (depth == length - 1) {
        if (child != kEmptyChild) RaiseArchiveError(kArchiveBadTree);
        child = static_cast<uint16_t>(symbol);
        return;
      }
      if (child == kEmptyChild) {
        if (nextInner_ < symbols_) RaiseArchiveError(kArchiveBadTree);
        child = static_cast<uint16_t>(nextInner_--);
      } else if (child < symbols_) {
        RaiseArchiveError(kArchiveBadTree);
      }
      node = child;
    }
  }

  int symbols_;
  std::vector<std::array<uint16_t, 2>> nodes_;
  int nextInner_ = 2 * symbols_ - 3;
};

}  // namespace

void Explode(ZipEntryStream& stream, uint16_t flags) {
  const bool bigWindow = (flags & kImplodeBigWindow) != 0;
  const bool literalTree = (flags & kImplodeLiteralTree) != 0;
  const int distanceLowBits = bigWindow ? 7 : 6;
  const uint32_t minimumMatch = literalTree ? 3 : 2;

  std::vector<ShannonFanoTree> literals;
  if (literalTree) literals.emplace_back(stream, kLiteralSymbols);
  const ShannonFanoTree lengths(stream, kLengthSymbols);
  const ShannonFanoTree distances(stream, kDistanceSymbols);
  SlidingWindow window(stream, bigWindow ? 8192 : 4096);

  while (!stream.outputComplete()) {
    if (stream.ReadBitsOrOnes(1) == 1) {
      window.put(static_cast<uint8_t>(literalTree ? literals.front().decode(stream)
                                                  : stream.ReadBitsOrOnes(8)));
      continue;
    }
    uint32_t distance = stream.ReadBitsOrOnes(distanceLowBits);
    distance |= static_cast<uint32_t>(distances.decode(stream)) << distanceLowBits;
    uint32_t length = static_cast<uint32_t>(lengths.decode(stream));
    if (length == kLongLength) length += stream.ReadBitsOrOnes(8);
    window.copy(distance + 1, length + minimumMatch);
  }
}

}  // namespace vellomar::setup
