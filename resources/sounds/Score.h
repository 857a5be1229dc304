// The music's composition: a calm piece in D major that loops, written out procedurally as
// notes (chords for a pad and a bass, a mallet melody, glass arpeggios, soft percussion).
#pragma once
#include <array>
#include <vector>

namespace sounds {

enum class Voice { Pad, Bass, Lead, Harmony, Arpeggio, Kick, Shaker, Bubble };

struct Note {
  Voice Instrument;
  double Start;     // beats from the start of the piece
  double Length;    // beats the note is held
  double Pitch;     // MIDI note number (percussion: its tuning)
  double Velocity;  // 0..1
  double Pan;       // -1 left .. +1 right
};

struct Chord {
  int Bass;                 // MIDI note of the bass
  std::array<int, 4> Pad;   // the pad's voicing, MIDI notes
};

struct Score {
  double Tempo = 80.0;  // beats per minute
  int BeatsPerBar = 4;
  std::vector<Chord> Bars;  // the harmony of each bar; their count is the loop's length
  std::vector<Note> Notes;

  double SecondsPerBeat() const { return 60.0 / Tempo; }
  double LoopBeats() const { return static_cast<double>(Bars.size() * static_cast<std::size_t>(BeatsPerBar)); }
};

// The whole piece; the same every time (its random choices come from fixed seeds). It is
// written as a cycle: its last bar leads into its first.
Score ComposeScore();

// Whether a MIDI note belongs to D major.
bool InKey(int note);

}  // namespace sounds
