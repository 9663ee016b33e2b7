#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/PFile.h"

namespace vellomar {

// The installer's handle-based file calls over POSIX. Handles are small descriptors that fit
// 16 bits; every call answers -1 on failure, as the old kernel calls did.
using KernelHandle = int16_t;
constexpr KernelHandle kKernelBadHandle = -1;

// Open modes of kernelOpen, with the old call's bit values.
constexpr int kKernelOpenRead = 0x00;
constexpr int kKernelOpenReadWrite = 0x02;
constexpr int kKernelShareExclusive = 0x10;
constexpr int kKernelShareDenyNone = 0x40;

enum class KernelSeekOrigin { kStart = 0, kCurrent = 1, kEnd = 2 };

// Creates or truncates a file with normal attributes, open for writing. Writers never follow a
// symbolic link: creating or opening one for writing fails.
KernelHandle kernelCreate(const char* path);
// Opens an existing file; an exclusive share request fails while another holder has it locked.
KernelHandle kernelOpen(const char* path, int mode);
// Reads up to count bytes; fewer only at the end of the file.
int32_t kernelRead(KernelHandle handle, void* buffer, uint32_t count);
// Writes count bytes; answers the bytes stored, which may be fewer when the disk fills.
int32_t kernelWrite(KernelHandle handle, const void* buffer, uint32_t count);
// Answers the new position from the start.
int32_t kernelSeek(KernelHandle handle, int32_t offset, KernelSeekOrigin origin);
int32_t kernelClose(KernelHandle handle);

// Any entry of that name: a folder, or a symbolic link even when it leads nowhere.
bool kernelFileExists(const char* path);
bool kernelDeleteFile(const char* path);
// Puts from in place of to in one step, replacing the file or symbolic link there (never what a
// link leads to); both in the same file system. False with errno telling why.
bool kernelRenameFile(const char* from, const char* to);
bool kernelCreateFolder(const char* path);
bool kernelSetExecutable(const char* path);
// The running program's own path; empty when the system does not tell.
std::string kernelProgramPath();
// The current folder, without a trailing separator (except for the root).
std::string kernelCurrentFolder();

// DOS date-times are taken as UTC, both ways, so a time written is read back unchanged on any
// time zone. Invalid fields (month 13, day 0, hour 24, ...) make the conversion fail.
bool kernelDosDateTimeToUnix(uint32_t dosDateTime, int64_t& seconds);
uint32_t kernelUnixToDosDateTime(int64_t seconds);
// Sets the last-access and last-write times (Linux keeps no settable creation time).
bool kernelSetFileTime(const char* path, int64_t seconds);
// The last-write time as a DOS date-time; false when the file cannot be examined.
bool kernelFileDosDateTime(const char* path, uint32_t& dosDateTime);
// The last-write time to the nanosecond; none when the file cannot be examined.
std::optional<FileTime> kernelLastWriteTime(const char* path);

}  // namespace vellomar
