#include "setup/InstallFlow.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>

#include "platform/PRegistry.h"
#include "platform/PWholeFile.h"
#include "tests/setup/InstallFixtures.h"
#include "tests/setup/TestFileSystems.h"
#include "tests/setup/ZipTestFiles.h"

namespace vellomar::setup {
namespace {

namespace fs = std::filesystem;
using test::Bytes;
using test::contentOf;
using test::TempFolder;
using test::UserHome;

const Bytes kProgram = {0x7F, 'E', 'L', 'F', 2, 1, 1, 0};

Bytes bytesOf(std::string_view text) {
  return Bytes(text.begin(), text.end());
}

// A program folder holding Setup's data file.
class ProgramFolder {
 public:
  // more: entries after the usual ones, as an earlier version's data file may have had.
  explicit ProgramFolder(std::vector<test::ZipTestEntry> more = {}) : folder_("program") {
    std::vector<test::ZipTestEntry> entries = {
        test::storedEntry("VELLOMAR.EXE", kProgram),
        test::storedEntry("README.TXT", bytesOf("read me")),
        test::storedEntry("UNINST.EXE", kProgram),
        test::storedEntry("htmld.efd", bytesOf("[Database]")),
        test::storedEntry("td.eff", bytesOf("[Files]")),
        test::storedEntry("extra.dat", bytesOf("extra")),
    };
    entries.insert(entries.end(), more.begin(), more.end());
    test::writeFile(dataFile(), test::buildZip(entries));
  }
  const std::string& path() const { return folder_.path(); }
  std::string dataFile() const { return folder_.at(kDataFileName); }

