#include "bench/TreeGenerator.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <ctime>
#include <exception>
#include <fstream>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <unordered_set>
#include <vector>

#include "bench/SplitMix.h"
#include "bench/ZipWriter.h"

namespace vellomar {
namespace {

constexpr std::array kWords = {
    "photo",    "holiday",  "summer",    "winter",   "report",  "budget",   "letter",   "invoice",
    "family",   "music",    "video",     "backup",   "project", "draft",    "final",    "notes",
    "scan",     "setup",    "driver",    "manual",   "readme",  "install",  "game",     "level",
    "map",      "track",    "album",     "live",     "demo",    "source",   "header",   "test",
    "data",     "config",   "log",       "archive",  "old",     "new",      "copy",     "birthday",
    "wedding",  "trip",     "beach",     "garden",   "house",   "car",      "school",   "work",
    "meeting",  "minutes",  "plan",      "sketch",   "logo",    "icon",     "font",     "theme",
    "sound",    "voice",    "speech",    "lesson",   "chapter", "book",     "paper",    "thesis",
    "tax",      "bank",     "account",   "salary",   "price",   "list",     "order",    "offer",
    "contract", "client",   "server",    "network",  "print",   "label",    "cover",    "poster",
    "flyer",    "brochure", "recipe",    "menu",     "party",   "concert",  "festival", "match",
    "season",   "team",     "player",    "score",    "result",  "chart",    "graph",    "table",
    "index",    "catalog",  "inventory", "stock",    "image",   "picture",  "drawing",  "design",
    "model",    "render",   "texture",   "mesh",     "scene",   "clip",     "movie",    "trailer",
    "episode",  "series",   "radio",     "podcast",  "sample",  "loop",     "beat",     "mix",
    "remix",    "cd",       "disk",      "volume",   "part",    "page",     "sheet",    "form",
    "survey",   "review",   "summary",   "overview", "agenda",  "calendar", "diary",    "journal",
    "story",    "poem",     "song",      "lyrics",   "guitar",  "piano",    "drums",    "bass",
    "river",    "mountain", "forest",    "city",     "street",  "bridge",   "tower",    "castle",
    "harbour",  "island",   "lake",      "valley",   "north",   "south",    "east",     "west",
};
constexpr std::array kForeignWords = {
    "Müller", "café",    "Ålesund", "naïve",  "Straße", "façade", "Zürich", "crème",
    "São",    "Øresund", "señor",   "Привет", "Москва", "東京",   "写真",   "Ελλάδα",
};
constexpr std::array kDescriptionWords = {
    "the",    "a",      "of",     "and",     "with",    "for",    "from",   "this",
    "disk",   "holds",  "files",  "version", "copy",    "taken",  "during", "old",
    "new",    "backup", "photos", "scanned", "letters", "music",  "notes",  "final",
    "draft",  "second", "third",  "edition", "program", "source", "sample", "summer",
    "winter", "trip",   "family", "garden",  "house",   "school", "work",   "project",
};

struct Extension {
  const char* text;
  unsigned weight;
};
constexpr std::array kExtensions = {
    Extension{"jpg", 18}, Extension{"png", 5},  Extension{"gif", 3}, Extension{"mp3", 10},
    Extension{"pdf", 6},  Extension{"doc", 5},  Extension{"xls", 2}, Extension{"htm", 3},
    Extension{"html", 2}, Extension{"c", 3},    Extension{"h", 3},   Extension{"cpp", 3},
    Extension{"exe", 3},  Extension{"dll", 4},  Extension{"dat", 4}, Extension{"log", 3},
    Extension{"xml", 2},  Extension{"ini", 2},  Extension{"bmp", 2}, Extension{"wav", 2},
    Extension{"avi", 1},  Extension{"jpeg", 2}, Extension{"gz", 1},  Extension{"", 3},
};

// More writers only queue up in the file system journal.
constexpr unsigned kWriterThreads = 4;
constexpr uint64_t kFilesPerFolder = 10;
constexpr uint64_t kMaxTops = 1000;
constexpr uint64_t kDeepChains = 10;
// Relative folder paths stop here, so a tree under a path of up to 60 bytes stays below the
// 255 bytes the catalogue enters; deep chains go close to it.
constexpr size_t kFolderPathBudget = 120;
constexpr size_t kDeepPathBudget = 170;
constexpr unsigned kDescriptionWordPercent = 3;
constexpr unsigned kPhrasePerMille = 3;
constexpr int64_t kEarliest = 631152000;  // 1990-01-01
constexpr int64_t kLatest = 1735603200;   // 2024-12-31

struct FolderPlan {
  size_t parent = 0;
  std::string name;
  size_t pathLength = 0;  // relative to the tree, without a leading "/"
  size_t subfolders = 0;
  uint64_t files = 0;
};

template <size_t N>
const char* pick(SplitMix& rng, const std::array<const char*, N>& list) {
  return list[rng.below(N)];
}

std::string upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}
std::string capitalized(std::string s) {
  if (!s.empty()) s[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(s[0])));
  return s;
}
// Case-blind key: names differing only in ASCII case would clash on the media the catalogue
// was made for.
std::string foldKey(const std::string& s) {
  std::string k = s;
  for (char& c : k) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return k;
}

