#include "foundation/UIniFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "tests/support/TempFolder.h"

namespace vellomar {
namespace {

struct ReadCase {
  const char* what;
  std::string text;
  const char* section;
  const char* key;
  std::optional<std::string> expected;
};

TEST(IniFile, ReadsOddFiles) {
  const ReadCase cases[] = {
      {"plain", "[General]\nAutosave=1\n", "General", "Autosave", "1"},
      {"case of section and key", "[general]\nAUTOSAVE=1\n", "General", "autosave", "1"},
      {"first duplicate key wins", "[A]\nk=first\nk=second\n", "A", "k", "first"},
      {"first duplicate section wins", "[A]\nk=1\n[A]\nk=2\n", "A", "k", "1"},
      {"key found in a later copy of the section", "[A]\nx=1\n[B]\n[A]\nk=2\n", "A", "k", "2"},
      {"trimmed", "[A]\n  k  =   v w  \n", "A", "k", "v w"},
      {"one pair of quotes", "[A]\nk=\"\"quoted\"\"\n", "A", "k", "\"quoted\""},
      {"single quotes", "[A]\nk='a b'\n", "A", "k", "a b"},
      {"unmatched quote kept", "[A]\nk=\"a\n", "A", "k", "\"a"},
      {"comment is no key", "[A]\n;k=1\n# k=2\nk=3\n", "A", "k", "3"},
      {"CRLF", "[A]\r\nk=v\r\n", "A", "k", "v"},
      {"no final line end", "[A]\nk=v", "A", "k", "v"},
      {"backslashes and commas kept", "[A]\nk=C:\\a,b\\\n", "A", "k", "C:\\a,b\\"},
      {"CP1252 read as such", "[A]\nk=caf\xE9 \x80\n", "A", "k", "caf\xC3\xA9 \xE2\x82\xAC"},
      {"UTF-8 kept", "[A]\nk=caf\xC3\xA9\n", "A", "k", "caf\xC3\xA9"},
      {"byte-order mark", "\xEF\xBB\xBF[A]\nk=v\n", "A", "k", "v"},
      {"missing section", "[A]\nk=v\n", "B", "k", std::nullopt},
      {"key of another section", "[A]\n[B]\nk=v\n", "A", "k", std::nullopt},
      {"keys before any section", "k=v\n[A]\n", "A", "k", std::nullopt},
      {"empty file", "", "A", "k", std::nullopt},
      {"empty value", "[A]\nk=\n", "A", "k", ""},
  };
  for (const ReadCase& c : cases) {
    EXPECT_EQ(IniFile::fromText(c.text).value(c.section, c.key), c.expected) << c.what;
  }
}

TEST(IniFile, BadNumbersTakeTheDefault) {
  const IniFile ini = IniFile::fromText(
      "[A]\nok=42\nneg=-7\nplus=+3\nspace= 12 \nword=abc\ntail=12abc\nhuge=99999999999\n"
      "empty=\n");
  const std::pair<const char*, int32_t> cases[] = {{"ok", 42},    {"neg", -7},  {"plus", 3},
                                                   {"space", 12}, {"word", 5},  {"tail", 5},
                                                   {"huge", 5},   {"empty", 5}, {"missing", 5}};
  for (const auto& [key, expected] : cases)
    EXPECT_EQ(ini.readInteger("A", key, 5), expected) << key;
  EXPECT_TRUE(ini.readBool("A", "ok", false));
  EXPECT_FALSE(IniFile::fromText("[A]\nb=0\n").readBool("A", "b", true));
  EXPECT_TRUE(ini.readBool("A", "word", true));
}

TEST(IniFile, WritesInPlaceKeepingEverythingElse) {
  IniFile ini = IniFile::fromText(
      "; settings\r\n[General]\r\nUnknown=keep me\r\nAutosave=0\r\n\r\n[Display]\r\n"
      "ShowTree = 1\r\n");
  ini.writeBool("general", "AUTOSAVE", true);           // in place, the key's own spelling kept
  ini.writeString("General", "AutoLoad", "C:\\x.kvd");  // new key at the end of its section
  ini.writeInteger("Display", "ShowTree", 0);
  ini.writeString("Print", "Header", "My \"list\"");  // new section at the end
  EXPECT_EQ(ini.text(),
            "; settings\r\n[General]\r\nUnknown=keep me\r\nAutosave=1\r\nAutoLoad=C:\\x.kvd\r\n"
            "\r\n[Display]\r\nShowTree =0\r\n\r\n[Print]\r\nHeader=My \"list\"\r\n");
}

TEST(IniFile, SavesAndLoadsAFile) {
  test::TempFolder folder;
  const std::string path = folder.at("Vellomar.INI");
  IniFile ini;
  ini.writeString("A", "k", "v");
  ASSERT_TRUE(ini.save(path));
  EXPECT_EQ(test::contentOf(path), "[A]\nk=v\n");
  EXPECT_EQ(IniFile::load(path).readString("A", "k", ""), "v");
  EXPECT_FALSE(IniFile::load(folder.at("missing.ini")).hasSection("A"));
}

TEST(IniFile, MayWriteFollowsTheReadOnlyAttribute) {
  test::TempFolder folder;
  const std::string writable = folder.file("w.ini", "");
  const std::string readOnly = folder.file("r.ini", "");
  ::chmod(readOnly.c_str(), 0444);
  EXPECT_TRUE(mayWriteFile(writable));
  EXPECT_FALSE(mayWriteFile(readOnly));
  EXPECT_TRUE(mayWriteFile(folder.at("new.ini")));
  EXPECT_FALSE(std::filesystem::exists(folder.at("new.ini")));  // the test file is gone again
  EXPECT_FALSE(mayWriteFile(folder.at("no/such/folder.ini")));
}

TEST(IniFile, ConfigFolderIsTheProgramFolderOnlyWhenWritable) {
  test::TempFolder folder;
  const std::string program = folder.at("bin");
  std::filesystem::create_directories(program);
  EXPECT_EQ(chooseConfigFolder(program, "/cfg", "/home/u"), program + "/");
  EXPECT_EQ(chooseConfigFolder(folder.at("missing"), "/cfg", "/home/u"), "/cfg/vellomar/");
  EXPECT_EQ(chooseConfigFolder(folder.at("missing"), "", "/home/u"), "/home/u/.config/vellomar/");
  // A relative XDG_CONFIG_HOME is ignored, as the base-directory rules say.
  EXPECT_EQ(chooseConfigFolder(folder.at("missing"), "cfg", "/home/u"),
            "/home/u/.config/vellomar/");
}

}  // namespace
}  // namespace vellomar
