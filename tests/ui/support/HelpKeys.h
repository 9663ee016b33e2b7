#pragma once

#include <initializer_list>
#include <vector>

class QDialog;
class QWidget;

namespace vellomar::test {

// F1 pressed at a widget of a dialog shown for it.
struct F1Press {
  QDialog* dialog;
  QWidget* at;
};

// The help contexts the presses opened, in order.
std::vector<int> helpOpenedByF1(std::initializer_list<F1Press> presses);

}  // namespace vellomar::test
