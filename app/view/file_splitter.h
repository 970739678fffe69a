// The thin bar between the body and the attachment list. Dragging it moves
// the edge between them; each keeps at least MinSize pixels, and the list
// below keeps its height when the window is resized.
#pragma once

#include <QWidget>
#include <optional>

namespace app {

class FileSplitter : public QWidget {
 public:
  static constexpr int kThickness = 2;
  static constexpr int kMinSize = 4;

  FileSplitter(QWidget* above, QWidget* below, QWidget* parent);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  struct Drag {
    int startY;
    int startHeight;
    int room;  // the heights of both sides together
  };

  QWidget* above_;
  QWidget* below_;
  std::optional<Drag> drag_;
};

}  // namespace app
