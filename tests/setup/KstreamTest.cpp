#include "setup/Kstream.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "foundation/UExceptions.h"
#include "tests/setup/ZipTestFiles.h"

namespace vellomar::setup {
namespace {

using test::Bytes;
using test::TempFolder;

std::string fatalMessage(const std::function<void()>& action) {
  try {
    action();
  } catch (const EKstvFatalException& e) {
    return e.what();
  }
  return "no exception";
}

TEST(Kstream, WritesReadsAndSeeksWithPositionAndSize) {
  TempFolder folder;
  const std::string path = folder.path() + "/data.bin";
  TStreamFile file;
  StreamOpen(file, path.c_str(), kStreamModeCreate);
  StreamWrite(file, "abcdef", 6);
  EXPECT_EQ(file.Size, 6);
  StreamClose(file);
  EXPECT_EQ(file.Mode, kStreamModeClosed);

  StreamOpen(file, path.c_str(), kStreamModeReadWrite);
  EXPECT_EQ(file.Size, 6);
  EXPECT_EQ(StreamPos(file), 0);
  StreamSeek(file, 4);
  StreamWrite(file, "XYZ", 3);
  EXPECT_EQ(file.Size, 7);
  StreamSeek(file, 1);
  char buffer[16] = {};
  int32_t read = 0;
  StreamRead(file, buffer, sizeof buffer, read);
  EXPECT_EQ(read, 6);
  EXPECT_EQ(std::string(buffer, 6), "bcdXYZ");
  EXPECT_EQ(StreamPos(file), 7);
  StreamClose(file);
}

TEST(Kstream, ReadOnlyFailuresCloseQuietlyOthersRaise) {
  TempFolder folder;
  const std::string missing = folder.path() + "/missing.bin";
  TStreamFile file;
  StreamOpen(file, missing.c_str(), kStreamModeReadOnly);
  EXPECT_EQ(file.ErrorCode, -2);
  EXPECT_EQ(file.Mode, kStreamModeClosed);

  EXPECT_EQ(fatalMessage([&] { StreamOpen(file, missing.c_str(), kStreamModeReadWrite); }),
            "File creation or open error.");
  StreamClose(file);  // a record whose open failed closes without a further error
  EXPECT_EQ(file.Mode, kStreamModeClosed);
}

TEST(Kstream, ClosedRecordReadsNothing) {
  TStreamFile file;
  int32_t read = 1234;
  char buffer[4];
  StreamRead(file, buffer, sizeof buffer, read);
  EXPECT_EQ(read, 0);
  EXPECT_EQ(StreamPos(file), 0);
}

TEST(Kstream, ReadErrorOnReadOnlyRecordClosesItsHandle) {
  TStreamFile file;
  // A folder that opens with size 0 but refuses reads.
  StreamOpen(file, "/proc/self/task", kStreamModeReadOnly);
  ASSERT_EQ(file.Mode, kStreamModeReadOnly);
  const int handle = file.Handle;
  char buffer[4];
  int32_t read = 0;
  StreamRead(file, buffer, sizeof buffer, read);
  EXPECT_EQ(read, -1);
  EXPECT_EQ(file.ErrorCode, -3);
  EXPECT_EQ(file.Mode, kStreamModeClosed);
  EXPECT_EQ(fcntl(handle, F_GETFD), -1) << "handle left open";
}

TEST(Kstream, WriteOnReadOnlyRecordChangesNothing) {
  TempFolder folder;
  const std::string path = folder.path() + "/data.bin";
  test::writeFile(path, Bytes{1, 2, 3});
  TStreamFile file;
  StreamOpen(file, path.c_str(), kStreamModeReadOnly);
  StreamWrite(file, "xyz", 3);
  EXPECT_EQ(file.ErrorCode, 0);
  EXPECT_EQ(file.Position, 0);
  EXPECT_EQ(file.Size, 3);
  StreamClose(file);
  EXPECT_EQ(test::readFile(path), (Bytes{1, 2, 3}));
}

TEST(Kstream, FailedWriteRaises) {
  TStreamFile file;
  StreamOpen(file, "/dev/full", kStreamModeReadWrite);
  EXPECT_EQ(fatalMessage([&] { StreamWrite(file, "abc", 3); }), "File writing error.");
  StreamClose(file);
}

// The file-size limit makes the kernel store only part of a write; the child reports whether
// that raised the writing error.
TEST(Kstream, ShortWriteRaises) {
  TempFolder folder;
  const std::string path = folder.path() + "/short.bin";
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{10, 10};
    setrlimit(RLIMIT_FSIZE, &limit);
    TStreamFile file;
    StreamOpen(file, path.c_str(), kStreamModeCreate);
    const std::string message = fatalMessage([&] { StreamWrite(file, "0123456789abcdef", 16); });
    _exit(message == "File writing error." && file.Position == 10 ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(Kstream, ErrorTexts) {
  const std::pair<int32_t, const char*> cases[] = {
      {-1, "File access error."},  {-2, "File creation or open error."},
      {-3, "File reading error."}, {-4, "File writing error."},
      {-5, "File seeking error."}, {-17, "File error: -17"},
  };
  for (auto [code, text] : cases) {
    TStreamFile file;
    file.Mode = kStreamModeReadWrite;
    EXPECT_EQ(fatalMessage([&] { StreamError(file, code); }), text) << code;
    EXPECT_EQ(file.ErrorCode, code);
  }
}

}  // namespace
}  // namespace vellomar::setup
