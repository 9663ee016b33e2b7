#pragma once

// The interface of the program's utility library "VlmrUtl.dll": ejecting the medium of a drive.

#include <cstdint>

namespace vellomar {

extern "C" {

// drive: the drive letter in the low byte (other bytes carry nothing). device: the block device
// of that drive ("/dev/sr0"), as the program's drive table knows it. 0 when the medium was
// ejected; any other value when it could not be (busy, no such device, not allowed).
using EjectProc = int32_t (*)(int32_t drive, const char* device);

int32_t Eject(int32_t drive, const char* device);

}  // extern "C"

}  // namespace vellomar
