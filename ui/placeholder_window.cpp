#include "ui/placeholder_window.h"

#include <QApplication>
#include <QLabel>

namespace ui {

int RunPlaceholderWindow(int argc, char** argv) {
  QApplication app(argc, argv);
  QLabel label(QStringLiteral("scene-builder: the folder window is not built yet."));
  label.setWindowTitle(QStringLiteral("SELECT DIRECTORTY TO SCAN FOR IMAGES"));
  label.setMargin(24);
  label.show();
  return app.exec();
}

}  // namespace ui
