#pragma once

#include <string>
#include <vector>

#include "platform/PDrives.h"

namespace vellomar {

// What the folder browser shows, without widgets: a node's text beside the real name that
// paths are made of.
struct FolderNode {
  std::string text;
  std::string name;  // "C:" for a drive; a folder's name with its case as on disk
};

// Drives from C: on (floppies are never listed), each "C:  " and its label.
std::vector<FolderNode> FolderTreeDrives(const DriveTable& table = processDriveTable());

// The folders of a folder ("C:" or "C:\Data"), sorted by their text; hidden ones left out. A
// name wholly in capitals is shown in lower case but for its first character. Empty when the
// folder cannot be read.
std::vector<FolderNode> FolderTreeChildren(const std::string& path,
                                           const DriveTable& table = processDriveTable());

// A child node's path: its parent's path, "\" and the child's real name.
std::string FolderTreeChildPath(const std::string& parentPath, const FolderNode& child);

}  // namespace vellomar
