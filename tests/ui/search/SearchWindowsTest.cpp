// The search commands of a database window on a catalogue made by the engine, with the
// search dialog, the run windows and the two result windows driven by real key and mouse
// events.
#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <algorithm>
#include <set>
#include <tuple>

#include "tests/support/CatalogueBuilder.h"
#include "tests/ui/dbase/PanelWindow.h"
#include "tests/ui/print/PrintedPdf.h"
#include "tests/ui/support/BorrowedCatalogue.h"
#include "ui/dialogs/FProgress.h"
#include "ui/grid/DrawGrid.h"
#include "ui/search/FFindFileDlg.h"
#include "ui/search/FFoundEmptyList.h"
#include "ui/search/FFoundFileList.h"
#include "ui/search/FSearchCommands.h"
#include "ui/search/FSearchRuns.h"
#include "ui/search/UFoundHint.h"
#include "ui/search/UFoundPrint.h"
#include "ui/settings/USettingsGlobals.h"

namespace vellomar::test {
namespace {

using Item = std::tuple<std::string, std::string, std::string>;  // disk, folder, name

class SearchWindows : public PanelWindowTest {
 protected:
  SearchWindows() {
    area_.resize(1100, 700);
    area_.addSubWindow(window_);
    area_.show();
    window_->show();
    area_.setActiveSubWindow(window_);
  }

  // "Find files" with the text typed into the Search dialog; edit changes the dialog first.
  void findFiles(const std::string& mask,
                 const std::function<void(TFormSearchFileDlg&)>& edit = {}) {
    onNextDialog<TFormSearchFileDlg>([mask, edit](TFormSearchFileDlg& d) {
      d.ComboBoxMask->setEditText(QString());
      QTest::keyClicks(d.ComboBoxMask->lineEdit(), QString::fromStdString(mask));
      if (edit) edit(d);
      QTest::mouseClick(d.ButtonOK, Qt::LeftButton);
    });
    window().FindFiles();
  }

  TFormFoundFileList* foundFiles() {
    return qobject_cast<TFormFoundFileList*>(findFoundWindow(&area_, window().Tag, 1));
  }
  TFormFoundEmptyList* foundEmpty() {
    return qobject_cast<TFormFoundEmptyList*>(findFoundWindow(&area_, window().Tag, 2));
  }
  int resultWindows() {
    int n = 0;
    for (QMdiSubWindow* sub : area_.subWindowList()) n += sub != window_.data() ? 1 : 0;
    return n;
  }

  // What the engine itself finds for the request, read from its found list.
  std::set<Item> engineFinds(const TSearchDlgData& request) {
    std::set<Item> items;
    ApiClearFound(db());
    ApiSearch(db(), request);
    TOneFile record;
    ShortString disk, folder, desc;
    for (int32_t i = 0; i < ApiFoundCount(db()); ++i) {
      EXPECT_TRUE(ApiGetFoundItem(db(), i, record, disk, folder, desc));
      items.insert({disk.str(), folder.str(), FullNameOf(record)});
    }
    ApiFreeFound(db());
    return items;
  }
  static std::set<Item> shown(const TFormFoundFileList& list) {
    std::set<Item> items;
    for (const TOneFLine& line : list.lines()) {
      items.insert({std::string(line.diskName()), std::string(line.folder()), line.nameExt()});
    }
    return items;
  }
  static std::vector<std::string> names(const TFormFoundFileList& list) {
    std::vector<std::string> out;
    for (const TOneFLine& line : list.lines()) out.push_back(line.nameExt());
    return out;
  }

