#include "platform/PMountInfo.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>

namespace vellomar {
namespace {

// Far above any mount table or device attribute; stops a wrong path to an endless file.
constexpr size_t kMaxFileSize = size_t{16} << 20;

constexpr const char* kMountTable = "/proc/self/mountinfo";

// Files under /proc report no size, so this reads until the end instead of trusting st_size.
std::string readToEnd(int fd) {
  std::string text;
  char buffer[8192];
  while (text.size() < kMaxFileSize) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    text.append(buffer, static_cast<size_t>(n));
  }
  return text;
}

bool isOctal(char c) {
  return c >= '0' && c <= '7';
}

// The kernel writes blank, tab, newline and backslash in paths as \ooo.
std::string decodeOctal(std::string_view field) {
  std::string out;
  out.reserve(field.size());
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && field.size() - i > 3 && isOctal(field[i + 1]) &&
        isOctal(field[i + 2]) && isOctal(field[i + 3])) {
      const int value = (field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0');
      out += static_cast<char>(value & 0xFF);
      i += 3;
    } else {
      out += field[i];
    }
  }
  return out;
}

std::vector<std::string_view> splitFields(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t pos = 0;
  while (pos < line.size()) {
    while (pos < line.size() && line[pos] == ' ') ++pos;
    const size_t end = line.find(' ', pos);
    const size_t stop = end == std::string_view::npos ? line.size() : end;
    if (stop > pos) fields.push_back(line.substr(pos, stop - pos));
    pos = stop;
  }
  return fields;
}

bool parseDevice(std::string_view text, unsigned& major, unsigned& minor) {
  const size_t colon = text.find(':');
  if (colon == std::string_view::npos) return false;
  const char* end = text.data() + text.size();
  const auto a = std::from_chars(text.data(), text.data() + colon, major);
  const auto b = std::from_chars(text.data() + colon + 1, end, minor);
  return a.ec == std::errc() && a.ptr == text.data() + colon && b.ec == std::errc() && b.ptr == end;
}

// id parent major:minor root mount-point options [optional fields...] - fstype source super-options
bool parseLine(std::string_view line, MountEntry& entry) {
  const std::vector<std::string_view> fields = splitFields(line);
  size_t dash = 6;
  while (dash < fields.size() && fields[dash] != "-") ++dash;
  if (dash + 2 >= fields.size() || !parseDevice(fields[2], entry.major, entry.minor)) return false;
  entry.root = decodeOctal(fields[3]);
  entry.mountPoint = decodeOctal(fields[4]);
  entry.fsType = decodeOctal(fields[dash + 1]);
  entry.source = decodeOctal(fields[dash + 2]);
  return !entry.mountPoint.empty() && entry.mountPoint[0] == '/';
}

}  // namespace

std::vector<MountEntry> parseMountInfo(std::string_view text) {
  std::vector<MountEntry> entries;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    MountEntry entry;
    if (parseLine(text.substr(pos, end - pos), entry)) entries.push_back(std::move(entry));
    pos = end + 1;
  }
  return entries;
}

bool isWithinFolder(const std::string& path, const std::string& folder) {
  if (folder == "/") return path.starts_with('/');
  return path.starts_with(folder) && (path.size() == folder.size() || path[folder.size()] == '/');
}

std::string readWholeFile(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return {};
  std::string text = readToEnd(fd);
  close(fd);
  return text;
}

MountTableWatch::~MountTableWatch() {
  if (fd_ >= 0) close(fd_);
}

const std::string& MountTableWatch::text() {
  if (fd_ < 0) {
    fd_ = open(kMountTable, O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) return text_ = readWholeFile(kMountTable);
    text_ = readToEnd(fd_);
    return text_;
  }
  pollfd watch{fd_, POLLPRI, 0};
  const int ready = poll(&watch, 1, 0);
  if (ready != 0 && lseek(fd_, 0, SEEK_SET) == 0) text_ = readToEnd(fd_);
  return text_;
}

}  // namespace vellomar
