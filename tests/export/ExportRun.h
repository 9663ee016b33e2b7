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

// The scope of the database walked through the loaded template, as the database export does.
inline std::string walkExport(TDBaseExport& e, TDBase* db, int32_t scope) {
  return capturedOutput(e, [&] {
    TExportWalk walk(e, nullptr);
    ApiWalkDisks(db, scope, 2, walk);
  });
}

inline std::string walkExport(std::string_view templateText, TDBase* db, int32_t scope) {
  TDBaseExport e;
  LoadExportFormatText(e, templateText, db);
  return walkExport(e, db, scope);
}

}  // namespace vellomar::testing
