#include "setup/app/FormMain.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeDatabase>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <optional>

#include "platform/PWholeFile.h"
#include "tests/setup/InstallFixtures.h"
#include "tests/ui/support/Screenshots.h"

namespace vellomar::setup {
namespace {

namespace fs = std::filesystem;

const std::string kPackage = std::string(VELLOMAR_PACKAGE) + "/";

// Boxes and help recorded; the save dialog answers with a preset file.
class RecordingServices : public SetupServices {
 public:
  MessageService& messages() override { return messages_; }
  std::optional<std::string> chooseTargetFile(QWidget*, const std::string& proposed) override {
    proposals.push_back(proposed);
    return chosenFile;
  }
  void openHelp(const std::string& helpFile, int context) override {
    help.push_back(helpFile + "#" + std::to_string(context));
  }

  std::vector<std::string>& boxes() { return messages_.boxes; }
  std::deque<MessageAnswer>& answers() { return messages_.answers; }

  std::optional<std::string> chosenFile;
  std::vector<std::string> proposals;
  std::vector<std::string> help;

 private:
  test::RecordingMessages messages_;
};

// The dialog shown over a home folder of the test's own.
struct SetupWindow {
  explicit SetupWindow(std::string programDir = kPackage) : form(services, std::move(programDir)) {
    form.show();
    exposed = QTest::qWaitForWindowExposed(&form);
  }

  test::UserHome home;
  RecordingServices services;
  TFormMain form;
  bool exposed = false;
};

const std::string kSuccess = "Vellomar Installation|Installation was successfully completed.";

void typeTarget(TFormMain& form, const std::string& target) {
  form.EditTargetDir->selectAll();
  QTest::keyClicks(form.EditTargetDir, QString::fromStdString(target));
}

TEST(FormMain, OpensWithTheDefaultTargetAndOnlyTheChoicesShown) {
  SetupWindow window;
  ASSERT_TRUE(window.exposed);
  TFormMain& form = window.form;
  test::saveScreenshot(&form, "setup-before-installation");

  EXPECT_EQ(form.windowTitle(), "Vellomar 5 Installation");
  // The program's own icon, not a stock picture.
  EXPECT_EQ(form.Image1->pixmap().toImage(),
            QIcon(QStringLiteral(":/setup/Vellomar.svg")).pixmap(32, 32).toImage());
  EXPECT_FALSE(form.Image1->pixmap().isNull());
  EXPECT_EQ(form.EditTargetDir->text().toStdString(), window.home.at("Vellomar/"));
  EXPECT_EQ(form.CheckBoxAddToProgman->text(), "Add Vellomar to Start->Programs menu");
  EXPECT_TRUE(form.CheckBoxAddToProgman->isChecked());
  EXPECT_TRUE(form.ButtonInstall->isDefault());
  for (QWidget* shown : std::initializer_list<QWidget*>{form.EditTargetDir, form.ButtonBrowse,
                                                        form.ButtonInstall, form.ButtonExit}) {
    EXPECT_TRUE(shown->isVisible()) << shown->metaObject()->className();
  }
  for (QWidget* hidden :
       std::initializer_list<QWidget*>{form.GaugeProgress, form.LabelProgress, form.ButtonAbort}) {
    EXPECT_FALSE(hidden->isVisible()) << hidden->metaObject()->className();
  }
  EXPECT_EQ(QApplication::focusWidget(), form.EditTargetDir);
  const std::vector<QWidget*> order = {form.ButtonBrowse, form.CheckBoxAddToProgman,
                                       form.ButtonInstall, form.ButtonExit};
  for (QWidget* next : order) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), next);
  }
}

