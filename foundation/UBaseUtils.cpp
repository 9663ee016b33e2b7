#include "foundation/UBaseUtils.h"

#include <fcntl.h>
#include <langinfo.h>
#include <locale.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <optional>

#include "platform/PAsciiText.h"
#include "platform/PKernelFile.h"
#include "platform/PPaths.h"
#include "platform/PVolumes.h"

namespace vellomar {

namespace {

constexpr char kBackslash = '\\';

// ---- Locale data ----

// strftime shorthands spelled out, so the fields and separators can be read off.
std::string expandShorthands(std::string_view format) {
  std::string out;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%' || i + 1 == format.size()) {
      out.push_back(format[i]);
      continue;
    }
    const char c = format[++i];
    switch (c) {
      case 'D':
        out += "%m/%d/%y";
        break;
      case 'F':
        out += "%Y-%m-%d";
        break;
      case 'T':
        out += "%H:%M:%S";
        break;
      case 'R':
        out += "%H:%M";
        break;
      case 'r':
        out += "%I:%M:%S %p";
        break;
      default:
        out.push_back('%');
        out.push_back(c);
    }
  }
  return out;
}

// The text between the first two conversions of a format ("." of "%d.%m.%Y").
std::string firstSeparator(std::string_view format, std::string_view fallback) {
  size_t start = format.find('%');
  if (start == std::string_view::npos) return std::string(fallback);
  // Past the conversion with its flags and width ("%-d", "%Ey", "%4Y").
  start = format.find_first_not_of("-_0^#EO123456789", start + 1);
  if (start == std::string_view::npos) return std::string(fallback);
  ++start;
  const size_t next = format.find('%', start);
  if (next == std::string_view::npos || next == start) return std::string(fallback);
  return std::string(format.substr(start, next - start));
}

std::string langinfo(nl_item item, locale_t locale, const char* fallback) {
  const char* value = locale != nullptr ? nl_langinfo_l(item, locale) : nullptr;
  return value != nullptr ? value : fallback;
}

// The user's locale for the whole run; "C" when it is not installed.
locale_t userLocale() {
  static const locale_t locale = [] {
    locale_t user = newlocale(LC_ALL_MASK, "", nullptr);
    return user != nullptr ? user : newlocale(LC_ALL_MASK, "C", nullptr);
  }();
  return locale;
}

DisplayLocale readDisplayLocale() {
  const locale_t locale = userLocale();
  DisplayLocale result;
  result.shortDateFormat = expandShorthands(langinfo(D_FMT, locale, "%m/%d/%y"));
  result.dateSeparator = firstSeparator(result.shortDateFormat, "/");
  result.timeSeparator = firstSeparator(expandShorthands(langinfo(T_FMT, locale, "%H:%M:%S")), ":");
  result.thousandsSeparator = langinfo(THOUSEP, locale, "");
  result.decimalSeparator = langinfo(RADIXCHAR, locale, ".");
  if (result.decimalSeparator.empty()) result.decimalSeparator = ".";
  return result;
}

uint8_t initialDateOrder() {
  return dateOrderOf(displayLocale().shortDateFormat);
}

// ---- Host paths ----

namespace fs = std::filesystem;

// Where a name of the program's lies on this machine; none without a drive that holds it.
std::optional<fs::path> hostPath(std::string_view systemPath) {
  const std::optional<std::string> path = toLinuxPath(std::string(systemPath));
  if (!path) return std::nullopt;
  return fs::path(*path);
}

fs::file_status statusOf(std::string_view systemPath) {
  const std::optional<fs::path> path = hostPath(systemPath);
  std::error_code error;
  return path ? fs::status(*path, error) : fs::file_status(fs::file_type::not_found);
}

// ---- Numbers ----

