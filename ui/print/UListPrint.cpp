#include "ui/print/UListPrint.h"

#include <QPrinter>
#include <algorithm>
#include <utility>

#include "ui/common/UCatalogueGateway.h"
#include "ui/print/UCatalogPrint.h"

namespace vellomar {
namespace {

std::string headTitle(const TGlobalOptions& options, const std::string& fallback) {
  return options.PrintHeader.empty() ? fallback : options.PrintHeader;
}

void drawTreeLine(TPrinter& p, const TOneTreeLine& line, int32_t left, int32_t width, int32_t y,
                  int32_t unit) {
  const int32_t height = p.LineHeight();
  const int32_t middle = y + height / 2;
  p.PrnSetPenWidth(std::max(1, p.page().PxPerCmY / 100));
  int32_t x = left + unit / 2;
  for (const char code : line.Lines) {
    if (code == '+' || code == 'I') {
      p.PrnMoveTo(x, y);
      p.PrnLineTo(x, y + height);
    }
    if (code == '+') {
      p.PrnMoveTo(x, middle);
      p.PrnLineTo(x + unit, middle);
    } else if (code == 'L') {
      p.PrnMoveTo(x, y);
      p.PrnLineTo(x, middle);
      p.PrnLineTo(x + unit, middle);
    }
    x += 2 * unit;
  }
  p.PrnTextOut(QRect(left, y, width, height), x - unit / 2, y, line.Text);
}

}  // namespace

TListPrintFrame::TListPrintFrame(TPrinter& printer, const TPrintChoice& choice,
                                 TPrintStatus& status, std::string title, std::string rightText,
                                 std::function<void()> titles)
    : printer_(printer),
      choice_(choice),
      status_(status),
      title_(std::move(title)),
      rightText_(std::move(rightText)),
      titles_(std::move(titles)) {}

int32_t TListPrintFrame::firstLine() const {
  return printer_.page().Top + 2 * printer_.LineHeight();
}

bool TListPrintFrame::beginCopy() {
  page_ = 1;
  y_ = firstLine();
  if (!printer_.PrnBeginDoc("Vellomar")) return false;
  head();
  status_.showWhat("Printing page 1");
  return true;
}

void TListPrintFrame::newPage() {
  if (choice_.inRange(page_) && choice_.pageFollows(page_)) printer_.PrnNewPage();
  ++page_;
  status_.showWhat((choice_.inRange(page_) ? "Printing page " : "Skipping page ") +
                   std::to_string(page_));
  y_ = firstLine();
  head();
}

bool TListPrintFrame::full() const {
  return printer_.page().Bottom < y_ + 3 * printer_.LineHeight();
}

bool TListPrintFrame::aborted() {
  if (!aborted_ && status_.abortRequested()) aborted_ = true;
  return aborted_;
}

void TListPrintFrame::head() {
  printer_.setOutput(choice_.inRange(page_));
  printer_.DrawPageFrame(title_, rightText_, page_);
  if (titles_) titles_();
}

TPrintResult PrintFileLines(QPrinter& printer, const TPrintChoice& choice,
                            const TGlobalOptions& options, const CatalogueGateway& catalogue,
                            const std::vector<const TOneFileLine*>& lines, int32_t focused,
                            const std::string& diskName, const std::string& folderPath,
                            TPrintStatus& status) {
  TPrinter p(printer);
  if (!p.PrnInit(options)) return TPrintResult::kNoPrintableArea;
  TFileColumns columns;
  columns.measure(p, options);
  int32_t widest = 0;
  for (const TOneFileLine* line : lines) {
    widest = std::max(widest, p.PrnTextWidth(FullNameOf(*line)));
  }
  columns.Name = std::max(100, widest) + 3 * p.page().GapX;

  TListPrintFrame* frame = nullptr;
  TListPrintFrame pages(p, choice, status, headTitle(options, "Disk: " + diskName),
                        "Folder: " + folderPath, [&] {
                          columns.drawTitles(p, frame->y());
                          frame->y() += p.LineHeight() + p.page().GapY;
                        });
  frame = &pages;
  for (int32_t copy = 0; copy < std::max(1, choice.Copies) && !pages.aborted(); ++copy) {
    if (!pages.beginCopy()) return TPrintResult::kPrinterFailed;
    for (size_t i = 0; i < lines.size(); ++i) {
      if (pages.aborted()) break;
      const TOneFileLine& line = *lines[i];
      const bool wanted = (line.Flags & kLineSelected) != 0 || static_cast<int32_t>(i) == focused;
      if (choice.Range == TPrintRange::kSelection && !wanted) continue;
      // The page changes before a line that would not fit, so no empty page ends the list.
      if (pages.full()) pages.newPage();
      p.PrnResetFont();
      columns.drawRow(p, catalogue, line, options, pages.y());
      pages.y() += p.LineHeight();
    }
    pages.endCopy();
  }
  return pages.aborted() ? TPrintResult::kCancelled : TPrintResult::kPrinted;
}

std::vector<TOneTreeLine> CollectTreeLines(TDirCollection* root, TDirCollection* subtreeOf) {
  std::vector<TOneTreeLine> lines;
  if (root == nullptr) return lines;
  struct Pending {
    TDirCollection* node;
    int32_t level;
    std::string text;
  };
  std::vector<Pending> stack{{root, 0, "\\"}};
  size_t first = 0;
  while (!stack.empty()) {
    Pending next = std::move(stack.back());
    stack.pop_back();
    if (next.node == subtreeOf) first = lines.size();
    lines.push_back({next.level, std::string(), std::move(next.text)});
    for (int32_t i = CatalogueGateway::subfolderCount(next.node) - 1; i >= 0; --i) {
      TDirCollection* child = CatalogueGateway::subfolder(next.node, i);
      TOneDir record;
      if (!CatalogueGateway::folderRecord(child, record)) continue;
      stack.push_back(
          {child, next.level + 1, record.Name.str() + std::string(record.Data.Ext.view())});
    }
  }
  if (subtreeOf == nullptr) return lines;
  // The folder and the lines below it, up to the next one no deeper than it.
  size_t last = first + 1;
  while (last < lines.size() && lines[last].Level > lines[first].Level) ++last;
  return {std::make_move_iterator(lines.begin() + static_cast<std::ptrdiff_t>(first)),
          std::make_move_iterator(lines.begin() + static_cast<std::ptrdiff_t>(last))};
}

void ComputeTreeCodes(std::vector<TOneTreeLine>& lines) {
  std::string state;
  for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
    const auto level = static_cast<size_t>(std::max(0, line->Level));
    line->Lines.assign(level, ' ');
    for (size_t column = 0; column + 1 < level; ++column) {
      if (column < state.size() && (state[column] == 'I' || state[column] == 'L')) {
        line->Lines[column] = 'I';
      }
    }
    if (level > 0) line->Lines[level - 1] = 'L';
    state = line->Lines;
  }
  for (size_t i = 0; i + 1 < lines.size(); ++i) {
    const auto level = static_cast<size_t>(std::max(0, lines[i].Level));
    const std::string& next = lines[i + 1].Lines;
    if (level > 0 && lines[i].Lines[level - 1] == 'L' && level <= next.size() &&
        (next[level - 1] == 'I' || next[level - 1] == 'L')) {
      lines[i].Lines[level - 1] = '+';
    }
  }
}

