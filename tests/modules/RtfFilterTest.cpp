#include <gtest/gtest.h>

#include <string>

#include "tests/modules/FilterModule.h"
#include "tests/support/TempFolder.h"

namespace vellomar {
namespace {

using test::FilterModule;

const FilterModule& rtf() {
  return FilterModule::named("rtf");
}

TEST(RtfFilter, TurnsDocumentsIntoText) {
  const test::FilterCase cases[] = {
      {"control words and groups",
       R"({\rtf1\ansi{\fonttbl{\f0 Times;}}{\colortbl;\red0\green0\blue0;}\f0 Hello )"
       R"({\b bold}\b0  world\par Next\tab line})",
       "Hello bold world\r\nNext line"},
      {"control symbols and hex escapes", R"({\rtf1 a\\b \{c\} caf\'e9\~x\-y\_z})",
       "a\\b {c} caf\xC3\xA9 xy-z"},
      {"\\u with its fallback skipped, \\uc changing the count",
       R"({\rtf1 \u8364? x\uc2\u8212\'97\'97y{\uc0\u937 z}})",
       "\xE2\x82\xAC x\xE2\x80\x94y\xCE\xA9z"},
      {"a surrogate pair", R"({\rtf1 \u-10179?\u-8704?})", "\xF0\x9F\x98\x80"},
      {"destinations that are not text",
       R"({\rtf1{\info{\title Secret}}{\*\generator Writer;}{\header Head}{\footer Foot})"
       R"({\pict\pngblip 89504e47}Body{\*\unknown hidden}{\stylesheet{\s0 Normal;}}})",
       "Body"},
      {"a field shows its result",
       R"({\rtf1 See {\field{\*\fldinst HYPERLINK "http://x"}{\fldrslt Link text}}.})",
       "See Link text."},
      {"\\bin data is skipped whatever it holds", "{\\rtf1 a\\bin3 {}\\ b}", "a b"},
      {"the document's code page", R"({\rtf1\ansi\ansicpg1251 \'cf\'f0\'e8})",
       "\xD0\x9F\xD1\x80\xD0\xB8"},
      {"each font's character set",
       R"({\rtf1\ansi{\fonttbl{\f0\fcharset0 Arial;}{\f1\fcharset238 Arial CE;}})"
       R"(\f0 \'b9 \f1 \'b9 {\f0 \'b9}\'b9})",
       "\xC2\xB9 \xC4\x85 \xC2\xB9\xC4\x85"},
      {"the default font's character set, also after \\plain",
       R"({\rtf1\ansi\deff0{\fonttbl{\f0\fcharset204 Arial;}{\f1 Times;}}\'cf\f1\'cf\plain\'cf})",
       "\xD0\x9F\xC3\x8F\xD0\x9F"},
      {"a double-byte code page", R"({\rtf1\ansi\ansicpg932 \'82\'a0})", "\xE3\x81\x82"},
      {"an escaped line break is a paragraph", "{\\rtf1 one\\\ntwo}", "one\r\ntwo"},
  };
  test::expectTexts(rtf(), "doc.rtf", cases);
}

TEST(RtfFilter, SurvivesHostileDocuments) {
  const std::string deep = std::string(100000, '{') + "x" + std::string(100000, '}');
  const test::FilterCase cases[] = {
      {"groups nested far deeper than kept", "{\\rtf1 " + deep + "y}", "xy"},
      {"more closing than opening braces", "{\\rtf1 a}}}}b", "ab"},
      {"a cut escape", "{\\rtf1 abc\\'", "abc"},
      {"a cut hex escape", "{\\rtf1 abc\\'4", "abc"},
      {"an endless control word and number",
       "{\\rtf1 \\" + std::string(1000, 'a') + std::string(1000, '9') + " text}", "text"},
      {"a fallback count beyond the group", "{\\rtf1 a{\\uc2147483647\\u66 skipped}c}", "aBc"},
      {"\\bin longer than the file", "{\\rtf1 a\\bin999999999 xyz", "a"},
      {"a negative \\bin", "{\\rtf1 a\\bin-5 b}", "ab"},
  };
  test::expectTexts(rtf(), "doc.rtf", cases);
}

TEST(RtfFilter, RefusesWhatIsNotRtfOrHasNoText) {
  const test::FilterCase cases[] = {
      {"an empty file", "", std::nullopt},
      {"plain text", "plain text", std::nullopt},
      {"a cut signature", "{\\rt", std::nullopt},
      {"a font table only", "{\\rtf1{\\fonttbl{\\f0 A;}}}", std::nullopt},
  };
  test::expectTexts(rtf(), "doc.rtf", cases);
}

}  // namespace
}  // namespace vellomar
