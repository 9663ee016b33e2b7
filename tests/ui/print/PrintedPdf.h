#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <cstdio>
#include <memory>
#include <string>

#include "ui/print/UPrinter.h"
#include "ui/settings/UGlobalOptions.h"

namespace vellomar::test {

// The output of a shell command, or what it wrote before failing.
inline std::string commandOutput(const std::string& command) {
  std::string out;
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) return out;
  char buffer[4096];
  size_t n = 0;
  while ((n = fread(buffer, 1, sizeof buffer, pipe.get())) > 0) out.append(buffer, n);
  return out;
}

// The page count pdfinfo reads from a PDF, -1 when it cannot.
inline int pdfPages(const std::string& path) {
  const std::string info = commandOutput("pdfinfo '" + path + "' 2>/dev/null");
  const size_t at = info.find("Pages:");
  return at == std::string::npos ? -1 : std::stoi(info.substr(at + 6));
}

// One page rendered by pdftoppm at 50 dpi in grey.
inline QImage pdfPage(const std::string& path, int page) {
  const std::string out = path + ".page" + std::to_string(page);
  commandOutput("pdftoppm -gray -r 50 -f " + std::to_string(page) + " -l " + std::to_string(page) +
                " -singlefile -png '" + path + "' '" + out + "'");
  return QImage(QString::fromStdString(out + ".png"));
}

// Whether any pixel of the band (fractions of the page height) is dark: something is printed.
inline bool inked(const QImage& page, double top, double bottom) {
  const int from = static_cast<int>(top * page.height());
  const int to = static_cast<int>(bottom * page.height());
  for (int y = from; y < to; ++y) {
    for (int x = 0; x < page.width(); ++x) {
      if (qGray(page.pixel(x, y)) < 128) return true;
    }
  }
  return false;
}

// The page without its footer band (the footer holds the time of printing).
inline QImage withoutFooter(const QImage& page) {
  return page.copy(0, 0, page.width(), page.height() * 90 / 100);
}

// A PDF printer of A4 at 300 dpi whose printable area is the whole sheet.
inline void makePdfPrinter(QPrinter& printer, const std::string& path) {
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString(path));
  printer.setResolution(300);
  printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                    QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
}

// Print options that lay out the same everywhere: DejaVu Sans 10 points, margins of 10 mm.
inline TGlobalOptions printOptions() {
  TGlobalOptions options;
  TLogFont& font = options.Fonts[kPrintFont];
  font.lfFaceName = "DejaVu Sans";
  font.lfWeight = 400;
  options.FontSizes[kPrintFont] = 10;
  options.TopMargin = options.BottomMargin = options.LeftMargin = options.RightMargin = 10;
  return options;
}

// The print target of the tests: a PDF file instead of the dialog, with a fixed choice.
class PdfTarget : public TPrintTarget {
 public:
  PdfTarget(std::string path, TPrintChoice choice, bool accept = true)
      : path_(std::move(path)), choice_(choice), accept_(accept) {}
  bool choose(QWidget*, QPrinter& printer, TPrintChoice& choice, bool withSelection) override {
    offeredSelection = withSelection;
    if (!accept_) return false;
    makePdfPrinter(printer, path_);
    choice = choice_;
    return true;
  }
  bool offeredSelection = false;

 private:
  std::string path_;
  TPrintChoice choice_;
  bool accept_;
};

}  // namespace vellomar::test
