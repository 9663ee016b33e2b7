// Measures the engine beside find, grep, cat and cp on a generated tree:
//   vellomar_bench DATADIR [--runs N] [--cold] [--db DIR] [--windows] [--rows TEXT]
// DATADIR holds what vellomar_treegen wrote; the databases go to DATADIR/db, or DIR.
// --windows measures only the program's windows on the whole disk (one.kvd is scanned first
// when DIR lacks it).
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <string>

#include "bench/BenchEngine.h"
#include "bench/BenchPanels.h"
#include "bench/BenchProbe.h"
#include "bench/BenchSearch.h"
#include "bench/BenchTable.h"
#include "bench/TreeGenerator.h"

namespace fs = std::filesystem;

namespace vellomar {
namespace {

constexpr const char* kTreeDiskName = "Tree";
constexpr int kManyDisksTarget = 10000;
constexpr int kFlatFolderFiles = 100000;
// More files in one folder than the collections of other lists may hold.
constexpr int kHugeFolderFiles = 300000;
constexpr int kMaxScanBytesPerFile = 150;
constexpr int kFoundFilesHits = 50000;

BenchRow newRow(const std::string& name, const std::string& baseline, double target,
                bool filesPerSecond = false) {
  BenchRow row;
  row.name = name;
  row.baseline = baseline;
  row.target = target;
  row.filesPerSecond = filesPerSecond;
  return row;
}

struct BenchOptions {
  fs::path data;
  fs::path db;
  // When set, only the rows whose name holds it are measured, and the catalogues a run before
  // left in DATADIR/db are used as they are.
  std::string rows;
  int runs = 3;
  bool cold = false;
  bool windowsOnly = false;
};

class Bench {
 public:
  Bench(const BenchOptions& options, int64_t filesOnDisk)
      : options_(options),
        filesOnDisk_(filesOnDisk),
        tree_((options.data / "tree").string()),
        dump_((options.data / "names.txt").string()),
        dbDir_(options.db.empty() ? options.data / "db" : options.db) {
    fs::create_directories(dbDir_);
  }

  void run() {
    if (options_.windowsOnly) {
      if (!fs::exists(db("one.kvd"))) scanIntoNewDatabase(db("one.kvd"), tree_, kTreeDiskName);
      programWindows();
      return;
    }
    foldersOnlyScan();
    firstScan();
    hugeFolderScan();
    rescan();
    buildCatalogues();
    searches();
    openDatabase();
    compress();
    databaseWindow();
    foundFilesWindow();
    programWindows();
  }

  std::vector<BenchRow> rows() const {
    std::vector<BenchRow> out;
    std::copy_if(rows_.begin(), rows_.end(), std::back_inserter(out),
                 [this](const BenchRow& row) { return wanted(row.name); });
    return out;
  }
  const std::vector<std::string>& notes() const { return notes_; }

 private:
  std::string db(const char* name) const { return (dbDir_ / name).string(); }

  bool wanted(const std::string& row) const {
    return options_.rows.empty() || row.find(options_.rows) != std::string::npos;
  }
  // A catalogue that need not be written again for the rows chosen.
  bool reused(const char* file) const { return !options_.rows.empty() && fs::exists(db(file)); }

  void dropCaches() {
    if (options_.cold) dropCachesUnder({tree_, dump_, dbDir_.string()});
  }

  // Engine and baseline take turns, so both meet the same load on the machine.
  BenchRow measure(BenchRow row, const std::function<int64_t()>& work,
                   const std::function<void()>& prepare, const std::string& command) {
    std::vector<Sample> engine, baseline;
    if (!wanted(row.name)) return row;
    setWorkName("row" + std::to_string(rows_.size() + 1));
    for (int i = 0; i < options_.runs; ++i) {
      dropCaches();
      engine.push_back(measureInChild(work, prepare));
      if (!command.empty()) {
        dropCaches();
        baseline.push_back(measureCommand(command));
      }
    }
    setWorkName("bench-work");
    row.engine = firstFailureOrMedian(engine);
    if (!command.empty()) row.baselineSample = firstFailureOrMedian(baseline);
    return row;
  }

