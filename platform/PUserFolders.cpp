#include "platform/PUserFolders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace vellomar {

namespace {

std::string withSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

std::string absoluteVariable(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || value[0] != '/') return {};
  return withSlash(value);
}

std::string underHome(const char* variable, const char* fallback) {
  std::string folder = absoluteVariable(variable);
  if (!folder.empty()) return folder;
  const std::string home = homeFolder();
  return home.empty() ? std::string() : home + fallback;
}

}  // namespace

std::string homeFolder() {
  std::string home = absoluteVariable("HOME");
  if (!home.empty()) return home;
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
      found == nullptr || found->pw_dir == nullptr || found->pw_dir[0] != '/') {
    return {};
  }
  return withSlash(found->pw_dir);
}

std::string userConfigFolder() {
  return underHome("XDG_CONFIG_HOME", ".config/");
}

std::string userDataFolder() {
  return underHome("XDG_DATA_HOME", ".local/share/");
}

}  // namespace vellomar
