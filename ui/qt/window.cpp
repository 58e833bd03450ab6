#include "ui/window.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QObject>
#include <QPaintEvent>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QPointer>
#include <QScreen>
#include <QVariant>
#include <QUrl>
#include <QWidget>
#include <QWindowStateChangeEvent>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "ui/backend.h"
#include "ui/event_queue.h"
#include "ui/layout.h"
#include "ui/qt/qt_ui.h"
#include "ui/widget.h"

namespace ui {

using runtime::ObjectNumber;

namespace {

runtime::ObjectRegistry* g_windows = nullptr;

int64_t PropertyNumber(const QObject* o, const char* name) {
  const QVariant v = o->property(name);
  return v.isValid() ? v.toLongLong() : 0;
}

}  // namespace

namespace {

bool OwnAreaPainted(const QWidget* window, QRegion region) {
  for (const QObject* child : window->children()) {
    const auto* w = qobject_cast<const QWidget*>(child);
    if (w != nullptr && !w->isWindow() && w->isVisible()) region -= w->geometry();
  }
  return !region.isEmpty();
}

// Qt passes a click that a control ignores on to the window; only clicks on the window's own
// client area are the window's.
bool OwnArea(const QWidget* window, const QMouseEvent* m) {
  return window->childAt(m->position().toPoint()) == nullptr;
}

// Set on a window placed by the program while its frame is not known yet: some window managers tell
// it only after the window is shown, and the placement is made again once they have.
constexpr char kFitPending[] = "VX_FitPending";

void FitOnScreen(QWidget* w);

// The local files and folders a drag carries, as the system names them.
std::vector<runtime::Text> DroppedPaths(const QMimeData* data) {
  std::vector<runtime::Text> paths;
  if (data == nullptr) return paths;
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile()) paths.push_back(TextFromQString(url.toLocalFile()));
  }
  return paths;
}

}  // namespace

// Turns the toolkit events of one window into queued events.
struct WindowFilter : QObject {
  explicit WindowFilter(ObjectNumber n, QObject* parent) : QObject(parent), number(n) {}
  ObjectNumber number;

  WindowRecord* Record() const { return runtime::FindRecord<WindowRecord>(g_windows, number); }

  void Sized() {
    RemoveEvents(EventWindowSized, -1, number, -1);
    PostEvent(EventWindowSized, 0, number, 0);
  }

  static void RefitOnceTheFrameIsKnown(QWidget* window) {
    if (!window->property(kFitPending).toBool() || window->frameGeometry() == window->geometry()) return;
    window->setProperty(kFitPending, false);
    FitOnScreen(window);
  }

