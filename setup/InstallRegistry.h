#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/PFile.h"

namespace vellomar::setup {

// The installation's record in the registry. Writes raise RegistryError when the registry file
// cannot be written.

// The installed folders for the uninstaller, in call order; recorded as Folder0, Folder1, ... by
// WriteInstallRegistry.
class UninstallFolders {
 public:
  void AddUninstallFolder(const std::string& folder) { folders_.push_back(folder); }
  const std::vector<std::string>& folders() const { return folders_; }

 private:
  std::vector<std::string> folders_;
};

// The program key; the uninstall record, written afresh so nothing of an earlier installation
// stays in it: the folders, then installedFiles, lines as the data-file reader makes them (a mark
// "*" or " " before a name relative to target; "*" also records the file's last-write time),
// followed by the help system's two generated files; the system's uninstall entry. All in one
// write of the registry file, which stays as it was when that fails.
void WriteInstallRegistry(const std::string& target, const UninstallFolders& folders,
                          std::vector<std::string> installedFiles);

// Records the menu group and its items' files.
void WriteMenuEntries();

// A last-write time as the 100 ns ticks since 1601 the uninstall record keeps.
uint64_t fileTimeTicks(FileTime time);

}  // namespace vellomar::setup
