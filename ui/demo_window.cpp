#include "ui/demo_window.h"

#include <QApplication>

#include <cstdio>

#include "runtime/text.h"
#include "ui/button.h"
#include "ui/event_queue.h"
#include "ui/list_box.h"
#include "ui/message_box.h"
#include "ui/widget.h"
#include "ui/window.h"

namespace ui {

int RunDemoWindow(int argc, char** argv) {
  QApplication app(argc, argv);
  if (!InitEvents() || !InitWindows() || !InitWidgets()) {
    std::fprintf(stderr, "scene-builder: cannot start the window system\n");
    return 1;
  }
  if (WindowCreate(0, 800, 100, 600, 600, u"SELECT DIRECTORTY TO SCAN FOR IMAGES", 0xCC0000) == 0) {
    std::fprintf(stderr, "scene-builder: cannot open the window\n");
    return 1;
  }
  ButtonCreate(3, 10, 315, 100, 30, u" p r o c e s s ");
  ButtonCreate(4, 310, 315, 100, 30, u" q u i t  ");
  ListBoxCreate(6, 10, 350, 500, 200);
  ItemAdd(6, -1, u"image list");

  int64_t presses = 0;
  for (;;) {
    const int32_t code = EventWait();
    if (code == EventCloseWindow) break;
    if (code != EventWidget) continue;
    const int64_t source = EventSource();
    if (source == 4) {
      WindowDestroy(0);
      break;
    }
    if (source == 3) {
      ++presses;
      ItemAdd(6, -1, runtime::TextConcat({u"process pressed ", runtime::TextFromInteger(presses)}));
    } else if (source == 6 && EventKind() == WidgetEventDoubleClick) {
      MessageBoxShow(u"Item Selected", runtime::TextConcat({u"You double-clicked: ", WidgetText(6)}));
    }
  }
  ShutdownWidgets();
  ShutdownWindows();
  ShutdownEvents();
  return 0;
}

}  // namespace ui
