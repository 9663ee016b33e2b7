#include <gtest/gtest.h>

#include <string>

#include "engine/api/UApi.h"
#include "engine/api/UApiGlobals.h"
#include "export/UExport.h"
#include "tests/export/ExportCatalogue.h"
#include "tests/export/ExportRun.h"

namespace vellomar {
namespace {

using testing::capturedOutput;
using testing::walkExport;

constexpr std::string_view kHeader = "Vellomar Export Format\r\n";

TEST(ExportTemplate, HeaderKeywordsCommentsAndSections) {
  TDBaseExport e;
  LoadExportFormatText(e,
                       "// A comment line: vellomar export format is not read here\n"
                       "  VELLOMAR Export Format 5  \r\n"
                       "MaxDescLines = 2\n"
                       "maxdescsize: 40\r"
                       "FileColumns=3 // three columns\n"
                       "DefaultExt = HTM\n"
                       "FileFilter = Pages (*.htm)|*.htm\n"
                       "ExcludeChars = #%\n"
                       "ExcludeChars = $\n"
                       "ReplaceChar = x\n"
                       "ReplaceChar = ab\n"
                       "<<ON FILE>>\n"
                       "first   \n"
                       "  second\n"
                       "third // not output\n"
                       "<<on disk end>> // a marker with a comment is text\n"
                       "<<on folder end>>\n"
                       "// skipped\n"
                       "end",
                       nullptr);
  EXPECT_TRUE(e.Valid);
  EXPECT_EQ(e.MaxDescLines, 2);
  EXPECT_EQ(e.MaxDescSize, 40);
  EXPECT_EQ(e.FileColumns, 3);
  EXPECT_EQ(e.DefaultExt, "HTM");
  EXPECT_EQ(e.FileFilter, "Pages (*.htm)|*.htm");
  EXPECT_EQ(e.ExcludeChars, "#%$");
  EXPECT_EQ(e.ReplaceChars, "x ab");
  // Lines of a section join without a break; a marker with a comment is text of the section.
  EXPECT_EQ(e.Sections[kSecFile - 1], "first  secondthird <<on disk end>> ");
  EXPECT_EQ(e.Sections[kSecDiskEnd - 1], "");
  EXPECT_EQ(e.Sections[kSecFolderEnd - 1], "end");
}

TEST(ExportTemplate, Validity) {
  const struct {
    const char* text;
    bool valid;
  } cases[] = {
      {"", false},
      {"A template\nwithout its marker\n", false},
      {"first line\nthis is a vellomar export format file\n", true},
      {"// vellomar export format\n", false},
      {"Header\n<<on file>>\nVellomar Export Format\n", false},
  };
  for (const auto& c : cases) {
    TDBaseExport e;
    LoadExportFormatText(e, c.text, nullptr);
    EXPECT_EQ(e.Valid, c.valid) << c.text;
  }
  TDBaseExport e;
  LoadExportFormatText(e, std::string_view("Header\0Vellomar Export Format", 29), nullptr);
  EXPECT_FALSE(e.Valid) << "the text ends at its first NUL";
}

TEST(ExportTemplate, NumbersThatAreNoNumbersFallBack) {
  TDBaseExport e;
  LoadExportFormatText(e, "maxdesclines = some\nmaxdescsize = 1e3\nfilecolumns = many\n", nullptr);
  EXPECT_EQ(e.MaxDescLines, 0);
  EXPECT_EQ(e.MaxDescSize, 0);
  EXPECT_EQ(e.FileColumns, 1);
}

TEST(ExportTemplate, MarkersFollowTheDelimitersInForce) {
  TDBaseExport e;
  LoadExportFormatText(e,
                       "Vellomar Export Format\n"
                       "IdentifierBegin = [\n"
                       "IdentifierEnd = ]\n"
                       "<<on database begin>>\n"
                       "[On File]\n"
                       "[FileName]<<filename>>[crlf]\n",
                       nullptr);
  EXPECT_EQ(e.IdentifierBegin, "[");
  EXPECT_EQ(e.IdentifierEnd, "]");
  EXPECT_EQ(e.Sections[kSecDatabaseBegin - 1], "");
  e.setValue(kVarFileName, "x.txt");
  EXPECT_EQ(ExpandExportSection(e, kSecFile), "x.txt<<filename>>\r\n");
}

TEST(ExportTemplate, SubstitutionIsOnePassOverTheSection) {
  TDBaseExport e;
  LoadExportFormatText(e,
                       "Vellomar Export Format\n"
                       "<<on file>>\n"
                       "<<databasename>>|<<FileName>>|<<Tab>>|<<crlf>><<unknown>><<space\n",
                       nullptr);
  // Values that look like identifiers stay as they are, before or after their variable.
  e.setValue(kVarDatabaseName, "<<filename>>");
  e.setValue(kVarFileName, "a<<crlf>>b<<databasename>>");
  EXPECT_EQ(ExpandExportSection(e, kSecFile),
            "<<filename>>|a<<crlf>>b<<databasename>>|\t|\r\n<<unknown>><<space");
}

TEST(ExportTemplate, AnEmptyClosingTextTakesTheLongestName) {
  TDBaseExport e;
  LoadExportFormatText(e, "IdentifierEnd =\n<<on file\n<<files <<filesinfolder <<file\n", nullptr);
  e.setValue(kVarFiles, "F");
  e.setValue(kVarFilesInFolder, "FIF");
  EXPECT_EQ(ExpandExportSection(e, kSecFile), "F FIF <<file");
}

TEST(ExportTemplate, CharacterFilter) {
  TDBaseExport e;
  LoadExportFormatText(e,
                       "excludechars = #\n"
                       "replacechar = ab\n"
                       "replacechar = bc\n"
                       "replacechar = x\n"
                       "replacechar = <‹\n"
                       "replacechar = é\n",
                       nullptr);
  EXPECT_EQ(FilterExportValue(e, "a#b<x>é"), "c c‹ > ");
  TDBaseExport none;
  EXPECT_EQ(FilterExportValue(none, "a#b"), "a#b");
}

TEST(ExportTemplate, ConstantVariablesInCharacterLists) {
  TDBaseExport e;
  LoadExportFormatText(e,
                       "ExcludeChars = <<tab>><<CRLF>>\n"
                       "IdentifierBegin = [\nIdentifierEnd = ]\n"
                       "ReplaceChar = [space]_\n",
                       nullptr);
  EXPECT_EQ(FilterExportValue(e, "a\tb\r\nc d<<tab>>"), "a_b__c_d<<tab>>");
}

// Bytes that form no UTF-8 character are read as CP1252, in values and in the template's text.
TEST(ExportTemplate, ValuesAndTemplateTextAreUtf8) {
  TDBaseExport e;
  LoadExportFormatText(e, "<<on file>>\n\x80 <<filename>>\n", nullptr);
  e.setValue(kVarFileName, FilterExportValue(e, "caf\xe9 \xc3\xa9"));
  EXPECT_EQ(ExpandExportSection(e, kSecFile), "\u20ac caf\u00e9 \u00e9");
}

// Each escape over the same section; the constant variables stay template text.
TEST(ExportTemplate, EscapedValues) {
  const struct {
    const char* header;
    const char* expected;
  } cases[] = {
      {"", "<b>;a\"b;<<x;\r\n|c&d\t"},
      {"Escape = html", "&lt;b&gt;;a&quot;b;&lt;&lt;x;\r\n|c&amp;d\t"},
      {"escape HTML", "&lt;b&gt;;a&quot;b;&lt;&lt;x;\r\n|c&amp;d\t"},
      {"Escape = csv ;", "<b>;\"a\"\"b;<<x;\r\n\"|c&d\t"},
      {"escape: csv", "<b>;\"a\"\"b;<<x;\r\n\"|c&d\t"},
      {"Escape = csv &", "<b>;\"a\"\"b;<<x;\r\n\"|\"c&d\"\t"},
      {"Escape = text", "<b>;a\"b;<<x;\r\n|c&d\t"},
  };
  for (const auto& c : cases) {
    TDBaseExport e;
    LoadExportFormatText(e,
                         std::string(c.header) +
                             "\n<<on file>>\n<<filename>>;<<diskname>><<foldername>>|"
                             "<<shortdesc>><<tab>>\n",
                         nullptr);
    e.setValue(kVarFileName, "<b>");
    e.setValue(kVarDiskName, "a\"b;<<x;");
    e.setValue(kVarFolderName, "\r\n");
    e.setValue(kVarShortDesc, "c&d");
    EXPECT_EQ(ExpandExportSection(e, kSecFile), c.expected) << c.header;
  }
}

// The sections of a folder's files in columns, each written as a letter.
std::string columnsOf(int32_t fileColumns, int files) {
  TDBaseExport e;
  LoadExportFormatText(e,
                       "FileColumns = " + std::to_string(fileColumns) +
                           "\n<<on folder begin>>\n{\n<<on first column begin>>\nF\n"
                           "<<on each column begin>>\n(\n<<on file>>\n<<filename>>\n"
                           "<<on each column end>>\n)\n<<on last column end>>\nL\n"
                           "<<on folder end>>\n}\n",
                       nullptr);
  return capturedOutput(e, [&] {
    ExportFolderBegin(e, TFolderData{});
    for (int i = 0; i < files; ++i) {
      TOneFile file;
      file.Name = ShortString(std::string(1, static_cast<char>('a' + i)));
      ExportAddFile(e, file);
    }
    ExportFolderEnd(e);
  });
}

TEST(ExportTemplate, FilesInColumns) {
  testing::fixedDisplay();
  const struct {
    int32_t columns;
    int files;
    const char* written;
  } cases[] = {
      {3, 7, "{F(abc)(def)(g)L}"},
      {1, 3, "{F(abc)L}"},
      {0, 3, "{F(abc)L}"},
      {-5, 2, "{F(ab)L}"},
      {2147483647, 3, "{F(a)(b)(c)L}"},
      {4, 0, "{}"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(columnsOf(c.columns, c.files), c.written) << c.columns << " columns";
  }
}

// A folder's lines carry its own values, also where a line is longer than a whole output block.
TEST(ExportTemplate, FileLinesTakeTheirFoldersValues) {
  const std::string wide(100000, 'x');
  TDBaseExport e;
  LoadExportFormatText(e, "<<on file>>\n<<foldername>>:<<filename>>|" + wide + "<<crlf>>\n",
                       nullptr);
  const std::string out = capturedOutput(e, [&] {
    for (const auto& [folder, files] : {std::pair{"A", "ab"}, std::pair{"B", "c"}}) {
      TFolderData data;
      data.Name = folder;
      ExportFolderBegin(e, data);
      for (const char* name = files; *name != '\0'; ++name) {
        TOneFile file;
        file.Name = ShortString(std::string(1, *name));
        ExportAddFile(e, file);
      }
      ExportFolderEnd(e);
    }
  });
  EXPECT_EQ(out, "A:a|" + wide + "\r\nA:b|" + wide + "\r\nB:c|" + wide + "\r\n");
}

TEST(ExportTemplate, ValuesLiveFromTheirBeginEventAndConstantsStay) {
  testing::fixedDisplay();
  TDBaseExport e;
  LoadExportFormatText(e,
                       "<<on database begin>>\n[<<diskname>><<tab>><<space>>]\n"
                       "<<on disk begin>>\n<<diskname>>:<<diskfreepercent>>:<<disksizekb>>;\n"
                       "<<on database end>>\n<<databasename>>/<<diskname>><<crlf>>\n",
                       nullptr);
  const std::string out = capturedOutput(e, [&] {
    ExportDBaseBegin(e, {"data.kvd", "/x/", 2});
    TDiskData big;
    big.DiskName = "Big";
    big.SizeKB = 30000000;
    big.FreeKB = 12345678;
    ExportDiskBegin(e, big);
    TDiskData empty;
    empty.DiskName = "Empty";
    ExportDiskBegin(e, empty);
    ExportDBaseEnd(e);
  });
  EXPECT_EQ(out, "[\t ]Big:41%:28.6 GB;Empty:0%:0;data.kvd/Empty\r\n");
}

// Every variable over the fixture catalogue, through the engine's walk.
TEST(ExportTemplate, EveryVariableFromTheWalk) {
  testing::fixedDisplay();
  testing::ExportCatalogue fixture;
  std::string line;
  for (std::string_view name : kExportVariableNames) {
    if (!line.empty()) line += "|";
    line += "<<" + std::string(name) + ">>";
  }
  const std::string text = std::string(kHeader) + "MaxDescLines = 2\n<<on file>>\n" + line +
                           "<<crlf>>\n<<on database end>>\n" + line + "\n";
  ASSERT_TRUE(ApiGoToDiskByName(fixture.handle(), "Alpha"));
  ASSERT_TRUE(ApiGoToPath(fixture.handle(), "\\docs"));
  const std::string out = walkExport(text, fixture.handle(), 4);
  const std::string prefix = "catalogue.kvd|" + fixture.folder() +
                             "|2|Alpha|28.6 GB|11.8 GB|41%|1|7|0|0|0|701.0 MB|D:\\|ALPHA_VOL|"
                             "701.0 MB|0|3/14/25 10:20|\\|docs|1.02 MB|2|0|1.02 MB|2|0|";
  const std::string constants = "|\r\n|\t| ";
  const std::string c = prefix + "c.pdf|1 048 576|3/14/25|10:20||" + constants;
  // The description cut to two lines; the short one on one line; the end sees the last file.
  EXPECT_EQ(out, prefix + "b.doc|20 480|3/14/25|10:20|line one line two line three|line one\r\n" +
                     "line two" + constants + "\r\n" + c + "\r\n" + c);
}

// A folder's files go out in the file list's order, by any criterion and in either direction;
// names that compare equal come in one order, the same in both directions, and a folder with a
// name outside ASCII sorts alike.
TEST(ExportTemplate, FilesGoOutInTheFileListOrder) {
  testing::fixedDisplay();
  testing::TestCatalogue cat;
  TDirCollection& root = cat.newDisk("Sorted");
  std::vector<testing::FileSpec> files = {{"b.txt", 1, 0},      {"Readme.txt", 2, 0},
                                          {"README.txt", 3, 0}, {"a.doc", 4, 0},
                                          {"c.txt", 5, 0},      {"readme.txt", 6, 0}};
  cat.setFiles(root, files);
  files.push_back({"\xc3\xa9.txt", 7, 0});
  cat.setFiles(testing::TestCatalogue::addFolder(root, "other"), files);
  cat.saveDisk();
  ASSERT_TRUE(ApiGoToDiskByName(&cat.handle, "Sorted"));
  const std::string text = std::string(kHeader) + "<<on file>>\n<<filename>><<space>>\n";
  struct Case {
    uint8_t criterion;
    bool reverse;
    std::string root;
    std::string other;
  };
  const Case cases[] = {
      {0, false, "other a.doc b.txt c.txt readme.txt README.txt Readme.txt ",
       "a.doc b.txt c.txt \xc3\xa9.txt readme.txt README.txt Readme.txt "},
      {0, true, "other readme.txt README.txt Readme.txt c.txt b.txt a.doc ",
       "readme.txt README.txt Readme.txt \xc3\xa9.txt c.txt b.txt a.doc "},
      {3, false, "other readme.txt c.txt a.doc README.txt Readme.txt b.txt ",
       "\xc3\xa9.txt readme.txt c.txt a.doc README.txt Readme.txt b.txt "},
  };
  for (const Case& c : cases) {
    FormatOptions.SortCrit = c.criterion;
    FormatOptions.Reverse = c.reverse;
    EXPECT_EQ(walkExport(text, &cat.handle, 1), c.root + c.other)
        << int{c.criterion} << " " << c.reverse;
  }
  FormatOptions = TFormatOptions{};
}

TEST(ExportTemplate, SizesFrom2GiBOnAreNotNegative) {
  testing::fixedDisplay();
  testing::TestCatalogue cat;
  cat.setFiles(cat.newDisk("Big"), {{"huge.iso", 3'000'000'000ULL, 0}});
  cat.saveDisk();
  ASSERT_TRUE(ApiGoToDiskByName(&cat.handle, "Big"));
  const std::string text = std::string(kHeader) + "<<on file>>\n<<filesize>>\n";
  FormatOptions.SizeInKB = false;
  EXPECT_EQ(walkExport(text, &cat.handle, 1), "3 000 000 000");
  FormatOptions.SizeInKB = true;
  EXPECT_EQ(walkExport(text, &cat.handle, 1), "2.79 GB");
}

}  // namespace
}  // namespace vellomar
