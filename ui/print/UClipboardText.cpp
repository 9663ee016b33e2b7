#include "ui/print/UClipboardText.h"

#include "engine/UApi.h"
#include "foundation/UBaseUtils.h"
#include "platform/PText.h"
#include "ui/common/UServices.h"

namespace vellomar {

std::string DiskNamesText(TDBase* handle) {
  ShortString name;
  uint16_t flags = 0;
  int32_t current = -1;
  if (!ApiGetCurrentKey(handle, name, flags, current)) current = -1;
  std::string text;
  const int32_t count = ApiGetKeyCount(handle);
  for (int32_t i = 0; i < count; ++i) {
    if (!ApiGetKey(handle, name, flags, i)) continue;
    if (i == current || ApiIsKeySelected(handle, i)) text.append(name.view()).append("\r\n");
  }
  return text;
}

std::string FileLinesText(TDBase* handle, const std::vector<const TOneFileLine*>& lines,
                          int32_t focused, bool showSeconds, bool sizeInKB) {
  std::string text;
  for (size_t i = 0; i < lines.size(); ++i) {
    const TOneFileLine& line = *lines[i];
    if ((line.Flags & kLineSelected) == 0 && static_cast<int32_t>(i) != focused) continue;
    text.append(line.Name()).append(line.Data.Ext.view()).append("\t");
    if (line.Data.DateTime != 0) {
      const auto dateTime = static_cast<uint32_t>(line.Data.DateTime);
      text.append(FormatDosDate(dateTime).view()).append("\t");
      text.append(FormatDosTime(dateTime, showSeconds).view()).append("\t");
    } else {
      text.append("\t\t");
    }
    if (line.Kind == kLineFolder) {
      text.append("(folder)");
    } else if (line.Kind != kLineParent) {
      text.append(FormatFileSize(line.Data.Size, sizeInKB).view());
    }
    text.append("\t");
    ShortString desc;
    if (line.Data.DescOffset != 0 && ApiGetShortDesc(handle, line.Data.DescOffset, desc)) {
      text.append(desc.view());
    }
    text.append("\r\n");
  }
  return text;
}

void CopyTextToClipboard(const std::string& text) {
  services().clipboard->setText(textAsUtf8(text));
}

}  // namespace vellomar
