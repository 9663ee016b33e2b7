#include "ui/print/UPrinter.h"

#include <QDateTime>
#include <QFontMetrics>
#include <QLocale>
#include <QPageLayout>
#include <QPen>
#include <QPrintDialog>
#include <QPrinter>
#include <algorithm>
#include <cmath>

#include "platform/PText.h"
#include "ui/common/UDialogHelp.h"
#include "ui/common/UFonts.h"
#include "ui/common/UServices.h"

namespace vellomar {
namespace {

constexpr int kPrintDialogHelpContext = 320;

class DialogTarget : public TPrintTarget {
 public:
  bool choose(QWidget* parent, QPrinter& printer, TPrintChoice& choice,
              bool withSelection) override {
    printer.setFromTo(choice.FromPage, choice.ToPage);
    printer.setCopyCount(choice.Copies);
    QPrintDialog dialog(&printer, parent);
    setHelpContext(&dialog, kPrintDialogHelpContext);
    dialog.setMinMax(1, 1000);
    // Printing to a PDF file stays offered: on a machine without a print queue it is the
    // only printer the dialog has.
    dialog.setOption(QAbstractPrintDialog::PrintToFile);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, withSelection);
    if (dialog.exec() != QDialog::Accepted) return false;
    switch (dialog.printRange()) {
      case QAbstractPrintDialog::Selection:
        choice.Range = TPrintRange::kSelection;
        break;
      case QAbstractPrintDialog::PageRange:
        choice.Range = TPrintRange::kPages;
        break;
      default:
        choice.Range = TPrintRange::kAll;
    }
    choice.FromPage = printer.fromPage();
    choice.ToPage = printer.toPage();
    choice.Copies = std::max(1, printer.copyCount());
    return true;
  }
};

std::unique_ptr<TPrintTarget>& target() {
  static std::unique_ptr<TPrintTarget> instance = std::make_unique<DialogTarget>();
  return instance;
}

}  // namespace

std::optional<TPageGeometry> ComputePageGeometry(const TDeviceCaps& caps,
                                                 const TGlobalOptions& options) {
  if (caps.HorzSize <= 0 || caps.VertSize <= 0) return std::nullopt;
  TPageGeometry g;
  g.HorzRes = caps.HorzRes;
  g.VertRes = caps.VertRes;
  // Nearest, ties to even: the default rounding mode.
  g.PxPerCmX = static_cast<int32_t>(std::lrint(double(caps.HorzRes) / caps.HorzSize * 10));
  g.PxPerCmY = static_cast<int32_t>(std::lrint(double(caps.VertRes) / caps.VertSize * 10));
  g.GapX = g.PxPerCmX / 10 + 1;
  g.GapY = g.PxPerCmY / 10 + 1;
  g.Top = options.TopMargin * g.PxPerCmY / 10;
  g.Bottom = caps.VertRes - options.BottomMargin * g.PxPerCmY / 10;
  g.Left = options.LeftMargin * g.PxPerCmX / 10;
  g.Right = caps.HorzRes - options.RightMargin * g.PxPerCmX / 10;
  return g;
}

bool TPrintChoice::inRange(int32_t page) const {
  return Range != TPrintRange::kPages || (page >= FromPage && page <= ToPage);
}

bool TPrintChoice::pageFollows(int32_t page) const {
  return Range != TPrintRange::kPages || (page >= FromPage && page < ToPage);
}

void ShowPrintFailure(TPrintResult result) {
  if (result == TPrintResult::kNoPrintableArea) {
    showErrorMessage("Error", "The printer reports no printable area.");
  } else if (result == TPrintResult::kPrinterFailed) {
    showErrorMessage("Error", "The printer could not be opened.");
  }
}

TPrintTarget& printTarget() {
  return *target();
}

void setPrintTarget(std::unique_ptr<TPrintTarget> replacement) {
  target() = replacement ? std::move(replacement) : std::make_unique<DialogTarget>();
}

QString catalogueText(std::string_view text) {
  return QString::fromStdString(textAsUtf8(text));
}

TPrinter::TPrinter(QPrinter& printer)
    : printer_(printer), metrics_(std::in_place, font_, &printer) {}

TPrinter::~TPrinter() {
  if (painter_.isActive()) painter_.end();
}

