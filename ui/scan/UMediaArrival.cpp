#include "ui/scan/UMediaArrival.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <algorithm>

namespace vellomar {
namespace {

std::vector<std::pair<char, std::string>> mountedDrives(const DriveTable& table) {
  std::vector<std::pair<char, std::string>> mounted;
  for (const auto& [letter, mount] : table.currentMounts()) {
    mounted.emplace_back(letter, mount.mountPoint);
  }
  return mounted;
}

}  // namespace

MediaArrivals::MediaArrivals(const DriveTable& table)
    : table_(table), mounted_(mountedDrives(table)) {}

std::vector<char> MediaArrivals::poll() {
  std::vector<std::pair<char, std::string>> now = mountedDrives(table_);
  std::vector<char> arrived;
  for (const auto& drive : now) {
    if (std::find(mounted_.begin(), mounted_.end(), drive) == mounted_.end()) {
      arrived.push_back(drive.first);
    }
  }
  mounted_ = std::move(now);
  std::sort(arrived.begin(), arrived.end());
  return arrived;
}

bool ScansArrival(char letter, const std::string& cdLetters, bool scanAfterInsert,
                  bool databaseWindowActive) {
  return scanAfterInsert && databaseWindowActive && letter != ' ' &&
         cdLetters.find(letter) != std::string::npos;
}

TMediaWatch::TMediaWatch(DriveTable& table, QObject* parent)
    : QObject(parent), table_(table), arrivals_(table) {
  fd_ = open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) return;
  notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Exception, this);
  connect(notifier_, &QSocketNotifier::activated, this, &TMediaWatch::mountTableChanged);
}

TMediaWatch::~TMediaWatch() {
  delete notifier_;
  if (fd_ >= 0) close(fd_);
}

void TMediaWatch::mountTableChanged() {
  // A disk plugged in or a share mounted while the program runs gets its letter now.
  table_.rebuild();
  for (const char letter : arrivals_.poll()) emit arrived(letter);
}

}  // namespace vellomar
