// The ZIP extraction library: writes the start of one member of a ZIP archive to a new file.
// The member is read from the local header the catalogue recorded, or, when that header names
// another member (an archive with bytes in front of it, or one changed since), found by name
// through the central directory. Stored and deflated members are extracted; the old methods
// (shrink, reduce, implode) and encrypted members answer kZipUnsupported.

#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "abi/VUnZip32Abi.h"

namespace vellomar {

namespace {

constexpr size_t kBlockSize = 64 * 1024;
// A description member is mostly a few hundred bytes behind its local header: the reads from
// the header start small and grow, so a small member does not cost a read of a whole block.
constexpr size_t kFirstReadSize = 4 * 1024;

using Archive = std::unique_ptr<archive, decltype(&archive_read_free)>;

// A name as catalogues compare it: "/" as "\", no drive, no empty, "." or ".." parts (the
// catalogue lists members without them), ASCII case ignored, and each run of bytes beyond
// ASCII as one mark, since the catalogue converted those from the archive's code page and
// their bytes no longer agree.
std::string comparable(std::string_view name) {
  if (name.size() >= 2 && name[1] == ':') name.remove_prefix(2);
  std::string out;
  while (!name.empty()) {
    const size_t cut = std::min(name.find_first_of("/\\"), name.size());
    const std::string_view part = name.substr(0, cut);
    name.remove_prefix(std::min(cut + 1, name.size()));
    if (part.empty() || part == "." || part == "..") continue;
    if (!out.empty()) out += '\\';
    for (const char c : part) {
      const unsigned char u = static_cast<unsigned char>(c);
      if (u >= 0x80) {
        if (out.empty() || out.back() != '\x80') out += '\x80';
      } else {
        out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
      }
    }
  }
  return out;
}

bool isMember(archive_entry* entry, const std::string& wanted) {
  const char* name = archive_entry_pathname(entry);
  return name && archive_entry_filetype(entry) == AE_IFREG && comparable(name) == wanted;
}

// Reads the archive file from a start position on, so the streaming reader takes the local
// header there as the archive's first.
struct OffsetInput {
  int fd;
  off_t position;
  std::vector<uint8_t> block;
};

la_ssize_t readAtOffset(archive*, void* data, const void** buffer) {
  auto* input = static_cast<OffsetInput*>(data);
  input->block.resize(input->block.empty() ? kFirstReadSize
                                           : std::min(kBlockSize, 2 * input->block.size()));
  ssize_t got;
  do {
    got = pread(input->fd, input->block.data(), input->block.size(), input->position);
  } while (got < 0 && errno == EINTR);
  if (got < 0) return ARCHIVE_FATAL;
  input->position += got;
  *buffer = input->block.data();
  return got;
}

class Extraction {
 public:
  Extraction(int archiveFd, const char* target, int32_t maxBytes)
      : archiveFd_(archiveFd), target_(target), maxBytes_(static_cast<size_t>(maxBytes)) {}

  int32_t run(const std::string& member, int32_t headerOffset) {
    if (headerOffset >= 0) {
      OffsetInput input{archiveFd_, headerOffset, {}};
      Archive reader(archive_read_new(), archive_read_free);
      archive_read_support_format_zip_streamable(reader.get());
      archive_entry* entry;
      if (archive_read_open(reader.get(), &input, nullptr, readAtOffset, nullptr) == ARCHIVE_OK &&
          archive_read_next_header(reader.get(), &entry) == ARCHIVE_OK && isMember(entry, member)) {
        return copy(reader.get(), entry);
      }
    }
    if (lseek(archiveFd_, 0, SEEK_SET) != 0) return kZipCannotOpenArchive;
    Archive reader(archive_read_new(), archive_read_free);
    archive_read_support_format_zip_seekable(reader.get());
    if (archive_read_open_fd(reader.get(), archiveFd_, kBlockSize) != ARCHIVE_OK) {
      return kZipCannotOpenArchive;
    }
    archive_entry* entry;
    for (int status; (status = archive_read_next_header(reader.get(), &entry)) != ARCHIVE_EOF;) {
      if (status < ARCHIVE_WARN) return kZipBadData;
      if (isMember(entry, member)) return copy(reader.get(), entry);
    }
    return kZipNoSuchMember;
  }

 private:
  int32_t copy(archive* reader, archive_entry* entry) {
    if (archive_entry_is_encrypted(entry)) return kZipUnsupported;
    const int out = open(target_, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (out < 0) return kZipCannotWrite;
    const int32_t result = copyData(reader, out);
    if (close(out) != 0 || result != kZipExtracted) {
      unlink(target_);
      return result != kZipExtracted ? result : kZipCannotWrite;
    }
    return kZipExtracted;
  }

  int32_t copyData(archive* reader, int out) {
    std::vector<char>& block = block_;
    size_t written = 0;
    while (written < maxBytes_) {
      const size_t want = std::min(block.size(), maxBytes_ - written);
      const la_ssize_t got = archive_read_data(reader, block.data(), want);
      if (got == 0) break;
      if (got < 0) {
        const char* error = archive_error_string(reader);
        return error && std::strstr(error, "Unsupported") ? kZipUnsupported : kZipBadData;
      }
      for (la_ssize_t done = 0; done < got;) {
        const ssize_t n = write(out, block.data() + done, static_cast<size_t>(got - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return kZipCannotWrite;
        done += n;
      }
      written += static_cast<size_t>(got);
    }
    return kZipExtracted;
  }

  int archiveFd_;
  const char* target_;
  size_t maxBytes_;
  // Taken before the target is made, so nothing can fail between making and filling it; no
  // larger than the bytes wanted.
  std::vector<char> block_ = std::vector<char>(std::clamp<size_t>(maxBytes_, 1, kBlockSize));
};

}  // namespace

extern "C" {

__attribute__((visibility("default"))) int32_t ExtractFile(const char* archive, const char* member,
                                                           const char* target, int32_t maxBytes,
                                                           int32_t headerOffset) {
  if (!archive || !member || !target || !*target || maxBytes < 0) return kZipBadArgument;
  const int fd = open(archive, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return kZipCannotOpenArchive;
  struct stat info {};
  int32_t result = kZipCannotOpenArchive;
  if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
    try {
      result = Extraction(fd, target, maxBytes).run(comparable(member), headerOffset);
    } catch (...) {
      result = kZipBadData;
    }
  }
  close(fd);
  return result;
}

}  // extern "C"

}  // namespace vellomar
