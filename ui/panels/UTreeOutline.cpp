#include "ui/panels/UTreeOutline.h"

#include <algorithm>

#include "ui/common/UCatalogueGateway.h"

namespace vellomar {

void TTreeOutline::clear() {
  rows_.clear();
  childPositions_.clear();
  names_.clear();
  byNode_.clear();
  rows_.shrink_to_fit();
  childPositions_.shrink_to_fit();
  names_.shrink_to_fit();
  byNode_.shrink_to_fit();
}

int32_t TTreeOutline::addRow(TDirCollection* node, int32_t parent, int32_t row,
                             int32_t& subfolders) {
  const auto position = static_cast<int32_t>(rows_.size());
  subfolders = node != nullptr ? CatalogueGateway::subfolderCount(node) : 0;
  const auto first = static_cast<int32_t>(childPositions_.size());
  rows_.push_back({node, parent, row, first, 0, static_cast<int32_t>(names_.size())});
  TOneDir record;
  if (parent < 0 || node == nullptr) {
    names_ += '\\';
  } else if (CatalogueGateway::folderRecord(node, record)) {
    names_ += record.Name.view();
    names_ += record.Data.Ext.view();
  }
  childPositions_.resize(childPositions_.size() + static_cast<size_t>(subfolders));
  return position;
}

void TTreeOutline::addTree(TDirCollection* root) {
  // A row whose subfolders are being added.
  struct Open {
    int32_t Position;
    int32_t Next;
    int32_t Count;
  };
  std::vector<Open> open(1);
  open[0].Position = addRow(root, -1, 0, open[0].Count);
  while (!open.empty()) {
    Open& top = open.back();
    if (top.Next == top.Count) {
      open.pop_back();
      continue;
    }
    const int32_t position = top.Position;
    const int32_t i = top.Next++;
    Row& row = rows_[at(position)];
    TDirCollection* sub = CatalogueGateway::subfolder(row.Node, i);
    childPositions_[static_cast<size_t>(row.FirstChild + i)] = static_cast<int32_t>(rows_.size());
    // Counted before the subtree, so a failure inside it leaves the parent consistent.
    ++row.Children;
    Open child{0, 0, 0};
    child.Position = addRow(sub, position, i, child.Count);
    open.push_back(child);
  }
}

void TTreeOutline::build(TDirCollection* root) {
  clear();
  try {
    addTree(root);
  } catch (...) {
    trim();
    throw;
  }
  trim();
}

void TTreeOutline::trim() {
  rows_.shrink_to_fit();
  childPositions_.shrink_to_fit();
  names_.shrink_to_fit();
}

int32_t TTreeOutline::child(int32_t position, int32_t row) const {
  const Row& r = rows_[at(position)];
  return row >= 0 && row < r.Children ? childPositions_[at(r.FirstChild + row)] : -1;
}

int32_t TTreeOutline::level(int32_t position) const {
  int32_t level = 1;
  for (int32_t p = parent(position); p >= 0; p = parent(p)) ++level;
  return level;
}

int32_t TTreeOutline::find(const TDirCollection* node) const {
  if (node == nullptr) return -1;
  // Made at the first search, so opening a disk does not wait for it.
  if (byNode_.size() != rows_.size()) {
    byNode_.clear();
    byNode_.reserve(rows_.size());
    for (size_t i = 0; i < rows_.size(); ++i)
      byNode_.emplace_back(rows_[i].Node, static_cast<int32_t>(i));
    std::sort(byNode_.begin(), byNode_.end());
  }
  const auto found = std::lower_bound(byNode_.begin(), byNode_.end(),
                                      std::pair<const TDirCollection*, int32_t>(node, -1));
  return found != byNode_.end() && found->first == node ? found->second : -1;
}

std::string_view TTreeOutline::text(int32_t position) const {
  const auto begin = static_cast<size_t>(rows_[at(position)].Name);
  const size_t end =
      position + 1 < count() ? static_cast<size_t>(rows_[at(position + 1)].Name) : names_.size();
  return std::string_view(names_).substr(begin, end - begin);
}

}  // namespace vellomar
