#include "ui/app/USideFiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <memory>

#include "foundation/UDebugLog.h"
#include "platform/PAsciiText.h"
#include "platform/PTempFolder.h"
#include "ui/settings/USettingsGlobals.h"

namespace vellomar {

namespace {

constexpr uint16_t kVkF1 = 0x70;
constexpr const char* kTempFolderPrefix = "VellomarTemp-";
// Sections [cmd1]..[cmd19] may be missing; from [cmd20] on the first missing one ends the list.
constexpr int kLastGap = 19;

std::unique_ptr<PrivateTempFolder>& privateTempFolder() {
  static std::unique_ptr<PrivateTempFolder> folder;
  return folder;
}

}  // namespace

uint16_t userCommandKey(const std::string& text) {
  const std::string key = upperAscii(text);
  if (key.size() == 1 && ((key[0] >= 'A' && key[0] <= 'Z') || (key[0] >= '0' && key[0] <= '9')))
    return static_cast<uint16_t>(key[0]);
  if (key.size() >= 2 && key.size() <= 3 && key[0] == 'F' &&
      key.find_first_not_of("0123456789", 1) == std::string::npos && key[1] != '0') {
    const int n = std::stoi(key.substr(1));
    if (n >= 1 && n <= 12) return static_cast<uint16_t>(kVkF1 + n - 1);
  }
  return 0;
}

void ReadUserCommands(const IniFile& ini) {
  UserCommandList.clear();
  const std::string tempDir = ini.readString("settings", "tempdir", "");
  if (!tempDir.empty()) {
    TempFolder = tempDir;
    DebugLog("TempFolder = %s", TempFolder.c_str());
  }
  for (int n = 1;; ++n) {
    const std::string section = "cmd" + std::to_string(n);
    const std::string keyText = ini.readString(section, "key", "");
    if (keyText.empty()) {
      if (n <= kLastGap) continue;
      break;
    }
    auto command = std::make_unique<TUserCommand>();
    command->wKey = userCommandKey(keyText);
    command->bShift = ini.readBool(section, "shift", false);
    command->bControl = ini.readBool(section, "control", false);
    command->bAlt = ini.readBool(section, "alt", false);
    command->bTest = ini.readBool(section, "test", false);
    command->sDll = ini.readString(section, "dll", "");
    command->sParams = ini.readString(section, "params", "");
    DebugLog("UserCmd.ini: wKey=%d, bShift=%d, bControl=%d, bAlt=%d, sDll=%s, sParams=%s",
             command->wKey, command->bShift, command->bControl, command->bAlt,
             command->sDll.c_str(), command->sParams.c_str());
    if (command->wKey != 0 && !command->sDll.empty())
      UserCommandList.push_back(std::move(command));
    else
      DebugLog("Invalid key or DLL name");
  }
}

bool isPrivateFolder(const std::string& path) {
  struct stat st {};
  std::string p = path;
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  return ::lstat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
         (st.st_mode & 077) == 0;
}

void CreateTempFolder() {
  if (TempFolder.empty()) return;
  // Runs that were killed left theirs.
  PrivateTempFolder::removeAbandoned(TempFolder, kTempFolderPrefix);
  auto folder = PrivateTempFolder::createIn(TempFolder, kTempFolderPrefix);
  if (folder == nullptr || !isPrivateFolder(folder->path())) {
    TempFolder.clear();
    return;
  }
  TempFolder = folder->path();
  privateTempFolder() = std::move(folder);
}

void DeleteTempFolder() {
  privateTempFolder().reset();
}

}  // namespace vellomar
