#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "foundation/UIniFile.h"

namespace vellomar {

// The recent-files list of the File menu: the databases closed most recently, entry 0 on top.
// Paths are kept as given and compared as paths (case matters on Linux).
class RecentFiles {
 public:
  static constexpr int kCount = 10;
  static constexpr int kCaptionLength = 50;

  // Puts the name on top, taking it out of the list first; the last entry falls off.
  void add(const std::string& name);
  // Takes out the first entry equal to the name; later duplicates stay. False when none is.
  bool remove(const std::string& name);

  const std::string& entry(int index) const { return entries_[index]; }
  // Entries before the first empty one, at most showMax.
  int shownCount() const;

  // The menu caption of an entry: middle folders elided to at most 50 characters, "&" doubled.
  std::string caption(int index) const;

  // Section [RecentFiles]: LastOpened, LastDir, ShowMax, File1..File10.
  void read(const IniFile& ini);
  void write(IniFile& ini) const;

  std::string LastOpened;
  std::string LastDir;
  int32_t ShowMax = kCount;

 private:
  std::array<std::string, kCount> entries_;
};

}  // namespace vellomar
