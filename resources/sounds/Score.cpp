#include "Score.h"

#include <algorithm>
#include <cmath>

#include "Rng.h"

namespace sounds {

namespace {

// The notes the tunes are written in (MIDI numbers).
constexpr int Cs5 = 73, D5 = 74, E5 = 76, Fs5 = 78, G5 = 79, A5 = 81, B5 = 83, Cs6 = 85, D6 = 86;

// The bass between E2 and D3, so that most of it sounds on small speakers; the voicings close
// together around middle C sharp, under the tune.
constexpr Chord D{50, {62, 66, 69, 74}};
constexpr Chord A{45, {61, 64, 69, 73}};
constexpr Chord A7{45, {61, 64, 67, 69}};
constexpr Chord Asus4{45, {62, 64, 69, 74}};
constexpr Chord Bm{47, {62, 66, 71, 74}};
constexpr Chord G{43, {62, 67, 71, 74}};
constexpr Chord Gmaj7{43, {62, 66, 71, 74}};
constexpr Chord Fsm{42, {61, 66, 69, 73}};
constexpr Chord Em{40, {64, 67, 71, 76}};

constexpr int SectionBars = 8;
constexpr double BarBeats = 4.0;  // the tunes and grooves are written in four-four

// One bar of a tune: (beat in the bar, beats held, note).
struct Step {
  double Start, Length;
  int Pitch;
};
using Bar = std::vector<Step>;
using Tune = std::array<Bar, SectionBars>;

// The theme: a three-note pickup into a leap, answered a step lower, sung twice with a
// different ending; every bar lands on its chord.
const Tune& Theme() {
  static const Bar hook = {{0, .5, A5}, {.5, .5, Fs5}, {1, .5, A5}, {1.5, 1, D6}, {2.5, .5, B5}, {3, 1, A5}};
  static const Bar answer = {{0, .5, A5}, {.5, .5, E5}, {1, .5, A5}, {1.5, 1, Cs6}, {2.5, .5, B5}, {3, 1, A5}};
  static const Tune tune = {
      hook,
      answer,
      {{0, .5, B5}, {.5, .5, Fs5}, {1, .5, B5}, {1.5, 1, D6}, {2.5, .5, Cs6}, {3, .5, B5}, {3.5, .5, A5}},
      {{0, 1.5, B5}, {1.5, .5, A5}, {2, 1, G5}, {3, .5, Fs5}, {3.5, .5, E5}},
      hook,
      answer,
      {{0, .5, D6}, {.5, .5, B5}, {1, .5, G5}, {1.5, .5, B5}, {2, .5, D6}, {2.5, .5, B5}, {3, .5, A5}, {3.5, .5, G5}},
      {{0, 1.5, A5}, {1.5, .5, G5}, {2, 1, E5}, {3, .5, Cs5}, {3.5, .5, E5}},
  };
  return tune;
}

// The lift: longer, higher notes that sway across the bar line.
const Tune& Lift() {
  static const Bar sway = {{0, 1, D6}, {1, .5, B5}, {1.5, 1.5, D6}, {3, .5, B5}, {3.5, .5, A5}};
  static const Tune tune = {
      sway,
      {{0, 1, Cs6}, {1, .5, A5}, {1.5, 1.5, Cs6}, {3, .5, B5}, {3.5, .5, A5}},
      {{0, 1, A5}, {1, .5, Fs5}, {1.5, .5, A5}, {2, 1, Cs6}, {3, .5, B5}, {3.5, .5, A5}},
      {{0, 2, B5}, {2, .5, Fs5}, {2.5, .5, A5}, {3, 1, B5}},
      sway,
      {{0, .5, Cs6}, {.5, .5, D6}, {1, .5, Cs6}, {1.5, 1.5, A5}, {3, .5, E5}, {3.5, .5, A5}},
      {{0, .5, G5}, {.5, .5, B5}, {1, .5, E5}, {1.5, .5, G5}, {2, 1, B5}, {3, .5, A5}, {3.5, .5, G5}},
      {{0, 1, A5}, {1, .5, G5}, {1.5, .5, E5}, {2, .5, Cs5}, {2.5, .5, E5}, {3, 1, A5}},
  };
  return tune;
}

// The breakdown's slow line: the theme's outline in long notes.
const Tune& Glide() {
  static const Tune tune = {{
      {{0, 2, Fs5}, {2, 2, B5}},
      {{0, 3, D6}, {3, 1, B5}},
      {{0, 2, A5}, {2, 2, Fs5}},
      {{0, 2, E5}, {2, 2, A5}},
      {{0, 2, Fs5}, {2, 2, B5}},
      {{0, 2, D6}, {2, 1, B5}, {3, 1, G5}},
      {{0, 2, B5}, {2, 2, G5}},
      {{0, 4, A5}},
  }};
  return tune;
}

enum class Section { Theme, ThemeBells, Lift, Breakdown, ThemeHarmony, LiftBells };

// The theme twice, the lift, a breakdown that builds back up, the theme in thirds and the
// lift once more, whose last bar leads into the first: the groove runs through the seam.
constexpr std::array<Section, 6> Form = {Section::Theme,     Section::ThemeBells,   Section::Lift,
                                         Section::Breakdown, Section::ThemeHarmony, Section::LiftBells};

bool IsLift(Section section) { return section == Section::Lift || section == Section::LiftBells; }

std::array<Chord, SectionBars> Harmony(Section section) {
  switch (section) {
    case Section::Lift:
    case Section::LiftBells:
      return {G, A, Fsm, Bm, G, A, Em, A7};
    case Section::Breakdown:
      return {Bm, Gmaj7, D, A, Bm, Gmaj7, Em, Asus4};
    default:
      return {D, A, Bm, G, D, A, G, A7};
  }
}

const Tune& TuneOf(Section section) {
  switch (section) {
    case Section::Lift:
    case Section::LiftBells:
      return Lift();
    case Section::Breakdown:
      return Glide();
    default:
      return Theme();
  }
}

bool IsChordTone(int note, const Chord& chord) {
  const int pitchClass = note % 12;
  if (chord.Bass % 12 == pitchClass) return true;
  return std::any_of(chord.Voicing.begin(), chord.Voicing.end(), [&](int tone) { return tone % 12 == pitchClass; });
}

// Small liberties of the players: no two notes struck with quite the same weight.
double Touch(Rng& rng, double velocity) { return velocity * rng.Range(0.9, 1.0); }

class Writer {
 public:
  Writer(Score& score, Rng& rng, int firstBar) : Out(score), Random(rng), FirstBar(firstBar) {}