// The decimal digits of value, written at the end of room; the first of them.
char* digitsBefore(char* end, uint64_t value) {
  do {
    *--end = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  return end;
}

// Characters put together on the stack and handed to the text in one append: a value is a few
// bytes, and growing a string a character at a time costs more than working out its digits.
class Gathered {
 public:
  explicit Gathered(std::string& out) : out_(out) {}
  Gathered(const Gathered&) = delete;
  Gathered& operator=(const Gathered&) = delete;

  void put(char c) {
    if (count_ == sizeof room_) flush();
    room_[count_++] = c;
  }
  void put(std::string_view text) {
    // Separators and units are mostly a character or two: a call to copy them costs more.
    if (text.size() <= 2) {
      for (const char c : text) put(c);
      return;
    }
    if (count_ + text.size() > sizeof room_) flush();
    if (text.size() > sizeof room_) {
      out_.append(text);
      return;
    }
    std::memcpy(room_ + count_, text.data(), text.size());
    count_ += text.size();
  }
  // Once, at the end.
  void flush() {
    out_.append(room_, count_);
    count_ = 0;
  }

 private:
  std::string& out_;
  char room_[48];
  size_t count_ = 0;
};

// Digits with sep between groups of three from the right; the sign goes before the digits.
void putGrouped(Gathered& text, int64_t value, std::string_view sep) {
  const uint64_t magnitude =
      value < 0 ? uint64_t{0} - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  char room[20];
  char* const end = room + sizeof room;
  const char* digits = digitsBefore(end, magnitude);
  const auto count = static_cast<size_t>(end - digits);
  if (value < 0) text.put('-');
  if (count <= 3) {
    for (size_t i = 0; i < count; ++i) text.put(digits[i]);
    return;
  }
  for (size_t i = 0; i < count; ++i) {
    if (i > 0 && (count - i) % 3 == 0) text.put(sep);
    text.put(digits[i]);
  }
}

// The "%2.<decimals>n" of the size display: locale separators, width 2, half away from zero.
void putNumber(Gathered& text, double value, int decimals) {
  const DisplayLocale& locale = displayLocale();
  const int64_t scale = decimals == 2 ? 100 : decimals == 1 ? 10 : 1;
  const auto scaled =
      static_cast<int64_t>(std::llround(std::fabs(value) * static_cast<double>(scale)));
  const bool negative = value < 0 && scaled != 0;
  // Only a single digit is narrower than the width.
  if (decimals == 0 && !negative && scaled < 10) text.put(' ');
  if (negative) text.put('-');
  // Divided by constants, which cost a multiplication, not a division.
  const int64_t whole = decimals == 2 ? scaled / 100 : decimals == 1 ? scaled / 10 : scaled;
  putGrouped(text, whole, locale.thousandsSeparator);
  if (decimals > 0) {
    text.put(locale.decimalSeparator);
    const auto fraction = static_cast<int>(scaled - whole * scale);
    if (decimals == 2) text.put(static_cast<char>('0' + fraction / 10));
    text.put(static_cast<char>('0' + fraction % 10));
  }
}

// Two decimals below 10, one from 10 on.
void putUnit(Gathered& text, double value, std::string_view unit) {
  putNumber(text, value, value < 10 ? 2 : 1);
  text.put(' ');
  text.put(unit);
}

// A ShortString of what append writes, for the callers that keep one.
template <typename Append>
ShortString formatted(Append append) {
  std::string text;
  append(text);
  return ShortString(text);
}

// ---- DOS date-time fields ----

unsigned dosYear(uint32_t dt) {
  return 1980 + (dt >> 25);
}
unsigned dosMonth(uint32_t dt) {
  return (dt >> 21) & 0x0F;
}
unsigned dosDay(uint32_t dt) {
  return (dt >> 16) & 0x1F;
}

// A field of a date or time: below 100, with a leading zero below 10 where it has two digits.
struct DateField {
  unsigned value;
  bool twoDigits;
};

char* fieldDigits(char* at, DateField field) {
  if (field.value >= 10 || field.twoDigits) *at++ = static_cast<char>('0' + field.value / 10);
  *at++ = static_cast<char>('0' + field.value % 10);
  return at;
}

// The longest separator put together with the fields on the stack; a longer one goes straight
// to the text.
constexpr size_t kShortSeparator = 8;

// The fields with sep between them, appended in one piece: a date or time is a few bytes.
void putFields(std::string& out, std::string_view sep, std::initializer_list<DateField> fields) {
  char room[3 * 2 + 2 * kShortSeparator];
  char* at = room;
  bool first = true;
  for (const DateField& field : fields) {
    if (!first && sep.size() == 1) {
      *at++ = sep[0];
    } else if (!first && sep.size() <= kShortSeparator) {
      at = std::copy(sep.begin(), sep.end(), at);
    } else if (!first) {
      out.append(room, static_cast<size_t>(at - room)).append(sep);
      at = room;
    }
    first = false;
    at = fieldDigits(at, field);
  }
  out.append(room, static_cast<size_t>(at - room));
}

// Two fields, then the year in two digits, with the locale's date separator.
void putDate(std::string& out, unsigned first, unsigned second, unsigned year) {
  putFields(out, displayLocale().dateSeparator,
            {{first, false}, {second, false}, {year % 100, true}});
}

void putDayMonthYear(std::string& out, uint32_t dt) {
  putDate(out, dosDay(dt), dosMonth(dt), dosYear(dt));
}

std::chrono::year_month_day calendarDateOf(uint32_t dt) {
  return {std::chrono::year(static_cast<int>(dosYear(dt))), std::chrono::month(dosMonth(dt)),
          std::chrono::day(dosDay(dt))};
}

// Read from a damaged or foreign file, fields may hold what no clock shows ("15/31/07 31:63").
bool isClockTime(uint32_t dt) {
  return ((dt >> 11) & 0x1F) < 24 && ((dt >> 5) & 0x3F) < 60 && (dt & 0x1F) < 30;
}

void putLocaleShortDate(std::string& out, uint32_t dt) {
  const std::chrono::year_month_day date = calendarDateOf(dt);
  std::tm tm{};
  tm.tm_year = static_cast<int>(dosYear(dt)) - 1900;
  tm.tm_mon = static_cast<int>(dosMonth(dt)) - 1;
  tm.tm_mday = static_cast<int>(dosDay(dt));
  tm.tm_wday = std::chrono::weekday(std::chrono::sys_days(date)).c_encoding();
  char shown[ShortString::kMaxLength + 1];
  const size_t length =
      userLocale() != nullptr
          ? strftime_l(shown, sizeof shown, displayLocale().shortDateFormat.c_str(), &tm,
                       userLocale())
          : std::strftime(shown, sizeof shown, displayLocale().shortDateFormat.c_str(), &tm);
  if (length > 0) {
    out.append(shown, length);
  } else {
    putDayMonthYear(out, dt);
  }
}

int32_t counter = 0;

}  // namespace

