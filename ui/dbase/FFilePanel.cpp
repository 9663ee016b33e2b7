#include "ui/dbase/FFilePanel.h"

#include <QApplication>
#include <QCursor>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStyle>
#include <QTextLayout>

#include <algorithm>

#include "engine/api/UApi.h"
#include "foundation/UBaseUtils.h"
#include "foundation/UDebugLog.h"
#include "ui/common/UColumnSamples.h"
#include "ui/common/UServices.h"
#include "ui/dbase/FTreePanel.h"
#include "ui/dbase/UDBaseStatus.h"
#include "ui/dbase/UPanelHost.h"
#include "ui/dialogs/FDescription.h"
#include "ui/dialogs/FMaskSelect.h"
#include "ui/dialogs/UDialogs.h"
#include "ui/drives/UDrives.h"
#include "ui/grid/UQtText.h"
#include "ui/panels/UFileTexts.h"
#include "ui/panels/UShellOpen.h"
#include "ui/settings/USettingsGlobals.h"

namespace vellomar {

namespace {

const QColor kGrey(0x80, 0x80, 0x80);
constexpr int kHintWrapWidth = 225;
// The widest name the layout starts from, before the lines are measured.
constexpr const char* kWidestStart = "MMMMMMMM.MMM";
constexpr int32_t kLongestStart = 12;

// Text with line breaks as the catalogue stores them, and as the editor shows them.
std::string toStoredLineBreaks(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

std::string toEditorLineBreaks(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i];
  }
  return out;
}

std::string shortDescOf(const CatalogueGateway& catalogue, const TOneFileLine& line) {
  return line.Data.DescOffset == 0 ? std::string()
                                   : catalogue.shortDescription(line.Data.DescOffset);
}

// The lines of a text as a box 225 px wide breaks them, in the hint's wrapping font.
QStringList wrapHintText(const QStringList& lines) {
  QFont font("MS Sans Serif");
  font.setPixelSize(11);
  QStringList wrapped;
  for (const QString& line : lines) {
    QTextLayout layout(line, font);
    layout.beginLayout();
    for (QTextLine part = layout.createLine(); part.isValid(); part = layout.createLine()) {
      part.setLineWidth(kHintWrapWidth);
      wrapped << line.mid(part.textStart(), part.textLength()).trimmed();
    }
    layout.endLayout();
    if (line.isEmpty()) wrapped << QString();
  }
  return wrapped;
}

}  // namespace

TFilePanel::TFilePanel(PanelHost& form, QWidget* parent)
    : DrawGrid(parent),
      form_(form),
      hintRest_([this] { return viewport()->mapFromGlobal(QCursor::pos()); }) {
  setHorzLines(false);
  onDrawCell = [this](QPainter& p, int col, int row, const QRect& rect, GridDrawState state) {
    DrawCell(p, col, row, rect, state);
  };
  onSelectCell = [this](int col, int row) { return SelectCell(col, row); };
  onKeyDown = [this](QKeyEvent* event) { return KeyDown(event); };
  onMouseDown = [this](Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos) {
    MouseDown(button, modifiers, pos);
  };
  onDblClick = [this] { DblClick(); };
  onMouseMove = [this](QPoint pos) { MouseMove(pos); };
  onFocusIn = [this] { form_.ChangePanel(PanelHost::kPanelFiles); };
  ApplyFont(font());
}

CatalogueGateway& TFilePanel::catalogue() const {
  return form_.catalogue();
}

bool TFilePanel::detailed() const {
  return form_.options().DisplayMode != 0;
}

bool TFilePanel::addAsciiWidth(std::string_view text, int& width) const {
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 128) return false;
    int& advance = asciiWidths_[byte];
    if (advance == 0) advance = std::max(1, QFontMetrics(font()).horizontalAdvance(QChar(byte)));
    width += advance;
  }
  return true;
}

int TFilePanel::textWidth(std::string_view text) const {
  int width = 0;
  return addAsciiWidth(text, width) ? width : QFontMetrics(font()).horizontalAdvance(qtText(text));
}

