#include "ui/dialogs/UDialogs.h"

#include "ui/dialogs/FDescription.h"
#include "ui/dialogs/FInfoDialogs.h"
#include "ui/dialogs/FMaskSelect.h"
#include "ui/dialogs/FProgress.h"
#include "ui/dialogs/FRenameDlg.h"

namespace vellomar {

namespace {

// Top-level dialogs that live until the program ends; they are never destroyed, since the
// application object may be gone by the time static objects are.
template <typename T>
T& oneInstance() {
  static T* dialog = new T(nullptr);
  return *dialog;
}

}  // namespace

TFormDiskInfo& FormDiskInfo() {
  return oneInstance<TFormDiskInfo>();
}

TFormDBaseInfo& FormDBaseInfo() {
  return oneInstance<TFormDBaseInfo>();
}

TFormDescription& FormDescription() {
  return oneInstance<TFormDescription>();
}

TFormRenameDlg& FormRenameDlg() {
  return oneInstance<TFormRenameDlg>();
}

TFormMaskSelect& FormMaskSelect() {
  return oneInstance<TFormMaskSelect>();
}

TFormProgress& FormProgress() {
  return oneInstance<TFormProgress>();
}

}  // namespace vellomar
