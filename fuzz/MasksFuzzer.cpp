// Mask texts as typed into the search dialogs and description-import tables as stored in a
// database, matched against names and description texts. The first byte holds the switches;
// the rest is the mask text, a newline, then the name or text it is matched against.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/UMasks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vellomar;
  if (size == 0) return 0;
  const uint8_t switches = data[0];
  const auto on = [switches](int bit) { return (switches >> bit & 1) != 0; };
  const std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
  const size_t split = input.find('\n');
  const std::string_view maskText = input.substr(0, split);
  const std::string_view text = split == std::string_view::npos ? "" : input.substr(split + 1);

  TItemCollection<TMaskItem> table(10, 10);
  TItemCollection<TFilterModule> modules(10, 10);
  ParseMaskList(input, table, modules, on(0));

  TItemCollection<TMaskItem> masks(10, 10);
  ParseMaskListEx(maskText, masks, on(0), on(1), on(2));
  for (int32_t i = 0; i < masks.Count(); ++i) {
    const ShortString mask = GetPStr(masks.ItemAt(i)->Mask);
    MatchesMask(mask.view(), text, on(0), on(3));
    FindMaskInText(mask.view(), text, on(0), on(4), on(5));
  }
  FindLastPattern(std::span<const uint8_t>(data + 1, size - 1), maskText);
  FindWildPos(maskText, text);
  FindWildInText(maskText, text);
  FindWildInTextConv(maskText, text, on(5), on(0));
  return 0;
}
