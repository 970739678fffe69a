#include "app/notice/sound_player.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QUrl>

#include "app/window/embedded_resources.h"

namespace app {

bool HasAudioOutput() { return !QMediaDevices::audioOutputs().isEmpty(); }

SoundPlayer::SoundPlayer(AudioOutputProbe hasAudioOutput) : hasAudioOutput_(std::move(hasAudioOutput)) {
  newMail_.setSource(QUrl(QString::fromLatin1(kNewMailSound)));
  checkStart_.setSource(QUrl(QString::fromLatin1(kCheckStartSound)));
}

bool SoundPlayer::Play(SoundClip clip) {
  // A sound effect reports itself playing even when no device can sound it,
  // so the missing device is the refusal, asked anew each time because
  // devices come and go.
  if (!hasAudioOutput_()) return false;
  Effect(clip).play();
  return true;
}

bool SoundPlayer::IsPlaying(SoundClip clip) const { return Effect(clip).isPlaying(); }

QSoundEffect& SoundPlayer::Effect(SoundClip clip) { return clip == SoundClip::NewMail ? newMail_ : checkStart_; }

const QSoundEffect& SoundPlayer::Effect(SoundClip clip) const {
  return clip == SoundClip::NewMail ? newMail_ : checkStart_;
}

}  // namespace app
