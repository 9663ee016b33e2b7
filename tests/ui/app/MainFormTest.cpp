#include "ui/app/FMain.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <filesystem>

#include "engine/api/UApi.h"
#include "foundation/UExceptions.h"
#include "foundation/UIniFile.h"
#include "tests/support/TempFolder.h"
#include "tests/ui/support/RecordingServices.h"
#include "tests/ui/support/Screenshots.h"
#include "ui/app/FAbout.h"
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
  EXPECT_NE(db->catalogue().handle(), nullptr);
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
  EXPECT_TRUE(QTest::qWaitFor([&] { return main_->mdiArea()->subWindowList().isEmpty(); }));
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
  EXPECT_TRUE(QTest::qWaitFor([&] { return db.isNull(); }));
  ASSERT_EQ(closed.size(), 1);
  EXPECT_EQ(closed[0][0].toString().toStdString(), path);
  EXPECT_EQ(main_->IsDBaseOpen(path, false), nullptr);
  // The file is free again: it opens in a new window.
  EXPECT_NE(main_->OpenDBaseWindow(path), nullptr);
}

// The engine's error boxes reach the message service from the frame's creation on: a damaged
// catalogue opened at start-up reports before any window has asked for a service.
TEST_F(MainFormTest, EngineBoxesGoToTheMessageServiceFromTheStart) {
  SetMessageBoxHandler(nullptr);  // as at the program's start: standard error
  TMainForm form;
  ShowErrorBox("Database inconsistency was found.");
  ASSERT_EQ(test::recorder().boxes.size(), 1u);
  EXPECT_EQ(test::recorder().boxes[0].caption, "Error");
  EXPECT_EQ(test::recorder().boxes[0].text, "Database inconsistency was found.");
}

// The command line is read on the first idle pass; an error opens nothing.
TEST_F(MainFormTest, CommandLineOpensItsDatabaseOrNothing) {
  const std::string path = catalogue("disks.kvd");
  const std::string folder = folder_.at("folder.kvd");
  const std::string pipe = folder_.at("pipe.kvd");
  std::filesystem::create_directory(folder);
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  const struct {
    QStringList arguments;
    int windows;
    std::vector<std::string> boxes;
  } cases[] = {
      // The search runs in the new window; the database holds nothing to find.
      {{QString::fromStdString(path), "/f:readme"}, 1, {"No file found."}},
      {{QString::fromStdString(path), "other.kvd"}, 0, {"Invalid parameter: other.kvd"}},
      {{QString::fromStdString(path), "/f:x", "/s:c"},
       0,
       {"Options /f and /s cannot be mixed on command line."}},
      {{QString::fromStdString(folder_.at("missing.kvd"))},
       0,
       {"File does not exist: " + folder_.at("missing.kvd")}},
      // Named for what it is, never opened.
      {{QString::fromStdString(folder)}, 0, {folder + " is a folder, not a file."}},
      {{QString::fromStdString(pipe)}, 0, {pipe + " is a named pipe, not a file."}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments.join(' ').toStdString());
    test::recorder().clear();
    TMainForm form(c.arguments);
    form.AppIdle();
    int windows = 0;
    for (QMdiSubWindow* w : form.mdiArea()->subWindowList())
      if (auto* db = qobject_cast<TFormDBase*>(w); db != nullptr && !db->closing()) ++windows;
    EXPECT_EQ(windows, c.windows);
    std::vector<std::string> boxes;
    for (const test::RecordedBox& box : test::recorder().boxes) {
      boxes.push_back(box.text);
      EXPECT_EQ(box.caption,
                box.icon == BoxIcon::kInformation ? "Information" : "Error on command line");
    }
    EXPECT_EQ(boxes, c.boxes);
    EXPECT_TRUE(form.CmdFindText.empty()) << "run once, or dropped with the failed parse";
  }
}

}  // namespace
}  // namespace vellomar

