#include "ui/dbase/FDBase.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QImage>
#include <QMdiArea>
#include <QTest>

#include "engine/UDBase.h"
#include "foundation/UExceptions.h"
#include "tests/support/TempFolder.h"
#include "tests/ui/support/RecordingServices.h"
#include "ui/dbase/FDiskPanel.h"
#include "ui/dbase/FFilePanel.h"
#include "ui/settings/FSettings.h"

namespace vellomar {
namespace {

class FormDBaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::recorder().clear();
    settings_ = std::make_unique<TFormSettings>(folder_.at("Vellomar.INI"));
    area_.resize(800, 600);
    area_.show();
    const std::string path = folder_.at("Disks.kvd");
    ASSERT_TRUE(ApiCreateDBase(ShortString(path)));
    db_ = new TFormDBase();
    area_.addSubWindow(db_);
    ASSERT_TRUE(db_->OpenDBase(path));
    db_->show();
  }

  QString status(int section) {
    return db_->headerBottom()->model()->headerData(section, Qt::Horizontal).toString();
  }

  test::TempFolder folder_;
  std::unique_ptr<TFormSettings> settings_;
  QMdiArea area_;
  TFormDBase* db_ = nullptr;
};

TEST_F(FormDBaseTest, AnEmptyDatabaseAndTheStatusBarsFirstPasses) {
  EXPECT_TRUE(db_->IsDBaseEmpty());
  EXPECT_EQ(db_->windowTitle(), "Disks");
  // The first pass loads the panels, whose file list sets the texts, and only measures.
  db_->IdleUpdate();
  EXPECT_EQ(status(0), "-");
  db_->setStatusTexts(" 1 folders, 2 files, 3 B", " a.txt   ");
  db_->IdleUpdate();
  EXPECT_EQ(status(1), " a.txt   ");
  EXPECT_EQ(status(0), " 1 folders, 2 files, 3 B");
  db_->setStatusTexts(" 1 folders, 2 files, 3 B", " caf\xE9.txt ");
  db_->IdleUpdate();
  EXPECT_EQ(status(1), QString::fromUtf8(" caf\xC3\xA9.txt ")) << "a CP1252 name of an old disk";
  // The status section spans the disk and tree columns.
  EXPECT_EQ(db_->headerBottom()->sectionSize(0),
            db_->headerTop()->sectionSize(0) + db_->headerTop()->sectionSize(1));
  // Subtotals wider than those columns widen the section: no word of them is cut.
  db_->setStatusTexts(" 1234/12345 folders, 12345/123456 files, 3.01 GB/3.01 GB", " a.txt   ");
  db_->IdleUpdate();
  EXPECT_GT(db_->headerBottom()->sectionSizeHint(0),
            db_->headerTop()->sectionSize(0) + db_->headerTop()->sectionSize(1));
  EXPECT_GE(db_->headerBottom()->sectionSize(0), db_->headerBottom()->sectionSizeHint(0));
}

// A grid with nothing in it still has a row; no current row is drawn there, focused or not.
TEST_F(FormDBaseTest, AnEmptyDatabaseHighlightsNoRow) {
  db_->IdleUpdate();
  for (DrawGrid* grid :
       {static_cast<DrawGrid*>(db_->diskPanel()), static_cast<DrawGrid*>(db_->filePanel())}) {
    grid->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return grid->hasFocus(); }));
    EXPECT_TRUE(grid->empty());
    const QImage image = grid->viewport()->grab().toImage();
    const QRgb highlight = grid->palette().color(QPalette::Highlight).rgb();
    bool highlighted = false;
    for (int y = 0; y < image.height() && !highlighted; ++y)
      for (int x = 0; x < image.width() && !highlighted; ++x)
        highlighted = image.pixel(x, y) == highlight;
    EXPECT_FALSE(highlighted) << grid->objectName().toStdString();
  }
}

TEST_F(FormDBaseTest, DamageIsReportedOncePerOccurrence) {
  db_->catalogue().handle()->DamageCounter = 2;
  db_->IdleUpdate();
  db_->IdleUpdate();
  ASSERT_EQ(test::recorder().boxes.size(), 1u);
  EXPECT_EQ(test::recorder().boxes[0].text,
            "Database inconsistency was found.\r\nClose the database and repair it.");
  EXPECT_EQ(test::recorder().boxes[0].caption, "Error");
}

TEST_F(FormDBaseTest, HidingTheTreeGivesItsWidthToTheFiles) {
  const int files = db_->headerTop()->sectionSize(2);
  const int tree = db_->headerTop()->sectionSize(1);
  ASSERT_GT(tree, 0);
  db_->ToggleShowTree();
  EXPECT_EQ(db_->headerTop()->sectionSize(1), 0);
  EXPECT_FALSE(db_->OutlineTree()->isVisible());
  db_->ToggleShowTree();  // the tree comes back at its width
  EXPECT_EQ(db_->headerTop()->sectionSize(1), tree);
  EXPECT_EQ(db_->headerTop()->sectionSize(2), files);
}

TEST_F(FormDBaseTest, AFatalFailureClosesOnlyThisWindow) {
  QPointer<TFormDBase> db(db_);
  EXPECT_FALSE(db_->Guarded([] { throw EKstvFatalException("Disk block cannot be written."); }));
  EXPECT_TRUE(db_->closing());
  ASSERT_EQ(test::recorder().boxes.size(), 1u);
  EXPECT_EQ(test::recorder().boxes[0].caption, "Critical error");
  EXPECT_FALSE(db_->Guarded([] {}));  // nothing runs while it closes
  EXPECT_TRUE(QTest::qWaitFor([&] { return db.isNull(); }));
  // A normal failure leaves a window open.
  auto* other = new TFormDBase();
  area_.addSubWindow(other);
  EXPECT_FALSE(other->Guarded([] { throw EKstvNormalException("Not found."); }));
  EXPECT_FALSE(other->closing());
  EXPECT_EQ(test::recorder().boxes.back().caption, "Error");
}

}  // namespace
}  // namespace vellomar
