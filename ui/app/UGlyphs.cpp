#include "ui/app/UGlyphs.h"

#include <QString>

namespace vellomar {

QIcon programIcon() {
  return QIcon(QStringLiteral(":/vellomar/icon/Vellomar.svg"));
}

QIcon toolbarIcon(const char* themeName, const char* glyph) {
  const QIcon own(QStringLiteral(":/vellomar/glyphs/%1.svg").arg(QString::fromUtf8(glyph)));
  if (themeName == nullptr || *themeName == '\0') return own;
  return QIcon::fromTheme(QString::fromUtf8(themeName), own);
}

}  // namespace vellomar
