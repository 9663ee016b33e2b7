#include "ui/search/FFoundFileList.h"

#include <QCursor>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <array>
#include <string_view>
#include <unordered_map>

#include "foundation/UBaseUtils.h"
#include "ui/common/UColumnSamples.h"
#include "ui/common/UFittedText.h"
#include "ui/common/UFonts.h"
#include "ui/grid/DrawGrid.h"
#include "ui/grid/UQtText.h"
#include "ui/search/UFoundHint.h"

namespace vellomar {

namespace {

constexpr const char* kTitles[] = {"Disk", "Folder",        "File",
                                   "Size", "Date and time", "Description"};

// The width of a name and extension as the sum of their characters' advances, each character
// measured once (in the font, or the one that stands in for a character it lacks): a column
// width needs no kerning, and measuring 50 000 names whole would cost more than the search
// that found them. A character is measured when a name first holds it: the first measure of
// one loads its glyph.
class NameWidths {
 public:
  explicit NameWidths(const QFont& font) : metrics_(font) { ascii_.fill(kUnmeasured); }

  // The wider of the name's width and least.
  int widerOf(std::string_view name, std::string_view ext, int least) {
    unsigned char high = 0;
    bool unmeasured = false;
    int sum = 0;
    for (const std::string_view part : {name, ext}) {
      for (const char c : part) {
        const auto byte = static_cast<unsigned char>(c);
        const int advance = ascii_[byte & 0x7F];
        high |= byte;
        unmeasured |= advance == kUnmeasured;
        sum += advance;
      }
    }
    if (high >= ascii_.size()) return std::max(least, otherWidth(name) + otherWidth(ext));
    if (unmeasured) sum = otherWidth(name) + otherWidth(ext);
    return std::max(least, sum);
  }

 private:
  int otherWidth(std::string_view text) {
    const QString shown = qtText(text);
    int sum = 0;
    for (qsizetype i = 0; i < shown.size(); ++i) {
      char32_t code = shown[i].unicode();
      if (shown[i].isHighSurrogate() && i + 1 < shown.size() && shown[i + 1].isLowSurrogate()) {
        code = QChar::surrogateToUcs4(shown[i], shown[i + 1]);
        ++i;
      }
      sum += advanceOf(code);
    }
    return sum;
  }

  int advanceOf(char32_t code) {
    if (code < ascii_.size()) {
      int& advance = ascii_[code];
      if (advance == kUnmeasured) {
        advance = metrics_.horizontalAdvance(QChar(static_cast<char16_t>(code)));
      }
      return advance;
    }
    const auto [at, added] = others_.try_emplace(code, 0);
    if (added) {
      at->second = QChar::requiresSurrogates(code)
                       ? metrics_.horizontalAdvance(QString::fromUcs4(&code, 1))
                       : metrics_.horizontalAdvance(QChar(static_cast<char16_t>(code)));
    }
    return at->second;
  }

  static constexpr int kUnmeasured = -1;

  QFontMetrics metrics_;
  std::array<int, 128> ascii_;
  std::unordered_map<char32_t, int> others_;
};

constexpr int kDescriptionColumn = 5;

// A widget over the grid's cells that draws what paint draws and lets the mouse through.
class Overlay : public QWidget {
 public:
  Overlay(QWidget* parent, std::function<void(QPainter&)> paint)
      : QWidget(parent), paint_(std::move(paint)) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    paint_(p);
  }

 private:
  std::function<void(QPainter&)> paint_;
};

int textWidth(const QFontMetrics& fm, const std::string& text) {
  return fm.horizontalAdvance(qtText(text));
}

}  // namespace

TFormFoundFileList::TFormFoundFileList(TFoundOwner owner, const TFoundFileSort& sort,
                                       QWidget* parent)
    : TFoundLinesWindow(std::move(owner), kHelpContext, parent),
      sort_(sort),
      hintRest_([this] { return Grid->viewport()->mapFromGlobal(QCursor::pos()); }) {
  setObjectName("FormFoundFileList");
  Grid->setColCount(kColumns);
  ApplyGlobalOptions();
  resize(760, 380);
  Grid->onMouseMove = [this](QPoint pos) { mouseMoved(pos); };
  hintOverlay_ = new Overlay(Grid->viewport(), [this](QPainter& p) {
    if (hintShown_) DrawDescHint(p, hintShape_, hintLines_, hintLineHeight_);
  });
}

