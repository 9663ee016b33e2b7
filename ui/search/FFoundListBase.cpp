#include "ui/search/FFoundListBase.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMenu>
#include <QPainter>
#include <algorithm>

#include "ui/common/UEngineGuard.h"
#include "ui/common/UKeyDispatcher.h"
#include "ui/common/UServices.h"
#include "ui/dbruns/FFoundExport.h"
#include "ui/dialogs/FProgress.h"
#include "ui/grid/DrawGrid.h"
#include "ui/print/FAbortPrint.h"
#include "ui/print/UClipboardText.h"
#include "ui/settings/FSettings.h"
#include "ui/settings/USettingsGlobals.h"

namespace vellomar {

namespace {

const QColor kGrey(128, 128, 128);

bool isMovement(int key) {
  return key == Qt::Key_Down || key == Qt::Key_Up || key == Qt::Key_PageUp ||
         key == Qt::Key_PageDown || key == Qt::Key_Home || key == Qt::Key_End;
}

}  // namespace

TFoundListBase::TFoundListBase(TFoundOwner owner, int helpContext, QWidget* parent)
    : TMdiChild(parent), owner_(std::move(owner)), helpContext_(helpContext) {
  setAttribute(Qt::WA_DeleteOnClose);
  if (owner_.Window) Tag = owner_.Window->Tag;
  // The window belongs to its database window and goes with it.
  if (owner_.Window) connect(owner_.Window, &QObject::destroyed, this, &QWidget::close);

  Grid = new DrawGrid(this);
  Grid->setFixedRows(1);
  Grid->setRowSelect(true);
  Grid->setColSizing(true);
  Grid->setRowCount(2);
  setWidget(Grid);
  Grid->onDrawCell = [this](QPainter& p, int col, int row, const QRect& rect, GridDrawState state) {
    drawCell(p, col, row, rect, state.selected);
  };
  Grid->onSelectCell = [this](int, int row) { return selectCell(row); };
  Grid->onKeyDown = [this](QKeyEvent* event) { return keyDown(event); };
  Grid->onMouseDown = [this](Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos) {
    mouseDown(button, modifiers, pos);
  };
  Grid->onDblClick = [this] {
    if (headerClicked_) {
      headerClicked_ = false;
      return;
    }
    GoTo();
  };
  buildPopupMenu(helpContext);
}

void TFoundListBase::buildPopupMenu(int helpContext) {
  PopupMenu = new QMenu(this);
  const auto add = [this](const char* name, const QString& caption, QKeyCombination key,
                          std::function<void()> run) {
    QString text = caption;
    if (key.key() != Qt::Key(0)) text += '\t' + keyText(key);
    QAction* action = PopupMenu->addAction(text);
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, std::move(run));
  };
  const QKeyCombination none;
  add("MenuGoTo", "&Go to disk in database", QKeyCombination(Qt::Key_Return), [this] { GoTo(); });
  add("MenuCopy", "&Copy", Qt::CTRL | Qt::Key_C, [this] { CopyToClipboard(); });
  PopupMenu->addSeparator();
  add("MenuSelectAll", "Select &all", none, [this] { SelectAll(); });
  add("MenuUnselectAll", "&Unselect all", Qt::CTRL | Qt::Key_U, [this] { UnselectAll(); });
  PopupMenu->addSeparator();
  add("MenuPrint", "&Print...", Qt::CTRL | Qt::Key_P, [this] { PrintList(); });
  add("MenuHelp", "&Help", QKeyCombination(Qt::Key_F1),
      [helpContext] { services().help->showContext(helpContext); });
  Grid->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(Grid, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { PopupMenu->popup(Grid->mapToGlobal(at)); });
}

int32_t TFoundListBase::focusedLine() const {
  const int32_t line = Grid->row() - 1;
  return line >= 0 && line < lineCount() ? line : -1;
}

void TFoundListBase::ApplyGlobalOptions() {
  if (FormSettings != nullptr) FormSettings->GetOptions(options_);
  layoutGrid();
  Grid->viewport()->update();
}

