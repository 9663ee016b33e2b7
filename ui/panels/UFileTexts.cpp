#include "ui/panels/UFileTexts.h"

#include "foundation/UBaseUtils.h"

namespace vellomar {

namespace {

std::string blankGrouped(uint32_t value) {
  std::string digits = std::to_string(value);
  for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3) {
    digits.insert(static_cast<size_t>(i), " ");
  }
  return digits;
}

}  // namespace

ShortString FormatFileSize(int32_t storedSize, bool inKB) {
  if (storedSize >= 0) return FormatSizeShort(storedSize, inKB);
  const uint32_t size = static_cast<uint32_t>(storedSize);
  return inKB ? FormatSize64(int64_t{size}) : ShortString(blankGrouped(size));
}

ShortString SizeCellText(const TOneFileLine& line, bool inKB) {
  switch (line.Kind) {
    case kLineFolder:
      return ShortString("(folder)");
    case kLineParent:
      return ShortString();
    default:
      return FormatFileSize(line.Data.Size, inKB);
  }
}

ShortString DateTimeText(int32_t dosDateTime, bool withSeconds) {
  if (dosDateTime == 0) return ShortString();
  const auto value = static_cast<uint32_t>(dosDateTime);
  return ShortString(FormatDosDate(value).str() + " " + FormatDosTime(value, withSeconds).str());
}

std::vector<std::string> DescHintLines(const TOneFileLine& line, bool brief,
                                       const std::string& shortDesc, bool withSeconds, bool inKB) {
  std::vector<std::string> lines;
  if (line.Kind == kLineFolder || line.Kind == kLineParent) return lines;
  if (brief) {
    lines.push_back(FullNameOf(line));
    lines.push_back(FormatFileSize(line.Data.Size, inKB).str());
    if (line.Data.DateTime != 0)
      lines.push_back(DateTimeText(line.Data.DateTime, withSeconds).str());
  }
  if (!shortDesc.empty()) lines.push_back(shortDesc);
  return lines;
}

}  // namespace vellomar
