#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "bench/SplitMix.h"

namespace vellomar::testing {

// Deterministic numbers for generated fixtures: the benchmark tree's generator.
using FixtureRandom = SplitMix;

// A name as the benchmark's tree makes them: syllables in mixed case, now and then a word the
// searches look for, a non-ASCII letter, a digit run or a name that recurs in another case.
inline std::string generatedName(FixtureRandom& random) {
  static constexpr std::array<std::string_view, 12> kParts = {
      "re", "port", "sum", "mer", "ho", "li", "day", "Ka", "é", "ß", "Жу", "x"};
  static constexpr std::array<std::string_view, 4> kWords = {"report", "summer holiday", "Report",
                                                             "SUMMER-holiday"};
  std::string name;
  if (random.below(8) == 0) name += kWords[random.below(kWords.size())];
  const size_t parts = 1 + random.below(4);
  for (size_t i = 0; i < parts; ++i) {
    std::string part(kParts[random.below(kParts.size())]);
    if (random.below(4) == 0 && part[0] >= 'a' && part[0] <= 'z') part[0] -= 32;
    name += part;
  }
  if (random.below(3) == 0) name += std::to_string(random.below(1000));
  return name;
}

// FNV-1a over text.
inline uint64_t fixtureDigest(std::string_view text, uint64_t hash = 0xCBF29CE484222325ULL) {
  for (const char ch : text) {
    hash ^= static_cast<unsigned char>(ch);
    hash *= 0x100000001B3ULL;
  }
  return hash;
}

}  // namespace vellomar::testing
