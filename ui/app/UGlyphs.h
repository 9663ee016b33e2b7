#pragma once

#include <QIcon>

namespace vellomar {

// The program's own icon (drawn from its SVG), for the frame and the About box.
QIcon programIcon();
// A toolbar button's icon: the desktop theme's icon of that freedesktop name when the theme has
// one, else our own glyph of that name, so no button is ever blank.
QIcon toolbarIcon(const char* themeName, const char* glyph);

}  // namespace vellomar