 private:
  TempFolder folder_;
};

constexpr char kTimeValues[] = "dword:19ba4000\n";  // 2025-01-01 00:00 UTC, low half
constexpr char kTimeHigh[] = "dword:01db5be0\n";

// The File values of the installed-file lines, times for those marked "*", then the help
// system's two files.
std::string fileValues(std::vector<std::string> lines) {
  lines.insert(lines.end(), {" Vellomar.GID", " Vellomar.FTS"});
  std::string values;
  for (size_t n = 0; n < lines.size(); ++n) {
    const std::string number = std::to_string(n);
    values += "\"File" + number + "\"=\"" + lines[n].substr(1) + "\"\n";
    if (lines[n][0] == '*') {
      values += "\"TimeLo" + number + "\"=" + kTimeValues + "\"TimeHi" + number + "\"=" + kTimeHigh;
    }
  }
  return values;
}

const std::vector<std::string> kInstalledFiles = {" Vellomar.exe", " Read Me.txt",
                                                  "*Export/HTML Detailed.vefd",
                                                  "*Export/Tab delimited.veff", "*extra.dat"};

std::string templateTypeKeys(const std::string& extension, const std::string& type,
                             const std::string& description) {
  const std::string key = "[HKEY_CLASSES_ROOT\\" + type;
  return "[HKEY_CLASSES_ROOT\\" + extension + "]\n@=\"" + type + "\"\n\n" + key + "]\n@=\"" +
         description + "\"\n\n" + key + "\\shell]\n\n" + key + "\\shell\\open]\n@=\"Open\"\n\n" +
         key + "\\shell\\open\\command]\n@=\"xdg-open \\\"%1\\\"\"\n\n";
}

// The registry after installing the program folder's data file into t.
std::string expectedRegistry(const UserHome& home, const std::string& t,
                             const std::vector<std::string>& installed = kInstalledFiles) {
  const std::string programs = home.data("applications/");
  return "REGEDIT4\n\n"
         "[HKEY_LOCAL_MACHINE\\Software]\n\n"
         "[HKEY_LOCAL_MACHINE\\Software\\Halvik]\n\n"
         "[HKEY_LOCAL_MACHINE\\Software\\Halvik\\Vellomar]\n"
         "\"VersionMajor\"=dword:00000005\n"
         "\"VersionMinor\"=dword:0000000f\n"
         "\"Path\"=\"" +
         t +
         "\"\n"
         "\"Language\"=\"English\"\n\n"
         "[HKEY_LOCAL_MACHINE\\Software\\Halvik\\Vellomar\\Uninstall]\n"
         "\"Folder0\"=\"" +
         t + "Export\"\n\"Folder1\"=\"" + t + "\"\n" + fileValues(installed) + "\"MenuFile0\"=\"" +
         programs + "vellomar-5-vellomar-5.desktop\"\n\"MenuFile1\"=\"" + programs +
         "vellomar-5-vellomar-help.desktop\"\n\"MenuFile2\"=\"" + programs +
         "vellomar-5-uninstall-vellomar.desktop\"\n\"MenuGroup\"=\"" +
         home.config("menus/applications-merged/vellomar-5.menu") +
         "\"\n\n"
         "[HKEY_LOCAL_MACHINE\\Software\\Microsoft]\n\n"
         "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows]\n\n"
         "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion]\n\n"
         "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall]\n\n"
         "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
         "Vellomar 5]\n"
         "\"DisplayName\"=\"Vellomar 5\"\n"
         "\"UninstallString\"=\"" +
         t +
         "Uninstall.exe\"\n\n"
         "[HKEY_CLASSES_ROOT\\.kvd]\n@=\"Vellomar.Database\"\n\n"
         "[HKEY_CLASSES_ROOT\\Vellomar.database]\n@=\"Vellomar database\"\n\n"
         "[HKEY_CLASSES_ROOT\\Vellomar.database\\shell]\n\n"
         "[HKEY_CLASSES_ROOT\\Vellomar.database\\shell\\open]\n@=\"Open\"\n\n"
         "[HKEY_CLASSES_ROOT\\Vellomar.database\\shell\\open\\command]\n@=\"\\\"" +
         t +
         "Vellomar.exe\\\" \\\"%1\\\"\"\n\n"
         "[HKEY_CLASSES_ROOT\\Vellomar.database\\DefaultIcon]\n@=\"" +
         t + "Vellomar.ico\"\n\n" +
         templateTypeKeys(".vefd", "Vellomar.ExportFormat.Database",
                          "Vellomar Export Format for Database") +
         templateTypeKeys(".veff", "Vellomar.ExportFormat.Files",
                          "Vellomar Export Format for Files") +
         templateTypeKeys(".vefs", "Vellomar.ExportFormat.Space",
                          "Vellomar Export Format for Space list") +
         "[HKEY_CLASSES_ROOT\\.k32]\n@=\"Vellomar.Filter\"\n\n"
         "[HKEY_CLASSES_ROOT\\Vellomar.Filter]\n@=\"Vellomar Filter for Descriptions\"\n\n";
}

// Every entry under a folder with its permissions, and a file's content and time, so a failed
// installation can be shown to have changed nothing there.
std::map<std::string, std::string> treeOf(const std::string& folder) {
  std::map<std::string, std::string> tree;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
    const fs::file_status status = fs::symlink_status(entry.path());
    std::string state = std::to_string(static_cast<unsigned>(status.permissions()));
    if (fs::is_regular_file(status)) {
      state += " " + std::to_string(fs::last_write_time(entry.path()).time_since_epoch().count()) +
               " " + contentOf(entry.path());
    }
    tree[entry.path().string()] = state;
  }
  return tree;
}

std::string criticalBox(const std::string& message) {
  return "Critical error|Critical error.\n" + message;
}

bool runsAsProgram(const std::string& path) {
  return ::access(path.c_str(), X_OK) == 0;
}

std::vector<std::string> desktopEntries(const UserHome& home) {
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(home.data("applications"))) {
    if (entry.path().extension() == ".desktop") names.push_back(entry.path().filename());
  }
  std::ranges::sort(names);
  return names;
}

