#pragma once

#include "engine/UEngineInternal.h"

#include <array>
#include <cstdint>
#include <string>

#include "abi/UnaceAbi.h"
#include "engine/UArchiveEntry.h"
#include "platform/PLibrary.h"

namespace vellomar {

// "UnAceV2.Dll" of a folder, bound at its first use and kept; absent for good unless all five
// entry points resolve. Absence is silent: listings give false, extraction 100. The library is
// initialised afresh for every listing and every extraction. Not reentrant: the listing
// callback writes into the list of the listing under way.
class UnAceLibrary {
 public:
  // folder empty: the program's folder.
  explicit UnAceLibrary(std::string folder = {});

  bool Load();
  // Lists the files of an ACE archive into list; true when the library listed it whole.
  bool ReadAceArchive(TArchiveEntryList& list, const std::string& path);
  // Writes the member (its listed name, folders separated by "\", matched ignoring case) to
  // target: 0, 100 without the library, or the library's own result; the library's result for
  // a member it does not hold when none is listed under that name. The library writes into a
  // private folder beside target; only its file, and only on success, becomes target.
  int32_t AceExtractFile(const std::string& archive, const std::string& member,
                         const std::string& target);

 private:
  bool initialise(AceCallbackProc stateCallback);
  // The name as the archive stores it of the member listed as member; empty when none is.
  std::string storedName(const std::string& archive, const std::string& member);

  static constexpr uint32_t kCommentBufferSize = 8191;

  LibraryBinding binding_;
  // The library may keep what the initialisation record points at.
  std::array<char, kCommentBufferSize + 1> comment_{};
  std::string tempFolder_;
  AceInitDllProc init_ = nullptr;
  AceListProc list_ = nullptr;
  AceExtractProc extract_ = nullptr;
};

// The program's ACE library.
UnAceLibrary& TheUnAceLibrary();

bool LoadUnAceDll();
bool ReadAceArchive(TArchiveEntryList& list, const std::string& path);
// maxBytes and headerOffset make the signature of every extractor; neither is used.
int32_t AceExtractFile(const std::string& archive, const std::string& member,
                       const std::string& target, int32_t maxBytes, int32_t headerOffset);

}  // namespace vellomar
