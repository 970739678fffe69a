// The busy globe at the right end of the tool band: the program's busy
// animation, looping while a network operation runs, its first frame at rest.
#pragma once

#include <QLabel>
#include <QList>
#include <QPixmap>
#include <QTimer>

namespace app {

class BusyGlobe : public QLabel {
  Q_OBJECT

 public:
  explicit BusyGlobe(QWidget* parent = nullptr);

  void Play();
  void Stop();
  bool Playing() const { return timer_.isActive(); }
  int Frame() const { return frame_; }

 private:
  void ShowFrame(int frame);

  QList<QPixmap> frames_;
  QTimer timer_;
  int frame_ = 0;
};

}  // namespace app
