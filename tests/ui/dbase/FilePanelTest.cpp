#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "tests/ui/dbase/PanelWindow.h"
#include "ui/common/UFittedText.h"
#include "ui/dbase/FDBasePopups.h"
#include "ui/dialogs/FDescription.h"
#include "ui/settings/USettingsGlobals.h"

namespace vellomar::test {
namespace {

using FilePanelTest = PanelWindowTest;

// Alpha's root from the top in each order; "DiskInfo.txt" and ".." stay on top, folders before
// files, and only the order inside each group turns round.
// Archives sort with the files.
const std::vector<std::string> kByName = {"DiskInfo.txt",
                                          "Docs",
                                          "\xC3\x9C"
                                          "bung",
                                          "huge.iso",
                                          "notes.txt",
                                          "NOTES.TXT",
                                          "old.txt",
                                          "pack.zip",
                                          "ReadMe.doc"};

TEST_F(FilePanelTest, HeaderClicksSortByEachCriterionAndTheSecondClickReverses) {
  window().SetBriefMode(false);
  EXPECT_EQ(fileNames(), kByName);
  const auto clickHeader = [&](int col, bool rightHalf = false) {
    const QRect cell = files().cellRect(col, 0);
    QTest::mouseClick(
        files().viewport(), Qt::LeftButton, Qt::NoModifier,
        QPoint(rightHalf ? cell.right() - cell.width() / 4 : cell.left() + cell.width() / 4,
               cell.center().y()));
    idle();
  };
  // Columns: name, size, date and time, description.
  clickHeader(2);
  EXPECT_EQ(fileNames(), (std::vector<std::string>{"DiskInfo.txt", "Docs",
                                                   "\xC3\x9C"
                                                   "bung",
                                                   "huge.iso", "notes.txt", "NOTES.TXT",
                                                   "ReadMe.doc", "old.txt", "pack.zip"}))
      << "newest first: 2050 is the newest";
  clickHeader(2);
  EXPECT_EQ(fileNames(), (std::vector<std::string>{"DiskInfo.txt",
                                                   "\xC3\x9C"
                                                   "bung",
                                                   "Docs", "pack.zip", "old.txt", "ReadMe.doc",
                                                   "notes.txt", "NOTES.TXT", "huge.iso"}))
      << "the second click reverses";
  EXPECT_TRUE(window().options().ReverseSort);
  clickHeader(1);
  EXPECT_FALSE(window().options().ReverseSort) << "another criterion clears reverse";
  EXPECT_EQ(fileNames(), (std::vector<std::string>{"DiskInfo.txt", "Docs",
                                                   "\xC3\x9C"
                                                   "bung",
                                                   "huge.iso", "pack.zip", "old.txt", "ReadMe.doc",
                                                   "notes.txt", "NOTES.TXT"}))
      << "largest first: 3 GB is the largest";
  clickHeader(0, true);
  EXPECT_EQ(window().options().SortCrit, kSortByExt);
  clickHeader(0);
  EXPECT_EQ(window().options().SortCrit, kSortByName);
  EXPECT_EQ(fileNames(), kByName);
  saveScreenshot(&window(), "database-window-detailed");

  // The header is hit where it is seen, also with the columns scrolled.
  window().resize(420, 420);
  files().setLeftCol(1);
  clickHeader(2);
  EXPECT_EQ(window().options().SortCrit, kSortByTime);
}

TEST_F(FilePanelTest, TypedLettersGoToTheFirstNameTheyBegin) {
  files().setFocus();
  QTest::keyClicks(&files(), "rea");
  EXPECT_EQ(fileNames()[files().focusedIndex()], "ReadMe.doc");
  QTest::keyClicks(&files(), "Q");
  EXPECT_EQ(fileNames()[files().focusedIndex()], "ReadMe.doc") << "no name begins so";
}

TEST_F(FilePanelTest, BriefColumnsFollowTheHeightAndKeysRunBetweenColumns) {
  clickDisk(1);  // Beta: 30 files
  ASSERT_EQ(window().options().DisplayMode, 0);
  const int rows = files().rowCount();
  EXPECT_EQ(files().colCount(), (30 + rows - 1) / rows);
  files().setFocus();
  QTest::keyClick(&files(), Qt::Key_End);
  EXPECT_EQ(files().focusedIndex(), 29);
  EXPECT_EQ(files().col(), 29 / rows);
  QTest::keyClick(&files(), Qt::Key_Home);
  EXPECT_EQ(files().focusedIndex(), 0);
  for (int i = 0; i < rows; ++i) QTest::keyClick(&files(), Qt::Key_Down);
  EXPECT_EQ(files().focusedIndex(), rows) << "Down from a column's last row";
  EXPECT_EQ(files().col(), 1);
  QTest::keyClick(&files(), Qt::Key_Up);
  EXPECT_EQ(files().focusedIndex(), rows - 1);
  saveScreenshot(&window(), "database-window-brief");

  window().resize(window().width(), 120);
  idle();
  EXPECT_GT(files().colCount(), (30 + rows - 1) / rows) << "lower: more columns";
  window().resize(60, 120);
  idle();
  EXPECT_GE(files().colCount(), 1);

  clickDisk(2);  // Delta: empty
  EXPECT_EQ(files().rowCount(), 1);
  EXPECT_EQ(files().colCount(), 1);
  window().SetBriefMode(false);
  EXPECT_EQ(files().rowCount(), 2) << "an empty detailed list keeps a row under the header";
}

// Going to a file, as a found item does, scrolls its line into view in both displays, also
// when the line lands on the cell that was current before the list was laid out again.
TEST_F(FilePanelTest, JumpToScrollsTheFileIntoViewInBothDisplays) {
  window().resize(500, 140);
  idle();
  for (const bool brief : {true, false}) {
    SCOPED_TRACE(brief ? "brief" : "detailed");
    window().SetBriefMode(brief);
    for (const char* name : {"f29.txt", "f00.txt", "f29.txt", "f29.txt"}) {
      window().JumpTo("Beta", "\\", name);
      ASSERT_EQ(files().GetFocusedFileName(), name);
      const QRect cell = files().cellRect(files().col(), files().row());
      EXPECT_FALSE(cell.isEmpty()) << name;
      EXPECT_TRUE(files().viewport()->rect().contains(cell.topLeft())) << name;
    }
  }
}

// A right press puts the focus on the line under the pointer before the popup menu opens, so
// that its commands act on that line.
TEST_F(FilePanelTest, RightPressFocusesTheLineThePopupActsOn) {
  clickDisk(1);  // Beta
  window().SetBriefMode(false);
  files().moveToLine(0);
  TPanelPopup* popup = panelPopup(&files());
  ASSERT_NE(popup, nullptr);
  rightClick(files(), files().cellRect(0, 4).center());
  ASSERT_TRUE(QTest::qWaitFor([&] { return popup->menu()->isVisible(); }));
  EXPECT_EQ(files().GetFocusedFileName(), "f03.txt");
  popup->menu()->findChild<QAction*>("MenuCopyFile")->trigger();
  popup->menu()->close();
  EXPECT_EQ(recorder().clipboard.rfind("f03.txt\t", 0), 0u) << recorder().clipboard;
}

TEST_F(FilePanelTest, SelectionByKeysAndMouse) {
  PersistentSelections = true;
  files().setFocus();
  QTest::keyClick(&files(), Qt::Key_Insert);
  QTest::keyClick(&files(), Qt::Key_Space);
  EXPECT_EQ(files().lines().selectedCount(), 2);
  EXPECT_EQ(files().focusedIndex(), 2);
  QTest::keyClick(&files(), Qt::Key_Down, Qt::ShiftModifier);
  QTest::keyClick(&files(), Qt::Key_Down, Qt::ShiftModifier);
  EXPECT_EQ(files().lines().selectedCount(), 4);
  window().UnselectAllIn(false);
  EXPECT_EQ(files().lines().selectedCount(), 0);

  window().SetBriefMode(false);
  const auto click = [&](int32_t line, Qt::KeyboardModifiers modifiers) {
    QTest::mouseClick(files().viewport(), Qt::LeftButton, modifiers,
                      files().cellRect(0, line + 1).center());
  };
  click(1, Qt::NoModifier);
  click(4, Qt::ShiftModifier);
  EXPECT_EQ(files().lines().selectedCount(), 4);
  click(6, Qt::ControlModifier);
  EXPECT_EQ(files().lines().selectedCount(), 5);

  PersistentSelections = false;
  QTest::keyClick(&files(), Qt::Key_Down);
  EXPECT_EQ(files().lines().selectedCount(), 0) << "moving clears the selection";
  EXPECT_EQ(files().focusedIndex(), 7) << "and keeps the move";
  PersistentSelections = true;
}

TEST_F(FilePanelTest, EnteringFoldersAndArchivesAndGoingUp) {
  files().setFocus();
  files().moveToLine(lineNamed("pack.zip"));
  QTest::keyClick(&files(), Qt::Key_Return);
  idle();
  EXPECT_EQ(currentPath(), "\\pack.zip");
  EXPECT_EQ(fileNames(), (std::vector<std::string>{"..", "inner", "a.txt"}));
  files().moveToLine(lineNamed("inner"));
  QTest::keyClick(&files(), Qt::Key_Return);
  idle();
  EXPECT_EQ(currentPath(), "\\pack.zip\\inner");

  QTest::keyClick(&files(), Qt::Key_Backspace);
  idle();
  EXPECT_EQ(currentPath(), "\\pack.zip");
  EXPECT_EQ(fileNames()[files().focusedIndex()], "inner") << "the folder just left has the focus";
  files().moveToLine(lineNamed(".."));
  QTest::keyClick(&files(), Qt::Key_Return);
  idle();
  EXPECT_EQ(currentPath(), "\\");
  EXPECT_EQ(fileNames()[files().focusedIndex()], "pack.zip");
  QTest::keyClick(&files(), Qt::Key_Backspace);
  idle();
  EXPECT_EQ(currentPath(), "\\") << "the root has no way up";
}

TEST_F(FilePanelTest, OpeningTranslatesTheCataloguePathAndReportsWhatIsMissing) {
  goToPath("\\Docs");
  files().setFocus();
  files().moveToLine(lineNamed("ReadMe.doc"));
  window().options().EnableShellExecute = false;
  QTest::keyClick(&files(), Qt::Key_Return);
  EXPECT_TRUE(recorder().openedFiles.empty()) << "opening files is off";
  QTest::keyClick(&files(), Qt::Key_Return, Qt::ShiftModifier);
  ASSERT_EQ(recorder().openedFiles.size(), 1U) << "Shift opens it all the same";
  EXPECT_EQ(recorder().openedFiles[0], catalogue_.diskFolder() + "/docs/readme.doc")
      << "found ignoring case";

  window().options().EnableShellExecute = true;
  goToPath("\\");
  files().moveToLine(lineNamed("old.txt"));
  recorder().answers = {BoxResult::kCancel};
  QTest::keyClick(&files(), Qt::Key_Return);
  ASSERT_EQ(recorder().boxes.size(), 1U);
  EXPECT_EQ(recorder().boxes[0].caption, "File Not Found");
  EXPECT_EQ(recorder().boxes[0].buttons, BoxButtons::kRetryCancel);
  const std::string& text = recorder().boxes[0].text;
  // The file as this machine names it, by its Linux path.
  EXPECT_TRUE(text.starts_with(catalogue_.diskFolder() +
                               "/old.txt\r\n\r\nFile cannot be open. Possible causes:\r\n"))
      << text;
  EXPECT_NE(text.find(" - file was deleted, moved or renamed\r\n"), std::string::npos);
  EXPECT_EQ(text.find(" - disk is not accessible"), std::string::npos);

  // Retry finds the file once it is there.
  recorder().clear();
  recorder().answers = {BoxResult::kRetry};
  std::filesystem::path written = catalogue_.diskFolder() + "/OLD.TXT";
  { std::ofstream(written) << "back"; }
  QTest::keyClick(&files(), Qt::Key_Return);
  EXPECT_TRUE(recorder().boxes.empty());
  ASSERT_EQ(recorder().openedFiles.size(), 1U);
  EXPECT_EQ(recorder().openedFiles[0], written.string());
}

TEST_F(FilePanelTest, DescriptionsAreEditedWithTheirLineBreaksStored) {
  files().setFocus();
  files().moveToLine(lineNamed("ReadMe.doc"));
  onNextDialog<TFormDescription>([](TFormDescription& dialog) {
    EXPECT_EQ(dialog.MemoDesc->toPlainText().toStdString(), "the words that stay");
    EXPECT_NE(dialog.LabelFile->fullText().toStdString().find("\\ReadMe.doc"), std::string::npos);
    dialog.MemoDesc->selectAll();
    QTest::keyClicks(dialog.MemoDesc, "first line");
    QTest::keyClick(dialog.MemoDesc, Qt::Key_Return);
    QTest::keyClicks(dialog.MemoDesc, "second line");
    saveScreenshot(&dialog, "description-dialog");
    QTest::keyClick(dialog.MemoDesc, Qt::Key_Return, Qt::ControlModifier);
  });
  QTest::keyClick(&files(), Qt::Key_Return, Qt::ControlModifier);
  const TOneFileLine* line = files().lines().at(lineNamed("ReadMe.doc"));
  ASSERT_NE(line->Data.DescOffset, 0);
  std::string stored;
  ASSERT_TRUE(ApiGetFullDesc(db(), line->Data.DescOffset, stored));
  EXPECT_EQ(stored, "first line\r\nsecond line");

  // It survives a reload of the list.
  files().LoadFileList("ReadMe.doc");
  onNextDialog<TFormDescription>([](TFormDescription& dialog) {
    EXPECT_EQ(dialog.MemoDesc->toPlainText().toStdString(), "first line\nsecond line");
    dialog.reject();
  });
  window().EditDescription();

  files().moveToLine(lineNamed(".."));
  recorder().clear();
  goToPath("\\Docs");
  files().moveToLine(lineNamed(".."));
  window().EditDescription();
  ASSERT_EQ(recorder().boxes.size(), 1U);
  EXPECT_EQ(recorder().boxes[0].text, "Reference to the parent folder cannot have a description.");
}

TEST_F(FilePanelTest, HintShowsOnRestAndHidesOnMove) {
  clickDisk(0);
  goToPath("\\");
  QPoint cursor;
  qint64 now = 1000;
  files().hintRest().cursorPosition = [&cursor] { return cursor; };
  files().hintRest().tickCount = [&now] { return now; };
  const auto rest = [&](QPoint at) {
    cursor = at;
    QTest::mouseMove(files().viewport(), at);
    now += 101;
    files().TimerUpdate();
  };
  const int32_t old = lineNamed("old.txt");
  const int rows = files().rowCount();
  const QPoint over = files().cellRect(old / rows, old % rows).center();
  // Brief display: a file without description shows its name, size and date.
  rest(over);
  ASSERT_TRUE(files().hintVisible());
  EXPECT_EQ(files().hintLines().front().toStdString(), "old.txt");
  EXPECT_EQ(files().hintLines().size(), 3);
  EXPECT_TRUE(files().viewport()->rect().contains(files().hintShape().body));
  saveScreenshot(&window(), "description-hint");

  cursor = over + QPoint(1, 0);
  QTest::mouseMove(files().viewport(), cursor);
  EXPECT_FALSE(files().hintVisible()) << "a move of one pixel hides it";

  window().SetBriefMode(false);
  rest(files().cellRect(0, lineNamed("old.txt") + 1).center());
  EXPECT_FALSE(files().hintVisible()) << "detailed display: no description, no bubble";
  rest(files().cellRect(0, lineNamed("ReadMe.doc") + 1).center());
  ASSERT_TRUE(files().hintVisible());
  EXPECT_EQ(files().hintLines().join(" ").toStdString(), "the words that stay");
  QTest::keyClick(&files(), Qt::Key_Down);
  EXPECT_FALSE(files().hintVisible()) << "a key hides it";

  // The description editor opened from the menu, not by a key of the panel, hides it too: the
  // bubble would cover the editor and then show the text as it stood before.
  files().moveToLine(lineNamed("ReadMe.doc"));
  rest(files().cellRect(0, lineNamed("ReadMe.doc") + 1).center() + QPoint(2, 0));
  ASSERT_TRUE(files().hintVisible());
  bool shownWithEditor = true;
  onNextDialog<TFormDescription>([&](TFormDescription& dialog) {
    shownWithEditor = files().hintVisible();
    dialog.reject();
  });
  window().EditDescription();
  EXPECT_FALSE(shownWithEditor);
  files().TimerUpdate();
  EXPECT_FALSE(files().hintVisible()) << "not again until the mouse moves";
}

}  // namespace
}  // namespace vellomar::test