void TFormFoundFileList::layoutGrid() {
  Grid->setFont(fontOf(options().Fonts[kFoundFont]));
  const QFontMetrics fm(Grid->font());
  Grid->setDefaultRowHeight(fm.boundingRect(QStringLiteral("\u00C1\u00C8Myj")).height() + 2);
  timeWidth_ =
      TimeColumnWidth(textWidth(fm, FormatDosTime(kWidestDateTime, options().ShowSeconds).str()));
  Grid->setColWidth(0, textWidth(fm, kNameSample) + 2);
  Grid->setColWidth(1, 2 * textWidth(fm, "Mmmmmxxxxx "));
  Grid->setColWidth(2, widestName_ + 5);
  Grid->setColWidth(3, textWidth(fm, FormatSizeShort(kWidestSize, options().SizeInKB).str()) + 2);
  Grid->setColWidth(4, textWidth(fm, " " + FormatDosDate(kWidestDateTime).str()) + 2 +
                           (options().ShowTime ? timeWidth_ : 0));
  Grid->setColWidth(5, kDescSamples * textWidth(fm, kDescSample));
}

void TFormFoundFileList::FillList(CatalogueGateway& catalogue) {
  lines_.clear();
  widestName_ = 50;
  std::vector<TOneFLine> lines;
  FoundLineTexts texts;
  lines.reserve(static_cast<size_t>(std::max(catalogue.foundCount(), 0)));
  readFoundItems(catalogue, [&lines, &texts](int32_t i, const TFoundItemView& item) {
    lines.emplace_back(item, i, texts, lines.empty() ? nullptr : &lines.back());
  });
  // Measured in the order of the search, in which the names lie in memory.
  measureNames(lines);
  rankFoundFileTexts(lines);
  sortFoundFileLines(lines, sort_, nullptr);
  lines_ = std::move(lines);
  texts_ = std::move(texts);
  Grid->setColWidth(2, widestName_ + 5);
  linesChanged();
}

void TFormFoundFileList::measureNames(const std::vector<TOneFLine>& lines) {
  NameWidths widths(Grid->font());
  for (const TOneFLine& line : lines) {
    widestName_ = widths.widerOf(line.name(), line.Data.Ext.view(), widestName_);
  }
}

