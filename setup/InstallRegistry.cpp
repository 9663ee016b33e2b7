#include "setup/InstallRegistry.h"

#include <algorithm>

#include "platform/PKernelFile.h"
#include "platform/PRegistry.h"
#include "setup/ProgmanGroup.h"

namespace vellomar::setup {

namespace {

constexpr char kProgramKey[] = "\\Software\\Halvik\\Vellomar";
constexpr char kUninstallKey[] = "\\Software\\Halvik\\Vellomar\\Uninstall";
constexpr char kSystemUninstallKey[] =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vellomar 5";
constexpr uint32_t kVersionMajor = 5;
constexpr uint32_t kVersionMinor = 15;
constexpr int64_t kSecondsFrom1601To1970 = 11644473600;
constexpr int64_t kTicksPerSecond = 10000000;

Registry openForWriting(const char* key) {
  Registry registry;
  registry.rootKey = RegistryRoot::kLocalMachine;
  registry.openKey(key, true);
  return registry;
}

}  // namespace

uint64_t fileTimeTicks(FileTime time) {
  const int64_t seconds = std::max<int64_t>(time.seconds + kSecondsFrom1601To1970, 0);
  return static_cast<uint64_t>(seconds) * kTicksPerSecond +
         static_cast<uint64_t>(time.nanoseconds / 100);
}

void WriteInstallRegistry(const std::string& target, const UninstallFolders& folders,
                          std::vector<std::string> installedFiles) {
  Registry registry = openForWriting(kProgramKey);
  registry.writeInteger("VersionMajor", kVersionMajor);
  registry.writeInteger("VersionMinor", kVersionMinor);
  registry.writeString("Path", target);
  registry.writeString("Language", "English");

  registry.openKey(kUninstallKey, true);
  registry.deleteAllValues();
  for (size_t n = 0; n < folders.folders().size(); ++n) {
    registry.writeString("Folder" + std::to_string(n), folders.folders()[n]);
  }
  installedFiles.push_back(" Vellomar.GID");
  installedFiles.push_back(" Vellomar.FTS");
  for (size_t n = 0; n < installedFiles.size(); ++n) {
    const std::string& line = installedFiles[n];
    if (line.empty()) continue;
    const std::string name = line.substr(1);
    const std::string number = std::to_string(n);
    registry.writeString("File" + number, name);
    if (line.front() != '*') continue;
    if (const std::optional<FileTime> time = kernelLastWriteTime((target + name).c_str())) {
      const uint64_t ticks = fileTimeTicks(*time);
      registry.writeInteger("TimeLo" + number, static_cast<uint32_t>(ticks));
      registry.writeInteger("TimeHi" + number, static_cast<uint32_t>(ticks >> 32));
    }
  }

  registry.openKey(kSystemUninstallKey, true);
  registry.writeString("DisplayName", kGroupName);
  // The file is installed as "Uninstall.exe", and names are told apart by case here.
  registry.writeString("UninstallString", target + "Uninstall.exe");
  registry.closeKey();
}

void WriteMenuEntries() {
  const std::string programs = programsFolder();
  Registry registry = openForWriting(kUninstallKey);
  for (size_t n = 0; n < kProgmanItems.size(); ++n) {
    registry.writeString("MenuFile" + std::to_string(n),
                         programs + "/" + std::string(kProgmanItems[n].entryName));
  }
  registry.writeString("MenuGroup", groupMenuFile());
  registry.closeKey();
}

}  // namespace vellomar::setup
