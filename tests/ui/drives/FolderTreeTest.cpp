#include "ui/drives/UFolderTree.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/platform/FixtureMachine.h"

namespace vellomar {
namespace {

TEST(FolderTreeTest, DrivesFromCOnWithTheirLabels) {
  FixtureMachine machine;
  const DriveTable table(machine.sources());
  const std::vector<FolderNode> drives = FolderTreeDrives(table);
  ASSERT_EQ(drives.size(), 6u);  // C: to H:, no floppies
  EXPECT_EQ(drives.front().name, "C:");
  EXPECT_EQ(drives[3].text, "F:  \\\\nas\\share");
  EXPECT_EQ(drives.back().text, "H:  ");  // no disc
}

TEST(FolderTreeTest, ChildrenShowTheirCaseRuleButKeepTheirRealNames) {
  FixtureMachine machine;
  test::TempFolder disk("foldertree");
  for (const char* folder : {"Photos", "DOCS", ".config", "zeta", "ÄRGER", "DOCS/2003"}) {
    std::filesystem::create_directories(disk.at(folder));
  }
  disk.file("README", "not a folder");
  machine.root.addDisk("sdc", 8, 32, false);
  machine.mounts += "50 28 8:32 / " + disk.path() + " rw - ext4 /dev/sdc rw\n";
  const DriveTable table(machine.sources());
  char letter = 0;
  for (const Drive& d : table.drives()) {
    if (d.mountPoint == disk.path()) letter = d.letter;
  }
  ASSERT_NE(letter, 0);
  const std::string root{letter, ':'};

  const std::vector<FolderNode> children = FolderTreeChildren(root, table);
  std::vector<std::string> texts;
  for (const FolderNode& child : children) texts.push_back(child.text + "=" + child.name);
  EXPECT_EQ(texts,
            (std::vector<std::string>{"Ärger=ÄRGER", "Docs=DOCS", "Photos=Photos", "zeta=zeta"}));
  const std::string docs = FolderTreeChildPath(root, children[1]);
  EXPECT_EQ(docs, root + "\\DOCS");
  ASSERT_EQ(FolderTreeChildren(docs, table).size(), 1u);
  EXPECT_EQ(FolderTreeChildren(docs, table)[0].name, "2003");
  EXPECT_TRUE(FolderTreeChildren(root + "\\missing", table).empty());
}

}  // namespace
}  // namespace vellomar
