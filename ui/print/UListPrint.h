#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "export/UFileLine.h"
#include "ui/print/UPrinter.h"
#include "ui/settings/UGlobalOptions.h"

class QPrinter;

namespace vellomar {

class TDBase;
class TDirCollection;

// The pages of a list print: the copies in one session, the page head (title and right text
// over a rule, footer), the range of pages and the page changes, the status shown and the
// abort polled.
class TListPrintFrame {
 public:
  // titles draws what follows the head on every page at y() (column titles), may move y.
  TListPrintFrame(TPrinter& printer, const TPrintChoice& choice, TPrintStatus& status,
                  std::string title, std::string rightText, std::function<void()> titles = {});

  // Page 1 of a copy; false when the printer cannot be opened.
  bool beginCopy();
  void endCopy() { printer_.PrnEndDoc(); }
  // The next page: a new sheet unless the page is outside the range or the last of it.
  void newPage();
  // Whether the next line would pass the bottom margin.
  bool full() const;
  // Polls the user's cancel; true once it was asked for.
  bool aborted();
  // The top of the first line of a page.
  int32_t firstLine() const;

  int32_t& y() { return y_; }
  int32_t page() const { return page_; }

 private:
  void head();

  TPrinter& printer_;
  TPrintChoice choice_;
  TPrintStatus& status_;
  std::string title_;
  std::string rightText_;
  std::function<void()> titles_;
  int32_t y_ = 0;
  int32_t page_ = 1;
  bool aborted_ = false;
};

// The file list of the current folder; with the range "selection" only the selected lines and
// the focused one. title: the print header, else "Disk: " + disk name.
TPrintResult PrintFileLines(QPrinter& printer, const TPrintChoice& choice,
                            const TGlobalOptions& options, TDBase* handle,
                            const std::vector<const TOneFileLine*>& lines, int32_t focused,
                            const std::string& diskName, const std::string& folderPath,
                            TPrintStatus& status);

// One line of a printed folder tree: its depth below the root and one drawing code per level
// column 1..Level: ' ' nothing, 'I' a line through the row, 'L' the last child, '+' a child
// with later siblings.
struct TOneTreeLine {
  int32_t Level = 0;
  std::string Lines;
  std::string Text;
};

// The folders below root (root included, shown as "\") in tree order, walking the engine's
// nodes whatever the outline on screen shows; with subtreeOf, only that folder and the folders
// below it.
std::vector<TOneTreeLine> CollectTreeLines(TDirCollection* root, TDirCollection* subtreeOf);
// Fills the drawing codes, from the last line up; no limit on the depth.
void ComputeTreeCodes(std::vector<TOneTreeLine>& lines);

// The tree in as many tree columns across the page as fit. title: the print header, else
// "Database: " + database name.
TPrintResult PrintTreeLines(QPrinter& printer, const TPrintChoice& choice,
                            const TGlobalOptions& options, const std::vector<TOneTreeLine>& lines,
                            const std::string& dbaseName, const std::string& diskName,
                            TPrintStatus& status);

}  // namespace vellomar