  bool eventFilter(QObject* target, QEvent* e) override {
    WindowRecord* r = Record();
    if (r == nullptr || target != r->window) return false;
    auto* window = static_cast<QWidget*>(r->window);
    const ObjectNumber n = number;
    // The window manager may frame the window without moving it: the first paint or activation after
    // that is the first news of the frame.
    const QEvent::Type t = e->type();
    if (t == QEvent::Move || t == QEvent::Resize || t == QEvent::Paint || t == QEvent::WindowActivate) {
      RefitOnceTheFrameIsKnown(window);
    }
    switch (e->type()) {
      case QEvent::Close:
        // The application decides whether the window goes: the close box only asks.
        e->ignore();
        PostEvent(EventCloseWindow, n, n, 0);
        PostWakeUp();
        return true;
      case QEvent::WindowActivate: PostEvent(EventWindowActivated, 0, n, 0); break;
      case QEvent::WindowDeactivate: PostEvent(EventWindowDeactivated, 0, n, 0); break;
      case QEvent::WindowStateChange: {
        if (r->ready == 0) break;
        const Qt::WindowStates s = window->windowState();
        if (s & Qt::WindowMinimized) {
          r->minimized_or_maximized = 1;
          PostEvent(EventWindowMinimized, 0, n, 0);
        } else if (s & (Qt::WindowMaximized | Qt::WindowFullScreen)) {
          r->minimized_or_maximized = 1;
          PostEvent(EventWindowMaximized, 0, n, 0);
          PostEvent(EventWindowSized, 0, n, 0);
        } else if (r->minimized_or_maximized != 0) {
          r->minimized_or_maximized = 0;
          PostEvent(EventWindowRestored, 0, n, 0);
          Sized();
        }
        break;
      }
      case QEvent::Resize:
        LayOutWindow(n, Size{window->width(), window->height()});
        // Qt reports the new size apart from the state change; either order leaves one
        // EventWindowSized behind the state event.
        if (r->ready != 0 && !window->isMinimized()) Sized();
        break;
      case QEvent::Move:
        if (r->ready != 0) PostEvent(EventWindowMoved, n, n, 0);
        break;
      case QEvent::DragEnter: {
        auto* d = static_cast<QDragEnterEvent*>(e);
        if (DroppedPaths(d->mimeData()).empty()) break;
        d->acceptProposedAction();
        return true;
      }
      case QEvent::Drop: {
        auto* d = static_cast<QDropEvent*>(e);
        std::vector<runtime::Text> paths = DroppedPaths(d->mimeData());
        if (paths.empty()) break;
        d->acceptProposedAction();
        SetDroppedPaths(n, std::move(paths));
        PostEvent(EventWindowDrop, n, n, 0);
        PostWakeUp();
        return true;
      }
      case QEvent::Paint:
        // Qt paints the window beneath a child that repaints; only its own uncovered area
        // counts as its background being erased.
        if (OwnAreaPainted(window, static_cast<QPaintEvent*>(e)->region())) {
          PostEvent(EventWindowRepaint, 0, n, 0);
        }
        break;
      case QEvent::MouseButtonRelease: {
        const auto* m = static_cast<QMouseEvent*>(e);
        if (!OwnArea(window, m)) break;
        if (m->button() == Qt::LeftButton) PostEvent(EventWindowLeftClick, 0, n, 0);
        if (m->button() == Qt::RightButton) PostEvent(EventWindowRightClick, 0, n, 0);
        break;
      }
      case QEvent::MouseButtonDblClick: {
        const auto* m = static_cast<QMouseEvent*>(e);
        if (OwnArea(window, m) && m->button() == Qt::LeftButton) PostEvent(EventWindowLeftDoubleClick, 0, n, 0);
        break;
      }
      default: break;
    }
    return false;
  }
};

namespace {

// Tab and Shift+Tab are taken before any control sees them, like an accelerator table, so that
// the focus moves over our widgets in creation order whatever the focused control would do; so is
// Escape, which asks the window to call off what is running.
struct AcceleratorFilter : QObject {
  static void Candidates(QWidget* parent, std::vector<QWidget*>* out) {
    for (QObject* child : parent->children()) {
      auto* w = qobject_cast<QWidget*>(child);
      if (w == nullptr || w->isWindow()) continue;
      if (w->isEnabled() && w->isVisible() && (w->focusPolicy() & Qt::TabFocus)) {
        out->push_back(w);  // a composite control counts once, as its outer widget
      } else {
        Candidates(w, out);
      }
    }
  }

  static void CycleFocus(QWidget* window, bool forward) {
    std::vector<QWidget*> candidates;
    Candidates(window, &candidates);
    if (candidates.empty()) return;
    const int64_t count = static_cast<int64_t>(candidates.size());
    int64_t focused = -1;
    QWidget* f = QApplication::focusWidget();
    if (f != nullptr && f->window() == window) {
      for (int64_t i = 0; i < count; ++i) {
        if (candidates[i] == f || candidates[i]->isAncestorOf(f)) {
          focused = i;
          break;
        }
      }
    }
    int64_t next;
    if (forward) {
      next = (focused < 0 || focused + 1 >= count) ? 0 : focused + 1;
    } else {
      next = focused > 0 ? focused - 1 : count - 1;
    }
    candidates[next]->setFocus(Qt::TabFocusReason);
  }