TEST(InstallFlow, InstallsEveryFileAndRecordsTheInstallationForTheDesktop) {
  UserHome home;
  ProgramFolder program;
  test::InstallAttempt attempt;
  const std::string typed = home.at("Apps/Vellomar");  // no trailing "/"
  const std::string t = typed + "/";
  ASSERT_TRUE(attempt.run(program.path(), typed, true));

  EXPECT_EQ(
      attempt.messages.boxes,
      std::vector<std::string>{"Vellomar Installation|Installation was successfully completed."});
  EXPECT_TRUE(attempt.form.progressShown);
  EXPECT_EQ(attempt.form.help, std::vector<std::string>{t + "Vellomar.hlp#1000"});
  for (const char* name : {"Vellomar.exe", "Read Me.txt", "Uninstall.exe",
                           "Export/HTML Detailed.vefd", "Export/Tab delimited.veff", "extra.dat"}) {
    EXPECT_TRUE(fs::is_regular_file(t + name)) << name;
  }
  EXPECT_EQ(contentOf(t + "Read Me.txt"), "read me");
  EXPECT_TRUE(runsAsProgram(t + "Vellomar.exe"));
  EXPECT_TRUE(runsAsProgram(t + "Uninstall.exe"));
  EXPECT_FALSE(runsAsProgram(t + "Read Me.txt"));

  EXPECT_EQ(home.registryText(), expectedRegistry(home, t));

  const std::string types = contentOf(home.data("applications/vellomar.desktop"));
  EXPECT_NE(types.find("\nExec=\"" + t + "Vellomar.exe\" %f\n"), std::string::npos) << types;
  EXPECT_NE(types.find("\nMimeType=application/x-vellomar-database;\n"), std::string::npos);
  const std::string mime = contentOf(home.data("mime/packages/vellomar.xml"));
  EXPECT_NE(mime.find("<mime-type type=\"text/x-vellomar-export-files\">\n"
                      "    <comment>Vellomar Export Format for Files</comment>\n"
                      "    <sub-class-of type=\"text/plain\"/>\n"
                      "    <glob pattern=\"*.veff\"/>\n"),
            std::string::npos)
      << mime;
  // The desktop's MIME tool accepted the package.
  EXPECT_NE(contentOf(home.data("mime/globs2")).find("application/x-vellomar-database:*.kvd"),
            std::string::npos);
  EXPECT_NE(contentOf(home.data("mime/globs2")).find("text/x-vellomar-help:Vellomar.hlp:cs"),
            std::string::npos);
  EXPECT_NE(contentOf(home.data("mime/subclasses")).find("text/x-vellomar-export-space text/plain"),
            std::string::npos);

  const std::string menu = contentOf(home.config("menus/applications-merged/vellomar-5.menu"));
  EXPECT_NE(menu.find("    <Name>Vellomar 5</Name>\n"
                      "    <Directory>vellomar-5.directory</Directory>\n"
                      "    <Include>\n"
                      "      <Filename>vellomar-5-vellomar-5.desktop</Filename>\n"
                      "      <Filename>vellomar-5-vellomar-help.desktop</Filename>\n"
                      "      <Filename>vellomar-5-uninstall-vellomar.desktop</Filename>\n"),
            std::string::npos)
      << menu;
  EXPECT_NE(
      contentOf(home.data("desktop-directories/vellomar-5.directory")).find("\nName=Vellomar 5\n"),
      std::string::npos);
  EXPECT_NE(contentOf(home.data("applications/vellomar-5-vellomar-help.desktop"))
                .find("\nExec=\"xdg-open\" \"" + t + "Vellomar.hlp\"\n"),
            std::string::npos);
  EXPECT_NE(contentOf(home.data("applications/vellomar-5-uninstall-vellomar.desktop"))
                .find("\nTryExec=" + t + "Uninstall.exe\n"),
            std::string::npos);
}

TEST(InstallFlow, AReinstallationReplacesTheMenuItemsAndTheRecord) {
  UserHome home;
  ProgramFolder program;
  const std::string first = home.at("first/");
  const std::string second = home.at("second/");
  for (const std::string& target : {first, second}) {
    test::InstallAttempt attempt;
    ASSERT_TRUE(attempt.run(program.path(), target, true));
  }
  EXPECT_EQ(desktopEntries(home),
            (std::vector<std::string>{"vellomar-5-uninstall-vellomar.desktop",
                                      "vellomar-5-vellomar-5.desktop",
                                      "vellomar-5-vellomar-help.desktop", "vellomar.desktop"}));
  const std::string item = contentOf(home.data("applications/vellomar-5-vellomar-5.desktop"));
  EXPECT_NE(item.find("\nExec=\"" + second + "Vellomar.exe\"\n"), std::string::npos) << item;
  EXPECT_EQ(item.find(first), std::string::npos);
  EXPECT_EQ(home.registryText(), expectedRegistry(home, second));
}