  // A click on a header cell (right half or left half), then the idle pass that sorts.
  static void clickHeader(TFoundListBase& list, int col, bool rightHalf = false) {
    const QRect cell = list.Grid->cellRect(col, 0);
    // A quarter in from either side, away from the lines that resize the columns.
    const int x = rightHalf ? cell.right() - cell.width() / 4 : cell.left() + cell.width() / 4;
    const QPoint at(x, cell.center().y());
    QTest::mouseClick(list.Grid->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    list.IdleUpdate();
  }
  static void focusRow(TFoundListBase& list, int32_t line) {
    ASSERT_TRUE(list.Grid->moveTo(0, line + 1));
  }

  QMdiArea area_;
  TSearchDialogs dialogs_{nullptr};
};

TEST_F(SearchWindows, FindFilesShowsWhatTheEngineFindsAndReturnsToThePlace) {
  goToPath("\\Docs");
  const std::string diskBefore = currentDisk();
  findFiles("*.txt");
  TFormFoundFileList* list = foundFiles();
  ASSERT_NE(list, nullptr);
  saveScreenshot(list, "found-files-window");
  EXPECT_EQ(list->windowTitle().toStdString(), "*.txt: panels");
  const TSearchDlgData request = FormSearchFileDlg->DlgData;
  EXPECT_EQ(currentDisk(), diskBefore);
  EXPECT_EQ(currentPath(), "\\Docs") << "the search unloaded the tree; the window went back";

  const std::set<Item> expected = engineFinds(request);
  EXPECT_EQ(expected.size(), 36u) << "Alpha's six (two inside pack.zip) and Beta's thirty";
  EXPECT_EQ(shown(*list), expected);
  EXPECT_EQ(list->Grid->rowCount(), 37);
  EXPECT_EQ(FormSearchFileDlg->ComboBoxMask->itemText(0), "*.txt") << "kept in the history";
  // The file column fits the widest name, an ASCII name measured as the sum of its characters'
  // advances, and 50 pixels at least.
  const QFontMetrics fm(list->Grid->font());
  int widest = 50;
  for (const std::string& name : names(*list)) {
    int width = 0;
    for (const char c : name) width += fm.horizontalAdvance(QChar(c));
    widest = std::max(widest, width);
  }
  EXPECT_GT(widest, 50);
  EXPECT_EQ(list->Grid->colWidth(2), widest + 5);
}

TEST_F(SearchWindows, ANarrowFolderColumnShowsTheFoldersEnd) {
  findFiles("b.bin");
  TFormFoundFileList* list = foundFiles();
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(names(*list), (std::vector<std::string>{"b.bin"}));
  EXPECT_EQ(list->lines()[0].folder(), "\\Docs\\deep");
  DrawGrid& grid = *list->Grid;
  grid.setColWidth(1, grid.fontMetrics().horizontalAdvance("\\deep") + 16);
  saveScreenshot(list, "found-files-narrow-folder");
  // The cell as the grid draws it, against the folder's end behind the mark of a cut path.
  const QRect cell(QPoint(0, 0), grid.cellRect(1, 1).size());
  const auto drawn = [&](const std::function<void(QPainter&)>& draw) {
    QImage image(cell.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setFont(grid.font());
    p.setPen(Qt::black);
    draw(p);
    return image;
  };
  const QImage shown = drawn([&](QPainter& p) { grid.onDrawCell(p, 1, 1, cell, GridDrawState{}); });
  const QImage expected = drawn([&](QPainter& p) {
    p.drawText(cell.adjusted(2, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("\u2026\\deep"));
  });
  EXPECT_EQ(shown, expected);
}

TEST_F(SearchWindows, RecordLimitAndAStoppedRun) {
  findFiles("*.txt", [](TFormSearchFileDlg& d) { d.SpinEditMaxRecs->setValue(5); });
  ASSERT_NE(foundFiles(), nullptr);
  EXPECT_EQ(foundFiles()->lines().size(), 5u);

  // Stop pressed as the run starts: the engine is told at its first progress call.
  TFormSearchName run;
  run.Catalogue = &window().catalogue();
  run.Request = FormSearchFileDlg->DlgData;
  run.Request.MaxRecs = 1000;
  QMetaObject::invokeMethod(
      &run, [&run] { QTest::mouseClick(run.ButtonStop, Qt::LeftButton); }, Qt::QueuedConnection);
  const int result = run.exec();
  saveScreenshot(&run, "search-run-window");
  const int32_t found = ApiFoundCount(db());
  EXPECT_LT(found, 36) << "stopped before the end";
  EXPECT_EQ(result, found > 0 ? QDialog::Accepted : QDialog::Rejected);
  ApiFreeFound(db());
}

TEST_F(SearchWindows, NothingFoundShowsABoxAndNoWindow) {
  findFiles("nothing-is-called-so");
  EXPECT_EQ(resultWindows(), 0);
  ASSERT_FALSE(recorder().boxes.empty());
  EXPECT_EQ(recorder().boxes.back().text, "No file found.");
  EXPECT_EQ(recorder().boxes.back().caption, "Information");
  EXPECT_EQ(std::ranges::count(recorder().boxes.back().windowsShown, "Searching"), 0)
      << "the progress window has gone before the box";
  EXPECT_EQ(currentDisk(), "Alpha");
}

TEST_F(SearchWindows, ScopeOfSelectedDisksWithoutSelectionIsRefused) {
  findFiles("*.txt", [](TFormSearchFileDlg& d) {
    QTest::mouseClick(d.RadioGroupSearch->button(2), Qt::LeftButton);
  });
  EXPECT_EQ(resultWindows(), 0);
  ASSERT_FALSE(recorder().boxes.empty());
  EXPECT_EQ(recorder().boxes.back().text,
            "Search in selected disks is required, but no disk is selected.");
}

TEST_F(SearchWindows, HeaderClicksSortByTheirKeysAndReverse) {
  findFiles("*.txt");
  TFormFoundFileList& list = *foundFiles();
  list.resize(1000, 500);

  clickHeader(list, 3);  // Size: largest first
  EXPECT_EQ(list.sort().SortKey1, kFoundKeySize);
  EXPECT_EQ(names(list).front(), "old.txt");
  EXPECT_EQ(names(list)[1], "f29.txt");
  clickHeader(list, 3);
  EXPECT_TRUE(list.sort().Reverse);
  EXPECT_EQ(names(list).back(), "old.txt");

  clickHeader(list, 4);  // Date and time: newest first, the oldest last
  EXPECT_EQ(list.sort().SortKey1, kFoundKeyDateTime);
  EXPECT_EQ(list.sort().SortKey2, kFoundKeySize);
  EXPECT_FALSE(list.sort().Reverse);
  EXPECT_EQ(names(list).back(), "old.txt");
  EXPECT_EQ(list.lines().front().Data.DateTime, dosTime(2004));

  clickHeader(list, 2);  // File, left half: name and extension
  EXPECT_EQ(names(list).front(), "a.txt");
  clickHeader(list, 2, true);  // right half: extension and name, then reversed
  clickHeader(list, 2, true);
  EXPECT_EQ(list.sort().SortKey1, kFoundKeyExtName);
  EXPECT_TRUE(list.sort().Reverse);
  EXPECT_EQ(names(list).front(), "x.txt");

  // The focused item stays focused across a sort.
  focusRow(list, 7);
  const int32_t index = list.lines()[7].Index;
  clickHeader(list, 0);
  EXPECT_EQ(list.lines()[static_cast<size_t>(list.focusedLine())].Index, index);
}

TEST_F(SearchWindows, GoToPutsTheDatabaseWindowOnTheItem) {
  findFiles("f17.txt");
  TFormFoundFileList& list = *foundFiles();
  ASSERT_EQ(list.lines().size(), 1u);
  area_.setActiveSubWindow(&list);
  list.Grid->setFocus();
  QTest::keyClick(list.Grid, Qt::Key_Return);
  EXPECT_EQ(area_.activeSubWindow(), window_.data());
  EXPECT_EQ(currentDisk(), "Beta");
  EXPECT_EQ(currentPath(), "\\");
  EXPECT_EQ(files().GetFocusedFileName(), "f17.txt");

  findFiles("x.txt");
  area_.setActiveSubWindow(&list);
  QTest::mouseDClick(list.Grid->viewport(), Qt::LeftButton, Qt::NoModifier,
                     list.Grid->cellRect(2, 1).center());
  EXPECT_EQ(currentDisk(), "Alpha");
  EXPECT_EQ(currentPath(), "\\pack.zip\\inner");
  EXPECT_EQ(files().GetFocusedFileName(), "x.txt");
}

// A found item under a folder path longer than a record holds, whose path the engine hands out
// cut to its tail, leads to its own folder, not to the disk's root.
TEST_F(SearchWindows, GoToReachesAnItemUnderALongFolderPath) {
  TempFolder folder{"deepsearch"};
  std::string path;
  {
    TestCatalogue cat;
    TDirCollection* node = &cat.newDisk("Deep");
    TDirCollection& root = *node;
    for (char c = 'a'; c < 'f'; ++c) node = &TestCatalogue::addFolder(*node, std::string(60, c));
    cat.setFiles(root, {{"DiskInfo.txt", 1, dosTime(2000)}});
    cat.setFiles(*node, {{"bottom.txt", 9, dosTime(2001)}});
    cat.saveDisk();
    cat.trees = TTreeSlots{};
    cat.reopen();
    path = folder.file("deep.kvd", contentOf(cat.path()));
  }
  auto* deep = new TFormDBase;
  area_.addSubWindow(deep);
  deep->show();
  ASSERT_TRUE(deep->OpenDBase(path));
  deep->IdleUpdate();
  area_.setActiveSubWindow(deep);
  onNextDialog<TFormSearchFileDlg>([](TFormSearchFileDlg& d) {
    d.ComboBoxMask->setEditText(QStringLiteral("bottom.txt"));
    QTest::mouseClick(d.ButtonOK, Qt::LeftButton);
  });
  deep->FindFiles();
  auto* list = qobject_cast<TFormFoundFileList*>(findFoundWindow(&area_, deep->Tag, 1));
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->lines().size(), 1u);
  ASSERT_TRUE(IsCutPath(list->lines()[0].folder()));
  area_.setActiveSubWindow(list);
  list->Grid->setFocus();
  QTest::keyClick(list->Grid, Qt::Key_Return);
  EXPECT_EQ(area_.activeSubWindow(), deep);
  EXPECT_EQ(deep->filePanel()->GetFocusedFileName(), "bottom.txt");
  ShortString shownPath;
  ASSERT_TRUE(ApiGetCurrentPath(deep->catalogue().handle(), shownPath));
  EXPECT_EQ(shownPath.view(), list->lines()[0].folder());
  delete deep;
}

// "Go to disk in database" from the popup goes to the line that was right-clicked.
TEST_F(SearchWindows, PopupGoesToTheRightClickedLine) {
  findFiles("f1*.txt");
  TFormFoundFileList& list = *foundFiles();
  ASSERT_GT(list.lines().size(), 5u);
  area_.setActiveSubWindow(&list);
  focusRow(list, 0);
  rightClick(*list.Grid, list.Grid->cellRect(2, 5).center());
  ASSERT_TRUE(QTest::qWaitFor([&] { return list.PopupMenu->isVisible(); }));
  EXPECT_EQ(list.focusedLine(), 4);
  const std::string clicked = list.lines()[4].nameExt();
  list.PopupMenu->findChild<QAction*>("MenuGoTo")->trigger();
  list.PopupMenu->close();
  EXPECT_EQ(files().GetFocusedFileName(), clicked);
}

TEST_F(SearchWindows, LaterSearchesReuseTheWindowUnlessNewWindowsAreAsked) {
  findFiles("*.txt");
  TFormFoundFileList* first = foundFiles();
  findFiles("*.doc");
  EXPECT_EQ(foundFiles(), first);
  EXPECT_EQ(resultWindows(), 1);
  EXPECT_EQ(first->windowTitle().toStdString(), "*.doc: panels");
  EXPECT_EQ(first->lines().size(), 2u);

  window().options().FoundToNewWin = true;
  findFiles("*.iso");
  EXPECT_EQ(resultWindows(), 2);

  // The result windows go with their database window.
  QPointer<TFormFoundFileList> guard(first);
  window().close();
  EXPECT_TRUE(QTest::qWaitFor([&] { return guard.isNull(); }));
}

TEST_F(SearchWindows, SelectionCopyAndSelectAll) {
  findFiles("*.doc");
  TFormFoundFileList& list = *foundFiles();
  area_.setActiveSubWindow(&list);
  list.Grid->setFocus();
  focusRow(list, 0);
  QTest::keyClick(list.Grid, Qt::Key_Space);
  EXPECT_TRUE(list.lines()[0].selected());
  EXPECT_EQ(list.focusedLine(), 1);
  QTest::keyClick(list.Grid, Qt::Key_C, Qt::ControlModifier);
  const std::string& copied = recorder().clipboard;
  EXPECT_EQ(std::count(copied.begin(), copied.end(), '\n'), 2) << copied;
  EXPECT_EQ(copied.rfind("Alpha\t", 0), 0u) << copied;

  QTest::keyClick(list.Grid, Qt::Key_U, Qt::ControlModifier);
  EXPECT_FALSE(list.lines()[0].selected());
  // "Persistent selections" is on by default: select all again on a full selection clears it.
  ASSERT_TRUE(list.options().PersistentBlocks);
  list.SelectAll();
  EXPECT_TRUE(list.lines()[0].selected() && list.lines()[1].selected());
  list.SelectAll();
  EXPECT_FALSE(list.lines()[0].selected() || list.lines()[1].selected());
}

TEST_F(SearchWindows, FindSelectedFilesSearchesTheFocusedAndSelectedNames) {
  // A window left on its last row by an earlier search.
  findFiles("*.txt");
  focusRow(*foundFiles(), static_cast<int32_t>(foundFiles()->lines().size()) - 1);
  area_.setActiveSubWindow(window_);
  const int32_t old = lineNamed("old.txt");
  const int32_t huge = lineNamed("huge.iso");
  ASSERT_GE(old, 0);
  files().moveToLine(old);
  files().setFocus();
  QTest::keyClick(&files(), Qt::Key_Insert);
  files().moveToLine(huge);
  window().FindSelectedFiles();
  TFormFoundFileList* list = foundFiles();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->Grid->row(), 1) << "a refilled window opens on its first line";
  EXPECT_EQ(list->Grid->topRow(), 1);
  EXPECT_EQ(FormSearchFileDlg->DlgData.Mask.str(), "huge.iso old.txt ");
  EXPECT_EQ(list->windowTitle().toStdString(), "huge.iso old.txt : panels");
  std::multiset<std::string> found;
  for (const std::string& name : names(*list)) found.insert(name);
  EXPECT_EQ(found, (std::multiset<std::string>{"huge.iso", "old.txt"}));
}

TEST_F(SearchWindows, DescriptionBalloonOverARestingMouse) {
  findFiles("readme.doc");
  TFormFoundFileList& list = *foundFiles();
  qint64 now = 1000;
  QPoint mouse;
  list.hintRest().tickCount = [&now] { return now; };
  list.hintRest().cursorPosition = [&mouse] { return mouse; };
  int32_t described = -1;
  for (int32_t i = 0; i < static_cast<int32_t>(list.lines().size()); ++i) {
    if (!list.lines()[static_cast<size_t>(i)].shortDesc().empty()) described = i;
  }
  ASSERT_GE(described, 0);
  const auto restOn = [&](int32_t line) {
    mouse = list.Grid->cellRect(2, line + 1).center();
    QTest::mouseMove(list.Grid->viewport(), mouse);
    list.TimerUpdate();
    EXPECT_FALSE(list.hintVisible()) << "not before the mouse rested 100 ms";
    now += 101;
    list.TimerUpdate();
  };
  restOn(described);
  ASSERT_TRUE(list.hintVisible());
  EXPECT_EQ(list.hintLines(), QStringList{"the words that stay"});
  saveScreenshot(&list, "found-files-balloon");
  restOn(1 - described);
  EXPECT_FALSE(list.hintVisible()) << "a line without a description shows none";
}

TEST(FoundHint, BelowInTheUpperHalfAboveInTheLowerKeptInside) {
  // A cell in the upper half: the balloon hangs below, its pointer up at its right end.
  const DescHintShape below = foundHintShape(QRect(100, 20, 200, 16), 400, 120, 14, 2);
  EXPECT_EQ(below.body.left(), 200 - 120 + 5);
  EXPECT_EQ(below.body.right(), 200 + 11);
  EXPECT_EQ(below.body.top(), 20 + 16 + 3);
  EXPECT_EQ(below.body.bottom(), below.body.top() + 2 * 14 + 2);
  EXPECT_EQ(below.tip, QPoint(211 - 11, below.body.top() - 6));
  // In the lower half it stands above, the pointer down; a left edge at or before 0 moves in.
  const DescHintShape above = foundHintShape(QRect(0, 300, 40, 16), 400, 120, 14, 1);
  EXPECT_EQ(above.body.bottom(), 300 - 3);
  EXPECT_EQ(above.body.left(), 3);
  EXPECT_EQ(above.tip.y(), 300 - 3 + 6);
}

TEST_F(SearchWindows, FileNameSearchOfTheCommandLine) {
  window().FindFileName("readme.doc");
  TFormFoundFileList* list = foundFiles();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->windowTitle().toStdString(), "readme.doc: panels");
  EXPECT_EQ(list->sort(),
            (TFoundFileSort{kFoundKeyNameExt, kFoundKeyDateTime, kFoundKeyDiskFolder, false}));
  EXPECT_EQ(names(*list), (std::vector<std::string>{"ReadMe.doc", "ReadMe.doc"}));
  EXPECT_TRUE(recorder().boxes.empty());
}

TEST_F(SearchWindows, FreeSpaceListItsOrderAndGoTo) {
  goToPath("\\Docs");
  window().FindFreeSpace();
  TFormFoundEmptyList* list = foundEmpty();
  ASSERT_NE(list, nullptr);
  saveScreenshot(list, "free-space-window");
  EXPECT_EQ(list->windowTitle().toStdString(), "panels: List of free space");
  EXPECT_EQ(currentPath(), "\\Docs");
  const auto diskNames = [list] {
    std::vector<std::string> out;
    for (const TOneELine& line : list->lines()) out.push_back(line.DiskName);
    return out;
  };
  EXPECT_EQ(diskNames(), (std::vector<std::string>{"Alpha", "Beta", "Delta"}));
  clickHeader(*list, 0);  // the mode it has: reversed
  EXPECT_EQ(diskNames(), (std::vector<std::string>{"Delta", "Beta", "Alpha"}));

  area_.setActiveSubWindow(list);
  focusRow(*list, 1);
  list->Grid->setFocus();
  QTest::keyClick(list->Grid, Qt::Key_Return);
  EXPECT_EQ(currentDisk(), "Beta");
  EXPECT_EQ(currentPath(), "\\");

  window().FindFreeSpace();
  EXPECT_EQ(foundEmpty(), list) << "a free-space list is always reused";
  EXPECT_EQ(resultWindows(), 1);
}

TEST_F(SearchWindows, PrintedListsHoldTheirColumnsAndTheChosenLines) {
  findFiles("*.txt");
  TFormFoundFileList& list = *foundFiles();
  area_.setActiveSubWindow(&list);
  list.Grid->setFocus();
  focusRow(list, 0);
  QTest::keyClick(list.Grid, Qt::Key_Space);  // the first line selected, the second focused
  TPrintChoice selection;
  selection.Range = TPrintRange::kSelection;
  const std::string files = config_.at("found.pdf");
  setPrintTarget(std::make_unique<PdfTarget>(files, selection));
  QTest::keyClick(list.Grid, Qt::Key_P, Qt::ControlModifier);
  setPrintTarget(nullptr);
  const std::string text = commandOutput("pdftotext -layout '" + files + "' -");
  for (const char* title : {"Disk", "Folder", "File", "Size", "Date and time", "Description"}) {
    EXPECT_NE(text.find(title), std::string::npos) << title << "\n" << text;
  }
  EXPECT_NE(text.find("*.txt: panels"), std::string::npos) << "the caption heads the page";
  EXPECT_NE(text.find(list.lines()[0].nameExt()), std::string::npos) << text;
  EXPECT_NE(text.find(list.lines()[1].nameExt()), std::string::npos) << text;
  EXPECT_EQ(text.find(list.lines()[2].nameExt()), std::string::npos) << text;

  window().FindFreeSpace();
  const std::string space = config_.at("space.pdf");
  setPrintTarget(std::make_unique<PdfTarget>(space, TPrintChoice{}));
  foundEmpty()->PrintList();
  setPrintTarget(nullptr);
  const std::string spaceText = commandOutput("pdftotext -layout '" + space + "' -");
  for (const char* word : {"Free %", "Alpha", "Beta", "Delta", "0%"}) {
    EXPECT_NE(spaceText.find(word), std::string::npos) << word << "\n" << spaceText;
  }
}

// Records the caption of every "Progress" window that shows.
class ProgressWatch : public QObject {
 public:
  ProgressWatch() { qApp->installEventFilter(this); }
  ~ProgressWatch() override { qApp->removeEventFilter(this); }
  std::vector<std::string> captions;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show) {
      if (auto* progress = qobject_cast<TFormProgress*>(watched)) {
        captions.push_back(progress->windowTitle().toStdString());
        saveScreenshot(progress, "sorting-progress");
      }
    }
    return false;
  }
};