  bool eventFilter(QObject* target, QEvent* e) override {
    if (e->type() != QEvent::KeyPress) return false;
    auto* k = static_cast<QKeyEvent*>(e);
    const Qt::KeyboardModifiers other = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    if (k->modifiers() & other) return false;
    const bool escape = k->key() == Qt::Key_Escape && !(k->modifiers() & Qt::ShiftModifier);
    bool forward = false;
    if (k->key() == Qt::Key_Tab) {
      forward = !(k->modifiers() & Qt::ShiftModifier);
    } else if (k->key() != Qt::Key_Backtab && !escape) {
      return false;
    }
    auto* w = qobject_cast<QWidget*>(target);
    QWidget* active = QApplication::activeWindow();
    if (w == nullptr || active == nullptr || w->window() != active) return false;
    const int64_t id = PropertyNumber(active, "VX_WindowID");
    if (id == 0) return false;  // not one of ours
    if (escape) {
      PostEvent(EventWindowCancel, id - 1, id - 1, 0);
    } else {
      CycleFocus(active, forward);
    }
    return true;
  }
};

AcceleratorFilter* g_accelerators = nullptr;

// The available area of the screen that holds `point`, of the primary screen when none does.
QRect AvailableAreaAt(QPoint point) {
  QScreen* screen = QGuiApplication::screenAt(point);
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->availableGeometry() : QRect();
}

// Moves a window placed at its given corner left and up as far as its frame needs to lie inside the
// available area of its screen (a designed place may be off a small laptop screen); too big for the
// area, it keeps its top-left corner inside.
void KeepOnScreen(QWidget* w, QPoint wanted) {
  const QRect area = AvailableAreaAt(wanted);
  if (area.isEmpty()) return;
  const QSize outer = w->frameGeometry().size();
  const Rect fit =
      FitIntoArea(Rect{wanted.x(), wanted.y(), outer.width(), outer.height()}, Size{outer.width(), outer.height()},
                  Rect{area.x(), area.y(), area.width(), area.height()});
  const QPoint corner(fit.x, fit.y);
  if (w->frameGeometry().topLeft() != corner) w->move(corner);
}

// Makes a window that is larger than its screen's available area smaller, down to its minimum size,
// and moves its frame inside the area.
void FitOnScreen(QWidget* w) {
  const QRect frame = w->frameGeometry();
  const QRect area = AvailableAreaAt(frame.topLeft());
  if (area.isEmpty()) return;
  const QSize margins = frame.size() - w->size();
  const QSize least = w->minimumSize() + margins;
  const Rect fit =
      FitIntoArea(Rect{frame.x(), frame.y(), frame.width(), frame.height()}, Size{least.width(), least.height()},
                  Rect{area.x(), area.y(), area.width(), area.height()});
  const QSize client(fit.width - margins.width(), fit.height - margins.height());
  if (client != w->size()) w->resize(client);
  if (w->frameGeometry().topLeft() != QPoint(fit.x, fit.y)) w->move(fit.x, fit.y);
}

void ReleaseWindowNumber(ObjectNumber n, QWidget* destroyed) {
  // New widgets must not be made inside a window that is gone.
  if (WidgetContainer() == destroyed) SetWidgetContainer(nullptr);
  WindowRecord* r = runtime::FindRecord<WindowRecord>(g_windows, n);
  if (r != nullptr && r->window == destroyed) runtime::ReleaseObject(g_windows, n);
  RemoveEvents(-1, -1, n, -1);
}

}  // namespace

bool InitWindows() {
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) return false;
  // The logical density, never the physical one: Qt's own high-DPI scaling keeps it at 96 and
  // scales by itself, so sizes are scaled once either way.
  int32_t dx = 96;
  int32_t dy = 96;
  if (QScreen* s = QGuiApplication::primaryScreen()) {
    dx = static_cast<int32_t>(std::lround(s->logicalDotsPerInchX()));
    dy = static_cast<int32_t>(std::lround(s->logicalDotsPerInchY()));
  }
  SetDisplayDensity(dx, dy);
  if (g_windows == nullptr) {
    g_windows = runtime::CreateRecordRegistry<WindowRecord>(16, &WindowDestroy);
    if (g_windows == nullptr) return false;
  }
  if (g_accelerators == nullptr) {
    g_accelerators = new AcceleratorFilter;
    QCoreApplication::instance()->installEventFilter(g_accelerators);
  }
  return true;
}

