// The database window's entry points into its three panels.
#include <QFontMetrics>

#include "engine/api/UApi.h"
#include "foundation/UBaseUtils.h"
#include "ui/dbase/FDBase.h"
#include "ui/dbase/FDiskPanel.h"
#include "ui/dbase/FFilePanel.h"
#include "ui/dbase/FTreePanel.h"

namespace vellomar {

namespace {

// A font of the settings; the widget's own while the settings name none.
void applyFont(QWidget* target, const TLogFont& font) {
  if (font.lfFaceName.empty()) return;
  target->setFont(fontOf(font));
}

}  // namespace

TDiskPanel* TFormDBase::diskPanel() const {
  return qobject_cast<TDiskPanel*>(disks_.data());
}

TTreePanel* TFormDBase::treePanel() const {
  return qobject_cast<TTreePanel*>(tree_.data());
}

TFilePanel* TFormDBase::filePanel() const {
  return qobject_cast<TFilePanel*>(files_.data());
}

void TFormDBase::ApplyPanelFonts() {
  applyFont(diskPanel(), options_.Fonts[kDiskFont]);
  diskPanel()->setDefaultRowHeight(QFontMetrics(diskPanel()->font()).height());
  applyFont(treePanel(), options_.Fonts[kTreeFont]);
  treePanel()->SetPictures(options_.FontSizes[kTreeFont] > 8);
  QFont files = filePanel()->font();
  if (!options_.Fonts[kFileFont].lfFaceName.empty()) files = fontOf(options_.Fonts[kFileFont]);
  filePanel()->ApplyFont(files);
}

void TFormDBase::ApplyDescriptionFont(QWidget* memo) const {
  applyFont(memo, options_.Fonts[kDescFont]);
}

void TFormDBase::FileGridResized() {
  if (!closing_) resizePending_ = 1;
}

// ---- Panels ----

void TFormDBase::RefreshDisks() {
  diskPanel()->RefreshDisks();
}

void TFormDBase::ReloadTree() {
  treePanel()->ReloadTree(diskPanel()->row());
}

void TFormDBase::LoadFileList(const std::string& focusName) {
  filePanel()->LoadFileList(focusName);
  // A new list follows a change of folder or disk, which the headers show.
  UpdatePanelHeaders();
}

void TFormDBase::RunAndComeBack(const std::function<void()>& walk) {
  CataloguePlace place;
  Guarded([&] { place = catalogue_.currentPlace(); });
  const std::string file = filePanel()->GetFocusedFileName();
  walk();
  if (!place.Disk.empty()) JumpTo(place.Disk, place.Folder, file);
}

void TFormDBase::JumpTo(const std::string& diskName, const std::string& folderPath,
                        const std::string& fileName) {
  if (closing_) return;
  Guarded([&] {
    catalogue_.goToDiskByName(ShortString(diskName));
    catalogue_.clearKeysChanged();
    const std::optional<CatalogueKey> key = catalogue_.currentKey();
    if (key && key->Index != diskPanel()->row() && key->Index < diskPanel()->rowCount()) {
      diskPanel()->moveTo(0, key->Index);
    }
    ReloadTree();
    catalogue_.clearTreeChanged();
    catalogue_.goToPath(folderPath);
    treePanel()->SelectTreeFolder(catalogue_.currentFolder());
    LoadFileList(fileName);
    catalogue_.clearFilesChanged();
  });
}

// ---- Display ----

void TFormDBase::SetBriefMode(bool brief) {
  filePanel()->SetBriefMode(brief);
}

void TFormDBase::SetSortCriterion(uint8_t criterion) {
  resortPending_ = true;
  options_.ReverseSort = criterion == options_.SortCrit && !options_.ReverseSort;
  options_.SortCrit = criterion;
}

void TFormDBase::CollapseTree() {
  treePanel()->CollapseAll();
}

void TFormDBase::ExpandTree() {
  treePanel()->ExpandAll();
}

void TFormDBase::GoToParent() {
  filePanel()->GoToParent();
}

// ---- Disks ----

bool TFormDBase::IsDiskDeleted() {
  return diskPanel()->IsDiskDeleted();
}

void TFormDBase::DeleteDisk() {
  diskPanel()->DeleteDisk();
}

void TFormDBase::UndeleteDisk() {
  diskPanel()->UndeleteDisk();
}

void TFormDBase::RenameDisk() {
  diskPanel()->RenameDisk();
}

void TFormDBase::ShowDiskInfo() {
  diskPanel()->ShowDiskInfo();
}

void TFormDBase::ShowDBaseInfo() {
  diskPanel()->ShowDBaseInfo();
}

// ---- Descriptions ----

void TFormDBase::EditDescription() {
  filePanel()->EditDescription();
}

// ---- Selection ----

void TFormDBase::MaskSelect(bool disks) {
  if (disks) {
    diskPanel()->MaskSelect();
  } else {
    filePanel()->MaskSelect();
  }
}

void TFormDBase::UnselectAllIn(bool disks) {
  if (disks) {
    diskPanel()->UnselectAll();
  } else {
    filePanel()->UnselectAll();
  }
}

void TFormDBase::SelectAllIn(bool disks) {
  if (disks) {
    diskPanel()->SelectAll();
  } else {
    filePanel()->SelectAll();
  }
}

void TFormDBase::SelectByMask() {
  const int panel = ActivePanel();
  if (panel == kPanelDisks || panel == kPanelFiles) MaskSelect(panel == kPanelDisks);
}

void TFormDBase::SelectAll() {
  const int panel = ActivePanel();
  if (panel == kPanelDisks || panel == kPanelFiles) SelectAllIn(panel == kPanelDisks);
}

void TFormDBase::UnselectAll() {
  const int panel = ActivePanel();
  if (panel == kPanelDisks || panel == kPanelFiles) UnselectAllIn(panel == kPanelDisks);
}

}  // namespace vellomar
