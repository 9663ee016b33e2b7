#include "ui/drives/FSelectFolder.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QTreeWidget>
#include <filesystem>

#include "tests/platform/FixtureMachine.h"
#include "tests/support/TempFolder.h"
#include "tests/ui/support/Screenshots.h"

namespace vellomar {
namespace {

// The browser over a fixture machine with one more disk on a folder of the test.
class SelectFolderWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* folder : {"Photos", "DOCS/2003/May", "zeta", ".hidden"})
      std::filesystem::create_directories(disk_.at(folder));
    machine_.root.addDisk("sdc", 8, 32, false);
    machine_.mounts += "50 28 8:32 / " + disk_.path() + " rw - ext4 /dev/sdc rw\n";
    table_ = std::make_unique<DriveTable>(machine_.sources());
    for (const Drive& d : table_->drives())
      if (d.mountPoint == disk_.path()) letter_ = d.letter;
    ASSERT_NE(letter_, 0);
    dialog_ = std::make_unique<TFormSelectFolder>(nullptr, *table_);
    dialog_->show();
  }

  QTreeWidget& tree() { return *dialog_->DirTreeView; }
  QTreeWidgetItem* diskNode() {
    for (int i = 0; i < tree().topLevelItemCount(); ++i)
      if (tree().topLevelItem(i)->text(0).startsWith(QChar(letter_))) return tree().topLevelItem(i);
    return nullptr;
  }
  void clickOn(QTreeWidgetItem* node) {
    ASSERT_NE(node, nullptr);
    tree().scrollToItem(node);
    QTest::mouseClick(tree().viewport(), Qt::LeftButton, {}, tree().visualItemRect(node).center());
  }
  std::string root() const { return std::string{letter_, ':', '\\'}; }
  static std::vector<std::string> children(const QTreeWidgetItem* node) {
    std::vector<std::string> texts;
    for (int i = 0; i < node->childCount(); ++i)
      texts.push_back(node->child(i)->text(0).toStdString());
    return texts;
  }

  test::TempFolder disk_{"selectfolder"};
  FixtureMachine machine_;
  std::unique_ptr<DriveTable> table_;
  char letter_ = 0;
  std::unique_ptr<TFormSelectFolder> dialog_;
};

TEST_F(SelectFolderWindowTest, DrivesFromCOnWithTheirFoldersOneLevelAhead) {
  EXPECT_EQ(tree().topLevelItem(0)->text(0).left(2).toStdString(), "C:") << "no floppies";
  QTreeWidgetItem* disk = diskNode();
  ASSERT_NE(disk, nullptr);
  EXPECT_EQ(children(disk), (std::vector<std::string>{"Docs", "Photos", "zeta"}));
  QTreeWidgetItem* docs = disk->child(0);
  EXPECT_EQ(docs->childCount(), 0) << "grandchildren wait for the expansion";

  // Expanding fills each child's folders; the path keeps the real name.
  clickOn(disk);
  EXPECT_EQ(dialog_->SelectedPath, root());
  QTest::keyClick(&tree(), Qt::Key_Right);
  EXPECT_EQ(children(docs), (std::vector<std::string>{"2003"}));
  clickOn(docs);
  EXPECT_EQ(dialog_->SelectedPath, root() + "DOCS");
  QTest::keyClick(&tree(), Qt::Key_Right);
  EXPECT_EQ(dialog_->SelectedPath, root() + "DOCS");
  EXPECT_EQ(children(docs->child(0)), (std::vector<std::string>{"May"}));
  test::saveScreenshot(dialog_.get(), "select-folder-dialog");

  // Chosen with the keys: OK takes the folder shown.
  QTest::keyClick(&tree(), Qt::Key_Down);
  QTest::keyClick(&tree(), Qt::Key_Return);
  EXPECT_EQ(dialog_->result(), QDialog::Accepted);
  EXPECT_EQ(dialog_->SelectedPath, root() + "DOCS\\2003");
}

TEST_F(SelectFolderWindowTest, CollapsingReadsTheFoldersAgainAndTheTreeIsKept) {
  QTreeWidgetItem* disk = diskNode();
  clickOn(disk);
  QTest::keyClick(&tree(), Qt::Key_Right);
  std::filesystem::create_directories(disk_.at("Music"));
  QTest::keyClick(&tree(), Qt::Key_Left);
  EXPECT_EQ(children(disk), (std::vector<std::string>{"Docs", "Music", "Photos", "zeta"}));

  QTest::keyClick(&tree(), Qt::Key_Escape);
  EXPECT_EQ(dialog_->result(), QDialog::Rejected);
  dialog_->show();
  EXPECT_EQ(diskNode(), disk) << "filled once for the whole run";
}

}  // namespace
}  // namespace vellomar
