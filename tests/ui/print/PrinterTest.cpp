#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QTest>
#include <QTimer>

#include "tests/support/TempFolder.h"
#include "tests/ui/print/PrintedPdf.h"
#include "tests/ui/support/RecordingServices.h"
#include "tests/ui/support/Screenshots.h"
#include "ui/print/UPrinter.h"

namespace vellomar {
namespace {

using test::printOptions;

TEST(PageGeometry, FollowsResolutionAndMargins) {
  struct Case {
    TDeviceCaps caps;
    int32_t margin;
    TPageGeometry expected;
  };
  const TDeviceCaps a4at600{210, 297, 4960, 7016, 600};
  const Case cases[] = {
      {a4at600, 15, {4960, 7016, 236, 236, 24, 24, 354, 7016 - 354, 354, 4960 - 354}},
      {a4at600, 0, {4960, 7016, 236, 236, 24, 24, 0, 7016, 0, 4960}},
      // 300 / 127 * 10 = 23.62...; a tie (2.5 -> 2) rounds to even.
      {{127, 4, 300, 1}, 10, {300, 1, 24, 2, 3, 1, 2, 1 - 2, 24, 300 - 24}},
  };
  for (const Case& c : cases) {
    TGlobalOptions options;
    options.TopMargin = options.BottomMargin = options.LeftMargin = options.RightMargin = c.margin;
    const std::optional<TPageGeometry> g = ComputePageGeometry(c.caps, options);
    ASSERT_TRUE(g.has_value());
    const TPageGeometry& e = c.expected;
    EXPECT_EQ(g->PxPerCmX, e.PxPerCmX) << c.caps.HorzRes;
    EXPECT_EQ(g->PxPerCmY, e.PxPerCmY) << c.caps.VertRes;
    EXPECT_EQ(g->GapX, e.GapX);
    EXPECT_EQ(g->GapY, e.GapY);
    EXPECT_EQ(g->Left, e.Left);
    EXPECT_EQ(g->Right, e.Right);
    EXPECT_EQ(g->Top, e.Top);
    EXPECT_EQ(g->Bottom, e.Bottom);
  }
}

TEST(PageGeometry, PrinterWithoutPrintableSizeIsRefused) {
  EXPECT_FALSE(ComputePageGeometry({0, 297, 0, 7016, 600}, TGlobalOptions{}).has_value());
  EXPECT_FALSE(ComputePageGeometry({210, 0, 4960, 0, 600}, TGlobalOptions{}).has_value());
}

TEST(PrintRange, PagesAndFollowingSheets) {
  TPrintChoice pages;
  pages.Range = TPrintRange::kPages;
  pages.FromPage = 2;
  pages.ToPage = 3;
  EXPECT_FALSE(pages.inRange(1));
  EXPECT_TRUE(pages.inRange(2));
  EXPECT_TRUE(pages.inRange(3));
  EXPECT_FALSE(pages.inRange(4));
  EXPECT_TRUE(pages.pageFollows(2));
  EXPECT_FALSE(pages.pageFollows(3));  // no empty sheet after the last wanted page
  const TPrintChoice all;
  EXPECT_TRUE(all.inRange(999));
  EXPECT_TRUE(all.pageFollows(999));
}

TEST(PrintDialog, OffersPrintingToAPdfFile) {
  test::recorder().clear();
  QPrinter printer;
  TPrintChoice choice;
  bool toFile = false;
  QStringList printers;
  QTimer::singleShot(0, [&] {
    ASSERT_TRUE(QTest::qWaitFor(
        [] { return qobject_cast<QPrintDialog*>(QApplication::activeModalWidget()) != nullptr; }));
    auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
    toFile = dialog->testOption(QAbstractPrintDialog::PrintToFile);
    // Without a print queue the printer list holds only the PDF file.
    if (auto* list = dialog->findChild<QComboBox*>(QStringLiteral("printers"))) {
      for (int i = 0; i < list->count(); ++i) printers << list->itemText(i);
    }
    test::saveScreenshot(dialog, "print-dialog");
    QTest::keyClick(dialog, Qt::Key_F1);
    dialog->reject();
  });
  EXPECT_FALSE(printTarget().choose(nullptr, printer, choice, true));
  EXPECT_TRUE(toFile);
  EXPECT_FALSE(printers.isEmpty()) << "a printer to choose";
  EXPECT_EQ(test::recorder().helpContexts, std::vector<int>{320}) << "F1 opens its topic";
}

TEST(PrintText, Cp1252BytesOfOldCataloguesAreDecoded) {
  EXPECT_EQ(catalogueText("\x80 \x9F \xDC\xC8\xC1"), QString::fromUtf8("€ Ÿ ÜÈÁ"));
  EXPECT_EQ(catalogueText("Grüße"), QString::fromUtf8("Grüße"));
  EXPECT_EQ(catalogueText("\xE2\x82"), QString::fromUtf8("â‚"));  // a cut character, not UTF-8
}

TEST(Printer, ClippedTextIsCutAtItsRectangle) {
  test::TempFolder folder;
  const std::string path = folder.at("clip.pdf");
  {
    QPrinter qprinter(QPrinter::HighResolution);
    test::makePdfPrinter(qprinter, path);
    TPrinter printer(qprinter);
    ASSERT_TRUE(printer.PrnInit(printOptions()));
    ASSERT_TRUE(printer.PrnBeginDoc("Vellomar"));
    const TPageGeometry& g = printer.page();
    const int32_t half = (g.Right - g.Left) / 2;
    const std::string wide(400, 'M');
    ASSERT_GT(printer.PrnTextWidth(wide), g.Right - g.Left);
    printer.PrnTextOut(QRect(g.Left, g.Top, half, printer.LineHeight()), g.Left, g.Top, wide);
    printer.PrnEndDoc();
  }
  EXPECT_EQ(test::pdfPages(path), 1);
  const QImage page = test::pdfPage(path, 1);
  ASSERT_FALSE(page.isNull());
  // Ink on the left half of the first line, none right of the rectangle and none below it.
  const int row = page.height() * 5 / 100;
  bool leftInk = false, rightInk = false;
  for (int x = 0; x < page.width(); ++x) {
    for (int y = row - 10; y < row + 10; ++y) {
      if (qGray(page.pixel(x, y)) >= 128) continue;
      (x < page.width() / 2 ? leftInk : rightInk) = true;
    }
  }
  EXPECT_TRUE(leftInk);
  EXPECT_FALSE(rightInk);
  EXPECT_FALSE(test::inked(page, 0.1, 1.0));
}

}  // namespace
}  // namespace vellomar
