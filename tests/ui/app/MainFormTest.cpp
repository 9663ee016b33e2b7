#include "ui/app/FMain.h"

#include <gtest/gtest.h>

#include <QMdiArea>
#include <QSignalSpy>
#include <QTest>
#include <filesystem>

#include "engine/UApi.h"
#include "tests/support/TempFolder.h"
#include "tests/ui/support/RecordingServices.h"
#include "tests/ui/support/Screenshots.h"
#include "ui/common/UIniFile.h"
#include "ui/dbase/FDBase.h"
#include "ui/settings/FSettings.h"

namespace vellomar {
namespace {

class MainFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::recorder().clear();
    setConfigFolder(folder_.path());
    settings_ = std::make_unique<TFormSettings>(folder_.at(kProgramIniName));
    main_ = std::make_unique<TMainForm>();
    main_->show();
    main_->AppIdle();  // the start-up pass
  }

  std::string catalogue(const std::string& name) {
    const std::string path = folder_.at(name);
    EXPECT_TRUE(ApiCreateDBase(ShortString(path)));
    return path;
  }

  int databaseWindows() {
    int n = 0;
    for (QMdiSubWindow* w : main_->mdiArea()->subWindowList())
      if (auto* db = qobject_cast<TFormDBase*>(w); db != nullptr && !db->closing()) ++n;
    return n;
  }

  test::TempFolder folder_;
  std::unique_ptr<TFormSettings> settings_;
  std::unique_ptr<TMainForm> main_;
};

TEST_F(MainFormTest, OpensACatalogueIntoADatabaseWindow) {
  const std::string path = catalogue("My Disks.kvd");
  TFormDBase* db = main_->OpenDBaseWindow(path);
  ASSERT_NE(db, nullptr);
  EXPECT_EQ(db->windowTitle().toStdString(), "My disks");
  EXPECT_NE(db->GetDBaseHandle(), nullptr);
  EXPECT_TRUE(db->IsDBaseEmpty());
  EXPECT_FALSE(db->readOnly());
  EXPECT_EQ(main_->activeDBase(), db);
  main_->AppIdle();
  test::saveScreenshot(main_.get(), "main-window-with-database");
  EXPECT_TRUE(test::recorder().boxes.empty());
}

TEST_F(MainFormTest, RefusedFileGivesOneBoxAndNoWindow) {
  const std::string path = folder_.file("not-a-catalogue.kvd", "just text, no header");
  EXPECT_EQ(main_->OpenDBaseWindow(path), nullptr);
  QTRY_COMPARE(main_->mdiArea()->subWindowList().size(), 0);
  ASSERT_EQ(test::recorder().boxes.size(), 1u);
  EXPECT_EQ(test::recorder().boxes[0].caption, "Error");
  EXPECT_EQ(test::recorder().boxes[0].icon, BoxIcon::kError);
}

TEST_F(MainFormTest, AlreadyOpenComparesCanonicalPaths) {
  const std::string path = catalogue("a.kvd");
  std::filesystem::create_directories(folder_.at("sub"));
  std::filesystem::create_symlink(path, folder_.at("link.kvd"));
  TFormDBase* db = main_->OpenDBaseWindow(path);
  ASSERT_NE(db, nullptr);
  EXPECT_EQ(main_->IsDBaseOpen(folder_.at("sub/../a.kvd"), false), db);
  EXPECT_EQ(main_->IsDBaseOpen(folder_.at("link.kvd"), false), db);
  // Names differ in case: another file on Linux.
  EXPECT_EQ(main_->IsDBaseOpen(folder_.at("A.kvd"), false), nullptr);
}

TEST_F(MainFormTest, ClosingTheWindowFreesItsDatabase) {
  const std::string path = catalogue("a.kvd");
  QPointer<TFormDBase> db = main_->OpenDBaseWindow(path);
  ASSERT_NE(db, nullptr);
  QSignalSpy closed(db.data(), &TFormDBase::databaseClosing);
  db->close();
  QTRY_VERIFY(db.isNull());
  ASSERT_EQ(closed.size(), 1);
  EXPECT_EQ(closed[0][0].toString().toStdString(), path);
  EXPECT_EQ(main_->IsDBaseOpen(path, false), nullptr);
  // The file is free again: it opens in a new window.
  EXPECT_NE(main_->OpenDBaseWindow(path), nullptr);
}

}  // namespace
}  // namespace vellomar
