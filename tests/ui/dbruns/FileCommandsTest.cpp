#include <gtest/gtest.h>

#include <QFileDialog>
#include <filesystem>

#include "engine/UApi.h"
#include "tests/support/TempFolder.h"
#include "tests/ui/dbruns/RunCatalogues.h"
#include "tests/ui/support/RecordingServices.h"
#include "ui/dbruns/UDialogExec.h"
#include "ui/dbruns/UFileCommands.h"

namespace vellomar {
namespace {

class FileCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::recorder().clear();
    commands_.IsOpen = [this](const std::string& name) { return name == openName_; };
    commands_.LastDir = &lastDir_;
    // Every file dialog answers with the next name; the title each showed is kept.
    setDialogExec([this](QDialog& dialog) -> int {
      auto& files = static_cast<QFileDialog&>(dialog);
      titles_.push_back(files.windowTitle().toStdString());
      proposed_.push_back(files.selectedFiles().value(0).toStdString());
      if (answers_.empty()) return QDialog::Rejected;
      files.selectFile(QString::fromStdString(answers_.front()));
      answers_.erase(answers_.begin());
      return QDialog::Accepted;
    });
  }
  void TearDown() override { setDialogExec({}); }

  std::string catalogue(const std::string& name, const std::vector<std::string>& disks) {
    return folder_.file(name, testing::catalogueBytes(disks));
  }
  // A read-only export of a catalogue with one disk.
  std::string readOnlyCatalogue() {
    const std::string source = catalogue("source.kvd", {"One"});
    TDBase* db = nullptr;
    ShortString message;
    EXPECT_TRUE(ApiOpenDBase(ShortString(source), false, db, message));
    ApiGoToDisk(db, 0);
    const std::string target = folder_.at("runtime.kvd");
    answers_ = {target};
    MenuExportClick(commands_, db, ReindexMode::kExportReadOnly);
    ApiCloseDBase(db, false);
    return target;
  }
  std::string lastBox() const {
    const auto& boxes = test::recorder().boxes;
    return boxes.empty() ? std::string() : boxes.back().caption + ": " + boxes.back().text;
  }

  vellomar::test::TempFolder folder_{"commands"};
  DBaseFileCommands commands_;
  std::string lastDir_;
  std::string openName_;
  std::vector<std::string> answers_;
  std::vector<std::string> titles_;
  std::vector<std::string> proposed_;
};

TEST_F(FileCommandsTest, CompressRefusesOpenAndReadOnlyDatabases) {
  const std::string data = catalogue("data.kvd", {"One", "Two"});
  openName_ = data;
  answers_ = {data};
  MenuReindexClick(commands_);
  EXPECT_EQ(
      lastBox(),
      "Cannot compress: Database with this name is open - it must be closed for compression.");
  EXPECT_EQ(titles_.back(), "Compress Database");
  EXPECT_EQ(lastDir_, folder_.path());

  openName_.clear();
  answers_ = {readOnlyCatalogue()};
  MenuReindexClick(commands_);
  EXPECT_EQ(lastBox(),
            "Cannot compress: This database cannot be compressed, because it is a read-only "
            "database.");

  test::recorder().clear();
  answers_ = {data};
  MenuReindexClick(commands_);
  EXPECT_TRUE(test::recorder().boxes.empty());
  EXPECT_EQ(testing::diskNamesOf(data), (std::vector<std::string>{"One", "Two"}));
  EXPECT_FALSE(std::filesystem::exists(folder_.at("data.$$~")));
}

TEST_F(FileCommandsTest, RepairAndImportRefuseWhatTheyCannotRead) {
  const std::string text = folder_.file("text.kvd", "not a database at all");
  const std::string readOnly = readOnlyCatalogue();
  const struct {
    std::function<void()> command;
    std::string file;
    std::string box;
  } cases[] = {
      {[&] { MenuRepairClick(commands_); }, text,
       "Cannot continue: This file is either not a Vellomar database, or it has unrepairable "
       "header."},
      {[&] { MenuRepairClick(commands_); }, readOnly,
       "Cannot continue: This database cannot be repaired, as it is read-only database."},
      {[&] { MenuImportClick(commands_, nullptr); }, text,
       "Cannot import: This database cannot be imported. It is either corrupted or requires "
       "newer version of this program."},
      {[&] { MenuImportClick(commands_, nullptr); }, readOnly,
       "Cannot import: The database cannot be imported, because it is a read-only (protected) "
       "database."},
  };
  for (const auto& c : cases) {
    answers_ = {c.file};
    c.command();
    EXPECT_EQ(lastBox(), c.box);
  }
}

TEST_F(FileCommandsTest, ExportProposesItsNameAndRefusesAnOpenTarget) {
  const std::string data = catalogue("data.kvd", {"One"});
  TDBase* db = nullptr;
  ShortString message;
  ASSERT_TRUE(ApiOpenDBase(ShortString(data), false, db, message));
  openName_ = folder_.at("open.kvd");
  answers_ = {openName_};
  MenuExportClick(commands_, db, ReindexMode::kExport);
  EXPECT_EQ(titles_.back(), "Export Selected Disks To Database");
  EXPECT_TRUE(proposed_.back().ends_with("/Export.kvd"));
  EXPECT_EQ(lastBox(), "Cannot export: Database with this name is open - cannot be overwritten.");

  const std::string repaired = folder_.at("repaired.kvd");
  answers_ = {data, repaired};
  ApiCloseDBase(db, false);
  openName_.clear();
  MenuRepairClick(commands_);
  EXPECT_EQ(titles_.back(), "Save repaired database as:");
  EXPECT_EQ(testing::diskNamesOf(repaired), std::vector<std::string>{"One"});
}

}  // namespace
}  // namespace vellomar
