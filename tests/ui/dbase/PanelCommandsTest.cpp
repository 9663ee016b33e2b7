#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <functional>
#include <memory>

#include "tests/ui/dbase/PanelWindow.h"
#include "tests/ui/print/PrintedPdf.h"
#include "tests/ui/support/Screenshots.h"
#include "ui/dbase/FDBasePopups.h"
#include "ui/dialogs/FMaskSelect.h"
#include "ui/print/FDiskPrint.h"

namespace vellomar::test {
namespace {

// The commands of the panels' popup menus that open, copy and print, on the panel catalogue.
class PanelCommandsTest : public PanelWindowTest {
 protected:
  PanelCommandsTest() {
    window().options().Fonts[kPrintFont] = printOptions().Fonts[kPrintFont];
    window().options().FontSizes[kPrintFont] = 10;
  }
  ~PanelCommandsTest() override { setPrintTarget(nullptr); }

  // Runs a popup item of a panel as its menu would.
  static void trigger(QWidget& panel, const char* name) {
    TPanelPopup* popup = panelPopup(&panel);
    ASSERT_NE(popup, nullptr);
    popup->refresh();
    auto* action = popup->menu()->findChild<QAction*>(name);
    ASSERT_NE(action, nullptr) << name;
    ASSERT_TRUE(action->isEnabled()) << name;
    action->trigger();
  }

  // A file line of the root's list, as the clipboard takes it.
  static std::string copied(const std::string& name, int32_t dosDateTime, const std::string& size,
                            const std::string& description = {}) {
    const auto when = static_cast<uint32_t>(dosDateTime);
    return name + "\t" + FormatDosDate(when).str() + "\t" + FormatDosTime(when, false).str() +
           "\t" + size + "\t" + description + "\r\n";
  }

