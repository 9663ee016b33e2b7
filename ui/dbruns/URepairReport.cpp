#include "ui/dbruns/URepairReport.h"

#include <algorithm>
#include <vector>

namespace vellomar {

namespace {

std::string counted(int64_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string disksFoldersFiles(int64_t disks, int64_t folders, int64_t files) {
  return counted(disks, "disk", "disks") + ", " + counted(folders, "folder", "folders") + ", " +
         counted(files, "file", "files");
}

std::string diskNames(const std::vector<ShortString>& names) {
  std::string text;
  const size_t shown = std::min(names.size(), kRepairReportMaxNames);
  for (size_t i = 0; i < shown; ++i) {
    if (i > 0) text += ", ";
    text += "\"" + names[i].str() + "\"";
  }
  if (names.size() > shown) {
    text += " and " + std::to_string(names.size() - shown) + " more";
  }
  return text;
}

}  // namespace

RepairReport BuildRepairReport(const RepairResult& result) {
  const TCopyCounts& c = result.Counts;
  RepairReport report;
  const bool leftOut = c.DisksLeftOut > 0 || c.FoldersLeftOut > 0 || c.FilesLeftOut > 0 ||
                       c.DescriptionsLeftOut > 0 || !c.DamagedDisks.empty();
  report.Lost = leftOut || !result.Completed;
  report.Text = result.Completed ? "The database was repaired." : "The repair was cancelled.";
  report.Text += "\r\nRecovered: " + disksFoldersFiles(c.Disks, c.Folders, c.Files) + ", " +
                 counted(c.Descriptions, "description", "descriptions") + ".";
  if (!leftOut) {
    report.Text += "\r\nNothing was left out.";
    return report;
  }
  report.Text += "\r\nLeft out as damaged: " +
                 disksFoldersFiles(c.DisksLeftOut, c.FoldersLeftOut, c.FilesLeftOut) + ", " +
                 counted(c.DescriptionsLeftOut, "description", "descriptions") + ".";
  if (!c.DamagedDisks.empty()) {
    report.Text += "\r\nDisks that lost data: " + diskNames(c.DamagedDisks) + ".";
  }
  return report;
}

}  // namespace vellomar
