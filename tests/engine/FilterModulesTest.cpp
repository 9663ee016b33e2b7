#include "engine/UFilterModules.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "engine/UDBase.h"
#include "foundation/UExceptions.h"
#include "tests/engine/DescImportFixtures.h"
#include "tests/support/TempFolder.h"

namespace vellomar {
namespace {

using test::CallbackRecorder;
using test::filterDoubleFolder;
using test::ProgramFolderAt;
using test::TempFolder;

// A scan's tree with the filter modules of these names.
struct ModuleList {
  explicit ModuleList(const std::vector<std::string>& names) {
    for (const std::string& name : names)
      tree.FilterModules.Add(new TFilterModule(ShortString(name)));
  }
  ~ModuleList() { FreeFilterModules(tree); }
  std::span<TFilterModule* const> Items() const { return tree.FilterModules.Items(); }
  TFilterModule* ItemAt(int32_t index) const { return tree.FilterModules.ItemAt(index); }

  TDBase owner;
  TTreeStruct tree{owner};
};

// The message of the exception that loading raises, empty when it loads.
std::string loadFailure(ModuleList& modules) {
  try {
    LoadFilterModules(modules.tree);
  } catch (const EKstvNormalException& e) {
    return e.what();
  }
  return {};
}

TEST(FilterModules, LoadResolvesEveryEntryPointAndFreeClearsThem) {
  ProgramFolderAt folder(filterDoubleFolder());
  CallbackRecorder recorder;
  ModuleList modules({"fewer", "refuse"});
  LoadFilterModules(modules.tree);
  for (const TFilterModule* module : modules.Items()) {
    EXPECT_NE(module->Handle, nullptr);
    int32_t transfer = -1;
    const int32_t opened = openTransferOf(*module)("x", &transfer);
    EXPECT_EQ(opened, module->Name == ShortString("fewer") ? kFilterOpened : kFilterNoText);
    closeTransferOf (*module)(transfer);
  }
  FreeFilterModules(modules.tree);
  for (const TFilterModule* module : modules.Items()) {
    EXPECT_EQ(module->Handle, nullptr);
    EXPECT_EQ(module->OpenTransfer, nullptr);
    EXPECT_EQ(module->GetOneBlock, nullptr);
    EXPECT_EQ(module->CloseTransfer, nullptr);
  }
  const std::vector<std::string> expected = {
      "Loading library fewer.k32", "Loading library refuse.k32", "Releasing library fewer.k32",
      "Releasing library refuse.k32"};
  EXPECT_EQ(CallbackRecorder::messages(), expected);
}

TEST(FilterModules, FailuresRaiseTheirMessageAndLeaveTheModuleUnloaded) {
  TempFolder temp;
  std::filesystem::create_directories(temp.at("program"));
  std::filesystem::copy_file(filterDoubleFolder() + "fewer.k32", temp.at("escape.k32"));
  std::filesystem::copy_file(filterDoubleFolder() + "partial.k32", temp.at("program/partial.k32"));
  ProgramFolderAt folder(temp.at("program"));
  struct Case {
    const char* name;
    std::string message;
  };
  const Case cases[] = {
      {"absent", "The library absent.k32 cannot be open."},
      {"partial", "Library partial.k32 does not contain all needed functions."},
      // A name from the database file never reaches outside the program's folder.
      {"../escape", "The library ../escape.k32 cannot be open."},
  };
  for (const Case& c : cases) {
    ModuleList modules({c.name});
    EXPECT_EQ(loadFailure(modules), c.message) << c.name;
    const TFilterModule& module = *modules.ItemAt(0);
    EXPECT_EQ(module.Handle, nullptr) << c.name;
    EXPECT_EQ(module.OpenTransfer, nullptr) << c.name;
  }
}

TEST(FilterModules, FoundWhateverTheCaseOfItsFileName) {
  TempFolder temp;
  std::filesystem::copy_file(filterDoubleFolder() + "fewer.k32", temp.at("Fewer.K32"));
  ProgramFolderAt folder(temp.path());
  ModuleList modules({"fewer"});
  EXPECT_EQ(loadFailure(modules), "");
  EXPECT_NE(modules.ItemAt(0)->Handle, nullptr);
}

TEST(FilterModules, AFailedLoadReleasesTheModulesLoadedBeforeIt) {
  ProgramFolderAt folder(filterDoubleFolder());
  CallbackRecorder recorder;
  ModuleList modules({"fewer", "absent", "refuse"});
  EXPECT_THROW(LoadFilterModules(modules.tree), EKstvNormalException);
  for (const TFilterModule* module : modules.Items()) EXPECT_EQ(module->Handle, nullptr);
  const std::vector<std::string> expected = {
      "Loading library fewer.k32", "Loading library absent.k32", "Releasing library fewer.k32"};
  EXPECT_EQ(CallbackRecorder::messages(), expected) << "the module after the failure is not tried";
}

}  // namespace
}  // namespace vellomar
