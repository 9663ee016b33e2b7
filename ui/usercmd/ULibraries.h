#pragma once

#include <cstdint>
#include <string>

#include "platform/PLibrary.h"

namespace vellomar {

// What a user command is called with (the arguments of UserCommand, in their order).
struct UserCommandCall {
  uintptr_t window = 0;
  std::string params;
  std::string fullPath;
  std::string pathInArchive;
  int32_t dosDateTime = 0;
  int32_t size = 0;
  int32_t attributes = 0;  // the low byte of the entry's attributes
  std::string description;
  std::string tempFolder;
  int32_t flags = 0;
};

// A library name with "/" is loaded as written; a bare name from the program's folder, never
// from the library search path.
std::string UserLibraryPath(const std::string& name, const std::string& folder = programFolder());

// Loads the library, calls its UserCommand and frees it again. A library that cannot be loaded
// or lacks the entry point is reported to the debug log only; false then.
bool CallUserCommand(const std::string& libraryPath, const UserCommandCall& call);

// The label plug-in "vmp_sv.dll" of the program's folder with its three presence entry points.
bool IsSleevoraPluginPresent(const std::string& folder = programFolder());
// Hands the plug-in the disk names ("\r\n" after each); it receives them ended by two NULs.
// Nothing happens without the plug-in.
void ShowSleevoraPrintDialog(uintptr_t window, const std::string& text,
                             const std::string& folder = programFolder());

// Ejects the medium of the drive through the utility library "VlmrUtl.dll"; false when the
// library is missing or the drive refused.
bool EjectDrive(char letter, const std::string& device,
                const std::string& folder = programFolder());

}  // namespace vellomar