TEST(FormMain, InstallShowsTheProgressAndEndsWithTheProgramInstalled) {
  SetupWindow window;
  ASSERT_TRUE(window.exposed);
  TFormMain& form = window.form;
  const std::string target = window.home.at("Apps/Vellomar");
  typeTarget(form, target);
  std::vector<std::string> texts;
  bool controlsLocked = false;
  QObject::connect(&form, &TFormMain::progressTextShown, [&](const QString& text) {
    if (texts.empty()) test::saveScreenshot(&form, "setup-during-installation");
    texts.push_back(text.toStdString());
    controlsLocked = form.ButtonAbort->isVisible() && !form.ButtonInstall->isVisible() &&
                     !form.EditTargetDir->isEnabled() && !form.ButtonBrowse->isEnabled() &&
                     !form.CheckBoxAddToProgman->isEnabled() && form.GaugeProgress->isVisible();
  });
  QTest::mouseClick(form.ButtonInstall, Qt::LeftButton);

  EXPECT_TRUE(controlsLocked);
  EXPECT_EQ(texts.front(), "Decompressing Version Info.txt");
  EXPECT_EQ(window.services.boxes(), std::vector<std::string>{kSuccess});
  EXPECT_EQ(window.services.help, std::vector<std::string>{target + "/Vellomar.hlp#1000"});
  EXPECT_TRUE(fs::is_regular_file(target + "/UnRAR.dll"));
  EXPECT_TRUE(fs::is_regular_file(window.home.config("menus/applications-merged/vellomar-5.menu")));
  EXPECT_FALSE(form.isVisible()) << "one attempt ends the program";
}

// The desktop's MIME database, as the installation leaves it, takes the help file for HTML and
// the templates for text; the icons are in the user's theme under the name the entries give.
TEST(FormMain, TheInstalledTypesResolveInTheDesktopsMimeDatabase) {
  SetupWindow window;
  ASSERT_TRUE(window.exposed);
  const std::string target = window.home.at("Vellomar/");
  typeTarget(window.form, target);
  QTest::mouseClick(window.form.ButtonInstall, Qt::LeftButton);
  ASSERT_EQ(window.services.boxes(), std::vector<std::string>{kSuccess});

  const QMimeDatabase mime;
  const struct {
    const char* file;
    const char* type;
    const char* parent;
  } cases[] = {
      {"Vellomar.hlp", "text/x-vellomar-help", "text/html"},
      {"a.kvd", "application/x-vellomar-database", "application/octet-stream"},
      {"Tab delimited.veff", "text/x-vellomar-export-files", "text/plain"},
      {"HTML Brief.vefd", "text/x-vellomar-export-database", "text/plain"},
  };
  for (const auto& c : cases) {
    const QMimeType type =
        mime.mimeTypeForFile(QString::fromUtf8(c.file), QMimeDatabase::MatchExtension);
    EXPECT_EQ(type.name().toStdString(), c.type) << c.file;
    EXPECT_TRUE(type.inherits(QString::fromUtf8(c.parent))) << c.file;
  }
  for (const char* size : {"16x16", "32x32", "48x48", "256x256"}) {
    EXPECT_TRUE(
        fs::is_regular_file(window.home.data("icons/hicolor/") + size + "/apps/vellomar.png"))
        << size;
  }
  const std::string item =
      test::contentOf(window.home.data("applications/vellomar-5-vellomar-5.desktop"));
  EXPECT_NE(item.find("\nIcon=vellomar\n"), std::string::npos) << item;
}

TEST(FormMain, ANewerTemplateOfTheUserIsKeptWhenTheQuestionIsAnsweredNo) {
  SetupWindow window;
  ASSERT_TRUE(window.exposed);
  const std::string target = window.home.at("Vellomar/");
  const std::string mine = target + "Export/Tab delimited.veff";
  ASSERT_TRUE(replaceWholeFile(mine, "mine"));
  const timespec future[2] = {{3786912000, 0}, {3786912000, 0}};  // 2090-01-01
  ASSERT_EQ(::utimensat(AT_FDCWD, mine.c_str(), future, 0), 0);
  window.services.answers() = {MessageAnswer::kNo};
  typeTarget(window.form, target);
  QTest::mouseClick(window.form.ButtonInstall, Qt::LeftButton);
  EXPECT_EQ(window.services.boxes(),
            (std::vector<std::string>{
                "Vellomar Installation: Warning|File Export/Tab delimited.veff already exists and "
                "has newer date than the file, which is to be installed. Are you sure to "
                "overwrite it?",
                kSuccess}));
  EXPECT_EQ(test::contentOf(mine), "mine");
}

