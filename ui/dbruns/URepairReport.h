#pragma once

#include <string>
#include <string_view>

#include "ui/dbruns/UDBaseRuns.h"

namespace vellomar {

// The closing box of a repair: what was recovered, what was left out as damaged and which disks
// lost anything.
struct RepairReport {
  std::string Text;   // lines parted by "\r\n"
  bool Lost = false;  // something was left out, or the run was cancelled
};

inline constexpr std::string_view kRepairCaption = "Database Repair";

// At most this many disk names are listed; the rest are counted.
inline constexpr size_t kRepairReportMaxNames = 20;

RepairReport BuildRepairReport(const RepairResult& result);

// Whether a copy left anything out or met damage on any disk.
bool CopyLostAnything(const TCopyCounts& counts);
// What a copy left out as damaged and which disks lost anything: lines, each after "\r\n";
// empty when nothing was lost.
std::string LostByCopyText(const TCopyCounts& counts);

}  // namespace vellomar
