#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/api/UApi.h"
#include "export/UExport.h"
#include "export/UListExport.h"
#include "platform/PText.h"
#include "tests/export/ExportCatalogue.h"
#include "tests/export/ExportReaders.h"
#include "tests/export/ExportRun.h"

namespace vellomar {
namespace {

using testing::capturedOutput;
using testing::HtmlItem;
using testing::itemsOf;
using testing::Rows;

// n times U+FFFD, as an HTML page writes n control characters.
std::string replacements(int n) {
  std::string text;
  for (int i = 0; i < n; ++i) text += "\uFFFD";
  return text;
}

// A file line as the windows show it.
struct ShownFile {
  ShownFile(std::string name, std::string size, std::string shortDesc = {}, std::string desc = {})
      : Name(std::move(name)),
        HtmlName(Name),
        Size(std::move(size)),
        ShortDesc(std::move(shortDesc)),
        Desc(std::move(desc)) {}
  // A name with control characters, which an HTML page shows as htmlName.
  static ShownFile withControls(std::string name, std::string htmlName, std::string size) {
    ShownFile file(std::move(name), std::move(size));
    file.HtmlName = std::move(htmlName);
    return file;
  }

  std::string Name;
  std::string HtmlName;
  std::string Size;
  std::string Date = "3/14/25";
  std::string Time = "10:20";
  std::string ShortDesc;
  std::string Desc;
};

struct ShownFolder {
  std::string Path;
  std::vector<ShownFile> Files;
};

struct ShownDisk {
  std::string Name;
  std::string Label;
  std::vector<ShownFolder> Folders;
};

// A catalogue whose disk, label, folder and file names and description hold what text formats
// must escape: "&", "<", ">", both quotes, the semicolon, TAB, CR LF, CP1252 bytes that are no
// UTF-8, control characters and the CP1252 bytes that stand for C1 controls. Shown holds what the
// windows show of it, in their order.
class HostileCatalogue {
 public:
  HostileCatalogue() {
    const auto t = static_cast<int32_t>(testing::kFixtureTime);
    TDirCollection& root = cat.newDisk("Disk & <One> \"\xfc\" ;");
    cat.trees.Current->DiskInfo.VolumeLabel = "<VOL & \"1\">";
    cat.trees.Current->DiskInfo.Files = 9;
    cat.setFiles(root, {{"a<b>c.bin", 5, t},
                        {"caf\xe9_latin1.txt", 1234, t},
                        {"ctl\x01\x08\x0b\x0c\x0e\x1f\x7f.bin", 1, t},
                        {"cz\x81\x8d\x8f\x90\x9d.bin", 2, t},
                        {"line\r\nbreak.txt", 3, t},
                        {"plain.txt", 20480, t},
                        {"R&D \"q\"; 'x'.txt", 7, t},
                        {"tab\there.txt", 0, t}});
    TDirCollection& lab = testing::TestCatalogue::addFolder(root, "R&D <lab>");
    lab.Dir.Data.DateTime = t;
    cat.setFiles(lab, {{"x;y.dat", 100, t}});
    cat.saveDisk();

    cat.newDisk("Plain");
    cat.setFiles(*cat.trees.Current->Root, {{"only.txt", 1, t}});
    cat.saveDisk();
    cat.trees = TTreeSlots{};

    TDBase& db = cat.handle;
    EXPECT_TRUE(ApiGoToDiskByName(&db, ShortString(std::string_view("Disk & <One> \"\xfc\" ;"))));
    testing::describeLine(db, "plain.txt", "first <b> & \"q\"; \x80\nsecond");
    ApiFreeTreeStruct(&db);
    ApiSelectKey(&db, true, 0);
    ApiSelectKey(&db, true, 1);
  }

  TDBase* handle() { return &cat.handle; }