namespace vellomar {
namespace {

// A result list as the search windows make them: it counts what the main window routes to it.
class FakeList : public TMdiChild {
 public:
  explicit FakeList(Kind kind) : kind_(kind) { setAttribute(Qt::WA_DeleteOnClose); }
  Kind kind() const override { return kind_; }
  void IdleUpdate() override { ++idles; }
  void TimerUpdate() override { ++ticks; }
  void SelectAll() override { ++selectAlls; }
  int idles = 0;
  int ticks = 0;
  int selectAlls = 0;

 private:
  Kind kind_;
};

class MainWindowTest : public MainFormTest {
 protected:
  FakeList* addList(TMdiChild::Kind kind, int tag) {
    auto* list = new FakeList(kind);
    list->Tag = tag;
    main_->mdiArea()->addSubWindow(list);
    list->show();
    main_->mdiArea()->setActiveSubWindow(list);
    return list;
  }
  bool enabled(Command c) { return main_->menuAction(c)->isEnabled(); }
};

TEST_F(MainWindowTest, IdlePassAndTimerGoToTheActiveChildOnly) {
  TFormDBase* db = main_->OpenDBaseWindow(catalogue("a.kvd"));
  FakeList* found = addList(TMdiChild::Kind::kFoundFiles, db->Tag);
  FakeList* other = addList(TMdiChild::Kind::kFoundEmpty, db->Tag);
  main_->mdiArea()->setActiveSubWindow(found);
  const int otherBefore = other->idles + other->ticks;
  int idles = found->idles;
  int ticks = found->ticks;
  main_->idleLoop().runIdlePass();
  main_->idleLoop().runTimerTick();
  EXPECT_EQ(found->idles, idles + 1);
  EXPECT_EQ(found->ticks, ticks + 1);
  EXPECT_EQ(other->idles + other->ticks, otherBefore);
  // The menus followed the change of the active child: a found-files list.
  EXPECT_TRUE(enabled(Command::PrintFoundFiles));
  EXPECT_TRUE(enabled(Command::ShowDBase));
  EXPECT_FALSE(enabled(Command::ScanDisk));
  EXPECT_FALSE(main_->toolButton(Command::ShowTree)->isEnabled());
  // With a dialog in front the children are left alone; the pass still runs.
  QDialog dialog(main_.get());
  QTimer::singleShot(0, &dialog, [&] {
    idles = found->idles;
    ticks = found->ticks;
    main_->idleLoop().runIdlePass();
    main_->idleLoop().runTimerTick();
    EXPECT_EQ(found->idles, idles);
    EXPECT_EQ(found->ticks, ticks);
    dialog.accept();
  });
  dialog.exec();
  // "With database" brings the list's database window to front; the list is then found.
  main_->runCommand(Command::ShowDBase);
  EXPECT_EQ(main_->activeDBase(), db);
  EXPECT_EQ(main_->FindFoundWindow(1), found);
  EXPECT_EQ(main_->FindFoundWindow(2), other);
  main_->AppIdle();
  EXPECT_TRUE(main_->toolButton(Command::ShowFound)->isEnabled());
}

TEST_F(MainWindowTest, ToolbarAndMenuFollowTheDatabaseWindow) {
  main_->AppIdle();
  EXPECT_FALSE(main_->toolButton(Command::ScanDisk)->isEnabled());
  EXPECT_FALSE(enabled(Command::CloseDBase));
  TFormDBase* db = main_->OpenDBaseWindow(catalogue("a.kvd"));
  main_->AppIdle();
  EXPECT_TRUE(main_->toolButton(Command::ScanDisk)->isEnabled());
  EXPECT_TRUE(main_->toolButton(Command::ShowTree)->isChecked());
  EXPECT_TRUE(main_->toolButton(Command::Brief)->isChecked());
  EXPECT_FALSE(main_->toolButton(Command::SearchName)->isEnabled());  // no disks yet
  EXPECT_TRUE(enabled(Command::CloseDBase));
  EXPECT_TRUE(enabled(Command::LocalOptions));
  EXPECT_FALSE(enabled(Command::RescanDisk));
  // The toolbar's tree button toggles the window's tree.
  QTest::mouseClick(main_->toolButton(Command::ShowTree), Qt::LeftButton);
  main_->AppIdle();
  EXPECT_FALSE(db->options().ShowTree);
  EXPECT_FALSE(main_->toolButton(Command::ShowTree)->isChecked());
  EXPECT_FALSE(db->OutlineTree()->isVisible());
  test::saveScreenshot(main_.get(), "main-window-tree-hidden");
  // With a result list in front the display buttons are off, none of them drawn pressed.
  addList(TMdiChild::Kind::kFoundFiles, db->Tag);
  main_->AppIdle();
  for (const Command c : {Command::ShowTree, Command::Brief, Command::Detailed}) {
    EXPECT_FALSE(main_->toolButton(c)->isEnabled());
    EXPECT_FALSE(main_->toolButton(c)->isChecked());
  }
  main_->mdiArea()->setActiveSubWindow(db);
  main_->AppIdle();
  EXPECT_TRUE(main_->toolButton(Command::Brief)->isChecked()) << "pressed again with the window";
}

TEST_F(MainWindowTest, MenuKeysGoThroughTheDispatcher) {
  main_->OpenDBaseWindow(catalogue("a.kvd"));
  FakeList* list = addList(TMdiChild::Kind::kFoundFiles, 0);
  list->setFocus();
  QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(list->selectAlls, 1);
  // The settings key opens the settings dialog; Escape closes it again.
  QTimer::singleShot(0, [] {
    ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; }));
    QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape);
  });
  QTest::keyClick(list, Qt::Key_F8);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

  // Ctrl+F4 closes the active child of either result kind, as Ctrl+W does.
  QApplication::setActiveWindow(main_.get());
  for (const TMdiChild::Kind kind : {TMdiChild::Kind::kFoundFiles, TMdiChild::Kind::kFoundEmpty}) {
    QPointer<FakeList> result = addList(kind, 0);
    ASSERT_EQ(main_->mdiArea()->activeSubWindow(), result.data());
    result->setFocus();
    QTest::keyClick(result, Qt::Key_F4, Qt::ControlModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return result.isNull(); })) << int(kind);
  }
}

