#include "ui/status_line.h"

#include <QFontMetrics>
#include <QLabel>
#include <QResizeEvent>
#include <QString>
#include <QWidget>

#include "ui/backend.h"
#include "ui/qt/qt_ui.h"
#include "ui/window.h"

namespace ui {
namespace {

constexpr char kStatusLineName[] = "VX_StatusLine";

// Keeps the whole text and shows as much of it as fits, cut in the middle.
class StatusLabel : public QLabel {
 public:
  explicit StatusLabel(QWidget* parent) : QLabel(parent) {
    setObjectName(QString::fromLatin1(kStatusLineName));
    setFocusPolicy(Qt::NoFocus);
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setFont(WidgetFont());
  }

  void SetWholeText(const QString& text) {
    whole_ = text;
    ShowFitting();
  }
  const QString& WholeText() const { return whole_; }

 protected:
  void resizeEvent(QResizeEvent* e) override {
    QLabel::resizeEvent(e);
    ShowFitting();
  }

 private:
  void ShowFitting() {
    const QString shown = fontMetrics().elidedText(whole_, Qt::ElideMiddle, contentsRect().width());
    if (shown != text()) setText(shown);
    setToolTip(shown == whole_ ? QString() : whole_);
  }

  QString whole_;
};

StatusLabel* StatusLineOf(runtime::ObjectNumber window) {
  QWidget* w = QtWindow(window);
  if (w == nullptr) return nullptr;
  return w->findChild<StatusLabel*>(QString::fromLatin1(kStatusLineName), Qt::FindDirectChildrenOnly);
}

}  // namespace

void* BackendStatusLine(runtime::ObjectNumber window) { return StatusLineOf(window); }

bool StatusLineCreate(runtime::ObjectNumber window, int32_t x, int32_t y, int32_t width, int32_t height) {
  QWidget* w = QtWindow(window);
  if (w == nullptr) return false;
  StatusLabel* line = StatusLineOf(window);
  if (line == nullptr) line = new StatusLabel(w);
  const ScaledRect g = ScaleRect(x, y, width, height);
  line->setGeometry(g.x, g.y, g.width, g.height);
  line->show();
  return true;
}

void StatusLineSetText(runtime::ObjectNumber window, runtime::TextView text) {
  if (StatusLabel* line = StatusLineOf(window)) line->SetWholeText(QStringFromText(text));
}

runtime::Text StatusLineText(runtime::ObjectNumber window) {
  StatusLabel* line = StatusLineOf(window);
  return line != nullptr ? TextFromQString(line->WholeText()) : runtime::Text();
}

}  // namespace ui
