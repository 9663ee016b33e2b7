#include "tests/support/TracedChild.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/ptrace.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <stdexcept>

namespace vellomar::testing {

namespace {

constexpr int kSyscallStop = SIGTRAP | 0x80;

std::optional<FileWrite::Kind> writeKind(uint64_t nr) {
  switch (nr) {
    case SYS_write:
    case SYS_pwrite64:
    case SYS_writev:
    case SYS_pwritev:
    case SYS_pwritev2:
      return FileWrite::Kind::kWrite;
    case SYS_ftruncate:
      return FileWrite::Kind::kResize;
    case SYS_fsync:
    case SYS_fdatasync:
      return FileWrite::Kind::kFlush;
    default:
      return std::nullopt;
  }
}

bool below(const std::string& path, const std::string& prefix) {
  return path.compare(0, prefix.size(), prefix) == 0;
}

std::string pathOfDescriptor(pid_t pid, uint64_t fd) {
  const std::string link = "/proc/" + std::to_string(pid) + "/fd/" + std::to_string(fd);
  std::array<char, 4096> target{};
  const ssize_t n = ::readlink(link.c_str(), target.data(), target.size() - 1);
  return n > 0 ? std::string(target.data(), static_cast<size_t>(n)) : std::string();
}

// Ends the child with body's result as its exit code.
[[noreturn]] void finishChild(const std::function<int()>& body) {
  int code = 125;
  try {
    code = body();
  } catch (...) {
    code = 124;
  }
  // No exit handlers: the parent's test state and leak checks are not the child's.
  ::_exit(code);
}

[[noreturn]] void runChild(const std::function<int()>& body) {
  if (::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0) ::_exit(126);
  ::raise(SIGSTOP);
  finishChild(body);
}

int waitFor(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) throw std::runtime_error("waitpid failed");
  }
  return status;
}

TracedRun runPtraced(const std::function<int()>& body, const std::string& prefix,
                     std::optional<size_t> killBefore) {
  const pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) runChild(body);

  TracedRun run;
  int status = waitFor(pid);
  if (!WIFSTOPPED(status)) throw std::runtime_error("traced child did not stop");
  ::ptrace(PTRACE_SETOPTIONS, pid, nullptr, PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL);
  int pass = 0;
  while (true) {
    ::ptrace(PTRACE_SYSCALL, pid, nullptr, reinterpret_cast<void*>(static_cast<intptr_t>(pass)));
    status = waitFor(pid);
    if (WIFEXITED(status)) {
      run.Finished = true;
      run.ExitCode = WEXITSTATUS(status);
      return run;
    }
    if (WIFSIGNALED(status)) return run;
    pass = 0;
    if (WSTOPSIG(status) != kSyscallStop) {
      pass = WSTOPSIG(status);  // a signal of the child's own goes on to it
      continue;
    }
    __ptrace_syscall_info info{};
    if (::ptrace(PTRACE_GET_SYSCALL_INFO, pid, sizeof info, &info) <= 0 ||
        info.op != PTRACE_SYSCALL_INFO_ENTRY) {
      continue;
    }
    const std::optional<FileWrite::Kind> kind = writeKind(info.entry.nr);
    if (!kind) continue;
    std::string path = pathOfDescriptor(pid, info.entry.args[0]);
    if (!below(path, prefix)) continue;
    if (killBefore && run.Writes.size() == *killBefore) {
      ::kill(pid, SIGKILL);
      waitFor(pid);
      return run;
    }
    run.Writes.push_back({*kind, std::move(path)});
  }
}

// --- The file-call double ---

// The child's watch; off in every other process.
struct FileCallWatch {
  bool on = false;
  std::string prefix;
  std::optional<size_t> killBefore;
  size_t count = 0;
  int reportFd = -1;
};
FileCallWatch fileCallWatch;

template <class Call>
Call nextCall(const char* name) {
  return reinterpret_cast<Call>(::dlsym(RTLD_NEXT, name));
}

using WriteCall = ssize_t (*)(int, const void*, size_t);

