#include "export/UExport.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <optional>
#include <vector>

#include "engine/api/UApi.h"
#include "engine/api/UApiGlobals.h"
#include "export/UFileLine.h"
#include "foundation/UBaseUtils.h"
#include "foundation/UExceptions.h"
#include "platform/PAsciiText.h"
#include "platform/PText.h"

namespace vellomar {

const std::array<std::string_view, kExportVariableCount> kExportVariableNames = {
    "databasename",
    "databasepath",
    "numberofdisks",
    "diskname",
    "disksizekb",
    "diskfreekb",
    "diskfreepercent",
    "folders",
    "files",
    "archives",
    "totalfilesinarchives",
    "totalfoldersinarchives",
    "totaldatasize",
    "originalpath",
    "volumelabel",
    "physsize",
    "archsize",
    "scandate",
    "pathtofolder",
    "foldername",
    "folderdatasize",
    "filesinfolder",
    "foldersinfolder",
    "physfolderdatasize",
    "physfilesinfolder",
    "physfoldersinfolder",
    "filename",
    "filesize",
    "filedate",
    "filetime",
    "shortdesc",
    "desc",
    "crlf",
    "tab",
    "space",
};

const std::array<std::string_view, kExportSectionCount> kExportSectionNames = {
    "on database begin",    "on disk begin", "on folder begin", "on first column begin",
    "on each column begin", "on file",       "on description",  "on each column end",
    "on last column end",   "on folder end", "on disk end",     "on database end",
};

namespace {

constexpr std::string_view kValidMarker = "vellomar export format";

// CR LF, a lone CR and a lone LF each end a line.
std::vector<std::string_view> splitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

std::string crlfLineBreaks(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      out += "\r\n";
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

// Bytes of the character at the front of s: a whole UTF-8 sequence, else one byte (CP1252).
size_t charLength(std::string_view s) {
  const auto lead = static_cast<unsigned char>(s[0]);
  size_t n = lead >= 0xF0 && lead <= 0xF4  ? 4
             : lead >= 0xE0                ? 3
             : lead >= 0xC2 && lead < 0xE0 ? 2
                                           : 1;
  if (lead >= 0xF5 || n > s.size()) return 1;
  for (size_t i = 1; i < n; ++i) {
    if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) return 1;
  }
  return n;
}

std::vector<std::string_view> splitChars(std::string_view s) {
  std::vector<std::string_view> chars;
  while (!s.empty()) {
    const size_t n = charLength(s);
    chars.push_back(s.substr(0, n));
    s.remove_prefix(n);
  }
  return chars;
}

int32_t numberOr(std::string_view text, int32_t fallback) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc{} || end != text.data() + text.size()) return fallback;
  return value;
}

// The value after a keyword: blanks skipped, one separator character dropped, then trimmed.
std::string_view keywordValue(std::string_view line, size_t afterKeyword) {
  std::string_view rest = trimStart(line.substr(afterKeyword), kSpaceAndControls);
  if (!rest.empty()) rest.remove_prefix(1);
  return trim(rest, kSpaceAndControls);
}

// The line break, tab and blank variables written in a character list stand for their
// characters, the only way a line of the template can hold a CR, an LF or an edge TAB.
std::string withConstantCharacters(const TDBaseExport& e, std::string_view text) {
  if (e.IdentifierBegin.empty()) return std::string(text);
  const std::string lower = lowerAscii(text);
  const std::string begin = lowerAscii(e.IdentifierBegin);
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    const size_t at = lower.find(begin, i);
    if (at == std::string::npos) break;
    out.append(text.substr(i, at - i));
    i = at;
    bool matched = false;
    for (int v = kVarCrLf; v <= kVarSpace; ++v) {
      const std::string id = lowerAscii(e.IdentifierBegin +
                                        std::string(kExportVariableNames[v - 1]) + e.IdentifierEnd);
      if (lower.compare(i, id.size(), id) == 0) {
        out.append(e.value(v));
        i += id.size();
        matched = true;
        break;
      }
    }
    if (!matched) out += text[i++];
  }
  out.append(text.substr(i));
  return out;
}

