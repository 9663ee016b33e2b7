#include "ui/panels/UTreeOutline.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/UTreeStruct.h"

namespace vellomar {
namespace {

TDirCollection& addFolder(TDirCollection& parent, const std::string& name) {
  auto* node = new TDirCollection(&parent, 1, false);
  node->Dir.Name = ShortString(name);
  parent.Add(node);
  return *node;
}

// Rows in pre-order, each with its parent, its place among its parent's children and its own.
TEST(TreeOutline, RowsComeInPreOrderWithTheirLinks) {
  TDirCollection root(nullptr, 2, false);
  root.Dir.Name = "\\";
  TDirCollection& b = addFolder(root, "b");
  TDirCollection& a = addFolder(root, "a");
  addFolder(a, "inner");
  TTreeOutline outline;
  outline.build(&root);
  ASSERT_EQ(outline.count(), 4);
  EXPECT_EQ(outline.text(0), "\\");
  EXPECT_EQ(outline.text(1), "a");
  EXPECT_EQ(outline.text(2), "inner");
  EXPECT_EQ(outline.text(3), "b");
  EXPECT_EQ(outline.parent(2), 1);
  EXPECT_EQ(outline.parent(3), 0);
  EXPECT_EQ(outline.rowInParent(3), 1);
  EXPECT_EQ(outline.child(0, 1), 3);
  EXPECT_EQ(outline.childCount(1), 1);
  EXPECT_EQ(outline.level(2), 3);
  EXPECT_EQ(outline.find(&b), 3);
}

// A chain as deep as a disk block makes it costs no stack frame per level.
TEST(TreeOutline, DeepChainsAreOutlinedWhole) {
  constexpr int kLevels = 100000;
  TDirCollection root(nullptr, 1, false);
  root.Dir.Name = "\\";
  TDirCollection* node = &root;
  for (int level = 0; level < kLevels; ++level) node = &addFolder(*node, "d");
  TTreeOutline outline;
  outline.build(&root);
  ASSERT_EQ(outline.count(), kLevels + 1);
  EXPECT_EQ(outline.find(node), kLevels);
  EXPECT_EQ(outline.parent(kLevels), kLevels - 1);
  EXPECT_EQ(outline.child(kLevels - 1, 0), kLevels);
}

}  // namespace
}  // namespace vellomar
