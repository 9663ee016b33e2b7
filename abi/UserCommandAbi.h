#pragma once

// The interface between the program and the libraries of user commands ("UserCmd.ini" binds a
// key to a library): one C entry point, called with everything known about the focused file.
// Every text is UTF-8, zero-terminated and never null. A library must not let a C++ exception
// leave it.

#include <cstdint>

namespace vellomar {

extern "C" {

// Bits of the flags argument.
enum UserCommandFlags : int32_t {
  kUserFileExists = 1,        // the file exists at its full path now
  kUserVolumeAccessible = 2,  // the volume of its drive can be read
  kUserRemovableDrive = 4,    // removable drive or CD-ROM
  kUserNetworkDrive = 8,
  kUserLabelDiffers = 16,  // the label read now is not the one recorded, ignoring case
  kUserInArchive = 32,     // fullPath is the archive, pathInArchive the file inside it
};

// window: the program's main window (its native window id). params: the text of the command's
// "params" key. fullPath: the file's path on this machine, or the catalogue's "X:\..." path
// when its drive is not there. pathInArchive: "/"-separated, empty outside an archive.
// dosDateTime: packed DOS date and time; attributes: the low byte of the DOS attributes.
// description: the file's whole description. tempFolder: the program's temporary folder.
// reserved: always 0.
using UserCommandProc = void (*)(uintptr_t window, const char* params, const char* fullPath,
                                 const char* pathInArchive, int32_t dosDateTime, int32_t size,
                                 int32_t attributes, const char* description,
                                 const char* tempFolder, int32_t flags, int32_t reserved);

void UserCommand(uintptr_t window, const char* params, const char* fullPath,
                 const char* pathInArchive, int32_t dosDateTime, int32_t size, int32_t attributes,
                 const char* description, const char* tempFolder, int32_t flags, int32_t reserved);

}  // extern "C"

}  // namespace vellomar
