// The ACE library: lists ACE 1.0 and 2.0 archives from their headers and extracts stored
// members. Decompression is not built in: extracting a compressed member answers
// kAceErrorUnsupported.

#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <mutex>
#include <string>
#include <string_view>

#include "abi/UnaceAbi.h"
#include "modules/unace/AceArchive.h"
#include "platform/PAsciiText.h"

namespace vellomar {

namespace {

constexpr uint32_t kFolderAttribute = 0x10;

// Only the callbacks are kept from the last ACEInitDll; its texts belong to the caller.
struct Callbacks {
  AceCallbackProc state = nullptr;
};

std::mutex initMutex;
Callbacks callbacks;
bool initialised = false;

bool initialisedCopy(Callbacks& out) {
  std::lock_guard lock(initMutex);
  out = callbacks;
  return initialised;
}

bool isSeparator(char c) {
  return c == '\\' || c == '/';
}

std::string_view withoutFolders(std::string_view name) {
  const size_t slash = name.find_last_of("\\/");
  return slash == std::string_view::npos ? name : name.substr(slash + 1);
}

bool sameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (isSeparator(a[i]) && isSeparator(b[i])) continue;
    if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
  }
  return true;
}

bool selected(const AceFileSet& files, const AceMember& member) {
  if (!files.fileList || !*files.fileList) return true;
  if (files.fullMatch) return sameName(member.name, files.fileList);
  return sameName(withoutFolders(member.name), withoutFolders(files.fileList));
}

AceFileRecord fileRecord(const AceMember& member) {
  return AceFileRecord{member.name.c_str(), member.packedSize, member.size,  member.dateTime,
                       member.attributes,   member.crc,        member.method};
}

bool isFolder(const AceMember& member) {
  return (member.attributes & kFolderAttribute) != 0;
}

// Split continuations are parts of a member already seen in an earlier volume.
bool isContinuation(const AceMember& member) {
  return (member.flags & kAceSplitBefore) != 0;
}

int32_t extractable(const AceMember& member) {
  if (member.method != kAceStored) return kAceErrorUnsupported;
  if (member.flags & (kAceEncrypted | kAceSplitBefore | kAceSplitAfter)) {
    return kAceErrorUnsupported;
  }
  return kAceOk;
}

int32_t extractTo(AceArchiveFile& archive, const AceMember& member, const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) return kAceErrorWrite;
  int32_t result = archive.copyStored(member, fd);
  if (close(fd) != 0 && result == kAceOk) result = kAceErrorWrite;
  if (result != kAceOk) unlink(path.c_str());
  return result;
}

// The name a member is written under, without its folders; empty when it names no file.
std::string targetName(const AceMember& member) {
  const std::string_view name = withoutFolders(member.name);
  if (name.empty() || name == "." || name == "..") return {};
  return std::string(name);
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) int32_t ACEInitDll(AceInitRecord* init) {
  if (!init || init->recordVersion != kAceRecordVersion) return kAceErrorParameter;
  if (init->commentBuffer && init->commentBufferSize > 0) init->commentBuffer[0] = '\0';
  std::lock_guard lock(initMutex);
  callbacks.state = init->stateCallback;
  initialised = true;
  return kAceOk;
}

__attribute__((visibility("default"))) int32_t ACEReadArchiveData(const char* path,
                                                                  AceArchiveData* data) {
  if (!path || !data) return kAceErrorParameter;
  AceArchiveFile archive;
  if (const int32_t result = archive.open(path); result != kAceOk) return result;
  uint32_t members = 0;
  const int32_t result = archive.walk([&](const AceMember& member) -> int32_t {
    if (!isContinuation(member)) ++members;
    return kAceOk;
  });
  data->version = archive.header().version;
  data->flags = archive.header().flags;
  data->volume = archive.header().volume;
  data->members = members;
  return result;
}

__attribute__((visibility("default"))) int32_t ACEList(const char* path, AceListRequest* request) {
  Callbacks init;
  if (!path || !request || !initialisedCopy(init)) return kAceErrorParameter;
  AceArchiveFile archive;
  if (const int32_t result = archive.open(path); result != kAceOk) return result;
  const AceArchiveRecord archiveRecord{path, archive.header().version, archive.header().flags,
                                       archive.header().volume};
  return archive.walk([&](const AceMember& member) -> int32_t {
    if (isContinuation(member) || !selected(request->files, member)) return kAceOk;
    if (!init.state) return kAceOk;
    AceFileRecord file = fileRecord(member);
    AceCallbackRecord record{kAceCallbackState, kAceStateListFile, &archiveRecord, &file};
    return init.state(&record) == kAceCallbackCancel ? kAceErrorCancelled : kAceOk;
  });
}

__attribute__((visibility("default"))) int32_t ACETest(const char* path, AceListRequest* request) {
  Callbacks init;
  if (!path || !request || !initialisedCopy(init)) return kAceErrorParameter;
  AceArchiveFile archive;
  if (const int32_t result = archive.open(path); result != kAceOk) return result;
  const int sink = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (sink < 0) return kAceErrorWrite;
  const int32_t result = archive.walk([&](const AceMember& member) -> int32_t {
    if (isContinuation(member) || isFolder(member) || !selected(request->files, member)) {
      return kAceOk;
    }
    if (const int32_t check = extractable(member); check != kAceOk) return check;
    return archive.copyStored(member, sink);
  });
  close(sink);
  return result;
}

__attribute__((visibility("default"))) int32_t ACEExtract(const char* path,
                                                          AceExtractRequest* request) {
  Callbacks init;
  if (!path || !request || !request->destinationFolder || !initialisedCopy(init)) {
    return kAceErrorParameter;
  }
  // Writing stored folders would need path checks this library has no use for.
  if (!request->excludePath) return kAceErrorParameter;
  AceArchiveFile archive;
  if (const int32_t result = archive.open(path); result != kAceOk) return result;
  std::string folder = request->destinationFolder;
  if (!folder.empty() && folder.back() != '/') folder += '/';
  bool found = false;
  const int32_t result = archive.walk([&](const AceMember& member) -> int32_t {
    if (isContinuation(member) || isFolder(member) || !selected(request->files, member)) {
      return kAceOk;
    }
    found = true;
    if (const int32_t check = extractable(member); check != kAceOk) return check;
    const std::string name = targetName(member);
    if (name.empty()) return kAceErrorWrite;
    return extractTo(archive, member, folder + name);
  });
  if (result == kAceOk && !found) return kAceErrorNotFound;
  return result;
}

}  // extern "C"

}  // namespace vellomar
