#include "foundation/UStream.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "foundation/UExceptions.h"
#include "tests/support/TempFolder.h"

namespace vellomar {
namespace {

using Mode = int;
constexpr Mode kCreate = TKFileStream::kModeCreate;
constexpr Mode kReadWrite = TKFileStream::kModeReadWrite;
constexpr Mode kReadOnly = TKFileStream::kModeReadOnly;

// A file whose reads fail although it opens as a regular file: memory page 0 is never mapped.
const char kUnreadableFile[] = "/proc/self/mem";

class StreamTest : public ::testing::Test {
 protected:
  std::string file(const std::string& name, const std::string& content) {
    return folder_.file(name, content);
  }

  test::TempFolder folder_{"stream"};
  const std::string& dir_ = folder_.path();
};

using test::contentOf;

// Bytes that differ at every offset of a read-ahead block, so a misplaced copy shows.
std::string pattern(size_t n) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
  return s;
}

struct Raised {
  std::string kind;
  std::string message;
};

Raised raised(const std::function<void()>& f) {
  try {
    f();
  } catch (const EKstvNormalException& e) {
    return {"normal", e.what()};
  } catch (const EKstvFatalException& e) {
    return {"fatal", e.what()};
  } catch (const EKstvDBaseStructException& e) {
    return {"damage", e.what()};
  }
  return {"none", ""};
}

TEST_F(StreamTest, SmallReadsThroughTheBufferMatchTheFile) {
  const std::string data = pattern(300000);
  const std::string path = dir_ + "/big";
  {
    TKFileStream s;
    s.Init(path, kCreate);
    s.Write(data.data(), 100000);
    s.Write(data.data() + 100000, data.size() - 100000);
    EXPECT_EQ(s.GetSize(), data.size());
    EXPECT_TRUE(s.Modified());
  }
  ASSERT_EQ(contentOf(path), data);

  TKFileStream s;
  s.Init(path, kReadOnly);
  EXPECT_EQ(s.GetSize(), data.size());
  std::string back;
  const size_t pieces[] = {1, 3, 19, 4096, 65535, 70000, 2, 65536};
  for (size_t i = 0; !s.Eof(); ++i) {
    std::string piece(pieces[i % std::size(pieces)], '\0');
    size_t got = 0;
    s.Read(piece.data(), piece.size(), got);
    back.append(piece, 0, got);
    EXPECT_EQ(s.GetPosition(), back.size());
  }
  EXPECT_EQ(back, data);
  size_t got = 7;
  char byte;
  s.Read(&byte, 1, got);
  EXPECT_EQ(got, 0u) << "a read at the end gets nothing";
}

// Bytes past an exact read are left in the file: a change made there by another writer shows
// in the next read, while what the buffer already held is still served from it.
TEST_F(StreamTest, ExactReadsTakeNothingPastTheirBytes) {
  const std::string data = pattern(1000);
  const std::string path = file("f", data);
  TKFileStream s;
  s.Init(path, kReadOnly);
  char field[4];
  {
    const ExactReads exact(s);
    EXPECT_FALSE(s.ReadAhead());
    s.Seek(100);
    s.ReadExact(field, 4);
    EXPECT_EQ(std::string(field, 4), data.substr(100, 4));
    std::fstream(path, std::ios::in | std::ios::out | std::ios::binary).seekp(104) << "WXYZ";
    s.ReadExact(field, 4);
    EXPECT_EQ(std::string(field, 4), "WXYZ");
  }
  EXPECT_TRUE(s.ReadAhead()) << "the read-ahead is back after the scope";
  s.Seek(200);
  s.ReadExact(field, 4);  // fills the buffer from 200
  std::fstream(path, std::ios::in | std::ios::out | std::ios::binary).seekp(204) << "wxyz";
  const ExactReads exact(s);
  s.ReadExact(field, 4);
  EXPECT_EQ(std::string(field, 4), data.substr(204, 4)) << "held bytes come from the buffer";
}

TEST_F(StreamTest, SeeksAndWritesKeepTheBufferTrue) {
  const std::string path = file("f", pattern(1000));
  TKFileStream s;
  s.Init(path, kReadWrite);
  char field[4];
  s.Seek(100);
  s.ReadExact(field, 4);  // fills the buffer from 100
  s.Seek(102);
  s.Write("WXYZ", 4);
  EXPECT_EQ(s.GetPosition(), 106u);
  s.Seek(100);
  s.ReadExact(field, 4);
  EXPECT_EQ(std::string(field, 4), pattern(1000).substr(100, 2) + "WX");

  s.SeekToEnd();
  s.Write("tail", 4);
  EXPECT_EQ(s.GetSize(), 1004u);
  s.Seek(1000);
  s.ReadExact(field, 4);
  EXPECT_EQ(std::string(field, 4), "tail") << "bytes appended after the buffer was filled";
  s.Done();
  std::string expected = pattern(1000) + "tail";
  expected.replace(102, 4, "WXYZ");
  EXPECT_EQ(contentOf(path), expected);
}

TEST_F(StreamTest, ReadOnlyStreamIgnoresWrites) {
  const std::string path = file("f", "abcdef");
  TKFileStream s;
  s.Init(path, kReadOnly);
  s.Seek(2);
  s.Write("XYZ", 3);
  EXPECT_EQ(s.GetPosition(), 2u);
  EXPECT_EQ(s.GetSize(), 6u);
  EXPECT_FALSE(s.Modified());
  EXPECT_EQ(s.Mode(), kReadOnly);
  s.Done();
  EXPECT_EQ(contentOf(path), "abcdef");
}

TEST_F(StreamTest, BoundCheckRaisesDamageAndLeavesTheStreamOpen) {
  const std::string path = file("f", "abcdef");
  TKFileStream s;
  s.Init(path, kReadOnly);
  s.SetCheckBounds(true);
  s.Seek(2);
  char buffer[8];
  EXPECT_EQ(raised([&] { s.ReadExact(buffer, 5); }).message, DBaseStructMessage(2));
  EXPECT_EQ(s.Mode(), kReadOnly);
  EXPECT_EQ(s.GetPosition(), 2u);
  s.ReadExact(buffer, 4);
  EXPECT_EQ(std::string(buffer, 4), "cdef") << "exactly the remaining bytes";
  EXPECT_EQ(raised([&] { s.ReadExact(buffer, 1); }).message, DBaseStructMessage(2));

  s.Seek(6);
  EXPECT_EQ(raised([&] { s.Seek(7); }).message, DBaseStructMessage(1));
  EXPECT_EQ(raised([&] { s.Seek(0xFFFFFFFF); }).message, DBaseStructMessage(1));
  EXPECT_EQ(s.Mode(), kReadOnly);
  EXPECT_EQ(s.GetPosition(), 6u);

  s.SetCheckBounds(false);
  s.Seek(10);
  EXPECT_EQ(raised([&] { s.ReadExact(buffer, 1); }).message, "File reading error.")
      << "past the end without the check: a short read";
}

TEST_F(StreamTest, FailuresCloseTheStreamAndRaiseByMode) {
  struct Case {
    const char* what;
    std::string name;
    Mode mode;
    size_t read;
    Raised expected;
    int status;
  };
  const std::string existing = file("f", "abc");
  const Case cases[] = {
      {"read fails on a read-only file",
       kUnreadableFile,
       kReadOnly,
       1,
       {"normal", "File reading error."},
       -3},
      {"short read of a read/write file",
       existing,
       kReadWrite,
       4,
       {"fatal", "File reading error."},
       -3},
      {"short read of a read-only file",
       existing,
       kReadOnly,
       4,
       {"normal", "File reading error."},
       -3},
      {"missing file read-only",
       dir_ + "/missing",
       kReadOnly,
       0,
       {"normal", "File creation or open error."},
       -2},
      {"missing file read/write",
       dir_ + "/missing",
       kReadWrite,
       0,
       {"fatal", "File creation or open error."},
       -2},
      {"folder", dir_, kReadOnly, 0, {"normal", "File creation or open error."}, -2},
      {"unknown mode", existing, 4, 0, {"fatal", "File creation or open error."}, -2},
  };
  for (const Case& c : cases) {
    TKFileStream s;
    const Raised r = raised([&] {
      s.Init(c.name, c.mode);
      std::vector<char> buffer(c.read);
      s.ReadExact(buffer.data(), buffer.size());
    });
    EXPECT_EQ(r.kind, c.expected.kind) << c.what;
    EXPECT_EQ(r.message, c.expected.message) << c.what;
    EXPECT_EQ(s.Status(), c.status) << c.what;
    EXPECT_EQ(s.Mode(), TKFileStream::kModeClosed) << c.what;
    EXPECT_TRUE(s.Eof()) << c.what;
    EXPECT_EQ(s.GetPosition(), 0u) << c.what;
    EXPECT_EQ(s.GetSize(), 0u) << c.what;
  }
}

TEST_F(StreamTest, SecondWriterIsRefusedWithoutTruncating) {
  const std::string path = file("db", "catalogue");
  TKFileStream holder;
  holder.Init(path, kReadWrite);
  for (Mode mode : {kCreate, kReadWrite, kReadOnly}) {
    TKFileStream second;
    const Raised r = raised([&] { second.Init(path, mode); });
    EXPECT_EQ(r.message, "File creation or open error.") << mode;
    EXPECT_EQ(contentOf(path), "catalogue") << mode;
  }
  holder.Done();
  TKFileStream reader;
  reader.Init(path, kReadOnly);
  TKFileStream secondReader;
  secondReader.Init(path, kReadOnly);
  EXPECT_EQ(secondReader.GetSize(), 9u) << "readers share";
}

TEST_F(StreamTest, ReadWriteCloseKeepsTheModificationTimeUnlessWritten) {
  struct Case {
    const char* what;
    bool write;
    bool clearModified;
    bool timeKept;
  };
  const Case cases[] = {
      {"only read", false, false, true},
      {"written, then marked unmodified", true, true, true},
      {"one byte written", true, false, false},
  };
  const timespec old[2] = {{978307200, 0}, {978307200, 500}};
  for (const Case& c : cases) {
    const std::string path = file("db", "catalogue");
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), old, 0), 0);
    {
      TKFileStream s;
      s.Init(path, kReadWrite);
      char buffer[4];
      s.ReadExact(buffer, 4);
      if (c.write) {
        const bool modified = s.Modified();
        s.Seek(0);
        s.Write(buffer, c.clearModified ? 4 : 1);
        if (c.clearModified) s.SetModified(modified);
      }
    }
    struct stat st;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    const bool kept = st.st_mtim.tv_sec == old[1].tv_sec && st.st_mtim.tv_nsec == old[1].tv_nsec;
    EXPECT_EQ(kept, c.timeKept) << c.what;
  }
}