// "escape html", "escape csv" or "escape csv ;" (a separator "=" or ":" may follow the
// keyword); any other value leaves the values as they are.
void parseEscape(TDBaseExport& e, std::string_view lower, size_t afterKeyword) {
  std::string_view value = trimStart(lower.substr(afterKeyword), kSpaceAndControls);
  if (!value.empty() && (value.front() == '=' || value.front() == ':')) value.remove_prefix(1);
  value = trim(value, kSpaceAndControls);
  if (value == "html") {
    e.Escape = ExportEscape::kHtml;
  } else if (value.starts_with("csv")) {
    const std::string_view delimiter = trim(value.substr(3), kSpaceAndControls);
    if (delimiter.size() > 1) return;
    e.Escape = ExportEscape::kCsv;
    e.CsvDelimiter = delimiter.empty() ? ',' : delimiter.front();
  }
}

void parseHeaderLine(TDBaseExport& e, std::string_view line) {
  const std::string lower = lowerAscii(line);
  auto find = [&](std::string_view keyword, std::string_view from) -> std::optional<std::string> {
    const size_t at = lower.find(keyword);
    if (at == std::string::npos) return std::nullopt;
    return std::string(keywordValue(from, at + keyword.size()));
  };
  if (auto v = find("identifierbegin", lower)) e.IdentifierBegin = *v;
  if (auto v = find("identifierend", lower)) e.IdentifierEnd = *v;
  if (auto v = find("maxdesclines", lower)) e.MaxDescLines = numberOr(*v, 0);
  if (auto v = find("maxdescsize", lower)) e.MaxDescSize = numberOr(*v, 0);
  if (auto v = find("filecolumns", lower)) e.FileColumns = numberOr(*v, 1);
  if (auto v = find("defaultext", line)) e.DefaultExt = *v;
  if (auto v = find("filefilter", line)) e.FileFilter = *v;
  if (auto v = find("excludechars", line)) e.ExcludeChars += withConstantCharacters(e, *v);
  if (auto v = find("replacechar", line)) {
    // A single character is one to blank out: the pair of it and a blank.
    const std::string pairs = withConstantCharacters(e, *v);
    e.ReplaceChars += pairs;
    if (splitChars(pairs).size() == 1) e.ReplaceChars += ' ';
  }
  if (const size_t at = lower.find("escape"); at != std::string::npos) {
    parseEscape(e, lower, at + 6);
  }
}

// Splits a section at its identifiers, found regardless of case; where two identifiers start at
// the same place (an empty closing text), the longer one is meant.
std::vector<ExportPiece> parseSection(const TDBaseExport& e, std::string_view text) {
  const std::string lower = lowerAscii(text);
  const std::string begin = lowerAscii(e.IdentifierBegin);
  std::vector<ExportPiece> pieces;
  std::string literal;
  size_t i = 0;
  while (i < text.size()) {
    size_t at = i;
    if (!begin.empty()) {
      at = lower.find(begin, i);
      if (at == std::string::npos) at = text.size();
      literal.append(text.substr(i, at - i));
      i = at;
      if (i == text.size()) break;
    }
    int matched = 0;
    size_t matchedLength = 0;
    for (int v = 1; v <= kExportVariableCount; ++v) {
      const std::string& id = e.Variables[v - 1].Id;
      if (id.size() > matchedLength && lower.compare(i, id.size(), id) == 0) {
        matched = v;
        matchedLength = id.size();
      }
    }
    if (matched == 0) {
      literal += text[i];
      ++i;
      continue;
    }
    if (!literal.empty()) pieces.push_back({std::move(literal), 0});
    literal.clear();
    pieces.push_back({std::string(), matched});
    i += matchedLength;
  }
  if (!literal.empty()) pieces.push_back({std::move(literal), 0});
  return pieces;
}

void clearFolderFiles(TDBaseExport& e) {
  e.FolderFiles.clear();
  e.FolderText.clear();
  e.FolderOrder.clear();
}

// By key as the windows compare names (ASCII keys by their characters' collation ranks, which
// give the same order and mostly differ in the first few), the newest or largest first where the
// order is reversed; of files with the same key, the one that came later goes first.
void sortFolderFiles(TDBaseExport& e) {
  const std::string_view text = e.FolderText;
  const std::vector<ExportFolderFile>& files = e.FolderFiles;
  const bool reverse = e.Format.Reverse;
  e.FolderOrder.resize(files.size());
  for (size_t i = 0; i < files.size(); ++i) e.FolderOrder[i] = static_cast<int32_t>(i);
  const auto before = [&](int32_t a, int32_t b) {
    const ExportFolderFile& fa = files[a];
    const ExportFolderFile& fb = files[b];
    const std::string_view ka = text.substr(fa.KeyOffset, fa.KeyLength);
    const std::string_view kb = text.substr(fb.KeyOffset, fb.KeyLength);
    const std::optional<int> ascii =
        fa.KeyAscii && fb.KeyAscii ? compareKnownAsciiCollation(ka, kb) : std::nullopt;
    const int order = ascii ? *ascii : compareText(ka, kb);
    if (order != 0) return reverse ? order > 0 : order < 0;
    return a > b;
  };
  // A folder's list is mostly kept in this order already: one pass then decides.
  if (!std::is_sorted(e.FolderOrder.begin(), e.FolderOrder.end(), before)) {
    std::sort(e.FolderOrder.begin(), e.FolderOrder.end(), before);
  }
}