// Alt+O opens the Options menu at every press, also after one of its commands ran: no hidden
// menu of the bar shares its key.
TEST_F(MainWindowTest, AltOOpensTheOptionsMenuAtEveryPress) {
  main_->OpenDBaseWindow(catalogue("a.kvd"));
  main_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(main_.get()));
  main_->runCommand(Command::Detailed);
  QMenu* options = main_->menu("MenuOptions");
  for (int press = 1; press <= 4; ++press) {
    QTest::keyClick(main_.get(), Qt::Key_O, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return options->isVisible(); })) << "press " << press;
    options->close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !options->isVisible(); }));
  }
}

TEST_F(MainWindowTest, NewDatabaseThroughTheFileDialog) {
  const std::string name = folder_.at("new.kvd");
  test::recorder().fileAnswers.push_back(name);
  main_->runCommand(Command::New);
  ASSERT_EQ(test::recorder().fileDialogs.size(), 1u);
  const FileDialogRequest& asked = test::recorder().fileDialogs[0];
  EXPECT_EQ(asked.title, "New Database");
  EXPECT_EQ(asked.fileName, "NoName.kvd");
  EXPECT_EQ(asked.defaultSuffix, "kvd");
  TFormDBase* db = main_->activeDBase();
  ASSERT_NE(db, nullptr);
  EXPECT_EQ(db->filePath(), name);
  EXPECT_EQ(main_->recentFiles().LastOpened, name);
  EXPECT_EQ(main_->recentFiles().LastDir, folder_.path());

  // The same name again: refused while it is open.
  test::recorder().fileAnswers.push_back(name);
  main_->runCommand(Command::New);
  ASSERT_EQ(test::recorder().boxes.size(), 1u);
  EXPECT_EQ(test::recorder().boxes[0].caption, "Cannot create");
  EXPECT_EQ(test::recorder().fileDialogs[1].folder, folder_.path());

  // Open of the open file brings its window to front and opens nothing twice.
  main_->OpenDBaseWindow(catalogue("b.kvd"));
  test::recorder().fileAnswers.push_back(name);
  main_->runCommand(Command::OpenDBase);
  EXPECT_EQ(main_->activeDBase(), db);
  EXPECT_EQ(main_->mdiArea()->subWindowList().size(), 2);
}

