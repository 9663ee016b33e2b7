#pragma once

#include <functional>

class QDialog;

namespace vellomar {

// How the runs and the File menu's commands show their own modal dialogs (file dialogs, the
// scope of an export): exec() unless a test answers them in its place.
using DialogExec = std::function<int(QDialog& dialog)>;

int execDialog(QDialog& dialog);
// An empty function puts exec() back.
void setDialogExec(DialogExec exec);

}  // namespace vellomar
