#include <gtest/gtest.h>

#include <QPrinter>
#include <string>
#include <vector>

#include "engine/api/UApi.h"
#include "foundation/UBaseUtils.h"
#include "tests/support/CatalogueBuilder.h"
#include "tests/ui/print/PrintedPdf.h"
#include "tests/ui/support/BorrowedCatalogue.h"
#include "tests/ui/support/RecordingServices.h"
#include "ui/print/UCatalogPrint.h"

namespace vellomar {
namespace {

using test::pdfPage;
using test::pdfPages;
using test::recorder;

// A catalogue of one disk "Alpha" whose root holds `files` files, or with folders, that many
// subfolders of `files` files each.
class PrintCatalogue {
 public:
  explicit PrintCatalogue(int files, int folders = 0) {
    TDirCollection& root = cat.newDisk("Alpha");
    std::vector<testing::FileSpec> specs;
    const auto time = static_cast<int32_t>(EncodeDosDateTime({2025, 3, 14, 10, 20, 30}));
    for (int i = 0; i < files; ++i) {
      specs.push_back({"file" + std::to_string(1000 + i) + ".txt", 1000u + i, time});
    }
    if (folders == 0) cat.setFiles(root, specs);
    for (int i = 0; i < folders; ++i) {
      cat.setFiles(testing::TestCatalogue::addFolder(root, "dir" + std::to_string(i)), specs);
    }
    cat.saveDisk();
    cat.trees = TTreeSlots{};
    EXPECT_TRUE(ApiGoToDiskByName(&cat.handle, "Alpha"));
  }
  TDBase* handle() { return &cat.handle; }
  testing::TestCatalogue cat;
};

// Records what the progress window would show; answers abort from a chosen status text on.
class RecordingStatus : public TCatalogPrintStatus {
 public:
  void showWhat(const std::string& text) override {
    whats.push_back(text);
    if (text == abortAt) aborting = true;
  }
  void showProgress(int32_t, int32_t files, int32_t) override { filesRead = files; }
  bool abortRequested() override {
    answeredAbort = aborting;
    return aborting;
  }
  std::vector<std::string> whats;
  std::string abortAt;
  bool aborting = false;
  bool answeredAbort = false;
  int32_t filesRead = 0;
};

struct PrintRun {
  TPrintResult result;
  int estimate;
  int pages;
};

PrintRun printTo(PrintCatalogue& catalogue, const std::string& path, const TPrintChoice& choice,
                 RecordingStatus& status) {
  QPrinter printer(QPrinter::HighResolution);
  test::makePdfPrinter(printer, path);
  test::BorrowedCatalogue borrowed(catalogue.handle());
  TCatalogPrint run(borrowed.get(), "Catalogue", test::printOptions(), status);
  const TPrintResult result = run.run(printer, choice, kPrintScopeWholeDisk);
  return {result, run.estimate(), 0};
}

PrintRun printTo(PrintCatalogue& catalogue, const std::string& path, const TPrintChoice& choice) {
  RecordingStatus status;
  PrintRun run = printTo(catalogue, path, choice, status);
  run.pages = pdfPages(path);
  return run;
}

TEST(PageEstimate, LinesOverLinesPerPage) {
  // 60 lines of 10 pixels per page of 630 pixels.
  EXPECT_EQ(PageEstimate(200, 630, 10), 4);
  EXPECT_EQ(PageEstimate(400, 630, 10), 7);
  EXPECT_EQ(PageEstimate(0, 630, 10), 1);
  // A page with room for no line counts one line per page.
  EXPECT_EQ(PageEstimate(5, 20, 10), 6);
  EXPECT_EQ(PageEstimate(5, 100, 0), 6);
}

TEST(CatalogPrint, PageCountWarningAboveFivePages) {
  test::TempFolder folder;
  PrintCatalogue small(200);
  recorder().clear();
  const PrintRun few = printTo(small, folder.at("few.pdf"), TPrintChoice{});
  EXPECT_EQ(few.result, TPrintResult::kPrinted);
  EXPECT_TRUE(recorder().boxes.empty());
  EXPECT_LE(few.estimate, 5);
  // The estimate counts the whole sheet; the margins, headers and titles take a page more.
  EXPECT_GE(few.pages, few.estimate);
  EXPECT_LE(few.pages, few.estimate + 1);

  PrintCatalogue large(400);
  recorder().answers = {BoxResult::kNo};
  const PrintRun declined = printTo(large, folder.at("declined.pdf"), TPrintChoice{});
  EXPECT_EQ(declined.result, TPrintResult::kCancelled);
  ASSERT_EQ(recorder().boxes.size(), 1u);
  EXPECT_EQ(recorder().boxes[0].caption, "Warning");
  EXPECT_EQ(recorder().boxes[0].text, "Expected number of pages is " +
                                          std::to_string(declined.estimate) +
                                          ". Are you sure you want to print them all?");
  EXPECT_GT(declined.estimate, 5);

  recorder().clear();
  recorder().answers = {BoxResult::kYes};
  const PrintRun accepted = printTo(large, folder.at("accepted.pdf"), TPrintChoice{});
  EXPECT_EQ(accepted.result, TPrintResult::kPrinted);
  EXPECT_GE(accepted.pages, accepted.estimate);

  // A range of pages is printed without the question.
  recorder().clear();
  TPrintChoice range;
  range.Range = TPrintRange::kPages;
  range.FromPage = 1;
  range.ToPage = 2;
  EXPECT_EQ(printTo(large, folder.at("range.pdf"), range).pages, 2);
  EXPECT_TRUE(recorder().boxes.empty());
}

TEST(CatalogPrint, PageRangePrintsThosePagesOnly) {
  test::TempFolder folder;
  PrintCatalogue catalogue(300);
  const std::string allPath = folder.at("all.pdf");
  recorder().answers = {BoxResult::kYes};
  const PrintRun all = printTo(catalogue, allPath, TPrintChoice{});
  ASSERT_GE(all.pages, 5);

  TPrintChoice choice;
  choice.Range = TPrintRange::kPages;
  choice.FromPage = 3;
  choice.ToPage = 4;
  const std::string rangePath = folder.at("range.pdf");
  RecordingStatus status;
  printTo(catalogue, rangePath, choice, status);
  ASSERT_EQ(pdfPages(rangePath), 2);
  const std::vector<std::string> expected = {"Preparing to print...", "Printing page 1",
                                             "Skipping page 2", "Printing page 3",
                                             "Printing page 4"};
  ASSERT_GE(status.whats.size(), expected.size());
  EXPECT_EQ(std::vector<std::string>(status.whats.begin(), status.whats.begin() + 5), expected);
  EXPECT_EQ(status.whats.back(), "Printing page 4") << "nothing is laid out past the range";
  // The sheets are pages 3 and 4 of the whole print: skipped pages left nothing on them.
  for (int page = 3; page <= 4; ++page) {
    EXPECT_EQ(test::withoutFooter(pdfPage(rangePath, page - 2)),
              test::withoutFooter(pdfPage(allPath, page)))
        << page;
  }
  // Every printed page has its header (title and rule) and its footer.
  for (int page = 1; page <= all.pages; ++page) {
    const QImage image = pdfPage(allPath, page);
    EXPECT_TRUE(test::inked(image, 0.03, 0.06)) << page;
    EXPECT_TRUE(test::inked(image, 0.93, 0.97)) << page;
  }
  if (const char* dir = std::getenv("VELLOMAR_SCREENSHOTS")) {
    pdfPage(allPath, 1).save(QString::fromUtf8(dir) + "/printed-catalogue-page1.png");
  }
}

TEST(CatalogPrint, CopiesPrintIdenticalPagesEachFromTheTop) {
  test::TempFolder folder;
  PrintCatalogue catalogue(150);
  const std::string onePath = folder.at("one.pdf");
  const int single = printTo(catalogue, onePath, TPrintChoice{}).pages;
  ASSERT_GE(single, 2);
  TPrintChoice two;
  two.Copies = 2;
  const std::string twoPath = folder.at("two.pdf");
  ASSERT_EQ(printTo(catalogue, twoPath, two).pages, 2 * single);
  for (int page = 1; page <= single; ++page) {
    const QImage first = pdfPage(twoPath, page);
    EXPECT_EQ(first, pdfPage(twoPath, page + single)) << page;
    EXPECT_EQ(test::withoutFooter(first), test::withoutFooter(pdfPage(onePath, page)));
  }
}

// A name column not adjusted to the names fits the widest of all the names, wherever it stands
// among names that are longer but narrower.
TEST(CatalogPrint, TheNameColumnFitsTheWidestName) {
  const std::vector<std::string> names = {
      "WWWWWWWWWWWWWWWW.txt", "iiiiiiiiiiiiiiiiiiiiiiii.txt",
      "\xc3\x84\xc3\x84\xc3\x84\xc3\x84\xc3\x84\xc3\x84\xc3\x84\xc3\x84\xc3\x84.txt"};
  for (size_t widestAt = 0; widestAt < 3; ++widestAt) {
    testing::TestCatalogue cat;
    TDirCollection& root = cat.newDisk("Alpha");
    std::vector<testing::FileSpec> specs;
    for (int i = 0; i < 300; ++i) specs.push_back({"f" + std::to_string(i) + ".txt", 1, 0});
    // The three wide or long names at three places of the list in turn.
    for (size_t n = 0; n < 3; ++n) {
      specs.insert(specs.begin() + static_cast<std::ptrdiff_t>(((n + widestAt) % 3) * 100),
                   {names[n], 1, 0});
    }
    cat.setFiles(root, specs);
    cat.saveDisk();
    cat.trees = TTreeSlots{};
    ASSERT_TRUE(ApiGoToDiskByName(&cat.handle, "Alpha"));

    test::TempFolder folder;
    QPrinter printer(QPrinter::HighResolution);
    test::makePdfPrinter(printer, folder.at("widest.pdf"));
    int32_t widest = 0;
    {
      TPrinter measuring(printer);
      ASSERT_TRUE(measuring.PrnInit(test::printOptions()));
      // The walk measures a name without its extension.
      for (const testing::FileSpec& spec : specs) {
        widest =
            std::max(widest, measuring.PrnTextWidth(spec.Name.substr(0, spec.Name.size() - 4)));
      }
      widest += measuring.PrnTextWidth(".MMM");
    }

    test::BorrowedCatalogue borrowed(&cat.handle);
    RecordingStatus status;
    TPrintChoice firstPage;
    firstPage.Range = TPrintRange::kPages;
    firstPage.FromPage = firstPage.ToPage = 1;
    TCatalogPrint run(borrowed.get(), "Catalogue", test::printOptions(), status);
    ASSERT_EQ(run.run(printer, firstPage, kPrintScopeWholeDisk), TPrintResult::kPrinted);
    EXPECT_EQ(run.nameColumnWidth(), widest) << widestAt;
  }
}

TEST(CatalogPrint, CancelStopsTheWalk) {
  test::TempFolder folder;
  PrintCatalogue catalogue(100, 6);
  recorder().answers = {BoxResult::kYes};
  RecordingStatus status;
  status.abortAt = "Printing page 2";
  const std::string path = folder.at("cancelled.pdf");
  EXPECT_EQ(printTo(catalogue, path, TPrintChoice{}, status).result, TPrintResult::kCancelled);
  EXPECT_TRUE(status.answeredAbort);
  // The walk stops at its first progress call after the cancel (every 100 lines), long before
  // the 600 lines of the disk.
  EXPECT_LT(status.filesRead, 300);
  EXPECT_EQ(status.whats.back(), "Printing page 2");
  EXPECT_EQ(pdfPages(path), 2);
}

}  // namespace
}  // namespace vellomar
