#include <gtest/gtest.h>
#include <signal.h>

#include <QFileSystemWatcher>
#include <QProcess>
#include <QSignalSpy>
#include <filesystem>

#include "foundation/UIniFile.h"
#include "tests/support/TempFolder.h"

namespace vellomar {
namespace {

namespace fs = std::filesystem;

bool holdsTempFolder(const std::string& folder) {
  for (const fs::directory_entry& e : fs::directory_iterator(folder))
    if (e.path().filename().string().starts_with("VellomarTemp-")) return true;
  return false;
}

// The program as the desktop starts it, in a folder of the test, offscreen.
class ProgramRun : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::copy_file(VELLOMAR_PROGRAM, program_);
    fs::create_directories(tmp_);
  }
  // Started; returns once its first idle pass has made the temporary folder.
  void start(const QStringList& arguments) {
    QFileSystemWatcher watcher({QString::fromStdString(tmp_)});
    QSignalSpy changed(&watcher, &QFileSystemWatcher::directoryChanged);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("TMPDIR", QString::fromStdString(tmp_));
    environment.insert("HOME", QString::fromStdString(folder_.path()));
    process_.setProcessEnvironment(environment);
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QString::fromStdString(program_), arguments);
    ASSERT_TRUE(process_.waitForStarted());
    while (!holdsTempFolder(tmp_)) ASSERT_TRUE(changed.wait(60000)) << "no start-up seen";
  }
  // SIGTERM, as the session's end sends it: the program closes as at any exit.
  void endSession() {
    ::kill(static_cast<pid_t>(process_.processId()), SIGTERM);
    ASSERT_TRUE(process_.waitForFinished(60000));
    EXPECT_EQ(process_.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process_.exitCode(), 0);
    EXPECT_FALSE(holdsTempFolder(tmp_));
  }

  test::TempFolder folder_;
  const std::string program_ = folder_.at("Vellomar");
  const std::string tmp_ = folder_.at("tmp");
  QProcess process_;
};

// The program starts, makes its temporary folder on the first idle pass, and on SIGTERM (the
// session ending) closes as at any exit: settings and recent files written, folder removed.
TEST_F(ProgramRun, StartsAndQuitsOnTheSessionsEnd) {
  start({});
  endSession();
  const IniFile ini = IniFile::load(folder_.at("Vellomar.INI"));
  EXPECT_TRUE(ini.value("Application", "Width").has_value());
  EXPECT_TRUE(ini.value("Application", "MDIChildHeader1").has_value());
  EXPECT_TRUE(IniFile::load(folder_.at("Settings.ini")).hasSection("RecentFiles"));
}

// The start-up box about a file that is no catalogue is up, or about to be, when the session
// ends: the box gives way and the program ends.
TEST_F(ProgramRun, QuitsUnderTheStartupBox) {
  start({QString::fromStdString(folder_.file("text.kvd", "not a catalogue"))});
  endSession();
}

}  // namespace
}  // namespace vellomar
