// The RAR library: lists RAR 1.5 to 4 and RAR 5 archives by walking their headers, and extracts
// members through libarchive.

#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <optional>
#include <vector>

#include "abi/UnrarAbi.h"
#include "foundation/UShortString.h"
#include "modules/unrar/RarHeaderWalk.h"

namespace vellomar {

namespace {

constexpr size_t kReadBlockSize = 64 * 1024;
// Heads lie a whole member apart; one read takes a head with its fields.
constexpr size_t kHeadReadSize = 4 * 1024;

// The archive file read at offsets, for the header walk; libarchive reads it by its own offset.
// A head and its fields come in one read.
class ArchiveBytes {
 public:
  ArchiveBytes(int fd, uint64_t size) : fd_(fd), size_(size) {}

  ByteReader read(uint64_t offset, size_t n) {
    if (offset >= size_) return {};
    const size_t wanted = static_cast<size_t>(std::min<uint64_t>(n, size_ - offset));
    const bool held = offset >= start_ && offset - start_ <= buffer_.size() &&
                      wanted <= buffer_.size() - (offset - start_);
    if (!held) load(offset, std::max(wanted, std::min<size_t>(kHeadReadSize, size_ - offset)));
    const size_t at = static_cast<size_t>(offset - start_);
    return ByteReader(buffer_.data() + at, std::min(wanted, buffer_.size() - at));
  }

 private:
  void load(uint64_t offset, size_t n) {
    buffer_.resize(n);
    size_t got = 0;
    while (got < n) {
      const ssize_t now =
          pread(fd_, buffer_.data() + got, n - got, static_cast<off_t>(offset + got));
      if (now <= 0) break;
      got += static_cast<size_t>(now);
    }
    buffer_.resize(got);
    start_ = offset;
  }

  int fd_;
  uint64_t size_;
  uint64_t start_ = 0;
  std::vector<uint8_t> buffer_;
};

}  // namespace

struct RarArchive {
  RarArchive(int fd, uint64_t size, bool extract) : fd(fd), bytes(fd, size), extractMode(extract) {}
  ~RarArchive() {
    if (unpacker) archive_read_free(unpacker);
    close(fd);
  }
  RarArchive(const RarArchive&) = delete;
  RarArchive& operator=(const RarArchive&) = delete;