std::string number(SplitMix& rng, int digits) {
  std::string s;
  for (int i = 0; i < digits; ++i) s += static_cast<char>('0' + rng.below(10));
  return s;
}

std::string wordsName(SplitMix& rng) {
  static constexpr std::array kJoiners = {"_", " ", "-", ""};
  const char* joiner = pick(rng, kJoiners);
  std::string s;
  const auto count = rng.between(1, 3);
  for (int64_t i = 0; i < count; ++i) {
    if (i > 0) s += joiner;
    s += *joiner == '\0' ? capitalized(pick(rng, kWords)) : std::string(pick(rng, kWords));
  }
  if (rng.chance(30)) s += std::string(joiner) + number(rng, static_cast<int>(rng.between(1, 4)));
  return s;
}

// A base name and whether its extension goes in capitals with it, as on old DOS media.
std::pair<std::string, bool> baseName(SplitMix& rng) {
  if (rng.below(1000) < kPhrasePerMille) return {"Summer Holiday " + number(rng, 4), false};
  const auto style = rng.below(100);
  if (style < 40) return {wordsName(rng), false};
  if (style < 55) {
    static constexpr std::array kCamera = {"IMG_", "DSC", "DSCN", "scan", "P"};
    return {std::string(pick(rng, kCamera)) + number(rng, static_cast<int>(rng.between(4, 5))),
            false};
  }
  if (style < 65)
    return {upper(std::string(pick(rng, kWords)).substr(0, 6)) + number(rng, 2), true};
  if (style < 67) return {std::string(pick(rng, kForeignWords)) + " " + pick(rng, kWords), false};
  if (style < 80) return {std::string(pick(rng, kWords)) + number(rng, 4), false};
  std::string s;
  const auto count = rng.between(2, 4);
  for (int64_t i = 0; i < count; ++i) s += (i ? " " : "") + capitalized(pick(rng, kWords));
  return {s, false};
}

std::string extension(SplitMix& rng) {
  unsigned total = 0;
  for (const Extension& e : kExtensions) total += e.weight;
  auto r = static_cast<unsigned>(rng.below(total));
  for (const Extension& e : kExtensions) {
    if (r < e.weight) return e.text;
    r -= e.weight;
  }
  return "";
}

std::string withExtension(const std::string& base, std::string ext, bool inCapitals) {
  if (ext.empty()) return base;
  return base + "." + (inCapitals ? upper(ext) : ext);
}

std::string folderName(SplitMix& rng) {
  const auto style = rng.below(100);
  if (style < 10) return rng.chance(10) ? "Backup" : std::to_string(rng.between(1990, 2024));
  if (style < 15) return upper(std::string(pick(rng, kWords)).substr(0, 8));
  if (style < 17) return pick(rng, kForeignWords);
  return wordsName(rng);
}

// A name not yet used in the folder; a clash gets a counter.
std::string uniqueIn(std::unordered_set<std::string>& used, std::string name) {
  std::string candidate = name;
  for (int i = 2; !used.insert(foldKey(candidate)).second; ++i) {
    const auto dot = name.rfind('.');
    candidate = dot == std::string::npos || dot == 0
                    ? name + " (" + std::to_string(i) + ")"
                    : name.substr(0, dot) + " (" + std::to_string(i) + ")" + name.substr(dot);
  }
  return candidate;
}

