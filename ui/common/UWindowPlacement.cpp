#include "ui/common/UWindowPlacement.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <vector>

namespace vellomar {

namespace {

struct Writer {
  QPointer<QWidget> owner;
  int order;
  std::function<void(IniFile&)> write;
};

std::vector<Writer>& writers() {
  static std::vector<Writer> all;
  return all;
}

// A stored position moved so that the window's extent lies within the screen's.
int ontoScreen(int32_t start, int extent, int screenStart, int screenExtent) {
  const int64_t last = static_cast<int64_t>(screenStart) + screenExtent - extent;
  return static_cast<int>(
      std::clamp<int64_t>(start, screenStart, std::max<int64_t>(screenStart, last)));
}

}  // namespace

QRect readBounds(const IniFile& ini, const char* section, const QRect& fallback,
                 const QRect& screen) {
  // Sizes up to four screens, so no sum of a stored position and a size can overflow.
  const int32_t width =
      ini.readInteger(section, "Width", fallback.width(), 1, std::max(1, 4 * screen.width()));
  const int32_t height =
      ini.readInteger(section, "Height", fallback.height(), 1, std::max(1, 4 * screen.height()));
  const QSize size(std::min(width, std::max(1, screen.width())),
                   std::min(height, std::max(1, screen.height())));
  return QRect(QPoint(ontoScreen(ini.readInteger(section, "Left", fallback.left()), size.width(),
                                 screen.left(), screen.width()),
                      ontoScreen(ini.readInteger(section, "Top", fallback.top()), size.height(),
                                 screen.top(), screen.height())),
               size);
}

void writeBounds(IniFile& ini, const char* section, const QRect& bounds) {
  ini.writeInteger(section, "Left", bounds.left());
  ini.writeInteger(section, "Top", bounds.top());
  ini.writeInteger(section, "Width", bounds.width());
  ini.writeInteger(section, "Height", bounds.height());
}

QRect centredBounds(const QSize& size, const QRect& screen) {
  return QRect(screen.left() + (screen.width() - size.width()) / 2,
               screen.top() + (screen.height() - size.height()) / 2, size.width(), size.height());
}

QRect screenArea() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

void registerPlacementWriter(QWidget* owner, int order, std::function<void(IniFile&)> write) {
  std::vector<Writer>& all = writers();
  std::erase_if(all, [](const Writer& w) { return w.owner.isNull(); });
  all.push_back({owner, order, std::move(write)});
  std::stable_sort(all.begin(), all.end(),
                   [](const Writer& a, const Writer& b) { return a.order < b.order; });
}

void writePlacements(IniFile& ini) {
  for (const Writer& w : writers())
    if (w.owner) w.write(ini);
}

}  // namespace vellomar