  int fd;
  ArchiveBytes bytes;
  bool extractMode;
  RarHeaderWalk walk;
  std::optional<RarMember> member;  // of the header read last, until it is processed
  size_t membersRead = 0;           // headers read so far; the current one is the last of them
  archive* unpacker = nullptr;      // libarchive, opened when a member is first unpacked
  size_t unpackerEntries = 0;       // headers libarchive has read
};

namespace {

uint32_t saturated(uint64_t value) {
  return static_cast<uint32_t>(std::min<uint64_t>(value, 0xFFFFFFFF));
}

void copyName(const RarMember& member, char* out) {
  // A UTF-8 name is never cut inside a character.
  const size_t n = member.nameIsUtf8 ? utf8CutLength(member.name, kRarNameCapacity - 1)
                                     : std::min<size_t>(member.name.size(), kRarNameCapacity - 1);
  memcpy(out, member.name.data(), n);
  out[n] = '\0';
}

int32_t writeData(archive* reader, int fd) {
  std::vector<char> block(kReadBlockSize);
  for (;;) {
    const la_ssize_t got = archive_read_data(reader, block.data(), block.size());
    if (got == 0) return kRarOk;
    if (got < 0) return kRarBadData;
    for (la_ssize_t written = 0; written < got;) {
      const ssize_t put = write(fd, block.data() + written, static_cast<size_t>(got - written));
      if (put <= 0) return kRarWriteError;
      written += put;
    }
  }
}

int32_t testData(archive* reader) {
  std::vector<char> block(kReadBlockSize);
  la_ssize_t got;
  while ((got = archive_read_data(reader, block.data(), block.size())) > 0) {
  }
  return got == 0 ? kRarOk : kRarBadData;
}

// A descriptor of the regular file at path, -1 for anything else or on failure.
int openRegularFile(const char* path, uint64_t& size) {
  const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat status;
  if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    close(fd);
    return -1;
  }
  size = static_cast<uint64_t>(status.st_size);
  return fd;
}

int32_t extractData(archive* reader, const char* destinationName) {
  const int fd = open(destinationName, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) return kRarCreateError;
  int32_t result = writeData(reader, fd);
  if (close(fd) != 0 && result == kRarOk) result = kRarWriteError;
  return result;
}

// Brings libarchive to the current member: it reads the headers in the walk's order, so the
// member is its entry of the same number. libarchive must unpack what a solid archive keeps
// before the member; where it cannot, the member cannot be unpacked either.
int32_t reachMember(RarArchive& archive) {
  if (!archive.unpacker) {
    archive.unpacker = archive_read_new();
    if (!archive.unpacker) return kRarNoMemory;
    archive_read_support_format_rar(archive.unpacker);
    archive_read_support_format_rar5(archive.unpacker);
    if (lseek(archive.fd, 0, SEEK_SET) != 0 ||
        archive_read_open_fd(archive.unpacker, archive.fd, kReadBlockSize) != ARCHIVE_OK) {
      return kRarBadArchive;
    }
  }
  archive_entry* entry = nullptr;
  while (archive.unpackerEntries < archive.membersRead) {
    if (archive.unpackerEntries > 0 && archive_read_data_skip(archive.unpacker) != ARCHIVE_OK) {
      return kRarBadData;
    }
    if (archive_read_next_header(archive.unpacker, &entry) < ARCHIVE_WARN) return kRarBadData;
    ++archive.unpackerEntries;
  }
  // Sizes that differ mean libarchive counts the headers otherwise; the member is not written
  // from another one's data.
  if (!entry || (archive_entry_size_is_set(entry) && static_cast<uint64_t>(archive_entry_size(
                                                         entry)) != archive.member->unpackedSize)) {
    return kRarBadData;
  }
  return kRarOk;
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) RarArchive* RAROpenArchive(RarOpenRequest* request) {
  if (!request) return nullptr;
  if (!request->archiveName || request->openMode > kRarOpenExtract) {
    request->openResult = kRarBadParameter;
    return nullptr;
  }
  // Only a regular file is read: opening a FIFO named like an archive would block the scan.
  uint64_t size = 0;
  const int fd = openRegularFile(request->archiveName, size);
  if (fd < 0) {
    request->openResult = kRarOpenError;
    return nullptr;
  }
  auto* archive = new (std::nothrow) RarArchive(fd, size, request->openMode == kRarOpenExtract);
  if (!archive) {
    close(fd);
    request->openResult = kRarNoMemory;
    return nullptr;
  }
  // Archives whose headers are encrypted cannot be listed without their password.
  if (archive->walk.open(
          [archive](uint64_t offset, size_t n) { return archive->bytes.read(offset, n); }, size) !=
      RarHeaderWalk::Open::kOk) {
    delete archive;
    request->openResult = kRarBadArchive;
    return nullptr;
  }
  request->openResult = kRarOk;
  return archive;
}

__attribute__((visibility("default"))) int32_t RARCloseArchive(RarArchive* archive) {
  if (!archive) return kRarBadParameter;
  delete archive;
  return kRarOk;
}

__attribute__((visibility("default"))) int32_t RARReadHeader(RarArchive* archive,
                                                             RarMemberHeader* header) {
  if (!archive || !header) return kRarBadParameter;
  archive->member.reset();
  RarMember member;
  switch (archive->walk.next(member)) {
    case RarHeaderWalk::Step::kEnd:
      return kRarEndOfArchive;
    case RarHeaderWalk::Step::kBroken:
      return kRarBadData;
    case RarHeaderWalk::Step::kMember:
      break;
  }
  copyName(member, header->fileName);
  header->flags = member.nameIsUtf8 ? kRarNameIsUtf8 : 0;
  header->fileAttributes = member.attributes;
  header->fileTime = member.dateTime;
  header->unpackedSize = saturated(member.unpackedSize);
  archive->member = std::move(member);
  ++archive->membersRead;
  return kRarOk;
}

__attribute__((visibility("default"))) int32_t RARProcessFile(RarArchive* archive,
                                                              int32_t operation,
                                                              const char* /*destinationFolder*/,
                                                              const char* destinationName) {
  if (!archive || !archive->member) return kRarBadParameter;
  int32_t result = kRarOk;
  switch (operation) {
    case kRarSkip:
      break;  // the walk has passed the member's data already
    case kRarTest:
      result = reachMember(*archive);
      if (result == kRarOk) result = testData(archive->unpacker);
      break;
    case kRarExtract:
      if (!archive->extractMode || !destinationName) {
        result = kRarBadParameter;
        break;
      }
      result = reachMember(*archive);
      if (result == kRarOk) result = extractData(archive->unpacker, destinationName);
      break;
    default:
      result = kRarBadParameter;
  }
  archive->member.reset();
  return result;
}

__attribute__((visibility("default"))) int32_t RARGetDllVersion() {
  return kRarInterfaceVersion;
}

}  // extern "C"

}  // namespace vellomar