uint8_t DateOrder = initialDateOrder();
uint8_t LocaleDateOrder = DateOrder;
int32_t KiloUnit = 1024;

DisplayLocale& displayLocale() {
  static DisplayLocale locale = readDisplayLocale();
  return locale;
}

uint8_t dateOrderOf(std::string_view shortDateFormat) {
  const auto position = [&](const char* conversions) {
    size_t best = std::string_view::npos;
    for (const char* c = conversions; *c != '\0'; ++c) {
      const char pattern[] = {'%', *c, '\0'};
      best = std::min(best, shortDateFormat.find(pattern));
    }
    return best;
  };
  const size_t d = position("de");
  const size_t m = position("mbB");
  const size_t y = position("yY");
  if (d == std::string_view::npos || m == std::string_view::npos || y == std::string_view::npos) {
    return 2;
  }
  if (m < d && d < y) return 0;
  if (y < m && m < d) return 1;
  return 2;
}

// ---- Paths ----

void SplitFileName(const ShortString& path, ShortString& dir, ShortString& name, ShortString& ext) {
  std::string_view rest = path.view();
  std::string folder;
  const size_t colon = rest.find(':');
  if (colon != std::string_view::npos) {
    folder = rest.substr(0, colon + 1);
    rest.remove_prefix(colon + 1);
  }
  const size_t dot = rest.rfind('.');
  const bool hasExtension = dot != std::string_view::npos && rest.size() - dot <= 4;
  const size_t slash = rest.rfind(kBackslash);
  const size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
  ext = ShortString();
  if (hasExtension && dot >= nameStart) {
    ext = rest.substr(dot);
    rest = rest.substr(0, dot);
  }
  folder += rest.substr(0, nameStart);
  dir = ShortString(folder);
  name = rest.substr(nameStart);
}

