#include "setup/Extract.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <new>
#include <utility>

#include "foundation/UByteReader.h"
#include "foundation/UCrc32.h"
#include "foundation/UExceptions.h"
#include "platform/PAsciiText.h"
#include "platform/PKernelFile.h"
#include "setup/Explode.h"
#include "setup/KLang.h"
#include "setup/Kstream.h"
#include "setup/StagedFiles.h"
#include "setup/Unreduce.h"
#include "setup/Unshrink.h"
#include "setup/Utils.h"
#include "setup/ZipEntryStream.h"

namespace vellomar::setup {

namespace {

constexpr uint32_t kLocalHeaderSignature = 0x04034B50;
constexpr uint32_t kCentralDirectorySignature = 0x02014B50;
constexpr size_t kLocalHeaderFieldsSize = 26;  // after the signature
constexpr uint16_t kMaxNameLength = 255;
constexpr int32_t kBufferSize = kStreamMaxTransfer;
constexpr size_t kMaxMasks = 40;
constexpr char kOverwriteCaption[] = "Vellomar Installation: Warning";
constexpr char kAborted[] = "Installation aborted.";
constexpr std::array<uint8_t, 4> kElfMagic = {0x7F, 'E', 'L', 'F'};

enum Method : uint16_t {
  kStored = 0,
  kShrunk = 1,
  kReducedFirst = 2,
  kReducedLast = 5,
  kImploded = 6
};

struct LocalHeader {
  uint16_t flags = 0;
  uint16_t method = 0;
  uint16_t dosTime = 0;
  uint16_t dosDate = 0;
  uint32_t crc = 0;
  uint32_t compressedSize = 0;
  uint32_t uncompressedSize = 0;
  uint16_t nameLength = 0;
  uint16_t extraLength = 0;
  std::string name;
};

void readLocalHeaderFields(ByteReader& reader, LocalHeader& header) {
  reader.u16();  // version needed
  header.flags = reader.u16();
  header.method = reader.u16();
  header.dosTime = reader.u16();
  header.dosDate = reader.u16();
  header.crc = reader.u32();
  header.compressedSize = reader.u32();
  header.uncompressedSize = reader.u32();
  header.nameLength = reader.u16();
  header.extraLength = reader.u16();
}

std::string withSlashes(std::string_view path) {
  std::string result(path);
  std::ranges::replace(result, '\\', kPathSeparator);
  return result;
}

std::string absolutePath(std::string_view path) {
  std::string result = withSlashes(path);
  if (!result.empty() && result.front() == kPathSeparator) return result;
  std::string folder = kernelCurrentFolder();
  if (folder.empty() || folder.back() != kPathSeparator) folder += kPathSeparator;
  return folder + result;
}

// The data file names its members flat; only the name table puts files into a subfolder, so a
// member naming a folder of its own, or a name a path cannot hold, is damage.
bool isPlainMemberName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && std::ranges::none_of(name, [](char c) {
    return c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
  });
}

// A member's name as a message shows it: bytes no line of text may hold become "?".
std::string shownName(std::string name) {
  std::ranges::replace_if(
      name, [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }, '?');
  return name;
}

std::vector<std::string> splitMasks(std::string_view masks) {
  std::vector<std::string> result;
  size_t start = 0;
  while (result.size() < kMaxMasks) {
    start = masks.find_first_not_of(' ', start);
    if (start == std::string_view::npos) break;
    const size_t end = std::min(masks.find(' ', start), masks.size());
    result.emplace_back(masks.substr(start, end - start));
    start = end;
  }
  if (result.empty()) result.emplace_back("*.*");
  return result;
}

std::string withoutDot(const ShortString& extension) {
  return extension.empty() ? std::string() : std::string(extension.view().substr(1));
}

// The reader of one extraction: the archive with its input buffer, the entry being written
// with its output buffer, the running CRC, count and progress of that entry, and the entries
// unpacked so far, waiting to be put in place.
class DataFileReader : public ZipEntryStream {
 public:
  DataFileReader(std::string archiveName, std::string target, std::vector<std::string> masks,
                 std::vector<std::string>& installedFiles, InstallProgress& progress)
      : archiveName_(std::move(archiveName)),
        target_(std::move(target)),
        masks_(std::move(masks)),
        installedFiles_(installedFiles),
        progress_(progress) {
    try {
      input_.resize(kBufferSize);
      output_.resize(kBufferSize);
    } catch (const std::bad_alloc&) {
      RaiseNoMemory();
    }
  }