std::string descriptionText(SplitMix& rng) {
  std::string s;
  const auto length = static_cast<size_t>(rng.between(60, 480));
  const bool planted = rng.chance(kDescriptionWordPercent);
  const size_t plantAt = planted ? static_cast<size_t>(rng.below(length / 2)) : length;
  size_t lineStart = 0;
  while (s.size() < length) {
    if (s.size() - lineStart > 70) {
      s += '\n';
      lineStart = s.size();
    } else if (!s.empty()) {
      s += ' ';
    }
    if (s.size() >= plantAt && planted && s.find(kDescriptionWord) == std::string::npos) {
      s += kDescriptionWord;
    } else {
      s += pick(rng, kDescriptionWords);
    }
  }
  return s + "\n";
}

uint32_t dosDateTime(const std::tm& t) {
  return static_cast<uint32_t>(((t.tm_year - 80) << 25) | ((t.tm_mon + 1) << 21) |
                               (t.tm_mday << 16) | (t.tm_hour << 11) | (t.tm_min << 5) |
                               (t.tm_sec / 2));
}

std::string dumpLine(const std::tm& t, uint64_t size, const std::string& name) {
  char head[48];
  std::snprintf(head, sizeof head, "%04d-%02d-%02d %02d:%02d:%02d %llu ", t.tm_year + 1900,
                t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec,
                static_cast<unsigned long long>(size));
  return head + name + "\n";
}

uint64_t fileSize(SplitMix& rng) {
  const auto bits = rng.below(27);
  return (uint64_t{1} << bits) + rng.below(uint64_t{1} << bits);
}

class Writer {
 public:
  Writer(const TreeSpec& spec, const std::filesystem::path& outDir)
      : rng_(spec.seed), spec_(spec), treeDir_(outDir / "tree"), dump_(outDir / "names.txt") {
    if (!dump_) throw std::runtime_error("cannot write " + (outDir / "names.txt").string());
  }

  TreeManifest run() {
    planFolders();
    spreadFiles();
    makeFolders();
    writeAllFiles();
    dump_.flush();
    if (!dump_) throw std::runtime_error("cannot write the name dump");
    return manifest();
  }

 private:
  std::string pathOf(size_t index) const {
    std::string p;
    for (size_t i = index; i != 0; i = folders_[i].parent) p = "/" + folders_[i].name + p;
    return treeDir_.string() + p;
  }

  size_t addFolder(size_t parent, const std::string& name) {
    const std::string unique = uniqueIn(namesIn_[parent], name);
    FolderPlan f;
    f.parent = parent;
    f.name = unique;
    f.pathLength = folders_[parent].pathLength + (parent ? 1 : 0) + unique.size();
    folders_[parent].subfolders++;
    folders_.push_back(f);
    namesIn_.emplace_back();
    maxPathLength_ = std::max(maxPathLength_, f.pathLength);
    return folders_.size() - 1;
  }

  void planFolders() {
    const uint64_t total = std::max<uint64_t>(2, spec_.files / kFilesPerFolder);
    tops_ = std::clamp<uint64_t>(total / 100, 1, kMaxTops);
    folders_.push_back(FolderPlan{});
    namesIn_.emplace_back();
    std::vector<size_t> topIndex;
    for (uint64_t t = 0; t < tops_; ++t) {
      // Numbered first, so the volumes list in the order they were made.
      topIndex.push_back(
          addFolder(0, "Vol" + std::to_string(1000 + t).substr(1) + " " + pick(rng_, kWords)));
    }
    for (uint64_t t = 0; t < std::min(kDeepChains, tops_); ++t) {
      size_t at = topIndex[t];
      while (folders_[at].pathLength + 16 < kDeepPathBudget && folders_.size() < total) {
        at = addFolder(at, std::string(pick(rng_, kWords)).substr(0, 4) + number(rng_, 4));
        deepest_ = std::max(deepest_, depthOf(at));
      }
    }
    for (uint64_t t = 0; folders_.size() < total; t = (t + 1) % tops_) {
      // A random earlier folder of the same volume as parent gives the shallow, bushy trees
      // of real disks; the volume's own first folders come first so none stays empty.
      std::vector<size_t>& own = members_[t];
      if (own.empty()) own.push_back(topIndex[t]);
      size_t parent = own[rng_.below(own.size())];
      std::string name = folderName(rng_);
      if (folders_[parent].pathLength + 1 + name.size() > kFolderPathBudget) parent = topIndex[t];
      own.push_back(addFolder(parent, name));
    }
  }

