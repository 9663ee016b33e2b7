#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QScrollBar>
#include <QTest>

#include "tests/ui/dbase/PanelWindow.h"

namespace vellomar::test {
namespace {

using TreePanelTest = PanelWindowTest;

std::vector<std::string> itemTexts(TTreePanel& tree) {
  std::vector<std::string> texts;
  for (int i = 0; i < tree.itemCount(); ++i) {
    texts.push_back(tree.itemText(i));
  }
  return texts;
}

TEST_F(TreePanelTest, OutlineOfTheCurrentDiskInPreOrder) {
  ASSERT_TRUE(window().options().ShowTree);
  EXPECT_EQ(itemTexts(tree()), (std::vector<std::string>{"\\", "Docs", "deep", "pack.zip", "inner",
                                                         "\xC3\x9C"
                                                         "bung"}));
  EXPECT_TRUE(tree().isExpanded(tree().itemAtIndex(0)));
  EXPECT_FALSE(tree().isExpanded(tree().itemAtIndex(1))) << "expand tree is off by default";
  EXPECT_EQ(tree().nodeAt(0), ApiGetRootDirCol(db()));

  clickDisk(2);  // Delta: no folders
  EXPECT_EQ(itemTexts(tree()), (std::vector<std::string>{"\\"}));
  EXPECT_TRUE(tree().isExpanded(tree().itemAtIndex(0)));
}

// Positions of the expanded items in outline order.
std::vector<int> expandedItems(TTreePanel& tree) {
  std::vector<int> expanded;
  for (int i = 0; i < tree.itemCount(); ++i) {
    if (tree.isExpanded(tree.itemAtIndex(i))) expanded.push_back(i);
  }
  return expanded;
}

TEST_F(TreePanelTest, ExpandAndCollapseTheWholeTreeAndExpandTreeOnRebuild) {
  window().ExpandTree();
  EXPECT_EQ(expandedItems(tree()), (std::vector<int>{0, 1, 3})) << "every folder with folders";
  window().CollapseTree();
  EXPECT_EQ(expandedItems(tree()), (std::vector<int>{0})) << "the root stays open";

  window().options().ExpandTree = true;
  clickDisk(1);
  clickDisk(0);
  EXPECT_EQ(expandedItems(tree()), (std::vector<int>{0, 1, 3}));
  // Going to a folder in the expanded tree selects it; leaving it collapses it again.
  window().JumpTo("Alpha", "\\Docs\\deep", "");
  EXPECT_EQ(tree().currentIndex(), tree().itemAtIndex(2));
  window().JumpTo("Alpha", "\\pack.zip", "");
  EXPECT_EQ(tree().currentIndex(), tree().itemAtIndex(3));
  EXPECT_EQ(tree().currentNode(), ApiGetCurrentDirCol(db()));
}

TEST_F(TreePanelTest, ADeepFolderWiderThanThePanelScrollsIntoView) {
  tree().ExpandAll();
  window().headerTop()->resizeSection(1, 40);
  const QModelIndex deep = tree().itemAtIndex(2);
  ASSERT_EQ(tree().itemText(2), "deep");
  QScrollBar& bar = *tree().horizontalScrollBar();
  ASSERT_TRUE(QTest::qWaitFor([&] { return bar.maximum() > 0; })) << "a horizontal scroll bar";
  bar.setValue(bar.maximum());
  const QRect shown = tree().visualRect(deep);
  EXPECT_LE(shown.left() + tree().fontMetrics().horizontalAdvance("deep"),
            tree().viewport()->width() + 4)
      << "its whole name can be brought into view";
}

TEST_F(TreePanelTest, FolderPicturesOnlyWithTreeFontsAbove8Points) {
  for (const int32_t size : {8, 10, 8}) {
    window().options().FontSizes[kTreeFont] = size;
    window().ApplyPanelFonts();
    EXPECT_EQ(tree().pictures(), size > 8);
    for (int i = 0; i < tree().itemCount(); ++i) {
      EXPECT_EQ(tree().itemIcon(i).isNull(), size <= 8) << size << " " << i;
    }
  }
  window().options().FontSizes[kTreeFont] = 10;
  window().ApplyPanelFonts();
  clickDisk(1);
  ASSERT_GT(tree().itemCount(), 0);
  EXPECT_FALSE(tree().itemIcon(0).isNull()) << "a rebuilt outline keeps them";
}

TEST_F(TreePanelTest, ClickingAFolderMakesItCurrentAndTheFilesFollow) {
  const QModelIndex docs = tree().itemAtIndex(1);
  QTest::mouseClick(tree().viewport(), Qt::LeftButton, Qt::NoModifier,
                    tree().visualRect(docs).center());
  EXPECT_EQ(currentPath(), "\\Docs");
  idle();
  EXPECT_EQ(fileNames(), (std::vector<std::string>{"..", "deep", "ReadMe.doc"}));

  // Through the file list into "deep": the tree follows and opens the way there.
  files().setFocus();
  QTest::keyClick(&files(), Qt::Key_End);
  files().moveToLine(lineNamed("deep"));
  QTest::keyClick(&files(), Qt::Key_Return);
  idle();
  EXPECT_EQ(currentPath(), "\\Docs\\deep");
  EXPECT_EQ(tree().currentIndex(), tree().itemAtIndex(2));
  EXPECT_TRUE(tree().isExpanded(tree().itemAtIndex(1)));

  // Elsewhere through the file list: the level-3 item is collapsed, the new way opened.
  window().JumpTo("Alpha", "\\pack.zip\\inner", "x.txt");
  EXPECT_EQ(tree().currentIndex(), tree().itemAtIndex(4));
  EXPECT_EQ(fileNames()[files().focusedIndex()], "x.txt");
}

TEST_F(TreePanelTest, HidingAndShowingTheTreeKeepsTheCurrentFolder) {
  goToPath("\\Docs\\deep");
  window().ToggleShowTree();
  EXPECT_TRUE(tree().isHidden());
  EXPECT_EQ(tree().itemCount(), 0);
  // Folders still change through the file list while the tree is hidden.
  files().moveToLine(lineNamed(".."));
  QTest::keyClick(&files(), Qt::Key_Return);
  idle();
  EXPECT_EQ(currentPath(), "\\Docs");
  window().ToggleShowTree();
  EXPECT_FALSE(tree().isHidden());
  EXPECT_EQ(tree().currentIndex(), tree().itemAtIndex(1));
}

// Qt's model checker watches the tree's model through every way the rows change: a disk with
// and without folders, the whole tree opened and closed, a folder gone to. Its findings arrive
// as warnings.
TEST_F(TreePanelTest, TheModelKeepsQtsRulesThroughEveryRebuild) {
  static QStringList findings;
  findings.clear();
  const QtMessageHandler previous =
      qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type != QtDebugMsg) findings << text;
      });
  {
    QAbstractItemModelTester tester(tree().model(),
                                    QAbstractItemModelTester::FailureReportingMode::Warning);
    tree().ExpandAll();
    clickDisk(2);
    clickDisk(0);
    window().ExpandTree();
    window().CollapseTree();
    window().JumpTo("Alpha", "\\pack.zip\\inner", "x.txt");
    window().ToggleShowTree();
    window().ToggleShowTree();
  }
  qInstallMessageHandler(previous);
  EXPECT_TRUE(findings.isEmpty()) << findings.join("\n").toStdString();
}

TEST(TreePanelEmpty, ADatabaseWithoutDisksShowsTheRootAlone) {
  TempFolder folder("emptydb");
  const std::string path = folder.at("empty.kvd");
  ASSERT_TRUE(ApiCreateDBase(ShortString(path)));
  setConfigFolder(folder.path() + "/");
  TFormSettings settings(folder.at("Vellomar.INI"));
  auto* window = new TFormDBase;
  window->show();
  ASSERT_TRUE(window->OpenDBase(path));
  window->IdleUpdate();
  EXPECT_TRUE(window->IsDBaseEmpty());
  EXPECT_EQ(window->diskPanel()->rowCount(), 1);
  ASSERT_EQ(window->treePanel()->itemCount(), 1);
  EXPECT_EQ(window->treePanel()->nodeAt(0), nullptr);
  EXPECT_EQ(window->filePanel()->lines().count(), 0);
  QTest::mouseClick(window->treePanel()->viewport(), Qt::LeftButton, Qt::NoModifier,
                    window->treePanel()->visualRect(window->treePanel()->itemAtIndex(0)).center());
  window->IdleUpdate();
  EXPECT_EQ(window->filePanel()->lines().count(), 0);
  delete window;
}

}  // namespace
}  // namespace vellomar::test
