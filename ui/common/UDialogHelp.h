#pragma once

class QComboBox;
class QWidget;

namespace vellomar {

// The help topic of a dialog: F1 anywhere in it opens that topic, as its Help button does
// (showHelpOf). A dialog whose topic changes with its mode sets it again.
void setHelpContext(QWidget* dialog, int context);
int helpContextOf(const QWidget* dialog);
void showHelpOf(const QWidget* dialog);

// An editable combo box of the texts typed before: its list opens on the arrow, Alt+Down and
// F4; it never completes or changes what is typed, and takes no item but what its dialog adds.
QComboBox* newHistoryCombo(QWidget* parent);

}  // namespace vellomar
