#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vellomar {

// A regular file opened for reading by position. Opening never blocks on a FIFO or a device,
// and every read is bounded by the caller and the file's end.
class InputFile {
 public:
  // Nothing when path is not a readable regular file.
  static std::optional<InputFile> open(const std::string& path);
  ~InputFile();
  InputFile(InputFile&& other) noexcept;
  InputFile& operator=(InputFile&& other) noexcept;
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  uint64_t size() const { return size_; }
  // At most n bytes from offset; fewer at the end of the file or after a read error.
  std::vector<uint8_t> read(uint64_t offset, size_t n) const;

 private:
  InputFile(int fd, uint64_t size) : fd_(fd), size_(size) {}
  int fd_ = -1;
  uint64_t size_ = 0;
};

}  // namespace vellomar
