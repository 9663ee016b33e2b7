#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/print/UPrinter.h"
#include "ui/search/UFoundEmptyLines.h"
#include "ui/search/UFoundFileLines.h"
#include "ui/settings/UGlobalOptions.h"

class QPrinter;

namespace vellomar {

// The tail of a folder printed in a column too narrow for it: two characters shorter than the
// longest tail that fits into width as measure gives it, so the "« " mark before it has room.
// The whole folder when it fits.
std::string printedFolderTail(std::string_view folder, int32_t width,
                              const std::function<int32_t(std::string_view)>& measure);

// What the screen shows of a result window, for the columns on paper: the grid's column
// widths and the screen width of the sample text the paper widths are scaled by.
struct TScreenColumns {
  std::vector<int32_t> Widths;
  int32_t SampleWidth = 1;
};

// The found-files window on paper: "Disk", "Folder", "File", "Size", "Date and time",
// "Description", all lines or, with the range "selection", the selected ones and the focused
// one. title: the print header option, else the window's caption. Sample text: "MMMAaBbCcIi".
TPrintResult PrintFoundFiles(QPrinter& printer, const TPrintChoice& choice,
                             const TGlobalOptions& options, const std::vector<TOneFLine>& lines,
                             int32_t focused, const std::string& caption,
                             const TScreenColumns& screen, TPrintStatus& status);

// The free-space window on paper: "Disk", "Size", "Free", "Free %". Sample text: "M".
TPrintResult PrintFreeSpace(QPrinter& printer, const TPrintChoice& choice,
                            const TGlobalOptions& options, const std::vector<TOneELine>& lines,
                            int32_t focused, const std::string& caption,
                            const TScreenColumns& screen, TPrintStatus& status);

inline constexpr const char* kFoundFilesSample = "MMMAaBbCcIi";
inline constexpr const char* kFreeSpaceSample = "M";

}  // namespace vellomar
