#include "ui/print/UClipboardText.h"

#include "foundation/UBaseUtils.h"
#include "platform/PText.h"
#include "ui/common/UCatalogueGateway.h"
#include "ui/common/UServices.h"

namespace vellomar {

std::string DiskNamesText(const CatalogueGateway& catalogue) {
  const std::optional<CatalogueKey> currentKey = catalogue.currentKey();
  const int32_t current = currentKey ? currentKey->Index : -1;
  std::string text;
  const int32_t count = catalogue.keyCount();
  for (int32_t i = 0; i < count; ++i) {
    const std::optional<CatalogueKey> key = catalogue.key(i);
    if (!key) continue;
    if (i == current || catalogue.isKeySelected(i)) text.append(key->Name.view()).append("\r\n");
  }
  return text;
}

std::string FileLinesText(const CatalogueGateway& catalogue,
                          const std::vector<const TOneFileLine*>& lines, int32_t focused,
                          bool showSeconds, bool sizeInKB) {
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
    if (line.Data.DescOffset != 0) text.append(catalogue.shortDescription(line.Data.DescOffset));
    text.append("\r\n");
  }
  return text;
}

void CopyTextToClipboard(const std::string& text) {
  services().clipboard->setText(textAsUtf8(text));
}

}  // namespace vellomar
