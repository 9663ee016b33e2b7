#pragma once

// The interface between the program and its ACE library "UnAceV2.Dll": five C entry points and
// the records they take. The program binds it at run time and relies on nothing else.

#include <cstdint>

namespace vellomar {

extern "C" {

// Results; 0 is success everywhere. The program reserves 100 for "no library".
enum AceResult : int32_t {
  kAceOk = 0,
  kAceErrorParameter = 1,    // a record or a version the library does not take
  kAceErrorOpen = 2,         // the archive cannot be opened
  kAceErrorRead = 3,         // read error or damaged headers
  kAceErrorNotArchive = 4,   // no ACE archive header
  kAceErrorNotFound = 5,     // no member matches the file list
  kAceErrorWrite = 6,        // the destination file cannot be written
  kAceErrorCrc = 7,          // the member's data does not match its CRC
  kAceErrorUnsupported = 8,  // compressed, encrypted or split members
  kAceErrorCancelled = 9,    // a callback answered kAceCallbackCancel
};

// Callback answers.
constexpr int32_t kAceCallbackOk = 0;
constexpr int32_t kAceCallbackCancel = 2;

// Kinds of callback records (AceCallbackRecord::type).
enum AceCallbackType : uint32_t {
  kAceCallbackInfo = 1,
  kAceCallbackState = 2,
  kAceCallbackError = 3,
  kAceCallbackRequest = 4,
};

// Codes of state records.
constexpr uint32_t kAceStateListFile = 1040;  // file is the member being listed

struct AceFileRecord {
  const char* name;     // zero-terminated, folders separated by "\"
  uint32_t packedSize;  // saturated at 0xFFFFFFFF
  uint32_t size;        // saturated at 0xFFFFFFFF
  uint32_t dateTime;    // DOS date-time, date in the high word
  uint32_t attributes;  // DOS attributes: 0x10 folder
  uint32_t crc;
  uint32_t method;  // 0 stored, 1 and 2 compressed
};

struct AceArchiveRecord {
  const char* path;
  uint32_t version;  // the version needed to extract, 10 or 20
  uint32_t flags;    // of the archive header
  uint32_t volume;
};

struct AceCallbackRecord {
  uint32_t type;  // AceCallbackType
  uint32_t code;
  const AceArchiveRecord* archive;
  const AceFileRecord* file;  // null unless the code concerns one member
};

using AceCallbackProc = int32_t (*)(AceCallbackRecord* record);

constexpr uint32_t kAceCallerVersion = 0x1FFFF;
constexpr uint32_t kAceRecordVersion = 0x2FFFF;

struct AceInitRecord {
  uint32_t callerVersion;  // kAceCallerVersion
  uint32_t recordVersion;  // kAceRecordVersion; any other value is refused
  char* commentBuffer;     // receives archive comments, zero-terminated
  uint32_t commentBufferSize;
  const char* tempFolder;
  AceCallbackProc infoCallback;
  AceCallbackProc errorCallback;
  AceCallbackProc requestCallback;
  AceCallbackProc stateCallback;  // receives kAceStateListFile during ACEList
};

// Which members an operation works on.
struct AceFileSet {
  const char* sourceFolder;  // unused by readers; empty
  const char* fileList;      // one member name; empty selects every member
  const char* excludeList;   // unused by readers; empty
  int32_t fullMatch;         // non-zero: the name with its folders must match, ignoring case;
                             // 0: the name without folders
};

struct AceListRequest {
  AceFileSet files;
};

struct AceExtractRequest {
  AceFileSet files;
  const char* destinationFolder;
  int32_t excludePath;  // non-zero: write members without their stored folders
  const char* password;
};

struct AceArchiveData {
  uint32_t version;  // out: version needed to extract
  uint32_t flags;    // out: archive header flags
  uint32_t volume;   // out: volume number
  uint32_t members;  // out: number of members, folders included
};

using AceInitDllProc = int32_t (*)(AceInitRecord* init);
using AceReadArchiveDataProc = int32_t (*)(const char* archive, AceArchiveData* data);
using AceListProc = int32_t (*)(const char* archive, AceListRequest* request);
using AceTestProc = int32_t (*)(const char* archive, AceListRequest* request);
using AceExtractProc = int32_t (*)(const char* archive, AceExtractRequest* request);

int32_t ACEInitDll(AceInitRecord* init);
int32_t ACEReadArchiveData(const char* archive, AceArchiveData* data);
int32_t ACEList(const char* archive, AceListRequest* request);
int32_t ACETest(const char* archive, AceListRequest* request);
int32_t ACEExtract(const char* archive, AceExtractRequest* request);

}  // extern "C"

}  // namespace vellomar
