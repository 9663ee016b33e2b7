#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <filesystem>
#include <memory>

#include "engine/api/UApi.h"
#include "foundation/UIniFile.h"
#include "tests/support/CatalogueBuilder.h"
#include "tests/ui/print/PrintedPdf.h"
#include "tests/ui/support/RecordingServices.h"
#include "tests/ui/support/Screenshots.h"
#include "ui/dbase/FDBase.h"
#include "ui/dbase/FDBasePopups.h"
#include "ui/settings/FSettings.h"

namespace vellomar {
namespace {

// A database window over a catalogue of disk "Alpha" with the folders "docs" and "music".
class DBaseWindowPopups : public ::testing::Test {
 protected:
  void SetUp() override {
    test::recorder().clear();
    setConfigFolder(settingsFolder.path());
    settings = std::make_unique<TFormSettings>(settingsFolder.at(kProgramIniName));
    TDirCollection& root = cat.newDisk("Alpha");
    testing::TestCatalogue::addFolder(root, "docs");
    testing::TestCatalogue::addFolder(root, "music");
    cat.saveDisk();
    cat.trees = TTreeSlots{};
  }
  void TearDown() override { setPrintTarget(nullptr); }

  // The window opens a copy: the catalogue stays open in the builder.
  std::unique_ptr<TFormDBase> open(bool readOnly = false) {
    cat.reopen(readOnly);
    const std::string copy = settingsFolder.at(readOnly ? "readonly.kvd" : "catalogue.kvd");
    std::filesystem::copy_file(cat.path(), copy, std::filesystem::copy_options::overwrite_existing);
    auto form = std::make_unique<TFormDBase>();
    EXPECT_TRUE(form->OpenDBase(copy));
    EXPECT_TRUE(ApiGoToDisk(form->catalogue().handle(), 0));
    return form;
  }

  static QAction* item(QWidget* panel, const char* name) {
    TPanelPopup* popup = panelPopup(panel);
    if (popup == nullptr) return nullptr;
    popup->refresh();
    return popup->menu()->findChild<QAction*>(name);
  }

  test::TempFolder settingsFolder;
  std::unique_ptr<TFormSettings> settings;
  testing::TestCatalogue cat;
};

TEST_F(DBaseWindowPopups, DiskItemsFollowTheDatabaseBeingWritable) {
  struct Case {
    bool readOnly;
    bool enabled;
  };
  for (const Case c : {Case{false, true}, Case{true, false}}) {
    std::unique_ptr<TFormDBase> form = open(c.readOnly);
    EXPECT_EQ(form->readOnly(), c.readOnly);
    QWidget* disks = form->DrawGridDisks();
    ASSERT_NE(item(disks, "MenuDeleteDisk"), nullptr);
    EXPECT_EQ(item(disks, "MenuDeleteDisk")->isEnabled(), c.enabled);
    EXPECT_EQ(item(disks, "MenuRenameDisk")->isEnabled(), c.enabled);
    // The current disk is not deleted.
    EXPECT_FALSE(item(disks, "MenuUndeleteDisk")->isEnabled());
    EXPECT_TRUE(item(disks, "MenuCopyDisk")->isEnabled());
    EXPECT_EQ(item(disks, "MenuPrintDisks")->text(), "&Print disks...\tCtrl+P");
  }
}

TEST_F(DBaseWindowPopups, TreeAndFileItemsAreCheckedByTheWindowOptions) {
  std::unique_ptr<TFormDBase> form = open();
  for (bool shown : {false, true}) {
    form->options().ShowTree = shown;
    EXPECT_EQ(item(form->OutlineTree(), "MenuShowTree")->isChecked(), shown);
  }
  const char* sorts[] = {"MenuSortName", "MenuSortExt", "MenuSortTime", "MenuSortSize"};
  for (uint8_t criterion = 0; criterion < 4; ++criterion) {
    form->options().SortCrit = criterion;
    for (uint8_t other = 0; other < 4; ++other) {
      EXPECT_EQ(item(form->DrawGridFiles(), sorts[other])->isChecked(), other == criterion);
    }
  }
  for (uint8_t mode : {0, 1}) {
    form->options().DisplayMode = mode;
    EXPECT_EQ(item(form->DrawGridFiles(), "MenuBrief")->isChecked(), mode == 0);
    EXPECT_EQ(item(form->DrawGridFiles(), "MenuDetailed")->isChecked(), mode == 1);
  }
  // The items run the window's commands.
  item(form->DrawGridFiles(), "MenuSortSize")->trigger();
  EXPECT_EQ(form->options().SortCrit, 3);
  item(form->DrawGridFiles(), "MenuHelpFiles")->trigger();
  item(form->OutlineTree(), "MenuHelpTree")->trigger();
  EXPECT_EQ(test::recorder().helpContexts, (std::vector<int>{170, 160}));
}

TEST_F(DBaseWindowPopups, CopyPutsTheCurrentDiskOnTheClipboard) {
  std::unique_ptr<TFormDBase> form = open();
  form->show();
  item(form->DrawGridDisks(), "MenuCopyDisk")->trigger();
  EXPECT_EQ(test::recorder().clipboard, "Alpha\r\n");
}

TEST_F(DBaseWindowPopups, PrintTreeFromItsPopup) {
  std::unique_ptr<TFormDBase> form = open();
  form->options().Fonts[kPrintFont] = test::printOptions().Fonts[kPrintFont];
  form->options().FontSizes[kPrintFont] = 10;
  const std::string path = settingsFolder.at("tree.pdf");
  auto target = std::make_unique<test::PdfTarget>(path, TPrintChoice{});
  test::PdfTarget* chosen = target.get();
  setPrintTarget(std::move(target));
  form->show();
  item(form->OutlineTree(), "MenuPrintTree")->trigger();
  EXPECT_TRUE(chosen->offeredSelection);
  EXPECT_EQ(test::pdfPages(path), 1);
  EXPECT_TRUE(form->isEnabled());
  EXPECT_TRUE(test::recorder().boxes.empty());
}

TEST_F(DBaseWindowPopups, PrintPanelByTheFocusedPanel) {
  std::unique_ptr<TFormDBase> form = open();
  form->options().Fonts[kPrintFont] = test::printOptions().Fonts[kPrintFont];
  form->options().FontSizes[kPrintFont] = 10;
  form->show();
  QApplication::setActiveWindow(form.get());
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  auto* other = new QLineEdit(form.get());  // a control that is no panel
  other->show();
  struct Case {
    QWidget* focus;
    int kind;
    bool prints;
  };
  const Case cases[] = {{form->OutlineTree(), 0, true},
                        {other, 0, false},
                        {other, 2, true},
                        {form->OutlineTree(), 7, false}};
  int n = 0;
  for (const Case& c : cases) {
    const std::string path = settingsFolder.at("tree" + std::to_string(++n) + ".pdf");
    setPrintTarget(std::make_unique<test::PdfTarget>(path, TPrintChoice{}));
    c.focus->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return c.focus->hasFocus(); })) << n;
    form->PrintPanel(c.kind);
    EXPECT_EQ(std::filesystem::exists(path), c.prints) << n;
  }
}

}  // namespace
}  // namespace vellomar
