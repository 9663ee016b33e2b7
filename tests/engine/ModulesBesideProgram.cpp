#include <gtest/gtest.h>

#include "platform/PLibrary.h"
#include "tests/modules/TestFolders.h"

namespace vellomar {
namespace {

// The program loads its filter modules from its own folder, and a scan with the default
// settings needs them: the engine's tests run as a program installed beside the built modules.
class ModulesBesideProgram : public ::testing::Environment {
 public:
  void SetUp() override { setProgramFolder(test::standInFolder()); }
  void TearDown() override { setProgramFolder({}); }
};

const ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new ModulesBesideProgram);

}  // namespace
}  // namespace vellomar
