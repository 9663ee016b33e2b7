#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPointer>
#include <QRect>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "ui/settings/UGlobalOptions.h"

class QPrinter;
class QWidget;

namespace vellomar {

// What the page geometry needs of a printer: the printable area in millimetres and pixels,
// and the vertical resolution the font height is scaled by.
struct TDeviceCaps {
  int32_t HorzSize = 0;  // millimetres
  int32_t VertSize = 0;
  int32_t HorzRes = 0;  // pixels
  int32_t VertRes = 0;
  int32_t LogPixelsY = 0;
};

// The page in printer pixels, with the margins of the options taken off.
struct TPageGeometry {
  int32_t HorzRes = 0;
  int32_t VertRes = 0;
  int32_t PxPerCmX = 0;
  int32_t PxPerCmY = 0;
  int32_t GapX = 0;  // about one millimetre
  int32_t GapY = 0;
  int32_t Top = 0;
  int32_t Bottom = 0;
  int32_t Left = 0;
  int32_t Right = 0;
};

// Nothing for a printer that reports a printable size of 0 (it cannot be laid out).
std::optional<TPageGeometry> ComputePageGeometry(const TDeviceCaps& caps,
                                                 const TGlobalOptions& options);

// The pages a run prints, as the print dialog left them.
enum class TPrintRange { kAll, kSelection, kPages };

struct TPrintChoice {
  TPrintRange Range = TPrintRange::kAll;
  int32_t FromPage = 1;
  int32_t ToPage = 1;
  int32_t Copies = 1;

  // Whether a page number is drawn (a range of page numbers leaves the others out).
  bool inRange(int32_t page) const;
  // Whether after this page another printer page follows: not past the last page of the range.
  bool pageFollows(int32_t page) const;
};

// How a print run ended.
enum class TPrintResult { kPrinted, kCancelled, kNoPrintableArea, kPrinterFailed };

// A printer that refused the run in an "Error" box; nothing for the other results.
void ShowPrintFailure(TPrintResult result);

// Where a print run goes: the print dialog over the system's printers by default. Tests put a
// target of their own here that answers without a dialog.
class TPrintTarget {
 public:
  virtual ~TPrintTarget() = default;
  // Sets up the printer and the choice; false when the user cancelled. withSelection offers
  // the range "selection".
  virtual bool choose(QWidget* parent, QPrinter& printer, TPrintChoice& choice,
                      bool withSelection) = 0;
};

TPrintTarget& printTarget();
// Null puts the print dialog back.
void setPrintTarget(std::unique_ptr<TPrintTarget> target);

// What a print run shows while it prints, and whether the user stopped it. Both let waiting
// events run.
class TPrintStatus {
 public:
  virtual ~TPrintStatus() = default;
  virtual void showWhat(const std::string& text) = 0;
  virtual bool abortRequested() = 0;
};

// A catalogue text as Qt shows, prints and copies it: UTF-8, or CP1252 bytes of an old catalogue.
QString catalogueText(std::string_view text);

// The print layer: one painter session on a printer for a whole run (all copies), the page
// geometry, the print font and its styles, clipped text and rules in printer pixels. Drawing
// can be switched off for pages outside the chosen range; measuring still works then.
class TPrinter {
 public:
  static constexpr int kStyleNormal = 0;
  static constexpr int kStyleBold = 1;
  static constexpr int kStyleItalic = 2;

  explicit TPrinter(QPrinter& printer);
  ~TPrinter();
  TPrinter(const TPrinter&) = delete;
  TPrinter& operator=(const TPrinter&) = delete;

  // The geometry, footer and font of the run; false when the printer reports no printable size.
  bool PrnInit(const TGlobalOptions& options);
  // A copy starts: the first opens the painter session, each further one starts a new page.
  // False when the printer cannot be opened.
  bool PrnBeginDoc(const std::string& title);
  void PrnNewPage();
  // A copy ends; the session itself ends with the object.
  void PrnEndDoc();

  void PrnSetFontStyle(int style);
  void PrnResetFont() { PrnSetFontStyle(kStyleNormal); }
  int32_t PrnTextWidth(std::string_view text) const;
  // The advance of the widest character of the font in its present style.
  int32_t PrnMaxCharWidth() const;
  int32_t PrnTextHeight(std::string_view text) const;
  // The text's top left at (x, y), cut at the rectangle.
  void PrnTextOut(const QRect& clip, int32_t x, int32_t y, std::string_view text);
  void PrnMoveTo(int32_t x, int32_t y);
  void PrnLineTo(int32_t x, int32_t y);
  void PrnSetPenWidth(int32_t width);

  // Off: the drawing calls do nothing (pages outside the range are laid out, not drawn).
  void setOutput(bool on) { output_ = on; }
  bool output() const { return output_; }

  const TPageGeometry& page() const { return page_; }
  int32_t LineHeight() const { return lineHeight_; }
  const std::string& Footer() const { return footer_; }

  // The page frame: title at the left and a second text at the right over a rule, the footer
  // and "Page " + page over another; both in italics, the font back to normal after.
  void DrawPageFrame(const std::string& title, const std::string& rightText, int32_t page);

 private:
  QPrinter& printer_;
  QPainter painter_;
  TPageGeometry page_;
  int32_t logPixelsY_ = 0;
  int32_t lineHeight_ = 0;
  std::string footer_;
  QFont font_;
  // The metrics of the font in its present style, made when the style changes.
  std::optional<QFontMetrics> metrics_;
  int style_ = -1;
  int32_t fontSize_ = 0;
  QPoint pen_;
  int32_t penWidth_ = 1;
  bool docOpen_ = false;
  bool output_ = true;
};

}  // namespace vellomar
