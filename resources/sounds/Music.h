// The game's background music: the composed score played by the palette's instruments in
// a small room, rendered as one seamless loop and encoded as Ogg Vorbis.
#pragma once
#include <cstdint>
#include <vector>

#include "Reverb.h"
#include "Rng.h"
#include "Score.h"

namespace sounds {

constexpr uint32_t MusicRate = 44100;
// Fixed so that every build writes the same bytes.
constexpr int MusicStreamSerial = 0x48756542;
constexpr float MusicQuality = 0.3f;

struct StereoAudio {
  std::vector<float> Left, Right;
  std::size_t Frames() const { return Left.size(); }
};

// The reverb and echo every instrument is sent into.
class MusicRoom {
 public:
  // Seconds after the last note in which the room falls silent (far below 16-bit noise).
  static constexpr double TailSeconds = 8.0;

  // echoSeconds: the time between the echoes, a dotted eighth of the piece's tempo.
  explicit MusicRoom(double echoSeconds);
  // One frame: the dry signal and the two sends in, the finished frame out.
  void Process(double dryLeft, double dryRight, double reverbLeft, double reverbRight, double echo, double& outLeft,
               double& outRight);

 private:
  Reverb Room;
  PingPongDelay Echo;
};

// One note of the score on its instrument, mono, from the note's start until it has died
// away: it rises from silence and ends in silence.
std::vector<float> RenderNote(const Note& note, double secondsPerBeat, Rng& rng);

// Folds everything past loopFrames back onto the start, as if the piece had already been
// playing round and round: tails of the end ring on into the beginning.
void WrapLoop(StereoAudio& audio, std::size_t loopFrames);

// The score played and mixed, exactly its loop long, levelled with peaks under -1 dBFS.
StereoAudio RenderMusic(const Score& score);

// The complete "Music.ogg".
std::vector<uint8_t> MakeMusicFile();

}  // namespace sounds
