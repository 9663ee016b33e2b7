#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTest>
#include <algorithm>
#include <filesystem>

#include "engine/api/UApi.h"
#include "tests/export/ExportCatalogue.h"
#include "tests/support/TempFolder.h"
#include "tests/ui/dbruns/RunCatalogues.h"
#include "tests/ui/support/BorrowedCatalogue.h"
#include "tests/ui/support/RecordingServices.h"
#include "tests/ui/support/Screenshots.h"
#include "ui/common/UPieGauge.h"
#include "ui/dbruns/FDiskExport.h"
#include "ui/dbruns/FFoundExport.h"
#include "ui/dbruns/FReindex.h"
#include "ui/dbruns/FRepair.h"
#include "ui/dbruns/UDialogExec.h"
#include "ui/print/FDiskPrint.h"

namespace vellomar {
namespace {

using vellomar::test::contentOf;

std::string templatePath(const std::string& name) {
  return std::string(VELLOMAR_EXPORT_DIR) + "/" + name;
}

class RunWindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::recorder().clear();
    testing::fixedDisplay();
  }
  void TearDown() override { setDialogExec({}); }

  // Answers the run's own dialogs: the scope dialog with this scope (clicked in the dialog), the
  // template dialog with this template and the output dialog with this file.
  void answerDialogs(int32_t scope, const std::string& templateName, const std::string& output) {
    setDialogExec([=, this](QDialog& dialog) -> int {
      auto* select = qobject_cast<TFormDiskPrintSelect*>(&dialog);
      if (select == nullptr) return QDialog::Rejected;
      scopeCaption_ = select->windowTitle().toStdString();
      shownWhenAsked_ = test::shownWindowTitles();
      selectedEnabled_ = select->RadioButtonSelectedDisks->isEnabled();
      QRadioButton* button = scope == 1   ? select->RadioButtonActDiskWhole
                             : scope == 2 ? select->RadioButtonSelectedDisks
                                          : select->RadioButtonActDiskDir;
      select->show();
      EXPECT_TRUE(QTest::qWaitForWindowExposed(select));
      QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
      test::saveScreenshot(select, "export-scope");
      QTest::mouseClick(select->ButtonOK, Qt::LeftButton);
      return select->result();
    });
    test::recorder().fileAnswers = {templateName.empty() ? "" : templatePath(templateName), output};
  }

  std::string scopeCaption_;
  std::vector<std::string> shownWhenAsked_;
  bool selectedEnabled_ = false;
  vellomar::test::TempFolder folder_{"windows"};
};

TEST_F(RunWindowsTest, CompressWindowRunsOnceAndCloses) {
  const std::string data = folder_.file("data.kvd", testing::catalogueBytes({"One", "Two"}));
  TFormReindex form;
  form.Job.Mode = ReindexMode::kCompress;
  form.Job.SourceName = data;
  form.exec();
  EXPECT_EQ(form.windowTitle().toStdString(), "Compressing database");
  EXPECT_EQ(form.Gauge->Progress(), 100);
  EXPECT_EQ(form.Gauge->color(), QColor(0, 128, 0));
  EXPECT_TRUE(test::recorder().boxes.empty());
  EXPECT_EQ(testing::diskNamesOf(data), (std::vector<std::string>{"One", "Two"}));
  test::saveScreenshot(&form, "compress-progress");

  const std::string text = folder_.file("text.kvd", "no database");
  form.Job.SourceName = text;
  form.exec();
  ASSERT_EQ(test::recorder().boxes.size(), 1u);
  EXPECT_EQ(test::recorder().boxes[0].caption, "Compression was not successful");
  EXPECT_EQ(test::recorder().boxes[0].icon, BoxIcon::kError);
}

