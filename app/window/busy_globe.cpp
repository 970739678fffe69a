#include "app/window/busy_globe.h"

#include <chrono>

#include "app/window/embedded_resources.h"

namespace app {

namespace {

constexpr int kWidth = 30;
constexpr int kHeight = 22;

}  // namespace

BusyGlobe::BusyGlobe(QWidget* parent) : QLabel(parent), frames_(BusyFrames()) {
  setFixedSize(kWidth, kHeight);
  setAlignment(Qt::AlignCenter);
  timer_.setTimerType(Qt::PreciseTimer);
  timer_.setInterval(std::chrono::round<std::chrono::milliseconds>(kBusyFramePeriod));
  connect(&timer_, &QTimer::timeout, this, [this] { ShowFrame(frame_ + 1 < frames_.size() ? frame_ + 1 : 0); });
  ShowFrame(0);
}

void BusyGlobe::Play() {
  if (!Playing()) timer_.start();
}

void BusyGlobe::Stop() {
  timer_.stop();
  ShowFrame(0);
}

void BusyGlobe::ShowFrame(int frame) {
  frame_ = frame;
  if (frame < frames_.size()) setPixmap(frames_[frame]);
}

}  // namespace app
