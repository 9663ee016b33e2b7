#include "bench/BenchPanels.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QPrinter>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

#include "bench/BenchEngine.h"
#include "bench/SplitMix.h"
#include "engine/api/UApi.h"
#include "engine/api/UApiSearch.h"
#include "export/UExport.h"
#include "foundation/UIniFile.h"
#include "ui/dbase/FDBase.h"
#include "ui/dbase/FTreePanel.h"
#include "ui/panels/UFileLines.h"
#include "ui/print/UCatalogPrint.h"
#include "ui/scan/FScanFolder.h"
#include "ui/settings/FSettings.h"
#include "ui/settings/USettingsGlobals.h"

namespace vellomar {

void writeFlatFolder(const std::string& dir, int n) {
  std::filesystem::create_directories(dir);
  static const char* const kExtensions[] = {".txt", ".jpg", ".doc", ".mp3",
                                            ".zip", ".c",   "",     ".iso"};
  SplitMix random(7);
  for (int i = 0; i < n; ++i) {
    char name[64];
    std::snprintf(name, sizeof name, "%s/%c%07llu_%d%s", dir.c_str(),
                  static_cast<char>('a' + random.next() % 26),
                  static_cast<unsigned long long>(random.next() % 10000000), i,
                  kExtensions[random.next() % std::size(kExtensions)]);
    const int fd = ::open(name, O_CREAT | O_WRONLY | O_TRUNC, 0644);
    if (fd < 0) throw std::runtime_error(std::string("cannot write ") + name);
    // Sparse sizes up to 4 GiB, so a tenth or so lies above the signed 32-bit range.
    const off_t size = static_cast<off_t>(random.next() % 4'000'000'000ULL);
    const bool sized = ::ftruncate(fd, size) == 0;
    // Dates from 1985 to 2060.
    const timespec when{static_cast<time_t>(473'000'000 + random.next() % 2'400'000'000ULL), 0};
    const timespec times[2] = {when, when};
    const bool dated = ::futimens(fd, times) == 0;
    ::close(fd);
    if (!sized || !dated) throw std::runtime_error(std::string("cannot size or date ") + name);
  }
}

void goToFirstDisk(BenchDatabase& database) {
  if (!ApiGoToDisk(database.get(), 0)) throw std::runtime_error("no disk to list");
}

int64_t loadFolderByEngine(BenchDatabase& database) {
  ApiUpdateFileCol(database.get());
  TFileCollection* files = ApiGetFileCol(database.get());
  const int32_t n = ApiFileColCount(files);
  TOneFile line;
  int64_t read = 0;
  for (int32_t i = 0; i < n; ++i) read += ApiFileColAt(files, i, line) ? 1 : 0;
  return read;
}

int64_t loadFolderIntoFileList(BenchDatabase& database, uint8_t criterion) {
  ApiUpdateFileCol(database.get());
  TFileLineList lines;
  TDirCollection* forced = nullptr;
  lines.load(ApiGetFileCol(database.get()), criterion, false, ShortString(), forced);
  return lines.count();
}

void makeWidgetApplication() {
  static int argc = 1;
  static char name[] = "vellomar_bench";
  static char* argv[] = {name, nullptr};
  qputenv("QT_QPA_PLATFORM", "offscreen");
  // The offscreen platform says so at every window shown; the table would drown in it.
  qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) {
    if (!text.contains(QLatin1String("propagateSizeHints")))
      std::fprintf(stderr, "%s\n", qPrintable(text));
  });
  static QApplication* app = new QApplication(argc, argv);
  (void)app;
}

void warmUpDatabaseWindow() {
  TFormDBase window;
  window.resize(800, 600);
  window.show();
  window.grab();
}

int64_t openDatabaseByEngine(const std::string& path) {
  BenchDatabase database(path);
  const int64_t disks = ApiGetKeyCount(database.get());
  database.close();
  return disks;
}

int64_t openDatabaseWindow(const std::string& path) {
  auto* window = new TFormDBase;
  if (!window->OpenDBase(path)) throw std::runtime_error("the window cannot open " + path);
  window->resize(800, 600);
  window->show();
  window->IdleUpdate();
  const int64_t disks = ApiGetKeyCount(window->catalogue().handle());
  window->close();
  delete window;
  return disks;
}

namespace {

int64_t walkFolders(TDirCollection* node) {
  TOneDir record;
  int64_t folders = ApiDirColCheck(node, record) ? 1 : 0;
  const int32_t n = ApiDirColCount(node);
  for (int32_t i = 0; i < n; ++i) folders += walkFolders(ApiDirColAt(node, i));
  return folders;
}

// The window on the database, shown at the size of a usual screen's child window.
TFormDBase* openWindow(const std::string& path, bool expanded) {
  auto* window = new TFormDBase;
  window->options().ExpandTree = expanded;
  window->resize(1000, 700);
  window->show();
  if (!window->OpenDBase(path)) throw std::runtime_error("the window cannot open " + path);
  window->IdleUpdate();
  return window;
}

// Paints the window and its three panels once, as the screen would.
void paint(TFormDBase& window) {
  QCoreApplication::processEvents();
  (void)window.grab();
}

void noProgress(bool&) {}
void noEvent() {}

// Answers the rescan's folder dialog with OK, as it opens showing the disk's own folder.
void acceptScanFolderDialog() {
  auto* timer = new QTimer;
  timer->setInterval(0);
  QObject::connect(timer, &QTimer::timeout, [timer] {
    auto* dialog = qobject_cast<TFormScanFolder*>(QApplication::activeModalWidget());
    if (dialog == nullptr || !dialog->isVisible()) return;
    timer->stop();
    timer->deleteLater();
    dialog->ButtonOK->click();
  });
  timer->start();
}

// The window shows the disk the scan left current, as after a scanning command; answers its
// files.
int64_t shownAfterScan(TFormDBase& window) {
  window.IdleUpdate();
  paint(window);
  TDiskInfo info;
  if (!ApiGetDiskInfo(window.catalogue().handle(), info)) throw std::runtime_error("no disk shown");
  return int64_t{info.Files} + info.ArchiveFiles;
}

class QuietPrintStatus : public TCatalogPrintStatus {
 public:
  void showWhat(const std::string&) override {}
  bool abortRequested() override { return false; }
  void showProgress(int32_t, int32_t, int32_t) override {}
};

}  // namespace

void makeProgramSettings() {
  makeWidgetApplication();
  static TFormSettings* settings = [] {
    char folder[] = "/tmp/vellomar-bench-settings-XXXXXX";
    if (::mkdtemp(folder) == nullptr) throw std::runtime_error("no settings folder");
    setConfigFolder(std::string(folder) + "/");
    return new TFormSettings(std::string(folder) + "/Vellomar.INI");
  }();
  (void)settings;
}

int64_t loadTreeByEngine(const std::string& path) {
  BenchDatabase database(path);
  ShortString name;
  uint16_t flags = 0;
  int32_t index = 0;
  ApiGetCurrentKey(database.get(), name, flags, index);
  if (!ApiGoToDisk(database.get(), index)) throw std::runtime_error("no disk in " + path);
  return walkFolders(ApiGetRootDirCol(database.get()));
}

int64_t openDatabaseWindowPainted(const std::string& path, bool expanded) {
  TFormDBase* window = openWindow(path, expanded);
  paint(*window);
  return window->treePanel()->itemCount();
}

int64_t scanFromProgram(const std::string& database, const std::string& folder,
                        const std::string& diskName) {
  createDatabase(database);
  TFormDBase* window = openWindow(database, false);
  window->ScanFolderAsDisk(systemPath(folder).str(), diskName, "");
  return shownAfterScan(*window);
}

int64_t rescanFromProgram(const std::string& database) {
  TFormDBase* window = openWindow(database, false);
  acceptScanFolderDialog();
  window->RescanDisk();
  return shownAfterScan(*window);
}

int64_t exportThroughTemplate(const std::string& database, const std::string& templateName,
                              const std::string& output) {
  BenchDatabase db(database);
  if (!ApiGoToDisk(db.get(), 0)) throw std::runtime_error("no disk in " + database);
  if (FormSettings != nullptr) FormSettings->ApplyDisplayGlobals();
  const std::filesystem::path program = std::filesystem::canonical("/proc/self/exe");
  TDBaseExport e;
  LoadExportFormat(e, (program.parent_path() / "Export" / templateName).string(), db.get());
  if (!e.Valid) throw std::runtime_error("no template " + templateName);
  OpenExportOutput(e, output);
  TExportWalk walk(e, nullptr);
  ApiWalkDisks(db.get(), kPrintScopeWholeDisk, 2, walk);
  CloseExportOutput(e);
  return e.FilesWritten;
}

int64_t exportWalkByEngine(const std::string& database) {
  BenchDatabase db(database);
  if (!ApiGoToDisk(db.get(), 0)) throw std::runtime_error("no disk in " + database);
  ApiSetExportCallbacks(db.get(), noProgress, noEvent, noEvent, noEvent, noEvent, noEvent, noEvent,
                        noEvent);
  ApiIterateDisks(db.get(), kPrintScopeWholeDisk, 2);
  ApiResetExportCallbacks(db.get());
  int32_t percent = 0, disks = 0, folders = 0, files = 0;
  ApiGetSearchCounts(db.get(), percent, disks, folders, files);
  return files;
}

int64_t printPagesToPdf(const std::string& database, const std::string& pdf, int32_t pages) {
  BenchDatabase db(database);
  if (!ApiGoToDisk(db.get(), 0)) throw std::runtime_error("no disk in " + database);
  TGlobalOptions options;
  if (FormSettings != nullptr) FormSettings->GetOptions(options);
  QPrinter printer;
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString(pdf));
  TPrintChoice choice;
  choice.Range = TPrintRange::kPages;
  choice.FromPage = 1;
  choice.ToPage = pages;
  QuietPrintStatus status;
  TCatalogPrint run(db.catalogue(), "one", options, status);
  if (run.run(printer, choice, kPrintScopeWholeDisk) != TPrintResult::kPrinted) {
    throw std::runtime_error("the print of " + database + " failed");
  }
  return run.estimate();
}

}  // namespace vellomar