void resetExport(TDBaseExport& e, TDBase* db) {
  e.IdentifierBegin = "<<";
  e.IdentifierEnd = ">>";
  e.MaxDescLines = 0;
  e.MaxDescSize = 0;
  e.FileColumns = 1;
  e.Valid = false;
  e.CurrentSection = 0;
  e.DefaultExt = "txt";
  e.FileFilter.clear();
  e.ExcludeChars.clear();
  e.ReplaceChars.clear();
  e.Filter = ExportCharFilter{};
  e.Escape = ExportEscape::kNone;
  e.CsvDelimiter = ',';
  e.Format = FormatOptions;
  e.BytesWritten = 0;
  e.FilesWritten = 0;
  for (TIdValue& v : e.Variables) v = TIdValue{};
  for (std::string& s : e.Sections) s.clear();
  for (auto& p : e.Parsed) p.clear();
  e.Used = {};
  e.setValue(kVarCrLf, "\r\n");
  e.setValue(kVarTab, "\t");
  e.setValue(kVarSpace, " ");
  clearFolderFiles(e);
  e.DBase = db;
}

std::string_view filteredChar(const ExportCharFilter& f, std::string_view c) {
  for (const std::string& x : f.Excluded) {
    if (c == x) {
      c = " ";
      break;
    }
  }
  for (size_t p = 0; p + 1 < f.Pairs.size(); p += 2) {
    if (c == f.Pairs[p]) c = f.Pairs[p + 1];
  }
  return c;
}

void prepareFilter(TDBaseExport& e) {
  ExportCharFilter& f = e.Filter;
  f = ExportCharFilter{};
  f.Active = !e.ExcludeChars.empty() || !e.ReplaceChars.empty();
  for (std::string_view c : splitChars(e.ExcludeChars)) f.Excluded.emplace_back(c);
  for (std::string_view c : splitChars(e.ReplaceChars)) f.Pairs.emplace_back(c);
  f.PrintableKept = true;
  for (size_t code = 0; code < f.Ascii.size(); ++code) {
    const char c = static_cast<char>(code);
    f.Ascii[code] = filteredChar(f, std::string_view(&c, 1));
    f.Kept[code] = f.Ascii[code] == std::string_view(&c, 1);
    if (code >= ' ' && code <= '~' && !f.Kept[code]) f.PrintableKept = false;
  }
}

// Text that is not plain ASCII: made valid UTF-8 first, then filtered character by character.
void appendFilteredText(const ExportCharFilter& f, std::string_view raw, std::string& out) {
  const std::string text = textAsUtf8(raw);
  if (!f.Active) {
    out.append(text);
    return;
  }
  for (std::string_view rest = text; !rest.empty();) {
    const size_t n = charLength(rest);
    const auto lead = static_cast<unsigned char>(rest[0]);
    if (lead < 0x80) {
      out.append(f.Ascii[lead]);
    } else {
      out.append(filteredChar(f, rest.substr(0, n)));
    }
    rest.remove_prefix(n);
  }
}

// Eight characters from the blank to the tilde: a byte below 0x20 or from 0x7F up sets its high
// bit in one of the tests.
bool printableWord(const char* at) {
  constexpr uint64_t kOnes = 0x0101010101010101ULL;
  constexpr uint64_t kHigh = 0x8080808080808080ULL;
  uint64_t word = 0;
  std::memcpy(&word, at, 8);
  return (((word - kOnes * 0x20) | (word + kOnes * 0x01) | word) & kHigh) == 0;
}

