#pragma once

// The interface between the program and its RAR library "unrar.dll": five C entry points and
// the records they fill. The program binds it at run time and relies on nothing else.

#include <cstdint>

namespace vellomar {

extern "C" {

// What RAROpenArchive is asked to do with the archive.
enum RarOpenMode : uint32_t {
  kRarOpenList = 0,     // headers only; RARProcessFile can only skip
  kRarOpenExtract = 1,  // members can be extracted
};

// What RARProcessFile does with the member whose header was read last.
enum RarOperation : int32_t {
  kRarSkip = 0,
  kRarTest = 1,
  kRarExtract = 2,
};

// Results; 0 is success everywhere. The program reserves 100 for "no library".
enum RarResult : int32_t {
  kRarOk = 0,
  kRarEndOfArchive = 1,
  kRarNoMemory = 2,
  kRarBadData = 3,
  kRarBadArchive = 4,
  kRarOpenError = 5,
  kRarCreateError = 6,
  kRarReadError = 7,
  kRarWriteError = 8,
  kRarBadParameter = 9,
};

struct RarOpenRequest {
  const char* archiveName;  // zero-terminated path
  uint32_t openMode;        // RarOpenMode
  int32_t openResult;       // out: RarResult
};

constexpr uint32_t kRarNameCapacity = 1024;

// Flags of RarMemberHeader.
constexpr uint32_t kRarNameIsUtf8 = 0x1;  // else the name is in the OEM code page as stored

struct RarMemberHeader {
  char fileName[kRarNameCapacity];  // zero-terminated, folders separated by "\" or "/"
  uint32_t flags;
  uint32_t fileAttributes;  // DOS attributes: 0x10 folder, 0x08 volume label
  uint32_t fileTime;        // DOS date-time, date in the high word
  uint32_t unpackedSize;    // saturated at 0xFFFFFFFF
};

struct RarArchive;  // the library's own

using RarOpenArchiveProc = RarArchive* (*)(RarOpenRequest* request);
using RarCloseArchiveProc = int32_t (*)(RarArchive* archive);
using RarReadHeaderProc = int32_t (*)(RarArchive* archive, RarMemberHeader* header);
// Extraction writes to destinationName, which must be given; destinationFolder is for
// libraries that write under the stored name and is not used by the program.
using RarProcessFileProc = int32_t (*)(RarArchive* archive, int32_t operation,
                                       const char* destinationFolder, const char* destinationName);
using RarGetDllVersionProc = int32_t (*)();

// Null, with openResult set, when the archive cannot be opened.
RarArchive* RAROpenArchive(RarOpenRequest* request);
// A null archive is accepted and answers kRarBadParameter.
int32_t RARCloseArchive(RarArchive* archive);
int32_t RARReadHeader(RarArchive* archive, RarMemberHeader* header);
int32_t RARProcessFile(RarArchive* archive, int32_t operation, const char* destinationFolder,
                       const char* destinationName);
int32_t RARGetDllVersion();

constexpr int32_t kRarInterfaceVersion = 1;

}  // extern "C"

}  // namespace vellomar
