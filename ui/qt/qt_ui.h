// What the Qt backend's files share, and what code that must handle Qt objects (the Qt backend's own
// tests, screenshots) uses to reach them: conversions at the Qt boundary, the shared font, and the
// Qt widget behind a window or widget number.
#pragma once

#include <QFont>
#include <QPalette>
#include <QString>
#include <QWidget>

#include "runtime/registry.h"
#include "runtime/text.h"
#include "ui/widget.h"
#include "ui/window.h"

namespace ui {

runtime::Text TextFromQString(const QString& s);
QString QStringFromText(runtime::TextView t);

// The font every registered control gets (the platform's message font).
const QFont& WidgetFont();

// Marks an item view's selection while another control has the focus as while it has it, whatever
// the platform's palette leaves of it (some draw the inactive selection as the background).
inline void KeepSelectionShown(QWidget* view) {
  QPalette palette = view->palette();
  for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText}) {
    palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
  }
  view->setPalette(palette);
}

// The widget's control or the window's QWidget, or nullptr.
inline QWidget* QtControl(runtime::ObjectNumber number) { return static_cast<QWidget*>(WidgetControl(number)); }
inline QWidget* QtWindow(runtime::ObjectNumber number) { return static_cast<QWidget*>(WindowWidget(number)); }
inline QWidget* QtContainer() { return static_cast<QWidget*>(WidgetContainer()); }

}  // namespace ui
