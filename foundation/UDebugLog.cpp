#include "foundation/UDebugLog.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vellomar {

std::string debugLogSocketPath() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime == nullptr || runtime[0] == '\0') return {};
  return std::string(runtime) + "/vellomar-debug-log";
}

DebugLogChannel::~DebugLogChannel() {
  if (fd_ >= 0) ::close(fd_);
}

bool DebugLogChannel::available() {
  if (looked_) return fd_ >= 0;
  looked_ = true;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (socketPath_.empty() || socketPath_.size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, socketPath_.data(), socketPath_.size());
  const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  return true;
}

void DebugLogChannel::send(std::string_view text) {
  if (!available()) return;
  std::string datagram(text);
  datagram.push_back('\0');
  (void)::send(fd_, datagram.data(), datagram.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
}

void DebugLogChannel::log(const char* format, ...) {
  va_list args;
  va_start(args, format);
  logArgs(format, args);
  va_end(args);
}

void DebugLogChannel::logArgs(const char* format, va_list args) {
  if (!available()) return;
  va_list measure;
  va_copy(measure, args);
  const int length = std::vsnprintf(nullptr, 0, format, measure);
  va_end(measure);
  if (length < 0) return;
  std::string text(static_cast<size_t>(length) + 1, '\0');
  std::vsnprintf(text.data(), text.size(), format, args);
  text.pop_back();
  send(text);
}

namespace {

// Lives to the end of the run, which closes the link.
DebugLogChannel& runChannel() {
  static DebugLogChannel channel(debugLogSocketPath());
  return channel;
}

}  // namespace

bool DebugLogAvailable() {
  return runChannel().available();
}

void DebugLog(const char* format, ...) {
  va_list args;
  va_start(args, format);
  runChannel().logArgs(format, args);
  va_end(args);
}

}  // namespace vellomar