// A call of the child about to act on fd: reported as one line, kind and path, unless it is
// the one to be killed before.
void enterFileCall(FileWrite::Kind kind, int fd) {
  FileCallWatch& watch = fileCallWatch;
  if (!watch.on) return;
  const std::string path = pathOfDescriptor(::getpid(), static_cast<uint64_t>(fd));
  if (!below(path, watch.prefix)) return;
  if (watch.killBefore && watch.count == *watch.killBefore) ::kill(::getpid(), SIGKILL);
  ++watch.count;
  const std::string line = std::to_string(static_cast<int>(kind)) + path + "\n";
  static const WriteCall write = nextCall<WriteCall>("write");
  [[maybe_unused]] const ssize_t put = write(watch.reportFd, line.data(), line.size());
}

std::vector<FileWrite> readReports(int fd) {
  std::string text;
  std::array<char, 4096> buffer;
  ssize_t n = 0;
  while ((n = ::read(fd, buffer.data(), buffer.size())) != 0) {
    if (n < 0 && errno != EINTR) throw std::runtime_error("reading the child's reports failed");
    if (n > 0) text.append(buffer.data(), static_cast<size_t>(n));
  }
  std::vector<FileWrite> writes;
  for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
       start = end + 1) {
    writes.push_back(
        {static_cast<FileWrite::Kind>(text[start] - '0'), text.substr(start + 1, end - start - 1)});
  }
  return writes;
}

TracedRun runWithFileCallDouble(const std::function<int()>& body, const std::string& prefix,
                                std::optional<size_t> killBefore) {
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  const pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    ::close(report[0]);
    fileCallWatch = {true, prefix, killBefore, 0, report[1]};
    finishChild(body);
  }
  ::close(report[1]);
  TracedRun run;
  run.Writes = readReports(report[0]);
  ::close(report[0]);
  const int status = waitFor(pid);
  run.Finished = WIFEXITED(status);
  if (run.Finished) run.ExitCode = WEXITSTATUS(status);
  return run;
}

}  // namespace

bool canTraceChildren() {
  static const bool can = [] {
    try {
      return runPtraced([] { return 0; }, "/", std::nullopt).ExitCode == 0;
    } catch (const std::runtime_error&) {
      return false;
    }
  }();
  return can;
}

WriteWatch availableWriteWatch() {
  return canTraceChildren() ? WriteWatch::kPtrace : WriteWatch::kFileCallDouble;
}

TracedRun runTraced(const std::function<int()>& body, const std::string& folder,
                    std::optional<size_t> killBefore, WriteWatch watch) {
  const std::string prefix = folder + "/";
  return watch == WriteWatch::kPtrace ? runPtraced(body, prefix, killBefore)
                                      : runWithFileCallDouble(body, prefix, killBefore);
}

}  // namespace vellomar::testing

// The double's entry points: this program's definitions come before the C library's, which
// they call on.
namespace {

using vellomar::testing::enterFileCall;
using vellomar::testing::FileWrite;
using vellomar::testing::nextCall;

}  // namespace

extern "C" {

ssize_t write(int fd, const void* data, size_t n) {
  static const auto next = nextCall<ssize_t (*)(int, const void*, size_t)>("write");
  enterFileCall(FileWrite::Kind::kWrite, fd);
  return next(fd, data, n);
}

ssize_t pwrite(int fd, const void* data, size_t n, off_t offset) {
  static const auto next = nextCall<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite");
  enterFileCall(FileWrite::Kind::kWrite, fd);
  return next(fd, data, n, offset);
}

ssize_t pwrite64(int fd, const void* data, size_t n, off64_t offset) {
  static const auto next = nextCall<ssize_t (*)(int, const void*, size_t, off64_t)>("pwrite64");
  enterFileCall(FileWrite::Kind::kWrite, fd);
  return next(fd, data, n, offset);
}

int ftruncate(int fd, off_t length) noexcept {
  static const auto next = nextCall<int (*)(int, off_t)>("ftruncate");
  enterFileCall(FileWrite::Kind::kResize, fd);
  return next(fd, length);
}

int ftruncate64(int fd, off64_t length) noexcept {
  static const auto next = nextCall<int (*)(int, off64_t)>("ftruncate64");
  enterFileCall(FileWrite::Kind::kResize, fd);
  return next(fd, length);
}

int fsync(int fd) {
  static const auto next = nextCall<int (*)(int)>("fsync");
  enterFileCall(FileWrite::Kind::kFlush, fd);
  return next(fd);
}

int fdatasync(int fd) {
  static const auto next = nextCall<int (*)(int)>("fdatasync");
  enterFileCall(FileWrite::Kind::kFlush, fd);
  return next(fd);
}

}  // extern "C"
