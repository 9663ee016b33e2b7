#include "setup/Unreduce.h"

#include <array>
#include <vector>

namespace vellomar::setup {

namespace {

constexpr int kFollowerSetCapacity = 32;
constexpr uint32_t kReduceWindowSize = 4096;
constexpr uint8_t kDle = 0x90;

struct FollowerSet {
  int count = 0;
  std::array<uint8_t, kFollowerSetCapacity> characters{};
};

// The count field has 6 bits but a set holds 32 characters: more is damage.
std::vector<FollowerSet> readFollowerSets(ZipEntryStream& stream) {
  std::vector<FollowerSet> sets(256);
  for (int c = 255; c >= 0; --c) {
    FollowerSet& set = sets[c];
    set.count = static_cast<int>(stream.ReadBitsOrOnes(6));
    if (set.count > kFollowerSetCapacity) RaiseArchiveError(kArchiveBadFollowerSet);
    for (int i = 0; i < set.count; ++i) {
      set.characters[i] = static_cast<uint8_t>(stream.ReadBitsOrOnes(8));
    }
  }
  return sets;
}

int indexBits(int count) {
  int bits = 1;
  while ((1 << bits) < count) ++bits;
  return bits;
}

uint8_t readCharacter(ZipEntryStream& stream, const FollowerSet& set) {
  if (set.count == 0 || stream.ReadBitsOrOnes(1) == 1) {
    return static_cast<uint8_t>(stream.ReadBitsOrOnes(8));
  }
  // An index past the count reads a zero slot of the set, never outside it.
  return set.characters[stream.ReadBitsOrOnes(indexBits(set.count))];
}

class Expander {
 public:
  Expander(ZipEntryStream& stream, int factor)
      : window_(stream, kReduceWindowSize), factor_(factor), lengthMask_(0x7Fu >> (factor - 1)) {}

  void take(uint8_t byte) {
    switch (state_) {
      case State::kPlain:
        if (byte == kDle) {
          state_ = State::kAfterDle;
        } else {
          window_.put(byte);
        }
        break;
      case State::kAfterDle:
        if (byte == 0) {
          window_.put(kDle);
          state_ = State::kPlain;
        } else {
          lead_ = byte;
          length_ = byte & lengthMask_;
          state_ = length_ == lengthMask_ ? State::kLengthByte : State::kDistanceByte;
        }
        break;
      case State::kLengthByte:
        length_ += byte;
        state_ = State::kDistanceByte;
        break;
      case State::kDistanceByte:
        window_.copy((lead_ >> (8 - factor_)) * 256u + byte + 1, length_ + 3);
        state_ = State::kPlain;
        break;
    }
  }

 private:
  enum class State { kPlain, kAfterDle, kLengthByte, kDistanceByte };

  SlidingWindow window_;
  int factor_;
  uint32_t lengthMask_;
  State state_ = State::kPlain;
  uint32_t lead_ = 0;
  uint32_t length_ = 0;
};

}  // namespace

void Unreduce(ZipEntryStream& stream, int factor) {
  const std::vector<FollowerSet> sets = readFollowerSets(stream);
  Expander expander(stream, factor);
  uint8_t last = 0;
  while (!stream.outputComplete()) {
    last = readCharacter(stream, sets[last]);
    expander.take(last);
  }
}

}  // namespace vellomar::setup
