#pragma once

namespace vellomar {

class TFormDBaseInfo;
class TFormDescription;
class TFormDiskInfo;
class TFormMaskSelect;
class TFormProgress;
class TFormRenameDlg;

// The one instance of each small dialog, made at its first use and kept for the whole run:
// the description editor keeps its last text, the selection dialog its mask histories.
TFormDiskInfo& FormDiskInfo();
TFormDBaseInfo& FormDBaseInfo();
TFormDescription& FormDescription();
TFormRenameDlg& FormRenameDlg();
TFormMaskSelect& FormMaskSelect();
TFormProgress& FormProgress();

}  // namespace vellomar
