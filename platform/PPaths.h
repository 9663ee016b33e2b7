#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/PDrives.h"

namespace vellomar {

// The program names files as "X:\folder\name"; only the platform layer sees Linux paths.
// Both directions resolve "." and ".." by the text, never above the root of the drive, so a
// name can never lead out of the drive it names.
//
// A Linux name may hold "\", the program's separator; the program's form of such a name holds
// "/" in its place, the one byte no Linux name can hold, so the two forms map one to one.

std::string systemNameOf(std::string_view linuxName);
std::string linuxNameOf(std::string_view systemName);

// "D:\a\b" (either case of letter) as the mount point of D: + "/a/b".
// None for a path without a drive letter, or a drive that is absent or has no medium.
std::optional<std::string> toLinuxPath(const std::string& systemPath,
                                       const DriveTable& table = processDriveTable());

// An absolute Linux path as "X:\..." of the drive with the longest mount point that holds it.
// None when no drive holds it.
std::optional<std::string> toSystemPath(const std::string& linuxPath,
                                        const DriveTable& table = processDriveTable());

}  // namespace vellomar
