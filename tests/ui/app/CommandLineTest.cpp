#include "ui/app/UCommandLine.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <filesystem>
#include <string>
#include <vector>

namespace vellomar {
namespace {

// Relative names are taken against /cwd; names of 300 bytes do not fit a path.
bool fakeExpand(const std::string& parameter, ShortString& full) {
  if (parameter.size() > 255) return false;
  full = ShortString(parameter[0] == '/' ? parameter : "/cwd/" + parameter);
  return true;
}

TCommandLineParse parse(const std::vector<std::string>& parameters) {
  return ParseCommandLine(parameters, fakeExpand);
}

TEST(CommandLine, TableOfLines) {
  const std::string invalidOption = "Invalid option: ";
  const std::string mixed = "Options /f and /s cannot be mixed on command line.";
  const struct {
    std::vector<std::string> parameters;
    bool ok;
    TCommandLine line;
    std::vector<std::string> messages;
  } cases[] = {
      {{}, true, {}, {}},
      {{"db.kvd"}, true, {"/cwd/db.kvd", "", "", false}, {}},
      {{"/home/me/disks.kvd"}, true, {"/home/me/disks.kvd", "", "", false}, {}},
      {{"db.kvd", "/s:d", "/a"}, true, {"/cwd/db.kvd", "", "d", true}, {}},
      {{"db.kvd", "/a", "/s:d"}, true, {"/cwd/db.kvd", "", "d", true}, {}},
      {{"db.kvd", "/S:DE", "/A"}, true, {"/cwd/db.kvd", "", "de", true}, {}},
      {{"/f:|my", "file|"}, true, {"", "my file", "", false}, {}},
      {{"db.kvd", "/F:Readme.TXT"}, true, {"/cwd/db.kvd", "readme.txt", "", false}, {}},
      {{"/f:x/a"}, true, {"", "x", "", true}, {}},
      {{"/f:|a/b|"}, true, {"", "a/b", "", false}, {}},
      {{"/a"}, true, {"", "", "", true}, {}},
      // Anything but a letter in /s: would be scanned as a drive.
      {{"/s:c,d:|e|"}, true, {"", "", "cde", false}, {}},
      {{"db.kvd", "-a"}, false, {}, {invalidOption + "-a"}},
      {{"a.kvd", "b.kvd"}, false, {}, {"Invalid parameter: b.kvd"}},
      {{"db.kvd", "/f:x", "/s:c"}, false, {}, {mixed}},
      {{"db.kvd", "/f:"}, false, {}, {invalidOption + "/f:"}},
      {{"/f:a", "/f:b"}, false, {}, {invalidOption + "/f:b"}},
      {{"/f:|a", "b|", "rest.kvd"}, true, {"/cwd/rest.kvd", "a b", "", false}, {}},
      {{"/f:x y"}, false, {}, {invalidOption + " y"}},
      {{"/s:c", "/f:x", "/s:d"}, false, {}, {mixed, invalidOption + "/s:d"}},
      // The database named before the error is not kept pending either.
      {{"db.kvd", "-q", "/f:x"}, false, {}, {invalidOption + "-q"}},
      {{"a.kvd", "b.kvd", "/x:y"}, false, {}, {"Invalid parameter: b.kvd"}},
      {{std::string(300, 'n')}, false, {}, {"Invalid parameter: " + std::string(300, 'n')}},
  };
  for (const auto& c : cases) {
    const TCommandLineParse result = parse(c.parameters);
    std::string joined;
    for (const std::string& p : c.parameters) joined += "[" + p + "]";
    SCOPED_TRACE(joined);
    EXPECT_EQ(result.Ok, c.ok);
    EXPECT_EQ(result.Line.CmdDatabase.str(), c.line.CmdDatabase.str());
    EXPECT_EQ(result.Line.CmdFindText.str(), c.line.CmdFindText.str());
    EXPECT_EQ(result.Line.CmdScanDrives.str(), c.line.CmdScanDrives.str());
    EXPECT_EQ(result.Line.CmdAutoMode, c.line.CmdAutoMode);
    std::vector<std::string> texts;
    for (const TCommandLineMessage& m : result.Messages) {
      texts.push_back(m.Text);
      EXPECT_EQ(m.Caption, "Error on command line");
    }
    EXPECT_EQ(texts, c.messages);
  }
}

TEST(CommandLine, OptionStringKeepsAtMost255Characters) {
  // A long quoted value is cut with the option string, never inside a character.
  const std::string longValue = "/f:|" + std::string(250, 'x') + "é|";
  const TCommandLineParse result = parse({longValue});
  EXPECT_TRUE(result.Ok);
  EXPECT_EQ(result.Line.CmdFindText.str(), std::string(250, 'x'));
}

TEST(CommandLine, RelativeDatabaseIsExpandedAgainstTheCurrentFolder) {
  ShortString full;
  ASSERT_TRUE(expandToFullPath("sub/../db.kvd", full));
  EXPECT_EQ(full.str(), (std::filesystem::current_path() / "db.kvd").string());
  ASSERT_TRUE(expandToFullPath("/home/me/./disks.kvd", full));
  EXPECT_EQ(full.str(), "/home/me/disks.kvd");
  EXPECT_FALSE(expandToFullPath("", full));
  EXPECT_FALSE(expandToFullPath("/" + std::string(300, 'a'), full));
}

TEST(CommandLine, QtOptionsAreLeftOutAndAbsolutePathsStayDatabases) {
  QProcess probe;
  probe.start(VELLOMAR_PARAMETERS_PROBE,
              {"-platform", "offscreen", "-reverse", "/home/me/disks.kvd", "/F:Readme.TXT"});
  ASSERT_TRUE(probe.waitForFinished());
  ASSERT_EQ(probe.exitCode(), 0) << probe.readAllStandardError().toStdString();
  std::vector<std::string> parameters;
  for (const QString& line :
       QString::fromUtf8(probe.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts)) {
    parameters.push_back(line.toStdString());
  }
  EXPECT_EQ(parameters, (std::vector<std::string>{"/home/me/disks.kvd", "/F:Readme.TXT"}));

  const TCommandLineParse result = parse(parameters);
  EXPECT_TRUE(result.Ok);
  EXPECT_EQ(result.Line.CmdDatabase.str(), "/home/me/disks.kvd");
  EXPECT_EQ(result.Line.CmdFindText.str(), "readme.txt");
}

}  // namespace
}  // namespace vellomar
