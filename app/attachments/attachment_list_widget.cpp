#include "app/attachments/attachment_list_widget.h"

#include <QMouseEvent>

namespace app {

namespace {

constexpr QSize kLargeIconSize(32, 32);

}  // namespace

AttachmentListWidget::AttachmentListWidget(QWidget* parent) : QListWidget(parent) {
  setViewMode(QListView::IconMode);
  setIconSize(kLargeIconSize);
  setMovement(QListView::Static);
  setResizeMode(QListView::Adjust);
  setWordWrap(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setDragEnabled(false);
  // The attachment menu opens from the mouse handler, on the right button alone.
  setContextMenuPolicy(Qt::PreventContextMenu);
  viewport()->setCursor(Qt::PointingHandCursor);
  viewport()->setMouseTracking(true);
}

bool AttachmentListWidget::viewportEvent(QEvent* event) {
  const bool handled = QListWidget::viewportEvent(event);
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
      if (OnMouseDown) OnMouseDown(*static_cast<QMouseEvent*>(event));
      break;
    case QEvent::MouseMove:
      if (OnMouseMove) OnMouseMove(*static_cast<QMouseEvent*>(event));
      break;
    default:
      break;
  }
  return handled;
}

}  // namespace app
