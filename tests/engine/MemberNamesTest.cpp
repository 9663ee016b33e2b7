// Every reader takes its members' names by one rule: whatever the format, the same stored names
// list the same (the backup sets' readers in BackupSetsTest, the ACE library's in UnAceTest).
#include "engine/UMemberNames.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/UArchiveArc.h"
#include "engine/UArchiveArj.h"
#include "engine/UArchiveLha.h"
#include "engine/UArchiveRar.h"
#include "engine/UArchiveZip.h"
#include "platform/PText.h"
#include "tests/support/ArchiveBuilders.h"
#include "tests/support/ArchiveListing.h"
#include "tests/support/MemberNameCases.h"

namespace vellomar {
namespace {

using test::Bytes;

const uint32_t kWhen = test::dosDateTime(2001, 9, 8, 7, 6, 4);

using Builder = std::function<Bytes(const std::vector<std::string>&)>;

struct Format {
  const char* name;
  Builder build;
  test::ArchiveReader read;
};

template <class Member>
std::vector<Member> membersOf(const std::vector<std::string>& names,
                              const std::function<Member(const std::string&)>& member) {
  std::vector<Member> members;
  for (const std::string& name : names) members.push_back(member(name));
  return members;
}

Bytes zip(const std::vector<std::string>& names) {
  return test::buildZip({{}, membersOf<test::ZipMember>(names, [](const std::string& n) {
                           return test::ZipMember{n, 1, kWhen};
                         })});
}

Builder lha(uint8_t level) {
  return [level](const std::vector<std::string>& names) {
    return test::buildLha(membersOf<test::LhaMember>(names, [level](const std::string& n) {
      return test::LhaMember{n, "", 1, kWhen, 0x20, level};
    }));
  };
}

Builder rar(bool headCrcs) {
  return [headCrcs](const std::vector<std::string>& names) {
    test::RarBuilder builder(0, headCrcs);
    for (const std::string& name : names) builder.file(name, 1, kWhen, 0x20);
    return builder.end().bytes();
  };
}

const std::vector<Format>& formats() {
  static const std::vector<Format> all = {
      {"ZIP, central directory", zip,
       [](TArchiveEntryList& l, const std::string& p) { return ReadZipCentral(l, p, 0); }},
      {"ZIP, local headers", zip,
       [](TArchiveEntryList& l, const std::string& p) { return ReadZipLocal(l, p, 0); }},
      {"ARC",
       [](const std::vector<std::string>& names) {
         return test::buildArc(membersOf<test::ArcMember>(names, [](const std::string& n) {
           return test::ArcMember{n, 1, kWhen};
         }));
       },
       ReadArcArchive},
      {"LHA level 0", lha(0),
       [](TArchiveEntryList& l, const std::string& p) { return ReadLhaArchive(l, p, 0); }},
      {"LHA level 1", lha(1),
       [](TArchiveEntryList& l, const std::string& p) { return ReadLhaArchive(l, p, 0); }},
      {"ARJ",
       [](const std::vector<std::string>& names) {
         return test::buildArj("names.arj",
                               membersOf<test::ArjMember>(names, [](const std::string& n) {
                                 return test::ArjMember{n, 1, kWhen};
                               }));
       },
       [](TArchiveEntryList& l, const std::string& p) { return ReadArjArchive(l, p, 0); }},
      // The RAR library refuses heads without their CRCs, which the engine's own walk lists.
      {"RAR, the engine's walk", rar(false),
       [](TArchiveEntryList& l, const std::string& p) { return ReadRarArchive(l, p, 0); }},
      {"RAR, the library", rar(true),
       [](TArchiveEntryList& l, const std::string& p) { return ReadRarArchive(l, p, 0); }},
  };
  return all;
}

TEST(MemberNames, EveryFormatListsTheSameStoredNamesAlike) {
  for (const Format& format : formats()) {
    const test::ListResult result =
        test::listBytes(format.read, format.build(test::storedMemberNames()));
    EXPECT_TRUE(result.ok) << format.name;
    EXPECT_EQ(test::pathsAndNames(result.lines), test::listedMemberNames()) << format.name;
  }
}

TEST(MemberNames, NamesMarkedAsUnicodeAreNotReadInTheOemCodePage) {
  EXPECT_EQ(memberName("\xC3\x84/\x8E", NameCoding::kUtf8).folder, "\\\xC3\x84\\");
  EXPECT_EQ(memberName("\xC3\x84/\x8E", NameCoding::kUtf8).name, "\x8E");
  EXPECT_EQ(memberName("\xC3\x84", NameCoding::kOem).name, oemToText("\xC3\x84"));
}

}  // namespace
}  // namespace vellomar
