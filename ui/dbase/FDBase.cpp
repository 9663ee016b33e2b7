#include "ui/dbase/FDBase.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHeaderView>
#include <QLabel>
#include <QSplitter>
#include <QStandardItemModel>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>

#include "foundation/UBaseUtils.h"
#include "platform/PText.h"
#include "ui/common/UEngineGuard.h"
#include "ui/common/UFittedText.h"
#include "ui/common/UServices.h"
#include "ui/dbase/FDBasePopups.h"
#include "ui/dbase/FDiskPanel.h"
#include "ui/dbase/FFilePanel.h"
#include "ui/dbase/FTreePanel.h"
#include "ui/grid/UQtText.h"
#include "ui/settings/FSettings.h"
#include "ui/settings/USettingsGlobals.h"

namespace vellomar {

namespace {

constexpr int kHeaderHeight = 21;
constexpr int kSplitterWidth = 2;
constexpr int kStatusSubtotalsWidth = 52;
constexpr int kStatusFileWidth = 104;

// A header bar of fixed sections whose texts the window sets.
QHeaderView* makeHeader(QWidget* parent, QStandardItemModel*& model, const QStringList& texts) {
  model = new QStandardItemModel(0, static_cast<int>(texts.size()), parent);
  model->setHorizontalHeaderLabels(texts);
  auto* header = new QHeaderView(Qt::Horizontal, parent);
  header->setModel(model);
  header->setSectionsClickable(false);
  header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  header->setMinimumSectionSize(0);
  header->setFixedHeight(kHeaderHeight);
  QFont font = header->font();
  font.setPointSize(8);
  header->setFont(font);
  return header;
}

}  // namespace

std::string dbaseShortName(const std::string& path) {
  const std::string stem = std::filesystem::path(path).stem().string();
  // The first character keeps its case, however many bytes it takes.
  size_t first = 1;
  while (first < stem.size() && utf8CutLength(stem, first) != first) ++first;
  if (stem.size() <= first) return stem;
  return stem.substr(0, first) + lowerText(stem.substr(first));
}

std::vector<std::string> listFilterModules(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    const std::string name = entry.path().filename().string();
    if (name.size() > 4 && lowerText(name.substr(name.size() - 4)) == ".k32" &&
        !entry.is_directory(error))
      names.push_back(name.substr(0, name.size() - 4));
  }
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return compareText(a, b) < 0; });
  return names;
}

TFormDBase::TFormDBase(QWidget* parent) : TMdiChild(parent) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QStringLiteral("Database"));
  if (FormSettings != nullptr) FormSettings->GetOptions(options_);
  headerWidths_[0] = options_.MDIChildHeader0;
  headerWidths_[1] = options_.MDIChildHeader1;
  headerWidths_[2] = options_.MDIChildHeader2;
  filterNames_ = listFilterModules(QCoreApplication::applicationDirPath().toStdString());
  Tag = NextCounter();
  buildLayout();
  BindUserCommands();
}

TFormDBase::~TFormDBase() {
  closeHandle();
}

void TFormDBase::buildLayout() {
  auto* content = new QWidget(this);
  auto* layout = new QVBoxLayout(content);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  headerTop_ =
      makeHeader(content, headerTopModel_, {headerTexts_[0], headerTexts_[1], headerTexts_[2]});
  QFont bold = headerTop_->font();
  bold.setBold(true);
  headerTop_->setFont(bold);
  headerTop_->setObjectName(QStringLiteral("HeaderTop"));
  splitter_ = new QSplitter(Qt::Horizontal, content);
  splitter_->setHandleWidth(kSplitterWidth);
  splitter_->setChildrenCollapsible(true);
  headerBottom_ = makeHeader(content, headerBottomModel_, {"Subtotals", "Current file"});
  headerBottom_->setObjectName(QStringLiteral("HeaderBottom"));
  headerBottom_->resizeSection(0, kStatusSubtotalsWidth);
  headerBottom_->resizeSection(1, kStatusFileWidth);
  headerBottom_->setStretchLastSection(true);
  headerTop_->setStretchLastSection(true);
  layout->addWidget(headerTop_);
  layout->addWidget(splitter_, 1);
  layout->addWidget(headerBottom_);
  setWidget(content);
  setPanels(new TDiskPanel(*this, splitter_), new TTreePanel(*this, splitter_),
            new TFilePanel(*this, splitter_));
  ApplyPanelFonts();
  filePanel()->SetupFileColumns();
  connect(headerTop_, &QHeaderView::sectionResized, this, &TFormDBase::headerSectionResized);
  // The last section follows the window's width.
  connect(headerTop_, &QHeaderView::sectionResized, this, [this] { fitHeaderTexts(); });
  connect(splitter_, &QSplitter::splitterMoved, this, &TFormDBase::splitterMoved);
}

