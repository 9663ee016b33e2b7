// A template applied to a fixed catalogue through the engine's export walk (two disks, one with
// folders, file lists and descriptions), then to a found-files and a free-space list whose names
// are taken from the template itself.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "engine/api/UApi.h"
#include "export/UExport.h"
#include "export/UListExport.h"
#include "fuzz/FuzzFile.h"
#include "fuzz/TreeCatalogue.h"

namespace {

using namespace vellomar;

TDBase* openCatalogue() {
  testing::DBaseImage image;
  const int32_t plain = image.addDisk("Plain");
  fuzz::setLiveKeys(image, {{0, fuzz::addTreeDisk(image, "Tree")}, {0, plain}});
  fuzz::writeScratchFile(image.bytes());
  TDBase* db = nullptr;
  ShortString error;
  if (!ApiOpenDBase(ShortString(fuzz::scratchPath()), false, db, error)) std::abort();
  ApiSelectKey(db, true, 0);
  ApiSelectKey(db, true, 1);
  return db;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TDBase* db = openCatalogue();
  static const std::string output = fuzz::scratchPath() + ".out";
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  static TDBaseExport e;
  LoadExportFormatText(e, text, db);
  e.Format.SortCrit = size == 0 ? 0 : data[0] % 4;
  e.Format.Reverse = size > 1 && (data[1] & 1) != 0;
  OpenExportOutput(e, output);
  TExportWalk walk(e, nullptr);
  ApiWalkDisks(db, 2, 2, walk);

  TOneFile entry;
  entry.Name = ShortString(text.substr(0, 64));
  entry.Data.Size = static_cast<int32_t>(size);
  entry.Data.DateTime =
      size < 4
          ? 0
          : static_cast<int32_t>(data[0] | data[1] << 8 | data[2] << 16 | uint32_t{data[3]} << 24);
  for (ExportListKind kind : {ExportListKind::kFoundFiles, ExportListKind::kFreeSpace}) {
    ExportList(
        e, kind, text.substr(0, 32), 3,
        [&](int32_t i) {
          const size_t cut = std::min(static_cast<size_t>(i), size);
          return ExportListLine{entry,
                                text.substr(cut),
                                text.substr(0, cut),
                                entry.Data.DateTime,
                                static_cast<int32_t>(size) - i,
                                i != 1};
        },
        (size & 1) != 0, [](int32_t) { return false; });
  }
  CloseExportOutput(e);
  return 0;
}