  size_t depthOf(size_t index) const {
    size_t d = 0;
    for (size_t i = index; i != 0; i = folders_[i].parent) ++d;
    return d;
  }

  void spreadFiles() {
    // Two in five files go to one folder in twenty, as photo and music folders are fuller.
    const size_t n = folders_.size() - 1;
    for (uint64_t j = 0; j < spec_.files; ++j) {
      size_t f = 1 + rng_.below(n);
      if (rng_.chance(40)) f = 1 + (rng_.below((n + 19) / 20) * 20) % n;
      folders_[f].files++;
    }
  }

  void makeFolders() {
    if (::mkdir(treeDir_.c_str(), 0755) != 0) fail(treeDir_.string());
    for (size_t i = 1; i < folders_.size(); ++i) {
      const std::string p = pathOf(i);
      if (::mkdir(p.c_str(), 0755) != 0) fail(p);
    }
  }

  [[noreturn]] static void fail(const std::string& what) {
    throw std::runtime_error("cannot make " + what);
  }

  // One folder's files, drawn from a generator of the folder's own, so the tree does not
  // depend on which thread made which folder.
  struct FolderOutput {
    std::string dump;
    uint64_t texts = 0, planted = 0, zips = 0, zipMembers = 0, nonAscii = 0;
  };

