#pragma once

#include <memory>
#include <string>

namespace vellomar {

// The system's folder for temporary files, ending with "/": $TMPDIR when it names a folder,
// else /tmp. Empty when neither is a folder.
std::string systemTempFolder();

// A folder of this process's own for files that must not outlive their use: made under the
// temporary folder with a fresh unguessable name and mode 0700, so no other user can place or
// replace anything in it. Removed with everything in it, links removed and never followed, when
// the object goes. Its name is the prefix, the process id, "-" and six random characters, and
// the process holds a lock on it while it lives, so a later run can tell a folder left by a
// process that was killed.
class PrivateTempFolder {
 public:
  // Null when no folder can be made.
  static std::unique_ptr<PrivateTempFolder> create(const std::string& prefix);
  // The same in a folder of the caller's choice (parent ends with "/" or not).
  static std::unique_ptr<PrivateTempFolder> createIn(std::string parent, const std::string& prefix);
  ~PrivateTempFolder();
  PrivateTempFolder(const PrivateTempFolder&) = delete;
  PrivateTempFolder& operator=(const PrivateTempFolder&) = delete;

  // Ends with "/".
  const std::string& path() const { return path_; }

  // Removes the folders with this prefix in parent that were made by this user and that no
  // process holds any more; the count removed.
  static int removeAbandoned(std::string parent, const std::string& prefix);

 private:
  PrivateTempFolder(std::string path, int lock) : path_(std::move(path)), lock_(lock) {}
  std::string path_;
  int lock_;
};

}  // namespace vellomar
