#pragma once

#include "engine/UEngineInternal.h"

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/UTreeStruct.h"
#include "engine/api/ULocalOptions.h"
#include "foundation/UShortString.h"
#include "foundation/UStream.h"

namespace vellomar {

// Descriptions taken from the files of a scanned disk: plain text, or the text a filter module
// makes of the file, stored as a description block at the end of the database stream.

// A plain-text description never takes more of its file.
inline constexpr int32_t kMaxPlainDescLength = 65535;

// The description offset of the file linuxFile, 0 for none, written at the end of stream; name
// is its stored name with extension (for a file extracted from an archive, the member's), which
// chooses the mask. The first mask of tree's list (in table order) that name matches strictly,
// case ignored, decides: through its module when that is loaded, else as plain text with
// control characters other than CR and LF made blanks, at most its character limit. No import
// with "read descriptions" off in options, after an abort, for a limit of 0 or less, or when
// the file cannot be read or gives nothing; a module that reports more bytes than asked or
// fewer than none gives none. Errors of the database stream raise.
int32_t ImportDescription(TTreeStruct& tree, const TLocalOptions& options, TKFileStream& stream,
                          const std::string& linuxFile, const ShortString& name);

}  // namespace vellomar
