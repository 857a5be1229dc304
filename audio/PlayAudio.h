// The game's sound: the output device, the ten effects and the music stream, and PlayAudio,
// the one way the game asks for a sound.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/Ogg.h"
#include "audio/Sound.h"
#include "platform/Sound.h"

class TAudio {
 public:
  static constexpr int EffectCount = 10;
  static constexpr int MusicIndex = 10;
  // The effects' wave resources, in effect-index order.
  static constexpr std::array<const char*, EffectCount> EffectResources = {
      "ID_MENUUPDOWN", "ID_MENULEFTRIGHT", "ID_MENUIN",  "ID_MENUOUT",  "ID_MENUCHAR",
      "ID_PLAYLEFTRIGHT", "ID_PLAYUP",     "ID_PLAYLINE", "ID_PLAYMOVE", "ID_PLAYLEVEL"};
  static constexpr const char* MusicFile = "Music.ogg";

  // Opens the default sound output, then makes the effects and the music stream. The music is
  // looked for in the current directory, then in the directories of `path` (";"-separated),
  // then in `musicDirectories`. Without an output the game is silent: both flags stay 0.
  explicit TAudio(const std::string& path, const std::vector<std::string>& musicDirectories = {});
  // The same on a given device; null means no sound device.
  TAudio(std::unique_ptr<platform::SoundDevice> device, const std::string& path,
         const std::vector<std::string>& musicDirectories = {});
  // Releases the effects in index order, then the music, then the device.
  ~TAudio();
  TAudio(const TAudio&) = delete;
  TAudio& operator=(const TAudio&) = delete;

  // Index 0..9 plays that effect at `soundVolume`, 10 the music at `musicVolume`, looping
  // (levels 0..10 of the settings word, read by the caller at the moment of the request).
  // Anything else, and anything without its device or music file, is ignored.
  void PlayAudio(int index, int soundVolume, int musicVolume);

  // Off while the game's window does not have the focus: the output falls silent and comes
  // back where the music has got to meanwhile; the volumes, the music stream and every request
  // go on as they were. On from the start.
  void SetAudible(bool audible);

  // Releases the ten effects in index order and makes them again on the same device, as after
  // the display changed under the game; the device and the music stream stay as they are.
  void RemakeEffects();

  std::unique_ptr<platform::SoundDevice> DirectSound;
  std::array<std::unique_ptr<TSound>, EffectCount> Sounds;
  std::unique_ptr<TOgg> Music;
  uint8_t SoundAvailable = 0;  // the device is up and the effects are made
  uint8_t MusicAvailable = 0;  // the music stream is ready to play

 private:
  void MakeEffects();
};