  ~DataFileReader() override {
    StreamClose(archive_);
    try {
      StreamClose(outputFile_);
    } catch (const EKstvException&) {
      // Already unwinding from the failure that matters.
    }
  }

  // Nothing is put in place before the whole data file has been read without damage.
  void ExtractAll() {
    StreamOpen(archive_, archiveName_.c_str(), kStreamModeReadOnly);
    checkArchive();
    while (ReadLocalHeader()) {
      if (!isPlainMemberName(header_.name)) {
        throw EKstvFatalException(ArchiveErrorText(kArchiveBadNameLength) + "\n" +
                                  shownName(header_.name));
      }
      if (std::ranges::any_of(
              masks_, [&](const std::string& mask) { return MatchFileMask(mask, header_.name); })) {
        ExtractEntry();
      } else {
        SkipBytes(header_.compressedSize);
      }
    }
    StreamClose(archive_);
    staged_.commit();
    installedFiles_.insert(installedFiles_.end(), listed_.begin(), listed_.end());
  }

  int ReadByte() override {
    if (remaining_ == 0) return -1;
    if (remaining_ % step_ == 0) {
      const int64_t percent = 100 - static_cast<int64_t>(remaining_ / step_) * 10;
      progress_.setGauge(static_cast<int>(std::clamp<int64_t>(percent, 0, 100)));
      if (progress_.abortRequested()) throw EKstvNormalException(kAborted);
    }
    --remaining_;
    return nextArchiveByte();
  }

 protected:
  void storeByte(uint8_t byte) override {
    crc_ = CrcUpdate(byte, crc_);
    if (written() <= kElfMagic.size()) head_[written() - 1] = byte;
    output_[outputFill_++] = byte;
    if (outputFill_ == kBufferSize) flushOutput();
  }

 private:
  void checkArchive() {
    if (archive_.ErrorCode != 0) throw EKstvFatalException("Error reading file.");
  }

  // -1 past the physical end of the archive; once there, without asking the system again, so
  // a size that claims more than the file holds costs no read per byte.
  int nextArchiveByte() {
    if (inputPos_ == inputFill_) {
      if (physicalEnd_) return -1;
      inputStart_ = StreamPos(archive_);
      inputPos_ = 0;
      StreamRead(archive_, input_.data(), kBufferSize, inputFill_);
      checkArchive();
      if (inputFill_ <= 0) {
        inputFill_ = 0;
        physicalEnd_ = true;
        return -1;
      }
    }
    return input_[inputPos_++];
  }

  // Header bytes beyond the end read as 0xFF, so a missing central directory shows as a bad
  // signature.
  void readHeaderBytes(uint8_t* out, size_t n) {
    for (size_t i = 0; i < n; ++i) {
      const int byte = nextArchiveByte();
      out[i] = byte < 0 ? 0xFF : static_cast<uint8_t>(byte);
    }
  }

  void SkipBytes(uint32_t n) {
    if (n <= static_cast<uint32_t>(inputFill_ - inputPos_)) {
      inputPos_ += static_cast<int32_t>(n);
      return;
    }
    const int64_t target =
        std::min<int64_t>(int64_t{inputStart_} + inputPos_ + n, int64_t{archive_.Size});
    StreamSeek(archive_, static_cast<int32_t>(target));
    checkArchive();
    inputStart_ = static_cast<int32_t>(target);
    inputPos_ = 0;
    inputFill_ = 0;
    physicalEnd_ = false;
  }

