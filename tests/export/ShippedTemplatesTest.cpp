#include <gtest/gtest.h>

#include <QXmlStreamReader>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "engine/api/UApi.h"
#include "export/UExport.h"
#include "export/UListExport.h"
#include "tests/export/ExportCatalogue.h"
#include "tests/export/ExportReaders.h"
#include "tests/export/ExportRun.h"

namespace vellomar {
namespace {

using testing::capturedOutput;

std::string templatePath(const std::string& name) {
  return std::string(VELLOMAR_EXPORT_DIR) + "/" + name;
}

// The output against its golden file; VELLOMAR_UPDATE_GOLDEN=1 writes the golden file instead.
void expectGolden(const std::string& name, const std::string& output) {
  const std::string golden = std::string(VELLOMAR_GOLDEN) + "/" + name + ".out";
  if (std::getenv("VELLOMAR_UPDATE_GOLDEN") != nullptr) {
    std::ofstream(golden, std::ios::binary) << output;
  }
  EXPECT_EQ(output, vellomar::test::contentOf(golden)) << name;
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", start)) {
    lines.push_back(text.substr(start, at - start));
    start = at + 2;
  }
  EXPECT_EQ(start, text.size()) << "the text ends with a line break";
  return lines;
}

void expectWellFormedHtml(const std::string& name, const std::string& output) {
  QXmlStreamReader reader(QByteArray::fromStdString(output));
  int tables = 0;
  while (!reader.atEnd()) {
    if (reader.readNext() == QXmlStreamReader::StartElement && reader.name() == u"table") ++tables;
  }
  EXPECT_FALSE(reader.hasError()) << name << ": " << reader.errorString().toStdString()
                                  << " at line " << reader.lineNumber();
  EXPECT_GT(tables, 0) << name;
}

// Tab-delimited lines: the same number of fields on every line of the same level (leading tabs).
void expectTabFieldsLineUp(const std::string& name, const std::string& output) {
  std::vector<int> fieldsAtLevel(8, -1);
  for (const std::string& line : linesOf(output)) {
    const size_t level = line.find_first_not_of('\t');
    ASSERT_LT(level, fieldsAtLevel.size()) << name << ": " << line;
    const int fields = static_cast<int>(std::count(line.begin(), line.end(), '\t') - level) + 1;
    if (fieldsAtLevel[level] < 0) fieldsAtLevel[level] = fields;
    EXPECT_EQ(fields, fieldsAtLevel[level]) << name << ": " << line;
  }
}

// Records of a CSV reader, the same number of fields in each.
void expectCsvFieldsLineUp(const std::string& name, const std::string& output) {
  const testing::Rows rows = testing::readCsv(output, ';');
  ASSERT_FALSE(rows.empty()) << name;
  for (const auto& row : rows) EXPECT_EQ(row.size(), rows[0].size()) << name << ": " << row[0];
}

void expectShape(const std::string& name, const std::string& output) {
  if (name.find("HTML") != std::string::npos) {
    expectWellFormedHtml(name, output);
  } else if (name.find("quotes") != std::string::npos) {
    expectCsvFieldsLineUp(name, output);
  } else {
    expectTabFieldsLineUp(name, output);
  }
}

TDBaseExport& loaded(TDBaseExport& e, const std::string& name, TDBase* db) {
  LoadExportFormat(e, templatePath(name), db);
  EXPECT_TRUE(e.Valid) << name;
  return e;
}

TEST(ShippedTemplates, DatabaseTemplatesOverBothDisks) {
  testing::fixedDisplay();
  testing::ExportCatalogue fixture;
  TDBase* db = fixture.handle();
  ApiSelectKey(db, true, 0);
  ApiSelectKey(db, true, 1);
  for (const std::string name :
       {"HTML Detailed.vefd", "HTML Brief.vefd", "Leveled - tab delimited.vefd",
        "Plain - semicolon delimited with quotes.vefd", "Plain - tab delimited.vefd"}) {
    TDBaseExport e;
    const std::string output =
        replaced(testing::walkExport(loaded(e, name, db), db, 2), fixture.folder(), "/catalogues/");
    expectGolden(name, output);
    expectShape(name, output);
  }
}

// The file lines of the fixture's folders, as a found-files list holds them.
struct FoundLine {
  std::string Disk;
  std::string Folder;
  TOneFile Entry;
};

std::vector<FoundLine> foundLines(TDBase* db) {
  std::vector<FoundLine> lines;
  for (const auto& [disk, folder] :
       {std::pair{"Alpha", "\\"}, {"Alpha", "\\docs"}, {"Beta", "\\"}}) {
    EXPECT_TRUE(ApiGoToDiskByName(db, disk));
    EXPECT_TRUE(ApiGoToPath(db, folder));
    TFileCollection* files = ApiGetFileCol(db);
    for (int32_t i = 0; i < ApiFileColCount(files); ++i) {
      FoundLine line{disk, folder, {}};
      ApiFileColAt(files, i, line.Entry);
      if (line.Entry.Name.view() != ".." && line.Entry.SubDir == nullptr) lines.push_back(line);
    }
  }
  return lines;
}

TEST(ShippedTemplates, FoundFileAndFreeSpaceTemplates) {
  testing::fixedDisplay();
  testing::ExportCatalogue fixture;
  TDBase* db = fixture.handle();
  const std::vector<FoundLine> found = foundLines(db);
  ASSERT_EQ(found.size(), 8u);
  const struct {
    std::string disk;
    int32_t sizeKB, freeKB;
  } disks[] = {{"Alpha", 30000000, 12345678}, {"Beta", 1440, 0}, {"<Tom & \"Jerry\">", 0, 0}};

  for (const std::string name :
       {"Semicolon delimited with quotes", "Tab delimited", "Table in HTML"}) {
    TDBaseExport files;
    loaded(files, name + ".veff", db);
    const std::string filesOutput = capturedOutput(files, [&] {
      ExportList(
          files, ExportListKind::kFoundFiles, "/data/found.kvd", static_cast<int32_t>(found.size()),
          [&](int32_t i) {
            return ExportListLine{found[i].Entry, found[i].Disk, found[i].Folder, 0, 0, false};
          },
          false, [](int32_t) { return false; });
    });
    expectGolden(name + ".veff", filesOutput);
    expectShape(name + ".veff", filesOutput);

    TDBaseExport space;
    loaded(space, name + ".vefs", db);
    const std::string spaceOutput = capturedOutput(space, [&] {
      ExportList(
          space, ExportListKind::kFreeSpace, "/data/found.kvd", 3,
          [&](int32_t i) {
            return ExportListLine{{}, disks[i].disk, {}, disks[i].sizeKB, disks[i].freeKB, false};
          },
          false, [](int32_t) { return false; });
    });
    expectGolden(name + ".vefs", spaceOutput);
    expectShape(name + ".vefs", spaceOutput);
  }
}

}  // namespace
}  // namespace vellomar
