#include "ui/common/UWindowPlacement.h"

#include <QEvent>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMargins>
#include <QPointer>
#include <QScreen>
#include <QVariant>
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

// The borders a window not framed yet was fitted for.
constexpr const char* kAssumedMargins = "assumedFrameMargins";
constexpr const char* kFitterName = "frameFitter";
// Where a window was when it was last hidden: its position, and its inside's.
constexpr const char* kHiddenAt = "hiddenAt";
constexpr const char* kHiddenInside = "hiddenInside";

QMargins frameMargins(const QWidget* window) {
  const QRect frame = window->frameGeometry();
  const QRect inner = window->geometry();
  return QMargins(inner.left() - frame.left(), inner.top() - frame.top(),
                  frame.right() - inner.right(), frame.bottom() - inner.bottom());
}

// The borders of the last window the window manager framed: the best guess for the next one.
QMargins& lastFrameMargins() {
  static QMargins margins;
  return margins;
}

void fitInFrame(QWidget* window, const QRect& frame, const QMargins& margins) {
  window->resize(frame.size().shrunkBy(margins).expandedTo(QSize(1, 1)));
  // A move of a top-level window places its frame.
  window->move(frame.topLeft());
}

// Waits until the window manager has framed the window, then fits the window in the frame
// asked for. It goes when that is done or when the window hides; without a window manager
// (no borders) there is nothing to fit.
class FrameFitter : public QObject {
 public:
  FrameFitter(QWidget* window, const QRect& frame) : QObject(window), frame_(frame) {
    setObjectName(kFitterName);
    window->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* window = static_cast<QWidget*>(watched);
    switch (event->type()) {
      case QEvent::Move:
      case QEvent::Resize: {
        if (!window->isVisible()) break;
        const QMargins margins = frameMargins(window);
        if (margins.isNull()) break;
        lastFrameMargins() = margins;
        window->removeEventFilter(this);
        if (window->frameGeometry() != frame_) fitInFrame(window, frame_, margins);
        deleteLater();
        break;
      }
      case QEvent::Hide:
        window->removeEventFilter(this);
        deleteLater();
        break;
      default:
        break;
    }
    return false;
  }

 private:
  QRect frame_;
};

// A window shown again comes back where it was, unless it was moved while hidden: left alone,
// Qt centres a dialog shown a second time by borders it does not know yet, a title bar lower.
// Its inside's place is kept, which the window manager honours exactly. Keeps the borders of
// the last window moved on the screen known for windows not framed yet.
class FrameWatch : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    const QEvent::Type kind = event->type();
    if (kind != QEvent::Show && kind != QEvent::Hide && kind != QEvent::Move) return false;
    if (!watched->isWidgetType()) return false;
    auto* window = static_cast<QWidget*>(watched);
    const Qt::WindowType type = window->windowType();
    if (type != Qt::Window && type != Qt::Dialog) return false;
    if (kind == QEvent::Move) {
      if (!window->isVisible()) return false;
      const QMargins margins = frameMargins(window);
      if (!margins.isNull()) lastFrameMargins() = margins;
      return false;
    }
    // Minimizing and restoring, and maximized windows, are the window manager's to place.
    if (event->spontaneous() || window->windowState() != Qt::WindowNoState) return false;
    if (kind == QEvent::Hide) {
      window->setProperty(kHiddenAt, window->pos());
      window->setProperty(kHiddenInside, window->geometry().topLeft());
      return false;
    }
    const QVariant at = window->property(kHiddenAt);
    if (at.isValid() && at.toPoint() == window->pos())
      window->setGeometry(QRect(window->property(kHiddenInside).toPoint(), window->size()));
    return false;
  }
};

}  // namespace

void keepFrameMarginsKnown() {
  static QObject* const watch = [] {
    auto* made = new FrameWatch(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(made);
    return made;
  }();
  Q_UNUSED(watch);
}

QRect frameBounds(const QWidget* window) {
  if (!frameMargins(window).isNull()) return window->frameGeometry();
  const QRect inner = window->geometry();
  return QRect(inner.topLeft(),
               inner.size().grownBy(window->property(kAssumedMargins).value<QMargins>()));
}

void setFrameBounds(QWidget* window, const QRect& frame) {
  const QMargins own = frameMargins(window);
  const bool framed = window->isVisible() && !own.isNull();
  const QMargins margins = framed ? own : lastFrameMargins();
  fitInFrame(window, frame, margins);
  if (framed) return;
  window->setProperty(kAssumedMargins, QVariant::fromValue(margins));
  delete window->findChild<QObject*>(kFitterName, Qt::FindDirectChildrenOnly);
  new FrameFitter(window, frame);
}

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

int titleBarWidth(const QWidget* window) {
  // The icon and the three buttons of a title bar.
  constexpr int kBarButtonsWidth = 100;
  QFont font = window->font();
  font.setBold(true);
  return QFontMetrics(font).horizontalAdvance(window->windowTitle()) * 6 / 5 + kBarButtonsWidth;
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
