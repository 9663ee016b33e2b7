#pragma once

#include <QRect>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/api/UApiSearch.h"
#include "engine/api/UCallbacks.h"
#include "export/UFileLine.h"
#include "ui/print/UPrinter.h"
#include "ui/settings/UGlobalOptions.h"

class QPrinter;

namespace vellomar {

class CatalogueGateway;

// Scope codes of the catalogue print, as the walk takes them.
inline constexpr int32_t kPrintScopeWholeDisk = 1;
inline constexpr int32_t kPrintScopeSelectedDisks = 2;
inline constexpr int32_t kPrintScopeCurrentFolder = 4;

// Pages a list of lines is expected to fill; a page that holds no line counts one line per page
// rather than dividing by zero.
int32_t PageEstimate(int32_t lines, int32_t vertRes, int32_t lineHeight);

// The catalogue print also shows the walk's counts.
class TCatalogPrintStatus : public TPrintStatus {
 public:
  // Disks walked, file lines read, percent done; lets waiting events run.
  virtual void showProgress(int32_t disks, int32_t files, int32_t percent) = 0;
};

// The four columns of a file row in printer pixels and how a row is drawn; shared by the
// catalogue print and the file-list print.
struct TFileColumns {
  int32_t Name = 0;
  int32_t Size = 0;
  int32_t DateTime = 0;
  int32_t Desc = 0;
  int32_t TimeWidth = 0;
  int32_t Indent = 0;  // from the left margin to the name column

  // Size, date-and-time and description columns, and the time width, as the options format
  // them; the name column is the caller's.
  void measure(TPrinter& printer, const TGlobalOptions& options);
  // The bold titles "Name", "Size", "Date and time", "Description" at y.
  void drawTitles(TPrinter& printer, int32_t y) const;
  // One row: the entry's name, size, date and time, and its short description; ends at the
  // first column with no room.
  void drawRow(TPrinter& printer, const CatalogueGateway& catalogue, const TOneFileLine& line,
               const TGlobalOptions& options, int32_t y) const;

 private:
  // The right edge of a column that starts at x: cut at the right margin; the last column
  // always ends there.
  int32_t edge(const TPrinter& printer, int32_t x, int32_t width, bool last) const;
};

// The catalogue print of the current folder, the current disk or the selected disks: a
// counting walk that measures the names, the page-count warning, then one printing walk per
// copy, all in one print session. The print is the walks' sink and shows the catalogue's counts.
class TCatalogPrint : private TWalkSink {
 public:
  TCatalogPrint(CatalogueGateway& catalogue, std::string dbaseName, const TGlobalOptions& options,
                TCatalogPrintStatus& status);
  TCatalogPrint(const TCatalogPrint&) = delete;
  TCatalogPrint& operator=(const TCatalogPrint&) = delete;

  // Engine failures pass through (after the callbacks are reset).
  TPrintResult run(QPrinter& printer, const TPrintChoice& choice, int32_t scope);

  // The page estimate of the last counting walk.
  int32_t estimate() const { return estimate_; }
  // The name column's width in the last run, in printer pixels.
  int32_t nameColumnWidth() const { return columns_.Name; }

 private:
  void progress(bool& abort) override;
  void printDisk(const ShortString& name) override;
  void printFolder(const ShortString& path) override;
  void printFile(const TOneFile& entry) override;
  void measure(const ShortString& name, int32_t& width) override;

  void walk(int32_t scope, int32_t mode);
  void layoutColumns();
  void startPage();
  void pageCheck();
  void printCollected();
  void disk(const std::string& name);
  void folder(const std::string& path);
  std::string title() const;

  CatalogueGateway& catalogue_;
  std::string dbaseName_;
  TGlobalOptions options_;
  TCatalogPrintStatus& status_;
  TSearchCountsView counts_;
  std::unique_ptr<TPrinter> printer_;
  TPrintChoice choice_;
  TFileColumns columns_;
  TFileLines collected_;
  std::vector<ShortString> keys_;
  std::string diskName_;
  int32_t y_ = 0;
  int32_t page_ = 1;
  int32_t estimate_ = 0;
  // The widest name the counting walk measured.
  int32_t widest_ = 0;
  bool aborted_ = false;
  // The last page of the range is done; the rest of the walk is not printed.
  bool pastRange_ = false;
  bool stopped() const { return aborted_ || pastRange_; }
};

}  // namespace vellomar
