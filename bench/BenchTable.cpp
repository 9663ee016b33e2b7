#include "bench/BenchTable.h"

#include <cstdio>

namespace vellomar {
namespace {

std::string format(const char* pattern, double value) {
  char text[64];
  std::snprintf(text, sizeof text, pattern, value);
  return text;
}

std::string timeText(const Sample& s, bool filesPerSecond) {
  if (!s.ok) return s.error.empty() ? "failed" : "failed: " + s.error;
  std::string t = format("%.3f s", s.seconds);
  if (filesPerSecond && s.seconds > 0) {
    t += format(" (%.0f files/s)", static_cast<double>(s.count) / s.seconds);
  }
  return t;
}

std::string ioText(const Sample& s) {
  if (!s.ok) return "";
  return formatBytes(s.readBytes) + " / " + formatBytes(s.writtenBytes) + " (" +
         std::to_string(s.readCalls) + " reads)";
}

}  // namespace

std::string formatBytes(uint64_t bytes) {
  const double b = static_cast<double>(bytes);
  if (b >= 1e9) return format("%.2f GB", b / 1e9);
  if (b >= 1e6) return format("%.1f MB", b / 1e6);
  if (b >= 1e3) return format("%.1f kB", b / 1e3);
  return std::to_string(bytes) + " B";
}

void printTable(std::ostream& out, const std::vector<BenchRow>& rows) {
  out << "| row | engine | baseline | ratio | target | engine peak memory | baseline peak memory"
         " | engine read / written | baseline read / written | found engine / baseline |\n"
      << "|---|---|---|---|---|---|---|---|---|---|\n";
  for (const BenchRow& r : rows) {
    const Sample& e = r.engine;
    const Sample& b = r.baselineSample;
    const bool both = e.ok && b.ok && b.seconds > 0;
    std::string ratio = both ? format("%.2f", e.seconds / b.seconds) : "";
    std::string target = r.target > 0 ? format("<= %.2f", r.target) : "";
    if (both && r.target > 0) target += e.seconds / b.seconds <= r.target ? " met" : " missed";
    out << "| " << r.name << " | " << timeText(e, r.filesPerSecond) << " | " << r.baseline << ": "
        << timeText(b, r.filesPerSecond) << " | " << ratio << " | " << target << " | "
        << (e.ok ? formatBytes(e.peakBytes) : "") << " | " << (b.ok ? formatBytes(b.peakBytes) : "")
        << " | " << ioText(e) << " | " << ioText(b) << " | "
        << (e.ok ? std::to_string(e.count) : "-") << " / "
        << (b.ok && b.count > 0 ? std::to_string(b.count) : "-") << " |\n";
  }
}

}  // namespace vellomar
