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

}  // namespace

QRect readBounds(const IniFile& ini, const char* section, const QRect& fallback,
                 const QRect& screen) {
  const QRect bounds(ini.readInteger(section, "Left", fallback.left()),
                     ini.readInteger(section, "Top", fallback.top()),
                     ini.readInteger(section, "Width", fallback.width()),
                     ini.readInteger(section, "Height", fallback.height()));
  if (bounds.width() <= 0 || bounds.height() <= 0 || bounds.width() > 4 * screen.width() ||
      bounds.height() > 4 * screen.height() || !bounds.intersects(screen))
    return fallback;
  return bounds;
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
