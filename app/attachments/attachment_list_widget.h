// The attachment list: large icons, read-only, a hand cursor over it. Its
// owner hears of mouse presses, double clicks and moves over the items after
// the list has handled them, so a right click has already selected the item
// under the pointer.
#pragma once

#include <QListWidget>
#include <functional>

class QMouseEvent;

namespace app {

class AttachmentListWidget : public QListWidget {
 public:
  explicit AttachmentListWidget(QWidget* parent = nullptr);

  // A press or a double click.
  std::function<void(const QMouseEvent& event)> OnMouseDown;
  std::function<void(const QMouseEvent& event)> OnMouseMove;

 protected:
  // Only events that really reach the items: the list's own handlers also
  // turn some double clicks into presses, which must not be heard twice.
  bool viewportEvent(QEvent* event) override;
};

}  // namespace app
