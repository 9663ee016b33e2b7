#pragma once

#include "engine/UEngineInternal.h"

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/UArchiveEntry.h"

namespace vellomar {

// How a format stores a member's name.
enum class NameCoding : uint8_t {
  kOem,   // the archiver's DOS code page: every name its format does not mark as Unicode
  kUtf8,  // marked as Unicode by its format
};

// A member's place in its archive.
struct MemberName {
  std::string folder;  // "\" + each folder followed by "\"; "\" in the archive's root
  std::string name;    // the last part; empty where the stored name names a folder or nothing
};

// The one rule by which every reader takes a stored name: a zero byte ends it; it is read in its
// coding and its last 255 bytes are kept; "/" separates folders as "\" does; a leading drive
// ("C:") and every empty, "." and ".." part are dropped, so that no member lies above the
// archive's top, in a folder "." or "..", or under a blank name.
MemberName memberName(std::string_view stored, NameCoding coding);

// The member's folder and name as one path inside the archive, without the leading "\".
std::string memberPath(const MemberName& member);

// Appends the member, unless its name is empty, "." or "..".
void addArchiveMember(TArchiveEntryList& list, const MemberName& member, uint8_t attr,
                      int32_t dateTime, uint32_t size, int32_t headerOffset);

}  // namespace vellomar
