#include "app/view/file_splitter.h"

#include <QMouseEvent>
#include <algorithm>

namespace app {

FileSplitter::FileSplitter(QWidget* above, QWidget* below, QWidget* parent)
    : QWidget(parent), above_(above), below_(below) {
  setFixedHeight(kThickness);
  setCursor(Qt::SplitVCursor);
}

void FileSplitter::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const int y = static_cast<int>(event->globalPosition().y());
  drag_ = Drag{y, below_->height(), above_->height() + below_->height()};
}

void FileSplitter::mouseMoveEvent(QMouseEvent* event) {
  if (!drag_) return;
  const int moved = static_cast<int>(event->globalPosition().y()) - drag_->startY;
  const int highest = std::max(kMinSize, drag_->room - kMinSize);
  below_->setFixedHeight(std::clamp(drag_->startHeight - moved, kMinSize, highest));
}

void FileSplitter::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) drag_.reset();
}

}  // namespace app
