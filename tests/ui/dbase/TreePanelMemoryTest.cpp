// The folder tree of a disk of 100 000 folders: the panel's heap grows per folder by its name,
// a row of positions (and the view's row once shown) and nothing more.
#include <gtest/gtest.h>
#include <malloc.h>

#include <QApplication>
#include <cstdio>
#include <cstring>

#include "foundation/UIniFile.h"
#include "tests/support/CatalogueBuilder.h"
#include "tests/support/TempFolder.h"
#include "ui/dbase/FDBase.h"
#include "ui/dbase/FTreePanel.h"
#include "ui/settings/FSettings.h"

#if defined(__SANITIZE_ADDRESS__)
#define VELLOMAR_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELLOMAR_ASAN 1
#endif
#endif
#ifdef VELLOMAR_ASAN
// The sanitizer runtime's count of live heap bytes (its malloc keeps no mallinfo).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace vellomar::test {
namespace {

constexpr int kTopFolders = 400;
constexpr int kFoldersEach = 249;  // 400 + 400 x 249 = 100 000 folders below the root
// What the outline may keep per folder beside its name: the node, five positions and the way
// back from the node; a name kept in a string of its own would not fit beside them.
constexpr int64_t kRowBytes = 56;
// And the view's row of a folder shown.
constexpr int64_t kShownRowBytes = 48;

int64_t heapInUse() {
#ifdef VELLOMAR_ASAN
  return static_cast<int64_t>(__sanitizer_get_current_allocated_bytes());
#else
  const struct mallinfo2 info = mallinfo2();
  return static_cast<int64_t>(info.uordblks + info.hblkhd);
#endif
}

// One disk of 400 folders of 249 folders each, with names as long as a usual folder's.
std::string wideTree(TempFolder& folder, int64_t& nameBytes) {
  vellomar::testing::TestCatalogue cat;
  TDirCollection& root = cat.newDisk("Wide");
  nameBytes = 0;
  char name[32];
  for (int i = 0; i < kTopFolders; ++i) {
    std::snprintf(name, sizeof name, "Projects %04d", i);
    nameBytes += static_cast<int64_t>(std::strlen(name));
    TDirCollection& top = vellomar::testing::TestCatalogue::addFolder(root, name);
    for (int j = 0; j < kFoldersEach; ++j) {
      std::snprintf(name, sizeof name, "Photos %03d.bak", j);
      nameBytes += static_cast<int64_t>(std::strlen(name));
      vellomar::testing::TestCatalogue::addFolder(top, name);
    }
  }
  cat.saveDisk();
  cat.trees = TTreeSlots{};
  cat.reopen();
  const std::string path = folder.at("wide.kvd");
  folder.file("wide.kvd", contentOf(cat.path()));
  return path;
}

TEST(TreePanelMemory, GrowsPerFolderByItsNameAndARowCollapsedAndExpanded) {
  TempFolder folder("widetree");
  int64_t nameBytes = 0;
  const std::string path = wideTree(folder, nameBytes);
  const int64_t folders = 1 + kTopFolders + int64_t{kTopFolders} * kFoldersEach;
  setConfigFolder(folder.path() + "/");
  TFormSettings settings(folder.at("Vellomar.INI"));
  auto* window = new TFormDBase;
  window->resize(900, 600);
  window->show();
  // The engine loads the disk while the tree is hidden; the panel is built after.
  window->ToggleShowTree();
  ASSERT_FALSE(window->options().ShowTree);
  ASSERT_TRUE(window->OpenDBase(path));
  window->IdleUpdate();
  QApplication::processEvents();
  const int64_t before = heapInUse();

  window->ToggleShowTree();
  (void)window->grab();
  ASSERT_EQ(window->treePanel()->itemCount(), folders);
  const int64_t shown = heapInUse() - before;
  EXPECT_LT(shown, folders * kRowBytes + nameBytes)
      << shown / folders << " bytes per folder; its name takes " << nameBytes / folders;

  window->ExpandTree();
  (void)window->grab();
  const int64_t expanded = heapInUse() - before;
  EXPECT_LT(expanded, folders * (kRowBytes + kShownRowBytes) + nameBytes)
      << expanded / folders << " bytes per folder; its name takes " << nameBytes / folders;
  delete window;
}

}  // namespace
}  // namespace vellomar::test