TEST(FoundFilesWindow, MoreThan700HitsFillUnderTheSortingWindow) {
  vellomar::testing::TestCatalogue cat;
  TDirCollection& root = cat.newDisk("Many");
  std::vector<FileSpec> files;
  for (int i = 0; i < 701; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "m%03d.dat", i);
    files.push_back({name, static_cast<uint64_t>(i), dosTime(2001)});
  }
  cat.setFiles(root, files);
  cat.saveDisk();
  cat.reopen();
  for (const int32_t hits : {700, 701}) {
    SCOPED_TRACE(hits);
    TSearchDlgData request;
    request.Mask = ShortString("*.dat");
    request.FileNames = true;
    request.MaxRecs = hits;
    ApiSearch(&cat.handle, request);
    ASSERT_EQ(ApiFoundCount(&cat.handle), hits);
    TFormFoundFileList list(TFoundOwner{}, foundFileSortOf(request));
    list.show();
    ProgressWatch watch;
    list.FillList(test::BorrowedCatalogue(&cat.handle).get());
    EXPECT_EQ(watch.captions,
              hits > 700 ? std::vector<std::string>{"Sorting"} : std::vector<std::string>{});
    EXPECT_EQ(list.lines().size(), static_cast<size_t>(hits));
    EXPECT_EQ(ApiFoundCount(&cat.handle), 0) << "the engine's list is freed";
  }
}

