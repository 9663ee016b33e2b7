#include "bench/BenchProbe.h"

#include <fcntl.h>
#include <ftw.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>
#include <sstream>

extern char** environ;

namespace vellomar {
namespace {

std::string workName = "bench-work";

struct IoCounters {
  uint64_t rchar = 0, wchar = 0, syscr = 0;
};

// Reaped children's counts are added to their parent's, so the parent's counters also
// cover the commands it waited for.
IoCounters readIo() {
  IoCounters io;
  std::ifstream in("/proc/self/io");
  std::string key;
  uint64_t value = 0;
  while (in >> key >> value) {
    if (key == "rchar:") io.rchar = value;
    if (key == "wchar:") io.wchar = value;
    if (key == "syscr:") io.syscr = value;
  }
  return io;
}

uint64_t statusKiB(const char* field) {
  std::ifstream in("/proc/self/status");
  std::string line;
  const size_t n = std::strlen(field);
  while (std::getline(in, line)) {
    if (line.compare(0, n, field) == 0) return std::strtoull(line.c_str() + n, nullptr, 10);
  }
  return 0;
}

// Sets the peak resident size back to the present size.
bool resetPeak() {
  std::ofstream out("/proc/self/clear_refs");
  out << "5";
  return static_cast<bool>(out.flush());
}

double now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void fillIo(Sample& s, const IoCounters& before, const IoCounters& after) {
  s.readBytes = after.rchar - before.rchar;
  s.writtenBytes = after.wchar - before.wchar;
  s.readCalls = after.syscr - before.syscr;
}

Sample failedSample(const std::string& error) {
  Sample s;
  s.error = error;
  return s;
}

// A sample crosses the pipe as one line of numbers and the error text.
std::string encode(const Sample& s) {
  std::ostringstream out;
  out.precision(17);
  out << s.ok << ' ' << s.seconds << ' ' << s.peakBytes << ' ' << s.readBytes << ' '
      << s.writtenBytes << ' ' << s.readCalls << ' ' << s.count << ' ' << s.error;
  return out.str();
}

Sample decode(const std::string& text) {
  Sample s;
  std::istringstream in(text);
  if (!(in >> s.ok >> s.seconds >> s.peakBytes >> s.readBytes >> s.writtenBytes >> s.readCalls >>
        s.count)) {
    return failedSample("the measuring process ended without a result");
  }
  std::getline(in >> std::ws, s.error);
  return s;
}

[[noreturn]] void sendAndExit(int fd, const Sample& s) {
  const std::string text = encode(s);
  [[maybe_unused]] ssize_t written = ::write(fd, text.data(), text.size());
  ::_exit(0);
}

std::string readAll(int fd) {
  std::string text;
  char buffer[4096];
  for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) text.append(buffer, n);
  return text;
}

int dropOne(const char* path, const struct stat*, int kind, struct FTW*) {
  if (kind == FTW_F) {
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd >= 0) {
      ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
      ::close(fd);
    }
  }
  return 0;
}

}  // namespace

void setWorkName(const std::string& name) {
  workName = name.substr(0, 15);
}

Sample measureInChild(const std::function<int64_t()>& work, const std::function<void()>& prepare) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return failedSample("no pipe");
  std::fflush(nullptr);
  // Heap this process freed would be reused by the child without raising its resident size,
  // hiding part of the run's peak.
  ::malloc_trim(0);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    Sample s;
    try {
      if (prepare) prepare();
    } catch (const std::exception& e) {
      s.error = e.what();
      sendAndExit(fds[1], s);
    }
    ::prctl(PR_SET_NAME, workName.c_str());
    const uint64_t before = statusKiB("VmRSS:");
    const bool peakReset = resetPeak();
    const IoCounters ioBefore = readIo();
    const double start = now();
    try {
      s.count = work();
      s.ok = s.count >= 0;
      if (!s.ok) s.error = "the engine reported failure";
    } catch (const std::exception& e) {
      s.error = e.what();
    }
    s.seconds = now() - start;
    fillIo(s, ioBefore, readIo());
    const uint64_t peak = statusKiB("VmHWM:");
    s.peakBytes = (peakReset && peak > before ? peak - before : peak) * 1024;
    sendAndExit(fds[1], s);
  }
  ::close(fds[1]);
  const std::string text = pid > 0 ? readAll(fds[0]) : std::string();
  ::close(fds[0]);
  if (pid > 0) ::waitpid(pid, nullptr, 0);
  return decode(text);
}

namespace {

// A command started from this process would count this process's memory in its peak, so
// time(1) starts it and reports its peak in kB.
constexpr const char* kTimeTool = "/usr/bin/time";

uint64_t peakReportedBy(const std::string& file) {
  std::ifstream in(file);
  uint64_t kiB = 0;
  in >> kiB;
  std::remove(file.c_str());
  return kiB * 1024;
}

}  // namespace

Sample measureCommand(const std::string& command) {
  Sample s;
  const bool timed = ::access(kTimeTool, X_OK) == 0;
  const std::string peakFile = "/tmp/vellomar-bench-peak-" + std::to_string(::getpid());
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return failedSample("no pipe");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  const char* shell[] = {"/bin/sh", "-c", command.c_str(), nullptr};
  const char* viaTime[] = {kTimeTool,       "-f",   "%M", "-o", peakFile.c_str(), "/bin/sh", "-c",
                           command.c_str(), nullptr};
  const char* const* argv = timed ? viaTime : shell;
  const IoCounters ioBefore = readIo();
  const double start = now();
  pid_t pid = 0;
  const int spawned =
      posix_spawn(&pid, argv[0], &actions, nullptr, const_cast<char* const*>(argv), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(fds[1]);
  const std::string out = spawned == 0 ? readAll(fds[0]) : std::string();
  ::close(fds[0]);
  int status = 0;
  struct rusage usage {};
  if (spawned == 0) ::wait4(pid, &status, 0, &usage);
  s.seconds = now() - start;
  fillIo(s, ioBefore, readIo());
  s.readBytes -= std::min<uint64_t>(s.readBytes, out.size());  // our own read of its output
  s.peakBytes = timed ? peakReportedBy(peakFile) : static_cast<uint64_t>(usage.ru_maxrss) * 1024;
  s.count = std::strtoll(out.c_str(), nullptr, 10);
  // grep answers 1 when it found nothing, which is a result here.
  s.ok = spawned == 0 && WIFEXITED(status) && WEXITSTATUS(status) <= 1;
  if (!s.ok) s.error = "command failed: " + command;
  return s;
}

Sample medianOf(std::vector<Sample> runs) {
  std::erase_if(runs, [](const Sample& s) { return !s.ok; });
  if (runs.empty()) return Sample{};
  std::sort(runs.begin(), runs.end(),
            [](const Sample& a, const Sample& b) { return a.seconds < b.seconds; });
  return runs[(runs.size() - 1) / 2];
}

void dropCachesUnder(const std::vector<std::string>& paths) {
  for (const std::string& p : paths) ::nftw(p.c_str(), dropOne, 64, FTW_PHYS);
}

std::string shellQuoted(const std::string& text) {
  std::string q = "'";
  for (char c : text) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

}  // namespace vellomar
