#pragma once

#include "engine/UEngineInternal.h"

#include <cstdint>
#include <string>

#include "abi/UnrarAbi.h"
#include "engine/UArchiveEntry.h"
#include "platform/PLibrary.h"

namespace vellomar {

// Extraction result when the library is absent, or the member is not in the archive.
constexpr int32_t kLibraryUnavailable = 100;

// "unrar.dll" of a folder, bound at its first use and kept; absent for good unless all five
// entry points resolve. Absence is silent: listings give false, extraction kLibraryUnavailable.
class UnRarLibrary {
 public:
  // folder empty: the program's folder.
  explicit UnRarLibrary(std::string folder = {});

  bool Load();
  // Lists the files of a RAR archive into list; true when at least one was listed.
  bool ReadRarByDll(TArchiveEntryList& list, const std::string& path);
  // Writes the member (folders separated by "\", matched ignoring case) to target: 0, or
  // kLibraryUnavailable, or the library's own result.
  int32_t RarExtractFile(const std::string& archive, const std::string& member,
                         const std::string& target);

 private:
  // Null when the library does not open it.
  RarArchive* openArchive(const std::string& path, uint32_t mode);

  LibraryBinding binding_;
  RarOpenArchiveProc open_ = nullptr;
  RarCloseArchiveProc close_ = nullptr;
  RarReadHeaderProc readHeader_ = nullptr;
  RarProcessFileProc processFile_ = nullptr;
};

// The program's RAR library.
UnRarLibrary& TheUnRarLibrary();

bool LoadUnRarDll();
bool ReadRarByDll(TArchiveEntryList& list, const std::string& path);
// maxBytes and headerOffset make the signature of every extractor; neither is used.
int32_t RarExtractFile(const std::string& archive, const std::string& member,
                       const std::string& target, int32_t maxBytes, int32_t headerOffset);

}  // namespace vellomar
