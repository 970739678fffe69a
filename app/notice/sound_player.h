// Plays the built-in clips without waiting for them.
#pragma once

#include <QSoundEffect>
#include <functional>

namespace app {

enum class SoundClip { NewMail, CheckStart };

// Whether the system has any sound output at all.
bool HasAudioOutput();

class SoundPlayer {
 public:
  using AudioOutputProbe = std::function<bool()>;

  // Both clips are loaded at once, so a request later starts without delay.
  explicit SoundPlayer(AudioOutputProbe hasAudioOutput = HasAudioOutput);
  SoundPlayer(const SoundPlayer&) = delete;
  SoundPlayer& operator=(const SoundPlayer&) = delete;

  // Starts the clip and returns at once. False when the request was refused;
  // the caller may then beep instead.
  bool Play(SoundClip clip);

  bool IsPlaying(SoundClip clip) const;

 private:
  QSoundEffect& Effect(SoundClip clip);
  const QSoundEffect& Effect(SoundClip clip) const;

  AudioOutputProbe hasAudioOutput_;
  QSoundEffect newMail_;
  QSoundEffect checkStart_;
};

}  // namespace app
