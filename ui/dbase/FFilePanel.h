#pragma once

#include <QElapsedTimer>
#include <QIcon>
#include <QStringList>
#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/api/UApiTypes.h"
#include "ui/grid/DrawGrid.h"
#include "ui/panels/UDescHint.h"
#include "ui/panels/UDescHintRest.h"
#include "ui/panels/UFileLayout.h"
#include "ui/panels/UFileLines.h"

namespace vellomar {

class CatalogueGateway;
class PanelHost;

enum class FileColumnKind : uint8_t { kName = 0, kDateTime = 1, kSize = 2, kDescription = 3 };

// The right panel of the database window: the current folder's lines, in brief display (names
// in newspaper columns) or detailed display (a row per line with size, date and time, and
// description). Lines are selected, sorted, entered, opened through the desktop and described
// from here; a description shows as a hint bubble over the line the mouse rests on.
class TFilePanel : public DrawGrid {
  Q_OBJECT

 public:
  TFilePanel(PanelHost& form, QWidget* parent);

  // Rebuilds the lines from the current folder, focusing the line named (name and extension).
  void LoadFileList(const std::string& focusName);
  void SetupFileColumns();
  // Lays the grid out for the lines, focusing a line index (-1 keeps the focus).
  void LayoutFileGrid(int32_t focus);
  void SetBriefMode(bool brief);
  // The font, the row height and the width of a time.
  void ApplyFont(const QFont& font);

  // Row - 1 in detailed display, the column's lines before the row in brief display.
  int32_t focusedIndex() const;
  const TOneFileLine* focusedLine() const { return lines_.at(focusedIndex()); }
  std::string GetFocusedFileName() const;
  TFileLineList& lines() { return lines_; }
  // The folder the next list focuses (the folder just left).
  void setForcedNode(TDirCollection* node) { forcedNode_ = node; }
  TDirCollection* forcedNode() const { return forcedNode_; }

  void ToggleFileSelection();
  // Opens the focused entry through the desktop, as Shift with a double click does.
  void OpenFocusedEntry();
  void GoToParent();
  void EditDescription();
  void ExecFile(const TOneFile& entry);
  void OpenExplorer(const TOneFile& entry);
  void MaskSelect();
  void UnselectAll();
  void SelectAll();

  // ---- Description hint ----
  // On every tick of the main window's timer.
  void TimerUpdate();
  void ShowDescHint();
  void HideDescHint();
  bool hintVisible() const { return hintVisible_; }
  const QStringList& hintLines() const { return hintLines_; }
  const DescHintShape& hintShape() const { return hintShape_; }
  // The line under a point of the grid and its cell (the whole row in detailed display).
  const TOneFileLine* FileLineAtPoint(QPoint point, QRect& cell) const;
  DescHintRest& hintRest() { return hintRest_; }
  // Moves the focus to a line as the grid would, through the select-cell rule.
  void moveToLine(int32_t index);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  CatalogueGateway& catalogue() const;
  bool detailed() const;
  bool brief() const { return !detailed(); }
  int32_t indexOfCell(int col, int row) const;
  int32_t nameColumnWidth() const;
  // Adds the advances of an ASCII text to width; false, with width undefined, for any other text.
  bool addAsciiWidth(std::string_view text, int& width) const;
  int textWidth(std::string_view text) const;
  // The width of a line's name and extension, without joining them for ASCII names.
  int nameWidth(const TOneFileLine& line) const;
  void ShowFileStatus(int32_t index, bool withTotals);
  void DrawCell(QPainter& p, int col, int row, QRect rect, GridDrawState state);
  void DrawHeader(QPainter& p, FileColumnKind kind, const QRect& rect);
  void DrawIcon(QPainter& p, const TOneFileLine& line, const QRect& area);
  bool SelectCell(int col, int row);
  bool KeyDown(QKeyEvent* event);
  // Goes to the next line whose name begins with the letters typed; false for other keys.
  bool TypeAhead(const QKeyEvent& event);
  void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);
  void DblClick();
  void MouseMove(QPoint pos);
  void paintHint(QPainter& p);
  // Opens an existing catalogued file or folder; the "Not Found" box offers a retry.
  void openEntry(const TOneFile& entry, bool folder);

  PanelHost& form_;
  TFileLineList lines_;
  int32_t focus_ = 0;
  int32_t prevFocus_ = 0;
  // Letters typed so far towards a name, and when the last came.
  std::string typed_;
  QElapsedTimer typedAt_;
  bool extendRange_ = false;
  Qt::KeyboardModifiers shiftState_ = Qt::NoModifier;
  bool headerClick_ = false;
  int32_t longest_ = 12;
  int32_t widest_ = 50;
  TDirCollection* forcedNode_ = nullptr;
  TDirTotals totals_;
  std::vector<FileColumnKind> columns_;
  int timeWidth_ = 0;
  int iconWidth_ = 0;
  // Folder, parent and archive pictures.
  QIcon pictures_[3];
  int listBuilding_ = 0;
  std::string subtotals_ = " ";
  mutable std::array<int, 128> asciiWidths_{};  // advance of each ASCII character, 0 unknown

  DescHintRest hintRest_;
  bool hintVisible_ = false;
  DescHintShape hintShape_;
  QStringList hintLines_;
  int hintLineHeight_ = 0;
};

}  // namespace vellomar
