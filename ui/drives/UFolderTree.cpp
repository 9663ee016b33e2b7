#include "ui/drives/UFolderTree.h"

#include <algorithm>

#include "platform/PFind.h"
#include "platform/PText.h"
#include "ui/drives/UDrives.h"

namespace vellomar {
std::vector<FolderNode> FolderTreeDrives(const DriveTable& table) {
  std::vector<FolderNode> drives;
  for (const Drive& drive : table.drives()) {
    if (drive.letter < 'C') continue;
    const std::string name{drive.letter, ':'};
    drives.push_back({name + "  " + GetDiskLabel(drive.letter, table), name});
  }
  return drives;
}

std::vector<FolderNode> FolderTreeChildren(const std::string& path, const DriveTable& table) {
  std::vector<FolderNode> children;
  FindSearch search;
  if (!search.open(path.size() == 2 ? path + "\\" : path, table)) return children;
  FindEntry entry;
  while (search.next(entry, FindWanted::kFolders)) {
    if (!entry.isDirectory() || (entry.attributes & kAttrHidden) != 0) continue;
    children.push_back({LabelAsName(entry.name), entry.name});
  }
  std::sort(children.begin(), children.end(), [](const FolderNode& a, const FolderNode& b) {
    return compareTextThenBytes(a.text, b.text) < 0;
  });
  return children;
}

std::string FolderTreeChildPath(const std::string& parentPath, const FolderNode& child) {
  return parentPath + "\\" + child.name;
}

}  // namespace vellomar