  // Both sides measured as runs of the program's own code, taking turns.
  BenchRow measureAgainst(BenchRow row, const std::function<int64_t()>& work,
                          const std::function<int64_t()>& baselineWork,
                          const std::function<void()>& prepare) {
    std::vector<Sample> engine, baseline;
    if (!wanted(row.name)) return row;
    const std::string name = "row" + std::to_string(rows_.size() + 1);
    for (int i = 0; i < options_.runs; ++i) {
      dropCaches();
      setWorkName(name);
      engine.push_back(measureInChild(work, prepare));
      dropCaches();
      setWorkName(name + "-base");
      baseline.push_back(measureInChild(baselineWork, prepare));
    }
    setWorkName("bench-work");
    row.engine = firstFailureOrMedian(engine);
    row.baselineSample = firstFailureOrMedian(baseline);
    return row;
  }

  static Sample firstFailureOrMedian(const std::vector<Sample>& runs) {
    Sample m = medianOf(runs);
    if (m.ok) return m;
    for (const Sample& s : runs) {
      if (!s.ok) return s;
    }
    return m;
  }

  // The scan reads the folders, every description file and every ZIP archive's directory; the
  // baseline reads as much: find, and cat of those files in the same walk.
  void firstScan() {
    const std::string one = db("one.kvd");
    BenchRow row = newRow("first scan", "find -printf + cat of .txt and .zip", 1.2, true);
    row = measure(
        row, [&] { return scanIntoNewDatabase(one, tree_, kTreeDiskName); }, {},
        "find " + shellQuoted(tree_) +
            " -printf '%s %T@ %p\\n' -type f \\( -iname '*.txt' -o -iname '*.zip' \\)"
            " -exec cat {} + > /dev/null");
    row.baselineSample.count = filesOnDisk_;
    firstScan_ = row.engine;
    rows_.push_back(row);
    if (row.engine.ok && row.engine.count > 0) {
      notes_.push_back(scanPeakNote("first scan", row.engine));
    }
  }

  void foldersOnlyScan() {
    BenchRow row = newRow("scan, descriptions and archives off", "find -printf", 1.0, true);
    row = measure(
        row,
        [this] {
          return scanIntoNewDatabase(db("folders.kvd"), tree_, kTreeDiskName,
                                     ScanReading::kFoldersOnly);
        },
        {}, "find " + shellQuoted(tree_) + " -printf '%s %T@ %p\\n' > /dev/null");
    row.baselineSample.count = filesOnDisk_;
    rows_.push_back(row);
  }

  // One folder of empty files f000000.dat ..., written once; the marker is written last, so a
  // folder without it was cut short.
  std::string hugeFolder() const {
    const fs::path folder = options_.data / "huge";
    const fs::path marker = options_.data / "huge.done";
    if (fs::exists(marker)) return folder.string();
    fs::remove_all(folder);
    fs::create_directories(folder);
    for (int i = 0; i < kHugeFolderFiles; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "f%06d.dat", i);
      std::ofstream(folder / name);
    }
    std::ofstream(marker) << kHugeFolderFiles << "\n";
    return folder.string();
  }

  void hugeFolderScan() {
    const std::string folder = hugeFolder();
    BenchRow row = newRow("scan of one folder of " + std::to_string(kHugeFolderFiles) + " files",
                          "find -printf", 1.15, true);
    row = measure(
        row, [this, folder] { return scanIntoNewDatabase(db("huge.kvd"), folder, "Huge"); }, {},
        "find " + shellQuoted(folder) + " -printf '%s %T@ %p\\n' > /dev/null");
    row.baselineSample.count = kHugeFolderFiles;
    rows_.push_back(row);
    if (!row.engine.ok || row.engine.count == 0) return;
    notes_.push_back(scanPeakNote("scan of one huge folder", row.engine));
    // A rescan also holds the previous version of the disk beside the scan.
    const std::string copy = db("huge-rescanned.kvd");
    const Sample rescan =
        measureInChild([this, folder, copy] { return rescanDisk(copy, folder, "Huge"); },
                       [this, copy] {
                         fs::copy_file(db("huge.kvd"), copy, fs::copy_options::overwrite_existing);
                       });
    if (rescan.ok && rescan.count > 0) {
      notes_.push_back(scanPeakNote("rescan of one huge folder", rescan));
    }
  }