// Appends wait in the stream: every read, write elsewhere, flush and close must see them in
// order, and pieces past one buffer must not be reordered.
TEST_F(StreamTest, GatheredAppendsReachReadsAndTheFileInOrder) {
  const std::string path = dir_ + "/new";
  const std::string big = pattern(200 * 1024);
  TKFileStream s;
  s.Init(path, kCreate);
  for (size_t at = 0; at < big.size(); at += 1000) {
    s.Write(big.data() + at, std::min<size_t>(1000, big.size() - at));
  }
  EXPECT_EQ(s.GetSize(), big.size());
  s.Seek(150 * 1024);
  char field[6];
  s.ReadExact(field, 6);
  EXPECT_EQ(std::string(field, 6), big.substr(150 * 1024, 6)) << "a read of gathered bytes";
  s.SeekToEnd();
  s.Write("tail", 4);
  s.Seek(10);
  s.Write("MID", 3);  // a write inside the file goes after the gathered tail
  s.SeekToEnd();
  s.Write("end", 3);
  s.Seek(big.size());
  s.ReadExact(field, 6);
  EXPECT_EQ(std::string(field, 6), "tailen") << "a read beside the read-ahead block";
  s.Done();
  std::string expected = big + "tailend";
  expected.replace(10, 3, "MID");
  EXPECT_EQ(contentOf(path), expected);
}

