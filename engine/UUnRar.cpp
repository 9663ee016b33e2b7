#include "engine/UUnRar.h"

#include <cstring>
#include <string_view>

#include "engine/UArchiveFile.h"
#include "engine/UMemberNames.h"
#include "foundation/UExceptions.h"
#include "foundation/UShortString.h"
#include "platform/PText.h"

namespace vellomar {

namespace {

constexpr const char* kFileName = "unrar.dll";
enum Entry { kOpen, kClose, kReadHeader, kProcessFile, kVersion };
constexpr uint32_t kFolderOrLabel = 0x18;
constexpr size_t kMaxListedName = 254;
constexpr size_t kMaxExtractedName = 511;

template <class Proc>
Proc as(void* entry) {
  return reinterpret_cast<Proc>(entry);
}

// The header's name, at most limit characters of it. Names the library marks as UTF-8 were
// stored as Unicode and are never taken for OEM bytes.
MemberName memberName(const RarMemberHeader& header, size_t limit) {
  const std::string_view stored(header.fileName, strnlen(header.fileName, sizeof header.fileName));
  return memberName(utf8Prefix(stored, limit),
                    header.flags & kRarNameIsUtf8 ? NameCoding::kUtf8 : NameCoding::kOem);
}

bool isFile(const RarMemberHeader& header) {
  return (header.fileAttributes & kFolderOrLabel) == 0;
}

}  // namespace

UnRarLibrary::UnRarLibrary(std::string folder)
    : binding_(kFileName,
               {"RAROpenArchive", "RARCloseArchive", "RARReadHeader", "RARProcessFile",
                "RARGetDllVersion"},
               std::move(folder)) {}

bool UnRarLibrary::Load() {
  if (open_) return true;
  if (!binding_.bind()) return false;
  open_ = as<RarOpenArchiveProc>(binding_.entry(kOpen));
  close_ = as<RarCloseArchiveProc>(binding_.entry(kClose));
  readHeader_ = as<RarReadHeaderProc>(binding_.entry(kReadHeader));
  processFile_ = as<RarProcessFileProc>(binding_.entry(kProcessFile));
  return true;
}

RarArchive* UnRarLibrary::openArchive(const std::string& path, uint32_t mode) {
  RarOpenRequest request{path.c_str(), mode, kRarOk};
  RarArchive* archive = open_(&request);
  if (request.openResult == kRarOk) return archive;
  if (archive) close_(archive);
  return nullptr;
}

bool UnRarLibrary::ReadRarByDll(TArchiveEntryList& list, const std::string& path) {
  if (!Load()) return false;
  RarArchive* archive = openArchive(path, kRarOpenList);
  if (!archive) return false;
  bool listed = false;
  try {
    RarMemberHeader header{};
    while (readHeader_(archive, &header) == kRarOk) {
      if (isFile(header)) {
        addArchiveMember(list, memberName(header, kMaxListedName),
                         static_cast<uint8_t>(header.fileAttributes),
                         static_cast<int32_t>(header.fileTime), header.unpackedSize, 0);
        listed = true;
      }
      if (processFile_(archive, kRarSkip, nullptr, nullptr) != kRarOk) break;
    }
  } catch (const EKstvException&) {
    listed = false;  // the list is full
  }
  close_(archive);
  list.Sort();
  return listed;
}

int32_t UnRarLibrary::RarExtractFile(const std::string& archiveName, const std::string& member,
                                     const std::string& target) {
  if (!Load()) return kLibraryUnavailable;
  RarArchive* archive = openArchive(archiveName, kRarOpenExtract);
  if (!archive) return kLibraryUnavailable;
  // The member as listed, so that a name the listing cleaned up is found as well.
  const std::string wanted = memberPath(memberName(member, NameCoding::kUtf8));
  RarMemberHeader header{};
  while (readHeader_(archive, &header) == kRarOk) {
    if (isFile(header) && strnlen(header.fileName, sizeof header.fileName) <= kMaxExtractedName &&
        sameText(memberPath(memberName(header, kMaxExtractedName)), wanted)) {
      // The target is a name of this system, passed as it stands.
      const int32_t result = processFile_(archive, kRarExtract, nullptr, target.c_str());
      close_(archive);
      return result;
    }
    if (processFile_(archive, kRarSkip, nullptr, nullptr) != kRarOk) break;
  }
  close_(archive);
  return kLibraryUnavailable;
}

UnRarLibrary& TheUnRarLibrary() {
  static UnRarLibrary library;
  return library;
}

bool LoadUnRarDll() {
  return TheUnRarLibrary().Load();
}

bool ReadRarByDll(TArchiveEntryList& list, const std::string& path) {
  return TheUnRarLibrary().ReadRarByDll(list, path);
}

int32_t RarExtractFile(const std::string& archive, const std::string& member,
                       const std::string& target, int32_t /*maxBytes*/, int32_t /*headerOffset*/) {
  return TheUnRarLibrary().RarExtractFile(archive, member, target);
}

}  // namespace vellomar
