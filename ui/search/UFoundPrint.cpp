#include "ui/search/UFoundPrint.h"

#include <QPrinter>
#include <algorithm>
#include <cmath>

#include "foundation/UBaseUtils.h"
#include "ui/common/UColumnSamples.h"
#include "ui/print/UListPrint.h"

namespace vellomar {

namespace {

constexpr const char* kCutMark = "\xC2\xAB ";

// One column on paper: where it starts and ends, its title and alignment.
struct PaperColumn {
  const char* Title;
  bool Right;
  int32_t Left = 0;
  int32_t End = 0;  // not printed when End <= Left
};

// A cell of a line: the column, its edges and the row's top.
struct Cell {
  int column;
  int32_t left;
  int32_t right;
  int32_t y;
};

// Lays the columns from the left margin: each ends three gaps before the next and never
// beyond the right margin; the last always ends there.
std::vector<PaperColumn> layColumns(const TPrinter& p, const std::vector<const char*>& titles,
                                    const std::vector<bool>& right,
                                    const std::vector<int32_t>& widths) {
  std::vector<PaperColumn> columns;
  int32_t x = p.page().Left;
  const int32_t margin = p.page().Right;
  for (size_t i = 0; i < titles.size(); ++i) {
    PaperColumn c{titles[i], right[i]};
    c.Left = x;
    const bool last = i + 1 == titles.size();
    c.End = last ? margin : std::min(margin, x + widths[i] - 3 * p.page().GapX);
    columns.push_back(c);
    x += widths[i];
  }
  return columns;
}

void textIn(TPrinter& p, const Cell& cell, std::string_view text, bool right) {
  const QRect clip(cell.left, cell.y, cell.right - cell.left, p.LineHeight());
  p.PrnTextOut(clip, right ? cell.right - p.PrnTextWidth(text) : cell.left, cell.y, text);
}

// The pages of a result list: frame and bold column titles on each, then a row per line to
// print, in every copy; drawCell draws one cell of a line.
TPrintResult printList(QPrinter& printer, const TPrintChoice& choice, const TGlobalOptions& options,
                       const std::string& caption, TPrintStatus& status,
                       const std::function<std::vector<PaperColumn>(TPrinter&)>& layout,
                       int32_t lineCount, const std::function<bool(int32_t)>& wanted,
                       const std::function<void(TPrinter&, const Cell&, int32_t)>& drawCell) {
  TPrinter p(printer);
  if (!p.PrnInit(options)) return TPrintResult::kNoPrintableArea;
  const std::vector<PaperColumn> columns = layout(p);
  TListPrintFrame* frame = nullptr;
  const auto titles = [&] {
    p.PrnSetFontStyle(TPrinter::kStyleBold);
    for (const PaperColumn& c : columns) {
      if (c.End > c.Left) textIn(p, {0, c.Left, c.End, frame->y()}, c.Title, c.Right);
    }
    p.PrnResetFont();
    frame->y() += p.LineHeight() + p.page().GapY;
  };
  TListPrintFrame pages(p, choice, status,
                        options.PrintHeader.empty() ? caption : options.PrintHeader, std::string(),
                        titles);
  frame = &pages;
  for (int32_t copy = 0; copy < std::max(1, choice.Copies) && !pages.aborted(); ++copy) {
    if (!pages.beginCopy()) return TPrintResult::kPrinterFailed;
    for (int32_t i = 0; i < lineCount && !pages.aborted(); ++i) {
      if (choice.Range == TPrintRange::kSelection && !wanted(i)) continue;
      // The page changes before a line that would not fit, so no empty page ends the list.
      if (pages.full()) pages.newPage();
      for (size_t c = 0; c < columns.size(); ++c) {
        if (columns[c].End <= columns[c].Left) continue;
        drawCell(p, {static_cast<int>(c), columns[c].Left, columns[c].End, pages.y()}, i);
      }
      pages.y() += p.LineHeight();
    }
    pages.endCopy();
  }
  return pages.aborted() ? TPrintResult::kCancelled : TPrintResult::kPrinted;
}

// The paper width of each screen column: scaled by the sample's widths, plus three gaps.
std::vector<int32_t> paperWidths(const TPrinter& p, const TScreenColumns& screen,
                                 const char* sample) {
  const double factor =
      static_cast<double>(p.PrnTextWidth(sample)) / std::max(1, screen.SampleWidth);
  std::vector<int32_t> widths;
  for (const int32_t w : screen.Widths) {
    widths.push_back(static_cast<int32_t>(std::lround(w * factor)) + 3 * p.page().GapX);
  }
  return widths;
}

}  // namespace

std::string printedFolderTail(std::string_view folder, int32_t width,
                              const std::function<int32_t(std::string_view)>& measure) {
  if (measure(folder) <= width) return std::string(folder);
  // Starts of characters from the left; a tail starts at one of them.
  std::vector<size_t> starts;
  for (size_t i = 0; i < folder.size(); ++i) {
    if ((static_cast<unsigned char>(folder[i]) & 0xC0) != 0x80) starts.push_back(i);
  }
  size_t first = starts.size();
  for (size_t k = starts.size(); k-- > 0;) {
    if (measure(folder.substr(starts[k])) > width) break;
    first = k;
  }
  first = std::min(first + 2, starts.size());
  return first < starts.size() ? std::string(folder.substr(starts[first])) : std::string();
}

TPrintResult PrintFoundFiles(QPrinter& printer, const TPrintChoice& choice,
                             const TGlobalOptions& options, const std::vector<TOneFLine>& lines,
                             int32_t focused, const std::string& caption,
                             const TScreenColumns& screen, TPrintStatus& status) {
  int32_t timeWidth = 0;
  const auto layout = [&](TPrinter& p) {
    timeWidth =
        TimeColumnWidth(p.PrnTextWidth(FormatDosTime(kWidestDateTime, options.ShowSeconds).str()));
    return layColumns(p, {"Disk", "Folder", "File", "Size", "Date and time", "Description"},
                      {false, false, false, true, true, false},
                      paperWidths(p, screen, kFoundFilesSample));
  };
  const auto wanted = [&](int32_t i) {
    return lines[static_cast<size_t>(i)].selected() || i == focused;
  };
  const auto cell = [&](TPrinter& p, const Cell& c, int32_t i) {
    const TOneFLine& line = lines[static_cast<size_t>(i)];
    const auto dateTime = static_cast<uint32_t>(line.Data.DateTime);
    switch (c.column) {
      case 0:
        textIn(p, c, line.diskName(), false);
        break;
      case 1: {
        const auto measure = [&p](std::string_view text) { return p.PrnTextWidth(text); };
        if (measure(line.folder()) <= c.right - c.left) {
          textIn(p, c, line.folder(), false);
          break;
        }
        textIn(p, c, kCutMark, false);
        textIn(p, c, printedFolderTail(line.folder(), c.right - c.left, measure), true);
        break;
      }
      case 2:
        textIn(p, c, line.nameExt(), false);
        break;
      case 3:
        textIn(p, c, foundSizeText(line, options.SizeInKB), true);
        break;
      case 4:
        if (dateTime == 0) break;
        textIn(p, c, FormatDosTime(dateTime, options.ShowSeconds).str(), true);
        textIn(p, {c.column, c.left, c.right - timeWidth, c.y}, FormatDosDate(dateTime).str(),
               true);
        break;
      default:
        textIn(p, c, line.shortDesc(), false);
        break;
    }
  };
  return printList(printer, choice, options, caption, status, layout,
                   static_cast<int32_t>(lines.size()), wanted, cell);
}

TPrintResult PrintFreeSpace(QPrinter& printer, const TPrintChoice& choice,
                            const TGlobalOptions& options, const std::vector<TOneELine>& lines,
                            int32_t focused, const std::string& caption,
                            const TScreenColumns& screen, TPrintStatus& status) {
  const auto layout = [&](TPrinter& p) {
    std::vector<int32_t> widths = paperWidths(p, screen, kFreeSpaceSample);
    widths.resize(4);
    return layColumns(p, {"Disk", "Size", "Free", "Free %"}, {false, true, true, false}, widths);
  };
  const auto wanted = [&](int32_t i) {
    return lines[static_cast<size_t>(i)].selected() || i == focused;
  };
  const auto cell = [&](TPrinter& p, const Cell& c, int32_t i) {
    const TOneELine& line = lines[static_cast<size_t>(i)];
    switch (c.column) {
      case 0:
        textIn(p, c, line.DiskName, false);
        break;
      case 1:
      case 2:
        textIn(p, c,
               FormatSize64(int64_t{c.column == 1 ? line.DiskSizeKB : line.FreeKB} * 1024).str(),
               true);
        break;
      default:
        textIn(p, c, percentageText(line), false);
        break;
    }
  };
  return printList(printer, choice, options, caption, status, layout,
                   static_cast<int32_t>(lines.size()), wanted, cell);
}

}  // namespace vellomar
