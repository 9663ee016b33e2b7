// A close request (SIGTERM through the program's own signal path, the frame's close, File >
// Exit) that arrives while a run or a modal box is on the stack waits for it: the run stops at
// its next callback, the box closes as Escape closes it, then the windows close in order. Run
// under the sanitizer build, a window freed beneath the work is a report.
#include <signal.h>

#include <QDialog>
#include <QTimer>
#include <functional>

#include "tests/ui/scan/ScanningWindow.h"
#include "ui/app/UQuitSignal.h"
#include "ui/common/UCloseRequest.h"
#include "ui/common/UIdleLoop.h"

namespace vellomar {
namespace {

using test::recorder;

// The desktop's boxes, shown for real and modal. The first one runs the test's action from
// inside its own loop.
class ModalBoxes : public MessageService {
 public:
  explicit ModalBoxes(std::function<void()> onFirstBox) : onFirstBox_(std::move(onFirstBox)) {}

  BoxResult show(std::string_view caption, std::string_view text, BoxIcon icon,
                 BoxButtons buttons) override {
    recorder().boxes.push_back({std::string(caption), std::string(text), icon, buttons, {}});
    if (onFirstBox_) QTimer::singleShot(0, std::exchange(onFirstBox_, {}));
    return desktop_->show(caption, text, icon, buttons);
  }

 private:
  std::function<void()> onFirstBox_;
  std::unique_ptr<MessageService> desktop_ = makeDesktopMessages();
};

enum class Request { kSignal, kFrameClose, kExit };

class CloseRequestTest : public test::ScanningWindowTest,
                         public ::testing::WithParamInterface<Request> {
 protected:
  void TearDown() override {
    test::installRecordingServices();
    ScanningWindowTest::TearDown();
  }

  // The frame as main() makes it: SIGTERM closes it through the quit signal.
  void watchQuitSignal() {
    QObject::connect(&quit_, &QuitSignal::quitRequested, main_.get(), &QWidget::close);
  }
  void send(Request request) {
    switch (request) {
      case Request::kSignal:
        ::raise(SIGTERM);
        break;
      case Request::kFrameClose:
        main_->close();
        break;
      case Request::kExit:
        main_->menuAction(Command::Exit)->trigger();
        break;
    }
  }
  static void showModalBoxes(std::function<void()> onFirstBox) {
    Services boxes;
    boxes.messages = std::make_unique<ModalBoxes>(std::move(onFirstBox));
    installServices(std::move(boxes));
  }
  bool frameClosed() {
    return QTest::qWaitFor([&] { return !main_->isVisible(); }, 20000);
  }
  // The disks of the catalogue as a fresh open finds them.
  int32_t savedDisks(const std::string& path) {
    TDBase* handle = nullptr;
    ShortString message;
    EXPECT_TRUE(ApiOpenDBase(ShortString(path), false, handle, message)) << message.str();
    const int32_t count = ApiGetKeyCount(handle);
    ApiCloseDBase(handle, false);
    return count;
  }

  QuitSignal quit_;
};

// The database window's scan runs over a folder large enough to meet many callbacks; the
// request comes from inside one of them, while the engine walks the tree that the window's
// close would free.
TEST_P(CloseRequestTest, DuringAScanStopsItAndKeepsWhatWasSaved) {
  openMainWindow();
  watchQuitSignal();
  const std::string path = config_.at("disks.kvd");
  db_->ScanFolderAsDisk("H:\\", "Disc", "");
  ASSERT_EQ(diskNames(), (std::vector<std::string>{"Disc"}));
  for (int folder = 0; folder < 100; ++folder)
    for (int file = 0; file < 200; ++file)
      disk_.file("many/" + std::to_string(folder) + "/" + std::to_string(file) + ".txt", "x");

  bool sentWhileBusy = false;
  bool arrivedWhileBusy = false;
  QObject::connect(&quit_, &QuitSignal::quitRequested,
                   [&] { arrivedWhileBusy = IdleLoop::engineBusy(); });
  QTimer watch;
  watch.setInterval(1);
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (!IdleLoop::engineBusy()) return;
    watch.stop();
    sentWhileBusy = true;
    send(GetParam());
  });
  watch.start();
  answerScanFolder(disk_.at("many"), "Many");
  run(Command::ScanFolder);
  ASSERT_TRUE(frameClosed());
  EXPECT_TRUE(sentWhileBusy);
  if (GetParam() == Request::kSignal) {
    EXPECT_TRUE(arrivedWhileBusy);
  }
  EXPECT_TRUE(QTest::qWaitFor([&] { return db_.isNull(); }));
  EXPECT_EQ(savedDisks(path), 1) << "the cut scan saved nothing, the first disk stays";
}