void TFormDBase::setPanels(QWidget* disks, QWidget* tree, QWidget* files) {
  for (QWidget* old : {disks_.data(), tree_.data(), files_.data()})
    if (old != nullptr && old != disks && old != tree && old != files) old->deleteLater();
  disks_ = disks;
  tree_ = tree;
  files_ = files;
  disks->setObjectName(QStringLiteral("DrawGridDisks"));
  tree->setObjectName(QStringLiteral("OutlineTree"));
  files->setObjectName(QStringLiteral("DrawGridFiles"));
  disks->setProperty("panelTag", kPanelDisks);
  tree->setProperty("panelTag", kPanelTree);
  files->setProperty("panelTag", kPanelFiles);
  splitter_->insertWidget(0, disks);
  splitter_->insertWidget(1, tree);
  splitter_->insertWidget(2, files);
  splitter_->setStretchFactor(2, 1);
  InstallDBasePopups(*this);
  ArrangePanels();
}

int TFormDBase::ActivePanel() const {
  for (const QWidget* w = focusWidget(); w != nullptr && w != this; w = w->parentWidget()) {
    const QVariant tag = w->property("panelTag");
    if (tag.isValid()) return tag.toInt();
  }
  return kPanelNone;
}

void TFormDBase::ArrangePanels() {
  if (TTreePanel* tree = treePanel()) tree->Arrange();
  if (tree_) tree_->setVisible(options_.ShowTree);
  const QSignalBlocker block(headerTop_);
  headerTop_->resizeSection(0, headerWidths_[0]);
  headerTop_->resizeSection(1, options_.ShowTree ? headerWidths_[1] : 0);
  splitter_->setSizes(
      {headerWidths_[0], options_.ShowTree ? headerWidths_[1] : 0, headerWidths_[2]});
  sizeStatusSection();
  fitHeaderTexts();
}

void TFormDBase::setHeaderText(int section, const QString& text) {
  headerTexts_[section] = text;
  fitHeaderTexts();
}

void TFormDBase::fitHeaderTexts() {
  const int margin =
      2 * headerTop_->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, headerTop_);
  for (int section = 0; section < 3; ++section) {
    // Only the part of the section inside the window counts: a long path keeps its end there.
    const int left = headerTop_->sectionViewportPosition(section);
    const int right =
        std::min(left + headerTop_->sectionSize(section), headerTop_->viewport()->width());
    const QString shown =
        textTailToWidth(headerTexts_[section], headerTop_->fontMetrics(), right - left - margin);
    if (headerTopModel_->headerData(section, Qt::Horizontal).toString() != shown)
      headerTopModel_->setHeaderData(section, Qt::Horizontal, shown);
  }
}

void TFormDBase::sizeStatusSection() {
  const int width = headerTop_->sectionSize(0) + headerTop_->sectionSize(1);
  headerBottom_->resizeSection(0, std::max(width, statusMinimum_));
}

void TFormDBase::storeHeaderWidths(int disks, int tree, int files) {
  // A hidden or vanished tree keeps its last width, so showing it again brings it back.
  headerWidths_[0] = disks;
  if (options_.ShowTree && tree > 0) headerWidths_[1] = tree;
  headerWidths_[2] = files;
  options_.MDIChildHeader0 = headerWidths_[0];
  options_.MDIChildHeader1 = headerWidths_[1];
  options_.MDIChildHeader2 = headerWidths_[2];
  HeaderWidth0 = headerWidths_[0];
  HeaderWidth1 = headerWidths_[1];
  HeaderWidth2 = headerWidths_[2];
  if (FormSettings != nullptr)
    FormSettings->settings().storeHeaderWidths(headerWidths_[0], headerWidths_[1],
                                               headerWidths_[2]);
  sizeStatusSection();
}

