#include "ui/search/FFoundEmptyList.h"

#include <QFontMetrics>
#include <QPainter>

#include "foundation/UBaseUtils.h"
#include "ui/common/UColumnSamples.h"
#include "ui/common/UFonts.h"
#include "ui/grid/DrawGrid.h"
#include "ui/grid/UQtText.h"

namespace vellomar {

namespace {

constexpr const char* kTitles[] = {"Disk", "Size", "Free", "Free %", ""};

QString sizeText(int32_t kb) {
  return qtText(FormatSize64(int64_t{kb} * 1024).view());
}

}  // namespace

TFormFoundEmptyList::TFormFoundEmptyList(TFoundOwner owner, QWidget* parent)
    : TFoundLinesWindow(std::move(owner), kHelpContext, parent) {
  setObjectName("FormFoundEmptyList");
  Grid->setColCount(kColumns);
  ApplyGlobalOptions();
  resize(560, 300);
}

void TFormFoundEmptyList::layoutGrid() {
  Grid->setFont(fontOf(options().Fonts[kFoundFont]));
  const QFontMetrics fm(Grid->font());
  Grid->setDefaultRowHeight(fm.boundingRect(QStringLiteral("My")).height() + 2);
  const int size = fm.horizontalAdvance(qtText(FormatSize64(2000000000000).view())) + 2;
  Grid->setColWidth(0, fm.horizontalAdvance(QString::fromLatin1(kNameSample)) + 2);
  Grid->setColWidth(1, size);
  Grid->setColWidth(2, size);
  Grid->setColWidth(3, fm.horizontalAdvance(QStringLiteral(" Free % ")) + 2);
  Grid->setColWidth(4, kDescSamples * fm.horizontalAdvance(QString::fromLatin1(kDescSample)));
}

void TFormFoundEmptyList::FillList(CatalogueGateway& catalogue) {
  lines_.clear();
  std::vector<TOneELine> lines;
  readFoundItems(catalogue, [&lines](int32_t i, const TFoundItemView& item) {
    // The free-space search keeps the disk size in the size field and the free space in the
    // date-time field, both in kB.
    lines.emplace_back(item.Data.Size, item.Data.DateTime, item.DiskName, item.ShortDesc, i);
  });
  rankFoundEmptyTexts(lines);
  sortFoundEmptyLines(lines, sort_, nullptr);
  lines_ = std::move(lines);
  linesChanged();
}

void TFormFoundEmptyList::drawTitle(QPainter& p, int col, const QRect& rect) {
  const Qt::Alignment align = col == 1 || col == 2 ? Qt::AlignRight
                              : col == 3           ? Qt::AlignHCenter
                                                   : Qt::AlignLeft;
  p.drawText(rect.adjusted(1, 0, -2, 0), align | Qt::AlignVCenter, kTitles[col]);
}

void TFormFoundEmptyList::drawLine(QPainter& p, int col, int32_t index, const QRect& rect) {
  const TOneELine& line = lineAt(index);
  switch (col) {
    case 0:
      p.drawText(rect.adjusted(1, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                 qtText(line.DiskName));
      break;
    case 1:
    case 2:
      p.drawText(rect.adjusted(0, 0, -2, 0), Qt::AlignRight | Qt::AlignVCenter,
                 sizeText(col == 1 ? line.DiskSizeKB : line.FreeKB));
      break;
    case 3:
      p.drawText(rect.adjusted(0, 0, -4, 0), Qt::AlignHCenter | Qt::AlignVCenter,
                 qtText(percentageText(line)));
      break;
    default:
      p.drawText(rect.adjusted(1, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, qtText(line.Text));
      break;
  }
}

bool TFormFoundEmptyList::chooseSort(int col, bool) {
  const int mode = foundEmptyHeaderCode(col);
  if (mode < 0) return false;
  sort_.choose(static_cast<uint8_t>(mode));
  return true;
}

bool TFormFoundEmptyList::sortLines(const LineProgress& progress) {
  return sortFoundEmptyLines(lines_, sort_, progress);
}

std::string TFormFoundEmptyList::clipboardText(int32_t focused) const {
  return freeSpaceClipboardText(lines_, focused);
}

TFoundPlace TFormFoundEmptyList::placeOf(int32_t index) const {
  return {lineAt(index).DiskName, std::string(), std::string()};
}

void TFormFoundEmptyList::PrintList() {
  printLines(kFreeSpaceSample, [this](QPrinter& printer, const TPrintChoice& choice,
                                      TPrintStatus& status, const TScreenColumns& screen) {
    return PrintFreeSpace(printer, choice, options(), lines_, focusedLine(),
                          windowTitle().toStdString(), screen, status);
  });
}

void TFormFoundEmptyList::ExportList() {
  exportLines(ExportListKind::kFreeSpace, [this](int32_t i) {
    const TOneELine& line = lineAt(i);
    ExportListLine out;
    out.DiskName = line.DiskName;
    out.SizeKB = line.DiskSizeKB;
    out.FreeKB = line.FreeKB;
    out.Selected = line.selected();
    return out;
  });
}

}  // namespace vellomar