int TFilePanel::nameWidth(const TOneFileLine& line) const {
  int width = 0;
  if (addAsciiWidth(line.Name(), width) && addAsciiWidth(line.Data.Ext.view(), width)) return width;
  return textWidth(FullNameOf(line));
}

void TFilePanel::ApplyFont(const QFont& font) {
  setFont(font);
  asciiWidths_.fill(0);
  const QFontMetrics metrics(font);
  setDefaultRowHeight(metrics.height());
  iconWidth_ = defaultRowHeight();
  timeWidth_ = TimeColumnWidth(metrics.horizontalAdvance(
      qtText(FormatDosTime(kWidestDateTime, form_.options().ShowSeconds).view())));
}

int32_t TFilePanel::nameColumnWidth() const {
  return widest_ + 5 + (form_.options().ShowIcons ? iconWidth_ : 0);
}

int32_t TFilePanel::indexOfCell(int col, int row) const {
  if (detailed()) return row - 1;
  return col * rowCount() + row;
}

int32_t TFilePanel::focusedIndex() const {
  return indexOfCell(col(), row());
}

std::string TFilePanel::GetFocusedFileName() const {
  const TOneFileLine* line = focusedLine();
  return line != nullptr ? FullNameOf(*line) : std::string();
}

void TFilePanel::LoadFileList(const std::string& focusName) {
  if (form_.closing() || form_.scanRunning()) return;
  ++listBuilding_;
  struct Done {
    int& counter;
    ~Done() { --counter; }
  } done{listBuilding_};
  HideDescHint();
  focus_ = 0;
  prevFocus_ = 0;
  if (form_.IsDBaseEmpty()) {
    lines_.clear();
    totals_ = TDirTotals{};
    subtotals_ = SubtotalsText(totals_);
    LayoutFileGrid(0);
    ShowFileStatus(0, true);
    return;
  }
  totals_ = catalogue().currentTotals();
  const TGlobalOptions& options = form_.options();
  const int32_t focus = lines_.load(catalogue().fileList(), options.SortCrit, options.ReverseSort,
                                    ShortString(focusName), forcedNode_);
  longest_ = kLongestStart;
  widest_ = textWidth(kWidestStart);
  for (const TOneFileLine& line : lines_.copiedLines()) {
    longest_ =
        std::max(longest_, int32_t{line.NameLength} + static_cast<int32_t>(line.Data.Ext.length()));
    widest_ = std::max(widest_, nameWidth(line));
  }
  subtotals_ = SubtotalsText(totals_);
  LayoutFileGrid(focus);
  ShowFileStatus(focusedIndex(), true);
}

void TFilePanel::SetupFileColumns() {
  const TGlobalOptions& options = form_.options();
  columns_ = {FileColumnKind::kName};
  if (brief()) {
    setRowSelect(false);
    setColSizing(false);
    setFixedRows(0);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setColCount(1);
    return;
  }
  setRowSelect(true);
  setColSizing(true);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setRowCount(std::max(rowCount(), 2));
  setFixedRows(1);
  std::vector<int> widths = {nameColumnWidth()};
  if (options.ShowSize) {
    columns_.push_back(FileColumnKind::kSize);
    widths.push_back(textWidth(FormatSizeShort(kWidestSize, options.SizeInKB).str()) + 2);
  }
  if (options.ShowTime) {
    columns_.push_back(FileColumnKind::kDateTime);
    widths.push_back(textWidth(" " + FormatDosDate(kWidestDateTime).str()) + timeWidth_ + 2);
  }
  if (options.ShowDescr) {
    columns_.push_back(FileColumnKind::kDescription);
    widths.push_back(kDescSamples * textWidth(kDescSample));
  }
  setColCount(static_cast<int>(columns_.size()));
  for (size_t i = 0; i < widths.size(); ++i) setColWidth(static_cast<int>(i), widths[i]);
}

