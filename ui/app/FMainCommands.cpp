#include <QMdiArea>
#include <iterator>

#include "ui/app/FAbout.h"
#include "ui/app/FMain.h"
#include "ui/common/UServices.h"
#include "ui/dbase/FDBase.h"
#include "ui/settings/USettingsGlobals.h"

namespace vellomar {

TMainForm::CommandAction TMainForm::actionOf(Command command) {
  using S = const CommandScope&;
  struct Entry {
    Command command;
    CommandAction run;
  };
  // In the order of Command; whether a command may run is the enabling rules' to say.
  static constexpr Entry kActions[] = {
      {Command::New, [](TMainForm& m, S) { m.MenuNewClick(); }},
      {Command::OpenDBase, [](TMainForm& m, S) { m.MenuOpenDBaseClick(); }},
      {Command::CloseDBase, [](TMainForm&, S s) { s.db->close(); }},
      {Command::Reindex, [](TMainForm& m, S) { m.MenuReindexClick(); }},
      {Command::Repair, [](TMainForm& m, S) { m.MenuRepairClick(); }},
      {Command::Export, [](TMainForm& m, S) { m.MenuExportClick(2); }},
      {Command::MakeRuntime, [](TMainForm& m, S) { m.MenuExportClick(1); }},
      {Command::ExportToOtherFormat,
       [](TMainForm&, S s) {
         if (s.db != nullptr)
           s.db->ExportDBase();
         else
           s.child->ExportList();
       }},
      {Command::Import, [](TMainForm& m, S) { m.MenuImportClick(); }},
      {Command::PrintDisks, [](TMainForm&, S s) { s.db->PrintPanel(TFormDBase::kPanelDisks); }},
      {Command::PrintTree, [](TMainForm&, S s) { s.db->PrintPanel(TFormDBase::kPanelTree); }},
      {Command::PrintFiles, [](TMainForm&, S s) { s.db->PrintPanel(TFormDBase::kPanelFiles); }},
      {Command::PrintFoundFiles, [](TMainForm&, S s) { s.child->PrintList(); }},
      {Command::PrintEmpty, [](TMainForm&, S s) { s.child->PrintList(); }},
      {Command::Exit, [](TMainForm& m, S) { m.close(); }},
      {Command::Copy, [](TMainForm&, S s) { s.child->CopyToClipboard(); }},
      {Command::DirDescr, [](TMainForm&, S s) { s.db->EditDescription(); }},
      {Command::ScanDisk, [](TMainForm& m, S) { m.ScanDiskClick(); }},
      {Command::RescanDisk, [](TMainForm&, S s) { s.db->RescanDisk(); }},
      {Command::ScanFolder, [](TMainForm& m, S) { m.MenuScanFolderClick(); }},
      {Command::ScanA, [](TMainForm&, S s) { s.db->ScanDisk('A', NoQueries); }},
      {Command::ScanB, [](TMainForm&, S s) { s.db->ScanDisk('B', NoQueries); }},
      {Command::DelRecord, [](TMainForm&, S s) { s.db->DeleteDisk(); }},
      {Command::UndelRecord, [](TMainForm&, S s) { s.db->UndeleteDisk(); }},
      {Command::ChgLabel, [](TMainForm&, S s) { s.db->RenameDisk(); }},
      {Command::MaskSelectDisks, [](TMainForm&, S s) { s.db->SelectByMask(); }},
      {Command::SelectAll, [](TMainForm&, S s) { s.child->SelectAll(); }},
      {Command::DelDiskSelection, [](TMainForm&, S s) { s.child->UnselectAll(); }},
      {Command::SearchName, [](TMainForm&, S s) { s.db->FindFiles(); }},
      {Command::SearchSelected, [](TMainForm&, S s) { s.db->FindSelectedFiles(); }},
      {Command::SearchEmpty, [](TMainForm&, S s) { s.db->FindFreeSpace(); }},
      {Command::DiskInfo, [](TMainForm&, S s) { s.db->ShowDiskInfo(); }},
      {Command::DBaseInfo, [](TMainForm&, S s) { s.db->ShowDBaseInfo(); }},
      {Command::Config, [](TMainForm& m, S) { m.MenuConfigClick(); }},
      {Command::LocalOptions, [](TMainForm& m, S) { m.MenuLocalOptionsClick(); }},
      {Command::Brief, [](TMainForm&, S s) { s.db->SetBriefMode(true); }},
      {Command::Detailed, [](TMainForm&, S s) { s.db->SetBriefMode(false); }},
      {Command::SortName, [](TMainForm&, S s) { s.db->SetSortCriterion(0); }},
      {Command::SortExt, [](TMainForm&, S s) { s.db->SetSortCriterion(1); }},
      {Command::SortTime, [](TMainForm&, S s) { s.db->SetSortCriterion(2); }},
      {Command::SortSize, [](TMainForm&, S s) { s.db->SetSortCriterion(3); }},
      {Command::ShowTree, [](TMainForm&, S s) { s.db->ToggleShowTree(); }},
      {Command::SleevoraPrint,
       [](TMainForm&, S s) {
         // The item stays enabled without a database window, which has no disks to hand over.
         if (s.db != nullptr) s.db->PrintSleevoraLabels();
       }},
      {Command::ShowDBase, [](TMainForm& m, S) { m.ShowDBaseClick(); }},
      {Command::ShowFound, [](TMainForm& m, S) { m.ShowFoundClick(); }},
      {Command::Tile, [](TMainForm& m, S) { m.mdiArea_->tileSubWindows(); }},
      {Command::Cascade, [](TMainForm& m, S) { m.mdiArea_->cascadeSubWindows(); }},
      {Command::NextWin, [](TMainForm& m, S) { m.mdiArea_->activateNextSubWindow(); }},
      {Command::PrevWin, [](TMainForm& m, S) { m.mdiArea_->activatePreviousSubWindow(); }},
      {Command::HelpContent, [](TMainForm&, S) { services().help->showContents(); }},
      {Command::About,
       [](TMainForm& m, S) {
         TFormAbout about(&m);
         about.exec();
       }},
      {Command::PrintPanel,
       [](TMainForm&, S s) {
         if (s.db != nullptr)
           s.db->PrintPanel(TFormDBase::kPanelNone);
         else
           s.child->PrintList();
       }},
      {Command::CollapseTree, [](TMainForm&, S s) { s.db->CollapseTree(); }},
      {Command::ExpandTree, [](TMainForm&, S s) { s.db->ExpandTree(); }},
      {Command::Parent, [](TMainForm&, S s) { s.db->GoToParent(); }},
  };
  static_assert(std::size(kActions) == static_cast<size_t>(Command::Parent) + 1);
  static_assert([] {
    for (size_t i = 0; i < std::size(kActions); ++i) {
      if (kActions[i].command != static_cast<Command>(i)) return false;
    }
    return true;
  }());
  return kActions[static_cast<size_t>(command)].run;
}

}  // namespace vellomar
