#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vellomar {

class TDirCollection;

// The folder tree of one disk as the outline shows it: every folder node in pre-order
// (position 0 the root "\"), each with its parent and its children's positions, so the
// outline finds a node's item, its parent and its n-th child at once. A row holds the node,
// five positions and its name in one block shared by all names: the rows are painted while
// the engine's walks and scans replace the disk's nodes, so they never read a node.
class TTreeOutline {
 public:
  // Keeps what was added when the engine fails part-way (a damaged tree shows what it has);
  // the failure passes on. A null root gives the one row of a database without disks.
  void build(TDirCollection* root);
  void clear();

  int32_t count() const { return static_cast<int32_t>(rows_.size()); }
  TDirCollection* node(int32_t position) const { return rows_[at(position)].Node; }
  // -1 for the root.
  int32_t parent(int32_t position) const { return rows_[at(position)].Parent; }
  // The row among its parent's children.
  int32_t rowInParent(int32_t position) const { return rows_[at(position)].Row; }
  int32_t childCount(int32_t position) const { return rows_[at(position)].Children; }
  int32_t child(int32_t position, int32_t row) const;
  // 1 for the root.
  int32_t level(int32_t position) const;
  // -1 for a node that is not in the outline.
  int32_t find(const TDirCollection* node) const;
  // "\" for the root, else the folder's name and extension.
  std::string_view text(int32_t position) const;

 private:
  struct Row {
    TDirCollection* Node;
    int32_t Parent;
    int32_t Row;
    int32_t FirstChild;  // into childPositions_
    int32_t Children;
    int32_t Name;  // into names_; the name ends where the next row's begins
  };

  static size_t at(int32_t position) { return static_cast<size_t>(position); }
  // The row of node, its subfolders' places kept free; subfolders gets their number.
  int32_t addRow(TDirCollection* node, int32_t parent, int32_t row, int32_t& subfolders);
  // The rows of root and every folder below it, in pre-order, over a stack of their own: a tree
  // costs no stack whatever its depth.
  void addTree(TDirCollection* root);
  // Gives back the room the arrays grew by.
  void trim();

  std::vector<Row> rows_;
  std::vector<int32_t> childPositions_;
  std::string names_;
  // Sorted by node, for find; made by the first find after a build.
  mutable std::vector<std::pair<const TDirCollection*, int32_t>> byNode_;
};

}  // namespace vellomar
