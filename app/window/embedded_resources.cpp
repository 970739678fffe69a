#include "app/window/embedded_resources.h"

#include <QString>

namespace app {

QIcon ProgramIcon() {
  QIcon icon;
  for (int size : kProgramIconSizes)
    icon.addFile(QStringLiteral(":/resources/tessaro_%1.png").arg(size), QSize(size, size));
  return icon;
}

QPixmap NoticeIcon() { return QPixmap(QStringLiteral(":/resources/new_mail_notice.png")); }

QList<QPixmap> BusyFrames() {
  // One strip with the frames side by side.
  const QPixmap strip(QStringLiteral(":/resources/busy_globe.png"));
  QList<QPixmap> frames;
  frames.reserve(kBusyFrameCount);
  for (int i = 0; i < kBusyFrameCount; ++i)
    frames.append(strip.copy(i * kBusyFrameSize, 0, kBusyFrameSize, kBusyFrameSize));
  return frames;
}

}  // namespace app