// A newer template kept by answering No is not the installation's, so it is not listed; values
// of an earlier installation of more files do not stay.
TEST(InstallFlow, AReinstallationKeepingANewerFileWritesTheRecordAfresh) {
  UserHome home;
  const std::string t = home.at("Vellomar/");
  {
    ProgramFolder earlier(
        {test::storedEntry("old1.dat", bytesOf("1")), test::storedEntry("old2.dat", bytesOf("2"))});
    test::InstallAttempt attempt;
    ASSERT_TRUE(attempt.run(earlier.path(), t, true));
  }
  const std::string kept = t + "Export/HTML Detailed.vefd";
  ASSERT_TRUE(replaceWholeFile(kept, "mine"));
  const timespec times[2] = {{1893456000, 0}, {1893456000, 0}};  // 2030-01-01 00:00 UTC
  ASSERT_EQ(::utimensat(AT_FDCWD, kept.c_str(), times, 0), 0);

  ProgramFolder program;
  test::InstallAttempt attempt;
  attempt.form.answers = {InstallAnswer::kNo};
  ASSERT_TRUE(attempt.run(program.path(), t, true));
  ASSERT_EQ(attempt.form.questions.size(), 1u);
  EXPECT_EQ(contentOf(kept), "mine");
  EXPECT_EQ(home.registryText(), expectedRegistry(home, t,
                                                  {" Vellomar.exe", " Read Me.txt",
                                                   "*Export/Tab delimited.veff", "*extra.dat"}));
}

TEST(InstallFlow, WithoutTheMenuBoxNoGroupIsMadeButTheMenuPathsAreStillRecorded) {
  UserHome home;
  ProgramFolder program;
  test::InstallAttempt attempt;
  const std::string t = home.at("Vellomar/");
  ASSERT_TRUE(attempt.run(program.path(), t, false));
  EXPECT_FALSE(fs::exists(home.config("menus")));
  EXPECT_EQ(desktopEntries(home), std::vector<std::string>{"vellomar.desktop"});
  EXPECT_EQ(home.registryText(), expectedRegistry(home, t));
}

TEST(InstallFlow, AMissingDataFileAsksToRetryAndCancelLeavesEverythingAsItWas) {
  UserHome home;
  TempFolder empty("program");
  test::InstallAttempt attempt;
  attempt.messages.answers = {MessageAnswer::kRetry, MessageAnswer::kCancel};
  EXPECT_FALSE(attempt.run(empty.path(), home.at("Vellomar"), true));
  const std::string box = "Vellomar Installation: Data file missing.|The file \"" + empty.path() +
                          "/Vlmrar32.dat\" does not exist. Cannot continue in installation. ";
  EXPECT_EQ(attempt.messages.boxes, (std::vector<std::string>{box, box}));
  EXPECT_FALSE(attempt.form.progressShown);
  EXPECT_FALSE(fs::exists(home.at("Vellomar")));
  EXPECT_FALSE(fs::exists(home.config("vellomar")));
}

TEST(InstallFlow, CancelDuringTheFirstEntryEndsWithTheAbortBox) {
  UserHome home;
  ProgramFolder program;
  test::InstallAttempt attempt;
  attempt.form.abortAfterLabels = 1;
  EXPECT_TRUE(attempt.run(program.path(), home.at("Vellomar"), true));
  EXPECT_EQ(attempt.form.labels, std::vector<std::string>{"Decompressing Vellomar.exe"});
  EXPECT_EQ(attempt.messages.boxes,
            std::vector<std::string>{"Vellomar Installation|Installation aborted."});
  EXPECT_TRUE(attempt.form.help.empty());
  // The file being unpacked went with the rest: only the folders made stay.
  std::vector<std::string> left;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(home.at("Vellomar"))) {
    left.push_back(entry.path().filename());
  }
  EXPECT_EQ(left, std::vector<std::string>{"Export"});
  EXPECT_FALSE(fs::exists(home.data("applications")));
}