// Only the characters from the blank to the tilde, tested eight at a time; the last eight
// overlap the ones before where the length is no multiple of eight.
bool isPrintableAscii(std::string_view text) {
  if (text.size() >= 8) {
    for (size_t i = 0; i + 8 <= text.size(); i += 8) {
      if (!printableWord(text.data() + i)) return false;
    }
    return printableWord(text.data() + text.size() - 8);
  }
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x20 || c > 0x7E) return false;
  }
  return true;
}

// Most values: valid UTF-8 with nothing in them that the filter changes.
bool passesUnchanged(const ExportCharFilter& f, std::string_view raw) {
  return f.Active ? f.PrintableKept && isPrintableAscii(raw) : isAsciiText(raw);
}

// As FilterExportValue, appended to out. Plain ASCII, nearly every value, is already UTF-8 and
// goes through the filter's table in one pass.
void appendFiltered(const TDBaseExport& e, std::string_view raw, std::string& out) {
  const ExportCharFilter& f = e.Filter;
  if (passesUnchanged(f, raw)) {
    out.append(raw);
    return;
  }
  if (!f.Active) {
    appendFilteredText(f, raw, out);
    return;
  }
  const size_t start = out.size();
  size_t i = 0;
  while (i < raw.size()) {
    size_t kept = i;
    while (kept < raw.size() && f.Kept[static_cast<unsigned char>(raw[kept])]) ++kept;
    out.append(raw.substr(i, kept - i));
    if (kept == raw.size()) return;
    const auto code = static_cast<unsigned char>(raw[kept]);
    if (code >= 0x80) {
      out.resize(start);
      appendFilteredText(f, raw, out);
      return;
    }
    out.append(f.Ascii[code]);
    i = kept + 1;
  }
}

// The constant ones (line break, tab, blank) keep their values.
void clearValues(TDBaseExport& e, int first, int last) {
  for (int v = first; v <= last && v < kVarCrLf; ++v) e.Variables[v - 1].Value.clear();
}

// Into the value's own text, whose room is kept from line to line; nothing for a value that no
// section writes.
void setFiltered(TDBaseExport& e, int variable, std::string_view text) {
  if (!e.Used[variable - 1]) return;
  std::string& value = e.Variables[variable - 1].Value;
  value.clear();
  appendFiltered(e, text, value);
}

// What append writes, through the filter; formatted into the value itself, which the filter
// seldom changes.
template <typename Append>
void setFormatted(TDBaseExport& e, int variable, Append append) {
  if (!e.Used[variable - 1]) return;
  std::string& value = e.Variables[variable - 1].Value;
  value.clear();
  append(value);
  if (passesUnchanged(e.Filter, value)) return;
  e.Formatted = value;
  value.clear();
  appendFiltered(e, e.Formatted, value);
}

void setSize(TDBaseExport& e, int variable, int64_t bytes) {
  setFormatted(e, variable, [bytes](std::string& out) { AppendSize64(out, bytes); });
}

void setCount(TDBaseExport& e, int variable, int32_t n) {
  setFormatted(e, variable, [n](std::string& out) { AppendThousands(out, n); });
}

std::string percentFree(int32_t freeKB, int32_t sizeKB) {
  if (sizeKB <= 0) return "0%";
  return std::to_string(int64_t{freeKB} * 100 / sizeKB) + "%";
}

// The full description, cut to the template's limits.
std::string fullDescription(const TDBaseExport& e, int32_t offset) {
  std::string text;
  try {
    if (!ApiGetFullDesc(e.DBase, offset, text)) return {};
  } catch (const EKstvDBaseStructException&) {
    return {};
  }
  text = crlfLineBreaks(text);
  if (e.MaxDescLines > 0) {
    int32_t breaks = 0;
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] != '\r' || ++breaks < e.MaxDescLines) continue;
      if (i > 0 && i + 1 < text.size()) text.resize(i);
      break;
    }
  }
  if (e.MaxDescSize > 0 && text.size() > static_cast<size_t>(e.MaxDescSize)) {
    text.resize(utf8CutLength(text, static_cast<size_t>(e.MaxDescSize)));
  }
  return text;
}

void setShortDescription(TDBaseExport& e, int32_t offset) {
  try {
    if (!ApiGetShortDesc(e.DBase, offset, e.ShortDesc)) return;
  } catch (const EKstvDBaseStructException&) {
    return;
  }
  setFiltered(e, kVarShortDesc, e.ShortDesc.view());
}

