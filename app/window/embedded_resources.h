// The sounds and images built into the program (app/resources.qrc, made by
// scripts/make-resources).
#pragma once

#include <QIcon>
#include <QList>
#include <QPixmap>
#include <chrono>

namespace app {

inline constexpr char kNewMailSound[] = "qrc:/resources/new_mail.wav";
inline constexpr char kCheckStartSound[] = "qrc:/resources/check_start.wav";
inline constexpr char kProgramIconSvg[] = ":/resources/tessaro.svg";

inline constexpr int kBusyFrameCount = 60;
inline constexpr int kBusyFrameSize = 20;
inline constexpr std::chrono::microseconds kBusyFramePeriod{55556};
inline constexpr int kProgramIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// The envelope at every size it was drawn at.
QIcon ProgramIcon();
// The notice window's own 32 x 32 image.
QPixmap NoticeIcon();
// The frames of the busy globe in playing order; it loops.
QList<QPixmap> BusyFrames();

}  // namespace app