  static std::string scanPeakNote(const std::string& what, const Sample& sample) {
    return "peak memory of the " + what + ": " + std::to_string(sample.peakBytes / sample.count) +
           " bytes per file (target <= " + std::to_string(kMaxScanBytesPerFile) + ")";
  }

  void rescan() {
    const std::string one = db("one.kvd");
    const std::string copy = db("rescanned.kvd");
    BenchRow row = newRow("unchanged rescan", "first scan", 1.0, true);
    row = measure(
        row, [&] { return rescanDisk(copy, tree_, kTreeDiskName); },
        [&] { fs::copy_file(one, copy, fs::copy_options::overwrite_existing); }, "");
    row.baselineSample = firstScan_;
    rows_.push_back(row);
  }

  std::vector<fs::path> sortedSubfolders(const fs::path& dir) const {
    std::vector<fs::path> out;
    for (const auto& e : fs::directory_iterator(dir)) {
      if (e.is_directory()) out.push_back(e.path());
    }
    std::sort(out.begin(), out.end());
    return out;
  }

  // Folders without subfolders, in path order.
  std::vector<std::string> leafFolders() const {
    std::set<std::string> all, parents;
    for (const auto& e : fs::recursive_directory_iterator(tree_)) {
      if (!e.is_directory()) continue;
      all.insert(e.path().string());
      parents.insert(e.path().parent_path().string());
    }
    std::vector<std::string> leaves;
    for (const std::string& p : all) {
      if (!parents.count(p)) leaves.push_back(p);
    }
    return leaves;
  }

  void buildCatalogue(const char* file, const std::vector<std::string>& folders,
                      const std::vector<std::string>& names, const std::string& what) {
    if (reused(file)) {
      if (what.find("volume") != std::string::npos) manyDisks_ = openDatabaseByEngine(db(file));
      return;
    }
    const Sample s =
        measureInChild([&] { return scanDisksIntoNewDatabase(db(file), folders, names); });
    notes_.push_back(s.ok ? what + ": " + std::to_string(s.count) + " disks scanned in " +
                                std::to_string(s.seconds) + " s, " +
                                formatBytes(fs::file_size(db(file)))
                          : what + " failed: " + s.error);
    if (s.ok) manyDisks_ = what.find("volume") != std::string::npos ? s.count : manyDisks_;
  }

  void buildCatalogues() {
    std::vector<std::string> folders, names;
    for (const fs::path& p : sortedSubfolders(tree_)) {
      folders.push_back(p.string());
      names.push_back(p.filename().string());
    }
    buildCatalogue("volumes.kvd", folders, names, "catalogue of one disk per volume folder");

    const std::vector<std::string> leaves = leafFolders();
    folders.clear();
    names.clear();
    for (int i = 0; i < kManyDisksTarget && !leaves.empty(); ++i) {
      folders.push_back(leaves[static_cast<size_t>(i) % leaves.size()]);
      char name[32];
      std::snprintf(name, sizeof name, "Disk %05d", i + 1);
      names.push_back(name);
    }
    buildCatalogue("tenthousand.kvd", folders, names, "catalogue of 10000 small disks");
  }

  struct SearchCase {
    std::string name;
    std::string mask;
    std::string grep;  // the grep options and pattern over the dump
    bool wildcards = false, phrase = false, dates = false;
  };