TEST(FormMain, CancelOrEscapeDuringTheFirstEntryAbortsAndCloses) {
  for (const bool escape : {false, true}) {
    SCOPED_TRACE(escape ? "Escape" : "Cancel");
    SetupWindow window;
    ASSERT_TRUE(window.exposed);
    TFormMain& form = window.form;
    int texts = 0;
    QObject::connect(&form, &TFormMain::progressTextShown, [&] {
      if (++texts > 1) return;
      if (escape) {
        QTest::keyClick(&form, Qt::Key_Escape);
      } else {
        QTest::mouseClick(form.ButtonAbort, Qt::LeftButton);
      }
    });
    QTest::mouseClick(form.ButtonInstall, Qt::LeftButton);
    EXPECT_EQ(texts, 1);
    EXPECT_EQ(window.services.boxes(),
              std::vector<std::string>{"Vellomar Installation|Installation aborted."});
    EXPECT_TRUE(window.services.help.empty());
    EXPECT_FALSE(form.isVisible());
  }
}

TEST(FormMain, AMissingDataFileCancelledLeavesTheDialogAsItWas) {
  test::TempFolder empty("program");
  SetupWindow window(empty.path() + "/");
  ASSERT_TRUE(window.exposed);
  TFormMain& form = window.form;
  window.services.answers() = {MessageAnswer::kCancel};
  QTest::mouseClick(form.ButtonInstall, Qt::LeftButton);
  EXPECT_EQ(window.services.boxes(),
            std::vector<std::string>{"Vellomar Installation: Data file missing.|The file \"" +
                                     empty.path() +
                                     "/Vlmrar32.dat\" does not exist. Cannot continue in "
                                     "installation. "});
  EXPECT_TRUE(form.isVisible());
  EXPECT_TRUE(form.ButtonInstall->isVisible());
  EXPECT_TRUE(form.EditTargetDir->isEnabled());
  EXPECT_FALSE(form.ButtonAbort->isVisible());
  QTest::mouseClick(form.ButtonExit, Qt::LeftButton);
  EXPECT_FALSE(form.isVisible());
}

TEST(FormMain, AnEmptyTargetIsRefusedAndTheDialogWaitsForAFolder) {
  SetupWindow window;
  ASSERT_TRUE(window.exposed);
  TFormMain& form = window.form;
  form.EditTargetDir->clear();
  QTest::mouseClick(form.ButtonInstall, Qt::LeftButton);
  EXPECT_EQ(window.services.boxes(),
            std::vector<std::string>{
                "Vellomar Installation|Please enter the folder to install Vellomar to."});
  EXPECT_TRUE(form.isVisible());
  EXPECT_TRUE(form.EditTargetDir->isEnabled());
  EXPECT_FALSE(form.ButtonAbort->isVisible());

  const std::string t = window.home.at("Vellomar/");
  typeTarget(form, t);
  QTest::mouseClick(form.ButtonInstall, Qt::LeftButton);
  EXPECT_EQ(window.services.boxes().back(), kSuccess);
  EXPECT_TRUE(fs::is_regular_file(t + "Vellomar.exe"));
  EXPECT_FALSE(form.isVisible());
}

TEST(FormMain, BrowsePutsTheFolderOfTheChosenFileInTheEdit) {
  SetupWindow window;
  ASSERT_TRUE(window.exposed);
  TFormMain& form = window.form;
  typeTarget(form, "/opt/old");
  window.services.chosenFile = "/srv/new place/Vellomar.exe";
  QTest::mouseClick(form.ButtonBrowse, Qt::LeftButton);
  EXPECT_EQ(form.EditTargetDir->text(), "/srv/new place/");
  window.services.chosenFile.reset();
  QTest::mouseClick(form.ButtonBrowse, Qt::LeftButton);
  EXPECT_EQ(form.EditTargetDir->text(), "/srv/new place/") << "a cancelled dialog changes nothing";
  EXPECT_EQ(window.services.proposals,
            (std::vector<std::string>{"/opt/old/Vellomar.exe", "/srv/new place/Vellomar.exe"}));
  EXPECT_EQ(QApplication::focusWidget(), form.EditTargetDir);
}

}  // namespace
}  // namespace vellomar::setup
