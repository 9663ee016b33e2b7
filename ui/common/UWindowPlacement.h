#pragma once

#include <QRect>
#include <functional>
#include <string>

#include "foundation/UIniFile.h"

class QWidget;

namespace vellomar {

// Window bounds kept in the program's INI file (keys Left, Top, Width, Height of a section).

// The bounds a section holds, moved and cut so the window lies on the screen; a missing or
// unusable width or height (0 or less, more than four screens, not a number) is the fallback's.
QRect readBounds(const IniFile& ini, const char* section, const QRect& fallback,
                 const QRect& screen);
void writeBounds(IniFile& ini, const char* section, const QRect& bounds);
// The window's designed size centred on the screen: (screen size - window size) / 2.
QRect centredBounds(const QSize& size, const QRect& screen);
// The available area of the primary screen.
QRect screenArea();
// The width a window's title needs in its title bar, beside the bar's icon and buttons. The
// window manager's font is not known: the window's bold font, a fifth wider, stands for it.
int titleBarWidth(const QWidget* window);

// A top-level window's bounds are its frame's: title bar and borders included, as the window
// manager draws them (before it has framed the window, the window's own bounds grown by the
// borders it was fitted for). setFrameBounds puts the frame there, and fits the window inside
// once the frame's borders are known, so that a frame at the screen's top keeps its title bar
// on the screen.
QRect frameBounds(const QWidget* window);
// From now on, a window shown again comes back where its frame was, and the borders of the
// windows on the screen are known for those not framed yet; called once for the program.
void keepFrameMarginsKnown();
void setFrameBounds(QWidget* window, const QRect& frame);

// Where the dialogs' bounds go among each other in the file, after the main window's.
inline constexpr int kScanDiskPlacement = 1;
inline constexpr int kDescriptionPlacement = 2;
inline constexpr int kSelectFolderPlacement = 3;

// A dialog that keeps its bounds (or more) in the program's INI file registers what it writes
// there; the main window writes them all at the end of the run, after its own placement.
// order: where it goes among the others (lower first).
void registerPlacementWriter(QWidget* owner, int order, std::function<void(IniFile&)> write);
// Runs the writers of the windows that still exist, in order.
void writePlacements(IniFile& ini);

}  // namespace vellomar
