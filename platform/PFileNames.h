#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vellomar {

// Operations on the names of files, as replacing a database by its compressed copy needs them.
// Every one answers false on failure and leaves errno set.

// Device and inode: two names of one file have the same.
struct FileIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
  friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// None when nothing of that name exists; links are followed.
std::optional<FileIdentity> fileIdentity(const std::string& path);
bool isRegularFile(const std::string& path);

// Puts from in the place of to in one step, replacing a file there, and puts the folder's new
// entry on the disk: whatever happens, to names either the old file or the new one.
bool replaceFileName(const std::string& from, const std::string& to);
// A second name for a file, in the same folder: a copy without copying its bytes.
bool addFileName(const std::string& existing, const std::string& newName);
// Removes the name of a file (not of a folder).
bool removeFileName(const std::string& path);

}  // namespace vellomar
