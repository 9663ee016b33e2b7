#include <gtest/gtest.h>

#include <QPrinter>
#include <memory>
#include <string>
#include <vector>

#include "engine/api/UApi.h"
#include "tests/support/CatalogueBuilder.h"
#include "tests/ui/print/PrintedPdf.h"
#include "ui/common/UCatalogueGateway.h"
#include "ui/print/UListPrint.h"

namespace vellomar {
namespace {

class SilentStatus : public TPrintStatus {
 public:
  void showWhat(const std::string& text) override { whats.push_back(text); }
  bool abortRequested() override { return false; }
  std::vector<std::string> whats;
};

std::vector<TOneTreeLine> treeOf(const std::vector<int32_t>& levels) {
  std::vector<TOneTreeLine> lines;
  for (int32_t level : levels) lines.push_back({level, "", "folder" + std::to_string(level)});
  ComputeTreeCodes(lines);
  return lines;
}

TEST(TreeCodes, SiblingsJunctionsAndLinesThrough) {
  // Root, A with a child, B, C: "+" "+" "L" in the subfolders' column, "I" beside A's child.
  const std::vector<TOneTreeLine> lines = treeOf({0, 1, 2, 1, 1});
  const std::vector<std::string> expected = {"", "+", "IL", "+", "L"};
  for (size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i].Lines, expected[i]) << i;
}

TEST(TreeCodes, TreesDeeperThan32Levels) {
  std::vector<int32_t> levels = {0};
  for (int32_t level = 1; level <= 40; ++level) levels.push_back(level);
  levels.push_back(1);  // a last sibling of the deep branch
  const std::vector<TOneTreeLine> lines = treeOf(levels);
  EXPECT_EQ(lines[1].Lines, "+");
  for (int32_t level = 2; level <= 40; ++level) {
    const std::string& codes = lines[static_cast<size_t>(level)].Lines;
    ASSERT_EQ(codes.size(), static_cast<size_t>(level));
    EXPECT_EQ(codes.front(), 'I') << level;
    EXPECT_EQ(codes.back(), 'L') << level;
  }
  EXPECT_EQ(lines.back().Lines, "L");
}

// A disk whose root holds "docs" (with "a" and "b", "a" with "deep") and "music".
class TreeCatalogue : public ::testing::Test {
 protected:
  TreeCatalogue() {
    TDirCollection& root = cat.newDisk("Alpha");
    TDirCollection& docs = testing::TestCatalogue::addFolder(root, "docs");
    testing::TestCatalogue::addFolder(testing::TestCatalogue::addFolder(docs, "a"), "deep");
    testing::TestCatalogue::addFolder(docs, "b");
    testing::TestCatalogue::addFolder(root, "music");
    cat.saveDisk();
    cat.trees = TTreeSlots{};
    EXPECT_TRUE(ApiGoToDiskByName(&cat.handle, "Alpha"));
  }
  testing::TestCatalogue cat;
};

TEST_F(TreeCatalogue, LinesComeFromTheEngineNodesWholeOrOneSubtree) {
  TDirCollection* root = ApiGetRootDirCol(&cat.handle);
  std::vector<TOneTreeLine> all = CollectTreeLines(root, nullptr);
  std::vector<std::pair<int32_t, std::string>> got;
  for (const TOneTreeLine& line : all) got.emplace_back(line.Level, line.Text);
  const std::vector<std::pair<int32_t, std::string>> expected = {
      {0, "\\"}, {1, "docs"}, {2, "a"}, {3, "deep"}, {2, "b"}, {1, "music"}};
  EXPECT_EQ(got, expected);

  ASSERT_TRUE(ApiGoToPath(&cat.handle, "\\docs"));
  std::vector<TOneTreeLine> docs = CollectTreeLines(root, ApiGetCurrentDirCol(&cat.handle));
  got.clear();
  for (const TOneTreeLine& line : docs) got.emplace_back(line.Level, line.Text);
  const std::vector<std::pair<int32_t, std::string>> docsOnly(expected.begin() + 1,
                                                              expected.begin() + 5);
  EXPECT_EQ(got, docsOnly);
}

int printTree(const std::vector<int32_t>& levels, const std::string& path) {
  QPrinter printer(QPrinter::HighResolution);
  test::makePdfPrinter(printer, path);
  SilentStatus status;
  EXPECT_EQ(PrintTreeLines(printer, TPrintChoice{}, test::printOptions(), treeOf(levels),
                           "catalogue", "Alpha", status),
            TPrintResult::kPrinted);
  return test::pdfPages(path);
}

TEST(TreePrint, TreeColumnsAcrossThePageAsTheyFit) {
  test::TempFolder folder;
  // 130 shallow folders fit in several tree columns on one page.
  std::vector<int32_t> shallow = {0};
  shallow.insert(shallow.end(), 130, 1);
  EXPECT_EQ(printTree(shallow, folder.at("shallow.pdf")), 1);
  // A branch 60 levels deep is wider than the page: one tree column per page.
  std::vector<int32_t> deep = {0};
  for (int32_t level = 1; level <= 60; ++level) deep.push_back(level);
  deep.insert(deep.end(), 70, 1);
  EXPECT_EQ(printTree(deep, folder.at("deep.pdf")), 3);
}

// `count` file lines "file1000.txt"....
TFileLines fileLines(int count) {
  TFileLines lines;
  for (int i = 0; i < count; ++i) {
    TOneFile entry;
    entry.Name = ShortString("file" + std::to_string(1000 + i) + ".txt");
    entry.Data.Size = 1000 + i;
    lines.add(entry);
  }
  return lines;
}

int printFiles(const TFileLines& owned, const TPrintChoice& choice, const std::string& path) {
  std::vector<const TOneFileLine*> lines;
  for (const TOneFileLine& line : owned) lines.push_back(&line);
  QPrinter printer(QPrinter::HighResolution);
  test::makePdfPrinter(printer, path);
  SilentStatus status;
  EXPECT_EQ(PrintFileLines(printer, choice, test::printOptions(), CatalogueGateway(), lines, 0,
                           "Alpha", "\\docs", status),
            TPrintResult::kPrinted);
  return test::pdfPages(path);
}

TEST(FileListPrint, PageRangeAndSelection) {
  test::TempFolder folder;
  TFileLines lines = fileLines(300);
  ASSERT_GE(printFiles(lines, TPrintChoice{}, folder.at("all.pdf")), 4);

  TPrintChoice pages;
  pages.Range = TPrintRange::kPages;
  pages.FromPage = 2;
  pages.ToPage = 3;
  EXPECT_EQ(printFiles(lines, pages, folder.at("pages.pdf")), 2);
  for (int page = 2; page <= 3; ++page) {
    EXPECT_EQ(test::withoutFooter(test::pdfPage(folder.at("pages.pdf"), page - 1)),
              test::withoutFooter(test::pdfPage(folder.at("all.pdf"), page)));
  }

  // The selected lines and the focused first one fill less than a page.
  for (int i : {100, 200, 299}) lines[static_cast<size_t>(i)].Flags |= kLineSelected;
  TPrintChoice selection;
  selection.Range = TPrintRange::kSelection;
  EXPECT_EQ(printFiles(lines, selection, folder.at("selection.pdf")), 1);
}

}  // namespace
}  // namespace vellomar