  void writeFiles(size_t folder, uint64_t firstFile, FolderOutput& out) const {
    SplitMix rng(spec_.seed * 0x100000001B3ULL + folder);
    const std::string dir = pathOf(folder);
    const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) fail(dir);
    std::unordered_set<std::string> used = namesIn_[folder];
    const uint64_t zipStride = std::max<uint64_t>(1, spec_.files / zipTarget());
    for (uint64_t k = 0; k < folders_[folder].files; ++k) {
      const uint64_t index = firstFile + k;
      auto [base, capitals] = baseName(rng);
      std::vector<uint8_t> bytes;
      uint64_t size = fileSize(rng);
      std::string ext;
      if (index % 20 == 7) {
        ext = "txt";
        const std::string text = descriptionText(rng);
        bytes.assign(text.begin(), text.end());
        ++out.texts;
        if (text.find(kDescriptionWord) != std::string::npos) ++out.planted;
      } else if (index % zipStride == 3) {
        ext = "zip";
        bytes = zipBytes(rng, out);
      } else {
        ext = extension(rng);
      }
      if (ext == "txt" || ext == "zip") size = bytes.size();
      const std::string name = uniqueIn(used, withExtension(base, ext, capitals));
      const time_t when = static_cast<time_t>(rng.between(kEarliest, kLatest) & ~int64_t{1});
      writeOne(dirFd, dir, name, bytes, size, when);
      std::tm local{};
      localtime_r(&when, &local);
      out.dump += dumpLine(local, size, name);
      if (hasNonAscii(name)) ++out.nonAscii;
    }
    ::close(dirFd);
  }

  void writeAllFiles() {
    std::vector<uint64_t> firstFile(folders_.size(), 0);
    for (size_t i = 1; i < folders_.size(); ++i) {
      firstFile[i] = firstFile[i - 1] + folders_[i - 1].files;
    }
    std::vector<FolderOutput> outputs(folders_.size());
    std::atomic<size_t> next{0};
    std::exception_ptr failure;
    std::mutex failureLock;
    auto work = [&] {
      for (size_t i; (i = next++) < folders_.size();) {
        try {
          writeFiles(i, firstFile[i], outputs[i]);
        } catch (...) {
          std::lock_guard lock(failureLock);
          failure = std::current_exception();
          next = folders_.size();
        }
      }
    };
    std::vector<std::thread> threads;
    for (unsigned t = 0; t < kWriterThreads; ++t) {
      threads.emplace_back(work);
    }
    for (std::thread& t : threads) t.join();
    if (failure) std::rethrow_exception(failure);
    for (const FolderOutput& o : outputs) {
      dump_ << o.dump;
      texts_ += o.texts;
      planted_ += o.planted;
      zips_ += o.zips;
      zipMembers_ += o.zipMembers;
      nonAscii_ += o.nonAscii;
    }
  }

  uint64_t zipTarget() const { return std::max<uint64_t>(3, spec_.files / 3000); }

  static bool hasNonAscii(const std::string& s) {
    return std::any_of(s.begin(), s.end(),
                       [](char c) { return static_cast<unsigned char>(c) > 0x7F; });
  }

  static std::vector<uint8_t> zipBytes(SplitMix& rng, FolderOutput& out) {
    std::vector<ZipMemberSpec> members;
    std::unordered_set<std::string> used;
    const auto count = rng.between(5, 60);
    for (int64_t i = 0; i < count; ++i) {
      std::string folder;
      if (rng.chance(40)) folder = std::string(pick(rng, kWords)) + "/";
      auto [base, capitals] = baseName(rng);
      const std::string leaf = uniqueIn(used, withExtension(base, extension(rng), capitals));
      const time_t when = static_cast<time_t>(rng.between(kEarliest, kLatest) & ~int64_t{1});
      std::tm local{};
      localtime_r(&when, &local);
      const auto size = static_cast<uint32_t>(rng.below(2000));
      members.push_back(ZipMemberSpec{folder + leaf, size, dosDateTime(local)});
      out.dump += dumpLine(local, size, leaf);
      ++out.zipMembers;
    }
    ++out.zips;
    return buildStoredZip(members);
  }

  static void writeOne(int dirFd, const std::string& dir, const std::string& name,
                       const std::vector<uint8_t>& bytes, uint64_t size, time_t when) {
    const int fd = ::openat(dirFd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) fail(dir + "/" + name);
    bool ok = true;
    if (!bytes.empty()) {
      ok = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    } else if (size > 0) {
      ok = ::ftruncate(fd, static_cast<off_t>(size)) == 0;  // sparse: sizes without disk use
    }
    const timespec times[2] = {{when, 0}, {when, 0}};
    ok = ok && ::futimens(fd, times) == 0;
    ::close(fd);
    if (!ok) fail(dir + "/" + name);
  }

  TreeManifest manifest() const {
    return TreeManifest{
        {"seed", std::to_string(spec_.seed)},
        {"files", std::to_string(spec_.files)},
        {"folders", std::to_string(folders_.size() - 1)},
        {"volumes", std::to_string(tops_)},
        {"texts", std::to_string(texts_)},
        {"textsWithWord", std::to_string(planted_)},
        {"zips", std::to_string(zips_)},
        {"zipMembers", std::to_string(zipMembers_)},
        {"nonAsciiNames", std::to_string(nonAscii_)},
        {"deepestChain", std::to_string(deepest_)},
        {"longestFolderPath", std::to_string(maxPathLength_)},
        {"nameWord", kNameWord},
        {"namePhrase", kNamePhrase},
        {"descriptionWord", kDescriptionWord},
    };
  }

  SplitMix rng_;
  TreeSpec spec_;
  std::filesystem::path treeDir_;
  std::ofstream dump_;
  std::vector<FolderPlan> folders_;
  std::vector<std::unordered_set<std::string>> namesIn_;
  std::map<uint64_t, std::vector<size_t>> members_;
  uint64_t tops_ = 0;
  uint64_t texts_ = 0;
  uint64_t planted_ = 0;
  uint64_t zips_ = 0;
  uint64_t zipMembers_ = 0;
  uint64_t nonAscii_ = 0;
  size_t deepest_ = 0;
  size_t maxPathLength_ = 0;
};

}  // namespace

TreeManifest generateTree(const TreeSpec& spec, const std::filesystem::path& outDir) {
  std::filesystem::create_directories(outDir);
  const TreeManifest m = Writer(spec, outDir).run();
  std::ofstream out(outDir / "manifest.txt");
  for (const auto& [key, value] : m) out << key << '=' << value << '\n';
  if (!out.flush()) throw std::runtime_error("cannot write the manifest");
  return m;
}

TreeManifest readManifest(const std::filesystem::path& outDir) {
  TreeManifest m;
  std::ifstream in(outDir / "manifest.txt");
  std::string line;
  while (std::getline(in, line)) {
    const auto eq = line.find('=');
    if (eq != std::string::npos) m[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return m;
}

}  // namespace vellomar