  bool ReadLocalHeader() {
    if (endReached_) return false;
    std::array<uint8_t, 4 + kLocalHeaderFieldsSize> fixed;
    readHeaderBytes(fixed.data(), 4);
    ByteReader signature(fixed.data(), 4);
    const uint32_t value = signature.u32();
    if (value == kCentralDirectorySignature) {
      endReached_ = true;
      return false;
    }
    if (value != kLocalHeaderSignature) {
      throw EKstvFatalException(ArchiveErrorText(kArchiveBadSignature) + " " + archiveName_);
    }
    readHeaderBytes(fixed.data() + 4, kLocalHeaderFieldsSize);
    ByteReader fields(fixed.data() + 4, kLocalHeaderFieldsSize);
    readLocalHeaderFields(fields, header_);
    if (header_.nameLength > kMaxNameLength || header_.extraLength > kMaxNameLength) {
      RaiseArchiveError(kArchiveBadNameLength);
    }
    std::array<uint8_t, kMaxNameLength> bytes;
    readHeaderBytes(bytes.data(), header_.nameLength);
    header_.name.assign(reinterpret_cast<const char*>(bytes.data()), header_.nameLength);
    readHeaderBytes(bytes.data(), header_.extraLength);
    return true;
  }

  void ExtractEntry() {
    ShortString installed;
    bool registerFile = false;
    bool keepTime = false;
    TranslateInstallFileName(header_.name, installed, ShortString::kMaxLength, registerFile,
                             keepTime);
    const std::string full = target_ + withSlashes(installed.view());
    if (keepTime && FileExistsShort(full) && !confirmOverwrite(full, installed.str())) {
      SkipBytes(header_.compressedSize);
      return;
    }

    const std::string temporary = staged_.stage(full);
    systemError_ = 0;
    try {
      systemCall([&] { StreamOpen(outputFile_, temporary.c_str(), kStreamModeCreate); });
      progress_.setProgressLabel("Decompressing " + installed.str());
      Decompress();
      progress_.setGauge(100);
      flushOutput();
      systemCall([&] { StreamClose(outputFile_); });
    } catch (const EKstvFatalException& error) {
      closeOutputQuietly();
      const std::string reason =
          systemError_ != 0 ? ": " + std::string(std::strerror(systemError_)) : "";
      throw EKstvFatalException(std::string(error.what()) + "\n" + header_.name + reason);
    }

    // Local headers carry no Unix mode; programs are known by their content.
    if (written() >= kElfMagic.size() && head_ == kElfMagic) {
      kernelSetExecutable(temporary.c_str());
    }
    SetFileDosDate(temporary, uint32_t{header_.dosDate} << 16 | header_.dosTime);
    if (registerFile) listed_.push_back((keepTime ? "*" : " ") + installed.str());
  }

  // A failure of the system, its errno kept for the message before anything else can change it.
  template <typename Call>
  void systemCall(Call call) {
    try {
      call();
    } catch (const EKstvFatalException&) {
      systemError_ = errno;
      throw;
    }
  }

  // Only the date words are compared: a newer time on the same day is overwritten.
  bool confirmOverwrite(const std::string& full, const std::string& installed) {
    uint32_t existing = 0;
    if (!kernelFileDosDateTime(full.c_str(), existing) || header_.dosDate >= existing >> 16) {
      return true;
    }
    const InstallAnswer answer = progress_.ask(
        kOverwriteCaption, "File " + installed +
                               " already exists and has newer date than the file, which is to "
                               "be installed. Are you sure to overwrite it?");
    if (answer == InstallAnswer::kCancel) throw EKstvNormalException(kAborted);
    return answer == InstallAnswer::kYes;
  }

  void Decompress() {
    crc_ = 0xFFFFFFFF;
    head_ = {};
    beginEntry(header_.uncompressedSize);
    remaining_ = header_.compressedSize;
    step_ = std::max<uint32_t>(header_.compressedSize / 10, 1);
    try {
      if (header_.method == kStored) {
        // A size past the end of the file is not trusted: the entry stops there, damaged.
        while (remaining_ > 0) {
          const int byte = ReadByte();
          if (byte < 0) RaiseArchiveError(kArchiveBadCrc);
          OutputByte(static_cast<uint8_t>(byte));
        }
      } else if (header_.method == kShrunk) {
        Unshrink(*this);
      } else if (header_.method >= kReducedFirst && header_.method <= kReducedLast) {
        Unreduce(*this, header_.method - 1);
      } else if (header_.method == kImploded) {
        Explode(*this, header_.flags);
      } else {
        RaiseArchiveError(kArchiveUnknownMethod);
      }
    } catch (const std::bad_alloc&) {
      RaiseNoMemory();
    }
    // A decoder may stop before the padding of its last byte.
    SkipBytes(remaining_);
    if (~crc_ != header_.crc || written() != header_.uncompressedSize) {
      RaiseArchiveError(kArchiveBadCrc);
    }
  }

