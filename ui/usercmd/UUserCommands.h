#pragma once

#include <cstdint>
#include <string>

#include "ui/drives/UDrives.h"

namespace vellomar {

// Where the focused file of a user command lies, in the catalogue's own "X:\..." form.
struct UserCommandPaths {
  std::string fullPath;       // the file, or the archive that holds it
  std::string pathInArchive;  // "/"-separated from the archive's top; empty outside one
};

// basePath: the disk's recorded base path; folderPath: the current folder ("\", "\photos");
// archivePath: the current archive's own path when the folder lies in one, else empty.
UserCommandPaths UserCommandPathsOf(std::string basePath, const std::string& folderPath,
                                    const std::string& archivePath, const std::string& fileName);

// The flags argument: what the program knows of the file and its drive now.
int32_t UserCommandFlagsOf(bool fileExists, const QueriedVolume& volume,
                           const std::string& recordedLabel, bool inArchive);

}  // namespace vellomar