void TFormDBase::headerSectionResized(int section, int, int newSize) {
  if (section > 1) return;
  {
    const QSignalBlocker block(splitter_);
    QList<int> sizes = splitter_->sizes();
    sizes[section] = newSize;
    splitter_->setSizes(sizes);
  }
  storeHeaderWidths(headerTop_->sectionSize(0), headerTop_->sectionSize(1),
                    headerTop_->sectionSize(2));
}

void TFormDBase::splitterMoved() {
  const QList<int> sizes = splitter_->sizes();
  const int disks = sizes[0] + kSplitterWidth / 2;
  const int tree = sizes[1] > 0 ? sizes[1] + kSplitterWidth / 2 + kSplitterWidth / 2 : 0;
  const int files = sizes[2];
  {
    const QSignalBlocker block(headerTop_);
    headerTop_->resizeSection(0, disks);
    headerTop_->resizeSection(1, options_.ShowTree ? tree : 0);
    headerTop_->resizeSection(2, options_.ShowTree ? files : tree + files);
  }
  storeHeaderWidths(disks, tree, files);
}

bool TFormDBase::Guarded(const std::function<void()>& body) {
  if (closing_) return false;
  return runGuarded(body, [this] {
    closing_ = true;
    close();
  });
}

bool TFormDBase::OpenDBase(const std::string& fileName) {
  ShortString message;
  TDBase* opened = nullptr;
  if (!ApiOpenDBase(ShortString(fileName), false, opened, message)) {
    closing_ = true;
    showErrorMessage("Error", message.view());
    return false;
  }
  handle_ = opened;
  filePath_ = fileName;
  shortName_ = dbaseShortName(fileName);
  setWindowTitle(qtText(shortName_));
  bool result = false;
  Guarded([&] {
    ApiGetLocalOptions(handle_, localOptions_);
    ShortString name;
    uint16_t flags = 0;
    int32_t index = 0;
    if (ApiGetCurrentKey(handle_, name, flags, index)) {
      ApiSetCurrentKey(handle_, index);
      diskPanel()->setAnchor(index);
    }
    RefreshDisks();
    result = true;
    TDBaseStats stats;
    ApiGetDBaseStats(handle_, stats);
    readOnly_ = stats.ReadOnly != 0;
  });
  return result;
}

bool TFormDBase::IsDBaseEmpty() const {
  return closing_ || handle_ == nullptr || ApiGetKeyCount(handle_) == 0;
}

void TFormDBase::IdleUpdate() {
  if (closing_ || scanRunning_ || handle_ == nullptr) return;
  Guarded([&] {
    if (ApiKeysChanged(handle_)) RefreshDisks();
    if (ApiTreeChanged(handle_)) {
      ReloadTree();
      ApiClearTreeChanged(handle_);
    }
    if (ApiFilesChanged(handle_)) {
      LoadFileList({});
      ApiClearFilesChanged(handle_);
    }
    if (resortPending_) {
      resortPending_ = false;
      LoadFileList(filePanel()->GetFocusedFileName());
    }
    if (resizePending_ > 0 && --resizePending_ == 0) {
      filePanel()->LayoutFileGrid(-1);
      sizeStatusSection();
    }
    const QString subtotals = qtText(statusSubtotals_);
    if (headerBottomModel_->headerData(0, Qt::Horizontal).toString() != subtotals) {
      if (statusMinimum_ != 0) {
        headerBottomModel_->setHeaderData(0, Qt::Horizontal, subtotals);
        // Never narrower than its text, so the subtotals are not cut inside a word.
        statusMinimum_ = std::max(headerBottom_->sectionSize(0), headerBottom_->sectionSizeHint(0));
      } else {
        statusMinimum_ = 1;
        headerBottomModel_->setHeaderData(0, Qt::Horizontal, QStringLiteral("-"));
      }
      sizeStatusSection();
    }
    const QString file = qtText(statusFile_);
    if (headerBottomModel_->headerData(1, Qt::Horizontal).toString() != file) {
      headerBottomModel_->setHeaderData(1, Qt::Horizontal, file);
      sizeStatusSection();
    }
  });
  if (closing_ || handle_ == nullptr) return;
  if (ApiGetErrorCount(handle_) > 0) {
    ApiClearErrorCount(handle_);
    ShowErrorBox("Database inconsistency was found.\r\nClose the database and repair it.");
  }
}