  void searches() {
    const std::vector<SearchCase> cases = {
        {"mask *.txt", "*.txt", "-c -i '\\.txt$'"},
        {std::string("word ") + kNameWord, kNameWord, std::string("-c -i '") + kNameWord + "'",
         true},
        {std::string("phrase \"") + kNamePhrase + "\"", kNamePhrase,
         std::string("-c -i '") + kNamePhrase + "'", true, true},
        {"dates 2001-2002", "*", "-c -i -E '^200[12]-'", false, false, true},
    };
    const std::vector<std::pair<std::string, std::string>> catalogues = {
        {"1 disk", db("one.kvd")},
        {std::to_string(manyDisks_) + " disks", db("volumes.kvd")},
    };
    // Beside the count, grep writing the matching lines to a file: the list of hits the
    // engine makes.
    const std::string hits = shellQuoted(db("grep-hits.txt"));
    for (const SearchCase& c : cases) {
      const std::string listing = c.grep.substr(c.grep.find("-c ") + 3);
      for (const auto& [scope, file] : catalogues) {
        const std::string name = "search " + c.name + ", " + scope;
        BenchRow row = newRow(name, "grep " + c.grep, 1.5);
        rows_.push_back(measure(row, searchWork(c), searchPrepare(file),
                                "grep " + c.grep + " " + shellQuoted(dump_)));
        row = newRow(name + ", lines to a file", "grep " + listing + " > file", 1.5);
        rows_.push_back(measure(
            row, searchWork(c), searchPrepare(file),
            "grep " + listing + " " + shellQuoted(dump_) + " > " + hits + " && wc -l < " + hits));
      }
    }
    SearchCase desc{"description word", kDescriptionWord, ""};
    BenchRow row =
        newRow(std::string("search description word ") + kDescriptionWord, "grep -r -l -w", 2.0);
    row = measure(row, searchWork(desc, true), searchPrepare(db("one.kvd")),
                  // Descriptions from DOS media end in ".TXT".
                  "grep -r -l -w -i " + std::string(kDescriptionWord) +
                      " --include='*.txt' --include='*.TXT' " + shellQuoted(tree_) + " | wc -l");
    rows_.push_back(row);
  }

  std::function<int64_t()> searchWork(const SearchCase& c, bool descriptions = false) {
    TSearchDlgData r = searchRequest(c.mask);
    r.AddWildcards = c.wildcards;
    r.Phrase = c.phrase;
    if (descriptions) {
      r.FileNames = false;
      r.Descriptions = true;
    }
    if (c.dates) limitToYears2001And2002(r);
    return [this, r] { return searchDatabase(*open_, r); };
  }
  std::function<void()> searchPrepare(const std::string& file) {
    return [this, file] { open_ = std::make_unique<BenchDatabase>(file); };
  }
  std::unique_ptr<BenchDatabase> open_;

  void openDatabase() {
    const std::string file = db("tenthousand.kvd");
    BenchRow row = newRow("open 10000 disks, every name read", "cat", 1.5);
    row = measure(
        row, [file] { return openAndReadDiskNames(file); }, {},
        "cat " + shellQuoted(file) + " > /dev/null");
    rows_.push_back(row);
    if (row.engine.ok && row.engine.count > 0) {
      notes_.push_back("open: " + std::to_string(row.engine.readCalls) + " read calls and " +
                       formatBytes(row.engine.readBytes) + " for " +
                       std::to_string(row.engine.count) + " disks, a file of " +
                       formatBytes(fs::file_size(file)));
    }
  }

  void compress() {
    const std::string source = db("rescanned.kvd");
    const std::string target = db("compressed.kvd");
    const std::string copied = db("copied.kvd");
    // The compress puts its copy on the disk before it reports success; so does the baseline.
    BenchRow row = newRow("compress", "cp + sync -f", 2.0);
    row = measure(
        row, [source, target] { return compressDatabase(source, target); }, {},
        "cp " + shellQuoted(source) + " " + shellQuoted(copied) + " && sync -f " +
            shellQuoted(copied));
    rows_.push_back(row);
  }

