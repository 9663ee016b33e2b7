#include "ui/app/URecentFiles.h"

#include <algorithm>
#include <filesystem>

#include "foundation/UBaseUtils.h"

namespace vellomar {

namespace {

bool samePath(const std::string& a, const std::string& b) {
  return std::filesystem::path(a).lexically_normal() == std::filesystem::path(b).lexically_normal();
}

}  // namespace

void RecentFiles::add(const std::string& name) {
  remove(name);
  std::move_backward(entries_.begin(), entries_.end() - 1, entries_.end());
  entries_[0] = name;
}

bool RecentFiles::remove(const std::string& name) {
  const auto found = std::find_if(entries_.begin(), entries_.end(), [&](const std::string& e) {
    return !e.empty() && samePath(e, name);
  });
  if (found == entries_.end()) return false;
  std::move(found + 1, entries_.end(), found);
  entries_.back().clear();
  return true;
}

int RecentFiles::shownCount() const {
  const auto firstEmpty = std::find_if(entries_.begin(), entries_.end(),
                                       [](const std::string& e) { return e.empty(); });
  return std::clamp(static_cast<int>(firstEmpty - entries_.begin()), 0, std::max(ShowMax, 0));
}

std::string RecentFiles::caption(int index) const {
  const std::string shortened =
      ShortenPath(ShortString(entries_[index]), kCaptionLength, '/').str();
  std::string text;
  for (char c : shortened) {
    if (c == '&') text += '&';
    text += c;
  }
  return text;
}

void RecentFiles::read(const IniFile& ini) {
  LastOpened = ini.readString("RecentFiles", "LastOpened", "");
  LastDir = ini.readString("RecentFiles", "LastDir", "");
  ShowMax = ini.readInteger("RecentFiles", "ShowMax", ShowMax);
  for (int i = 0; i < kCount; ++i)
    entries_[i] = ini.readString("RecentFiles", "File" + std::to_string(i + 1), "");
}

void RecentFiles::write(IniFile& ini) const {
  ini.writeString("RecentFiles", "LastOpened", LastOpened);
  ini.writeString("RecentFiles", "LastDir", LastDir);
  ini.writeInteger("RecentFiles", "ShowMax", ShowMax);
  for (int i = 0; i < kCount; ++i)
    ini.writeString("RecentFiles", "File" + std::to_string(i + 1), entries_[i]);
}

}  // namespace vellomar