ShortString ExtractDirShort(const ShortString& path) {
  const size_t slash = path.view().rfind(kBackslash);
  if (slash == std::string_view::npos || slash == 0) return {};
  return path.view().substr(0, slash);
}

ShortString ShortenPath(const ShortString& path, int maxLength, char separator) {
  std::string text = path.str();
  const size_t first = text.find(separator);
  if (maxLength >= static_cast<int>(text.size()) || first == std::string::npos) return path;
  size_t kept = std::string::npos;
  while (static_cast<int>(text.size()) > maxLength) {
    size_t next = text.find(separator, first + 1);
    if (next == kept) next = text.find(separator, next + 1);
    if (next == std::string::npos) break;
    text.replace(first + 1, next - first - 1, "...");
    kept = first + 4;
  }
  return ShortString(text);
}

ShortString CutPathToTail(std::string_view path, int capacity) {
  const auto room = static_cast<size_t>(std::clamp(capacity, 0, ShortString::kMaxLength));
  if (path.size() <= room) return ShortString(path);
  if (room < kCutPathMarker.size()) return {};
  std::string_view tail = path.substr(path.size() - (room - kCutPathMarker.size()));
  // A final "\" ends the last name and begins none.
  const size_t slash = tail.substr(0, tail.size() - 1).find(kBackslash);
  if (slash != std::string_view::npos) {
    tail.remove_prefix(slash);
  } else {
    // Never from inside a character: UTF-8 continuation bytes are 10xxxxxx.
    for (int i = 0; i < 3 && !tail.empty() && (static_cast<uint8_t>(tail[0]) & 0xC0) == 0x80; ++i) {
      tail.remove_prefix(1);
    }
  }
  return ShortString(std::string(kCutPathMarker) + std::string(tail));
}

bool IsCutPath(std::string_view path) {
  return path.starts_with(kCutPathMarker);
}

ShortString GetProgramDir() {
  const std::string program = kernelProgramPath();
  if (program.empty()) return {};
  const std::optional<std::string> systemPath = toSystemPath(program);
  if (!systemPath) return {};
  ShortString dir, name, ext;
  SplitFileName(ShortString(*systemPath), dir, name, ext);
  return dir;
}

// ---- Files ----

bool FileExistsShort(const ShortString& name) {
  const fs::file_status status = statusOf(name.view());
  return fs::exists(status) && !fs::is_directory(status);
}

bool DirectoryExistsShort(const ShortString& path) {
  std::string_view text = path.view();
  if (text.size() == 3 && text[1] == ':' && text[2] == kBackslash) return true;
  if (!text.empty() && text.back() == kBackslash) text.remove_suffix(1);
  return fs::is_directory(statusOf(text));
}

namespace {

PathKind kindOf(const fs::file_status& status) {
  switch (status.type()) {
    case fs::file_type::regular:
      return PathKind::kFile;
    case fs::file_type::directory:
      return PathKind::kFolder;
    case fs::file_type::fifo:
      return PathKind::kPipe;
    case fs::file_type::block:
    case fs::file_type::character:
      return PathKind::kDevice;
    case fs::file_type::none:
    case fs::file_type::not_found:
      return PathKind::kMissing;
    default:
      return PathKind::kOther;
  }
}

}  // namespace

PathKind HostPathKind(const std::string& hostPath) {
  std::error_code error;
  return kindOf(fs::status(hostPath, error));
}

PathKind SystemPathKind(std::string_view systemPath) {
  if (systemPath.size() == 3 && systemPath[1] == ':' && systemPath[2] == kBackslash) {
    return PathKind::kFolder;
  }
  return kindOf(statusOf(systemPath));
}

