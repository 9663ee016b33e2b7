#include "ui/search/USearchIni.h"

#include "foundation/UShortString.h"
#include "ui/common/UIniFile.h"

namespace vellomar {

namespace {

constexpr int kStoredItems = 15;

std::string numbered(std::string_view key, int n) {
  return std::string(key) + std::to_string(n);
}

std::string cut(const std::string& value) {
  return std::string(utf8Prefix(value, ShortString::kMaxLength));
}

}  // namespace

void writeHistory(IniFile& ini, std::string_view section, std::string_view key,
                  const std::string& text, const std::vector<std::string>& items) {
  ini.writeString(section, key, text);
  for (int n = 1; n <= kStoredItems; ++n) {
    const size_t i = static_cast<size_t>(n - 1);
    ini.writeString(section, numbered(key, n), i < items.size() ? items[i] : std::string());
  }
}

void readHistory(const IniFile& ini, std::string_view section, std::string_view key,
                 std::string& text, std::vector<std::string>& items) {
  text = cut(ini.readString(section, key, ""));
  for (int n = 1; n <= kStoredItems; ++n) {
    const std::string item = cut(ini.readString(section, numbered(key, n), ""));
    if (item.empty()) break;
    items.push_back(item);
  }
}

int32_t readIntegerInRange(const IniFile& ini, std::string_view section, std::string_view key,
                           int32_t low, int32_t high, int32_t def) {
  const int32_t value = ini.readInteger(section, key, def);
  return value < low || value > high ? def : value;
}

}  // namespace vellomar
