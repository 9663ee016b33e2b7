#include "ui/dbruns/UDialogExec.h"

#include <QDialog>

namespace vellomar {

namespace {

DialogExec& current() {
  static DialogExec exec;
  return exec;
}

}  // namespace

int execDialog(QDialog& dialog) {
  return current() ? current()(dialog) : dialog.exec();
}

void setDialogExec(DialogExec exec) {
  current() = std::move(exec);
}

}  // namespace vellomar