void TFilePanel::LayoutFileGrid(int32_t focus) {
  const int32_t count = lines_.count();
  setEmpty(count == 0);
  if (detailed()) {
    setColWidth(0, nameColumnWidth());
    if (focus == -1) focus = row() - 1;
    setRowCount(count + 1 + (count == 0 ? 1 : 0));
    moveTo(col(), focus >= 0 && focus < count ? focus + 1 : 1);
  } else {
    if (focus == -1) focus = focusedIndex();
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    const BriefLayout layout =
        LayoutBrief(count, height() - 2 * frameWidth(), width() - 2 * frameWidth(),
                    defaultRowHeight(), nameColumnWidth(), scrollBar);
    setTopRow(0);
    setLeftCol(0);
    setDefaultColWidth(nameColumnWidth());
    setRowCount(layout.rows);
    setColCount(layout.cols);
    if (focus < 0 || focus >= count) focus = 0;
    moveTo(layout.colOf(focus), layout.rowOf(focus));
  }
  focus_ = std::max(0, focusedIndex());
  viewport()->update();
}

void TFilePanel::SetBriefMode(bool brief) {
  TGlobalOptions& options = form_.options();
  if (brief && options.DisplayMode == 0) return;
  const int32_t focus = focusedIndex();
  options.DisplayMode = brief ? 0 : 1;
  SetupFileColumns();
  LayoutFileGrid(focus);
}

void TFilePanel::ShowFileStatus(int32_t index, bool withTotals) {
  const TOneFileLine* line = lines_.at(index);
  std::string text = " ";
  if (line != nullptr) {
    form_.Guarded([&] {
      FileStatusLine status;
      status.nameExt = FullNameOf(*line);
      status.kind = line->Kind == kLineFolder   ? FileStatusLine::Kind::kFolder
                    : line->Kind == kLineParent ? FileStatusLine::Kind::kParent
                                                : FileStatusLine::Kind::kFile;
      status.size = fileSizeOf(line->Data.Size);
      status.dateTime = static_cast<uint32_t>(line->Data.DateTime);
      const std::string description = shortDescOf(catalogue(), *line);
      if (!description.empty()) status.description = description;
      text = FileStatusText(status, form_.options().SizeInKB, form_.options().ShowSeconds);
    });
  }
  if (withTotals) subtotals_ = SubtotalsText(totals_);
  form_.setStatusTexts(subtotals_, text);
}

void TFilePanel::resizeEvent(QResizeEvent* event) {
  DrawGrid::resizeEvent(event);
  form_.FileGridResized();
}

// ---- Drawing ----

void TFilePanel::DrawHeader(QPainter& p, FileColumnKind kind, const QRect& rect) {
  const QRect text = rect.adjusted(2, 0, -2, 0);
  switch (kind) {
    case FileColumnKind::kName:
      p.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, "Name");
      break;
    case FileColumnKind::kDescription:
      p.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, "Description");
      break;
    case FileColumnKind::kSize:
      p.drawText(text, Qt::AlignRight | Qt::AlignVCenter, "Size");
      break;
    case FileColumnKind::kDateTime:
      p.drawText(text, Qt::AlignRight | Qt::AlignVCenter, "Date and time");
      break;
  }
}

void TFilePanel::DrawIcon(QPainter& p, const TOneFileLine& line, const QRect& area) {
  int picture = 0;
  switch (line.Kind) {
    case kLineFolder:
      picture = 0;
      break;
    case kLineParent:
      picture = 1;
      break;
    case kLineArchive:
      picture = 2;
      break;
    default:
      return;
  }
  // Made once: the style decodes its images again on every request.
  if (pictures_[0].isNull()) {
    pictures_[0] = style()->standardIcon(QStyle::SP_DirIcon, nullptr, this);
    pictures_[1] = style()->standardIcon(QStyle::SP_FileDialogToParent, nullptr, this);
    pictures_[2] = style()->standardIcon(QStyle::SP_DirClosedIcon, nullptr, this);
  }
  const int size = std::min(area.width(), area.height());
  pictures_[picture].paint(&p, QRect(area.topLeft(), QSize(size, size)));
}

