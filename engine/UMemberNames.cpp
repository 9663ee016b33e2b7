#include "engine/UMemberNames.h"

#include <memory>

#include "engine/UArchiveFile.h"
#include "platform/PText.h"

namespace vellomar {
namespace {

constexpr std::string_view kSeparators = "\\/";

bool isDrive(std::string_view text) {
  if (text.size() < 2 || text[1] != ':') return false;
  const char letter = static_cast<char>(text[0] | 0x20);
  return letter >= 'a' && letter <= 'z';
}

bool isFolderPart(std::string_view part) {
  return part.empty() || part == "." || part == "..";
}

}  // namespace

MemberName memberName(std::string_view stored, NameCoding coding) {
  stored = untilZero(stored);
  const std::string text = coding == NameCoding::kUtf8 ? std::string(stored) : oemToText(stored);
  std::string_view rest = keepTail(text, TArchiveEntry::kMaxText);
  if (isDrive(rest)) rest.remove_prefix(2);
  const size_t lastSeparator = rest.find_last_of(kSeparators);
  const std::string_view name =
      lastSeparator == std::string_view::npos ? rest : rest.substr(lastSeparator + 1);
  MemberName member{"\\", isFolderPart(name) ? std::string() : std::string(name)};
  rest.remove_suffix(name.size());
  while (!rest.empty()) {
    const size_t cut = std::min(rest.find_first_of(kSeparators), rest.size());
    const std::string_view part = rest.substr(0, cut);
    rest.remove_prefix(std::min(cut + 1, rest.size()));
    if (!isFolderPart(part)) member.folder.append(part).push_back('\\');
  }
  return member;
}

std::string memberPath(const MemberName& member) {
  return member.folder.substr(1) + member.name;
}

void addArchiveMember(TArchiveEntryList& list, const MemberName& member, uint8_t attr,
                      int32_t dateTime, uint32_t size, int32_t headerOffset) {
  if (isFolderPart(member.name)) return;
  list.Append(std::make_unique<TArchiveEntry>(member.folder, member.name, attr, dateTime, size,
                                              headerOffset));
}

}  // namespace vellomar
