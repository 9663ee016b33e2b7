#include "ui/search/USearchIni.h"

#include "foundation/UIniFile.h"

namespace vellomar {

int32_t readIntegerInRange(const IniFile& ini, std::string_view section, std::string_view key,
                           int32_t low, int32_t high, int32_t def) {
  return ini.readInteger(section, key, def, low, high);
}

}  // namespace vellomar