void TFormFoundFileList::drawTitle(QPainter& p, int col, const QRect& rect) {
  const bool right = col == 3 || col == 4;
  p.drawText(rect.adjusted(2, 0, -2, 0),
             (right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter, kTitles[col]);
}

void TFormFoundFileList::drawLine(QPainter& p, int col, int32_t index, const QRect& rect) {
  const TOneFLine& line = lineAt(index);
  const int vcenter = Qt::AlignVCenter;
  switch (col) {
    case 0:
      p.drawText(rect.adjusted(1, 0, 0, 0), Qt::AlignLeft | vcenter, qtText(line.diskName()));
      break;
    case 1: {
      // Too wide, it keeps its end, the deepest folder, behind the mark of a cut path.
      const QRect text = rect.adjusted(2, 0, -2, 0);
      p.drawText(text, Qt::AlignLeft | vcenter,
                 textTailToWidth(qtText(line.folder()), p.fontMetrics(), text.width()));
      break;
    }
    case 2:
      p.drawText(rect.adjusted(2, 0, 0, 0), Qt::AlignLeft | vcenter, qtText(line.nameExt()));
      break;
    case 3:
      p.drawText(rect.adjusted(0, 0, -2, 0), Qt::AlignRight | vcenter,
                 qtText(foundSizeText(line, options().SizeInKB)));
      break;
    case 4: {
      if (line.Data.DateTime == 0) break;
      const auto dateTime = static_cast<uint32_t>(line.Data.DateTime);
      int dateRight = rect.right() - 2;
      if (options().ShowTime) {
        p.drawText(rect.adjusted(0, 0, -2, 0), Qt::AlignRight | vcenter,
                   qtText(FormatDosTime(dateTime, options().ShowSeconds).view()));
        dateRight = std::max(rect.left(), rect.right() - timeWidth_);
      }
      p.drawText(QRect(QPoint(rect.left(), rect.top()), QPoint(dateRight, rect.bottom())),
                 Qt::AlignRight | vcenter, qtText(FormatDosDate(dateTime).view()));
      break;
    }
    default:
      p.drawText(rect.adjusted(2, 0, 0, 0), Qt::AlignLeft | vcenter, qtText(line.shortDesc()));
      break;
  }
}

bool TFormFoundFileList::chooseSort(int col, bool rightHalf) {
  const int code = foundFileHeaderCode(col, rightHalf);
  if (code < 0) return false;
  sort_.choose(static_cast<uint8_t>(code));
  return true;
}

bool TFormFoundFileList::sortLines(const LineProgress& progress) {
  return sortFoundFileLines(lines_, sort_, progress);
}

std::string TFormFoundFileList::clipboardText(int32_t focused) const {
  return foundFilesClipboardText(lines_, focused, options().ShowSeconds, options().SizeInKB);
}

TFoundPlace TFormFoundFileList::placeOf(int32_t index) const {
  const TOneFLine& line = lineAt(index);
  return {std::string(line.diskName()), std::string(line.folder()), line.nameExt()};
}

void TFormFoundFileList::mouseMoved(QPoint pos) {
  if (hintRest_.moved(pos)) hideHint();
}

void TFormFoundFileList::hideHint() {
  if (!hintShown_) return;
  hintShown_ = false;
  hintOverlay_->hide();
}

void TFormFoundFileList::TimerUpdate() {
  if (!options().ShowFileHints || hintShown_ || !hintRest_.due()) return;
  const DrawGrid::Cell cell = Grid->cellAt(hintRest_.place());
  if (!cell.valid() || cell.row < 1 || cell.row > lineCount()) return;
  const std::string_view text = lineAt(cell.row - 1).shortDesc();
  if (text.empty()) return;
  // The part of the description cell in view, else the whole row under the pointer.
  QRect reference =
      Grid->cellRect(kDescriptionColumn, cell.row).intersected(Grid->viewport()->rect());
  if (reference.isEmpty()) {
    reference = Grid->cellRect(cell.col, cell.row);
    reference.setLeft(0);
    reference.setRight(Grid->viewport()->width() - 1);
  }
  hintLines_ = qtText(text).split('\n');
  const QFontMetrics fm(Grid->font());
  int widest = 0;
  for (const QString& line : hintLines_) widest = std::max(widest, fm.horizontalAdvance(line));
  hintLineHeight_ = fm.height();
  hintShape_ = foundHintShape(reference, Grid->viewport()->height(), widest, hintLineHeight_,
                              static_cast<int>(hintLines_.size()));
  hintShown_ = true;
  hintOverlay_->setGeometry(Grid->viewport()->rect());
  hintOverlay_->raise();
  hintOverlay_->show();
}

void TFormFoundFileList::PrintList() {
  printLines(kFoundFilesSample, [this](QPrinter& printer, const TPrintChoice& choice,
                                       TPrintStatus& status, const TScreenColumns& screen) {
    return PrintFoundFiles(printer, choice, options(), lines_, focusedLine(),
                           windowTitle().toStdString(), screen, status);
  });
}

void TFormFoundFileList::ExportList() {
  exportLines(ExportListKind::kFoundFiles, [this](int32_t i) {
    const TOneFLine& line = lineAt(i);
    ExportListLine out;
    out.Entry = line.file();
    out.DiskName = line.diskName();
    out.Folder = line.folder();
    out.Selected = line.selected();
    return out;
  });
}

}  // namespace vellomar