  // The database window's file list on one folder of 100 000 files, for each sort criterion,
  // and the window opened on the catalogue of 10000 disks, each beside the engine's own work.
  void databaseWindow() {
    const fs::path flat = options_.data / "flat";
    if (!fs::exists(flat / ".complete")) {
      fs::remove_all(flat);
      writeFlatFolder(flat.string(), kFlatFolderFiles);
      std::ofstream(flat / ".complete") << "";
    }
    const std::string file = db("flat.kvd");
    if (!reused("flat.kvd")) scanIntoNewDatabase(file, flat.string(), "Flat");
    const auto prepare = [this, file] {
      open_ = std::make_unique<BenchDatabase>(file);
      goToFirstDisk(*open_);
    };
    const char* const criteria[] = {"name", "extension", "date", "size"};
    for (uint8_t c = 0; c < 4; ++c) {
      BenchRow row = newRow(std::string("file list of a folder of 100000, by ") + criteria[c],
                            "engine folder load", 1.5);
      row = measureAgainst(
          row, [this, c] { return loadFolderIntoFileList(*open_, c); },
          [this] { return loadFolderByEngine(*open_); }, prepare);
      rows_.push_back(row);
    }
    const std::string many = db("tenthousand.kvd");
    BenchRow row = newRow("database window on 10000 disks", "engine open", 1.5);
    row = measureAgainst(
        row, [many] { return openDatabaseWindow(many); },
        [many] { return openDatabaseByEngine(many); },
        [] {
          makeWidgetApplication();
          warmUpDatabaseWindow();
        });
    rows_.push_back(row);
  }

  // A search of 50000 hits shown in the found-files window, and that window sorted again by
  // another key, each beside the engine's search alone.
  void foundFilesWindow() {
    const std::string file = db("one.kvd");
    TSearchDlgData request = searchRequest("*");
    request.MaxRecs = kFoundFilesHits;
    const auto prepare = [this, file] {
      makeWidgetApplication();
      found_ = std::make_unique<FoundFilesBench>(file);
    };
    const auto search = [this, request] { return found_->search(request); };
    BenchRow row =
        newRow("found-files window of 50000 hits: search, fill, sort, paint", "engine search", 2.0);
    rows_.push_back(measureAgainst(
        row, [this, request] { return found_->searchIntoWindow(request); }, search, prepare));
    row = newRow("found-files window of 50000 hits sorted by another key", "engine search", 0.5);
    rows_.push_back(measureAgainst(
        row, [this] { return found_->resortBySize(); }, search,
        [this, prepare, request] {
          prepare();
          found_->searchIntoWindow(request);
        }));
  }
  std::unique_ptr<FoundFilesBench> found_;

  // The program's windows on the whole disk of one.kvd, each beside the engine doing the same
  // work: the database window to its first paint, its tree fully expanded, a scan from the
  // scan progress window, an export through a shipped template; and the first pages printed.
  void programWindows() {
    const std::string one = db("one.kvd");
    const auto settings = [] { makeProgramSettings(); };
    // A database window opens after the main window, as in the program.
    const auto afterMainWindow = [] {
      makeProgramSettings();
      warmUpDatabaseWindow();
    };
    const auto engineLoad = [one] { return loadTreeByEngine(one); };
    rows_.push_back(measureAgainst(
        newRow("database window on one.kvd: first paint of its three panels",
               "engine open + folder tree load", 1.5),
        [one] { return openDatabaseWindowPainted(one, false); }, engineLoad, afterMainWindow));
    rows_.push_back(measureAgainst(
        newRow("database window on one.kvd, tree always expanded", "engine open + folder tree load",
               2.0),
        [one] { return openDatabaseWindowPainted(one, true); }, engineLoad, afterMainWindow));
    rows_.push_back(measureAgainst(
        newRow("scan from the program (progress window, tree shown)", "engine scan", 1.15, true),
        [this] { return scanFromProgram(db("program.kvd"), tree_, kTreeDiskName); },
        [this] { return scanIntoNewDatabase(db("engine.kvd"), tree_, kTreeDiskName); },
        afterMainWindow));
    const std::string copy = db("rescanned-by-program.kvd");
    rows_.push_back(measureAgainst(
        newRow("rescan from the program (progress window, tree shown)", "engine rescan", 1.15,
               true),
        [copy] { return rescanFromProgram(copy); },
        [this, copy] { return rescanDisk(copy, tree_, kTreeDiskName); },
        [afterMainWindow, one, copy] {
          afterMainWindow();
          fs::copy_file(one, copy, fs::copy_options::overwrite_existing);
        }));
    const char* const plain = "Plain - tab delimited.vefd";
    const std::string output = db("export.txt");
    rows_.push_back(measureAgainst(
        newRow(std::string("export of one.kvd through \"") + plain + "\"", "engine export walk",
               2.0, true),
        [one, plain, output] { return exportThroughTemplate(one, plain, output); },
        [one] { return exportWalkByEngine(one); }, settings));
    const std::string pdf = db("print.pdf");
    std::vector<Sample> prints;
    for (int i = 0; i < options_.runs; ++i) {
      prints.push_back(
          measureInChild([one, pdf] { return printPagesToPdf(one, pdf, 100); }, settings));
    }
    const Sample print = firstFailureOrMedian(prints);
    notes_.push_back(print.ok
                         ? "print of one.kvd, pages 1 to 100 (of " + std::to_string(print.count) +
                               ") to PDF: " + std::to_string(print.seconds) + " s, peak memory " +
                               formatBytes(print.peakBytes) + ", " + formatBytes(fs::file_size(pdf))
                         : "print of one.kvd failed: " + print.error);
  }

