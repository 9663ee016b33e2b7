#include <gtest/gtest.h>
#include <signal.h>

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <filesystem>
#include <optional>
#include <ostream>

#include "foundation/UIniFile.h"
#include "tests/support/TempFolder.h"

// Failures name the rectangles.
void PrintTo(const QRect& r, std::ostream* out) {
  *out << r.x() << ',' << r.y() << ' ' << r.width() << 'x' << r.height();
}

namespace vellomar {
namespace {

namespace fs = std::filesystem;

constexpr int kWaitMs = 30000;

bool hasTools(const QStringList& tools) {
  for (const QString& tool : tools)
    if (QStandardPaths::findExecutable(tool).isEmpty()) return false;
  return true;
}

QString output(const QString& tool, const QStringList& arguments, const QString& display) {
  QProcess process;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("DISPLAY", display);
  process.setProcessEnvironment(environment);
  process.start(tool, arguments);
  if (!process.waitForFinished(kWaitMs)) return {};
  return QString::fromUtf8(process.readAllStandardOutput());
}

// A virtual display of 1280 x 900 with openbox managing it, for the run of one test.
class Desktop {
 public:
  Desktop() {
    server_.start("Xvfb", {"-displayfd", "1", "-screen", "0", "1280x900x24", "-nolisten", "tcp"});
    if (!server_.waitForStarted(kWaitMs)) return;
    QString number;
    while (!number.contains('\n') && server_.waitForReadyRead(kWaitMs))
      number += QString::fromUtf8(server_.readAllStandardOutput());
    if (!number.contains('\n')) return;
    display_ = ':' + number.trimmed();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DISPLAY", display_);
    manager_.setProcessEnvironment(environment);
    // The manager has taken the screen once it names itself on the root window. A server that
    // has just named its display may still refuse a client, and the manager then ends: it is
    // started again.
    const bool managed = QTest::qWaitFor(
        [&] {
          if (manager_.state() == QProcess::NotRunning) manager_.start("openbox", {});
          return output("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"}, display_)
              .contains("window id");
        },
        kWaitMs);
    if (!managed) display_.clear();
  }
  ~Desktop() {
    for (QProcess* p : {&manager_, &server_}) {
      p->terminate();
      if (!p->waitForFinished(kWaitMs)) p->kill();
    }
  }
  const QString& display() const { return display_; }

  // The frame of the first window of that title and a class (Qt's group leader has none),
  // once it is framed: the window's absolute position less the borders the manager gives it.
  std::optional<QRect> findFrame(const QString& title) const {
    const QRegularExpression line(
        "(0x[0-9a-f]+) \"" + QRegularExpression::escape(title) +
        "\": \\(\".*\\) +(\\d+)x(\\d+)\\+-?\\d+\\+-?\\d+ +\\+(-?\\d+)\\+(-?\\d+)");
    const QRegularExpressionMatch window =
        line.match(output("xwininfo", {"-root", "-tree"}, display_));
    if (!window.hasMatch()) return std::nullopt;
    const QRegularExpressionMatch extents =
        QRegularExpression("= (\\d+), (\\d+), (\\d+), (\\d+)")
            .match(output("xprop", {"-id", window.captured(1), "_NET_FRAME_EXTENTS"}, display_));
    if (!extents.hasMatch()) return std::nullopt;
    const int left = extents.captured(1).toInt();
    const int top = extents.captured(3).toInt();
    return QRect(window.captured(4).toInt() - left, window.captured(5).toInt() - top,
                 window.captured(2).toInt() + left + extents.captured(2).toInt(),
                 window.captured(3).toInt() + top + extents.captured(4).toInt());
  }

 private:
  QProcess server_;
  QProcess manager_;
  QString display_;
};

bool holdsTempFolder(const std::string& folder) {
  for (const fs::directory_entry& e : fs::directory_iterator(folder))
    if (e.path().filename().string().starts_with("VellomarTemp-")) return true;
  return false;
}

QRect storedBounds(const std::string& ini) {
  const IniFile stored = IniFile::load(ini);
  return QRect(stored.readInteger("Application", "Left", -1),
               stored.readInteger("Application", "Top", -1),
               stored.readInteger("Application", "Width", -1),
               stored.readInteger("Application", "Height", -1));
}

// The program started twice in a folder of the test, under a window manager when this machine
// has one (else offscreen). The first start puts the frame, title bar included, at the default
// inside the screen; the frame's bounds are stored, and the second start puts the frame where
// the first left it, not a title bar lower.
TEST(WindowManagerRun, TheFrameStaysOnTheScreenAndWhereItWasLeft) {
  const bool managed = hasTools({"Xvfb", "openbox", "xwininfo", "xprop"});
  std::optional<Desktop> desktop;
  if (managed) {
    desktop.emplace();
    ASSERT_FALSE(desktop->display().isEmpty()) << "no virtual display with its manager";
  }
  test::TempFolder folder;
  const std::string program = folder.at("Vellomar");
  const std::string tmp = folder.at("tmp");
  const std::string ini = folder.at("Vellomar.INI");
  fs::copy_file(VELLOMAR_PROGRAM, program);
  fs::create_directories(tmp);
  // Runs the program until its frame is at the place expected (or its start-up is done,
  // offscreen) and ends it; the frame last seen.
  const auto run = [&](const QRect& expected) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", managed ? "xcb" : "offscreen");
    if (managed) environment.insert("DISPLAY", desktop->display());
    environment.insert("HOME", QString::fromStdString(folder.path()));
    environment.insert("TMPDIR", QString::fromStdString(tmp));
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QString::fromStdString(program), {});
    std::optional<QRect> frame;
    if (process.waitForStarted(kWaitMs)) {
      const bool reached = QTest::qWaitFor(
          [&] {
            if (!managed) return holdsTempFolder(tmp);
            frame = desktop->findFrame("Vellomar 5");
            return frame == expected;
          },
          kWaitMs);
      EXPECT_TRUE(reached || managed) << "no start-up seen";
      // Never pid 0: that would end the test's own process group.
      if (process.state() == QProcess::Running && process.processId() > 0)
        ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
      process.waitForFinished(kWaitMs);
    }
    return frame;
  };
  const QRect defaults(0, 0, 1280, 900 - 80);
  const std::optional<QRect> first = run(defaults);
  const QRect stored = storedBounds(ini);
  EXPECT_GE(stored.top(), 0);
  EXPECT_GE(stored.left(), 0);
  if (managed) {
    EXPECT_EQ(first, defaults) << "the frame, title bar included, at the default";
    EXPECT_EQ(stored, defaults) << "the frame's bounds are stored, not the window's";
  }
  IniFile moved = IniFile::load(ini);
  moved.writeInteger("Application", "Left", 40);
  moved.writeInteger("Application", "Top", 30);
  moved.writeInteger("Application", "Width", 700);
  moved.writeInteger("Application", "Height", 500);
  moved.save(ini);
  const std::optional<QRect> second = run(QRect(40, 30, 700, 500));
  if (managed) {
    EXPECT_EQ(second, QRect(40, 30, 700, 500));
  }
  EXPECT_EQ(storedBounds(ini), QRect(40, 30, 700, 500)) << "no drift from run to run";
}

}  // namespace
}  // namespace vellomar