void ShutdownWindows() {
  if (g_windows != nullptr) WindowDestroy(runtime::AnyId);
  delete g_accelerators;  // removes itself from the application's filters
  g_accelerators = nullptr;
}

int64_t WindowCreate(ObjectNumber number, int32_t x, int32_t y, int32_t width, int32_t height, runtime::TextView title,
                     uint32_t flags, void* parent_window) {
  auto* parent = static_cast<QWidget*>(parent_window);
  if (g_windows == nullptr) return 0;
  if (number < 0 && number != runtime::AnyId) return 0;
  WindowRecord* r = runtime::AcquireRecord<WindowRecord>(g_windows, number);
  if (r == nullptr) return 0;
  const ObjectNumber n = number == runtime::AnyId ? runtime::NumberOfRecord(r) : number;

  const bool centre_screen = (flags & kWindowCentreOnScreen) != 0;
  const bool centre_parent = (flags & kWindowCentreOnParent) != 0;
  const bool tool = (flags & kWindowTool) != 0;
  const bool hidden = (flags & kWindowHidden) != 0;
  const bool no_activate = (flags & kWindowNoActivate) != 0;
  uint32_t style = flags;
  if ((flags & ~(kWindowNotContainer | kWindowHidden | kWindowCentreOnScreen | kWindowCentreOnParent)) == 0) {
    style |= kStyleCaption;
  }
  style &= ~kWindowHidden;
  if (tool) {
    style &= ~(kStyleMinimizeBox | kStyleMaximizeBox | kStyleMinimize | kStyleMaximize);
    style |= kStyleCaption;
  }
  style &= ~(0x7u | kWindowNoActivate);

  Qt::WindowFlags qf = (tool ? Qt::Tool : Qt::Window) | Qt::CustomizeWindowHint;
  const bool caption = (style & kStyleCaption) == kStyleCaption;
  if (caption) qf |= Qt::WindowTitleHint;
  if (style & kStyleSystemMenu) qf |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  if (style & kStyleMinimizeBox) qf |= Qt::WindowMinimizeButtonHint;
  if (style & kStyleMaximizeBox) qf |= Qt::WindowMaximizeButtonHint;
  if (!caption && (style & (kStyleCaption | kStyleSizingFrame)) == 0) qf |= Qt::FramelessWindowHint;

  QWidget* w = new QWidget(parent, qf);
  r->window = w;
  r->number = n;
  r->ready = 0;
  r->minimized_or_maximized = 0;
  r->accelerator_count = 2;
  w->setProperty("VX_WindowID", QVariant::fromValue<qlonglong>(n + 1));
  w->setWindowTitle(QStringFromText(title));
  w->setAttribute(Qt::WA_ShowWithoutActivating, no_activate);
  if (style & kStyleDisabled) w->setEnabled(false);
  r->filter = new WindowFilter(n, w);
  w->installEventFilter(r->filter);
  w->setAcceptDrops(true);
  QObject::connect(w, &QObject::destroyed, [n, w] { ReleaseWindowNumber(n, w); });

  const int32_t client_w = ScaleX(width);
  const int32_t client_h = ScaleY(height);
  if (style & kStyleSizingFrame) {
    w->resize(client_w, client_h);
  } else {
    w->setFixedSize(client_w, client_h);
  }

  // The native window knows its frame, which centring and keeping on screen need for the outer size.
  const bool platform_places =
      x == kWindowPositionIgnore || (y == kWindowPositionIgnore && !centre_screen && !centre_parent);
  const bool placed_at_corner = !centre_screen && !centre_parent && !platform_places;
  if (!platform_places) w->winId();
  if (centre_screen) {
    QScreen* screen = w->screen() != nullptr ? w->screen() : QGuiApplication::primaryScreen();
    if (screen != nullptr) {
      const QRect sg = screen->geometry();
      const QSize outer = w->frameGeometry().size();
      w->move(sg.x() + (sg.width() - std::min(sg.width(), outer.width())) / 2,
              sg.y() + (sg.height() - std::min(sg.height(), outer.height())) / 2);
    }
  } else if (centre_parent) {
    if (parent != nullptr) {
      const QRect pg = parent->frameGeometry();
      const QSize outer = w->frameGeometry().size();
      w->move(std::max(0, pg.x() + (pg.width() - outer.width()) / 2),
              std::max(0, pg.y() + (pg.height() - outer.height()) / 2));
    }
  } else if (placed_at_corner) {
    w->move(ScaleX(x), ScaleY(y));  // the frame's top-left corner, as Qt's move() places it
    KeepOnScreen(w, QPoint(ScaleX(x), ScaleY(y)));
  }

  if (!hidden) {
    if (style & kStyleMaximize) {
      w->showMaximized();
    } else if (style & kStyleMinimize) {
      w->showMinimized();
    } else {
      w->show();
    }
    if (!no_activate) w->activateWindow();
  } else if (style & (kStyleMaximize | kStyleMinimize)) {
    w->setWindowState((style & kStyleMaximize) ? Qt::WindowMaximized : Qt::WindowMinimized);
  }
  // Some window systems tell the frame only once the window is shown.
  if (placed_at_corner && !hidden && !(style & (kStyleMaximize | kStyleMinimize))) {
    KeepOnScreen(w, QPoint(ScaleX(x), ScaleY(y)));
  }
  if (style & (kStyleMaximize | kStyleMinimize)) r->minimized_or_maximized = 1;
  if ((flags & kWindowNotContainer) == 0) SetWidgetContainer(w);
  r->ready = 1;
  return number == runtime::AnyId ? n : static_cast<int64_t>(reinterpret_cast<intptr_t>(w));
}

