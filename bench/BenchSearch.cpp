#include "bench/BenchSearch.h"

#include <QApplication>
#include <QMouseEvent>
#include <stdexcept>

#include "bench/BenchEngine.h"
#include "engine/api/UApi.h"
#include "ui/grid/DrawGrid.h"
#include "ui/search/FFoundFileList.h"

namespace vellomar {

namespace {

constexpr int kSizeColumn = 3;

void paint(TFormFoundFileList& window) {
  window.Grid->viewport()->grab();
}

}  // namespace

FoundFilesBench::FoundFilesBench(const std::string& database)
    : database_(std::make_unique<BenchDatabase>(database)) {
  // The program's first window pays for setting up the widgets' shared state once; a search
  // window never comes first.
  TFormFoundFileList(TFoundOwner{}, TFoundFileSort{}).show();
}

FoundFilesBench::~FoundFilesBench() = default;

int64_t FoundFilesBench::search(const TSearchDlgData& request) {
  TDBase* handle = database_->get();
  ApiFreeTreeStruct(handle);
  ApiClearFound(handle);
  return searchDatabase(*database_, request);
}

int64_t FoundFilesBench::searchIntoWindow(const TSearchDlgData& request) {
  if (search(request) == 0) throw std::runtime_error("the search found nothing");
  window_ = std::make_unique<TFormFoundFileList>(TFoundOwner{}, foundFileSortOf(request));
  window_->resize(1000, 600);
  window_->show();
  window_->FillList(database_->catalogue());
  paint(*window_);
  return static_cast<int64_t>(window_->lines().size());
}

int64_t FoundFilesBench::resortBySize() {
  if (!window_) throw std::runtime_error("no found-files window to sort");
  DrawGrid& grid = *window_->Grid;
  const QPointF at = grid.cellRect(kSizeColumn, 0).center();
  QMouseEvent press(QEvent::MouseButtonPress, at, grid.viewport()->mapToGlobal(at), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(grid.viewport(), &press);
  window_->IdleUpdate();
  paint(*window_);
  if (window_->sort().SortKey1 != kFoundKeySize) throw std::runtime_error("the click sorted not");
  return static_cast<int64_t>(window_->lines().size());
}

}  // namespace vellomar