std::string_view PathKindName(PathKind kind) {
  switch (kind) {
    case PathKind::kFile:
      return "a file";
    case PathKind::kFolder:
      return "a folder";
    case PathKind::kPipe:
      return "a named pipe";
    case PathKind::kDevice:
      return "a device";
    case PathKind::kOther:
      return "a special file";
    case PathKind::kMissing:
      break;
  }
  return "nothing";
}

bool CanCreateFile(const ShortString& name) {
  const std::optional<fs::path> path = hostPath(name.view());
  if (!path) return false;
  std::error_code error;
  const fs::file_status status = fs::symlink_status(*path, error);
  if (fs::exists(status)) {
    return fs::is_regular_file(fs::status(*path, error)) && access(path->c_str(), W_OK) == 0;
  }
  // O_EXCL: the test file is ours alone, so removing it again can never lose anyone's data.
  const int fd = open(path->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  close(fd);
  unlink(path->c_str());
  return true;
}

// ---- Disk space ----

int32_t diskKB(uint64_t bytes) {
  uint64_t kb = bytes / 1024;
  const uint64_t rest = bytes % 1024;
  if (rest > 512 || (rest == 512 && kb % 2 == 1)) ++kb;
  return static_cast<int32_t>(std::min<uint64_t>(kb, INT32_MAX));
}

void GetDiskSpaceKB(int drive, int32_t& totalKB, int32_t& freeKB, int32_t& bytesPerSector,
                    int32_t& sectorsPerCluster) {
  totalKB = freeKB = bytesPerSector = sectorsPerCluster = 0;
  if (drive < 1 || drive > 26) return;
  const DiskSpace space = diskSpace(std::string(1, static_cast<char>('A' + drive - 1)) + ":\\");
  if (!space.ok) return;
  totalKB = diskKB(space.totalBytes);
  freeKB = diskKB(space.freeBytes);
}

// ---- Texts ----

ShortString TrimSpaces(const ShortString& s) {
  return trim(s.view(), kSpaces);
}

ShortString RemoveDoubleSpaces(const ShortString& s) {
  const ShortString trimmed = TrimSpaces(s);
  std::string out;
  for (const char c : trimmed.view()) {
    if (c != ' ' || out.empty() || out.back() != ' ') out.push_back(c);
  }
  return ShortString(out);
}

namespace {

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

// A control character other than TAB, LF and CR, which XML and HTML forbid as characters and as
// references: its bytes at the front of text (one, or two for a C1 control written as UTF-8),
// else 0.
size_t controlCharacterLength(std::string_view text) {
  const auto c = static_cast<unsigned char>(text[0]);
  if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F) return 1;
  if (c == 0xC2 && text.size() > 1) {
    const auto next = static_cast<unsigned char>(text[1]);
    if (next >= 0x80 && next < 0xA0) return 2;
  }
  return 0;
}

bool needsXmlEscape(unsigned char c) {
  return c < 0x20 || c == 0x7F || c == 0xC2 || c == '&' || c == '<' || c == '>' || c == '"';
}

}  // namespace

void AppendXmlEscaped(std::string& out, std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    size_t plain = i;
    while (plain < text.size() && !needsXmlEscape(static_cast<unsigned char>(text[plain]))) {
      ++plain;
    }
    out.append(text.substr(i, plain - i));
    if (plain == text.size()) return;
    i = plain;
    if (const size_t control = controlCharacterLength(text.substr(i)); control != 0) {
      out.append(kReplacementCharacter);
      i += control;
      continue;
    }
    switch (text[i]) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += text[i];
    }
    ++i;
  }
}

std::string xmlEscaped(std::string_view text) {
  std::string out;
  AppendXmlEscaped(out, text);
  return out;
}

bool SamePrefix(const ShortString& a, const ShortString& b, uint16_t n) {
  if (n <= 1) return true;
  const size_t count = n - 1u;
  const std::string_view pa = a.view().substr(0, count);
  const std::string_view pb = b.view().substr(0, count);
  return pa == pb;
}

void AppendPacked(bool countOnly, const ShortString& s, char*& cursor, size_t& total) {
  total += static_cast<size_t>(s.length());
  if (countOnly) return;
  std::memcpy(cursor, s.data(), static_cast<size_t>(s.length()));
  cursor += s.length();
}

