#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <string_view>
#include <variant>

#include "foundation/UIniFile.h"

namespace vellomar {

// One switch or number of a dialog's controls as Settings.ini keeps it. A stored number outside
// Low..High reads as Default, as a missing one does.
template <class Controls>
struct SwitchKey {
  bool Controls::*Member;
  bool Default;
};
template <class Controls>
struct NumberKey {
  int32_t Controls::*Member;
  int32_t Low;
  int32_t High;
  int32_t Default;
};
template <class Controls>
struct ControlKey {
  const char* Key;
  std::variant<SwitchKey<Controls>, NumberKey<Controls>> Value;
};

// Reads and writes the keys of one table, so a key and its default are named once.
template <class Controls>
void readControlKeys(const IniFile& ini, std::string_view section,
                     std::span<const ControlKey<Controls>> keys, Controls& controls) {
  for (const ControlKey<Controls>& k : keys) {
    if (const auto* s = std::get_if<SwitchKey<Controls>>(&k.Value)) {
      controls.*s->Member = ini.readBool(section, k.Key, s->Default);
    } else {
      const auto& n = std::get<NumberKey<Controls>>(k.Value);
      controls.*n.Member = ini.readInteger(section, k.Key, n.Default, n.Low, n.High);
    }
  }
}

// A number is written inside its range: a control with no choice made stores the lowest.
template <class Controls>
void writeControlKeys(IniFile& ini, std::string_view section,
                      std::span<const ControlKey<Controls>> keys, const Controls& controls) {
  for (const ControlKey<Controls>& k : keys) {
    if (const auto* s = std::get_if<SwitchKey<Controls>>(&k.Value)) {
      ini.writeBool(section, k.Key, controls.*s->Member);
    } else {
      const auto& n = std::get<NumberKey<Controls>>(k.Value);
      ini.writeInteger(section, k.Key, std::clamp<int32_t>(controls.*n.Member, n.Low, n.High));
    }
  }
}

}  // namespace vellomar