TEST_F(RunWindowsTest, RepairWindow) {
  const std::string source = folder_.file("old.kvd", testing::catalogueBytes({"One"}));
  TFormRepair form;
  form.SourceName = source;
  form.TargetName = folder_.at("new.kvd");
  form.exec();
  EXPECT_EQ(form.windowTitle().toStdString(), "Repairing Database");
  EXPECT_EQ(form.Gauge->color(), QColor(128, 0, 0));
  // The closing box tells what the repair kept.
  ASSERT_EQ(test::recorder().boxes.size(), 1u);
  EXPECT_EQ(test::recorder().boxes[0].caption, "Database Repair");
  EXPECT_EQ(test::recorder().boxes[0].icon, BoxIcon::kInformation);
  EXPECT_NE(test::recorder().boxes[0].text.find("Recovered: 1 disk, "), std::string::npos);
  EXPECT_EQ(std::ranges::count(test::recorder().boxes[0].windowsShown, "Repairing Database"), 0)
      << "the progress window has gone before the box";
  EXPECT_EQ(testing::diskNamesOf(form.TargetName), std::vector<std::string>{"One"});
  test::saveScreenshot(&form, "repair-progress");

  // The file cut inside its last description block: the box names the disk that lost it.
  std::string cut = contentOf(source);
  cut.pop_back();
  test::recorder().clear();
  form.SourceName = folder_.file("cut.kvd", cut);
  form.TargetName = folder_.at("from-cut.kvd");
  form.exec();
  ASSERT_EQ(test::recorder().boxes.size(), 1u);
  EXPECT_EQ(test::recorder().boxes[0].icon, BoxIcon::kExclamation);
  EXPECT_NE(test::recorder().boxes[0].text.find("Disks that lost data: \"One\"."),
            std::string::npos)
      << test::recorder().boxes[0].text;

  test::recorder().clear();
  form.SourceName = source;
  form.TargetName = source;
  form.exec();
  ASSERT_EQ(test::recorder().boxes.size(), 1u);
  EXPECT_EQ(test::recorder().boxes[0].caption, "Database Repair");
  EXPECT_EQ(test::recorder().boxes[0].icon, BoxIcon::kError);
}

TEST_F(RunWindowsTest, DatabaseExportThroughATemplate) {
  testing::ExportCatalogue fixture;
  ASSERT_TRUE(ApiGoToDiskByName(fixture.handle(), "Alpha"));
  ASSERT_TRUE(ApiGoToPath(fixture.handle(), "\\docs"));
  const std::string output = folder_.at("alpha.htm");
  answerDialogs(1, "HTML Detailed.vefd", output);
  TFormDiskExport form;
  test::BorrowedCatalogue catalogue(fixture.handle());
  form.Catalogue = &catalogue.get();
  EXPECT_EQ(form.exec(), QDialog::Accepted);
  EXPECT_TRUE(test::recorder().boxes.empty());
  EXPECT_EQ(scopeCaption_, "Items To Be Exported");
  EXPECT_FALSE(selectedEnabled_) << "no disk is selected";
  EXPECT_EQ(std::ranges::count(shownWhenAsked_, "Export Database To Text Format"), 0)
      << "no empty progress window behind the question";
  const auto& offered = test::recorder().fileDialogs;
  ASSERT_EQ(offered.size(), 2u);
  EXPECT_EQ(offered[0].title, "Select Export Format");
  EXPECT_EQ(offered[0].filter, "Export Format for Database (*.vefd);;All files (*)");
  EXPECT_TRUE(offered[0].folder.ends_with("/Export"));
  EXPECT_EQ(offered[1].title, "Save Exported Data To File");
  EXPECT_EQ(offered[1].folder,
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation).toStdString())
      << "the user's documents, not the templates, on the first export";
  EXPECT_EQ(offered[1].filter, "HTML pages (*.htm *.html);;All files (*)");
  EXPECT_EQ(offered[1].defaultSuffix, "htm");
  EXPECT_TRUE(offered[1].overwritePrompt);
  const std::string html = contentOf(output);
  EXPECT_NE(html.find("<h2>Disk Alpha</h2>"), std::string::npos);
  EXPECT_EQ(html.find("Disk Beta"), std::string::npos) << "the current disk only";
  EXPECT_NE(html.find("readme.txt"), std::string::npos) << "the whole disk, not its folder";
  EXPECT_TRUE(html.ends_with("</html>\r\n"));
  EXPECT_TRUE(form.LabelWhatDoing->text().startsWith("Processed 8 files, written "))
      << form.LabelWhatDoing->text().toStdString();
  test::saveScreenshot(&form, "disk-export-progress");
}

