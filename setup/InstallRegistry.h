#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/PFile.h"

namespace vellomar::setup {

// The installation's record in the registry. Writes raise RegistryError when the registry file
// cannot be written.

// Numbers the installed folders for the uninstaller, in call order from Folder0; the first
// clears the uninstall record of an earlier installation.
class UninstallFolders {
 public:
  void AddUninstallFolder(const std::string& folder);

 private:
  int counter_ = 0;
};

// The program key; the uninstall record of installedFiles, lines as the data-file reader makes
// them (a mark "*" or " " before a name relative to target; "*" also records the file's
// last-write time), followed by the help system's two generated files; the system's uninstall
// entry.
void WriteInstallRegistry(const std::string& target, std::vector<std::string> installedFiles);

// Records the menu group and its items' files.
void WriteMenuEntries();

// A last-write time as the 100 ns ticks since 1601 the uninstall record keeps.
uint64_t fileTimeTicks(FileTime time);

}  // namespace vellomar::setup
