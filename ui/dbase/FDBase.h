#pragma once

#include <QPointer>
#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "engine/api/UApi.h"
#include "engine/api/ULocalOptions.h"
#include "ui/common/UCatalogueGateway.h"
#include "ui/common/UMdiChild.h"
#include "ui/dbase/UPanelHost.h"
#include "ui/settings/UGlobalOptions.h"

class QHeaderView;
class QSplitter;
class QStandardItemModel;

namespace vellomar {

class TDiskPanel;
class TFilePanel;
class TTreePanel;

// The database window: one MDI child per open catalogue file, owning one engine handle. It
// shows the catalogue in three panels side by side (disks, folder tree, files) under a header
// bar (HeaderTop) and above a status bar (HeaderBottom), polls the engine's change flags on
// every idle pass and rebuilds only what changed. Every operation that calls the engine runs
// under Guarded (the window's error convention) and returns at once while the window closes.
//
// The panels themselves, and the commands of the other families (scanning, search, printing,
// selection, descriptions), are built beside this file; their entry points are declared here
// and reached through the main menu.
class ScanCommands;

class TFormDBase : public TMdiChild, public PanelHost {
  Q_OBJECT
 public:
  static constexpr int kHelpContext = 130;

  // Takes its options from the program settings (FormSettings must exist).
  explicit TFormDBase(QWidget* parent = nullptr);
  ~TFormDBase() override;
  Kind kind() const override { return Kind::kDatabase; }

  // Opens the file into the window; false (after one "Error" box) when it cannot.
  bool OpenDBase(const std::string& fileName);
  void IdleUpdate() override;
  void TimerUpdate() override;
  void ApplyGlobalOptions() override;
  CatalogueGateway& catalogue() override { return catalogue_; }
  // True while closing or without disks.
  bool IsDBaseEmpty() const override;
  void ShowWriteErrorBox();

  // Runs body under the window's error convention: a normal engine failure in an "Error" box,
  // a fatal one closes the window and shows the "Critical error" box. Nothing runs while the
  // window closes. True when body ended normally.
  bool Guarded(const std::function<void()>& body) override;

  bool closing() const override { return closing_; }
  bool scanRunning() const override { return scanRunning_; }
  void setScanRunning(bool running) { scanRunning_ = running; }
  bool readOnly() const override { return readOnly_; }
  // The database file as opened, and its base name as the caption shows it.
  const std::string& filePath() const { return filePath_; }
  const std::string& shortName() const override { return shortName_; }
  TLocalOptions& localOptions() { return localOptions_; }
  // The description filter modules in the program folder, for the database settings.
  const std::vector<std::string>& filterNames() const { return filterNames_; }
  TGlobalOptions& options() override { return options_; }
  const TGlobalOptions& options() const override { return options_; }

  // ---- Layout ----
  QHeaderView* headerTop() const { return headerTop_; }
  QHeaderView* headerBottom() const { return headerBottom_; }
  // The three panels.
  QWidget* DrawGridDisks() const { return disks_; }
  QWidget* OutlineTree() const { return tree_; }
  QWidget* DrawGridFiles() const { return files_; }
  void setPanels(QWidget* disks, QWidget* tree, QWidget* files);
  TDiskPanel* diskPanel() const;
  TTreePanel* treePanel() const override;
  TFilePanel* filePanel() const;
  // Fonts and row heights of the three panels, from the options.
  void ApplyPanelFonts();
  // The description editor's font, set as the editor opens for this window.
  void ApplyDescriptionFont(QWidget* memo) const override;
  // The file grid changed its size: the next idle pass lays it out again.
  void FileGridResized() override;
  // 1 disks, 2 tree, 3 files, 0 none: the panel that holds the focus.
  int ActivePanel() const;
  // Shows or hides the tree and sizes the columns from the header widths.
  void ArrangePanels();
  // The texts of the status bar's two sections.
  void setStatusTexts(const std::string& subtotals, const std::string& file) override;
  // Header texts of the panel that has the focus.
  void UpdatePanelHeaders() override;
  // On entering a panel.
  void ChangePanel(int panel) override;