  void Add(Voice voice, int bar, double beat, double length, double pitch, double velocity, double pan) {
    Out.Notes.push_back({voice, (FirstBar + bar) * BarBeats + beat, length, pitch, velocity, pan});
  }

  // The tune on one voice, the first note of each bar a little stronger.
  void AddTune(const Tune& tune, Voice voice, int transpose, double velocity, double pan) {
    for (int bar = 0; bar < SectionBars; ++bar)
      for (const Step& step : tune[static_cast<std::size_t>(bar)])
        Add(voice, bar, step.Start, step.Length, step.Pitch + transpose,
            Touch(Random, velocity * (step.Start == 0.0 ? 1.0 : 0.88)), pan);
  }

  // The tune doubled in thirds and sixths below: on each note the nearest chord tone at least
  // a minor third down.
  void AddHarmony(const Tune& tune, const std::array<Chord, SectionBars>& chords) {
    for (int bar = 0; bar < SectionBars; ++bar) {
      const Chord& chord = chords[static_cast<std::size_t>(bar)];
      for (const Step& step : tune[static_cast<std::size_t>(bar)]) {
        int below = step.Pitch - 3;
        while (!IsChordTone(below, chord)) --below;
        Add(Voice::Harmony, bar, step.Start, step.Length, below, Touch(Random, 0.62), 0.45);
      }
    }
  }

