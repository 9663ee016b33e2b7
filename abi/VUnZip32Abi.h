#pragma once

// The interface between the program and its ZIP extraction library "VUnZip32.dll": one C entry
// point that writes the start of one member of a ZIP archive to a new file.

#include <cstdint>

namespace vellomar {

extern "C" {

// Results of ExtractFile; 0 is success, the target was written.
enum ZipExtractResult : int32_t {
  kZipExtracted = 0,
  kZipBadArgument = 1,
  kZipCannotOpenArchive = 2,
  kZipNoSuchMember = 3,
  kZipUnsupported = 4,  // compression method (shrink, reduce, implode...) or encryption
  kZipBadData = 5,
  kZipCannotWrite = 6,  // the target exists already or cannot be written
};

// archive: zero-terminated path of the ZIP file. member: its name inside the archive, folders
// separated by "\" or "/", without a leading separator. target: zero-terminated name of the file
// to create; it must not exist yet. At most maxBytes bytes of the member are written, so a
// longer member gives its start. headerOffset: the member's local header offset as the central
// directory records it; when no header with that name lies there, the member is looked up by
// name. A failed extraction leaves no target file behind.
using ZipExtractFileProc = int32_t (*)(const char* archive, const char* member, const char* target,
                                       int32_t maxBytes, int32_t headerOffset);

int32_t ExtractFile(const char* archive, const char* member, const char* target, int32_t maxBytes,
                    int32_t headerOffset);

}  // extern "C"

}  // namespace vellomar
