#include "modules/filterkit/InputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace vellomar {

std::optional<InputFile> InputFile::open(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return std::nullopt;
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0) {
    ::close(fd);
    return std::nullopt;
  }
  return InputFile(fd, static_cast<uint64_t>(info.st_size));
}

InputFile::~InputFile() {
  if (fd_ >= 0) ::close(fd_);
}

InputFile::InputFile(InputFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), size_(other.size_) {}

InputFile& InputFile::operator=(InputFile&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
    size_ = other.size_;
  }
  return *this;
}

std::vector<uint8_t> InputFile::read(uint64_t offset, size_t n) const {
  std::vector<uint8_t> bytes;
  if (offset >= size_) return bytes;
  if (n > size_ - offset) n = static_cast<size_t>(size_ - offset);
  bytes.resize(n);
  size_t done = 0;
  while (done < n) {
    const ssize_t got =
        pread(fd_, bytes.data() + done, n - done, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    done += static_cast<size_t>(got);
  }
  bytes.resize(done);
  return bytes;
}

}  // namespace vellomar
