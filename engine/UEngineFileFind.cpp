#include "engine/UEngineFileFind.h"

#include <string>

#include "engine/UEntryRecords.h"
#include "engine/UMasks.h"

namespace vellomar {

TFoundItem::~TFoundItem() {
  DisposeShortStr(DiskName);
  DisposeShortStr(FolderPath);
  DisposeShortStr(Name);
  DisposeShortStr(ShortDesc);
}

TFoundItem* NewFoundItem(const TOneFile& line, const ShortString& shortDesc,
                         const ShortString& path, const ShortString& diskName) {
  auto* item = new TFoundItem;
  item->DiskName = NewShortStr(diskName);
  item->FolderPath = NewShortStr(path);
  item->Name = NewShortStr(line.Name);
  item->ShortDesc = NewShortStr(shortDesc);
  item->Ext = line.Data.Ext;
  item->Kind = (line.Data.Attr & kAttrFolder) ? kFoundFolder : kFoundFile;
  item->Attr = line.Data.Attr;
  item->DateTime = line.Data.DateTime;
  item->Size = line.Data.Size;
  item->DescOffset = line.Data.DescOffset;
  item->EntryOffset = line.EntryOffset;
  return item;
}

TFoundItem* NewFoundFolderItem(const ShortString& diskName, int32_t dateField, int32_t sizeField,
                               const ShortString& text) {
  auto* item = new TFoundItem;
  item->DiskName = NewShortStr(diskName);
  item->ShortDesc = NewShortStr(text);
  item->DateTime = dateField;
  item->Size = sizeField;
  return item;
}

bool DiskInScope(const TKeyField& keys, int32_t index, SearchScope scope) {
  if (index < 0 || index >= keys.LiveCount || index >= keys.count()) return false;
  const bool selected = (keys.Keys[static_cast<size_t>(index)].Flags & kKeySelected) != 0;
  switch (scope) {
    case SearchScope::kWholeDatabase:
      return true;
    case SearchScope::kCurrentDisk:
      return index == keys.CurrentIndex;
    case SearchScope::kSelectedDisks:
      return selected;
    case SearchScope::kNotSelectedDisks:
      return !selected;
  }
  return false;
}

bool PassesSearchLimits(const TSearchDlgData& request,
                        const TItemCollection<TMaskItem>& excludeMasks, const TOneFile& line) {
  const auto dateTime = static_cast<uint32_t>(line.Data.DateTime);
  const auto size = static_cast<uint32_t>(line.Data.Size);
  if (request.DateFrom > 0 && dateTime < request.DateFrom) return false;
  if (request.DateTo > 0 && dateTime >= request.DateTo) return false;
  if (request.SizeFrom > 0 && size < request.SizeFrom) return false;
  if (request.SizeTo > 0 && size > request.SizeTo) return false;
  if (excludeMasks.Count() == 0) return true;
  const std::string fullName = line.Name.str() + std::string(line.Data.Ext.view());
  for (const TMaskItem* mask : excludeMasks.Items()) {
    if (MatchesMask(GetPStr(mask->Mask).view(), fullName, false, true)) return false;
  }
  return true;
}

}  // namespace vellomar
