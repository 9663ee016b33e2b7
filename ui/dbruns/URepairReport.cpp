#include "ui/dbruns/URepairReport.h"

#include <algorithm>
#include <vector>

namespace vellomar {

namespace {

std::string counted(int64_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// Files below folders that were left out are not known one by one: the count is a floor.
std::string filesLeftOut(const TCopyCounts& c) {
  if (c.FoldersLeftOut == 0) return counted(c.FilesLeftOut, "file", "files");
  if (c.FilesLeftOut == 0) return "the files in those folders";
  return "at least " + counted(c.FilesLeftOut, "file", "files");
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

bool CopyLostAnything(const TCopyCounts& c) {
  return c.DisksLeftOut > 0 || c.FoldersLeftOut > 0 || c.FilesLeftOut > 0 ||
         c.DescriptionsLeftOut > 0 || c.EmptiedDisks > 0 || !c.DamagedDisks.empty();
}

std::string LostByCopyText(const TCopyCounts& c) {
  if (!CopyLostAnything(c)) return {};
  std::string text = "\r\nLeft out as damaged: " + counted(c.DisksLeftOut, "disk", "disks") + ", " +
                     counted(c.FoldersLeftOut, "folder", "folders") + ", " + filesLeftOut(c) +
                     ", " + counted(c.DescriptionsLeftOut, "description", "descriptions") + ".";
  if (c.EmptiedDisks > 0) {
    text += "\r\nKept empty, as nothing of them could be read: " +
            counted(c.EmptiedDisks, "disk", "disks") + ".";
  }
  if (!c.DamagedDisks.empty())
    text += "\r\nDisks that lost data: " + diskNames(c.DamagedDisks) + ".";
  return text;
}

RepairReport BuildRepairReport(const RepairResult& result) {
  const TCopyCounts& c = result.Counts;
  RepairReport report;
  const bool leftOut = CopyLostAnything(c);
  report.Lost = leftOut || !result.Completed;
  report.Text = result.Completed ? "The database was repaired." : "The repair was cancelled.";
  report.Text += "\r\nRecovered: " + counted(c.Disks, "disk", "disks") + ", " +
                 counted(c.Folders, "folder", "folders") + ", " +
                 counted(c.Files, "file", "files") + ", " +
                 counted(c.Descriptions, "description", "descriptions") + ".";
  report.Text += leftOut ? LostByCopyText(c) : "\r\nNothing was left out.";
  return report;
}

}  // namespace vellomar
