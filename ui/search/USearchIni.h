#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vellomar {

class IniFile;

// How "Settings.ini" keeps a combo box with history: the text under key, the first 15 items
// under key1..key15 (the keys after the last item written empty).
void writeHistory(IniFile& ini, std::string_view section, std::string_view key,
                  const std::string& text, const std::vector<std::string>& items);
// Reads the text and appends the numbered items up to the first empty one; values are cut to
// 255 bytes.
void readHistory(const IniFile& ini, std::string_view section, std::string_view key,
                 std::string& text, std::vector<std::string>& items);

// A stored number outside low..high reads as def, as a missing one does.
int32_t readIntegerInRange(const IniFile& ini, std::string_view section, std::string_view key,
                           int32_t low, int32_t high, int32_t def);

}  // namespace vellomar
