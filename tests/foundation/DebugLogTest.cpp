#include "foundation/UDebugLog.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "tests/support/TempFolder.h"

namespace vellomar {
namespace {

// A receiver bound at a path in a folder of its own.
class Receiver {
 public:
  explicit Receiver(const std::string& path) {
    fd_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    bound_ = ::bind(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  }
  ~Receiver() { ::close(fd_); }
  bool bound() const { return bound_; }

  // The next datagram, or "(nothing)" when none waits.
  std::string next() {
    char buffer[512];
    const ssize_t n = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
    return n < 0 ? "(nothing)" : std::string(buffer, static_cast<size_t>(n));
  }

 private:
  int fd_ = -1;
  bool bound_ = false;
};

class DebugLogTest : public ::testing::Test {
 protected:
  test::TempFolder folder_{"debuglog"};
  std::string path_ = folder_.at("receiver");
};

TEST_F(DebugLogTest, SendsFormattedLinesWithTheirNul) {
  Receiver receiver(path_);
  ASSERT_TRUE(receiver.bound());
  DebugLogChannel channel(path_);
  EXPECT_TRUE(channel.available());
  channel.log("disk %d of %s", 3, "Backup");
  channel.send("plain");
  EXPECT_EQ(receiver.next(), std::string("disk 3 of Backup\0", 17));
  EXPECT_EQ(receiver.next(), std::string("plain\0", 6));
  EXPECT_EQ(receiver.next(), "(nothing)");
}

TEST_F(DebugLogTest, WithoutAReceiverLooksOnceAndSendsNothing) {
  DebugLogChannel channel(path_);
  EXPECT_FALSE(channel.available());
  Receiver late(path_);
  ASSERT_TRUE(late.bound());
  EXPECT_FALSE(channel.available()) << "the answer of the first lookup stands";
  channel.log("lost %d", 1);
  EXPECT_EQ(late.next(), "(nothing)");
}

TEST_F(DebugLogTest, ReceiverGoneDoesNotDisturbTheSender) {
  DebugLogChannel channel(path_);
  {
    Receiver receiver(path_);
    ASSERT_TRUE(channel.available());
  }
  channel.log("after %s", "close");
  EXPECT_TRUE(channel.available());
}

TEST(DebugLogPath, LivesInTheUsersRuntimeFolder) {
  const char* saved = std::getenv("XDG_RUNTIME_DIR");
  const std::string restore = saved ? saved : "";
  ::setenv("XDG_RUNTIME_DIR", "/run/user/1000", 1);
  EXPECT_EQ(debugLogSocketPath(), "/run/user/1000/vellomar-debug-log");
  ::unsetenv("XDG_RUNTIME_DIR");
  EXPECT_EQ(debugLogSocketPath(), "");
  DebugLogChannel channel(debugLogSocketPath());
  EXPECT_FALSE(channel.available());
  if (saved) ::setenv("XDG_RUNTIME_DIR", restore.c_str(), 1);
}

}  // namespace
}  // namespace vellomar
