#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/api/UApi.h"
#include "tests/export/ExportCatalogue.h"
#include "tests/support/CatalogueBuilder.h"
#include "tests/ui/support/BorrowedCatalogue.h"
#include "tests/ui/support/RecordingServices.h"
#include "ui/print/UClipboardText.h"

namespace vellomar {
namespace {

TEST(ClipboardText, SelectedDisksAndTheCurrentOneInKeyOrder) {
  testing::TestCatalogue cat;
  for (const char* name : {"Alpha", "Beta", "Caf\xE9", "Delta"}) {
    cat.newDisk(name);
    cat.saveDisk();
  }
  cat.trees = TTreeSlots{};
  ASSERT_TRUE(ApiGoToDiskByName(&cat.handle, "Beta"));
  ApiSelectKey(&cat.handle, true, 3);
  ApiSelectKey(&cat.handle, true, 2);
  EXPECT_EQ(DiskNamesText(test::BorrowedCatalogue(&cat.handle).get()),
            "Beta\r\nCaf\xE9\r\nDelta\r\n");
  // The CP1252 name of an old catalogue reaches the clipboard as the character it stands for.
  test::recorder().clear();
  CopyTextToClipboard(DiskNamesText(test::BorrowedCatalogue(&cat.handle).get()));
  EXPECT_EQ(test::recorder().clipboard, "Beta\r\nCaf\xC3\xA9\r\nDelta\r\n");
}

TEST(ClipboardText, SelectedLinesOrTheFocusedOneAsTabbedFields) {
  testing::fixedDisplay();
  const auto time = static_cast<int32_t>(testing::kFixtureTime);
  struct Spec {
    const char* name;
    uint8_t kind;
    int32_t size;
    int32_t dateTime;
  };
  const Spec specs[] = {{"..", kLineParent, 0, time},
                        {"docs", kLineFolder, 0, time},
                        {"readme.txt", kLineFile, 1234, time},
                        {"empty.bin", kLineFile, 0, 0}};
  TFileLines owned;
  for (const Spec& spec : specs) {
    TOneFile entry;
    entry.Name = ShortString(spec.name);
    entry.Data.Size = spec.size;
    entry.Data.DateTime = spec.dateTime;
    owned.add(entry).Kind = spec.kind;
  }
  std::vector<const TOneFileLine*> lines;
  for (const TOneFileLine& line : owned) lines.push_back(&line);
  // Nothing selected: the focused line alone.
  EXPECT_EQ(FileLinesText(CatalogueGateway(), lines, 2, true, false),
            "readme.txt\t3/14/25\t10:20:30\t1 234\t\r\n");
  for (TOneFileLine& line : owned) line.Flags |= kLineSelected;
  EXPECT_EQ(FileLinesText(CatalogueGateway(), lines, 2, false, false),
            "..\t3/14/25\t10:20\t\t\r\n"
            "docs\t3/14/25\t10:20\t(folder)\t\r\n"
            "readme.txt\t3/14/25\t10:20\t1 234\t\r\n"
            "empty.bin\t\t\t0\t\r\n");
}

}  // namespace
}  // namespace vellomar
