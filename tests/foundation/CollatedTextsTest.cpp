#include "foundation/UCollatedTexts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/PText.h"

namespace vellomar {
namespace {

int sign(int value) {
  return (value > 0) - (value < 0);
}

// Every pair compares as compareText compares the texts: ASCII texts that differ only after
// their eighth character or only in case, accented and CP1252 texts beside ASCII ones.
TEST(CollatedTexts, EveryPairComparesAsCompareText) {
  const std::vector<std::string> texts = {
      "",
      "a",
      "A",
      "abcdefgh",
      "abcdefgh1",
      "ABCDEFGH2",
      "abcdefgh2",
      "abc.def",
      "abc_def",
      "abc def",
      "Zebra",
      "zebra.txt",
      "\xC3\x84rger",  // "Ärger" in UTF-8
      "\xC3\xA9t\xC3\xA9",
      "ete",
      "\xE9t\xE9",  // "été" in CP1252, not valid UTF-8
      "10",
      "9",
      "~tilde",
      "Readme",
      "README",
  };
  CollatedTexts collated;
  for (const std::string& text : texts) collated.add(text);
  ASSERT_EQ(collated.count(), texts.size());
  for (uint32_t a = 0; a < texts.size(); ++a) {
    for (uint32_t b = 0; b < texts.size(); ++b) {
      EXPECT_EQ(collated.compare(a, b), sign(compareText(texts[a], texts[b])))
          << '"' << texts[a] << "\" against \"" << texts[b] << '"';
    }
  }
}

}  // namespace
}  // namespace vellomar