TEST_F(MainWindowTest, ClosedDatabasesFillTheRecentFilesMenu) {
  std::vector<std::string> names;
  for (const char* n : {"a.kvd", "b.kvd", "c.kvd"}) {
    names.push_back(catalogue(n));
    main_->OpenDBaseWindow(names.back());
  }
  for (const std::string& n : names) main_->IsDBaseOpen(n, false)->close();
  QMenu* file = main_->menu("MenuFile");
  auto item = [&](int i) {
    return file->findChild<QAction*>(QStringLiteral("MenuLastFile%1").arg(i));
  };
  EXPECT_EQ(item(1)->text().toStdString(), names[2]);
  EXPECT_EQ(item(3)->text().toStdString(), names[0]);
  EXPECT_TRUE(item(3)->isVisible());
  EXPECT_FALSE(item(4)->isVisible());
  // Choosing one opens it and takes it out of the list.
  item(2)->trigger();
  ASSERT_NE(main_->activeDBase(), nullptr);
  EXPECT_EQ(main_->activeDBase()->filePath(), names[1]);
  EXPECT_EQ(main_->recentFiles().entry(1), names[0]);
  EXPECT_FALSE(item(3)->isVisible());
}

TEST_F(MainWindowTest, TheLastOpenedDatabaseOpensAtTheNextStartWhileItWasOpenAtExit) {
  const std::string a = catalogue("a.kvd");
  const std::string b = catalogue("b.kvd");
  test::recorder().fileAnswers = {a, b};
  main_->runCommand(Command::OpenDBase);
  main_->runCommand(Command::OpenDBase);
  main_->close();  // b is still open: it stays the last opened
  main_.reset();
  main_ = std::make_unique<TMainForm>();
  main_->show();
  main_->AppIdle();
  ASSERT_NE(main_->activeDBase(), nullptr);
  EXPECT_EQ(main_->activeDBase()->filePath(), b);
  EXPECT_EQ(main_->recentFiles().entry(0), a);

  // Closed before the exit: the next start opens nothing.
  main_->activeDBase()->close();
  main_->close();
  main_.reset();
  main_ = std::make_unique<TMainForm>();
  main_->show();
  main_->AppIdle();
  EXPECT_TRUE(main_->mdiArea()->subWindowList().isEmpty());
  EXPECT_TRUE(test::recorder().boxes.empty());
}

TEST_F(MainWindowTest, AboutBox) {
  QTimer::singleShot(0, [] {
    auto* about = qobject_cast<TFormAbout*>(QApplication::activeModalWidget());
    ASSERT_NE(about, nullptr);
    test::saveScreenshot(about, "about");
    EXPECT_EQ(about->focusWidget(), about->ButtonOK);
    // The text lies wholly in its label inside the box's fixed size.
    const QLabel& label = *about->LabelAbout;
    const QRect room = label.contentsRect();
    const QRect needed = label.fontMetrics().boundingRect(
        room, label.wordWrap() ? int(Qt::TextWordWrap) : 0, label.text());
    EXPECT_LE(needed.width(), room.width());
    EXPECT_LE(needed.height(), room.height());
    EXPECT_LE(label.geometry().right(), about->ButtonOK->geometry().left());
    QTest::keyClick(about->ButtonOK, Qt::Key_F1);
    QTest::mouseClick(about->ButtonMoreInfo, Qt::LeftButton);
    QTest::mouseClick(about->ButtonOK, Qt::LeftButton);
  });
  main_->runCommand(Command::About);
  EXPECT_EQ(test::recorder().helpContexts,
            (std::vector<int>{TFormAbout::kHelpContext, TFormAbout::kHelpContext}));
}

}  // namespace
}  // namespace vellomar