void TFoundListBase::readFoundItems(CatalogueGateway& catalogue, const FoundItemSink& add) {
  runGuarded(
      [&] {
        const int32_t n = catalogue.foundCount();
        withSortingProgress(n, [&](const LineProgress& progress) {
          TFoundItemView item;
          for (int32_t i = 0; i < n; ++i) {
            if (catalogue.viewFoundItem(i, item)) add(i, item);
            // The window takes a stop only while it lets events run, at its due steps.
            if (progress && sortingProgressDue(i + 1, n) && !progress(i + 1, n)) return false;
          }
          return true;
        });
        catalogue.freeFound();
      },
      [this] { close(); });
}

void TFoundListBase::exportLines(ExportListKind kind,
                                 const std::function<ExportListLine(int32_t)>& lineAt) {
  if (!owner_.Window) return;
  TFormFoundExport form(this);
  form.Kind = kind;
  form.Catalogue = owner_.Catalogue;
  form.DBaseFileName = owner_.FileName;
  form.LineCount = lineCount();
  form.LineAt = lineAt;
  form.exec();
}

void TFoundListBase::printLines(
    const char* sample,
    const std::function<TPrintResult(QPrinter&, const TPrintChoice&, TPrintStatus&,
                                     const TScreenColumns&)>& print) {
  TScreenColumns screen;
  for (int c = 0; c < Grid->colCount(); ++c) screen.Widths.push_back(Grid->colWidth(c));
  screen.SampleWidth = std::max(1, QFontMetrics(Grid->font()).horizontalAdvance(sample));
  runGuarded([&] {
    RunListPrint(window(), true,
                 [&](QPrinter& printer, const TPrintChoice& choice, TPrintStatus& status) {
                   return print(printer, choice, status, screen);
                 });
  });
}

void TFoundListBase::linesChanged() {
  Grid->setRowCount(std::max(lineCount() + 1, 2));
  // New lines are read from the top, whatever row the lines before them left.
  Grid->moveTo(Grid->col(), 1);
  filled_ = true;
  Grid->viewport()->update();
}

bool TFoundListBase::withSortingProgress(int32_t total,
                                         const std::function<bool(const LineProgress&)>& work) {
  if (total < kSortingProgressFrom) return work(nullptr);
  TFormProgress progress(this);
  bool done = false;
  // The engine's failures go to the caller's error convention, not to the progress window's.
  std::exception_ptr failure;
  progress.Run("Sorting", [&] {
    try {
      done = work([&progress](int32_t i, int32_t n) {
        if (sortingProgressDue(i, n)) progress.SetProgress(static_cast<int>(int64_t{i} * 100 / n));
        return !progress.Stopped();
      });
    } catch (...) {
      failure = std::current_exception();
    }
  });
  if (failure) std::rethrow_exception(failure);
  return done;
}

bool TFoundListBase::selectedLook(int32_t line, bool focusedRow) {
  return !focusedRow && (lineFlags(line) & kFoundLineSelected) != 0;
}

void TFoundListBase::drawCell(QPainter& p, int col, int row, const QRect& rect, bool focusedRow) {
  if (closing_ || !filled_) return;
  if (row == 0) {
    drawTitle(p, col, rect);
    return;
  }
  const int32_t line = row - 1;
  if (line >= lineCount()) return;
  if (selectedLook(line, focusedRow)) {
    p.fillRect(rect, kGrey);
    p.setPen(palette().color(QPalette::HighlightedText));
  }
  drawLine(p, col, line, rect);
}

void TFoundListBase::toggle(int32_t line) {
  if (line < 0 || line >= lineCount()) return;
  lineFlags(line) ^= kFoundLineSelected;
  Grid->invalidateRow(line + 1);
}

bool TFoundListBase::selectCell(int row) {
  if (row < 1) return false;
  if (keyboardRange_) {
    keyboardRange_ = false;
    const int step = row > anchorRow_ ? 1 : -1;
    for (int r = anchorRow_; r != row; r += step) toggle(r - 1);
    if (std::abs(anchorRow_ - row) > 1) Grid->viewport()->update();
  }
  anchorRow_ = Grid->row();
  return true;
}

