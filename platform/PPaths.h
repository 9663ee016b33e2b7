#pragma once

#include <optional>
#include <string>

#include "platform/PDrives.h"

namespace vellomar {

// The program names files as "X:\folder\name"; only the platform layer sees Linux paths.
// Both directions resolve "." and ".." by the text, never above the root of the drive, so a
// name can never lead out of the drive it names.

// "D:\a\b" (either separator, either case of letter) as the mount point of D: + "/a/b".
// None for a path without a drive letter, or a drive that is absent or has no medium.
std::optional<std::string> toLinuxPath(const std::string& systemPath,
                                       const DriveTable& table = processDriveTable());

// An absolute Linux path as "X:\..." of the drive with the longest mount point that holds it.
// None when no drive holds it or a name in it holds a backslash, which the program's paths
// cannot carry.
std::optional<std::string> toSystemPath(const std::string& linuxPath,
                                        const DriveTable& table = processDriveTable());

}  // namespace vellomar
