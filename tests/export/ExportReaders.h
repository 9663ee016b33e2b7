#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace vellomar::testing {

using Rows = std::vector<std::vector<std::string>>;

// Records of a CSV text whose records end in CR LF: a quoted field may hold the delimiter, CR,
// LF and doubled quotes; a quote anywhere else is a fault.
inline Rows readCsv(std::string_view text, char delimiter) {
  Rows rows;
  std::vector<std::string> row;
  std::string field;
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] == '"' && field.empty()) {
      for (++i;; ++i) {
        if (i >= text.size()) {
          ADD_FAILURE() << "unclosed quote";
          return rows;
        }
        if (text[i] != '"') {
          field += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == '"') {
          field += text[++i];
        } else {
          break;
        }
      }
      ++i;
      const bool ends = i == text.size() || text[i] == delimiter || text.substr(i, 2) == "\r\n";
      if (!ends) {
        ADD_FAILURE() << "text after a closing quote at " << i;
        return rows;
      }
      continue;
    }
    if (text[i] == delimiter) {
      row.push_back(std::move(field));
      field.clear();
      ++i;
    } else if (text.substr(i, 2) == "\r\n") {
      row.push_back(std::move(field));
      field.clear();
      rows.push_back(std::move(row));
      row.clear();
      i += 2;
    } else {
      if (text[i] == '"' || text[i] == '\r' || text[i] == '\n') {
        ADD_FAILURE() << "unquoted quote or line break at " << i;
        return rows;
      }
      field += text[i++];
    }
  }
  EXPECT_TRUE(row.empty() && field.empty()) << "the text ends with a line break";
  return rows;
}

// Lines of a tab-delimited text, ended by CR LF, split at every TAB.
inline Rows readTabbed(std::string_view text) {
  Rows rows;
  size_t start = 0;
  for (size_t end = text.find("\r\n"); end != std::string_view::npos;
       end = text.find("\r\n", start)) {
    const std::string_view line = text.substr(start, end - start);
    EXPECT_EQ(line.find_first_of("\r\n"), std::string_view::npos) << line;
    std::vector<std::string> fields;
    size_t from = 0;
    for (size_t tab = line.find('\t'); tab != std::string_view::npos; tab = line.find('\t', from)) {
      fields.emplace_back(line.substr(from, tab - from));
      from = tab + 1;
    }
    fields.emplace_back(line.substr(from));
    rows.push_back(std::move(fields));
    start = end + 2;
  }
  EXPECT_EQ(start, text.size()) << "the text ends with a line break";
  return rows;
}

// The page parses with a strict XML reader (xmllint, of libxml2-utils) and holds none of the
// control characters HTML forbids, which XML 1.0 still allows: C1 (U+0080 to U+009F) and DEL.
inline void expectStrictXml(const std::string& what, std::string_view page) {
  FILE* lint = popen("xmllint --noout --nonet -", "w");
  ASSERT_NE(lint, nullptr) << "xmllint cannot be started";
  fwrite(page.data(), 1, page.size(), lint);
  EXPECT_EQ(pclose(lint), 0) << what << " is not well-formed XML";
  for (size_t i = 0; i < page.size(); ++i) {
    const auto c = static_cast<unsigned char>(page[i]);
    const bool c1 = c == 0xC2 && i + 1 < page.size() &&
                    static_cast<unsigned char>(page[i + 1]) >= 0x80 &&
                    static_cast<unsigned char>(page[i + 1]) < 0xA0;
    EXPECT_FALSE(c1 || c == 0x7F) << what << ": control character at " << i;
  }
}

// One element of an HTML page as a reader of its text sees it: a heading, a table row with the
// texts of its cells, or a cell's lines divided by <br />.
struct HtmlItem {
  std::string Tag;  // "h1", "h2", "h3", "p", "tr" or "td"
  std::vector<std::string> Texts;

  friend bool operator==(const HtmlItem&, const HtmlItem&) = default;
};

inline std::ostream& operator<<(std::ostream& out, const HtmlItem& item) {
  out << item.Tag << "[";
  for (const std::string& text : item.Texts) out << "{" << text << "}";
  return out << "]";
}

// The headings, paragraphs, rows and cells of a page, with the five entities of escaped text
// decoded; a bare "&" or an entity it does not know is a fault. Cells are listed both within
// their row and on their own.
inline std::vector<HtmlItem> readHtml(std::string_view page) {
  std::vector<HtmlItem> items;
  std::string text;
  std::string open;  // the heading, paragraph or cell whose text is gathered
  std::vector<std::string> lines;
  std::vector<std::string> cells;
  size_t i = 0;
  while (i < page.size()) {
    if (page[i] == '&') {
      const size_t semicolon = page.find(';', i);
      const std::string_view entity =
          semicolon == std::string_view::npos ? page.substr(i) : page.substr(i, semicolon - i + 1);
      static const std::pair<std::string_view, char> kEntities[] = {
          {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&#39;", '\''}};
      bool known = false;
      for (const auto& [name, c] : kEntities) {
        if (entity == name) {
          text += c;
          known = true;
        }
      }
      if (!known) ADD_FAILURE() << "bare & at " << i << ": " << page.substr(i, 12);
      i += entity.size();
      continue;
    }
    if (page[i] == '>') ADD_FAILURE() << "bare > at " << i;
    if (page[i] != '<') {
      text += page[i++];
      continue;
    }
    const size_t close = page.find('>', i);
    if (close == std::string_view::npos) {
      ADD_FAILURE() << "unclosed tag at " << i;
      break;
    }
    std::string_view tag = page.substr(i + 1, close - i - 1);
    i = close + 1;
    const bool ending = tag.starts_with('/');
    if (ending) tag.remove_prefix(1);
    const std::string name(tag.substr(0, tag.find_first_of(" /")));
    if (name == "br") {
      lines.push_back(std::move(text));
      text.clear();
    } else if (name == "h1" || name == "h2" || name == "h3" || name == "p" || name == "td" ||
               name == "th") {
      if (!ending) {
        open = name;
        text.clear();
        lines.clear();
      } else if (name == open) {
        lines.push_back(std::move(text));
        text.clear();
        if (name == "td" || name == "th") {
          std::string cell;
          for (size_t n = 0; n < lines.size(); ++n) cell += (n == 0 ? "" : "\n") + lines[n];
          cells.push_back(cell);
          if (name == "td") items.push_back({"td", lines});
        } else {
          std::string whole;
          for (const std::string& line : lines) whole += line;
          items.push_back({name, {whole}});
        }
        open.clear();
        lines.clear();
      }
    } else if (name == "tr") {
      if (ending) items.push_back({"tr", std::move(cells)});
      cells.clear();
    } else if (name == "small" || name == "table" || name == "html" || name == "head" ||
               name == "body" || name == "meta" || name == "title" || name == "style" ||
               name == "!DOCTYPE") {
      continue;
    } else {
      ADD_FAILURE() << "unexpected tag <" << tag << ">";
    }
  }
  return items;
}

// The items of the kind given, in page order.
inline std::vector<HtmlItem> itemsOf(const std::vector<HtmlItem>& items, std::string_view tag) {
  std::vector<HtmlItem> out;
  for (const HtmlItem& item : items) {
    if (item.Tag == tag) out.push_back(item);
  }
  return out;
}

}  // namespace vellomar::testing
