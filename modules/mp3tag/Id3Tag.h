#pragma once

#include <string>

#include "modules/filterkit/InputFile.h"

namespace vellomar {

// The fields of an MP3 file's tags, as UTF-8; empty when no tag has them.
struct Id3Fields {
  std::string title;
  std::string artist;
  std::string album;
  std::string year;
  std::string comment;

  bool empty() const {
    return title.empty() && artist.empty() && album.empty() && year.empty() && comment.empty();
  }
};

// Reads the ID3v2 tag (versions 2.2 to 2.4) at the file's start and the ID3v1 tag in its last
// 128 bytes; a field of the version 2 tag wins over the same field of version 1.
Id3Fields readId3Fields(const InputFile& file);

}  // namespace vellomar