void TFormDBase::TimerUpdate() {
  filePanel()->TimerUpdate();
}

void TFormDBase::ApplyGlobalOptions() {
  if (closing_) return;
  const bool expanded = options_.ExpandTree;
  if (FormSettings != nullptr) FormSettings->GetOptions(options_);
  const std::string focused = filePanel()->GetFocusedFileName();
  if (options_.ExpandTree != expanded) {
    if (options_.ExpandTree) {
      treePanel()->ExpandAll();
    } else {
      treePanel()->CollapseAll();
    }
  }
  ArrangePanels();
  ApplyPanelFonts();
  filePanel()->SetupFileColumns();
  Guarded([&] { LoadFileList(focused); });
}

void TFormDBase::setStatusTexts(const std::string& subtotals, const std::string& file) {
  statusSubtotals_ = subtotals;
  statusFile_ = file;
}

void TFormDBase::UpdatePanelHeaders() {
  if (closing_ || handle_ == nullptr) return;
  Guarded([&] {
    const auto setSection = [&](int section, const std::string& text) {
      if (headerTexts_[section] == qtText(text)) return;
      {
        const QSignalBlocker block(headerTop_);
        headerTop_->resizeSection(section,
                                  section == 1 && !options_.ShowTree ? 0 : headerWidths_[section]);
      }
      setHeaderText(section, qtText(text));
    };
    switch (ActivePanel()) {
      case kPanelDisks:
        setSection(0, shortName_);
        break;
      case kPanelTree:
        if (options_.ShowTree) {
          ShortString name;
          uint16_t flags = 0;
          int32_t index = 0;
          ApiGetCurrentKey(handle_, name, flags, index);
          setSection(1, name.str());
        }
        break;
      case kPanelFiles: {
        ShortString path;
        ApiGetCurrentPath(handle_, path);
        setSection(2, path.str());
        break;
      }
      default:
        break;
    }
  });
}

void TFormDBase::ChangePanel(int panel) {
  filePanel()->HideDescHint();
  for (int section = 0; section < 3; ++section)
    if (section != panel - 1) headerTexts_[section].clear();
  if (panel == kPanelDisks) headerTexts_[0] = qtText(shortName_);
  if (panel == kPanelTree || panel == kPanelFiles) UpdatePanelHeaders();
  {
    const QSignalBlocker block(headerTop_);
    headerTop_->resizeSection(0, headerWidths_[0]);
    headerTop_->resizeSection(1, options_.ShowTree ? headerWidths_[1] : 0);
    headerTop_->resizeSection(2, headerWidths_[2]);
  }
  fitHeaderTexts();
}

void TFormDBase::ShowWriteErrorBox() {
  showErrorMessage("Error",
                   "Serious problem occurred when writing to database.\r\nImmediate program "
                   "shutdown is recommended.");
}

void TFormDBase::closeHandle() {
  if (handle_ == nullptr) return;
  // The handle goes whatever the close answers; its failure is reported once, here.
  try {
    ApiCloseDBase(handle_, false);
  } catch (const std::exception& e) {
    handle_ = nullptr;
    ShowErrorBox(e.what());
  }
  handle_ = nullptr;
}

void TFormDBase::closeEvent(QCloseEvent* event) {
  if (!filePath_.empty()) emit databaseClosing(QString::fromStdString(filePath_));
  closeHandle();
  closing_ = true;
  TMdiChild::closeEvent(event);
}

void TFormDBase::resizeEvent(QResizeEvent* event) {
  TMdiChild::resizeEvent(event);
  if (!closing_) resizePending_ = 1;
}

}  // namespace vellomar
