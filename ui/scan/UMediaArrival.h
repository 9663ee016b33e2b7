#pragma once

#include <string>
#include <utility>
#include <vector>

#include <QObject>

#include "platform/PDrives.h"

class QSocketNotifier;

namespace vellomar {

// Which drives got a medium between two looks at the mount table: Linux tells of no inserted
// disc, only of the mount that follows it.
class MediaArrivals {
 public:
  explicit MediaArrivals(const DriveTable& table);

  // Drives mounted now that were not mounted (there) at the last look, in letter order.
  std::vector<char> poll();

 private:
  const DriveTable& table_;
  std::vector<std::pair<char, std::string>> mounted_;
};

// Whether an arriving medium is scanned: only with the setting on, in one of the two CD drives
// that have eject buttons, while a database window is the active one.
bool ScansArrival(char letter, const std::string& cdLetters, bool scanAfterInsert,
                  bool databaseWindowActive);

// Watches the kernel's mount table, which signals every change as an exceptional condition on
// /proc/self/mountinfo, keeps the drive table up with drives that came or went, and reports
// each drive that got a medium.
class TMediaWatch : public QObject {
  Q_OBJECT
 public:
  explicit TMediaWatch(DriveTable& table = processDriveTable(), QObject* parent = nullptr);
  ~TMediaWatch() override;

  // What the kernel's signal runs; tests call it after changing their fixture table.
  void mountTableChanged();

 signals:
  void arrived(char letter);

 private:
  DriveTable& table_;
  MediaArrivals arrivals_;
  int fd_ = -1;
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace vellomar