void setFileName(TDBaseExport& e, std::string_view name, std::string_view ext) {
  std::string& value = e.Variables[kVarFileName - 1].Value;
  if (passesUnchanged(e.Filter, name) && passesUnchanged(e.Filter, ext)) {
    value.assign(name).append(ext);
  } else if (isAsciiText(name) && isAsciiText(ext)) {
    setFiltered(e, kVarFileName, name);
    appendFiltered(e, ext, value);
  } else {
    // Name and extension decoded as one text, as the windows show the full name.
    setFiltered(e, kVarFileName, std::string(name).append(ext));
  }
}

void setFileValues(TDBaseExport& e, std::string_view name, const TFileRecord& data) {
  clearValues(e, kVarFileName, kVarDesc);
  if (e.Used[kVarFileName - 1]) setFileName(e, name, data.Ext.view());
  if (name == "..") {
    setFiltered(e, kVarFileSize, {});
  } else if ((data.Attr & kAttrFolder) != 0) {
    setFiltered(e, kVarFileSize, "(folder)");
  } else {
    setFormatted(e, kVarFileSize,
                 [&](std::string& out) { AppendFileSize(out, data.Size, e.Format.SizeInKB); });
  }
  // Unfiltered, into the values that clearValues emptied.
  const auto dateTime = static_cast<uint32_t>(data.DateTime);
  if (dateTime != 0 && e.Used[kVarFileDate - 1]) {
    AppendDosDate(e.Variables[kVarFileDate - 1].Value, dateTime);
  }
  if (dateTime != 0 && e.Used[kVarFileTime - 1]) {
    AppendDosTime(e.Variables[kVarFileTime - 1].Value, dateTime, e.Format.ShowSeconds);
  }
  if (data.DescOffset != 0 && e.DBase != nullptr) {
    if (e.Used[kVarShortDesc - 1]) setShortDescription(e, data.DescOffset);
    if (e.Used[kVarDesc - 1]) setFiltered(e, kVarDesc, fullDescription(e, data.DescOffset));
  }
}

}  // namespace

void LoadExportFormat(TDBaseExport& e, std::string_view fileName, TDBase* db) {
  TKFileStream file;
  file.Init(fileName, TKFileStream::kModeReadOnly);
  std::string text(file.GetSize(), '\0');
  file.ReadExact(text.data(), text.size());
  file.Done();
  LoadExportFormatText(e, text, db);
}

void LoadExportFormatText(TDBaseExport& e, std::string_view text, TDBase* db) {
  resetExport(e, db);
  // Read as the windows read names, so that its text and the values share one encoding.
  const std::string utf8 = textAsUtf8(text.substr(0, text.find('\0')));
  for (std::string_view line : splitLines(utf8)) {
    std::string_view kept = trimEnd(line, kSpaceAndControls);
    const std::string lower = lowerAscii(trim(line, kSpaceAndControls));
    if (lower.starts_with("//")) continue;
    // A comment may end any line, section text included.
    if (const size_t comment = kept.find("//"); comment != std::string_view::npos) {
      kept = kept.substr(0, comment);
    }
    for (int s = 1; s <= kExportSectionCount; ++s) {
      if (lower.size() == e.IdentifierBegin.size() + kExportSectionNames[s - 1].size() +
                              e.IdentifierEnd.size() &&
          lower == e.IdentifierBegin + std::string(kExportSectionNames[s - 1]) + e.IdentifierEnd) {
        e.CurrentSection = static_cast<uint8_t>(s);
        kept = {};
        break;
      }
    }
    if (e.CurrentSection == 0) {
      if (lower.find(kValidMarker) != std::string::npos) e.Valid = true;
      parseHeaderLine(e, kept);
    } else {
      // Lines join without a break; breaks in the output come from the crlf variable.
      e.Sections[e.CurrentSection - 1].append(kept);
    }
  }
  for (int v = 1; v <= kExportVariableCount; ++v) {
    e.Variables[v - 1].Id =
        lowerAscii(e.IdentifierBegin + std::string(kExportVariableNames[v - 1]) + e.IdentifierEnd);
  }
  for (int s = 0; s < kExportSectionCount; ++s) {
    e.Parsed[s] = parseSection(e, e.Sections[s]);
    for (const ExportPiece& piece : e.Parsed[s]) {
      if (piece.Variable != 0) e.Used[piece.Variable - 1] = true;
    }
  }
  prepareFilter(e);
}

