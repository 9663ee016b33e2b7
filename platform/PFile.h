#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace vellomar {

// How a file is opened. Writers hold an exclusive and readers a shared flock, taken without
// waiting, so a file open for writing is refused to everybody else and a file being read is
// refused to writers.
enum class FileOpenMode {
  kCreate,     // read/write; created, or emptied once the lock is held
  kReadWrite,  // read/write of an existing file
  kReadOnly,   // reading an existing file
};

// Why open() refuses a file, for the message that tells the user; kNone when it would open it.
enum class OpenRefusal {
  kNone,
  kMissing,
  kFolder,
  kNotRegularFile,
  kNoPermission,
  kHeld,  // another process holds the lock
  kOther,
};
OpenRefusal openRefusal(const std::string& name, FileOpenMode mode);
// flock of the descriptor (LOCK_SH or LOCK_EX) without waiting, again where a signal breaks in;
// false, errno telling why, when another holds it.
bool lockWithoutWaiting(int fd, int operation);

// A modification time to the nanosecond.
struct FileTime {
  int64_t seconds = 0;
  int64_t nanoseconds = 0;
};

// An open file over POSIX descriptors. Reads and writes are positioned (no shared file offset)
// and complete: short counts and interrupted calls are carried on.
class PlatformFile {
 public:
  PlatformFile() = default;
  ~PlatformFile() { close(); }
  PlatformFile(const PlatformFile&) = delete;
  PlatformFile& operator=(const PlatformFile&) = delete;

  // False when the file cannot be opened, is not a regular file, or its lock is refused; the file
  // is then left closed and, in kCreate, untouched.
  bool open(const std::string& name, FileOpenMode mode);
  bool isOpen() const { return fd_ >= 0; }
  void close();

  std::optional<uint64_t> size() const;
  // Reads up to n bytes at offset; fewer only at the end of the file; -1 on failure.
  int64_t readAt(uint64_t offset, void* buffer, size_t n) const;
  // Writes all n bytes at offset, or fails.
  bool writeAt(uint64_t offset, const void* data, size_t n);
  // Puts written data on the disk.
  bool flush();

  std::optional<FileTime> modificationTime() const;
  // Leaves the access time alone.
  bool setModificationTime(FileTime time);

 private:
  int fd_ = -1;
};

}  // namespace vellomar
