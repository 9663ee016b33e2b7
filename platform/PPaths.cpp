#include "platform/PPaths.h"

#include <string_view>
#include <vector>

namespace vellomar {
namespace {

// The names of a path with "." dropped and ".." taking back the name before it.
std::vector<std::string_view> pathNames(std::string_view path, std::string_view separators) {
  std::vector<std::string_view> names;
  size_t pos = 0;
  while (pos <= path.size()) {
    size_t end = path.find_first_of(separators, pos);
    if (end == std::string_view::npos) end = path.size();
    const std::string_view name = path.substr(pos, end - pos);
    if (name == "..") {
      if (!names.empty()) names.pop_back();
    } else if (!name.empty() && name != ".") {
      names.push_back(name);
    }
    pos = end + 1;
  }
  return names;
}

std::string swapped(std::string_view name, char from, char to) {
  std::string out(name);
  for (char& c : out) {
    if (c == from) c = to;
  }
  return out;
}

}  // namespace

std::string systemNameOf(std::string_view linuxName) {
  return swapped(linuxName, '\\', '/');
}

std::string linuxNameOf(std::string_view systemName) {
  return swapped(systemName, '/', '\\');
}

std::optional<std::string> toLinuxPath(const std::string& systemPath, const DriveTable& table) {
  if (systemPath.size() < 2 || systemPath[1] != ':') return std::nullopt;
  const std::optional<MountEntry> mount = table.currentMount(systemPath[0]);
  if (!mount) return std::nullopt;
  std::string path = mount->mountPoint == "/" ? std::string() : mount->mountPoint;
  for (const std::string_view name : pathNames(std::string_view(systemPath).substr(2), "\\")) {
    path += '/';
    path += linuxNameOf(name);
  }
  return path.empty() ? std::string("/") : path;
}

std::optional<std::string> toSystemPath(const std::string& linuxPath, const DriveTable& table) {
  if (linuxPath.empty() || linuxPath[0] != '/') return std::nullopt;
  std::string normal;
  const std::vector<std::string_view> names = pathNames(linuxPath, "/");
  for (const std::string_view name : names) {
    normal += '/';
    normal += name;
  }
  if (normal.empty()) normal.push_back('/');

  const std::pair<char, MountEntry>* best = nullptr;
  const std::vector<std::pair<char, MountEntry>> mounts = table.currentMounts();
  for (const auto& item : mounts) {
    if (isWithinFolder(normal, item.second.mountPoint) &&
        (best == nullptr || item.second.mountPoint.size() > best->second.mountPoint.size())) {
      best = &item;
    }
  }
  if (best == nullptr) return std::nullopt;
  std::string path{best->first, ':', '\\'};
  const size_t skip =
      best->second.mountPoint == "/" ? 0 : pathNames(best->second.mountPoint, "/").size();
  for (size_t i = skip; i < names.size(); ++i) {
    if (i > skip) path += '\\';
    path += systemNameOf(names[i]);
  }
  return path;
}

}  // namespace vellomar
