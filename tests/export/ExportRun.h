#pragma once

#include <string>
#include <string_view>

#include "engine/api/UApiSearch.h"
#include "export/UExport.h"
#include "tests/support/TempFolder.h"

namespace vellomar::testing {

// What the export state writes while body runs, with the output opened on a temporary file.
template <typename Body>
std::string capturedOutput(TDBaseExport& e, Body body) {
  vellomar::test::TempFolder folder{"export"};
  const std::string out = folder.at("out.txt");
  OpenExportOutput(e, out);
  body();
  CloseExportOutput(e);
  return vellomar::test::contentOf(out);
}

// Loads the template into the program's export state and walks the scope of the database
// through it, as the database export does.
inline std::string walkExport(std::string_view templateText, TDBase* db, int32_t scope) {
  TDBaseExport& e = ExportState();
  LoadExportFormatText(e, templateText, db);
  return capturedOutput(e, [&] {
    SetExportCallbacks(db, nullptr);
    ApiIterateDisks(db, scope, 2);
    ApiResetExportCallbacks(db);
  });
}

}  // namespace vellomar::testing
