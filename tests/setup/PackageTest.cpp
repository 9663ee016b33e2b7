#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>
#include <set>

#include "platform/PLibrary.h"
#include "platform/PRegistry.h"
#include "setup/KLang.h"
#include "tests/setup/InstallFixtures.h"

namespace vellomar::setup {
namespace {

using test::contentOf;

const std::string kPackage = std::string(VELLOMAR_PACKAGE) + "/";

struct PackedFile {
  std::string name;
  std::string content;
};

// The data file as another ZIP reader lists it.
std::vector<PackedFile> packedFiles(const std::string& path) {
  std::unique_ptr<archive, decltype(&archive_read_free)> reader(archive_read_new(),
                                                                archive_read_free);
  archive_read_support_format_zip(reader.get());
  if (archive_read_open_filename(reader.get(), path.c_str(), 65536) != ARCHIVE_OK) return {};
  std::vector<PackedFile> files;
  archive_entry* entry = nullptr;
  while (archive_read_next_header(reader.get(), &entry) == ARCHIVE_OK) {
    PackedFile file{archive_entry_pathname(entry), {}};
    char buffer[65536];
    for (la_ssize_t n; (n = archive_read_data(reader.get(), buffer, sizeof buffer)) > 0;) {
      file.content.append(buffer, static_cast<size_t>(n));
    }
    files.push_back(std::move(file));
  }
  return files;
}

TEST(Package, SetupInstallsEveryFileOfTheBuiltDataFileUnderItsInstalledName) {
  ASSERT_EQ(::access((kPackage + "Setup").c_str(), X_OK), 0);
  const std::vector<PackedFile> packed = packedFiles(kPackage + kDataFileName);
  std::set<std::string> names;
  for (const PackedFile& file : packed) names.insert(file.name);
  // What every build makes; the program, help, icon and templates come from other parts.
  for (const char* name : {"VERSION.TXT", "README.TXT", "HTML.K32", "RTF.K32", "UNI.K32",
                           "MP3TAG.K32", "VUNZIP32.DLL", "UNACEV2.DLL", "UNRAR.DLL"}) {
    EXPECT_TRUE(names.contains(name)) << name;
  }

  test::UserHome home;
  test::InstallAttempt attempt;
  const std::string t = home.at("Vellomar/");
  ASSERT_TRUE(attempt.run(kPackage, t, true));
  EXPECT_EQ(
      attempt.messages.boxes,
      std::vector<std::string>{"Vellomar Installation|Installation was successfully completed."});

  std::vector<std::string> expectedFiles;
  for (const PackedFile& file : packed) {
    ShortString installed;
    bool registerFile = false;
    bool keepTime = false;
    TranslateInstallFileName(file.name, installed, ShortString::kMaxLength, registerFile, keepTime);
    SCOPED_TRACE(installed.str());
    EXPECT_EQ(contentOf(t + installed.str()), file.content);
    const bool program = file.content.starts_with(
        "\x7F"
        "ELF");
    EXPECT_EQ(::access((t + installed.str()).c_str(), X_OK) == 0, program);
    if (registerFile) expectedFiles.push_back((keepTime ? "*" : " ") + installed.str());
  }
  EXPECT_TRUE(SharedLibrary::load(t + "UnRAR.dll").loaded());

  expectedFiles.push_back(" Vellomar.GID");
  expectedFiles.push_back(" Vellomar.FTS");
  Registry registry;
  registry.rootKey = RegistryRoot::kLocalMachine;
  ASSERT_TRUE(registry.openKey("\\Software\\Halvik\\Vellomar\\Uninstall", false));
  for (size_t n = 0; n < expectedFiles.size(); ++n) {
    const std::string number = std::to_string(n);
    EXPECT_EQ(registry.readString("File" + number), expectedFiles[n].substr(1));
    EXPECT_EQ(registry.valueExists("TimeLo" + number), expectedFiles[n].front() == '*');
  }
  EXPECT_FALSE(registry.valueExists("File" + std::to_string(expectedFiles.size())));
}

}  // namespace
}  // namespace vellomar::setup
