#include "tests/support/TracedChild.h"

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

std::string pathOfDescriptor(pid_t pid, uint64_t fd) {
  const std::string link = "/proc/" + std::to_string(pid) + "/fd/" + std::to_string(fd);
  std::array<char, 4096> target{};
  const ssize_t n = ::readlink(link.c_str(), target.data(), target.size() - 1);
  return n > 0 ? std::string(target.data(), static_cast<size_t>(n)) : std::string();
}

[[noreturn]] void runChild(const std::function<int()>& body) {
  if (::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0) ::_exit(126);
  ::raise(SIGSTOP);
  int code = 125;
  try {
    code = body();
  } catch (...) {
    code = 124;
  }
  // No exit handlers: the parent's test state and leak checks are not the child's.
  ::_exit(code);
}

int waitFor(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) throw std::runtime_error("waitpid failed");
  }
  return status;
}

}  // namespace

bool canTraceChildren() {
  static const bool can = [] {
    try {
      return runTraced([] { return 0; }, "/").ExitCode == 0;
    } catch (const std::runtime_error&) {
      return false;
    }
  }();
  return can;
}

TracedRun runTraced(const std::function<int()>& body, const std::string& folder,
                    std::optional<size_t> killBefore) {
  const std::string prefix = folder + "/";
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
    if (path.compare(0, prefix.size(), prefix) != 0) continue;
    if (killBefore && run.Writes.size() == *killBefore) {
      ::kill(pid, SIGKILL);
      waitFor(pid);
      return run;
    }
    run.Writes.push_back({*kind, std::move(path)});
  }
}

}  // namespace vellomar::testing