  void AddBass(const std::array<Chord, SectionBars>& chords, Section section) {
    for (int bar = 0; bar < SectionBars; ++bar) {
      const int root = chords[static_cast<std::size_t>(bar)].Bass;
      switch (section) {
        case Section::Lift:
        case Section::LiftBells:
          // Skipping: root, its repeat, the octave, the fifth and back up.
          for (const Step& step : Bar{{0, .7, root},
                                      {.75, .2, root},
                                      {1.5, .4, root + 12},
                                      {2, .7, root + 7},
                                      {2.75, .2, root + 7},
                                      {3.5, .4, root + 12}})
            Add(Voice::Bass, bar, step.Start, step.Length, step.Pitch, Touch(Random, 0.85), 0.0);
          break;
        case Section::Breakdown:
          if (bar < 6) {
            Add(Voice::Bass, bar, 0, 3.8, root, 0.75, 0.0);
            break;
          }
          [[fallthrough]];
        default:
          // Bouncing eighths between the root and its octave, the fifth before the last.
          for (int i = 0; i < 8; ++i) {
            const int pitch = i == 6 ? root + 7 : i % 2 == 0 ? root : root + 12;
            Add(Voice::Bass, bar, i * 0.5, 0.4, pitch, Touch(Random, i % 2 == 0 ? 0.9 : 0.65), 0.0);
          }
          break;
      }
    }
  }

  // Short chords off the beat, strummed quickly and alternating between the sides.
  void AddPlucks(const std::array<Chord, SectionBars>& chords, bool syncopated) {
    static const std::vector<double> offBeats = {0.5, 1.5, 2.5, 3.5};
    static const std::vector<double> skipping = {0.0, 0.75, 1.5, 2.0, 2.75, 3.5};
    const std::vector<double>& hits = syncopated ? skipping : offBeats;
    for (int bar = 0; bar < SectionBars; ++bar) {
      const Chord& chord = chords[static_cast<std::size_t>(bar)];
      for (std::size_t h = 0; h < hits.size(); ++h) {
        const double pan = h % 2 == 0 ? -0.4 : 0.4;
        const double velocity = Touch(Random, std::fmod(hits[h], 1.0) == 0.0 ? 0.6 : 0.75);
        for (std::size_t v = 0; v < chord.Voicing.size(); ++v)
          Add(Voice::Pluck, bar, hits[h] + 0.012 * static_cast<double>(v), 0.3, chord.Voicing[v], velocity, pan);
      }
    }
  }

  void AddPad(const std::array<Chord, SectionBars>& chords) {
    for (int bar = 0; bar < SectionBars; ++bar) {
      const Chord& chord = chords[static_cast<std::size_t>(bar)];
      for (std::size_t v = 0; v < chord.Voicing.size(); ++v)
        Add(Voice::Pad, bar, 0, 4, chord.Voicing[v], 0.8, (static_cast<double>(v) - 1.5) * 0.4);
    }
  }

  // Glass bells two octaves above the chord, running up and down in sixteenths (or eighths).
  void AddArpeggio(const std::array<Chord, SectionBars>& chords, double stepBeats) {
    static constexpr std::array<std::size_t, 8> Order = {0, 1, 2, 3, 2, 1, 3, 1};
    const auto steps = static_cast<std::size_t>(std::lround(BarBeats / stepBeats));
    for (int bar = 0; bar < SectionBars; ++bar) {
      const Chord& chord = chords[static_cast<std::size_t>(bar)];
      for (std::size_t i = 0; i < steps; ++i) {
        const double beat = static_cast<double>(i) * stepBeats;
        const double velocity = Touch(Random, std::fmod(beat, 1.0) == 0.0 ? 0.6 : 0.42);
        Add(Voice::Arpeggio, bar, beat, stepBeats, chord.Voicing[Order[i % Order.size()]] + 24, velocity,
            i % 2 == 0 ? -0.6 : 0.6);
      }
    }
  }