// "No file found." is up over the search run of the command line's /f: when the request comes.
TEST_P(CloseRequestTest, UnderTheBoxOfASearchRunClosesTheBoxThenTheWindows) {
  openMainWindow();
  db_->ScanFolderAsDisk("H:\\", "Disc", "");
  const std::string path = config_.at("disks.kvd");
  main_.reset();
  main_ = std::make_unique<TMainForm>(QStringList{QString::fromStdString(path), "/f:zzzqqq"});
  main_->show();
  watchQuitSignal();
  recorder().clear();
  showModalBoxes([&] { send(GetParam()); });
  main_->idleLoop().runIdlePass();
  ASSERT_TRUE(frameClosed());
  ASSERT_EQ(recorder().boxes.size(), 1u);
  EXPECT_EQ(recorder().boxes[0].text, "No file found.");
  EXPECT_TRUE(main_->mdiArea()->subWindowList().isEmpty() ||
              QTest::qWaitFor([&] { return main_->mdiArea()->subWindowList().isEmpty(); }));
  EXPECT_EQ(savedDisks(path), 1);
}

// A dialog that asks before it closes, as the description editor does with changed text.
class AskingDialog : public QDialog {
 public:
  using QDialog::QDialog;
  void reject() override {
    if (services().messages->show("Description", "Description text was modified. Save?",
                                  BoxIcon::kQuestion,
                                  BoxButtons::kYesNoCancel) != BoxResult::kCancel)
      QDialog::reject();
  }
};

// Its query closes as Escape closes it, with Cancel: the request ends there and the program
// stays open, as after the user's own Cancel; nothing asks again.
TEST_F(CloseRequestTest, AWindowThatCancelsItsCloseKeepsTheProgramOpen) {
  openMainWindow();
  watchQuitSignal();
  showModalBoxes({});
  AskingDialog dialog(main_.get());
  QTimer::singleShot(0, [] { ::raise(SIGTERM); });
  QTimer settled;
  settled.setInterval(5);
  QObject::connect(&settled, &QTimer::timeout, [&] {
    if (!recorder().boxes.empty() && !CloseRequest::pending()) dialog.accept();
  });
  settled.start();
  EXPECT_EQ(dialog.exec(), QDialog::Accepted);
  EXPECT_EQ(recorder().boxes.size(), 1u);
  EXPECT_TRUE(main_->isVisible());
  EXPECT_FALSE(QTest::qWaitFor([&] { return !main_->isVisible(); }, 200));
  ASSERT_NE(db_, nullptr);
  EXPECT_FALSE(db_->closing());
}

INSTANTIATE_TEST_SUITE_P(Requests, CloseRequestTest,
                         ::testing::Values(Request::kSignal, Request::kFrameClose, Request::kExit));

// The start-up box about a catalogue that cannot be opened gives way to SIGTERM: the program
// ends instead of waiting for the box.
TEST_F(CloseRequestTest, SignalUnderTheStartupBoxEndsTheProgram) {
  const std::string path = config_.file("not-a-catalogue.kvd", "text");
  main_ = std::make_unique<TMainForm>(QStringList{QString::fromStdString(path)});
  main_->show();
  watchQuitSignal();
  showModalBoxes([&] { send(Request::kSignal); });
  // A box that nothing closes would hold the test: it fails instead.
  bool boxLeftStanding = false;
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [&] {
    if (QWidget* box = QApplication::activeModalWidget()) {
      boxLeftStanding = true;
      box->close();
    }
  });
  guard.start(10000);
  main_->idleLoop().runIdlePass();
  EXPECT_FALSE(boxLeftStanding);
  ASSERT_TRUE(frameClosed());
  ASSERT_EQ(recorder().boxes.size(), 1u);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

}  // namespace
}  // namespace vellomar