  const std::vector<ShownDisk> Shown = {
      {"Disk & <One> \"\u00fc\" ;",
       "<VOL & \"1\">",
       {{"\\",
         {{"R&D <lab>", "(folder)"},
          {"a<b>c.bin", "5"},
          {"caf\u00e9_latin1.txt", "1 234"},
          ShownFile::withControls("ctl\x01\x08\x0b\x0c\x0e\x1f\x7f.bin",
                                  "ctl" + replacements(7) + ".bin", "1"),
          ShownFile::withControls("cz\u0081\u008d\u008f\u0090\u009d.bin",
                                  "cz" + replacements(5) + ".bin", "2"),
          {"line\r\nbreak.txt", "3"},
          {"plain.txt", "20 480", "first <b> & \"q\"; \u20ac second",
           "first <b> & \"q\"; \u20ac\r\nsecond"},
          {"R&D \"q\"; 'x'.txt", "7"},
          {"tab\there.txt", "0"}}},
        {"\\R&D <lab>", {{"x;y.dat", "100"}}}}},
      {"Plain", "", {{"\\", {{"only.txt", "1"}}}}},
  };

  testing::TestCatalogue cat;
};

// A tab-delimited template's values: tabs and line breaks become blanks.
std::string untabbed(std::string text) {
  for (char& c : text) {
    if (c == '\t' || c == '\r' || c == '\n') c = ' ';
  }
  return text;
}

Rows untabbed(Rows rows) {
  for (auto& row : rows) {
    for (std::string& field : row) field = untabbed(field);
  }
  return rows;
}

// One line per file: disk, folder, name, size, date, time and short description; the names as an
// HTML page shows them when html is set.
Rows fileRows(const std::vector<ShownDisk>& disks, bool html = false) {
  Rows rows;
  for (const ShownDisk& disk : disks) {
    for (const ShownFolder& folder : disk.Folders) {
      for (const ShownFile& f : folder.Files) {
        rows.push_back({disk.Name, folder.Path, html ? f.HtmlName : f.Name, f.Size, f.Date, f.Time,
                        f.ShortDesc});
      }
    }
  }
  return rows;
}

Rows withHeader(std::vector<std::string> header, Rows rows) {
  rows.insert(rows.begin(), std::move(header));
  return rows;
}

const std::vector<std::string> kFileHeader = {"Disk", "Folder", "Name",       "Size",
                                              "Date", "Time",   "Description"};

std::string templatePath(const std::string& name) {
  return std::string(VELLOMAR_EXPORT_DIR) + "/" + name;
}

std::string exportDatabase(const std::string& name, TDBase* db) {
  TDBaseExport e;
  LoadExportFormat(e, templatePath(name), db);
  EXPECT_TRUE(e.Valid) << name;
  return testing::walkExport(e, db, 2);
}

// Every exported file is UTF-8, as the HTML pages declare and the texts are read.
void expectUtf8(const std::string& name, const std::string& output) {
  EXPECT_EQ(textAsUtf8(output), output) << name << " is not valid UTF-8";
}

TEST(HostileNames, DatabaseTemplatesGiveBackTheCatalogue) {
  testing::fixedDisplay();
  HostileCatalogue fixture;
  const std::vector<ShownDisk>& shown = fixture.Shown;
  const Rows files = fileRows(shown);

  const std::string csv =
      exportDatabase("Plain - semicolon delimited with quotes.vefd", fixture.handle());
  expectUtf8("csv", csv);
  EXPECT_EQ(testing::readCsv(csv, ';'), withHeader(kFileHeader, files));

  const std::string tabbed = exportDatabase("Plain - tab delimited.vefd", fixture.handle());
  expectUtf8("tab", tabbed);
  EXPECT_EQ(testing::readTabbed(tabbed), withHeader(kFileHeader, untabbed(files)));

  // Disk lines one tab in (name, label), folder lines two (path), file lines three.
  Rows leveled;
  for (const ShownDisk& disk : shown) {
    leveled.push_back({"", disk.Name, disk.Label});
    for (const ShownFolder& folder : disk.Folders) {
      leveled.push_back({"", "", folder.Path});
      for (const ShownFile& f : folder.Files) {
        leveled.push_back({"", "", "", f.Name, f.Size, f.Date, f.Time, f.ShortDesc});
      }
    }
  }
  const std::string leveledOutput =
      exportDatabase("Leveled - tab delimited.vefd", fixture.handle());
  expectUtf8("leveled", leveledOutput);
  Rows read = testing::readTabbed(leveledOutput);
  ASSERT_FALSE(read.empty());
  read.erase(read.begin());
  // Of disk and folder lines, only the names are the catalogue's own.
  for (auto& row : read) {
    ASSERT_GE(row.size(), 3u);
    if (!row[1].empty() || !row[2].empty()) row.resize(3);
  }
  EXPECT_EQ(read, untabbed(leveled));

  const std::string detailedPage = exportDatabase("HTML Detailed.vefd", fixture.handle());
  testing::expectStrictXml("HTML Detailed", detailedPage);
  const std::vector<HtmlItem> detailed = testing::readHtml(detailedPage);
  std::vector<HtmlItem> headings, fileLines;
  for (const ShownDisk& disk : shown) {
    headings.push_back({"h2", {"Disk " + disk.Name}});
    for (const ShownFolder& folder : disk.Folders) {
      headings.push_back({"h3", {folder.Path}});
      fileLines.push_back({"tr", {"Name", "Size", "Date", "Time"}});
      for (const ShownFile& f : folder.Files) {
        fileLines.push_back({"tr", {f.HtmlName, f.Size, f.Date, f.Time}});
        if (!f.Desc.empty()) fileLines.push_back({"tr", {f.Desc}});
      }
    }
  }
  std::vector<HtmlItem> readHeadings = itemsOf(detailed, "h2");
  std::vector<HtmlItem> folderHeadings = itemsOf(detailed, "h3");
  std::vector<HtmlItem> rows = itemsOf(detailed, "tr");
  std::vector<HtmlItem> readFileLines, labels;
  for (const HtmlItem& row : rows) {
    if (row.Texts.size() == 4 || row.Texts.size() == 1) readFileLines.push_back(row);
    if (row.Texts.size() == 2 && row.Texts[0] == "Volume label") labels.push_back(row);
  }
  std::vector<HtmlItem> allHeadings;
  for (const HtmlItem& item : detailed) {
    if (item.Tag == "h2" || item.Tag == "h3") allHeadings.push_back(item);
  }
  EXPECT_EQ(allHeadings, headings);
  EXPECT_EQ(readFileLines, fileLines);
  EXPECT_EQ(labels, (std::vector<HtmlItem>{{"tr", {"Volume label", shown[0].Label}},
                                           {"tr", {"Volume label", ""}}}));
  EXPECT_EQ(itemsOf(detailed, "h1"), (std::vector<HtmlItem>{{"h1", {"Database catalogue.kvd"}}}));

  // The names in four columns, one name per line of a cell; a disk without a label says none.
  const std::string briefPage = exportDatabase("HTML Brief.vefd", fixture.handle());
  testing::expectStrictXml("HTML Brief", briefPage);
  const std::vector<HtmlItem> brief = testing::readHtml(briefPage);
  std::vector<HtmlItem> briefHeadings;
  std::vector<std::string> names, readNames;
  for (const ShownDisk& disk : shown) {
    briefHeadings.push_back({"h2", {"Disk " + disk.Name + " " + disk.Label}});
    for (const ShownFolder& folder : disk.Folders) {
      for (const ShownFile& f : folder.Files) names.push_back(f.HtmlName);
    }
  }
  for (const HtmlItem& cell : itemsOf(brief, "td")) {
    for (size_t n = 0; n + 1 < cell.Texts.size(); ++n) readNames.push_back(cell.Texts[n]);
  }
  EXPECT_EQ(itemsOf(brief, "h2"), briefHeadings);
  EXPECT_EQ(readNames, names);
  for (const HtmlItem& p : itemsOf(brief, "p")) {
    EXPECT_FALSE(p.Texts[0].starts_with("Volume label")) << p.Texts[0];
  }
  EXPECT_EQ(itemsOf(brief, "p").size(), 2u);
}

TEST(HostileNames, ListTemplatesGiveBackTheLines) {
  testing::fixedDisplay();
  HostileCatalogue fixture;
  TDBase* db = fixture.handle();
  // The lines of the first disk's folders, then a found disk name (no size, no date).
  struct Line {
    std::string Disk, Folder;
    TOneFile Entry;
  };
  std::vector<Line> lines;
  const ShownDisk& shown = fixture.Shown[0];
  for (const std::string folder : {"\\", "\\R&D <lab>"}) {
    EXPECT_TRUE(ApiGoToDiskByName(db, ShortString(std::string_view("Disk & <One> \"\xfc\" ;"))));
    EXPECT_TRUE(ApiGoToPath(db, ShortString(folder)));
    TFileCollection* files = ApiGetFileCol(db);
    for (int32_t i = 0; i < ApiFileColCount(files); ++i) {
      Line line{"Disk & <One> \"\xfc\" ;", folder, {}};
      ApiFileColAt(files, i, line.Entry);
      if (line.Entry.Name.view() != "..") lines.push_back(line);
    }
  }
  Line disk{"Plain", "", {}};
  disk.Entry.Name = ShortString(std::string_view("Plain"));
  lines.push_back(disk);

  Rows expected = fileRows({shown});
  expected.push_back({"Plain", "", "Plain", "(disk)", "", "", ""});
  ASSERT_EQ(lines.size(), expected.size());
  auto lineAt = [&](int32_t i) {
    return ExportListLine{lines[i].Entry, lines[i].Disk, lines[i].Folder, 0, 0, false};
  };
  const struct {
    std::string disk;
    int32_t sizeKB, freeKB;
  } disks[] = {{"<Tom & \"Jerry\"> ;\t\xe9\x1b\x8f", 1440, 720}, {"Plain", 0, 0}};
  const Rows expectedDisks = {
      {"<Tom & \"Jerry\"> ;\t\u00e9\x1b\u008f", "1.41 MB", "720.0 kB", "50%"},
      {"Plain", "0", "0", "0%"}};
  auto diskAt = [&](int32_t i) {
    return ExportListLine{{}, disks[i].disk, {}, disks[i].sizeKB, disks[i].freeKB, false};
  };

  for (const std::string name :
       {"Semicolon delimited with quotes", "Tab delimited", "Table in HTML"}) {
    TDBaseExport e;
    LoadExportFormat(e, templatePath(name + ".veff"), db);
    const std::string found = capturedOutput(e, [&] {
      ExportList(e, ExportListKind::kFoundFiles, "/data/found.kvd",
                 static_cast<int32_t>(lines.size()), lineAt, false, [](int32_t) { return false; });
    });
    LoadExportFormat(e, templatePath(name + ".vefs"), db);
    const std::string space = capturedOutput(e, [&] {
      ExportList(e, ExportListKind::kFreeSpace, "/data/found.kvd", 2, diskAt, false,
                 [](int32_t) { return false; });
    });
    expectUtf8(name, found);
    expectUtf8(name, space);
    const std::vector<std::string> spaceHeader = {"Disk", "Size", "Free", "Free %"};
    if (name.starts_with("Semicolon")) {
      EXPECT_EQ(testing::readCsv(found, ';'), withHeader(kFileHeader, expected));
      EXPECT_EQ(testing::readCsv(space, ';'), withHeader(spaceHeader, expectedDisks));
    } else if (name == "Tab delimited") {
      EXPECT_EQ(testing::readTabbed(found), withHeader(kFileHeader, untabbed(expected)));
      EXPECT_EQ(testing::readTabbed(space), withHeader(spaceHeader, untabbed(expectedDisks)));
    } else {
      testing::expectStrictXml(name + ".veff", found);
      testing::expectStrictXml(name + ".vefs", space);
      Rows htmlExpected = fileRows({shown}, true);
      htmlExpected.push_back(expected.back());
      std::vector<HtmlItem> rows = {{"tr", kFileHeader}};
      for (const auto& row : htmlExpected) rows.push_back({"tr", row});
      EXPECT_EQ(itemsOf(testing::readHtml(found), "tr"), rows);
      std::vector<HtmlItem> spaceRows = {{"tr", spaceHeader}};
      Rows htmlDisks = expectedDisks;
      htmlDisks[0][0] = "<Tom & \"Jerry\"> ;\t\u00e9" + replacements(2);
      for (const auto& row : htmlDisks) spaceRows.push_back({"tr", row});
      EXPECT_EQ(itemsOf(testing::readHtml(space), "tr"), spaceRows);
    }
  }
}

}  // namespace
}  // namespace vellomar
