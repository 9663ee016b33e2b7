#include "ui/app/UCommandLine.h"

#include <filesystem>
#include <string_view>
#include <system_error>

#include "platform/PAsciiText.h"
#include "platform/PText.h"

namespace vellomar {

namespace {

constexpr size_t kOptionStringCapacity = ShortString::kMaxLength;

// Linux paths begin with "/" too, so only the shapes of the options themselves count as options.
bool startsWithNoCase(std::string_view text, std::string_view prefix) {
  return sameAsciiIgnoringCase(text.substr(0, prefix.size()), prefix);
}

bool isOptionPart(std::string_view parameter) {
  if (parameter.empty()) return false;
  if (parameter[0] == '-') return true;
  if (parameter.size() == 2 && startsWithNoCase(parameter, "/a")) return true;
  return startsWithNoCase(parameter, "/f:") || startsWithNoCase(parameter, "/s:");
}

// The joined option string is a short string: what does not fit is left out.
void appendCut(std::string& options, std::string_view piece) {
  options += piece;
  options.resize(utf8CutLength(options, kOptionStringCapacity));
}

bool isLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Takes the value of the first occurrence of option out of options. "|" toggles quoting and is
// dropped; outside quotes a blank or "/" ends the value and stays in the string. An option with
// nothing after it stays in the string whole.
void takeOptionValue(std::string& options, std::string_view option, bool lettersOnly,
                     ShortString& value) {
  const size_t at = options.find(option);
  if (at == std::string::npos) return;
  const size_t first = at + option.size();
  if (first >= options.size()) return;
  std::string text;
  bool quoting = false;
  size_t end = options.size();
  for (size_t i = first; i < options.size(); ++i) {
    const char c = options[i];
    if (c == '|') {
      quoting = !quoting;
      continue;
    }
    if (!quoting && (c == ' ' || c == '/')) {
      end = i;
      break;
    }
    // Drive letters only: anything else in /s: would be scanned as a drive.
    if (lettersOnly && !isLetter(c)) continue;
    text += c;
  }
  options.erase(at, end - at);
  value = ShortString(text);
}

}  // namespace

std::vector<std::string> programParameters(int argc, char** argv) {
  std::vector<std::string> parameters;
  for (int i = 1; i < argc; ++i) parameters.emplace_back(argv[i]);
  return parameters;
}

bool expandToFullPath(const std::string& parameter, ShortString& fullPath) {
  if (parameter.empty()) return false;
  std::error_code error;
  const std::filesystem::path full = std::filesystem::absolute(parameter, error);
  if (error) return false;
  const std::string text = full.lexically_normal().string();
  if (text.size() > static_cast<size_t>(ShortString::kMaxLength)) return false;
  fullPath = ShortString(text);
  return true;
}

TCommandLineParse ParseCommandLine(const std::vector<std::string>& parameters,
                                   const ExpandPath& expand) {
  TCommandLineParse parse;
  TCommandLine& line = parse.Line;
  const auto fail = [&parse](std::string text) {
    parse.Messages.push_back({std::move(text), kCommandLineErrorCaption});
    parse.Ok = false;
  };

  std::string options;
  bool quoting = false;
  for (const std::string& parameter : parameters) {
    if (!quoting && !isOptionPart(parameter)) {
      ShortString full;
      if (!line.CmdDatabase.empty() || !expand(parameter, full)) {
        fail("Invalid parameter: " + parameter);
        break;
      }
      line.CmdDatabase = full;
      continue;
    }
    for (const char c : parameter) {
      if (c == '|') quoting = !quoting;
    }
    appendCut(options, parameter);
    // The blank that split a quoted value into two parameters.
    if (quoting) appendCut(options, " ");
  }

  options = lowerText(options);
  options.resize(utf8CutLength(options, kOptionStringCapacity));

  takeOptionValue(options, "/f:", false, line.CmdFindText);
  takeOptionValue(options, "/s:", true, line.CmdScanDrives);
  if (const size_t at = options.find("/a"); at != std::string::npos) {
    options.erase(at, 2);
    line.CmdAutoMode = true;
  }

  if (!line.CmdScanDrives.empty() && !line.CmdFindText.empty()) {
    fail("Options /f and /s cannot be mixed on command line.");
  }
  if (!options.empty()) {
    fail("Invalid option: " + options);
  }
  if (!parse.Ok) line = TCommandLine{};
  return parse;
}

}  // namespace vellomar
