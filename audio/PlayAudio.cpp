#include "audio/PlayAudio.h"

TAudio::TAudio(const std::string& path, const std::vector<std::string>& musicDirectories)
    : TAudio(platform::SoundDevice::Create(), path, musicDirectories) {}

TAudio::TAudio(std::unique_ptr<platform::SoundDevice> device, const std::string& path,
               const std::vector<std::string>& musicDirectories)
    : DirectSound(std::move(device)) {
  // No device: no effects and no music, and nothing said.
  if (!DirectSound) return;
  MakeEffects();
  Music = std::make_unique<TOgg>(*DirectSound, MusicFile, path, &MusicAvailable, musicDirectories);
  SoundAvailable = 1;
}

void TAudio::MakeEffects() {
  for (int i = 0; i < EffectCount; ++i) Sounds[i] = std::make_unique<TSound>(*DirectSound, EffectResources[i]);
}

void TAudio::RemakeEffects() {
  if (!SoundAvailable) return;
  for (auto& sound : Sounds) sound.reset();
  MakeEffects();
}

TAudio::~TAudio() {
  for (auto& sound : Sounds) sound.reset();
  Music.reset();
  DirectSound.reset();
}

void TAudio::SetAudible(bool audible) {
  if (DirectSound) DirectSound->GetMixer().SetAudible(audible);
}

void TAudio::PlayAudio(int index, int soundVolume, int musicVolume) {
  if (SoundAvailable && index >= 0 && index < EffectCount) Sounds[index]->Play(soundVolume, 0);
  if (MusicAvailable && index == MusicIndex) Music->Play(musicVolume, 1);
}
