// What the Qt backend's files share, and what code that must handle Qt objects (the Qt backend's own
// tests, screenshots) uses to reach them: conversions at the Qt boundary, the shared font, and the
// Qt widget behind a window or widget number.
#pragma once

#include <QFont>
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

// The widget's control or the window's QWidget, or nullptr.
inline QWidget* QtControl(runtime::ObjectNumber number) { return static_cast<QWidget*>(WidgetControl(number)); }
inline QWidget* QtWindow(runtime::ObjectNumber number) { return static_cast<QWidget*>(WindowWidget(number)); }
inline QWidget* QtContainer() { return static_cast<QWidget*>(WidgetContainer()); }

}  // namespace ui