  void printTo(const std::string& path, TPrintChoice choice = {}) {
    setPrintTarget(std::make_unique<PdfTarget>(path, choice));
  }
};

TEST_F(PanelCommandsTest, FilePopupOpensTheFocusedEntryThroughTheDesktop) {
  goToPath("\\Docs");
  files().setFocus();
  files().moveToLine(lineNamed("ReadMe.doc"));
  window().options().EnableShellExecute = false;  // "Open" asks for it all the same
  trigger(files(), "MenuOpen");
  ASSERT_EQ(recorder().openedFiles.size(), 1U);
  EXPECT_EQ(recorder().openedFiles[0], catalogue_.diskFolder() + "/docs/readme.doc");
  EXPECT_EQ(currentPath(), "\\Docs");
}

TEST_F(PanelCommandsTest, CopyTakesTheSelectedLinesAndTheFocusedOneInListOrder) {
  window().options().SizeInKB = false;
  files().setFocus();
  files().moveToLine(lineNamed("old.txt"));
  trigger(files(), "MenuCopyFile");
  EXPECT_EQ(recorder().clipboard, copied("old.txt", dosTime(1990), "100"))
      << "without a selection the focused line alone";

  // Insert selects and moves on; the selection stays while the focus moves.
  files().moveToLine(lineNamed("ReadMe.doc"));
  QTest::keyClick(&files(), Qt::Key_Insert);
  files().moveToLine(lineNamed("huge.iso"));
  QTest::keyClick(&files(), Qt::Key_Insert);
  files().moveToLine(lineNamed("old.txt"));
  trigger(files(), "MenuCopyFile");
  EXPECT_EQ(recorder().clipboard,
            copied("huge.iso", dosTime(2050), "3 000 000 000") +
                copied("old.txt", dosTime(1990), "100") +
                copied("ReadMe.doc", dosTime(2003), "7", "the words that stay"));
}

TEST_F(PanelCommandsTest, FileSelectionByMaskOnlyGrowsAndAnEmptyMaskTakesAll) {
  const auto selected = [this] {
    std::vector<std::string> names;
    for (int32_t i = 0; i < files().lines().count(); ++i) {
      const TOneFileLine& line = *files().lines().at(i);
      if ((line.Flags & kLineSelected) != 0) names.push_back(FullNameOf(line));
    }
    return names;
  };
  const auto selectByMask = [this](const char* mask) {
    onNextDialog<TFormMaskSelect>([mask](TFormMaskSelect& dialog) {
      EXPECT_EQ(dialog.windowTitle().toStdString(), "Selection of files");
      EXPECT_TRUE(dialog.ComboBoxMaskDisks->isHidden());
      dialog.ComboBoxMaskFiles->setEditText(mask);
      QTest::keyClick(&dialog, Qt::Key_Return);
    });
    trigger(files(), "MenuSelectFiles");
  };
  files().setFocus();
  files().moveToLine(lineNamed("ReadMe.doc"));
  QTest::keyClick(&files(), Qt::Key_Insert);
  selectByMask("*.txt");
  EXPECT_EQ(selected(), (std::vector<std::string>{"DiskInfo.txt", "notes.txt", "NOTES.TXT",
                                                  "old.txt", "ReadMe.doc"}))
      << "the mask ignores case and keeps what was selected";
  selectByMask("");
  EXPECT_EQ(selected(), fileNames());
  trigger(files(), "MenuUnselectFiles");
  EXPECT_TRUE(selected().empty());
}

TEST_F(PanelCommandsTest, FileListPrintsAllLinesOrTheSelectionOnly) {
  clickDisk(1);  // Beta: 30 files, on one page
  files().setFocus();
  const std::string all = config_.at("files.pdf");
  printTo(all);
  trigger(files(), "MenuPrintFiles");
  EXPECT_EQ(pdfPages(all), 1);
  EXPECT_TRUE(window().isEnabled());
  EXPECT_EQ(window().ActivePanel(), TFormDBase::kPanelFiles) << "the focus comes back";
  EXPECT_TRUE(recorder().boxes.empty());
  const QImage allPage = pdfPage(all, 1);
  if (const QString dir = qEnvironmentVariable("VELLOMAR_SCREENSHOTS"); !dir.isEmpty()) {
    allPage.save(dir + "/printed-file-list.png");
  }

  const std::string focused = config_.at("focused.pdf");
  TPrintChoice selection;
  selection.Range = TPrintRange::kSelection;
  printTo(focused, selection);
  window().PrintPanel(0);  // by the focused panel
  ASSERT_EQ(pdfPages(focused), 1);
  const QImage focusedPage = pdfPage(focused, 1);
  // The thirtieth line lies far below the first: only the whole list inks that band.
  EXPECT_TRUE(inked(allPage, 0.3, 0.4));
  EXPECT_FALSE(inked(focusedPage, 0.3, 0.4));
  EXPECT_TRUE(inked(focusedPage, 0.05, 0.1)) << "the focused line and the column titles";
}

TEST_F(PanelCommandsTest, DiskPrintAndExportPutTheWindowBackWhereItWas) {
  ApiSelectKey(db(), true, 1);  // Beta
  const std::string path = config_.at("disks.pdf");
  printTo(path);
  const struct {
    const char* walk;
    std::function<void()> run;
  } walks[] = {
      {"print",
       [&] {
         onNextDialog<TFormDiskPrintSelect>([](TFormDiskPrintSelect& select) {
           QTest::mouseClick(select.RadioButtonSelectedDisks, Qt::LeftButton);
           QTest::mouseClick(select.ButtonOK, Qt::LeftButton);
         });
         trigger(disks(), "MenuPrintDisks");
         EXPECT_GE(pdfPages(path), 1);
       }},
      // Export to other format, given up at its first question, comes back all the same.
      {"export",
       [&] {
         onNextDialog<TFormDiskPrintSelect>([](TFormDiskPrintSelect& select) {
           QTest::mouseClick(select.ButtonCancel, Qt::LeftButton);
         });
         window().ExportDBase();
       }},
  };
  for (const auto& w : walks) {
    goToPath("\\Docs");
    files().setFocus();
    files().moveToLine(lineNamed("ReadMe.doc"));
    w.run();
    EXPECT_EQ(currentDisk(), "Alpha") << w.walk;
    EXPECT_EQ(currentPath(), "\\Docs") << w.walk;
    EXPECT_EQ(files().GetFocusedFileName(), "ReadMe.doc") << w.walk;
    EXPECT_EQ(tree().currentNode(), ApiGetCurrentDirCol(db())) << w.walk;
  }
}

TEST_F(PanelCommandsTest, TheFilePanelsHeaderKeepsTheEndOfALongPath) {
  goToPath("\\Docs\\deep");
  files().setFocus(Qt::TabFocusReason);
  ASSERT_TRUE(QTest::qWaitFor([&] { return files().hasFocus(); }));
  QHeaderView& header = *window().headerTop();
  const auto shown = [&] { return header.model()->headerData(2, Qt::Horizontal).toString(); };
  EXPECT_EQ(shown(), "\\Docs\\deep");
  // The disk column dragged wide leaves the files' section only a little room in the window.
  header.resizeSection(0, header.viewport()->width() - header.sectionSize(1) - 60);
  const int left = header.sectionViewportPosition(2);
  const int room = std::min(left + header.sectionSize(2), header.viewport()->width()) - left;
  const QString text = shown();
  EXPECT_TRUE(text.startsWith(QStringLiteral("\u2026"))) << text.toStdString();
  EXPECT_TRUE(text.endsWith("eep")) << text.toStdString();
  EXPECT_LE(header.fontMetrics().horizontalAdvance(text), room);
  test::saveScreenshot(&window(), "database-window-long-path");
}

TEST_F(PanelCommandsTest, HeadersFollowThePanelThatHasTheFocus) {
  const auto headers = [this] {
    std::vector<std::string> texts;
    for (int section = 0; section < 3; ++section) {
      texts.push_back(window()
                          .headerTop()
                          ->model()
                          ->headerData(section, Qt::Horizontal)
                          .toString()
                          .toStdString());
    }
    return texts;
  };
  goToPath("\\Docs");
  struct Case {
    QWidget* panel;
    int tag;
    std::vector<std::string> texts;
  };
  const Case cases[] = {{&files(), TFormDBase::kPanelFiles, {"", "", "\\Docs"}},
                        {&disks(), TFormDBase::kPanelDisks, {"panels", "", ""}},
                        {&tree(), TFormDBase::kPanelTree, {"", "Alpha", ""}}};
  for (const Case& c : cases) {
    c.panel->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(QTest::qWaitFor([&] { return c.panel->hasFocus(); })) << c.tag;
    EXPECT_EQ(window().ActivePanel(), c.tag);
    EXPECT_EQ(headers(), c.texts) << c.tag;
  }
}

}  // namespace
}  // namespace vellomar::test