  // ---- Panels (built by the panel family; here they keep the window consistent) ----
  void RefreshDisks();
  void ReloadTree();
  void LoadFileList(const std::string& focusName);
  // Puts the window on a disk, a folder path of it and a file of that folder.
  // Runs a walk over the disks (printing, export), then comes back to the disk, folder and
  // file the window stood on.
  void RunAndComeBack(const std::function<void()>& walk);
  void JumpTo(const std::string& diskName, const std::string& folderPath,
              const std::string& fileName);
  // The selection workers of the disk panel (disks) and the file panel.
  void MaskSelect(bool disks);
  void UnselectAllIn(bool disks);
  void SelectAllIn(bool disks);

  // ---- Commands of the main menu ----
  void SetBriefMode(bool brief);
  void SetSortCriterion(uint8_t criterion) override;
  void ToggleShowTree();
  void CollapseTree();
  void ExpandTree();
  void GoToParent();
  bool IsDiskDeleted();
  void EditDescription();
  bool ScanDisk(char letter, bool noQueries);
  void RescanDisk();
  void ScanFolderAsDisk(const std::string& folder, const std::string& diskName,
                        const std::string& volumeLabel);
  void DeleteDisk();
  void UndeleteDisk();
  void RenameDisk();
  void SelectByMask();
  void CopyToClipboard() override;
  void SelectAll() override;
  void UnselectAll() override;
  void FindFiles();
  void FindSelectedFiles();
  void FindFreeSpace();
  void FindFileName(const std::string& text);
  void ShowDiskInfo();
  void ShowDBaseInfo();
  void PrintPanel(int panel);
  void ExportDBase();
  void EditLocalOptions();
  void PrintSleevoraLabels();
  // Runs a user command's library on the focused file (not on "..", nor on a plain folder).
  // With test set, a file that is not there brings the "File Not Found" box, whose Retry looks
  // again, and the library is not called.
  void ExecuteUserCommand(const std::string& library, const std::string& params, bool test);

 signals:
  // The window closes with its database (the main window puts it into the recent files).
  void databaseClosing(const QString& path);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void buildLayout();
  void sizeStatusSection();
  void setHeaderText(int section, const QString& text);
  void fitHeaderTexts();
  // Takes the column widths the user left as the window's, the settings' and the globals'.
  void storeHeaderWidths(int disks, int tree, int files);
  void headerSectionResized(int section, int oldSize, int newSize);
  void splitterMoved();
  // Frees the handle once; a failure of the close is reported once.
  void closeHandle();
  // The keys of "UserCmd.ini", served while the focus is in this window.
  void BindUserCommands();
  // Runs a scanning command under the window's error convention, then shows its result.
  void runScanCommand(const std::function<void(ScanCommands&)>& command);

  bool closing_ = false;
  bool scanRunning_ = false;
  CatalogueGateway catalogue_;
  std::string filePath_;
  std::string shortName_;
  bool readOnly_ = false;
  TLocalOptions localOptions_{};
  TGlobalOptions options_;
  int headerWidths_[3] = {0, 0, 0};
  bool resortPending_ = false;
  int resizePending_ = 0;
  std::string statusSubtotals_;
  std::string statusFile_;
  int statusMinimum_ = 0;
  std::vector<std::string> filterNames_;

  // What each HeaderTop section says; it shows as much of its end as the section shows.
  QString headerTexts_[3] = {QStringLiteral("Disk"), QStringLiteral("Tree"),
                             QStringLiteral("Files")};
  QHeaderView* headerTop_ = nullptr;
  QStandardItemModel* headerTopModel_ = nullptr;
  QHeaderView* headerBottom_ = nullptr;
  QStandardItemModel* headerBottomModel_ = nullptr;
  QSplitter* splitter_ = nullptr;
  QPointer<QWidget> disks_;
  QPointer<QWidget> tree_;
  QPointer<QWidget> files_;
};

// The names of the filter modules in a folder: every file "*.k32" (any case of the extension)
// without its last 4 characters, sorted as the program sorts texts.
std::vector<std::string> listFilterModules(const std::string& folder);

// "Database" file name to caption: the base name without folder and extension, lower case but
// for its first character, which keeps its case.
std::string dbaseShortName(const std::string& path);

}  // namespace vellomar
