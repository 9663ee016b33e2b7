#include "platform/PObjectFile.h"

#include <elf.h>
#include <fcntl.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace vellomar {
namespace {

using Header = ElfW(Ehdr);
using ProgramHeader = ElfW(Phdr);

constexpr unsigned char kNativeClass = __ELF_NATIVE_CLASS == 64 ? ELFCLASS64 : ELFCLASS32;
constexpr unsigned char kNativeByteOrder =
    __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ ? ELFDATA2LSB : ELFDATA2MSB;

// One field of a record read in the machine's byte order, which a file of kNativeByteOrder has.
template <class Field>
Field fieldAt(const std::vector<unsigned char>& record, size_t offset) {
  Field value;
  std::memcpy(&value, record.data() + offset, sizeof value);
  return value;
}

class FileDescriptor {
 public:
  explicit FileDescriptor(const std::string& path)
      : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
  ~FileDescriptor() {
    if (fd_ >= 0) close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  bool open() const { return fd_ >= 0; }
  // Exactly n bytes at offset, or false.
  bool readAt(uint64_t offset, size_t n, std::vector<unsigned char>& bytes) const {
    bytes.resize(n);
    return pread(fd_, bytes.data(), n, static_cast<off_t>(offset)) == static_cast<ssize_t>(n);
  }
  uint64_t size() const {
    struct stat info;
    return fstat(fd_, &info) == 0 ? static_cast<uint64_t>(info.st_size) : 0;
  }

 private:
  int fd_;
};

bool insideFile(uint64_t offset, uint64_t length, uint64_t fileSize) {
  return length <= fileSize && offset <= fileSize - length;
}

bool isNativeObject(const std::vector<unsigned char>& header) {
  return std::memcmp(header.data(), ELFMAG, SELFMAG) == 0 && header[EI_CLASS] == kNativeClass &&
         header[EI_DATA] == kNativeByteOrder &&
         fieldAt<decltype(Header::e_phentsize)>(header, offsetof(Header, e_phentsize)) ==
             sizeof(ProgramHeader);
}

}  // namespace

ObjectFileFit objectFileFit(const std::string& path) {
  const FileDescriptor file(path);
  std::vector<unsigned char> header;
  if (!file.open() || !file.readAt(0, sizeof(Header), header) || !isNativeObject(header)) {
    return ObjectFileFit::kOther;
  }
  const uint64_t fileSize = file.size();
  const auto tableOffset = fieldAt<decltype(Header::e_phoff)>(header, offsetof(Header, e_phoff));
  const auto count = fieldAt<decltype(Header::e_phnum)>(header, offsetof(Header, e_phnum));
  const uint64_t tableSize = uint64_t{count} * sizeof(ProgramHeader);
  std::vector<unsigned char> table;
  if (!insideFile(tableOffset, tableSize, fileSize) ||
      !file.readAt(tableOffset, static_cast<size_t>(tableSize), table)) {
    return ObjectFileFit::kCut;
  }
  for (size_t at = 0; at < tableSize; at += sizeof(ProgramHeader)) {
    const auto offset =
        fieldAt<decltype(ProgramHeader::p_offset)>(table, at + offsetof(ProgramHeader, p_offset));
    const auto length =
        fieldAt<decltype(ProgramHeader::p_filesz)>(table, at + offsetof(ProgramHeader, p_filesz));
    if (!insideFile(offset, length, fileSize)) return ObjectFileFit::kCut;
  }
  return ObjectFileFit::kWhole;
}

}  // namespace vellomar
