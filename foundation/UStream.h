#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/PFile.h"

namespace vellomar {

// The text of a file error code: "File access error." (-1), "File creation or open error."
// (-2), "File reading error." (-3), "File writing error." (-4), "File seeking error." (-5),
// "File error: <code>" for any other. The installer's file record reports the same texts.
std::string fileErrorText(int code);

// The engine's one way to files. Every failure closes the stream and raises: on a read-only
// stream EKstvNormalException (a file the user pointed at is unreadable), otherwise
// EKstvFatalException (a database being written is in danger). With the bound check on, a seek
// or read past the size raises damage 001/002 first and leaves the stream open for the caller
// to decide.
//
// Reads go through a read-ahead buffer, since the tree and file-list readers take small fields;
// it starts small, since many opens read a header alone, and grows with each fill.
// Appends at the end of the file gather in a write-behind buffer (a save or copy appends one
// small block per folder), written out before any read of the file, any other write, Flush and
// close; other writes go straight to the file. Writes also go into the read-ahead buffer where
// it holds those bytes. A failed write of gathered bytes raises where it is found, at the
// latest in Flush: a writer that must know its bytes are on the disk flushes before Done.
class TKFileStream {
 public:
  static constexpr int kModeClosed = 0;
  static constexpr int kModeCreate = 1;     // replace, exclusive
  static constexpr int kModeReadWrite = 2;  // existing file, exclusive
  static constexpr int kModeReadOnly = 3;   // existing file, shared with readers; writes ignored

  TKFileStream() = default;
  ~TKFileStream() { Done(); }
  TKFileStream(const TKFileStream&) = delete;
  TKFileStream& operator=(const TKFileStream&) = delete;

  // Closes a file still open first; an open refused is error -2.
  void Init(std::string_view name, int mode);
  // Harmless on a closed stream; never raises, so gathered bytes that cannot be written are
  // lost here: Flush first.
  void Done() noexcept;
  void Flush();
  // Writes the gathered bytes out, without waiting for the disk: for a writer that stops without
  // a save, so the file shows what was written.
  void WriteOut();
  // While deferred, Flush only writes out: for a writer whose work counts as saved only once it
  // is complete, and which flushes then.
  void SetSyncDeferred(bool deferred) { syncDeferred_ = deferred; }

  uint32_t GetPosition() const { return mode_ == kModeClosed ? 0 : position_; }
  // Files past 4 GiB report 0xFFFFFFFF: positions are 32 bits.
  uint32_t GetSize() const { return mode_ == kModeClosed ? 0 : size_; }
  bool Eof() const { return mode_ == kModeClosed || position_ >= size_; }

  void Seek(uint32_t offset);
  void SeekToEnd();
  // got is less than n only at the end of the file.
  void Read(void* buffer, size_t n, size_t& got);
  void ReadExact(void* buffer, size_t n);
  // Ignored when closed or read-only.
  void Write(const void* data, size_t n);

  // Closes the stream and raises the exception for code (-1..-5, or any other number).
  [[noreturn]] void Error(int code);

  int Status() const { return status_; }
  int Mode() const { return mode_; }
  const std::string& FileName() const { return fileName_; }
  // While off, a read takes what the buffer holds and the rest straight from the file, exactly:
  // for a reader of blocks whose sizes it knows, lying apart, where a read-ahead would take in
  // bytes nobody asks for. See ExactReads.
  bool ReadAhead() const { return readAheadOn_; }
  void SetReadAhead(bool on) { readAheadOn_ = on; }
  bool CheckBounds() const { return checkBounds_; }
  void SetCheckBounds(bool on) { checkBounds_ = on; }
  // Writers that must not count as a change save and restore this around their writes: a file
  // opened read/write and not modified gets its modification time back at close.
  bool Modified() const { return modified_; }
  void SetModified(bool modified) { modified_ = modified; }

 private:
  void close() noexcept;
  // Copies what the buffer holds of the bytes at offset; the count copied.
  size_t fromBuffer(uint64_t offset, uint8_t* out, size_t n) const;
  void fillBuffer(uint64_t offset);
  void updateBuffer(uint64_t offset, const uint8_t* data, size_t n);
  bool gathers(size_t n) const;

  PlatformFile file_;
  int status_ = 0;
  int mode_ = kModeClosed;
  uint32_t position_ = 0;
  uint32_t size_ = 0;
  bool checkBounds_ = false;
  bool modified_ = false;
  bool syncDeferred_ = false;
  bool readAheadOn_ = true;
  // Off for read/write: a stream that was not modified puts back the modification time found
  // at open, as the file was (an archive attribute does not exist here).
  bool keepArchiveBit_ = true;
  std::optional<FileTime> openedTime_;
  std::string fileName_;

  std::vector<uint8_t> buffer_;
  uint64_t bufferStart_ = 0;
  size_t bufferLength_ = 0;
  size_t readAhead_ = 0;  // the next fill's length
  // Bytes gathered for the end of the file: they end at size_.
  std::vector<uint8_t> gathered_;
  uint64_t gatheredStart_ = 0;
};

// The stream's read-ahead off for a scope, as it was after.
class ExactReads {
 public:
  explicit ExactReads(TKFileStream& stream) : stream_(stream), was_(stream.ReadAhead()) {
    stream_.SetReadAhead(false);
  }
  ~ExactReads() { stream_.SetReadAhead(was_); }
  ExactReads(const ExactReads&) = delete;
  ExactReads& operator=(const ExactReads&) = delete;

 private:
  TKFileStream& stream_;
  bool was_;
};

}  // namespace vellomar