namespace {

// What the stream takes in one write, beside its own buffer.
constexpr size_t kOutputBlock = 64 * 1024;
// A block and the line that passes it, mostly.
constexpr size_t kOutputRoom = kOutputBlock + 4 * 1024;

// Emptied even when the write raises, so that nothing goes out twice.
void writeGathered(TDBaseExport& e) {
  try {
    e.Output.Write(e.Line.view().data(), e.Line.size());
  } catch (...) {
    e.Line.clear();
    throw;
  }
  e.Line.clear();
}

}  // namespace

void TExportText::append(std::string_view text) {
  if (!text.empty()) std::memcpy(extend(text.size()), text.data(), text.size());
}

void TExportText::grow(size_t needed) {
  const size_t capacity = std::max({needed, capacity_ * 2, kOutputRoom});
  auto room = std::make_unique_for_overwrite<char[]>(capacity);
  if (size_ > 0) std::memcpy(room.get(), room_.get(), size_);
  room_ = std::move(room);
  capacity_ = capacity;
}

void OpenExportOutput(TDBaseExport& e, std::string_view fileName) {
  e.Line.clear();
  e.Output.Init(fileName, TKFileStream::kModeCreate);
}

void CloseExportOutput(TDBaseExport& e) {
  clearFolderFiles(e);
  try {
    writeGathered(e);
    e.Output.Flush();
  } catch (...) {
    e.Output.Done();
    throw;
  }
  e.Output.Done();
}

std::string FilterExportValue(const TDBaseExport& e, std::string_view raw) {
  std::string out;
  appendFiltered(e, raw, out);
  return out;
}

