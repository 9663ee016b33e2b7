#pragma once

#include <cstdint>

namespace vellomar::setup {

// The installer's file record over the handle-based kernel calls.
struct TStreamFile {
  int32_t ErrorCode = 0;  // 0, -1..-5, or another failure code
  int16_t Handle = -1;    // -1 when an open failed
  int16_t Mode = 0;       // one of the kStreamMode values
  int32_t Position = 0;
  int32_t Size = 0;
};

constexpr int16_t kStreamModeClosed = 0;
constexpr int16_t kStreamModeCreate = 1;
constexpr int16_t kStreamModeReadWrite = 2;
constexpr int16_t kStreamModeReadOnly = 3;

// Callers move at most this many bytes per read or write.
constexpr int32_t kStreamMaxTransfer = 32768;

void StreamOpen(TStreamFile& file, const char* path, int16_t mode);
void StreamClose(TStreamFile& file);
int32_t StreamPos(const TStreamFile& file);
void StreamSeek(TStreamFile& file, int32_t offset);
// read is 0 on a closed record and -1 after a failed read of a read-only one.
void StreamRead(TStreamFile& file, void* buffer, int32_t count, int32_t& read);
void StreamWrite(TStreamFile& file, const void* buffer, int32_t count);
// Records the code. Outside read-only mode a failure raises EKstvFatalException with the
// catalogue stream's text for the code; in read-only mode it closes the file instead and leaves
// the code for the caller.
void StreamError(TStreamFile& file, int32_t code);

}  // namespace vellomar::setup
