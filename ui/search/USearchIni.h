#pragma once

#include <cstdint>
#include <string_view>

namespace vellomar {

class IniFile;

// A stored number outside low..high reads as def, as a missing one does.
int32_t readIntegerInRange(const IniFile& ini, std::string_view section, std::string_view key,
                           int32_t low, int32_t high, int32_t def);

}  // namespace vellomar