  void flushOutput() {
    const int32_t fill = outputFill_;
    outputFill_ = 0;
    systemCall([&] { StreamWrite(outputFile_, output_.data(), fill); });
  }

  // The staged file goes anyway; only its handle is to be given back.
  void closeOutputQuietly() {
    outputFill_ = 0;
    try {
      StreamClose(outputFile_);
    } catch (const EKstvException&) {
      outputFile_.Mode = kStreamModeClosed;
    }
  }

  std::string archiveName_;
  std::string target_;
  std::vector<std::string> masks_;
  std::vector<std::string>& installedFiles_;
  InstallProgress& progress_;
  StagedFiles staged_;
  std::vector<std::string> listed_;  // of the staged files, until they are in place
  int systemError_ = 0;

  TStreamFile archive_;
  std::vector<uint8_t> input_;
  int32_t inputStart_ = 0;
  int32_t inputFill_ = 0;
  int32_t inputPos_ = 0;
  bool endReached_ = false;  // the central directory
  bool physicalEnd_ = false;

  TStreamFile outputFile_;
  std::vector<uint8_t> output_;
  int32_t outputFill_ = 0;
  std::array<uint8_t, 4> head_{};

  LocalHeader header_;
  uint32_t crc_ = 0;
  uint32_t remaining_ = 0;
  uint32_t step_ = 1;
};

}  // namespace

uint32_t CrcUpdate(uint8_t byte, uint32_t crc) {
  return crc32Update(crc, byte);
}

bool MatchWildcard(std::string_view text, std::string_view pattern) {
  // matches[i][j]: whether text from i matches pattern from j; filled from the ends, so stars
  // on both sides cost no more than the table.
  const size_t n = text.size();
  const size_t m = pattern.size();
  std::vector<uint8_t> matches((n + 1) * (m + 1), 0);
  auto at = [&](size_t i, size_t j) -> uint8_t& { return matches[i * (m + 1) + j]; };
  for (size_t i = n + 1; i-- > 0;) {
    for (size_t j = m + 1; j-- > 0;) {
      bool result;
      if (i == n && j == m) {
        result = true;
      } else if (i < n && text[i] == '*') {
        result = at(i + 1, j) || (j < m && at(i, j + 1));
      } else if (j < m && pattern[j] == '*') {
        result = at(i, j + 1) || (i < n && at(i + 1, j));
      } else if (i == n || j == m) {
        result = false;
      } else {
        result = (text[i] == '?' || pattern[j] == '?' ||
                  upperAscii(text[i]) == upperAscii(pattern[j])) &&
                 at(i + 1, j + 1);
      }
      at(i, j) = result;
    }
  }
  return at(0, 0) != 0;
}

bool MatchFileMask(std::string_view mask, std::string_view name) {
  const SplitPathParts maskParts = SplitPath(absolutePath(mask));
  const SplitPathParts nameParts = SplitPath(absolutePath(name));
  return MatchWildcard(nameParts.name.view(), maskParts.name.view()) &&
         MatchWildcard(withoutDot(nameParts.extension), withoutDot(maskParts.extension)) &&
         nameParts.folder == maskParts.folder;
}

void ExtractFiles(std::string_view archiveName, std::string_view targetFolder,
                  std::string_view masks, std::vector<std::string>& installedFiles,
                  InstallProgress& progress) {
  std::string archive(archiveName);
  const size_t nameStart = archive.rfind(kPathSeparator) + 1;
  if (archive.find('.', nameStart) == std::string::npos) archive += ".ZIP";
  std::string target(targetFolder);
  if (target.empty() || target.back() != kPathSeparator) target += kPathSeparator;
  DataFileReader reader(std::move(archive), std::move(target), splitMasks(masks), installedFiles,
                        progress);
  reader.ExtractAll();
}

}  // namespace vellomar::setup
