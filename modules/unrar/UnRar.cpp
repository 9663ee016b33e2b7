// The RAR library over libarchive: lists and extracts RAR 1.5 to 4.x and RAR5 archives.

#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <vector>

#include "modules/abi/UnrarAbi.h"

namespace vellomar {

struct RarArchive {
  archive* reader = nullptr;
  archive_entry* entry = nullptr;  // of the header read last, until it is processed
  bool extractMode = false;
  int fd = -1;
};

namespace {

constexpr size_t kReadBlockSize = 64 * 1024;
constexpr uint32_t kReadOnlyAttribute = 0x01;
constexpr uint32_t kFolderAttribute = 0x10;
constexpr uint32_t kArchiveAttribute = 0x20;
constexpr int kDosFirstYear = 1980;
constexpr int kDosLastYear = 2107;

uint32_t saturated(la_int64_t value) {
  return static_cast<uint32_t>(std::clamp<la_int64_t>(value, 0, 0xFFFFFFFF));
}

// Archives made on DOS and Windows store local time, which libarchive turned into a time_t.
uint32_t dosDateTime(time_t time) {
  tm local{};
  if (!localtime_r(&time, &local)) return 0;
  const int year = local.tm_year + 1900;
  if (year < kDosFirstYear) return (1u << 5 | 1u) << 16;  // 1980-01-01 00:00
  if (year > kDosLastYear) return (127u << 9 | 12u << 5 | 31u) << 16 | (23u << 11 | 59u << 5 | 29u);
  const uint32_t date = static_cast<uint32_t>(year - kDosFirstYear) << 9 |
                        static_cast<uint32_t>(local.tm_mon + 1) << 5 |
                        static_cast<uint32_t>(local.tm_mday);
  const uint32_t dayTime = static_cast<uint32_t>(local.tm_hour) << 11 |
                           static_cast<uint32_t>(local.tm_min) << 5 |
                           static_cast<uint32_t>(local.tm_sec / 2);
  return date << 16 | dayTime;
}

uint32_t dosAttributes(archive_entry* entry) {
  const mode_t mode = archive_entry_mode(entry);
  uint32_t attributes = S_ISDIR(mode) ? kFolderAttribute : kArchiveAttribute;
  if ((mode & 0222) == 0) attributes |= kReadOnlyAttribute;
  return attributes;
}

struct Utf8Locale {
  Utf8Locale() : locale(newlocale(LC_ALL_MASK, "C.UTF-8", locale_t{})) {}
  ~Utf8Locale() {
    if (locale) freelocale(locale);
  }
  locale_t locale;
};

// libarchive turns names stored as Unicode into the thread's locale charset. Reading under a
// UTF-8 locale keeps them whole whatever locale the program runs in; names stored in a DOS code
// page are copied as their bytes either way.
class Utf8LocaleScope {
 public:
  Utf8LocaleScope() {
    static const Utf8Locale utf8;
    if (utf8.locale) previous_ = uselocale(utf8.locale);
  }
  ~Utf8LocaleScope() {
    if (previous_) uselocale(previous_);
  }
  Utf8LocaleScope(const Utf8LocaleScope&) = delete;
  Utf8LocaleScope& operator=(const Utf8LocaleScope&) = delete;

 private:
  locale_t previous_{};
};

// Whether name holds non-ASCII characters in valid UTF-8: then it was stored as Unicode, since
// DOS code page bytes hardly ever form UTF-8 sequences.
bool isNonAsciiUtf8(const char* name) {
  bool nonAscii = false;
  for (auto* p = reinterpret_cast<const unsigned char*>(name); *p;) {
    if (*p < 0x80) {
      ++p;
      continue;
    }
    nonAscii = true;
    const int follow = (*p >= 0xC2 && *p <= 0xDF)   ? 1
                       : (*p >= 0xE0 && *p <= 0xEF) ? 2
                       : (*p >= 0xF0 && *p <= 0xF4) ? 3
                                                    : -1;
    if (follow < 0) return false;
    ++p;
    for (int i = 0; i < follow; ++i, ++p) {
      if ((*p & 0xC0) != 0x80) return false;
    }
  }
  return nonAscii;
}

void copyName(const char* name, char* out) {
  if (!name) name = "";
  const size_t n = strnlen(name, kRarNameCapacity - 1);
  memcpy(out, name, n);
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
int openRegularFile(const char* path) {
  const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat status;
  if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    close(fd);
    return -1;
  }
  return fd;
}

int32_t extractData(archive* reader, const char* destinationName) {
  const int fd = open(destinationName, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) return kRarCreateError;
  int32_t result = writeData(reader, fd);
  if (close(fd) != 0 && result == kRarOk) result = kRarWriteError;
  return result;
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
  const int fd = openRegularFile(request->archiveName);
  if (fd < 0) {
    request->openResult = kRarOpenError;
    return nullptr;
  }
  archive* reader = archive_read_new();
  if (!reader) {
    close(fd);
    request->openResult = kRarNoMemory;
    return nullptr;
  }
  archive_read_support_format_rar(reader);
  archive_read_support_format_rar5(reader);
  if (archive_read_open_fd(reader, fd, kReadBlockSize) != ARCHIVE_OK) {
    archive_read_free(reader);
    close(fd);
    request->openResult = kRarBadArchive;
    return nullptr;
  }
  request->openResult = kRarOk;
  return new RarArchive{reader, nullptr, request->openMode == kRarOpenExtract, fd};
}

__attribute__((visibility("default"))) int32_t RARCloseArchive(RarArchive* archive) {
  if (!archive) return kRarBadParameter;
  archive_read_free(archive->reader);
  close(archive->fd);
  delete archive;
  return kRarOk;
}

__attribute__((visibility("default"))) int32_t RARReadHeader(RarArchive* archive,
                                                             RarMemberHeader* header) {
  if (!archive || !header) return kRarBadParameter;
  archive->entry = nullptr;
  archive_entry* entry = nullptr;
  Utf8LocaleScope utf8Locale;
  const int status = archive_read_next_header(archive->reader, &entry);
  if (status == ARCHIVE_EOF) return kRarEndOfArchive;
  if (status < ARCHIVE_WARN) return kRarBadData;
  copyName(archive_entry_pathname(entry), header->fileName);
  header->flags = isNonAsciiUtf8(header->fileName) ? kRarNameIsUtf8 : 0;
  header->fileAttributes = dosAttributes(entry);
  header->fileTime = dosDateTime(archive_entry_mtime(entry));
  header->unpackedSize = saturated(archive_entry_size(entry));
  archive->entry = entry;
  return kRarOk;
}

__attribute__((visibility("default"))) int32_t RARProcessFile(RarArchive* archive,
                                                              int32_t operation,
                                                              const char* /*destinationFolder*/,
                                                              const char* destinationName) {
  if (!archive || !archive->entry) return kRarBadParameter;
  archive->entry = nullptr;
  switch (operation) {
    case kRarSkip:
      return archive_read_data_skip(archive->reader) == ARCHIVE_OK ? kRarOk : kRarBadData;
    case kRarTest:
      return testData(archive->reader);
    case kRarExtract:
      if (!archive->extractMode || !destinationName) return kRarBadParameter;
      return extractData(archive->reader, destinationName);
    default:
      return kRarBadParameter;
  }
}

__attribute__((visibility("default"))) int32_t RARGetDllVersion() {
  return kRarInterfaceVersion;
}

}  // extern "C"

}  // namespace vellomar
