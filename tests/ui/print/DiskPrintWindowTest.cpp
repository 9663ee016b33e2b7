#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "engine/api/UApi.h"
#include "tests/support/CatalogueBuilder.h"
#include "tests/ui/print/PrintedPdf.h"
#include "tests/ui/support/BorrowedCatalogue.h"
#include "tests/ui/support/RecordingServices.h"
#include "tests/ui/support/Screenshots.h"
#include "ui/print/FDiskPrint.h"

namespace vellomar {
namespace {

// Runs act on the first modal dialog of type T once it is up (checked each time events run).
template <typename T>
void whenModal(const std::function<void(T*)>& act) {
  auto* timer = new QTimer;
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [timer, act] {
    if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
      timer->stop();
      timer->deleteLater();
      act(dialog);
    }
  });
  timer->start();
}

class DiskPrintWindow : public ::testing::Test {
 protected:
  DiskPrintWindow() {
    cat.setFiles(cat.newDisk("Alpha"), {{"a.txt", 10, 0}, {"b.txt", 20, 0}});
    cat.saveDisk();
    cat.setFiles(cat.newDisk("Beta"), {{"c.txt", 30, 0}});
    cat.saveDisk();
    cat.trees = TTreeSlots{};
    EXPECT_TRUE(ApiGoToDiskByName(&cat.handle, "Alpha"));
    test::recorder().clear();
  }
  ~DiskPrintWindow() override { setPrintTarget(nullptr); }

  test::TempFolder folder;
  testing::TestCatalogue cat;
  test::BorrowedCatalogue catalogue{&cat.handle};
};

TEST_F(DiskPrintWindow, ScopeDialogThenPrintToTheChosenTarget) {
  const std::string path = folder.at("disk.pdf");
  setPrintTarget(std::make_unique<test::PdfTarget>(path, TPrintChoice{}));
  TFormDiskPrint form(catalogue.get(), "catalogue");
  form.options() = test::printOptions();
  bool offeredSelected = true;
  QString caption;
  whenModal<TFormDiskPrintSelect>([&](TFormDiskPrintSelect* select) {
    caption = select->windowTitle();
    offeredSelected = select->RadioButtonSelectedDisks->isEnabled();
    EXPECT_TRUE(select->RadioButtonActDiskDir->isChecked());
    EXPECT_FALSE(form.isVisible()) << "no empty progress window behind the question";
    test::saveScreenshot(select, "print-selection");
    QTest::mouseClick(select->RadioButtonActDiskWhole, Qt::LeftButton);
    QTest::mouseClick(select->ButtonOK, Qt::LeftButton);
  });
  EXPECT_EQ(form.exec(), QDialog::Accepted);
  EXPECT_EQ(caption, "Print Selection");
  EXPECT_FALSE(offeredSelected);  // no disk is selected
  EXPECT_EQ(test::pdfPages(path), 1);
  EXPECT_TRUE(test::recorder().boxes.empty());
}

TEST_F(DiskPrintWindow, CancelInEitherDialogPrintsNothing) {
  const std::string path = folder.at("none.pdf");
  ApiSelectKey(&cat.handle, true, 1);
  for (bool cancelScope : {true, false}) {
    setPrintTarget(std::make_unique<test::PdfTarget>(path, TPrintChoice{}, false));
    TFormDiskPrint form(catalogue.get(), "catalogue");
    bool offeredSelected = false;
    whenModal<TFormDiskPrintSelect>([&](TFormDiskPrintSelect* select) {
      offeredSelected = select->RadioButtonSelectedDisks->isEnabled();
      QTest::mouseClick(cancelScope ? select->ButtonCancel : select->ButtonOK, Qt::LeftButton);
    });
    EXPECT_EQ(form.exec(), QDialog::Rejected);
    EXPECT_TRUE(offeredSelected);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));
  }
}

TEST_F(DiskPrintWindow, APrinterThatCannotBeOpenedEndsTheRunAsNotPrinted) {
  setPrintTarget(std::make_unique<test::PdfTarget>(folder.at("missing/disk.pdf"), TPrintChoice{}));
  TFormDiskPrint form(catalogue.get(), "catalogue");
  form.options() = test::printOptions();
  whenModal<TFormDiskPrintSelect>(
      [](TFormDiskPrintSelect* select) { QTest::mouseClick(select->ButtonOK, Qt::LeftButton); });
  EXPECT_EQ(form.exec(), QDialog::Rejected);
  ASSERT_EQ(test::recorder().boxes.size(), 1U);
  EXPECT_EQ(test::recorder().boxes[0].caption, "Error");
}

}  // namespace
}  // namespace vellomar
