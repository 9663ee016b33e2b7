#include "platform/PFile.h"

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace vellomar {
namespace {

class PFileTest : public ::testing::Test {
 protected:
  std::string file(const std::string& name, const std::string& content) {
    return folder_.file(name, content);
  }

  test::TempFolder folder_{"pfile"};
  const std::string& dir_ = folder_.path();
};

using test::contentOf;

TEST_F(PFileTest, WritersExcludeEveryOtherOpen) {
  struct Case {
    FileOpenMode held;
    FileOpenMode second;
    bool opens;
  };
  const Case cases[] = {
      {FileOpenMode::kReadOnly, FileOpenMode::kReadOnly, true},
      {FileOpenMode::kReadOnly, FileOpenMode::kReadWrite, false},
      {FileOpenMode::kReadOnly, FileOpenMode::kCreate, false},
      {FileOpenMode::kReadWrite, FileOpenMode::kReadOnly, false},
      {FileOpenMode::kReadWrite, FileOpenMode::kReadWrite, false},
      {FileOpenMode::kReadWrite, FileOpenMode::kCreate, false},
      {FileOpenMode::kCreate, FileOpenMode::kReadOnly, false},
  };
  for (const Case& c : cases) {
    const std::string path = file("held", "keep me");
    PlatformFile held;
    ASSERT_TRUE(held.open(path, c.held));
    const std::string before = contentOf(path);
    PlatformFile second;
    EXPECT_EQ(second.open(path, c.second), c.opens)
        << static_cast<int>(c.held) << " then " << static_cast<int>(c.second);
    EXPECT_EQ(contentOf(path), before) << "a refused create must not empty the file";
    EXPECT_EQ(second.isOpen(), c.opens);
  }
}

TEST_F(PFileTest, LockGoesWithClose) {
  const std::string path = file("f", "x");
  PlatformFile first;
  ASSERT_TRUE(first.open(path, FileOpenMode::kReadWrite));
  first.close();
  PlatformFile second;
  EXPECT_TRUE(second.open(path, FileOpenMode::kReadWrite));
}

TEST_F(PFileTest, CreateEmptiesOrMakesTheFile) {
  const std::string existing = file("old", "old content");
  const std::string fresh = dir_ + "/new";
  for (const std::string& path : {existing, fresh}) {
    PlatformFile f;
    ASSERT_TRUE(f.open(path, FileOpenMode::kCreate)) << path;
    EXPECT_EQ(f.size(), 0u) << path;
    EXPECT_TRUE(f.writeAt(0, "abc", 3));
    f.close();
    EXPECT_EQ(contentOf(path), "abc");
  }
}

TEST_F(PFileTest, RefusesWhatCannotBeOpened) {
  const std::string fifo = dir_ + "/fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::pair<std::string, FileOpenMode> cases[] = {
      {dir_ + "/missing", FileOpenMode::kReadOnly},
      {dir_ + "/missing", FileOpenMode::kReadWrite},
      {dir_, FileOpenMode::kReadOnly},
      {fifo, FileOpenMode::kReadOnly},  // would block without a writer
  };
  for (const auto& [path, mode] : cases) {
    PlatformFile f;
    EXPECT_FALSE(f.open(path, mode)) << path;
    EXPECT_FALSE(f.isOpen());
  }
}

TEST_F(PFileTest, PositionedReadsAndWrites) {
  const std::string path = file("f", "0123456789");
  PlatformFile f;
  ASSERT_TRUE(f.open(path, FileOpenMode::kReadWrite));
  char buffer[16] = {};
  EXPECT_EQ(f.readAt(7, buffer, sizeof buffer), 3) << "short only at the end";
  EXPECT_EQ(std::string(buffer, 3), "789");
  EXPECT_EQ(f.readAt(10, buffer, 4), 0);
  EXPECT_TRUE(f.writeAt(12, "ab", 2));
  EXPECT_EQ(f.size(), 14u);
  EXPECT_EQ(f.readAt(9, buffer, 5), 5);
  EXPECT_EQ(std::string(buffer, 5), std::string("9\0\0ab", 5));
  EXPECT_TRUE(f.flush());
}

TEST_F(PFileTest, ModificationTimeCanBePutBack) {
  const std::string path = file("f", "x");
  PlatformFile f;
  ASSERT_TRUE(f.open(path, FileOpenMode::kReadWrite));
  const FileTime old{978307200, 123456789};
  ASSERT_TRUE(f.setModificationTime(old));
  ASSERT_TRUE(f.writeAt(0, "y", 1));
  EXPECT_NE(f.modificationTime()->seconds, old.seconds);
  ASSERT_TRUE(f.setModificationTime(old));
  f.close();
  struct stat st;
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mtim.tv_sec, old.seconds);
  EXPECT_EQ(st.st_mtim.tv_nsec, old.nanoseconds);
}

}  // namespace
}  // namespace vellomar
