#pragma once

// The whole layout of the catalogue file, of which this is a piece: engine/FORMAT.md.

#include "engine/UEngineInternal.h"

namespace vellomar {

// The places where damage in a database file is detected; each is the three-digit code of the
// structure error raised there.
inline constexpr int kDamageSeekPastEnd = 1;
inline constexpr int kDamageReadPastEnd = 2;
inline constexpr int kDamageFileList = 3;
inline constexpr int kDamageFolderRecord = 4;
inline constexpr int kDamageDiskBlock = 5;
inline constexpr int kDamageKeyInsert = 6;
inline constexpr int kDamageKeyDelete = 7;
inline constexpr int kDamageKeyReposition = 8;
inline constexpr int kDamageDiskDetails = 9;
inline constexpr int kDamageDescCopy = 10;
inline constexpr int kDamageDescShort = 11;
inline constexpr int kDamageDescFull = 12;

}  // namespace vellomar