  void AddDrums(Section section) {
    for (int bar = 0; bar < SectionBars; ++bar) {
      if (section == Section::Breakdown) {
        AddBreakdownDrums(bar);
        continue;
      }
      const bool lift = IsLift(section);
      const bool busy = section != Section::Theme;
      Add(Voice::Kick, bar, 0, 0.5, 0, 0.95, 0.0);
      if (lift) Add(Voice::Kick, bar, 1.5, 0.5, 0, 0.6, 0.0);
      Add(Voice::Kick, bar, 2, 0.5, 0, 0.85, 0.0);
      Add(Voice::Clap, bar, 1, 0.5, 0, Touch(Random, 0.85), 0.1);
      Add(Voice::Clap, bar, 3, 0.5, 0, Touch(Random, 0.85), 0.1);
      for (int i = 0; i < 8; ++i) {
        const double beat = i * 0.5;
        // Open on the off-beats of the lift, closed everywhere else.
        const bool open = lift && i % 2 == 1;
        Add(Voice::HiHat, bar, beat, open ? 0.9 : 0.25, 0, Touch(Random, i % 2 == 1 ? 0.75 : 0.45), 0.35);
        if (busy && !open) Add(Voice::HiHat, bar, beat + 0.25, 0.2, 0, Touch(Random, 0.28), 0.35);
        if (busy) Add(Voice::Shaker, bar, beat, 0.25, 0, Touch(Random, i % 2 == 1 ? 0.7 : 0.4), -0.45);
      }
      // A fill at each phrase end, into the next one.
      if (bar == 3 || bar == 7) {
        Add(Voice::Kick, bar, 3.5, 0.5, 0, 0.6, 0.0);
        Add(Voice::Clap, bar, 3.75, 0.25, 0, 0.55, -0.1);
      }
    }
  }

  // Bubbles rise through the music at the end of the first phrase, as in the game.
  void AddBubbles() {
    static constexpr std::array<int, 4> Rise = {86, 88, 90, 93};
    for (std::size_t i = 0; i < Rise.size(); ++i)
      Add(Voice::Bubble, 3, 3.0 + 0.25 * static_cast<double>(i), 0.25, Rise[i], 0.6 + 0.1 * static_cast<double>(i),
          -0.6 + 0.4 * static_cast<double>(i));
  }

 private:
  // Kick and off-beat hats at first, then a clap comes in and the last bar builds in
  // sixteenths back into the theme.
  void AddBreakdownDrums(int bar) {
    const int claps = bar < 6 ? 0 : bar == 6 ? 8 : 16;
    Add(Voice::Kick, bar, 0, 0.5, 0, 0.8, 0.0);
    if (bar == 7)
      for (int beat = 1; beat < 4; ++beat) Add(Voice::Kick, bar, beat, 0.5, 0, 0.6 + 0.1 * beat, 0.0);
    for (int i = 0; i < 4; ++i) Add(Voice::HiHat, bar, i + 0.5, 0.25, 0, Touch(Random, 0.6), 0.35);
    for (int i = 0; i < claps; ++i) {
      const double beat = BarBeats * i / claps;
      Add(Voice::Clap, bar, beat, 0.25, 0, 0.3 + 0.55 * beat / BarBeats + (bar == 7 ? 0.1 : 0.0), 0.0);
    }
  }

  Score& Out;
  Rng& Random;
  int FirstBar;
};

}  // namespace

bool InKey(int note) {
  static constexpr std::array<int, 7> MajorSteps = {0, 2, 4, 5, 7, 9, 11};
  const int pitchClass = ((note - 62) % 12 + 12) % 12;
  return std::find(MajorSteps.begin(), MajorSteps.end(), pitchClass) != MajorSteps.end();
}

Score ComposeScore() {
  Score score;
  score.BeatsPerBar = static_cast<int>(BarBeats);
  Rng rng(77);
  for (std::size_t s = 0; s < Form.size(); ++s) {
    const Section section = Form[s];
    const auto chords = Harmony(section);
    score.Bars.insert(score.Bars.end(), chords.begin(), chords.end());
    Writer writer(score, rng, static_cast<int>(s) * SectionBars);
    const Tune& tune = TuneOf(section);
    const bool breakdown = section == Section::Breakdown;
    writer.AddTune(tune, Voice::Lead, 0, breakdown ? 0.7 : 0.9, -0.1);
    if (breakdown || section == Section::ThemeBells || section == Section::LiftBells)
      writer.AddTune(tune, Voice::Bell, 12, breakdown ? 0.6 : 0.45, 0.3);
    if (section == Section::ThemeHarmony) writer.AddHarmony(tune, chords);
    writer.AddBass(chords, section);
    if (breakdown) {
      writer.AddPad(chords);
      writer.AddArpeggio(chords, 0.25);
    } else {
      writer.AddPlucks(chords, IsLift(section));
    }
    if (section == Section::ThemeHarmony) writer.AddArpeggio(chords, 0.5);
    writer.AddDrums(section);
    writer.AddBubbles();
  }
  return score;
}

}  // namespace sounds