int32_t NextCounter() {
  counter = static_cast<int32_t>(static_cast<uint32_t>(counter) + 1);
  return counter;
}

// ---- DOS dates and times ----

uint32_t EncodeDosDateTime(const DateTimeParts& parts) {
  if (parts.year < 1980) return EncodeDosDateTime({1980, 1, 1, 0, 0, 0});
  if (parts.year > 2107) return EncodeDosDateTime({2107, 12, 31, 23, 59, 58});
  return (uint32_t{parts.year - 1980u} << 25) | ((parts.month & 0x0Fu) << 21) |
         ((parts.day & 0x1Fu) << 16) | ((parts.hour & 0x1Fu) << 11) |
         ((parts.minute & 0x3Fu) << 5) | ((parts.second / 2u) & 0x1Fu);
}

void AppendDosTime(std::string& out, uint32_t dosDateTime, bool withSeconds) {
  if (!isClockTime(dosDateTime)) return;
  const std::string& sep = displayLocale().timeSeparator;
  const DateField hours{(dosDateTime >> 11) & 0x1F, false};
  const DateField minutes{(dosDateTime >> 5) & 0x3F, true};
  if (withSeconds) {
    putFields(out, sep, {hours, minutes, {(dosDateTime & 0x1F) * 2, true}});
  } else {
    putFields(out, sep, {hours, minutes});
  }
}

void AppendDosDate(std::string& out, uint32_t dosDateTime) {
  const uint32_t dt = dosDateTime;
  if (!calendarDateOf(dt).ok()) return;
  switch (DateOrder) {
    case 0:
      putDate(out, dosMonth(dt), dosDay(dt), dosYear(dt));
      break;
    case 1:
      putFields(out, displayLocale().dateSeparator,
                {{dosYear(dt) % 100, true}, {dosMonth(dt), false}, {dosDay(dt), false}});
      break;
    case 3:
      putLocaleShortDate(out, dt);
      break;
    default:
      putDayMonthYear(out, dt);
  }
}

ShortString FormatDosTime(uint32_t dosDateTime, bool withSeconds) {
  return formatted([&](std::string& out) { AppendDosTime(out, dosDateTime, withSeconds); });
}

ShortString FormatDosDate(uint32_t dosDateTime) {
  return formatted([&](std::string& out) { AppendDosDate(out, dosDateTime); });
}

// ---- Sizes ----

void AppendSizeShort(std::string& out, int32_t bytes, bool inKB) {
  Gathered text(out);
  const double value = static_cast<double>(bytes) / KiloUnit;
  if (!inKB) {
    putGrouped(text, bytes, " ");
  } else if (value < KiloUnit) {
    putUnit(text, value, "kB");
  } else {
    putUnit(text, value / KiloUnit, "MB");
  }
  text.flush();
}

void AppendSize64(std::string& out, int64_t bytes) {
  Gathered text(out);
  if (bytes == 0) {
    text.put('0');
  } else if (bytes <= KiloUnit) {
    putNumber(text, static_cast<double>(bytes), 0);
    text.put(" B");
  } else {
    const double kilo = static_cast<double>(bytes) / KiloUnit;
    const double mega = kilo / KiloUnit;
    if (kilo < KiloUnit) {
      putUnit(text, kilo, "kB");
    } else if (mega < KiloUnit) {
      putUnit(text, mega, "MB");
    } else {
      putUnit(text, mega / KiloUnit, "GB");
    }
  }
  text.flush();
}

void AppendThousands(std::string& out, int64_t n) {
  Gathered text(out);
  putGrouped(text, n, " ");
  text.flush();
}

ShortString FormatSizeShort(int32_t bytes, bool inKB) {
  return formatted([&](std::string& out) { AppendSizeShort(out, bytes, inKB); });
}

ShortString FormatSize64(int64_t bytes) {
  return formatted([&](std::string& out) { AppendSize64(out, bytes); });
}

ShortString FormatThousands(int32_t n) {
  return formatted([&](std::string& out) { AppendThousands(out, n); });
}

}  // namespace vellomar
