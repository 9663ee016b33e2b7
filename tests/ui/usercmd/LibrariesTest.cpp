#include "ui/usercmd/ULibraries.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "abi/UserCommandAbi.h"
#include "platform/PLibrary.h"
#include "tests/support/TempFolder.h"

namespace vellomar {
namespace {

// A program folder of the test's own, holding copies of the doubles it asks for; each double
// records its calls beside itself.
class LibrariesTest : public testing::Test {
 protected:
  std::string install(const std::string& double_, const std::string& as) {
    const std::string target = folder_.at(as);
    std::filesystem::copy_file(VELLOMAR_BUILD_DIR "testdoubles/ui/" + double_, target);
    return target;
  }
  std::string calls(const std::string& library) {
    return test::contentOf(folder_.at(library) + ".calls");
  }
  std::string programFolder() const { return folder_.path() + "/"; }

  test::TempFolder folder_{"uilibs"};
};

TEST_F(LibrariesTest, UserLibraryNamesAreLoadedFromTheProgramFolderOrAsWritten) {
  EXPECT_EQ(UserLibraryPath("view.dll", "/opt/vellomar/"), "/opt/vellomar/view.dll");
  EXPECT_EQ(UserLibraryPath("/usr/lib/view.so", "/opt/vellomar/"), "/usr/lib/view.so");
  EXPECT_EQ(UserLibraryPath("libs/view.so", "/opt/vellomar/"), "libs/view.so");
  // A bare name never reaches the library search path, where a system library could answer.
  EXPECT_FALSE(CallUserCommand("libc.so.6", {}));
}

TEST_F(LibrariesTest, UserCommandGetsEveryArgumentInOrder) {
  const std::string library = install("usercmd.dll", "view.dll");
  UserCommandCall call;
  call.window = 7;
  call.params = "-x";
  call.fullPath = "/media/cd/docs/a.txt";
  call.pathInArchive = "";
  call.dosDateTime = 0x2A214C00;
  call.size = 1234;
  call.attributes = 0x21;
  call.description = "Ä description";
  call.tempFolder = "/tmp/VellomarTemp";
  call.flags = kUserFileExists | kUserVolumeAccessible;
  ASSERT_TRUE(CallUserCommand(UserLibraryPath("view.dll", programFolder()), call));
  EXPECT_EQ(calls("view.dll"),
            "window|-x|/media/cd/docs/a.txt||706825216|1234|33|Ä "
            "description|/tmp/VellomarTemp|3|0\n");
  EXPECT_FALSE(CallUserCommand(programFolder() + "missing.dll", call));
  install("vmp_sv.dll", "nocommand.dll");
  EXPECT_FALSE(CallUserCommand(programFolder() + "nocommand.dll", call));
}

TEST_F(LibrariesTest, PluginIsPresentOnlyWithItsThreeEntryPoints) {
  EXPECT_FALSE(IsSleevoraPluginPresent(programFolder()));
  ShowSleevoraPrintDialog(1, "A\r\n", programFolder());  // nothing to call, nothing fails
  install("vmp_sv_partial.dll", "vmp_sv.dll");
  EXPECT_FALSE(IsSleevoraPluginPresent(programFolder()));
  ShowSleevoraPrintDialog(1, "A\r\n", programFolder());
  EXPECT_EQ(calls("vmp_sv.dll"), "");
  std::filesystem::remove(folder_.at("vmp_sv.dll"));
  install("vmp_sv.dll", "VMP_SV.DLL");  // names from a system that ignores case
  EXPECT_TRUE(IsSleevoraPluginPresent(programFolder()));
}

TEST_F(LibrariesTest, PluginGetsTheNamesEndedByTwoNuls) {
  install("vmp_sv.dll", "vmp_sv.dll");
  ShowSleevoraPrintDialog(1, "Photos\r\nWork 2003\r\n", programFolder());
  ShowSleevoraPrintDialog(1, "", programFolder());
  using namespace std::string_literals;
  EXPECT_EQ(calls("vmp_sv.dll"),
            "language 0\nwindow Photos\r\nWork 2003\r\n\0\0language 0\nwindow \0\0"s);
}

TEST_F(LibrariesTest, EjectGoesThroughTheUtilityLibraryAndReportsFailure) {
  EXPECT_FALSE(EjectDrive('H', "/dev/sr0", programFolder())) << "no library";
  install("VlmrUtl.dll", "VlmrUtl.dll");
  EXPECT_TRUE(EjectDrive('H', "/dev/sr0", programFolder()));
  EXPECT_FALSE(EjectDrive('I', "busy", programFolder()));
  EXPECT_EQ(calls("VlmrUtl.dll"), "H /dev/sr0\nI busy\n");
}

}  // namespace
}  // namespace vellomar