namespace {

// The line break, tab and blank are template text, not values.
bool isValuePiece(const ExportPiece& piece) {
  return piece.Variable != 0 && piece.Variable < kVarCrLf;
}

void appendCsvField(std::string& out, std::string_view field, char delimiter) {
  if (field.find_first_of(std::string{delimiter, '"', '\r', '\n'}) == std::string_view::npos) {
    out.append(field);
    return;
  }
  out += '"';
  for (char c : field) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

const std::string& pieceText(const TDBaseExport& e, const ExportPiece& piece) {
  return piece.Variable == 0 ? piece.Text : e.value(piece.Variable);
}

// Sized once, then copied into place: a line is many short pieces, each the text textOf finds.
template <typename Pieces, typename TextOf>
void appendJoined(const Pieces& pieces, TextOf textOf, TExportText& out) {
  size_t length = 0;
  for (const auto& piece : pieces) length += textOf(piece).size();
  char* at = out.extend(length);
  for (const auto& piece : pieces) {
    const std::string& text = textOf(piece);
    // Tabs and other single characters without a call.
    if (text.size() == 1) {
      *at = text[0];
    } else {
      std::memcpy(at, text.data(), text.size());
    }
    at += text.size();
  }
}

// Into out, whose room is kept from section to section.
void appendEscaped(const TDBaseExport& e, const std::vector<ExportPiece>& pieces,
                   std::string& out) {
  for (size_t i = 0; i < pieces.size(); ++i) {
    const ExportPiece& piece = pieces[i];
    if (!isValuePiece(piece)) {
      out.append(pieceText(e, piece));
    } else if (e.Escape == ExportEscape::kHtml) {
      AppendXmlEscaped(out, e.value(piece.Variable));
    } else {
      std::string field = e.value(piece.Variable);
      while (i + 1 < pieces.size() && isValuePiece(pieces[i + 1])) {
        field += e.value(pieces[++i].Variable);
      }
      appendCsvField(out, field, e.CsvDelimiter);
    }
  }
}

void appendPieces(const TDBaseExport& e, const std::vector<ExportPiece>& pieces, TExportText& out,
                  std::string& escaped) {
  if (e.Escape == ExportEscape::kNone) {
    appendJoined(
        pieces, [&e](const ExportPiece& piece) -> auto& { return pieceText(e, piece); }, out);
    return;
  }
  escaped.clear();
  appendEscaped(e, pieces, escaped);
  out.append(escaped);
}

void lineAppended(TDBaseExport& e, size_t start) {
  e.BytesWritten += e.Line.size() - start;
  if (e.Line.size() >= kOutputBlock) writeGathered(e);
}

void writePieces(TDBaseExport& e, const std::vector<ExportPiece>& pieces) {
  if (pieces.empty()) return;
  const size_t start = e.Line.size();
  appendPieces(e, pieces, e.Line, e.Formatted);
  lineAppended(e, start);
}

bool isFileValue(int variable) {
  return variable >= kVarFileName && variable <= kVarDesc;
}

// The section with every value but the file's own in place: of a folder's lines only those
// change, so the rest goes out as one text.
// The pieces' room is kept from folder to folder: every folder has as many.
void bindToFolder(const TDBaseExport& e, int section, ExportBoundSection& bound) {
  size_t count = 0;
  const auto next = [&bound, &count](int variable) -> ExportPiece& {
    if (count == bound.Pieces.size()) bound.Pieces.emplace_back();
    ExportPiece& piece = bound.Pieces[count++];
    piece.Text.clear();
    piece.Variable = variable;
    return piece;
  };
  ExportPiece* literal = nullptr;
  for (const ExportPiece& piece : e.Parsed[section - 1]) {
    if (isFileValue(piece.Variable)) {
      next(piece.Variable);
      literal = nullptr;
      continue;
    }
    if (literal == nullptr) literal = &next(0);
    literal->Text.append(pieceText(e, piece));
  }
  bound.Pieces.resize(count);
  bound.Texts.clear();
  for (const ExportPiece& piece : bound.Pieces) bound.Texts.push_back(&pieceText(e, piece));
}

// Escaped values are left to the unbound section, a CSV field being the text of neighbouring
// values.
void writeFileSection(TDBaseExport& e, int section, const ExportBoundSection& bound) {
  if (e.Escape != ExportEscape::kNone) {
    writePieces(e, e.Parsed[section - 1]);
    return;
  }
  if (bound.Texts.empty()) return;
  const size_t start = e.Line.size();
  appendJoined(
      bound.Texts, [](const std::string* text) -> auto& { return *text; }, e.Line);
  lineAppended(e, start);
}

}  // namespace

std::string ExpandExportSection(const TDBaseExport& e, int section) {
  TExportText out;
  std::string escaped;
  appendPieces(e, e.Parsed[section - 1], out, escaped);
  return std::string(out.view());
}

void WriteExportSection(TDBaseExport& e, int section) {
  writePieces(e, e.Parsed[section - 1]);
}

void ExportDBaseBegin(TDBaseExport& e, const TDatabaseData& database) {
  clearValues(e, 1, kExportVariableCount);
  setFiltered(e, kVarDatabaseName, database.Name);
  setFiltered(e, kVarDatabasePath, database.Path);
  setFiltered(e, kVarNumberOfDisks, std::to_string(database.DiskCount));
  WriteExportSection(e, kSecDatabaseBegin);
}

void ExportDBaseEnd(TDBaseExport& e) {
  WriteExportSection(e, kSecDatabaseEnd);
}

void ExportDiskBegin(TDBaseExport& e, const TDiskData& d) {
  clearValues(e, kVarDiskName, kVarDesc);
  setFiltered(e, kVarDiskName, d.DiskName);
  // kB counts of large disks pass 2^31 bytes: worked in 64 bits.
  setSize(e, kVarDiskSizeKB, int64_t{d.SizeKB} * 1024);
  setSize(e, kVarDiskFreeKB, int64_t{d.FreeKB} * 1024);
  e.setValue(kVarDiskFreePercent, percentFree(d.FreeKB, d.SizeKB));
  setCount(e, kVarFolders, d.Folders);
  setCount(e, kVarFiles, d.Files);
  setCount(e, kVarArchives, d.Archives);
  setCount(e, kVarTotalFilesInArchives, d.FilesInArchives);
  setCount(e, kVarTotalFoldersInArchives, d.FoldersInArchives);
  setSize(e, kVarTotalDataSize, d.DataSize);
  setFiltered(e, kVarOriginalPath, d.ScannedPath);
  setFiltered(e, kVarVolumeLabel, d.VolumeLabel);
  setSize(e, kVarPhysSize, d.PhysSize);
  setSize(e, kVarArchSize, d.ArchSize);
  // Like a file's date, a disk without a scan date shows none rather than a date before 1980.
  if (const auto scanned = static_cast<uint32_t>(d.ScanDateTime); scanned != 0) {
    setFormatted(e, kVarScanDate, [scanned](std::string& out) {
      AppendDosDate(out, scanned);
      out.push_back(' ');
      AppendDosTime(out, scanned, false);
    });
  }
  WriteExportSection(e, kSecDiskBegin);
}

void ExportDiskEnd(TDBaseExport& e) {
  WriteExportSection(e, kSecDiskEnd);
}

void ExportFolderBegin(TDBaseExport& e, const TFolderData& f) {
  clearValues(e, kVarPathToFolder, kVarDesc);
  setFiltered(e, kVarPathToFolder, f.Path);
  setFiltered(e, kVarFolderName, f.Name);
  setSize(e, kVarFolderDataSize, f.DataSize);
  setCount(e, kVarFilesInFolder, f.Files);
  setCount(e, kVarFoldersInFolder, f.Folders);
  setSize(e, kVarPhysFolderDataSize, f.PhysDataSize);
  setCount(e, kVarPhysFilesInFolder, f.PhysFiles);
  setCount(e, kVarPhysFoldersInFolder, f.PhysFolders);
  WriteExportSection(e, kSecFolderBegin);
}

void ExportAddFile(TDBaseExport& e, const TOneFile& entry) {
  ExportFolderFile& file = e.FolderFiles.emplace_back();
  file.Data = entry.Data;
  file.NameOffset = static_cast<uint32_t>(e.FolderText.size());
  file.NameLength = static_cast<uint16_t>(entry.Name.length());
  e.FolderText.append(entry.Name.view());
  // Cut as the file list's keys are, to a short string.
  const size_t keyOffset = e.FolderText.size();
  AppendFileSortKey(e.FolderText, entry, FileLineKind(entry), e.Format.SortCrit, e.Format.Reverse);
  const std::string_view key = std::string_view(e.FolderText).substr(keyOffset);
  e.FolderText.resize(keyOffset + utf8CutLength(key, ShortString::kMaxLength));
  file.KeyOffset = static_cast<uint32_t>(keyOffset);
  file.KeyLength = static_cast<uint16_t>(e.FolderText.size() - keyOffset);
  file.KeyAscii = isAsciiText(std::string_view(e.FolderText).substr(keyOffset));
}

void ExportFolderEnd(TDBaseExport& e) {
  sortFolderFiles(e);
  bindToFolder(e, kSecFile, e.FolderFile);
  bindToFolder(e, kSecDescription, e.FolderDescription);
  const auto n = static_cast<int32_t>(e.FolderFiles.size());
  // A template may ask for no columns or for more than there are entries.
  const int32_t columns = n == 0 ? 1 : std::clamp(e.FileColumns, int32_t{1}, n);
  const int32_t rows = (n + columns - 1) / columns;
  // The row in the column counted along, not divided out for each file.
  int32_t row = 0;
  for (int32_t i = 0; i < n; ++i) {
    const ExportFolderFile& entry = e.FolderFiles[e.FolderOrder[i]];
    setFileValues(e, std::string_view(e.FolderText).substr(entry.NameOffset, entry.NameLength),
                  entry.Data);
    if (i == 0) WriteExportSection(e, kSecFirstColumnBegin);
    if (row == 0) WriteExportSection(e, kSecEachColumnBegin);
    writeFileSection(e, kSecFile, e.FolderFile);
    if (entry.Data.DescOffset != 0) writeFileSection(e, kSecDescription, e.FolderDescription);
    if (++row == rows || i + 1 == n) {
      WriteExportSection(e, kSecEachColumnEnd);
      row = 0;
    }
    if (i + 1 == n) WriteExportSection(e, kSecLastColumnEnd);
    ++e.FilesWritten;
  }
  clearFolderFiles(e);
  WriteExportSection(e, kSecFolderEnd);
}

void TExportWalk::progress(bool& abort) {
  if (progress_) progress_(abort);
}

void ExportFoundFile(TDBaseExport& e, const TDiskData& disk, const TFolderData& folder,
                     const TOneFile& entry) {
  clearValues(e, kVarPathToFolder, kVarDesc);
  setFiltered(e, kVarDiskName, disk.DiskName);
  setFiltered(e, kVarFolderName, folder.Name);
  setFileValues(e, entry.Name.view(), entry.Data);
  // As the found-files window shows a found disk name: neither size nor date.
  if ((entry.Data.Attr & kAttrFolder) == 0 && entry.Data.Size == 0 && entry.Data.DateTime == 0) {
    setFiltered(e, kVarFileSize, "(disk)");
  }
  WriteExportSection(e, kSecFile);
  if (entry.Data.DescOffset != 0) WriteExportSection(e, kSecDescription);
  ++e.FilesWritten;
}

}  // namespace vellomar
