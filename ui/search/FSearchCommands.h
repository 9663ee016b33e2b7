#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/search/FFoundListBase.h"

class QMdiArea;
class QWidget;

namespace vellomar {

class CatalogueGateway;
class TFormMoreOptions;
class TFormSearchFileDlg;

// What the search commands need of the database window they run in.
class TSearchHost {
 public:
  virtual ~TSearchHost() = default;
  virtual TMdiChild& window() = 0;
  virtual CatalogueGateway& catalogue() = 0;
  virtual bool closing() = 0;
  virtual const TGlobalOptions& options() = 0;
  // Runs body under the window's error convention; true when it ended normally.
  virtual bool guarded(const std::function<void()>& body) = 0;
  // The name (with extension) of the file the file list has focused; empty when none.
  virtual std::string focusedFileName() = 0;
  // The names of the file list's selected lines, in list order, ".." never among them.
  virtual std::vector<std::string> selectedFileNames() = 0;
  // The window as its result windows see it.
  virtual TFoundOwner owner() = 0;
};

// The database window's search commands. Each runs its search in the progress window, puts
// the result into the window's result list (reused or new) and brings the database window
// back to the disk, folder and file it showed. "Find files" asks the Search dialog first;
// "Find selected files" searches for the names of the focused and selected files; a file-name
// search is what the command line asks for.
void RunFindFiles(TSearchHost& host);
void RunFindSelectedFiles(TSearchHost& host);
void RunFindFileName(TSearchHost& host, const std::string& text);
void RunFindFreeSpace(TSearchHost& host);

// The result list of the database window with this Tag: bit 0 of kinds accepts a found-files
// window, bit 1 a free-space window; null when there is none.
TMdiChild* findFoundWindow(QMdiArea* area, int tag, int kinds);

// The two search dialogs, made once at start (FormSearchFileDlg and FormMoreOptions point at
// them while they live).
class TSearchDialogs {
 public:
  explicit TSearchDialogs(QWidget* parent);
  ~TSearchDialogs();
  TSearchDialogs(const TSearchDialogs&) = delete;
  TSearchDialogs& operator=(const TSearchDialogs&) = delete;

 private:
  std::unique_ptr<TFormMoreOptions> more_;
  std::unique_ptr<TFormSearchFileDlg> search_;
};

}  // namespace vellomar
