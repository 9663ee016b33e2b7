#include "engine/api/USearchDlgData.h"

namespace vellomar {

namespace {

constexpr size_t kMaskCapacity = ShortString::kMaxLength;

// The bytes beyond a short string's length belong to the record too.
void writeFullShortString(ByteWriter& out, const ShortString& s) {
  out.u8(static_cast<uint8_t>(s.length()));
  out.bytes(s.data(), kMaskCapacity);
}

ShortString readFullShortString(ByteReader& in) {
  ShortString s;
  const uint8_t length = in.u8();
  in.copy(s.data(), kMaskCapacity);
  s.setLength(in.ok() ? length : 0);
  return s;
}

void writeBool(ByteWriter& out, bool v) {
  out.u8(v ? 1 : 0);
}

bool readBool(ByteReader& in) {
  return in.u8() != 0;
}

}  // namespace

bool MoreOptionsInForce(const TSearchDlgData& data) {
  if (!data.UseMoreOptions) return false;
  return data.DateFrom > 0 || data.DateTo > 0 || data.SizeFrom > 0 || data.SizeTo > 0 ||
         !data.ExcludeMask.empty();
}

void ResetMoreOptions(TSearchDlgData& data) {
  data.MoreOptionsActive = false;
  data.ExcludeMask = ShortString();
  data.DateFrom = 0;
  data.DateTo = 0;
  data.SizeFrom = 0;
  data.SizeTo = 0;
  data.DirMask = ShortString();
  data.SortKey1 = FoundSortKey::kExtName;
  data.SortKey2 = FoundSortKey::kDiskFolder;
  data.SortKey3 = FoundSortKey::kDateTime;
  data.SearchAsAnsi = true;
  data.SearchAsOem = false;
}

void writeSearchDlgData(ByteWriter& out, const TSearchDlgData& data) {
  writeFullShortString(out, data.Mask);
  writeBool(out, data.AddWildcards);
  writeBool(out, data.Phrase);
  out.i32(data.MaxRecs);
  writeBool(out, data.CaseSensitive);
  writeBool(out, data.StrictMask);
  out.u8(static_cast<uint8_t>(data.SearchIn));
  writeBool(out, data.DiskNames);
  writeBool(out, data.FileNames);
  writeBool(out, data.FolderNames);
  writeBool(out, data.Descriptions);
  out.i32(data.ScanDirLevel);
  writeBool(out, data.UseMoreOptions);
  writeBool(out, data.MoreOptionsActive);
  writeFullShortString(out, data.ExcludeMask);
  out.u32(data.DateFrom);
  out.u32(data.DateTo);
  out.u32(data.SizeFrom);
  out.u32(data.SizeTo);
  writeFullShortString(out, data.DirMask);
  out.u8(static_cast<uint8_t>(data.SortKey1));
  out.u8(static_cast<uint8_t>(data.SortKey2));
  out.u8(static_cast<uint8_t>(data.SortKey3));
  writeBool(out, data.SearchAsAnsi);
  writeBool(out, data.SearchAsOem);
}

TSearchDlgData readSearchDlgData(ByteReader& in) {
  TSearchDlgData data;
  data.Mask = readFullShortString(in);
  data.AddWildcards = readBool(in);
  data.Phrase = readBool(in);
  data.MaxRecs = in.i32();
  data.CaseSensitive = readBool(in);
  data.StrictMask = readBool(in);
  data.SearchIn = static_cast<SearchScope>(in.u8());
  data.DiskNames = readBool(in);
  data.FileNames = readBool(in);
  data.FolderNames = readBool(in);
  data.Descriptions = readBool(in);
  data.ScanDirLevel = in.i32();
  data.UseMoreOptions = readBool(in);
  data.MoreOptionsActive = readBool(in);
  data.ExcludeMask = readFullShortString(in);
  data.DateFrom = in.u32();
  data.DateTo = in.u32();
  data.SizeFrom = in.u32();
  data.SizeTo = in.u32();
  data.DirMask = readFullShortString(in);
  data.SortKey1 = static_cast<FoundSortKey>(in.u8());
  data.SortKey2 = static_cast<FoundSortKey>(in.u8());
  data.SortKey3 = static_cast<FoundSortKey>(in.u8());
  data.SearchAsAnsi = readBool(in);
  data.SearchAsOem = readBool(in);
  return data;
}

}  // namespace vellomar