void TFilePanel::DrawCell(QPainter& p, int col, int row, QRect rect, GridDrawState state) {
  const TGlobalOptions& options = form_.options();
  const FileColumnKind kind = detailed() && col < static_cast<int>(columns_.size())
                                  ? columns_[static_cast<size_t>(col)]
                                  : FileColumnKind::kName;
  if (detailed() && row == 0) {
    DrawHeader(p, kind, rect);
    return;
  }
  const TOneFileLine* line = lines_.at(indexOfCell(col, row));
  if (line == nullptr) return;
  if (IsSelected(*line) && !state.selected) {
    p.fillRect(rect, kGrey);
    p.setPen(palette().color(QPalette::HighlightedText));
  }
  switch (kind) {
    case FileColumnKind::kName: {
      if (options.ShowIcons) {
        DrawIcon(p, *line, QRect(rect.left(), rect.top(), iconWidth_, rect.height()));
        rect.setLeft(rect.left() + iconWidth_);
      }
      p.drawText(rect.adjusted(1, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                 qtText(FullNameOf(*line)));
      break;
    }
    case FileColumnKind::kSize:
      p.drawText(rect.adjusted(0, 0, -2, 0), Qt::AlignRight | Qt::AlignVCenter,
                 qtText(SizeCellText(*line, options.SizeInKB).view()));
      break;
    case FileColumnKind::kDateTime: {
      const auto when = static_cast<uint32_t>(line->Data.DateTime);
      if (when == 0) break;
      p.drawText(rect.adjusted(0, 0, -2, 0), Qt::AlignRight | Qt::AlignVCenter,
                 qtText(FormatDosTime(when, options.ShowSeconds).view()));
      const int dateRight = std::max(rect.left(), rect.right() + 1 - timeWidth_);
      p.drawText(QRect(rect.left(), rect.top(), dateRight - rect.left() - 2, rect.height()),
                 Qt::AlignRight | Qt::AlignVCenter, qtText(FormatDosDate(when).view()));
      break;
    }
    case FileColumnKind::kDescription: {
      // Painting never reports: a description that cannot be read is left out.
      std::string text;
      try {
        text = shortDescOf(catalogue(), *line);
      } catch (const std::exception&) {
      }
      p.drawText(rect.adjusted(1, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, qtText(text));
      break;
    }
  }
}

// ---- Moving, keys and the mouse ----

bool TFilePanel::SelectCell(int col, int row) {
  HideDescHint();
  const int32_t index = indexOfCell(col, row);
  if (lines_.at(index) == nullptr) return false;
  ShowFileStatus(index, false);
  prevFocus_ = focus_;
  focus_ = index;
  if (extendRange_) {
    extendRange_ = false;
    lines_.toggleRange(prevFocus_, focus_);
    viewport()->update();
  } else if (!PersistentSelections && lines_.unselectAll()) {
    viewport()->update();
  }
  return true;
}

void TFilePanel::moveToLine(int32_t index) {
  if (detailed()) {
    moveTo(col(), index + 1);
  } else {
    moveTo(index / rowCount(), index % rowCount());
  }
}

bool TFilePanel::KeyDown(QKeyEvent* event) {
  shiftState_ = event->modifiers();
  HideDescHint();
  const int key = event->key();
  const bool shift = event->modifiers() & Qt::ShiftModifier;
  if (shift && (key == Qt::Key_Down || key == Qt::Key_Up || key == Qt::Key_Left ||
                key == Qt::Key_Right || key == Qt::Key_PageUp || key == Qt::Key_PageDown)) {
    extendRange_ = true;
  }
  switch (key) {
    case Qt::Key_Space:
    case Qt::Key_Insert: {
      if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
      ToggleFileSelection();
      const BriefLayout layout{rowCount(), colCount()};
      const std::optional<BriefCell> next =
          brief() ? BriefKeyTarget(BriefKey::kDown, {col(), row()}, layout, lines_.count())
                  : std::nullopt;
      if (next) {
        moveTo(next->col, next->row);
      } else if (lines_.at(focusedIndex() + 1) != nullptr) {
        moveTo(col(), row() + 1);
      }
      return true;
    }
    case Qt::Key_Backspace:
      GoToParent();
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      DblClick();
      return true;
    default:
      break;
  }
  if (TypeAhead(*event)) return true;
  if (detailed() || lines_.empty()) return false;
  BriefKey briefKey;
  switch (key) {
    case Qt::Key_Down:
      briefKey = BriefKey::kDown;
      break;
    case Qt::Key_Up:
      briefKey = BriefKey::kUp;
      break;
    case Qt::Key_Left:
      briefKey = BriefKey::kLeft;
      break;
    case Qt::Key_Right:
      briefKey = BriefKey::kRight;
      break;
    case Qt::Key_PageUp:
      briefKey = BriefKey::kPageUp;
      break;
    case Qt::Key_PageDown:
      briefKey = BriefKey::kPageDown;
      break;
    case Qt::Key_Home:
      briefKey = BriefKey::kHome;
      break;
    case Qt::Key_End:
      briefKey = BriefKey::kEnd;
      break;
    default:
      return false;
  }
  const std::optional<BriefCell> target =
      BriefKeyTarget(briefKey, {col(), row()}, BriefLayout{rowCount(), colCount()}, lines_.count());
  if (!target) return false;
  moveTo(target->col, target->row);
  return true;
}

bool TFilePanel::TypeAhead(const QKeyEvent& event) {
  const QString text = event.text();
  if (text.isEmpty() || !text.at(0).isPrint() ||
      (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
    return false;
  }
  // Letters typed in quick succession make one prefix; after a pause a letter starts anew, and
  // the same letter again goes on to the next name that begins with it.
  if (!typedAt_.isValid() || typedAt_.elapsed() > QApplication::keyboardInputInterval()) {
    typed_.clear();
  }
  typedAt_.start();
  typed_ += text.toStdString();
  const int32_t from = typed_.size() > static_cast<size_t>(text.toUtf8().size())
                           ? focusedIndex()
                           : focusedIndex() + 1;
  const int32_t found = lines_.findByPrefix(typed_, from);
  if (found >= 0) moveToLine(found);
  return true;
}

void TFilePanel::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos) {
  shiftState_ = modifiers;
  HideDescHint();
  if (button != Qt::LeftButton) return;
  headerClick_ = detailed() && pos.y() < defaultRowHeight();
  if (headerClick_) {
    // The grid's own hit test counts the columns scrolled out of view.
    const Cell cell = cellAt(pos);
    if (!cell.valid() || cell.col >= static_cast<int>(columns_.size())) return;
    switch (columns_[static_cast<size_t>(cell.col)]) {
      case FileColumnKind::kName: {
        const QRect rect = cellRect(cell.col, 0);
        form_.SetSortCriterion(pos.x() > rect.left() + rect.width() / 2 ? kSortByExt : kSortByName);
        break;
      }
      case FileColumnKind::kDateTime:
        form_.SetSortCriterion(kSortByTime);
        break;
      case FileColumnKind::kSize:
        form_.SetSortCriterion(kSortBySize);
        break;
      case FileColumnKind::kDescription:
        break;
    }
    return;
  }
  if (modifiers & Qt::ControlModifier) {
    ToggleFileSelection();
  } else if (modifiers & Qt::ShiftModifier) {
    prevFocus_ = std::min(prevFocus_, std::max(0, lines_.count() - 1));
    lines_.selectOnly(prevFocus_, focusedIndex());
    viewport()->update();
  }
}

void TFilePanel::ToggleFileSelection() {
  lines_.toggle(focusedIndex());
  viewport()->update();
}

void TFilePanel::DblClick() {
  if (form_.closing() || headerClick_) return;
  HideDescHint();
  const TOneFileLine* focused = focusedLine();
  if (focused == nullptr) return;
  // The list is rebuilt by what follows; the entry is taken out first.
  const TOneFile entry = focused->Entry();
  const uint8_t kind = focused->Kind;
  form_.Guarded([&] {
    forcedNode_ = kind == kLineParent ? catalogue().currentFolder() : nullptr;
    if (shiftState_ & Qt::ShiftModifier) {
      if (kind == kLineFile || kind == kLineArchive) {
        ExecFile(entry);
      } else if (kind == kLineFolder) {
        OpenExplorer(entry);
      }
      return;
    }
    if (shiftState_ & Qt::ControlModifier) {
      EditDescription();
      return;
    }
    const bool folderLike = (entry.Data.Attr & (kAttrFolder | kAttrArchiveFolder)) != 0;
    if (folderLike && entry.SubDir != nullptr) {
      catalogue().setCurrentFolder(entry.SubDir);
      catalogue().updateFileList();
      form_.UpdatePanelHeaders();
      if (TTreePanel* tree = form_.treePanel()) tree->SelectTreeFolder(entry.SubDir);
    } else if (!folderLike && form_.options().EnableShellExecute) {
      ExecFile(entry);
    }
  });
}

void TFilePanel::OpenFocusedEntry() {
  shiftState_ = Qt::ShiftModifier;
  headerClick_ = false;
  DblClick();
}

void TFilePanel::GoToParent() {
  const TOneFileLine* parent = lines_.at(lines_.parentLineIndex());
  if (parent == nullptr) return;
  TDirCollection* node = parent->SubDir;
  form_.Guarded([&] {
    forcedNode_ = catalogue().currentFolder();
    if ((parent->Data.Attr & kAttrFolder) == 0 || node == nullptr) return;
    catalogue().setCurrentFolder(node);
    catalogue().updateFileList();
    form_.UpdatePanelHeaders();
    if (TTreePanel* tree = form_.treePanel()) tree->SelectTreeFolder(node);
  });
}

// ---- Opening through the desktop ----

void TFilePanel::ExecFile(const TOneFile& entry) {
  DebugLog("->ExecFile");
  openEntry(entry, false);
}

void TFilePanel::OpenExplorer(const TOneFile& entry) {
  DebugLog("->OpenExplorer");
  if (catalogue().isInArchive()) {
    ExecFile(entry);
    return;
  }
  openEntry(entry, true);
}

void TFilePanel::openEntry(const TOneFile& entry, bool folder) {
  for (;;) {
    const CatalogueDiskDetails disk = catalogue().currentDiskDetails();
    const ShortString& name = disk.Name;
    const ShortString& label = disk.Label;
    const ShortString& base = disk.Path;
    DebugLog("BasePath=%s, OrigDiskName=%s, OrigVolumeLabel=%s", base.str().c_str(),
             name.str().c_str(), label.str().c_str());
    std::string basePath = base.str();
    if (!basePath.empty() && basePath.back() == '\\') basePath.pop_back();
    std::string target;
    std::string folderText = catalogue().currentPath();
    const bool inArchive = !folder && catalogue().isInArchive();
    if (inArchive) {
      folderText = catalogue().archivePath();
      DebugLog("Is in archive");
      target = basePath + folderText;
    } else {
      if (folderText.empty() || folderText.back() != '\\') folderText += '\\';
      target = basePath + folderText + entry.Name.str() + std::string(entry.Data.Ext.view());
    }
    DebugLog("Msg=%s", target.c_str());
    const bool wantFolder = folder;
    const std::optional<std::string> onDisk = findCataloguedPath(target, wantFolder);
    const char letter = basePath.empty() ? '\0' : basePath.front();
    if (onDisk) {
      DebugLog("Executing shell: %s", target.c_str());
      if (!services().shell->openFile(*onDisk) && !folder) {
        // A file nothing opens shows the folder that holds it.
        DebugLog("No association, retry with relative path");
        if (!folderText.empty() && folderText.back() == '\\') folderText.pop_back();
        const std::string holder = basePath + folderText;
        const std::optional<std::string> holderOnDisk = findCataloguedPath(holder, true);
        const bool opened = holderOnDisk && services().shell->openFile(*holderOnDisk);
        DebugLog("Executing shell: %s, result=%d", holder.c_str(), opened ? 1 : 0);
      }
      return;
    }
    const NotFoundCauses why = notFoundCauses(volumeInfo(letter), label.str(), inArchive);
    DebugLog("Does not exist: %s", target.c_str());
    if (services().messages->show(folder ? "Folder Not Found" : "File Not Found",
                                  notFoundMessage(ShownPath(target), folder, why),
                                  BoxIcon::kExclamation,
                                  BoxButtons::kRetryCancel) != BoxResult::kRetry) {
      return;
    }
  }
}

// ---- Descriptions ----

void TFilePanel::EditDescription() {
  HideDescHint();
  TOneFileLine* line = lines_.at(focusedIndex());
  if (line == nullptr) return;
  if (line->Kind == kLineParent) {
    services().messages->show("Notification",
                              "Reference to the parent folder cannot have a description.",
                              BoxIcon::kInformation);
    return;
  }
  form_.Guarded([&] {
    std::string label = catalogue().currentPath();
    if (label.empty() || label.back() != '\\') label += '\\';
    label += FullNameOf(*line);
    std::string text;
    if (line->Data.DescOffset != 0) text = catalogue().fullDescription(line->Data.DescOffset);
    TFormDescription& dialog = FormDescription();
    form_.ApplyDescriptionFont(dialog.MemoDesc);
    const bool readOnly = form_.readOnly();
    dialog.Prepare(qtText(toEditorLineBreaks(text)), qtText(label), readOnly);
    if (dialog.exec() != QDialog::Accepted || !dialog.Modified() || readOnly) return;
    int32_t entry = line->EntryOffset;
    if (!catalogue().setDescription(entry, toStoredLineBreaks(fromQt(dialog.Text())))) {
      services().messages->show("Error", "The description cannot be saved.", BoxIcon::kError);
      return;
    }
    line->Data.DescOffset = entry;
    catalogue().updateDescriptionRef(line->Entry());
    viewport()->update();
    ShowFileStatus(focusedIndex(), false);
  });
}

// ---- Selection ----

void TFilePanel::MaskSelect() {
  form_.Guarded([&] {
    std::vector<ShortString> masks;
    if (!AskSelectionMasks(false, masks)) return;
    lines_.selectMatching(masks);
    viewport()->update();
  });
}

void TFilePanel::UnselectAll() {
  lines_.unselectAll();
  viewport()->update();
}

void TFilePanel::SelectAll() {
  lines_.selectAll(PersistentSelections);
  viewport()->update();
}

// ---- Description hint ----

void TFilePanel::MouseMove(QPoint pos) {
  if (hintRest_.moved(pos)) HideDescHint();
}

void TFilePanel::TimerUpdate() {
  if (form_.closing() || form_.scanRunning() || !form_.options().ShowFileHints) return;
  ShowDescHint();
}

const TOneFileLine* TFilePanel::FileLineAtPoint(QPoint point, QRect& cell) const {
  const Cell at = cellAt(point);
  if (!at.valid()) return nullptr;
  cell = cellRect(at.col, at.row);
  if (detailed()) {
    if (at.row < 1) return nullptr;
    cell = QRect(0, cell.top(), viewport()->width(), cell.height());
  }
  return lines_.at(indexOfCell(at.col, at.row));
}

void TFilePanel::ShowDescHint() {
  if (hintVisible_ || listBuilding_ > 0 || !hintRest_.due()) return;
  QRect cell;
  const TOneFileLine* line = FileLineAtPoint(hintRest_.place(), cell);
  if (line == nullptr) return;
  std::vector<std::string> texts;
  form_.Guarded([&] {
    texts = DescHintLines(*line, brief(), shortDescOf(catalogue(), *line),
                          form_.options().ShowSeconds, form_.options().SizeInKB);
  });
  if (texts.empty()) return;
  QStringList plain;
  for (const std::string& text : texts) plain << qtText(text);
  hintLines_ = wrapHintText(plain);
  const QFontMetrics metrics(font());
  int widest = 0;
  for (const QString& text : hintLines_) widest = std::max(widest, metrics.horizontalAdvance(text));
  hintLineHeight_ = metrics.height();
  hintShape_ = PlaceDescHint(cell, viewport()->size(), widest, hintLineHeight_,
                             static_cast<int>(hintLines_.size()));
  hintVisible_ = true;
  viewport()->update(hintShape_.body.adjusted(-1, -7, 1, 7));
}

void TFilePanel::HideDescHint() {
  if (!hintVisible_) return;
  hintVisible_ = false;
  viewport()->update(hintShape_.body.adjusted(-1, -7, 1, 7));
}

void TFilePanel::paintEvent(QPaintEvent* event) {
  DrawGrid::paintEvent(event);
  if (!hintVisible_) return;
  QPainter p(viewport());
  paintHint(p);
}

void TFilePanel::paintHint(QPainter& p) {
  DrawDescHint(p, hintShape_, hintLines_, hintLineHeight_);
}

}  // namespace vellomar
