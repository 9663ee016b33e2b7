// Export templates as users write them: header keywords, markers in changing delimiters,
// comments and sections. Every section is then expanded with values that are themselves pieces
// of the template, passed through the template's character filter.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "export/UExport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vellomar;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  static TDBaseExport e;
  LoadExportFormatText(e, text, nullptr);
  for (int v = 1; v < kVarCrLf; ++v) {
    const size_t from = size == 0 ? 0 : (static_cast<size_t>(v) * 7) % size;
    e.setValue(v, FilterExportValue(e, text.substr(from, 40)));
  }
  for (int s = 1; s <= kExportSectionCount; ++s) ExpandExportSection(e, s);
  return 0;
}
