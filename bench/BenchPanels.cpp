#include "bench/BenchPanels.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

#include "bench/BenchEngine.h"
#include "bench/SplitMix.h"
#include "engine/UApi.h"
#include "ui/dbase/FDBase.h"
#include "ui/panels/UFileLines.h"

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
  const int64_t disks = ApiGetKeyCount(window->GetDBaseHandle());
  window->close();
  delete window;
  return disks;
}

}  // namespace vellomar
