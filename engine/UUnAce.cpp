#include "engine/UUnAce.h"

#include <cstring>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "engine/UArchiveFile.h"
#include "engine/UMemberNames.h"
#include "engine/UUnRar.h"
#include "engine/api/UApiGlobals.h"
#include "engine/api/UCallbacks.h"
#include "foundation/UExceptions.h"
#include "foundation/UShortString.h"
#include "platform/PText.h"

namespace vellomar {

namespace {

namespace fs = std::filesystem;

constexpr const char* kFileName = "UnAceV2.Dll";
enum Entry { kInit, kReadArchiveData, kList, kTest, kExtract };
constexpr uint32_t kFolderOrLabel = 0x18;
constexpr size_t kMaxListedName = 254;
constexpr int kPrivateFolderAttempts = 100;

template <class Proc>
Proc as(void* entry) {
  return reinterpret_cast<Proc>(entry);
}

// The listing under way and whether it filled up, and the stored name an extraction looks for;
// the listing callback has no context pointer.
TArchiveEntryList* listingTarget = nullptr;
bool listingFailed = false;
struct StoredNameSearch {
  std::string wanted;  // as listed
  std::string stored;  // empty until found
};
StoredNameSearch* nameSearch = nullptr;

int32_t answerOk(AceCallbackRecord*) {
  return kAceCallbackOk;
}
int32_t answerCancel(AceCallbackRecord*) {
  return kAceCallbackCancel;
}

// The file a listing callback reports; null for any other call and for folders and labels.
const AceFileRecord* listedFile(const AceCallbackRecord* record) {
  if (record->type != kAceCallbackState || record->code != kAceStateListFile || !record->file ||
      !record->file->name || (record->file->attributes & kFolderOrLabel)) {
    return nullptr;
  }
  return record->file;
}

MemberName listedName(const AceFileRecord& file) {
  return memberName(utf8Prefix(file.name, kMaxListedName), NameCoding::kOem);
}

// Exceptions must not cross the library's frames: a full list cancels the listing instead.
int32_t listMember(AceCallbackRecord* record) {
  const AceFileRecord* listed = listedFile(record);
  if (!listingTarget || !listed) return kAceCallbackOk;
  const AceFileRecord& file = *listed;
  try {
    addArchiveMember(*listingTarget, listedName(file), static_cast<uint8_t>(file.attributes),
                     static_cast<int32_t>(file.dateTime), file.size, 0);
  } catch (const EKstvException&) {
    listingFailed = true;
    return kAceCallbackCancel;
  }
  return kAceCallbackOk;
}

int32_t findStoredName(AceCallbackRecord* record) {
  const AceFileRecord* listed = listedFile(record);
  if (!nameSearch || !listed || !sameText(memberPath(listedName(*listed)), nameSearch->wanted)) {
    return kAceCallbackOk;
  }
  nameSearch->stored = listed->name;
  return kAceCallbackCancel;
}

// The one file the library wrote into folder: it names it as stored, which may differ in case
// from the member asked for.
fs::path writtenFile(const fs::path& folder) {
  std::error_code error;
  fs::path found;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
    if (!entry.is_regular_file(error) || !found.empty()) return {};
    found = entry.path();
  }
  return found;
}

// A new folder of this program's own beside target, so the library never writes over or
// next to another file; empty when none can be made.
fs::path makePrivateFolder(const std::string& target) {
  for (int n = 0; n < kPrivateFolderAttempts; ++n) {
    const fs::path folder = target + ".ace" + std::to_string(n);
    std::error_code error;
    if (fs::create_directory(folder, error)) {
      fs::permissions(folder, fs::perms::owner_all, error);
      return folder;
    }
    if (error) return {};
  }
  return {};
}

}  // namespace

UnAceLibrary::UnAceLibrary(std::string folder)
    : binding_(kFileName, {"ACEInitDll", "ACEReadArchiveData", "ACEList", "ACETest", "ACEExtract"},
               std::move(folder)) {}

bool UnAceLibrary::Load() {
  if (init_) return true;
  if (!binding_.bind()) return false;
  init_ = as<AceInitDllProc>(binding_.entry(kInit));
  list_ = as<AceListProc>(binding_.entry(kList));
  extract_ = as<AceExtractProc>(binding_.entry(kExtract));
  return true;
}

bool UnAceLibrary::initialise(AceCallbackProc stateCallback) {
  if (tempFolder_.empty()) {
    std::error_code error;
    tempFolder_ = fs::temp_directory_path(error).string();
    if (!tempFolder_.empty() && tempFolder_.back() != '/') tempFolder_ += '/';
  }
  AceInitRecord init{kAceCallerVersion,  kAceRecordVersion,   comment_.data(),
                     kCommentBufferSize, tempFolder_.c_str(), answerOk,
                     answerCancel,       answerCancel,        stateCallback};
  return init_(&init) == kAceOk;
}

bool UnAceLibrary::ReadAceArchive(TArchiveEntryList& list, const std::string& path) {
  if (!Load()) return false;
  CallbackMessage(ShortString("Scanning contents of " + path));
  if (!initialise(listMember)) return false;
  AceListRequest request{{"", "", "", -1}};
  listingTarget = &list;
  listingFailed = false;
  const int32_t result = list_(path.c_str(), &request);
  listingTarget = nullptr;
  list.Sort();
  return result == kAceOk && !listingFailed;
}

std::string UnAceLibrary::storedName(const std::string& archive, const std::string& member) {
  StoredNameSearch search{memberPath(memberName(member, NameCoding::kUtf8)), {}};
  if (!initialise(findStoredName)) return {};
  AceListRequest request{{"", "", "", -1}};
  nameSearch = &search;
  list_(archive.c_str(), &request);
  nameSearch = nullptr;
  return search.stored;
}

int32_t UnAceLibrary::AceExtractFile(const std::string& archive, const std::string& member,
                                     const std::string& target) {
  if (!Load()) return kLibraryUnavailable;
  // Members are asked for by their listed names, which the library does not know.
  const std::string stored = storedName(archive, member);
  if (stored.empty()) return kAceErrorNotFound;
  if (!initialise(answerOk)) return kLibraryUnavailable;
  const fs::path folder = makePrivateFolder(target);
  if (folder.empty()) return kAceErrorWrite;
  const std::string folderName = folder.string();
  AceExtractRequest request{{"", stored.c_str(), "", -1}, folderName.c_str(), -1, ""};
  int32_t result = extract_(archive.c_str(), &request);
  std::error_code error;
  if (result == kAceOk) {
    const fs::path written = writtenFile(folder);
    if (written.empty()) {
      result = kAceErrorNotFound;
    } else {
      fs::rename(written, target, error);
      if (error) result = kAceErrorWrite;
    }
  }
  fs::remove_all(folder, error);
  return result;
}

UnAceLibrary& TheUnAceLibrary() {
  static UnAceLibrary library;
  return library;
}

bool LoadUnAceDll() {
  return TheUnAceLibrary().Load();
}

bool ReadAceArchive(TArchiveEntryList& list, const std::string& path) {
  return TheUnAceLibrary().ReadAceArchive(list, path);
}

int32_t AceExtractFile(const std::string& archive, const std::string& member,
                       const std::string& target, int32_t /*maxBytes*/, int32_t /*headerOffset*/) {
  return TheUnAceLibrary().AceExtractFile(archive, member, target);
}

}  // namespace vellomar
