#include "ui/print/UCatalogPrint.h"

#include <algorithm>

#include "foundation/UBaseUtils.h"
#include "platform/PText.h"
#include "ui/common/UCatalogueGateway.h"
#include "ui/common/UColumnSamples.h"
#include "ui/common/UServices.h"

namespace vellomar {

int32_t PageEstimate(int32_t lines, int32_t vertRes, int32_t lineHeight) {
  int32_t perPage = lineHeight > 0 ? (vertRes - 3 * lineHeight) / lineHeight : 0;
  if (perPage <= 0) perPage = 1;
  return lines / perPage + 1;
}

void TFileColumns::measure(TPrinter& printer, const TGlobalOptions& options) {
  const int32_t gaps = 3 * printer.page().GapX;
  TimeWidth = TimeColumnWidth(
      printer.PrnTextWidth(FormatDosTime(kWidestDateTime, options.ShowSeconds).str()));
  Size = printer.PrnTextWidth(FormatSizeShort(kWidestSize, options.SizeInKB).str()) + gaps;
  DateTime = printer.PrnTextWidth(" " + FormatDosDate(kWidestDateTime).str()) + TimeWidth + gaps;
  Desc = kDescSamples * printer.PrnTextWidth(kDescSample);
}

int32_t TFileColumns::edge(const TPrinter& printer, int32_t x, int32_t width, bool last) const {
  const int32_t right = printer.page().Right;
  const int32_t end = x + width - 3 * printer.page().GapX;
  return last || end > right ? right : end;
}

void TFileColumns::drawTitles(TPrinter& printer, int32_t y) const {
  printer.PrnSetFontStyle(TPrinter::kStyleBold);
  const int32_t height = printer.LineHeight();
  const int32_t widths[4] = {Name, Size, DateTime, Desc};
  const char* titles[4] = {"Name", "Size", "Date and time", "Description"};
  int32_t x = printer.page().Left + Indent;
  for (int column = 0; column < 4; ++column) {
    const int32_t right = edge(printer, x, widths[column], column == 3);
    if (x < right) {
      const QRect clip(x, y, right - x, height);
      const bool alignRight = column == 1 || column == 2;
      printer.PrnTextOut(clip, alignRight ? right - printer.PrnTextWidth(titles[column]) : x, y,
                         titles[column]);
    }
    x += widths[column];
  }
  printer.PrnResetFont();
}

void TFileColumns::drawRow(TPrinter& printer, const CatalogueGateway& catalogue,
                           const TOneFileLine& line, const TGlobalOptions& options,
                           int32_t y) const {
  // A row on a page outside the range takes its place and nothing more.
  if (!printer.output()) return;
  const int32_t height = printer.LineHeight();
  int32_t x = printer.page().Left + Indent;

  int32_t right = edge(printer, x, Name, false);
  if (x >= right) return;
  printer.PrnTextOut(QRect(x, y, right - x, height), x, y, FullNameOf(line));
  x += Name;

  right = edge(printer, x, Size, false);
  if (x >= right) return;
  std::string size;
  if (line.Kind == kLineFolder) {
    size = "(folder)";
  } else if (line.Kind != kLineParent) {
    size = FormatFileSize(line.Data.Size, options.SizeInKB).str();
  }
  printer.PrnTextOut(QRect(x, y, right - x, height), right - printer.PrnTextWidth(size), y, size);
  x += Size;

  right = edge(printer, x, DateTime, false);
  if (x >= right) return;
  if (line.Data.DateTime != 0) {
    const QRect clip(x, y, right - x, height);
    const auto dosDateTime = static_cast<uint32_t>(line.Data.DateTime);
    const std::string time = FormatDosTime(dosDateTime, options.ShowSeconds).str();
    printer.PrnTextOut(clip, right - printer.PrnTextWidth(time), y, time);
    const std::string date = FormatDosDate(dosDateTime).str();
    const int32_t dateX = right - TimeWidth - printer.PrnTextWidth(date);
    if (dateX > x) printer.PrnTextOut(clip, dateX, y, date);
  }
  x += DateTime;

  right = edge(printer, x, Desc, true);
  if (x >= right || line.Data.DescOffset == 0) return;
  const std::string desc = catalogue.shortDescription(line.Data.DescOffset);
  if (!desc.empty()) printer.PrnTextOut(QRect(x, y, right - x, height), x, y, desc);
}

TCatalogPrint::TCatalogPrint(CatalogueGateway& catalogue, std::string dbaseName,
                             const TGlobalOptions& options, TCatalogPrintStatus& status)
    : catalogue_(catalogue),
      dbaseName_(std::move(dbaseName)),
      options_(options),
      status_(status),
      counts_(catalogue.liveCounts()) {}

TPrintResult TCatalogPrint::run(QPrinter& printer, const TPrintChoice& choice, int32_t scope) {
  printer_ = std::make_unique<TPrinter>(printer);
  TPrinter& p = *printer_;
  if (!p.PrnInit(options_)) return TPrintResult::kNoPrintableArea;
  choice_ = choice;
  aborted_ = false;
  const TPageGeometry& g = p.page();
  columns_.Indent = 3 * p.PrnTextWidth("M");
  columns_.measure(p, options_);

  widest_ = 0;
  walk(scope, 0);
  if (aborted_) return TPrintResult::kCancelled;
  estimate_ = PageEstimate(catalogue_.searchCounts().Files, g.VertRes, p.LineHeight());
  if (estimate_ > 5 && choice_.Range != TPrintRange::kPages) {
    const std::string question = "Expected number of pages is " + std::to_string(estimate_) +
                                 ". Are you sure you want to print them all?";
    if (services().messages->show("Warning", question, BoxIcon::kQuestion,
                                  BoxButtons::kYesNoCancel) != BoxResult::kYes) {
      return TPrintResult::kCancelled;
    }
  }

  status_.showWhat("Preparing to print...");
  layoutColumns();
  if (const std::optional<CatalogueKey> key = catalogue_.currentKey()) diskName_ = key->Name.str();
  for (int32_t copy = 0; copy < std::max(1, choice_.Copies) && !aborted_; ++copy) {
    page_ = 1;
    pastRange_ = false;
    y_ = g.Top + 2 * p.LineHeight();
    if (!p.PrnBeginDoc("Vellomar")) return TPrintResult::kPrinterFailed;
    startPage();
    status_.showWhat("Printing page " + std::to_string(page_));
    walk(scope, 1);
    if (!aborted_) printCollected();
    collected_.clear();
    keys_.clear();
    p.PrnEndDoc();
  }
  return aborted_ ? TPrintResult::kCancelled : TPrintResult::kPrinted;
}

void TCatalogPrint::walk(int32_t scope, int32_t mode) {
  catalogue_.printWalk(scope, mode, *this);
}

void TCatalogPrint::layoutColumns() {
  TPrinter& p = *printer_;
  const int32_t gaps = 3 * p.page().GapX;
  const NameCounts names = catalogue_.nameCounts();
  const int32_t longest = names.Longest;
  const int32_t average = names.Average;
  const int32_t widest = names.Widest;
  if (options_.AdjustNameWidth) {
    const int32_t k = (4 * average + longest) / 5 + 4;
    columns_.Name = k > 12 ? p.PrnTextWidth("MMMMxiii.mxi") * k / 12 + gaps
                           : p.PrnTextWidth("MMMMxxxx.mxx") + gaps;
  } else {
    columns_.Name = p.PrnTextWidth(".MMM") + widest;
  }
}

std::string TCatalogPrint::title() const {
  return options_.PrintHeader.empty() ? "Database: " + dbaseName_ : options_.PrintHeader;
}

void TCatalogPrint::startPage() {
  TPrinter& p = *printer_;
  p.setOutput(choice_.inRange(page_));
  p.DrawPageFrame(title(), "Disk: " + diskName_, page_);
  columns_.drawTitles(p, y_);
  y_ += p.LineHeight() + p.page().GapY;
}

void TCatalogPrint::pageCheck() {
  TPrinter& p = *printer_;
  if (p.page().Bottom >= y_ + 3 * p.LineHeight() || stopped()) return;
  if (choice_.inRange(page_) && choice_.pageFollows(page_)) p.PrnNewPage();
  ++page_;
  // Past the last page of the range nothing more is drawn: the walk stops there.
  if (choice_.Range == TPrintRange::kPages && page_ > choice_.ToPage) {
    pastRange_ = true;
    return;
  }
  status_.showWhat((choice_.inRange(page_) ? "Printing page " : "Skipping page ") +
                   std::to_string(page_));
  if (status_.abortRequested()) aborted_ = true;
  y_ = p.page().Top + 2 * p.LineHeight();
  startPage();
}

void TCatalogPrint::printCollected() {
  TPrinter& p = *printer_;
  // Later lines of an equal key go before the earlier ones.
  std::reverse(collected_.begin(), collected_.end());
  std::reverse(keys_.begin(), keys_.end());
  std::vector<size_t> order(keys_.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [this](size_t a, size_t b) {
    return compareText(keys_[a].view(), keys_[b].view()) < 0;
  });
  for (size_t i : order) {
    if (stopped()) break;
    // The page changes before a row that would not fit, so no empty page ends the print.
    pageCheck();
    // A bold disk or italic folder line may come before.
    p.PrnResetFont();
    columns_.drawRow(p, catalogue_, collected_[i], options_, y_);
    y_ += p.LineHeight();
  }
  collected_.clear();
  keys_.clear();
}

void TCatalogPrint::disk(const std::string& name) {
  TPrinter& p = *printer_;
  printCollected();
  diskName_ = name;
  y_ += p.LineHeight();
  pageCheck();
  const TPageGeometry& g = p.page();
  p.PrnSetFontStyle(TPrinter::kStyleBold);
  p.PrnTextOut(QRect(g.Left, y_, g.Right - g.Left, p.LineHeight()), g.Left, y_, name);
  p.PrnSetPenWidth(std::max(1, g.PxPerCmY / 100));
  p.PrnMoveTo(g.Left, y_ + p.LineHeight());
  p.PrnLineTo(g.Right, y_ + p.LineHeight());
  y_ += p.LineHeight();
  pageCheck();
}

void TCatalogPrint::folder(const std::string& path) {
  TPrinter& p = *printer_;
  printCollected();
  const TPageGeometry& g = p.page();
  y_ += g.GapY;
  pageCheck();
  const int32_t x = g.Left + p.PrnTextWidth("M");
  p.PrnSetFontStyle(TPrinter::kStyleItalic);
  p.PrnTextOut(QRect(x, y_, g.Right - x, p.LineHeight()), x, y_, path);
  p.PrnSetPenWidth(1);
  p.PrnMoveTo(x, y_ + p.LineHeight());
  p.PrnLineTo(g.Right, y_ + p.LineHeight());
  y_ += p.LineHeight() + g.GapY;
  pageCheck();
}

void TCatalogPrint::progress(bool& abort) {
  const TSearchCounts counts = counts_.read();
  status_.showProgress(counts.Disks, counts.Files, counts.Percent);
  if (status_.abortRequested()) aborted_ = true;
  if (stopped()) abort = true;
}

void TCatalogPrint::printDisk(const ShortString& name) {
  if (!stopped()) disk(name.str());
}

void TCatalogPrint::printFolder(const ShortString& path) {
  if (!stopped()) folder(path.str());
}

void TCatalogPrint::printFile(const TOneFile& entry) {
  if (stopped()) return;
  const TOneFileLine& line = collected_.add(entry);
  keys_.push_back(MakeFileSortKey(entry, line.Kind, options_.SortCrit, options_.ReverseSort));
}

namespace {

bool isPrintableAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= ' ' && c <= '~'; });
}

}  // namespace

// Only a name column fitted to the widest name needs the widths, and of them only the largest:
// a name of the print font's own characters whose every character, at twice the widest one's
// advance (beyond what kerning adds), stays within the widest so far cannot be wider.
void TCatalogPrint::measure(const ShortString& name, int32_t& width) {
  if (options_.AdjustNameWidth) return;
  const std::string_view text = name.view();
  const int64_t bound =
      int64_t{2} * printer_->PrnMaxCharWidth() * static_cast<int64_t>(text.size());
  if (bound <= widest_ && isPrintableAscii(text)) {
    width = widest_;
    return;
  }
  width = printer_->PrnTextWidth(text);
  widest_ = std::max(widest_, width);
}

}  // namespace vellomar