TEST(InstallFlow, TargetTextsAreMadeAbsoluteFolders) {
  UserHome home;
  fs::create_directories(home.at("work/here"));
  test::CurrentFolder current(home.at("work/here"));
  struct Case {
    const char* typed;
    std::string target;
  };
  const Case cases[] = {
      {"Vellomar", home.at("work/here/Vellomar/")},
      {"sub/dir/", home.at("work/here/sub/dir/")},
      {"../up/./Vellomar", home.at("work/up/Vellomar/")},
      {"/abs/../abs/x", "/abs/x/"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(targetFolderOf(c.typed), c.target) << c.typed;
  }
  ProgramFolder program;
  test::InstallAttempt attempt;
  ASSERT_TRUE(attempt.run(program.path(), "relative/Vellomar", false));
  EXPECT_TRUE(fs::is_regular_file(home.at("work/here/relative/Vellomar/Vellomar.exe")));
  EXPECT_FALSE(fs::exists(home.at("work/here/relative/Vellomar.exe")));
}

TEST(InstallFlow, ATargetThatCannotBeMadeIsRefusedBeforeAnythingIsWritten) {
  UserHome home;
  ProgramFolder program;
  const std::string plain = home.at("plain");
  test::writeFile(plain, bytesOf("not a folder"));
  struct Case {
    std::string typed;
    std::string folder;  // named in the box
  };
  const Case cases[] = {{plain + "/sub", plain + "/sub"}, {plain, plain}};
  for (const Case& c : cases) {
    test::InstallAttempt attempt;
    EXPECT_TRUE(attempt.run(program.path(), c.typed, true));
    EXPECT_EQ(attempt.messages.boxes, std::vector<std::string>{"Vellomar Installation|Složku " +
                                                               c.folder + " nelze vytvořit."});
    EXPECT_TRUE(attempt.form.labels.empty());
    EXPECT_FALSE(fs::exists(home.config("vellomar")));
    EXPECT_FALSE(fs::exists(home.data("applications")));
  }
}

TEST(InstallFlow, RecordsThatCannotBeWrittenEndInTheirErrorBox) {
  UserHome home;
  ProgramFolder program;
  {
    // The registry's folder is taken by a file.
    fs::create_directories(home.config(""));
    test::writeFile(home.config("vellomar"), bytesOf("x"));
    test::InstallAttempt attempt;
    EXPECT_TRUE(attempt.run(program.path(), home.at("Vellomar"), true));
    EXPECT_EQ(attempt.messages.boxes,
              std::vector<std::string>{"Critical error|Critical error.\nCannot "
                                       "write the registry file " +
                                       home.config("vellomar/registry.reg") + ": Not a directory"});
    fs::remove(home.config("vellomar"));
  }
  {
    // The menus' folder is taken by a file: the group fails, and nothing after it runs.
    test::writeFile(home.config("menus"), bytesOf("x"));
    test::InstallAttempt attempt;
    EXPECT_TRUE(attempt.run(program.path(), home.at("Vellomar"), true));
    EXPECT_EQ(
        attempt.messages.boxes,
        std::vector<std::string>{"Vellomar Installation|Cannot create icons in Program Manager."});
    EXPECT_FALSE(fs::exists(home.data("mime/packages/vellomar.xml")));
    EXPECT_EQ(home.registryText().find("MenuGroup"), std::string::npos);
  }
  {
    // The desktop's type package cannot be written.
    fs::remove(home.config("menus"));
    fs::create_directories(home.data("mime/packages/vellomar.xml"));
    test::InstallAttempt attempt;
    EXPECT_TRUE(attempt.run(program.path(), home.at("Vellomar"), true));
    ASSERT_EQ(attempt.messages.boxes.size(), 1u);
    EXPECT_EQ(attempt.messages.boxes[0], "Critical error|Critical error.\nCannot write the file " +
                                             home.data("mime/packages/vellomar.xml") + ".");
  }
}

TEST(InstallFlow, TheDefaultTargetIsTheUsualFolderOrTheOneRecorded) {
  UserHome home;
  const std::string usual = home.at("Vellomar/");
  EXPECT_EQ(FindDefaultTargetDir(), usual);
  {
    Registry registry;
    registry.rootKey = RegistryRoot::kLocalMachine;
    ASSERT_TRUE(registry.openKey("\\Software\\Halvik\\Vellomar", true));
    registry.writeString("Path", "/opt/vellomar");
    registry.closeKey();
  }
  EXPECT_EQ(FindDefaultTargetDir(), "/opt/vellomar/");
  fs::create_directories(usual);
  test::writeFile(usual + "Vellomar.exe", kProgram);
  EXPECT_EQ(FindDefaultTargetDir(), usual);
}

// Nothing is written anywhere, the earlier installation's folder and record included, before the
// whole data file has proved sound.
TEST(InstallFlow, ADamagedDataFileLeavesTheEarlierInstallationAndItsRecordWhole) {
  UserHome home;
  const std::string t = home.at("Vellomar/");
  {
    ProgramFolder earlier;
    test::InstallAttempt attempt;
    ASSERT_TRUE(attempt.run(earlier.path(), t, true));
  }
  const std::map<std::string, std::string> before = treeOf(home.path());

  const Bytes sound = test::readFile(ProgramFolder().dataFile());
  const size_t programData = 30 + std::strlen("VELLOMAR.EXE");
  const size_t readMeData = programData + kProgram.size() + 30 + std::strlen("README.TXT");
  struct Case {
    const char* what;
    Bytes dataFile;
    std::string message;  // {} for the data file's own path
  };
  std::vector<Case> cases = {
      {"truncated", Bytes(sound.begin(), sound.begin() + readMeData + 3),
       "Error in archive #8\nREADME.TXT"},
      {"one bit flipped", sound, "Error in archive #8\nVELLOMAR.EXE"},
      {"bad signature", sound, {}},
  };
  cases[1].dataFile[programData + 5] ^= 0x10;
  cases[2].dataFile[0] = 'X';
  for (const char* name : {"../evil.txt", "Export/../../evil.txt", "..\\evil.txt",
                           "/vellomar-setup-test-evil.txt", "sub/evil.txt"}) {
    cases.push_back({name,
                     test::buildZip({test::storedEntry("README.TXT", bytesOf("new")),
                                     test::storedEntry(name, bytesOf("evil"))}),
                     "Error in archive #2\n" + std::string(name)});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ProgramFolder program;
    test::writeFile(program.dataFile(), c.dataFile);
    test::InstallAttempt attempt;
    EXPECT_TRUE(attempt.run(program.path(), t, true));
    const std::string message =
        c.message.empty() ? "Error in archive #1 " + program.dataFile() : c.message;
    EXPECT_EQ(attempt.messages.boxes, std::vector<std::string>{criticalBox(message)});
    EXPECT_EQ(treeOf(home.path()), before);
  }
  EXPECT_FALSE(fs::exists("/vellomar-setup-test-evil.txt"));
}

// The dialog stays for another try, and nothing is made, the current folder's tree included.
TEST(InstallFlow, TargetsNamingNoUsableFolderAreRefusedBeforeAnythingIsMade) {
  UserHome home;
  ProgramFolder program;
  {
    test::InstallAttempt attempt;
    ASSERT_TRUE(attempt.run(program.path(), home.at("Vellomar"), true));
  }
  fs::create_directories(home.at("work"));
  test::CurrentFolder current(home.at("work"));
  const std::map<std::string, std::string> before = treeOf(home.path());
  const std::string noFolder =
      "Vellomar Installation|Please enter the folder to install Vellomar to.";
  const std::string controls =
      "Vellomar Installation|A folder name cannot hold a line break or another control character.";
  const std::pair<std::string, std::string> cases[] = {
      {"", noFolder},
      {"    ", noFolder},
      {"new\nfolder", controls},
      {home.at("Vellomar\n"), controls},
      {"tab\there", controls},
  };
  for (const auto& [typed, box] : cases) {
    SCOPED_TRACE(typed);
    test::InstallAttempt attempt;
    EXPECT_FALSE(attempt.run(program.path(), typed, true));
    EXPECT_EQ(attempt.messages.boxes, std::vector<std::string>{box});
    EXPECT_FALSE(attempt.form.progressShown);
    EXPECT_EQ(treeOf(home.path()), before);
  }
}

TEST(InstallFlow, ANonAsciiTargetIsInstalledToAndRecordedAsTyped) {
  UserHome home;
  ProgramFolder program;
  const std::string t = home.at("Programy/Čeština – ž/");
  test::InstallAttempt attempt;
  ASSERT_TRUE(attempt.run(program.path(), t, true));
  EXPECT_TRUE(runsAsProgram(t + "Vellomar.exe"));
  EXPECT_EQ(home.registryText(), expectedRegistry(home, t));
  EXPECT_EQ(FindDefaultTargetDir(), t);
}

// Each target holds an earlier installation, or lies beside one, that must come through whole.
// Read-only folders and a full disk are made by a small file system where the test may mount
// one; otherwise by permissions, which root does not heed, and by a limit on file sizes.
TEST(InstallFlow, AReadOnlyOrFullTargetLeavesTheEarlierInstallationWhole) {
  UserHome home;
  ProgramFolder program;
  auto installEarlier = [&](const std::string& target) {
    test::InstallAttempt attempt;
    return attempt.run(program.path(), target, true) &&
           attempt.messages.boxes == std::vector<std::string>{
                                         "Vellomar Installation|Installation was successfully "
                                         "completed."};
  };
  ASSERT_TRUE(installEarlier(home.at("Vellomar/")));
  auto attemptChangesNothing = [&](const std::string& dataFolder, const std::string& target,
                                   const std::string& box) {
    const std::map<std::string, std::string> before = treeOf(home.path());
    test::InstallAttempt attempt;
    EXPECT_TRUE(attempt.run(dataFolder, target, true));
    EXPECT_EQ(attempt.messages.boxes, std::vector<std::string>{box});
    EXPECT_EQ(treeOf(home.path()), before);
  };
  {
    SCOPED_TRACE("read-only parent");
    const std::string parent = home.at("locked");
    test::SmallFileSystem small(parent, 1 << 16);
    const test::ReadOnlyFolders locked(small, {parent});
    if (locked.held()) {
      attemptChangesNothing(program.path(), parent + "/Vellomar",
                            "Vellomar Installation|Složku " + parent + "/Vellomar nelze vytvořit.");
    }
  }
  {
    SCOPED_TRACE("existing read-only folder");
    const std::string t = home.at("kept/");
    test::SmallFileSystem small(t, 1 << 20);
    ASSERT_TRUE(installEarlier(t));
    const test::ReadOnlyFolders locked(small, {t + "Export", t});
    if (locked.held()) {
      attemptChangesNothing(
          program.path(), t,
          "Vellomar Installation|Složku " + t.substr(0, t.size() - 1) + " nelze vytvořit.");
    }
  }
  {
    SCOPED_TRACE("full file system");
    const std::string t = home.at("full/");
    test::SmallFileSystem small(t, 1 << 18);
    ASSERT_TRUE(installEarlier(t));
    ProgramFolder large({test::storedEntry("BIG.BIN", Bytes(1 << 20, 0x42))});
    std::optional<test::FileSizeLimit> limit;
    if (!small.mounted()) limit.emplace(1 << 19);
    attemptChangesNothing(large.path(), t,
                          criticalBox("File writing error.\nBIG.BIN: " +
                                      std::string(std::strerror(limit ? EFBIG : ENOSPC))));
  }
}

// The registry file is replaced whole or not at all.
TEST(InstallFlow, ARegistryThatCannotBeWrittenStaysAsItWas) {
  UserHome home;
  test::SmallFileSystem config(home.config(""), 1 << 16);
  if (!config.mounted()) GTEST_SKIP() << "needs a file system of its own to fill";
  ProgramFolder program;
  const std::string t = home.at("Vellomar/");
  {
    test::InstallAttempt attempt;
    ASSERT_TRUE(attempt.run(program.path(), t, true));
  }
  {
    std::ofstream filler(home.config("filler"), std::ios::binary);
    const std::string block(4096, 'x');
    while (filler.write(block.data(), block.size()) && filler.flush()) {
    }
  }
  const std::map<std::string, std::string> before = treeOf(home.config(""));
  test::InstallAttempt attempt;
  EXPECT_TRUE(attempt.run(program.path(), home.at("second/"), true));
  EXPECT_EQ(attempt.messages.boxes,
            std::vector<std::string>{criticalBox("Cannot write the registry file " +
                                                 home.config("vellomar/registry.reg") +
                                                 ": No space left on device")});
  EXPECT_EQ(treeOf(home.config("")), before);
  EXPECT_EQ(home.registryText(), expectedRegistry(home, t));
}

}  // namespace
}  // namespace vellomar::setup