TEST_F(RunWindowsTest, ATemplateWithoutItsMarkerExportsNothing) {
  testing::ExportCatalogue fixture;
  const std::string output = folder_.at("out.txt");
  const std::string notATemplate = folder_.file("plain.vefd", "<<on file>>\n<<filename>>\n");
  answerDialogs(4, "", output);
  test::recorder().fileAnswers = {notATemplate, output};
  TFormDiskExport form;
  test::BorrowedCatalogue catalogue(fixture.handle());
  form.Catalogue = &catalogue.get();
  EXPECT_EQ(form.exec(), QDialog::Rejected);
  ASSERT_EQ(test::recorder().boxes.size(), 1u);
  EXPECT_EQ(test::recorder().boxes[0].caption, "Error");
  EXPECT_EQ(test::recorder().boxes[0].text,
            "This file does not contain valid data for Vellomar export.");
  EXPECT_FALSE(std::filesystem::exists(output));
}

// A list of three free-space lines, the middle one selected.
struct FreeSpaceList {
  ExportListLine operator()(int32_t i) const {
    static const std::string names[] = {"Alpha", "Beta", "Gamma"};
    return {{}, names[i], {}, 1000 * (i + 1), 100 * (i + 1), i == 1};
  }
};

TEST_F(RunWindowsTest, ListExportAsksAboutTheSelectedLines) {
  const struct {
    BoxResult answer;
    const char* written;
  } cases[] = {
      {BoxResult::kYes, "Disk\tSize\tFree\tFree %\r\nBeta\t1.95 MB\t200.0 kB\t10%\r\n"},
      {BoxResult::kNo,
       "Disk\tSize\tFree\tFree %\r\nAlpha\t1,000.0 kB\t100.0 kB\t10%\r\n"
       "Beta\t1.95 MB\t200.0 kB\t10%\r\nGamma\t2.93 MB\t300.0 kB\t10%\r\n"},
      {BoxResult::kCancel, nullptr},
  };
  for (const auto& c : cases) {
    test::recorder().clear();
    test::recorder().answers.push_back(c.answer);
    const std::string output = folder_.at("space.txt");
    std::filesystem::remove(output);
    answerDialogs(0, "Tab delimited.vefs", output);
    TFormFoundExport form;
    form.Kind = ExportListKind::kFreeSpace;
    form.DBaseFileName = "/data/disks.kvd";
    form.LineCount = 3;
    form.LineAt = FreeSpaceList();
    form.exec();
    ASSERT_EQ(test::recorder().boxes.size(), 1u);
    EXPECT_EQ(test::recorder().boxes[0].caption, "Group of items is selected.");
    EXPECT_EQ(test::recorder().boxes[0].buttons, BoxButtons::kYesNoCancel);
    if (c.written == nullptr) {
      EXPECT_FALSE(std::filesystem::exists(output));
    } else {
      EXPECT_EQ(contentOf(output), c.written);
    }
  }
}

TEST_F(RunWindowsTest, ListExportCancelledStillEndsTheFile) {
  const std::string output = folder_.at("found.txt");
  answerDialogs(0, "Table in HTML.veff", output);
  testing::ExportCatalogue fixture;
  TOneFile entry;
  entry.Name = "a.txt";
  TFormFoundExport form;
  form.Kind = ExportListKind::kFoundFiles;
  test::BorrowedCatalogue catalogue(fixture.handle());
  form.Catalogue = &catalogue.get();
  form.DBaseFileName = "/data/disks.kvd";
  form.LineCount = 500;
  // The first 500 calls look for selected lines; then the export asks for lines 0, 1, 2.
  int calls = 0;
  form.LineAt = [&](int32_t) {
    if (++calls == 500 + 3) form.requestCancel();
    return ExportListLine{entry, "Disk", "\\", 0, 0, false};
  };
  form.exec();
  EXPECT_TRUE(test::recorder().boxes.empty()) << "nothing selected: no question";
  const std::string html = contentOf(output);
  EXPECT_TRUE(html.ends_with("</html>\r\n"));
  size_t rows = 0;
  for (size_t at = html.find("<td>a.txt"); at != std::string::npos;
       at = html.find("<td>a.txt", at + 1)) {
    ++rows;
  }
  EXPECT_EQ(rows, 3u) << "the loop stopped after the line that cancelled";
  test::saveScreenshot(&form, "list-export-progress");
}

}  // namespace
}  // namespace vellomar
