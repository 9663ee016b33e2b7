#pragma once

#include <QPointer>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "export/UListExport.h"
#include "foundation/UShortString.h"
#include "ui/common/UCatalogueGateway.h"
#include "ui/common/UMdiChild.h"
#include "ui/search/UFoundFileLines.h"
#include "ui/search/UFoundPrint.h"
#include "ui/settings/UGlobalOptions.h"

class QMenu;
class QPainter;

namespace vellomar {

class DrawGrid;
struct TOneFile;

// The database window a result window was made from, as far as the result window needs it.
struct TFoundOwner {
  QPointer<TMdiChild> Window;
  CatalogueGateway* Catalogue = nullptr;  // the window's catalogue; used only while Window lives
  std::string FileName;                   // its database file
  // Puts the database window on a disk, a folder of it and a file of that folder.
  std::function<void(const std::string& disk, const std::string& folder, const std::string& file)>
      JumpTo;
};

// Where a result line leads in its database window.
struct TFoundPlace {
  std::string Disk;
  std::string Folder;
  std::string File;
};

// What the found-files and free-space windows share: an MDI child of the database window's
// Tag whose grid shows one line per row under a header row, with the header picking the sort
// (done on the next idle pass), the selection of lines, go-to, copy and the popup menu. The
// lines themselves and what they show belong to the subclass. Closing frees the window; so
// does closing its database window.
class TFoundListBase : public TMdiChild {
  Q_OBJECT
 public:
  TFoundListBase(TFoundOwner owner, int helpContext, QWidget* parent = nullptr);

  DrawGrid* Grid = nullptr;
  QMenu* PopupMenu = nullptr;

  const TFoundOwner& owner() const { return owner_; }
  const TGlobalOptions& options() const { return options_; }
  // The line on the focused row; -1 without lines.
  int32_t focusedLine() const;

  void IdleUpdate() override;
  void ApplyGlobalOptions() override;
  void SelectAll() override;
  void UnselectAll() override;
  void CopyToClipboard() override;
  // Brings the database window to the front, on the focused line's item.
  void GoTo();

 protected:
  virtual int32_t lineCount() const = 0;
  virtual uint8_t& lineFlags(int32_t line) = 0;
  // The line's place in the engine's found list, which stays its identity across sorts.
  virtual int32_t lineIndex(int32_t line) const = 0;
  // The line whose place in the engine's found list is index; -1 when none is.
  virtual int32_t lineWithIndex(int32_t index) const = 0;
  virtual void drawTitle(QPainter& p, int col, const QRect& rect) = 0;
  virtual void drawLine(QPainter& p, int col, int32_t line, const QRect& rect) = 0;
  // Takes the sort a click on a header column asks for; false for a column that sorts nothing.
  virtual bool chooseSort(int col, bool rightHalf) = 0;
  // Puts the lines in the order of the present sort; false, order untouched, when stopped.
  virtual bool sortLines(const LineProgress& progress) = 0;
  virtual std::string clipboardText(int32_t focused) const = 0;
  virtual TFoundPlace placeOf(int32_t line) const = 0;
  // Sets the fonts and the column widths from the options.
  virtual void layoutGrid() = 0;

  // One item of the engine's found list, read in place: its place in the list and its view.
  using FoundItemSink = std::function<void(int32_t index, const TFoundItemView& item)>;
  // Reads the engine's found list of catalogue item by item into add, under the "Sorting"
  // progress window above 700 items (a stop keeps what was read), then frees that list. A
  // failure is reported by the window's convention: a fatal one closes the window.
  void readFoundItems(CatalogueGateway& catalogue, const FoundItemSink& add);
  // Shows the export dialog for this window's lines (lineAt gives each), while its database
  // window lives.
  void exportLines(ExportListKind kind, const std::function<ExportListLine(int32_t)>& lineAt);
  // Prints the window through the print dialog and the abort window; print gets the screen's
  // columns measured with sample. Failures end the run in an "Error" box.
  void printLines(const char* sample,
                  const std::function<TPrintResult(QPrinter&, const TPrintChoice&, TPrintStatus&,
                                                   const TScreenColumns&)>& print);
  // After the lines were replaced: the rows follow them, the window counts as filled.
  void linesChanged();
  // Runs work (told the progress to report to) under the "Sorting" progress window when it
  // goes over more than 700 lines; false when the user stopped it.
  bool withSortingProgress(int32_t total, const std::function<bool(const LineProgress&)>& work);
  // Whether a line is drawn as selected: its flag set and not on the focused row.
  bool selectedLook(int32_t line, bool focusedRow);

  void closeEvent(QCloseEvent* event) override;

 private:
  void drawCell(QPainter& p, int col, int row, const QRect& rect, bool focusedRow);
  bool selectCell(int row);
  bool keyDown(QKeyEvent* event);
  void mouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);
  void toggle(int32_t line);
  void buildPopupMenu(int helpContext);

  TFoundOwner owner_;
  TGlobalOptions options_;
  bool filled_ = false;
  bool closing_ = false;
  bool resortPending_ = false;
  bool headerClicked_ = false;
  bool keyboardRange_ = false;
  int anchorRow_ = 1;
  int helpContext_ = 0;
};

// A result window over its own lines of one kind (each with Flags and Index).
template <class Line>
class TFoundLinesWindow : public TFoundListBase {
 public:
  using TFoundListBase::TFoundListBase;

  const std::vector<Line>& lines() const { return lines_; }

 protected:
  int32_t lineCount() const override { return static_cast<int32_t>(lines_.size()); }
  uint8_t& lineFlags(int32_t line) override { return lines_[static_cast<size_t>(line)].Flags; }
  int32_t lineIndex(int32_t line) const override { return lines_[static_cast<size_t>(line)].Index; }
  int32_t lineWithIndex(int32_t index) const override {
    for (size_t i = 0; i < lines_.size(); ++i) {
      if (lines_[i].Index == index) return static_cast<int32_t>(i);
    }
    return -1;
  }
  const Line& lineAt(int32_t line) const { return lines_[static_cast<size_t>(line)]; }

  std::vector<Line> lines_;
};

}  // namespace vellomar