// Names other than ASCII are measured character by character too, each in the font or the one
// standing in for it, so the column fits them within a pixel a character.
TEST(FoundFilesWindow, TheFileColumnFitsTheWidestNameOfAnyScript) {
  const std::vector<std::string> names = {
      "short.txt",
      "\xC3\x9C"
      "bungsaufgaben f\xC3\xBCr Stra\xC3\x9F"
      "enbahnfahrer.txt",
      "\xE6\x9D\xB1\xE4\xBA\xAC\xE3\x81\xAE\xE5\x86\x99\xE7\x9C\x9F\xE3\x82\xA2"
      "\xE3\x83\xAB\xE3\x83\x90\xE3\x83\xA0 2024.jpg",
      "cafe\xCC\x81 \xF0\x9F\x93\xB7 photos.png"};
  for (const std::string& widest : names) {
    SCOPED_TRACE(widest);
    vellomar::testing::TestCatalogue cat;
    TDirCollection& root = cat.newDisk("Scripts");
    cat.setFiles(root, {{"a.txt", 1, dosTime(2001)}, {widest, 2, dosTime(2001)}});
    cat.saveDisk();
    cat.reopen();
    TSearchDlgData request;
    request.Mask = ShortString("*");
    request.FileNames = true;
    request.MaxRecs = 10;
    ApiSearch(&cat.handle, request);
    TFormFoundFileList list(TFoundOwner{}, foundFileSortOf(request));
    list.show();
    list.FillList(test::BorrowedCatalogue(&cat.handle).get());
    const QString whole = QString::fromStdString(widest);
    const int measured = QFontMetrics(list.Grid->font()).horizontalAdvance(whole);
    EXPECT_NEAR(list.Grid->colWidth(2) - 5, std::max(50, measured), whole.size());
  }
}

TEST(FoundPrint, FolderTailLeavesRoomForTheMarkAndKeepsCharactersWhole) {
  const auto bytes = [](std::string_view text) { return static_cast<int32_t>(text.size()); };
  EXPECT_EQ(printedFolderTail("\\one\\two", 20, bytes), "\\one\\two") << "fits whole";
  // "two\three" is the longest tail of 9 bytes; two characters less leave room for the mark.
  EXPECT_EQ(printedFolderTail("\\one\\two\\three", 9, bytes), "o\\three");
  // Two-byte characters are never cut in two.
  EXPECT_EQ(printedFolderTail("\\\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9", 7, bytes), "\xC3\xA9");
  EXPECT_EQ(printedFolderTail("\\abc", 1, bytes), "");
}

}  // namespace
}  // namespace vellomar::test
