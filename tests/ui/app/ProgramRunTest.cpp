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

// The program starts, makes its temporary folder on the first idle pass, and on SIGTERM (the
// session ending) closes as at any exit: settings and recent files written, folder removed.
TEST(Program, StartsAndQuitsOnTheSessionsEnd) {
  test::TempFolder folder;
  const std::string program = folder.at("Vellomar");
  fs::copy_file(VELLOMAR_PROGRAM, program);
  const std::string tmp = folder.at("tmp");
  fs::create_directories(tmp);

  QFileSystemWatcher watcher({QString::fromStdString(tmp)});
  QSignalSpy changed(&watcher, &QFileSystemWatcher::directoryChanged);
  QProcess process;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("QT_QPA_PLATFORM", "offscreen");
  environment.insert("TMPDIR", QString::fromStdString(tmp));
  environment.insert("HOME", QString::fromStdString(folder.path()));
  process.setProcessEnvironment(environment);
  process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  process.start(QString::fromStdString(program), {});
  ASSERT_TRUE(process.waitForStarted());
  while (!holdsTempFolder(tmp)) ASSERT_TRUE(changed.wait(60000)) << "no start-up seen";

  ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
  ASSERT_TRUE(process.waitForFinished(60000));
  EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(process.exitCode(), 0);
  EXPECT_FALSE(holdsTempFolder(tmp));
  const IniFile ini = IniFile::load(folder.at("Vellomar.INI"));
  EXPECT_TRUE(ini.value("Application", "Width").has_value());
  EXPECT_TRUE(ini.value("Application", "MDIChildHeader1").has_value());
  EXPECT_TRUE(IniFile::load(folder.at("Settings.ini")).hasSection("RecentFiles"));
}

}  // namespace
}  // namespace vellomar
