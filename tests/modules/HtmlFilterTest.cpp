#include <gtest/gtest.h>

#include <string>

#include "tests/modules/FilterModule.h"
#include "tests/support/TempFolder.h"

namespace vellomar {
namespace {

using test::FilterModule;

const FilterModule& html() {
  return FilterModule::named("html");
}

TEST(HtmlFilter, TurnsPagesIntoText) {
  const test::FilterCase cases[] = {
      {"title, paragraphs and inline tags",
       "<html><head><title>Report</title></head><body><p>Hello <b>bold</b> world</p>"
       "<P>Second</P></body></html>",
       "Report\r\n\r\nHello bold world\r\n\r\nSecond"},
      {"scripts, styles and comments are not text",
       "<style>p{color:red}</style><SCRIPT>if (a<b) x='</p>';</SCRIPT>Text<!-- hidden -->"
       " more<!-- a --->!",
       "Text more!"},
      {"references", "a &amp; b &lt;c&gt; &copy; &#8364;&#x41;&euro; &unknown; &nbsp;x &#150; &amp",
       "a & b <c> \xC2\xA9 \xE2\x82\xAC"
       "A\xE2\x82\xAC &unknown; x \xE2\x80\x93 &"},
      {"white space folds, line breaks stay single", "  a \n\n\t b  <br><br> c  ", "a b\r\nc"},
      {"quoted attributes may hold >", "<a title=\"x > y\" alt='>'>link</a>", "link"},
      {"a < that starts no tag is text", "1 < 2 and 3<4 <", "1 < 2 and 3<4 <"},
      {"table cells and rows", "<table><tr><td>a</td><td>b</td></tr><tr><th>c</th></tr></table>",
       "a b\r\nc"},
      {"a comment never closed hides the rest", "text <!-- never closed <p>more", "text"},
      {"a tag never closed hides the rest", "text <p title='unclosed>more", "text"},
  };
  test::expectTexts(html(), "page.htm", cases);
}

TEST(HtmlFilter, TakesTheCharacterSetFromTheMetaTagOrTheBytes) {
  const test::FilterCase cases[] = {
      {"http-equiv meta tag",
       "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">"
       "<p>\xCF\xF0\xE8\xE2\xE5\xF2</p>",
       "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82"},
      {"charset attribute", "<META CHARSET='ISO-8859-2'>\xB1", "\xC4\x85"},
      {"UTF-8 without a declaration",
       "Gr\xC3\xBC\xC3\x9F"
       "e",
       "Gr\xC3\xBC\xC3\x9F"
       "e"},
      {"other bytes without a declaration are windows-1252", "\xE9t\xE9 \x80",
       "\xC3\xA9t\xC3\xA9 \xE2\x82\xAC"},
      {"UTF-8 byte-order mark", "\xEF\xBB\xBF<p>\xCE\xA9</p>", "\xCE\xA9"},
      {"UTF-16 byte-order mark", std::string("\xFF\xFE<\0p\0>\0\xA9\x03", 10), "\xCE\xA9"},
      {"a declared UTF-16 is read as bytes", "<meta charset=utf-16>\xC3\xA9", "\xC3\xA9"},
      {"a declared Latin-1 is windows-1252", "<meta charset=\"ISO-8859-1\">\x80\xE9",
       "\xE2\x82\xAC\xC3\xA9"},
      {"an unknown set is windows-1252", "<meta charset=no-such-set>\xE9", "\xC3\xA9"},
  };
  test::expectTexts(html(), "page.html", cases);
}

TEST(HtmlFilter, RefusesPagesWithoutText) {
  const test::FilterCase cases[] = {
      {"an empty file", "", std::nullopt},
      {"markup and blanks only", "<html><head></head><body> <br> </body></html>", std::nullopt},
      {"a script only", "<script>document.write('x')</script>", std::nullopt},
  };
  test::expectTexts(html(), "empty.htm", cases);
}

}  // namespace
}  // namespace vellomar
