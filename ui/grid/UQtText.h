#pragma once

#include <QString>

#include <string>
#include <string_view>

#include "platform/PText.h"

namespace vellomar {

// A catalogue text (UTF-8, or CP1252 bytes of an old catalogue) as Qt shows it.
inline QString qtText(std::string_view text) {
  const std::string utf8 = textAsUtf8(text);
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// What the user typed, as the catalogue stores it.
inline std::string fromQt(const QString& text) {
  return text.toStdString();
}

}  // namespace vellomar
