#pragma once

#include <cstdarg>
#include <string>
#include <string_view>
#include <utility>

namespace vellomar {

// A debug-log receiver is a program bound to a Unix datagram socket at a fixed path of the
// user's own runtime folder; each line goes to it as one datagram of the text and its NUL.

// "$XDG_RUNTIME_DIR/vellomar-debug-log", or empty without XDG_RUNTIME_DIR: the fixed path must
// belong to the user, and a shared folder such as /tmp would let anybody listen.
std::string debugLogSocketPath();

// The link to one receiver path, looked up at the first question only: without a receiver a
// run pays one failed connect and sends nothing.
class DebugLogChannel {
 public:
  explicit DebugLogChannel(std::string socketPath) : socketPath_(std::move(socketPath)) {}
  ~DebugLogChannel();
  DebugLogChannel(const DebugLogChannel&) = delete;
  DebugLogChannel& operator=(const DebugLogChannel&) = delete;

  bool available();
  // Without waiting and without looking at the result: a slow receiver never holds the sender.
  void send(std::string_view text);
  // printf-style; formatted only when a receiver exists.
  void log(const char* format, ...) __attribute__((format(printf, 2, 3)));
  void logArgs(const char* format, va_list args) __attribute__((format(printf, 2, 0)));

 private:
  std::string socketPath_;
  bool looked_ = false;
  int fd_ = -1;
};

// Whether the run's receiver exists, looked up once per run.
bool DebugLogAvailable();
// Sends to the run's receiver; printf-style, formatted only when the receiver exists.
void DebugLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace vellomar
