#include "ui/panels/UFileTexts.h"

#include "foundation/UBaseUtils.h"

namespace vellomar {

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