bool TFoundListBase::keyDown(QKeyEvent* event) {
  const Qt::KeyboardModifiers mods =
      event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
  const int key = event->key();
  if (mods == Qt::ShiftModifier && isMovement(key)) {
    anchorRow_ = Grid->row();
    keyboardRange_ = true;
    return false;
  }
  if (mods == Qt::ControlModifier) {
    switch (key) {
      case Qt::Key_C:
        CopyToClipboard();
        return true;
      case Qt::Key_U:
        UnselectAll();
        return true;
      case Qt::Key_P:
        PrintList();
        return true;
      default:
        return false;
    }
  }
  if (mods != Qt::NoModifier) return false;
  switch (key) {
    case Qt::Key_Insert:
    case Qt::Key_Space:
      toggle(focusedLine());
      if (Grid->row() < Grid->rowCount() - 1) Grid->moveTo(Grid->col(), Grid->row() + 1);
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      GoTo();
      return true;
    case Qt::Key_F1:
      services().help->showContext(helpContext_);
      return true;
    default:
      return false;
  }
}

void TFoundListBase::mouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers,
                               QPoint pos) {
  if (button != Qt::LeftButton) return;
  const DrawGrid::Cell cell = Grid->cellAt(pos);
  if (cell.valid() && cell.row == 0) {
    headerClicked_ = true;
    const QRect rect = Grid->cellRect(cell.col, 0);
    if (chooseSort(cell.col, pos.x() >= rect.center().x())) resortPending_ = true;
    return;
  }
  headerClicked_ = false;
  anchorRow_ = std::min(anchorRow_, Grid->rowCount() - 1);
  if (modifiers & Qt::ShiftModifier) {
    for (int32_t i = 0; i < lineCount(); ++i) lineFlags(i) &= ~kFoundLineSelected;
    const int from = std::min(anchorRow_, Grid->row());
    const int to = std::max(anchorRow_, Grid->row());
    for (int r = std::max(from, 1); r <= to; ++r) toggle(r - 1);
    Grid->viewport()->update();
  } else if (modifiers & Qt::ControlModifier) {
    toggle(focusedLine());
  }
}

void TFoundListBase::IdleUpdate() {
  if (!resortPending_ || closing_) return;
  resortPending_ = false;
  const int32_t focused = focusedLine();
  const int32_t index = focused >= 0 ? lineIndex(focused) : -1;
  withSortingProgress(lineCount(),
                      [this](const LineProgress& progress) { return sortLines(progress); });
  const int32_t line = index >= 0 ? lineWithIndex(index) : -1;
  if (line >= 0) Grid->moveTo(Grid->col(), line + 1);
  Grid->viewport()->update();
}

void TFoundListBase::SelectAll() {
  bool all = lineCount() > 0;
  for (int32_t i = 0; i < lineCount() && all; ++i) all = (lineFlags(i) & kFoundLineSelected) != 0;
  const bool clear = options_.PersistentBlocks && all;
  for (int32_t i = 0; i < lineCount(); ++i) {
    if (clear) {
      lineFlags(i) &= ~kFoundLineSelected;
    } else {
      lineFlags(i) |= kFoundLineSelected;
    }
  }
  Grid->viewport()->update();
}

void TFoundListBase::UnselectAll() {
  for (int32_t i = 0; i < lineCount(); ++i) lineFlags(i) &= ~kFoundLineSelected;
  Grid->viewport()->update();
}

void TFoundListBase::CopyToClipboard() {
  CopyTextToClipboard(clipboardText(focusedLine()));
}

void TFoundListBase::GoTo() {
  const int32_t line = focusedLine();
  if (line < 0 || !owner_.Window) return;
  if (QMdiArea* area = owner_.Window->mdiArea()) area->setActiveSubWindow(owner_.Window);
  const TFoundPlace place = placeOf(line);
  if (owner_.JumpTo) owner_.JumpTo(place.Disk, place.Folder, place.File);
}

void TFoundListBase::closeEvent(QCloseEvent* event) {
  closing_ = true;
  TMdiChild::closeEvent(event);
}

}  // namespace vellomar