// A file size limit makes the gathered bytes fail only once they are written out: that must
// raise the write error by the latest in Flush, never pass for a success.
TEST_F(StreamTest, AGatheredWriteThatFailsRaisesWhereItIsWrittenOut) {
  struct Case {
    const char* what;
    std::function<void(TKFileStream&)> writeOut;
  };
  const Case cases[] = {
      {"flush", [](TKFileStream& s) { s.Flush(); }},
      {"read",
       [](TKFileStream& s) {
         char byte;
         s.Seek(0);
         s.ReadExact(&byte, 1);
       }},
      {"write inside the file",
       [](TKFileStream& s) {
         s.Seek(0);
         s.Write("x", 1);
       }},
  };
  struct rlimit saved {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
  struct rlimit limit = saved;
  limit.rlim_cur = 100;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
  for (const Case& c : cases) {
    TKFileStream s;
    s.Init(dir_ + "/limited", kCreate);
    for (int i = 0; i < 20; ++i) s.Write("0123456789", 10);
    const Raised r = raised([&] { c.writeOut(s); });
    EXPECT_EQ(r.kind, "fatal") << c.what;
    EXPECT_EQ(r.message, "File writing error.") << c.what;
    EXPECT_EQ(s.Status(), -4) << c.what;
    EXPECT_EQ(s.Mode(), TKFileStream::kModeClosed) << c.what;
  }
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, oldHandler);
}

TEST_F(StreamTest, ClosedStreamIsQuiet) {
  const std::string path = file("f", "abc");
  TKFileStream s;
  s.Init(path, kReadWrite);
  s.Seek(2);
  s.Done();
  s.Done();
  EXPECT_EQ(s.GetPosition(), 0u);
  EXPECT_EQ(s.GetSize(), 0u);
  EXPECT_TRUE(s.Eof());
  s.Write("x", 1);
  s.Seek(1);
  s.SeekToEnd();
  s.Flush();
  EXPECT_EQ(contentOf(path), "abc");
  char byte;
  EXPECT_EQ(raised([&] { s.ReadExact(&byte, 1); }).kind, "fatal");

  s.Init(path, kReadWrite);
  s.Init(path, kReadWrite);  // a stream opened again lets go of its file first
  EXPECT_EQ(s.GetSize(), 3u);
}

TEST(StreamError, TextByCode) {
  const std::pair<int, const char*> cases[] = {
      {-1, "File access error."},  {-2, "File creation or open error."},
      {-3, "File reading error."}, {-4, "File writing error."},
      {-5, "File seeking error."}, {5, "File error: 5"},
      {-112, "File error: -112"},
  };
  for (const auto& [code, text] : cases) {
    TKFileStream s;
    EXPECT_EQ(raised([&] { s.Error(code); }).message, text) << code;
    EXPECT_EQ(s.Status(), code);
  }
}

}  // namespace
}  // namespace vellomar