void WindowDestroy(ObjectNumber number) {
  if (g_windows == nullptr) return;
  if (number == runtime::AnyId) {
    runtime::ReleaseAllObjects(g_windows);
    return;
  }
  WindowRecord* r = runtime::FindRecord<WindowRecord>(g_windows, number);
  if (r == nullptr) return;
  auto* w = static_cast<QWidget*>(r->window);
  if (QWidget* owner = w->parentWidget()) owner->activateWindow();
  // Deleting the window deletes its widgets first; its destroyed() then gives the number back.
  delete w;
  RemoveEvents(-1, -1, number, -1);
  // Should the window have been replaced under this number meanwhile, leave the new one alone.
  r = runtime::FindRecord<WindowRecord>(g_windows, number);
  if (r != nullptr && r->window == w) runtime::ReleaseObject(g_windows, number);
}

void* WindowWidget(ObjectNumber number) {
  if (g_windows == nullptr) return nullptr;
  WindowRecord* r = runtime::FindRecord<WindowRecord>(g_windows, number);
  return r != nullptr ? r->window : nullptr;
}

Rect BackendControlRect(const void* control) {
  const QRect g = static_cast<const QWidget*>(control)->geometry();
  return Rect{g.x(), g.y(), g.width(), g.height()};
}

void BackendMoveControl(void* control, Rect rect) {
  static_cast<QWidget*>(control)->setGeometry(rect.x, rect.y, rect.width, rect.height);
}

Size BackendClientSize(const void* window) {
  const auto* w = static_cast<const QWidget*>(window);
  return Size{w->width(), w->height()};
}

void BackendKeepWindowAtLeast(void* window, Size minimum) {
  auto* w = static_cast<QWidget*>(window);
  w->setMinimumSize(minimum.width, minimum.height);
  FitOnScreen(w);
  const bool framed = !(w->windowFlags() & Qt::FramelessWindowHint);
  w->setProperty(kFitPending, framed && w->isVisible() && w->frameGeometry() == w->geometry());
}

int64_t WindowNumberOf(const void* control) {
  for (const QObject* o = static_cast<const QWidget*>(control); o != nullptr; o = o->parent()) {
    const QVariant v = o->property("VX_WindowID");
    if (v.isValid()) return v.toLongLong() - 1;
  }
  return -1;
}

}  // namespace ui
