#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vellomar {

// A filter list as the program's texts and templates write it, "Text (*.a;*.b)|*.a;*.b|All
// files (*.*)|*.*", as a file dialog's filters: "Text (*.a *.b)", "All files (*)". A pair's
// own patterns replace whatever its description shows in parentheses.
std::vector<std::string> fileDialogFilters(std::string_view filter);

}  // namespace vellomar
