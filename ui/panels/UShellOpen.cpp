#include "ui/panels/UShellOpen.h"

#include <sys/stat.h>

#include <filesystem>

#include "platform/PPaths.h"
#include "platform/PText.h"

namespace vellomar {

namespace {

bool isKind(const std::string& path, bool folder) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return false;
  return folder ? S_ISDIR(st.st_mode) : S_ISREG(st.st_mode);
}

// The entry of dir whose name equals name ignoring case; the exact name wins.
std::optional<std::string> entryIgnoringCase(const std::string& dir, const std::string& name) {
  std::error_code error;
  const std::string exact = (dir == "/" ? "" : dir) + "/" + name;
  if (std::filesystem::exists(exact, error)) return exact;
  const std::string wanted = lowerText(name);
  for (const auto& entry : std::filesystem::directory_iterator(dir, error)) {
    const std::string candidate = entry.path().filename().string();
    if (lowerText(candidate) == wanted) return entry.path().string();
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> findCataloguedPath(const std::string& systemPath, bool folder,
                                              const DriveTable& table) {
  const std::optional<std::string> exact = toLinuxPath(systemPath, table);
  if (!exact) return std::nullopt;
  if (isKind(*exact, folder)) return exact;
  // Walk down from the drive's root, the part of the path that names no catalogued folder.
  const std::optional<std::string> root = toLinuxPath(systemPath.substr(0, 2) + "\\", table);
  if (!root || exact->compare(0, root->size(), *root) != 0) return std::nullopt;
  std::string path = *root == "/" ? "" : *root;
  size_t at = root->size();
  while (at < exact->size()) {
    if ((*exact)[at] == '/') {
      ++at;
      continue;
    }
    const size_t end = std::min(exact->find('/', at), exact->size());
    const std::optional<std::string> next =
        entryIgnoringCase(path.empty() ? "/" : path, exact->substr(at, end - at));
    if (!next) return std::nullopt;
    path = *next;
    at = end;
  }
  if (path.empty() || !isKind(path, folder)) return std::nullopt;
  return path;
}

NotFoundCauses notFoundCauses(const VolumeInfo& volume, const std::string& recordedLabel,
                              bool inArchive) {
  NotFoundCauses why;
  why.notAccessible = !volume.accessible;
  why.anotherDisk = volume.kind == DriveKind::kRemovable || volume.kind == DriveKind::kOptical;
  why.inArchive = inArchive;
  why.network = volume.kind == DriveKind::kRemote;
  why.labelsDiffer = !volume.label.empty() && !sameText(volume.label, recordedLabel);
  return why;
}

std::string notFoundMessage(const std::string& target, bool folder, const NotFoundCauses& why) {
  std::string text =
      target + "\r\n\r\n" + (folder ? "Folder" : "File") + " cannot be open. Possible causes:\r\n";
  if (why.notAccessible) text += " - disk is not accessible\r\n";
  if (why.anotherDisk) text += " - another disk in the drive\r\n";
  if (why.inArchive) text += " - file is in compressed archive\r\n";
  if (why.network) text += " - disk is a network drive, not accessible now\r\n";
  if (why.labelsDiffer) text += " - volume labels differ: probably different disk\r\n";
  text += folder ? " - folder was deleted, moved or renamed\r\n"
                 : " - file was deleted, moved or renamed\r\n";
  return text;
}

}  // namespace vellomar
