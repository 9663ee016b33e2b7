// User commands run from their keys in a database window, on a disc scanned in the test: the
// library double records what it was called with.
#include <QStringList>

#include "abi/UserCommandAbi.h"
#include "tests/support/ArchiveBuilders.h"
#include "tests/ui/scan/ScanningWindow.h"

namespace vellomar {
namespace {

using test::recorder;

class UserCommandRunTest : public test::ScanningWindowTest {
 protected:
  void SetUp() override {
    ScanningWindowTest::SetUp();
    test::writeBytes(disk_, "pack.zip", test::buildZip({{}, {{"inner/b.txt", 4}}}));
    install("usercmd.dll", "view.dll");
    install("usercmd.dll", "any.dll");
    // Ctrl+K runs "view" and "any" (which asks for no modifier); Ctrl+J runs "view" after a
    // look for the file.
    addCommand('K', true, program_.at("view.dll"), "-v", false);
    addCommand('K', false, "any.dll", "-any", false);
    addCommand('J', true, program_.at("view.dll"), "-t", true);
    openMainWindow();
    db_->ScanFolderAsDisk("H:\\", "Disc", "");
    ASSERT_EQ(diskNames(), (std::vector<std::string>{"Disc"}));
  }
  void addCommand(char key, bool control, const std::string& library, const std::string& params,
                  bool test) {
    auto command = std::make_unique<TUserCommand>();
    command->wKey = static_cast<uint16_t>(key);
    command->bControl = control;
    command->sDll = library;
    command->sParams = params;
    command->bTest = test;
    UserCommandList.push_back(std::move(command));
  }

  void goTo(const std::string& folder) {
    ASSERT_TRUE(ApiGoToPath(db_->catalogue().handle(), ShortString(folder))) << folder;
    db_->IdleUpdate();
  }
  // Focuses the line of that name and presses the key in the file panel.
  void press(const std::string& name, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    const std::vector<std::string> names = fileNames();
    const auto at = std::find(names.begin(), names.end(), name);
    ASSERT_NE(at, names.end()) << name;
    TFilePanel& files = *db_->filePanel();
    files.moveToLine(static_cast<int32_t>(at - names.begin()));
    // The scan's dialogs took the front; the user is back in the main window.
    main_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main_.get()));
    files.setFocus();
    ASSERT_TRUE(files.hasFocus());
    QTest::keyClick(&files, key, modifiers);
  }
  // The calls of a library, each split into its arguments.
  std::vector<QStringList> callsOf(const std::string& library) {
    std::vector<QStringList> result;
    for (const QString& line :
         QString::fromStdString(calls(library)).split('\n', Qt::SkipEmptyParts))
      result.push_back(line.split('|'));
    return result;
  }
  static int flagsOf(const QStringList& call) { return call[9].toInt(); }
};

TEST_F(UserCommandRunTest, FileOnTheDiscAndFileInAnArchive) {
  press("a.txt", Qt::Key_K, Qt::ControlModifier);
  std::vector<QStringList> view = callsOf("view.dll");
  ASSERT_EQ(view.size(), 1u);
  EXPECT_EQ(view[0][0], "window");
  EXPECT_EQ(view[0][1], "-v");
  EXPECT_EQ(view[0][2].toStdString(), disk_.path() + "/a.txt");
  EXPECT_EQ(view[0][3], "");
  EXPECT_EQ(view[0][5], "5") << "the size";
  EXPECT_EQ(flagsOf(view[0]), kUserFileExists | kUserVolumeAccessible | kUserRemovableDrive);
  ASSERT_EQ(callsOf("any.dll").size(), 1u) << "a command without modifiers runs with Ctrl held";

  goTo("\\pack.zip\\inner");
  press("b.txt", Qt::Key_K, Qt::ControlModifier);
  view = callsOf("view.dll");
  ASSERT_EQ(view.size(), 2u);
  EXPECT_EQ(view[1][2].toStdString(), disk_.path() + "/pack.zip");
  EXPECT_EQ(view[1][3], "inner/b.txt");
  EXPECT_EQ(flagsOf(view[1]) & (kUserInArchive | kUserFileExists),
            kUserInArchive | kUserFileExists);

  // The ".." line is no file.
  press("..", Qt::Key_K, Qt::ControlModifier);
  EXPECT_EQ(callsOf("view.dll").size(), 2u);
  EXPECT_TRUE(recorder().boxes.empty());
}

TEST_F(UserCommandRunTest, MissingDiscWithTheTestFlagAsksAndCallsNothing) {
  machine_.mounts.erase(machine_.mounts.find("40 28 11:0"));  // the disc taken out
  recorder().answers = {BoxResult::kRetry, BoxResult::kCancel};
  press("a.txt", Qt::Key_J, Qt::ControlModifier);
  ASSERT_EQ(recorder().boxes.size(), 2u) << "Retry looks again";
  EXPECT_EQ(recorder().boxes[0].caption, "File Not Found");
  EXPECT_EQ(recorder().boxes[0].buttons, BoxButtons::kRetryCancel);
  EXPECT_NE(recorder().boxes[0].text.find(" - disk is not accessible\r\n"), std::string::npos);
  EXPECT_TRUE(callsOf("view.dll").empty());

  // Without the test flag the library is told what is known.
  press("a.txt", Qt::Key_K, Qt::ControlModifier);
  const std::vector<QStringList> view = callsOf("view.dll");
  ASSERT_EQ(view.size(), 1u);
  EXPECT_EQ(view[0][2].toStdString(), "H:\\a.txt") << "the catalogue's own path";
  EXPECT_EQ(flagsOf(view[0]), kUserRemovableDrive);
}

}  // namespace
}  // namespace vellomar
