#include "setup/KLang.h"

#include <gtest/gtest.h>

namespace vellomar::setup {
namespace {

TEST(KLang, TranslatesArchiveNamesWithTheirGroupFlags) {
  struct Case {
    const char* archiveName;
    const char* installedName;
    bool registerFile;
    bool keepTime;
  };
  const Case cases[] = {
      {"UNINST.EXE", "Uninstall.exe", false, false},
      {"readme.txt", "Read Me.txt", true, false},
      {"VELLOMAR.EXE", "Vellomar.exe", true, false},
      {"VlmrUtl.DLL", "VlmrUtl.dll", true, false},
      {"HTMLD.EFD", "Export/HTML Detailed.vefd", true, true},
      {"tih.efs", "Export/Table in HTML.vefs", true, true},
      {"NEWFILE.BIN", "newfile.bin", true, true},
  };
  for (const Case& c : cases) {
    ShortString name;
    bool registerFile = !c.registerFile;
    bool keepTime = !c.keepTime;
    TranslateInstallFileName(c.archiveName, name, ShortString::kMaxLength, registerFile, keepTime);
    EXPECT_EQ(name.view(), c.installedName) << c.archiveName;
    EXPECT_EQ(registerFile, c.registerFile) << c.archiveName;
    EXPECT_EQ(keepTime, c.keepTime) << c.archiveName;
  }
}

TEST(KLang, InstalledNameIsCutToTheCallersLength) {
  ShortString name;
  bool registerFile = false;
  bool keepTime = false;
  TranslateInstallFileName("VERSION.TXT", name, 7, registerFile, keepTime);
  EXPECT_EQ(name.view(), "Version");
  TranslateInstallFileName("OTHER.TXT", name, 3, registerFile, keepTime);
  EXPECT_EQ(name.view(), "oth");
}

}  // namespace
}  // namespace vellomar::setup
