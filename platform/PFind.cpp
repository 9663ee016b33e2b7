#include "platform/PFind.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <linux/msdos_fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <string_view>

#include "platform/PPaths.h"

namespace vellomar {
namespace {

constexpr int kFirstDosYear = 1980;
constexpr int kLastDosYear = 2107;
constexpr uint32_t kFirstDosDateTime = (1u << 21) | (1u << 16);
constexpr uint32_t kLastDosDateTime =
    (127u << 25) | (12u << 21) | (31u << 16) | (23u << 11) | (59u << 5) | 29u;
constexpr uint16_t kFatAttributeMask = 0x3F;
constexpr size_t kFolderBufferSize = 32768;
// What a catalogue keeps of an entry, and the mount, which tells a bind mount from its folder.
constexpr unsigned kStatFields = STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_MTIME | STATX_MNT_ID;

struct MediaKind {
  bool fat = false;
  bool caseInsensitive = false;
};

MediaKind mediaOf(int fd) {
  struct statfs fs {};
  if (fstatfs(fd, &fs) != 0) return {};
  const auto type = static_cast<unsigned long>(fs.f_type);
  const bool fat = type == MSDOS_SUPER_MAGIC || type == EXFAT_SUPER_MAGIC;
  return {fat, fat || type == ISOFS_SUPER_MAGIC || type == UDF_SUPER_MAGIC};
}

EntryKind kindOf(unsigned mode) {
  if (S_ISDIR(mode)) return EntryKind::kDirectory;
  if (S_ISLNK(mode)) return EntryKind::kSymlink;
  if (S_ISFIFO(mode)) return EntryKind::kFifo;
  if (S_ISSOCK(mode)) return EntryKind::kSocket;
  if (S_ISCHR(mode) || S_ISBLK(mode)) return EntryKind::kDevice;
  return EntryKind::kFile;
}

// The attribute byte FAT keeps; only regular files and folders are opened, never blocking
// and never through a link that replaced the entry since it was described.
bool readFatAttributes(int dirFd, const char* name, bool directory, Links links,
                       uint16_t& attributes) {
  const int flags = O_RDONLY | O_NONBLOCK | O_CLOEXEC | (directory ? O_DIRECTORY : 0) |
                    (links == Links::kKeep ? O_NOFOLLOW : 0);
  const int fd = openat(dirFd, name, flags);
  if (fd < 0) return false;
  uint32_t value = 0;
  const bool ok = ioctl(fd, FAT_IOCTL_GET_ATTRIBUTES, &value) == 0;
  ::close(fd);
  if (ok) attributes = static_cast<uint16_t>(value & kFatAttributeMask);
  return ok;
}

bool statEntry(int dirFd, const char* name, int flags, struct statx& st) {
  return statx(dirFd, name, flags | AT_NO_AUTOMOUNT, kStatFields, &st) == 0;
}

uint64_t mountIdOf(const struct statx& st) {
  return (st.stx_mask & STATX_MNT_ID) ? st.stx_mnt_id : 0;
}

bool describe(int dirFd, const char* name, bool fat, Links links, FindEntry& entry) {
  struct statx st {};
  if (!statEntry(dirFd, name, links == Links::kKeep ? AT_SYMLINK_NOFOLLOW : 0, st)) return false;
  entry.kind = kindOf(st.stx_mode);
  entry.size = entry.isDirectory() ? 0 : static_cast<int64_t>(st.stx_size);
  entry.dosDateTime = dosDateTimeOf(static_cast<time_t>(st.stx_mtime.tv_sec));
  entry.device = makedev(st.stx_dev_major, st.stx_dev_minor);
  entry.mountId = mountIdOf(st);
  uint16_t attributes = 0;
  if (entry.isDirectory()) attributes |= kAttrDirectory;
  if (entry.kind == EntryKind::kFile) attributes |= kAttrArchive;
  if ((st.stx_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) attributes |= kAttrReadOnly;
  if (entry.name.starts_with('.')) attributes |= kAttrHidden;
  if (fat && !entry.isSpecial() &&
      readFatAttributes(dirFd, name, entry.isDirectory(), links, attributes)) {
    attributes = static_cast<uint16_t>((attributes & ~kAttrDirectory) |
                                       (entry.isDirectory() ? kAttrDirectory : 0));
  }
  entry.attributes = attributes;
  return true;
}

bool passedOver(unsigned char type, FindWanted wanted) {
  if (type == DT_UNKNOWN) return false;
  if (wanted == FindWanted::kFolders) return type != DT_DIR;
  if (wanted == FindWanted::kNonFolders) return type == DT_DIR;
  return false;
}

// "X:\folder\*.*" and "X:\folder\*" name the folder's every entry.
std::string withoutPattern(const std::string& folder) {
  for (const char* pattern : {"*.*", "*"}) {
    const std::string_view text(folder);
    const std::string_view tail(pattern);
    if (text.ends_with(tail) && text.size() > tail.size() &&
        text[text.size() - tail.size() - 1] == '\\') {
      return folder.substr(0, folder.size() - tail.size());
    }
  }
  return folder;
}

}  // namespace

uint32_t dosDateTimeOf(time_t time) {
  struct tm local {};
  if (localtime_r(&time, &local) == nullptr) return kFirstDosDateTime;
  const int year = local.tm_year + 1900;
  if (year < kFirstDosYear) return kFirstDosDateTime;
  if (year > kLastDosYear) return kLastDosDateTime;
  const int second = local.tm_sec > 59 ? 59 : local.tm_sec;  // a leap second
  return (static_cast<uint32_t>(year - kFirstDosYear) << 25) |
         (static_cast<uint32_t>(local.tm_mon + 1) << 21) |
         (static_cast<uint32_t>(local.tm_mday) << 16) |
         (static_cast<uint32_t>(local.tm_hour) << 11) | (static_cast<uint32_t>(local.tm_min) << 5) |
         static_cast<uint32_t>(second / 2);
}

bool FindSearch::open(const std::string& systemFolder, const DriveTable& table) {
  close();
  const std::string folder = withoutPattern(systemFolder);
  if (folder.find_first_of("*?") != std::string::npos) return false;
  const std::optional<std::string> path = toLinuxPath(folder, table);
  return path && openAt(*path);
}

bool FindSearch::openAt(const std::string& linuxFolder) {
  close();
  return openFd(::open(linuxFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

bool FindSearch::openChild(const FindSearch& parent, const std::string& name) {
  close();
  if (!parent.isOpen()) return false;
  const int fd = openat(parent.fd_, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  return openFd(fd, &parent);
}

bool FindSearch::openFd(int fd, const FindSearch* parent) {
  if (fd < 0) return false;
  struct statx st {};
  if (!statEntry(fd, "", AT_EMPTY_PATH, st)) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  device_ = makedev(st.stx_dev_major, st.stx_dev_minor);
  mountId_ = mountIdOf(st);
  // A folder of its parent's file system is of its parent's kind of medium.
  const MediaKind media = parent != nullptr && parent->device_ == device_
                              ? MediaKind{parent->fat_, parent->caseInsensitive_}
                              : mediaOf(fd);
  fat_ = media.fat;
  caseInsensitive_ = media.caseInsensitive;
  buffer_ = std::make_unique_for_overwrite<char[]>(kFolderBufferSize);
  return true;
}

bool FindSearch::fill() {
  if (!buffer_) return false;
  const ssize_t got = getdents64(fd_, buffer_.get(), kFolderBufferSize);
  if (got <= 0) {
    // The end, or a folder that cannot be read on: nothing more, and the buffer goes.
    buffer_.reset();
    return false;
  }
  bufferUsed_ = static_cast<size_t>(got);
  bufferPos_ = 0;
  return true;
}

bool FindSearch::next(FindEntry& entry, FindWanted wanted) {
  while (fd_ >= 0) {
    if (bufferPos_ >= bufferUsed_ && !fill()) return false;
    const auto* item = reinterpret_cast<const struct dirent64*>(buffer_.get() + bufferPos_);
    bufferPos_ += item->d_reclen;
    const std::string_view name(item->d_name);
    if (name == "." || name == "..") continue;
    if (passedOver(item->d_type, wanted)) continue;
    // The name's room is kept from entry to entry.
    std::string kept = std::move(entry.name);
    entry = FindEntry{};
    entry.name = std::move(kept);
    entry.name.assign(name);
    if (describe(fd_, item->d_name, fat_, Links::kKeep, entry)) return true;
    // An entry that vanished since the folder was read is simply not there.
  }
  return false;
}

void FindSearch::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  buffer_.reset();
  bufferUsed_ = 0;
  bufferPos_ = 0;
  device_ = 0;
  mountId_ = 0;
  fat_ = false;
  caseInsensitive_ = false;
}

std::optional<FindEntry> findEntryAt(const std::string& linuxPath, Links links) {
  std::string path = linuxPath;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  if (path.empty() || path[0] != '/') return std::nullopt;
  const size_t slash = path.rfind('/');
  const std::string parent = slash == 0 ? "/" : path.substr(0, slash);
  const std::string name = path.substr(slash + 1);
  const int dirFd = ::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd < 0) return std::nullopt;
  FindEntry entry;
  entry.name = name;
  const bool found =
      describe(dirFd, name.empty() ? "." : name.c_str(), mediaOf(dirFd).fat, links, entry);
  ::close(dirFd);
  if (!found) return std::nullopt;
  return entry;
}

std::optional<FindEntry> findEntry(const std::string& systemPath, Links links,
                                   const DriveTable& table) {
  const std::optional<std::string> path = toLinuxPath(systemPath, table);
  if (!path) return std::nullopt;
  return findEntryAt(*path, links);
}

}  // namespace vellomar