  BenchOptions options_;
  int64_t filesOnDisk_;
  std::string tree_;
  std::string dump_;
  fs::path dbDir_;
  Sample firstScan_;
  int64_t manyDisks_ = 0;
  std::vector<BenchRow> rows_;
  std::vector<std::string> notes_;
};

std::string firstLineWith(const char* file, const std::string& key) {
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(key, 0) != 0) continue;
    const size_t value = line.find_first_not_of(" \t", line.find(':') + 1);
    return value == std::string::npos ? "" : line.substr(value);
  }
  return "";
}

std::string loadAverage() {
  std::ifstream in("/proc/loadavg");
  std::string one, five, fifteen;
  in >> one >> five >> fifteen;
  return one + " " + five + " " + fifteen;
}

void printMachine(std::ostream& out, const TreeManifest& m, const BenchOptions& o) {
  utsname u{};
  ::uname(&u);
  out << "machine: " << firstLineWith("/proc/cpuinfo", "model name") << ", "
      << ::sysconf(_SC_NPROCESSORS_ONLN) << " CPUs, " << firstLineWith("/proc/meminfo", "MemTotal")
      << " RAM, " << u.sysname << " " << u.release << "\n"
      << "tree: seed " << m.at("seed") << ", " << m.at("files") << " files in " << m.at("folders")
      << " folders, " << m.at("volumes") << " volume folders, " << m.at("texts")
      << " .txt descriptions, " << m.at("zips") << " ZIP archives with " << m.at("zipMembers")
      << " members, " << m.at("nonAsciiNames") << " non-ASCII names, deepest chain "
      << m.at("deepestChain") << " folders\n"
      << "runs: median of " << o.runs << ", " << (o.cold ? "cold" : "warm") << " cache\n";
}

}  // namespace
}  // namespace vellomar

int main(int argc, char** argv) {
  using namespace vellomar;
  if (argc < 2) {
    std::fprintf(stderr,
                 "usage: %s DATADIR [--runs N] [--cold] [--db DIR] [--windows] [--rows TEXT]\n",
                 argv[0]);
    return 2;
  }
  BenchOptions options;
  options.data = argv[1];
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--cold") {
      options.cold = true;
    } else if (arg == "--windows") {
      options.windowsOnly = true;
    } else if (arg == "--db" && i + 1 < argc) {
      options.db = argv[++i];
    } else if (arg == "--rows" && i + 1 < argc) {
      options.rows = argv[++i];
    } else if (arg == "--runs" && i + 1 < argc) {
      options.runs = std::max(1, std::atoi(argv[++i]));
    } else {
      std::fprintf(stderr, "unknown option %s\n", arg.c_str());
      return 2;
    }
  }
  const TreeManifest manifest = readManifest(options.data);
  if (!manifest.count("files")) {
    std::fprintf(stderr, "no generated tree in %s\n", options.data.c_str());
    return 1;
  }
  try {
    const std::string loadBefore = loadAverage();
    Bench bench(options, std::stoll(manifest.at("files")));
    bench.run();
    printMachine(std::cout, manifest, options);
    std::cout << "load average before: " << loadBefore << ", after: " << loadAverage() << "\n\n";
    printTable(std::cout, bench.rows());
    std::cout << "\n";
    for (const std::string& n : bench.notes()) std::cout << "- " << n << "\n";
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
