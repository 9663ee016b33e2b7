#include "ui/app/UMenuRules.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace vellomar {
namespace {

// The terms of a database window that is writable, shows disks and has the focus in a panel
// that selects; each case takes one term away (or adds one) and names what changes.
MenuTerms fullDatabase() {
  MenuTerms t;
  t.A = t.W = t.D = t.S = t.R = t.DA = t.DB = t.diskDeleted = t.showTree = true;
  return t;
}

std::set<Command> enabledItems(const MenuTerms& terms) {
  std::set<Command> on;
  for (const MenuDefinition& menu : mainMenus())
    for (const MenuItem& item : menu.items)
      if (item.caption != nullptr && menuItemEnabled(item.command, terms)) on.insert(item.command);
  return on;
}

std::set<Command> difference(const std::set<Command>& a, const std::set<Command>& b) {
  std::set<Command> out;
  for (Command c : a)
    if (!b.contains(c)) out.insert(c);
  return out;
}

TEST(MenuRules, EachTermGovernsItsCommands) {
  using C = Command;
  struct Case {
    const char* term;
    void (*drop)(MenuTerms&);
    std::set<Command> disabled;
  };
  const Case cases[] = {
      {"W (read-only database)",
       [](MenuTerms& t) { t.W = false; },
       {C::Export, C::MakeRuntime, C::ExportToOtherFormat, C::Import, C::ScanDisk, C::RescanDisk,
        C::ScanFolder, C::ScanA, C::ScanB, C::DelRecord, C::UndelRecord, C::ChgLabel}},
      {"D (no disks)",
       [](MenuTerms& t) { t.D = false; },
       {C::PrintDisks, C::PrintTree, C::PrintFiles, C::DirDescr, C::RescanDisk, C::DelRecord,
        C::UndelRecord, C::ChgLabel, C::SearchName, C::SearchSelected, C::SearchEmpty, C::DiskInfo,
        C::Brief, C::Detailed, C::SortName, C::SortExt, C::SortTime, C::SortSize, C::ShowTree}},
      {"S (focus in the tree)",
       [](MenuTerms& t) { t.S = false; },
       {C::Copy, C::MaskSelectDisks, C::SelectAll, C::DelDiskSelection}},
      {"R (no result list)", [](MenuTerms& t) { t.R = false; }, {C::ShowFound}},
      {"DA", [](MenuTerms& t) { t.DA = false; }, {C::ScanA}},
      {"DB", [](MenuTerms& t) { t.DB = false; }, {C::ScanB}},
      {"deleted disk", [](MenuTerms& t) { t.diskDeleted = false; }, {C::UndelRecord}},
  };
  const std::set<Command> all = enabledItems(fullDatabase());
  for (const Case& c : cases) {
    MenuTerms t = fullDatabase();
    c.drop(t);
    EXPECT_EQ(difference(all, enabledItems(t)), c.disabled) << c.term;
  }
}

TEST(MenuRules, ResultListsAndNoWindow) {
  using C = Command;
  const std::set<Command> always = {
      C::New,  C::OpenDBase, C::Reindex, C::Repair,  C::Exit,        C::Config, C::SleevoraPrint,
      C::Tile, C::Cascade,   C::NextWin, C::PrevWin, C::HelpContent, C::About};
  EXPECT_EQ(enabledItems(MenuTerms()), always);

  // A found-files list: copy, select, unselect, print and export are its own; "With database".
  MenuTerms ff;
  ff.FF = true;
  std::set<Command> found = always;
  found.insert({C::ExportToOtherFormat, C::PrintFoundFiles, C::Copy, C::SelectAll,
                C::DelDiskSelection, C::ShowDBase});
  EXPECT_EQ(enabledItems(ff), found);

  MenuTerms fe;
  fe.FE = true;
  std::set<Command> empty = found;
  empty.erase(C::PrintFoundFiles);
  empty.insert(C::PrintEmpty);
  EXPECT_EQ(enabledItems(fe), empty);

  // An empty writable database: what needs A or W stays on, Rescan needs D.
  MenuTerms a;
  a.A = a.W = true;
  std::set<Command> dbase = always;
  dbase.insert({C::CloseDBase, C::Export, C::MakeRuntime, C::ExportToOtherFormat, C::Import,
                C::ScanDisk, C::ScanFolder, C::DBaseInfo, C::LocalOptions});
  EXPECT_EQ(enabledItems(a), dbase);
}

TEST(MenuRules, ToolbarDiffersWhereItsOwnRulesSay) {
  using C = Command;
  MenuTerms a;  // an empty database window
  a.A = a.W = true;
  for (C c : {C::ShowTree, C::Brief, C::Detailed, C::Parent})
    EXPECT_TRUE(toolbarButtonEnabled(c, a)) << static_cast<int>(c);
  EXPECT_FALSE(menuItemEnabled(C::ShowTree, a));
  EXPECT_FALSE(toolbarButtonEnabled(C::PrintPanel, a));
  EXPECT_FALSE(toolbarButtonEnabled(C::CollapseTree, a));
  a.showTree = true;
  EXPECT_TRUE(toolbarButtonEnabled(C::CollapseTree, a));
  EXPECT_TRUE(toolbarButtonEnabled(C::ExpandTree, a));
  MenuTerms fe;
  fe.FE = true;
  EXPECT_TRUE(toolbarButtonEnabled(C::PrintPanel, fe));
  EXPECT_FALSE(toolbarButtonEnabled(C::MaskSelectDisks, fe));
  EXPECT_TRUE(toolbarButtonEnabled(C::DelDiskSelection, fe));
}

TEST(MenuRules, KeysAreTheMenusOwnAndTheFirstItemOfAKeyTakesIt) {
  std::map<int, const char*> firstOwner;
  for (const MenuDefinition& menu : mainMenus())
    for (const MenuItem& item : menu.items)
      if (item.caption != nullptr && item.key.key() != Qt::Key_unknown)
        firstOwner.try_emplace(item.key.toCombined(), item.name);
  EXPECT_STREQ(firstOwner[(Qt::SHIFT | Qt::Key_F3).toCombined()], "MenuSearchEmpty");
  EXPECT_STREQ(firstOwner[(Qt::SHIFT | Qt::Key_F4).toCombined()], "MenuRescanDisk");
  EXPECT_STREQ(firstOwner[QKeyCombination(Qt::Key_F12).toCombined()], "MenuShowTree");
  EXPECT_STREQ(firstOwner[(Qt::CTRL | Qt::Key_Z).toCombined()], "MenuUndelRecord");
}

}  // namespace
}  // namespace vellomar