TPrintResult PrintTreeLines(QPrinter& printer, const TPrintChoice& choice,
                            const TGlobalOptions& options, const std::vector<TOneTreeLine>& lines,
                            const std::string& dbaseName, const std::string& diskName,
                            TPrintStatus& status) {
  TPrinter p(printer);
  if (!p.PrnInit(options)) return TPrintResult::kNoPrintableArea;
  const TPageGeometry& g = p.page();
  const int32_t unit = p.PrnTextWidth("M");
  int32_t widest = 0, deepest = 0;
  for (const TOneTreeLine& line : lines) {
    widest = std::max(widest, p.PrnTextWidth(line.Text));
    deepest = std::max(deepest, line.Level);
  }
  const int32_t pageWidth = g.Right - g.Left;
  const int32_t treeColumn = std::max(1, deepest * 2 * unit + widest + 3 * g.GapX);
  const int32_t columns = std::max(1, pageWidth / treeColumn);
  const int32_t columnWidth = pageWidth / columns;

  TListPrintFrame pages(p, choice, status, headTitle(options, "Database: " + dbaseName),
                        "Disk: " + diskName);
  for (int32_t copy = 0; copy < std::max(1, choice.Copies) && !pages.aborted(); ++copy) {
    if (!pages.beginCopy()) return TPrintResult::kPrinterFailed;
    int32_t column = 0;
    for (const TOneTreeLine& line : lines) {
      if (pages.aborted()) break;
      if (pages.full()) {
        if (++column < columns) {
          pages.y() = pages.firstLine();
        } else {
          column = 0;
          pages.newPage();
        }
      }
      drawTreeLine(p, line, g.Left + column * columnWidth, columnWidth, pages.y(), unit);
      pages.y() += p.LineHeight();
    }
    pages.endCopy();
  }
  return pages.aborted() ? TPrintResult::kCancelled : TPrintResult::kPrinted;
}

}  // namespace vellomar
