#include "setup/Kstream.h"

#include "foundation/UExceptions.h"
#include "foundation/UStream.h"
#include "platform/PKernelFile.h"

namespace vellomar::setup {

namespace {

constexpr int32_t kErrorOpen = -2;
constexpr int32_t kErrorRead = -3;
constexpr int32_t kErrorWrite = -4;
constexpr int32_t kErrorSeek = -5;

}  // namespace

void StreamOpen(TStreamFile& file, const char* path, int16_t mode) {
  file.ErrorCode = 0;
  file.Position = 0;
  file.Size = 0;
  file.Mode = mode;
  switch (mode) {
    case kStreamModeCreate:
      file.Handle = kernelCreate(path);
      break;
    case kStreamModeReadWrite:
      file.Handle = kernelOpen(path, kKernelOpenReadWrite | kKernelShareExclusive);
      break;
    default:
      file.Handle = kernelOpen(path, kKernelOpenRead | kKernelShareDenyNone);
      break;
  }
  if (file.Handle == kKernelBadHandle) {
    StreamError(file, kErrorOpen);
    return;
  }
  file.Size = kernelSeek(file.Handle, 0, KernelSeekOrigin::kEnd);
  file.Position = kernelSeek(file.Handle, 0, KernelSeekOrigin::kStart);
  if (file.Size < 0 || file.Position < 0) StreamError(file, kErrorSeek);
}

void StreamClose(TStreamFile& file) {
  if (file.Mode == kStreamModeClosed) return;
  // A record whose open failed holds no handle to give back.
  const bool failed = file.Handle != kKernelBadHandle && kernelClose(file.Handle) == -1;
  file.Handle = kKernelBadHandle;
  if (failed) StreamError(file, kErrorOpen);
  file.Mode = kStreamModeClosed;
}

int32_t StreamPos(const TStreamFile& file) {
  return file.Mode == kStreamModeClosed ? 0 : file.Position;
}

void StreamSeek(TStreamFile& file, int32_t offset) {
  if (file.Mode == kStreamModeClosed || offset == file.Position) return;
  file.Position = kernelSeek(file.Handle, offset, KernelSeekOrigin::kStart);
  if (file.Position == -1) StreamError(file, kErrorSeek);
}

void StreamRead(TStreamFile& file, void* buffer, int32_t count, int32_t& read) {
  read = 0;
  if (file.Mode == kStreamModeClosed || count <= 0) return;
  read = kernelRead(file.Handle, buffer, static_cast<uint32_t>(count));
  if (read == -1) {
    StreamError(file, kErrorRead);
    return;
  }
  file.Position += read;
}

void StreamWrite(TStreamFile& file, const void* buffer, int32_t count) {
  if (file.Mode == kStreamModeClosed || file.Mode == kStreamModeReadOnly || count <= 0) return;
  const int32_t written = kernelWrite(file.Handle, buffer, static_cast<uint32_t>(count));
  if (written == -1) {
    StreamError(file, kErrorWrite);
    return;
  }
  file.Position += written;
  if (file.Position > file.Size) file.Size = file.Position;
  if (written != count) StreamError(file, kErrorWrite);
}

void StreamError(TStreamFile& file, int32_t code) {
  file.ErrorCode = code;
  if (code == 0) return;
  if (file.Mode != kStreamModeReadOnly) throw EKstvFatalException(fileErrorText(code));
  // The handle goes with the record, so a read-only failure leaks nothing.
  if (file.Handle != kKernelBadHandle) kernelClose(file.Handle);
  file.Handle = kKernelBadHandle;
  file.Mode = kStreamModeClosed;
}

}  // namespace vellomar::setup
