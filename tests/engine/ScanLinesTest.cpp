#include "engine/UScanLines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vellomar {
namespace {

TFileRecord recordOf(int32_t size, const char* ext) {
  TFileRecord record;
  record.Size = size;
  record.DateTime = 0x5A21'6000;
  record.Attr = 0x20;
  record.Ext = ext;
  return record;
}

// Lines taken out (archives listed as folders) leave the others where they were and out of the
// block: its entries are those of the lines kept, in order, whatever lies between them.
TEST(ScanLines, TheBlockHoldsTheLinesKeptInOrder) {
  struct Line {
    const char* name;
    const char* ext;
    bool regular;
    bool takenOut;
  };
  const Line added[] = {
      {"a", ".zip", true, true},     {"b", ".txt", true, false}, {"c", ".zip", true, true},
      {"d.e", ".lnk", false, false}, {"f", "", true, false},     {"g", ".zip", true, true},
  };
  TScanLines lines;
  lines.reserve(2, 4);
  ByteWriter expected;
  for (size_t i = 0; i < std::size(added); ++i) {
    const Line& l = added[i];
    lines.add(recordOf(static_cast<int32_t>(i), l.ext), l.name, l.regular);
    if (!l.takenOut) writeFileEntry(expected, recordOf(static_cast<int32_t>(i), l.ext), l.name);
  }
  for (size_t i = 0; i < std::size(added); ++i) {
    if (added[i].takenOut) lines.remove(i);
  }
  lines.remove(0);  // twice changes nothing

  ASSERT_EQ(lines.slots(), std::size(added));
  EXPECT_EQ(lines.size(), 3u);
  for (size_t i = 0; i < std::size(added); ++i) {
    EXPECT_EQ(lines.kept(i), !added[i].takenOut) << i;
    EXPECT_EQ(lines.regular(i), added[i].regular) << i;
    const TFileEntry entry = lines.at(i);
    EXPECT_EQ(entry.Name.str(), added[i].name) << i;
    EXPECT_EQ(entry.Record, recordOf(static_cast<int32_t>(i), added[i].ext)) << i;
  }
  std::vector<uint8_t> written;
  for (const std::span<const uint8_t> run : lines.keptRuns()) {
    written.insert(written.end(), run.begin(), run.end());
  }
  EXPECT_EQ(written, expected.bytes());
  EXPECT_EQ(lines.keptRuns().size(), 2u) << "b, then d.e and f";
  EXPECT_EQ(lines.blockLength(), kFileListFixedSize + expected.size());
}

}  // namespace
}  // namespace vellomar
