// The music's composition: a bright, bouncy piece in D major that loops, written out as notes
// (a plucked lead tune, glass bells, off-beat chord plucks, a bouncing bass, a light drum kit
// and the game's bubbles).
#pragma once
#include <array>
#include <cstddef>
#include <vector>

namespace sounds {

enum class Voice { Lead, Harmony, Bell, Pluck, Bass, Pad, Arpeggio, Kick, Clap, HiHat, Shaker, Bubble };
constexpr std::size_t VoiceCount = static_cast<std::size_t>(Voice::Bubble) + 1;

struct Note {
  Voice Instrument;
  double Start;     // beats from the start of the piece
  double Length;    // beats the note is held
  double Pitch;     // MIDI note number (noise percussion: unused)
  double Velocity;  // 0..1
  double Pan;       // -1 left .. +1 right
};

struct Chord {
  int Bass;                    // MIDI note of the bass
  std::array<int, 4> Voicing;  // the plucks' and the pad's notes, MIDI, lowest first
};

struct Score {
  double Tempo = 120.0;  // beats per minute
  int BeatsPerBar = 4;
  std::vector<Chord> Bars;  // the harmony of each bar; their count is the loop's length
  std::vector<Note> Notes;

  double SecondsPerBeat() const { return 60.0 / Tempo; }
  double LoopBeats() const { return static_cast<double>(Bars.size() * static_cast<std::size_t>(BeatsPerBar)); }
};

// The whole piece; the same every time (its few random touches come from fixed seeds). It is
// written as a cycle: its last bar leads into its first.
Score ComposeScore();

// Whether a MIDI note belongs to D major.
bool InKey(int note);

}  // namespace sounds