bool TPrinter::PrnInit(const TGlobalOptions& options) {
  const QPageLayout layout = printer_.pageLayout();
  const int resolution = printer_.resolution();
  const QRect pixels = layout.paintRectPixels(resolution);
  const QRectF millimetres = layout.paintRect(QPageLayout::Millimeter);
  TDeviceCaps caps;
  caps.HorzSize = static_cast<int32_t>(std::lround(millimetres.width()));
  caps.VertSize = static_cast<int32_t>(std::lround(millimetres.height()));
  caps.HorzRes = pixels.width();
  caps.VertRes = pixels.height();
  caps.LogPixelsY = resolution;
  const std::optional<TPageGeometry> geometry = ComputePageGeometry(caps, options);
  if (!geometry) return false;
  page_ = *geometry;
  logPixelsY_ = caps.LogPixelsY;
  // The copies are printed one after another in our one session; the printer must not
  // multiply them again.
  printer_.setCopyCount(1);
  const QString now =
      QLocale::system().toString(QDateTime::currentDateTime(), QLocale::ShortFormat);
  footer_ = "Vellomar " + now.toStdString();
  font_ = fontOf(options.Fonts[kPrintFont]);
  fontSize_ = options.FontSizes[kPrintFont];
  style_ = -1;
  PrnSetFontStyle(kStyleNormal);
  lineHeight_ = PrnTextHeight("\xDC\xC8\xC1/yp") + 1;
  return true;
}

bool TPrinter::PrnBeginDoc(const std::string& title) {
  printer_.setDocName(catalogueText(title));
  if (!painter_.isActive()) {
    if (!painter_.begin(&printer_)) return false;
  } else {
    printer_.newPage();
  }
  docOpen_ = true;
  PrnResetFont();
  return true;
}

void TPrinter::PrnNewPage() {
  if (painter_.isActive()) printer_.newPage();
  PrnResetFont();
}

void TPrinter::PrnEndDoc() {
  docOpen_ = false;
  PrnSetPenWidth(1);
}

void TPrinter::PrnSetFontStyle(int style) {
  // Every row sets its style; the font and its metrics change only with the style.
  if (style != style_) {
    style_ = style;
    font_.setWeight(style == kStyleBold ? QFont::Bold : QFont::Normal);
    font_.setItalic(style == kStyleItalic);
    font_.setPixelSize(std::max(1, -PointsToHeightAt(fontSize_, logPixelsY_)));
    metrics_.emplace(font_, &printer_);
  }
  if (painter_.isActive() && painter_.font() != font_) painter_.setFont(font_);
}

int32_t TPrinter::PrnTextWidth(std::string_view text) const {
  return metrics_->horizontalAdvance(catalogueText(text));
}

int32_t TPrinter::PrnMaxCharWidth() const {
  return metrics_->maxWidth();
}

int32_t TPrinter::PrnTextHeight(std::string_view text) const {
  return text.empty() ? 0 : metrics_->height();
}

void TPrinter::PrnTextOut(const QRect& clip, int32_t x, int32_t y, std::string_view text) {
  if (!output_ || !painter_.isActive()) return;
  painter_.setClipRect(clip);
  painter_.drawText(x, y + metrics_->ascent(), catalogueText(text));
  painter_.setClipping(false);
}

void TPrinter::PrnMoveTo(int32_t x, int32_t y) {
  pen_ = QPoint(x, y);
}

void TPrinter::PrnLineTo(int32_t x, int32_t y) {
  const QPoint to(x, y);
  if (output_ && painter_.isActive()) {
    painter_.setPen(QPen(Qt::black, penWidth_, Qt::SolidLine, Qt::FlatCap));
    painter_.drawLine(pen_, to);
  }
  pen_ = to;
}

void TPrinter::PrnSetPenWidth(int32_t width) {
  penWidth_ = std::max(1, width);
}

void TPrinter::DrawPageFrame(const std::string& title, const std::string& rightText,
                             int32_t pageNumber) {
  const TPageGeometry& g = page_;
  const QRect all(g.Left, g.Top, g.Right - g.Left, g.Bottom - g.Top);
  const int32_t rule = std::max(1, g.PxPerCmY / 50);
  PrnSetFontStyle(kStyleItalic);
  PrnTextOut(all, g.Left, g.Top, title);
  const int32_t titleEnd = g.Left + PrnTextWidth(title) + 3 * g.GapY;
  const int32_t rightX = std::max(g.Right - PrnTextWidth(rightText), titleEnd);
  PrnTextOut(all, rightX, g.Top, rightText);
  PrnSetPenWidth(rule);
  PrnMoveTo(g.Left, g.Top + lineHeight_ + g.GapY);
  PrnLineTo(g.Right, g.Top + lineHeight_ + g.GapY);

  const int32_t footerY = g.Bottom - lineHeight_;
  PrnTextOut(all, g.Left, footerY, footer_);
  const std::string pageText = "Page " + std::to_string(pageNumber);
  PrnTextOut(all, g.Right - PrnTextWidth(pageText), footerY, pageText);
  PrnMoveTo(g.Left, footerY - g.GapY);
  PrnLineTo(g.Right, footerY - g.GapY);
  PrnResetFont();
}

}  // namespace vellomar
