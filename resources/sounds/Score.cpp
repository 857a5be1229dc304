#include "Score.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <utility>

#include "Rng.h"

namespace sounds {

namespace {

// Voicings: the bass note and four pad notes, close together so the pad moves smoothly.
constexpr Chord Dmaj9{38, {54, 57, 61, 64}};
constexpr Chord Bm9{35, {50, 54, 57, 61}};
constexpr Chord Gmaj9{43, {54, 57, 59, 62}};
constexpr Chord Em9{40, {55, 59, 62, 66}};
constexpr Chord A7sus4{45, {55, 57, 62, 64}};
constexpr Chord Fsm7{42, {57, 61, 64, 66}};
constexpr Chord A6{45, {54, 57, 61, 64}};
constexpr Chord Bm7{47, {54, 57, 62, 66}};
constexpr Chord Gmaj7{43, {55, 59, 62, 66}};
constexpr Chord Em7{40, {55, 59, 62, 64}};
constexpr Chord AoverG{43, {57, 61, 64, 69}};
constexpr Chord DoverFs{42, {57, 62, 64, 66}};
constexpr Chord Asus4{45, {57, 62, 64, 69}};
constexpr Chord Gmaj7overB{47, {55, 59, 62, 66}};

constexpr int SectionBars = 8;
enum class Section { Home, Flow, Bridge, Return, Drift };

// Home and Return share their harmony and their tune; every section ends on a suspended
// dominant that leads back to D, the last one into the first bar of the piece.
constexpr std::array<Section, 5> Form = {Section::Home, Section::Flow, Section::Bridge, Section::Return,
                                         Section::Drift};

std::array<Chord, SectionBars> Harmony(Section section) {
  switch (section) {
    case Section::Home:
    case Section::Return:
      return {Dmaj9, Dmaj9, Bm9, Bm9, Gmaj9, Gmaj9, Em9, A7sus4};
    case Section::Flow:
      return {Dmaj9, Fsm7, Gmaj7, A6, Bm7, Fsm7, Gmaj7, A7sus4};
    case Section::Bridge:
      return {Gmaj7, AoverG, Fsm7, Bm7, Em7, DoverFs, Gmaj9, Asus4};
    case Section::Drift:
      break;
  }
  return {Dmaj9, Bm9, Gmaj9, Em9, Gmaj7overB, A6, Gmaj9, A7sus4};
}

bool SameChord(const Chord& a, const Chord& b) { return a.Bass == b.Bass && a.Pad == b.Pad; }

bool IsChordTone(int note, const Chord& chord) {
  const int pitchClass = ((note % 12) + 12) % 12;
  if (chord.Bass % 12 == pitchClass) return true;
  return std::any_of(chord.Pad.begin(), chord.Pad.end(), [&](int pad) { return pad % 12 == pitchClass; });
}

// Scale degrees of D major: degree 0 is D4 (MIDI 62), 7 is D5.
constexpr std::array<int, 7> MajorSteps = {0, 2, 4, 5, 7, 9, 11};
int FloorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }
int DegreeNote(int degree) { return 62 + 12 * FloorDiv(degree, 7) + MajorSteps[static_cast<std::size_t>(degree - 7 * FloorDiv(degree, 7))]; }
bool Pentatonic(int degree) {
  const int step = degree - 7 * FloorDiv(degree, 7);
  return step != 3 && step != 6;  // leaves out G and C sharp
}

// Rhythms of one bar of melody: (start, length) in beats.
using Rhythm = std::vector<std::pair<double, double>>;
const std::vector<Rhythm>& Rhythms() {
  static const std::vector<Rhythm> rhythms = {
      {{0, 1.5}, {1.5, 0.5}, {2, 2}},          // 0
      {{0, 1}, {1, 1}, {2, 1.5}, {3.5, 0.5}},  // 1
      {{0, 3}, {3, 1}},                        // 2
      {{0.5, 0.5}, {1, 1}, {2, 0.5}, {2.5, 1.5}},  // 3
      {{0, 2}, {2, 2}},                        // 4
      {{0, 4}},                                // 5
      {{0, 1}, {1.5, 0.5}, {2, 1}, {3, 1}},    // 6
      {{1, 1}, {2, 2}},                        // 7
      {{0, 2}, {3, 1}},                        // 8
      {},                                      // 9: a bar of rest
  };
  return rhythms;
}

std::array<int, SectionBars> MelodyPlan(Section section) {
  switch (section) {
    case Section::Home:
    case Section::Return:
      return {0, 7, 2, 5, 0, 7, 4, 5};
    case Section::Flow:
      return {1, 6, 3, 2, 1, 6, 0, 5};
    case Section::Bridge:
      return {4, 3, 8, 2, 4, 3, 0, 5};
    case Section::Drift:
      break;
  }
  return {7, 5, 8, 5, 2, 9, 7, 9};
}

struct MelodyNote {
  int Bar;  // within the section
  double Start, Length;
  int Degree;
};

constexpr int LowestDegree = 4;    // A4
constexpr int HighestDegree = 14;  // D6

// A tune for one section: a weighted walk over the scale that favours steps, stays near its
// arching line, lands on chord tones on the strong beats and at phrase ends, and repeats the
// opening bars' contour in bars five and six so the phrase answers itself.
std::vector<MelodyNote> ComposeMelody(Rng& rng, Section section, int centre) {
  const auto chords = Harmony(section);
  const auto plan = MelodyPlan(section);
  std::vector<MelodyNote> tune;
  int previous = centre;
  for (int bar = 0; bar < SectionBars; ++bar) {
    const Rhythm& rhythm = Rhythms()[static_cast<std::size_t>(plan[static_cast<std::size_t>(bar)])];
    const Chord& chord = chords[static_cast<std::size_t>(bar)];
    for (std::size_t n = 0; n < rhythm.size(); ++n) {
      const auto [start, length] = rhythm[n];
      const bool strong = start == 0.0 || start == 2.0 || length >= 2.0;
      const bool phraseEnd = (bar == 3 || bar == 7) && n + 1 == rhythm.size();
      const bool echo = (bar == 4 || bar == 5) && plan[static_cast<std::size_t>(bar)] == plan[static_cast<std::size_t>(bar - 4)];
      int degree = previous;
      if (echo) {
        // Take the note from four bars earlier and bend it onto the chord where needed.
        std::size_t index = 0;
        for (const MelodyNote& earlier : tune)
          if (earlier.Bar == bar - 4 && index++ == n) degree = earlier.Degree;
        if (strong && !IsChordTone(DegreeNote(degree), chord)) {
          // The nearest chord tone, rather not the note just played.
          int best = degree;
          for (int shift : {1, -1, 2, -2}) {
            const int candidate = degree + shift;
            if (!IsChordTone(DegreeNote(candidate), chord)) continue;
            if (best == degree || (best == previous && candidate != previous)) best = candidate;
          }
          degree = best;
        }
      } else {
        static constexpr std::array<double, 5> StepWeights = {0.25, 4.0, 3.0, 1.2, 0.6};
        // Each four-bar phrase arches up towards its middle and comes back down.
        const double target = centre + 2.5 * std::sin(std::numbers::pi * ((bar % 4) + start / 4.0) / 4.0);
        std::vector<std::pair<int, double>> choices;
        double total = 0.0;
        for (int d = std::max(LowestDegree, previous - 4); d <= std::min(HighestDegree, previous + 4); ++d) {
          const bool chordTone = IsChordTone(DegreeNote(d), chord);
          if ((strong || phraseEnd) && !chordTone) continue;
          double weight = StepWeights[static_cast<std::size_t>(std::abs(d - previous))];
          weight *= std::exp(-std::abs(d - target) / 2.5);
          if (!chordTone && !Pentatonic(d)) weight *= 0.35;
          if (phraseEnd && (DegreeNote(d) % 12 == 2 || DegreeNote(d) % 12 == 9)) weight *= 2.0;
          choices.emplace_back(d, weight);
          total += weight;
        }
        if (!choices.empty()) {
          double pick = rng.Uniform() * total;
          degree = choices.back().first;
          for (const auto& [d, weight] : choices) {
            if (pick < weight) {
              degree = d;
              break;
            }
            pick -= weight;
          }
        }
      }
      tune.push_back({bar, start, length, degree});
      previous = degree;
    }
  }
  return tune;
}

// Pad notes, one per chord and voice, with repeated chords held rather than struck again.
void AddPad(Score& score) {
  for (std::size_t bar = 0; bar < score.Bars.size();) {
    std::size_t end = bar + 1;
    while (end < score.Bars.size() && SameChord(score.Bars[end], score.Bars[bar])) ++end;
    const Chord& chord = score.Bars[bar];
    for (std::size_t v = 0; v < chord.Pad.size(); ++v) {
      const double pan = (static_cast<double>(v) - 1.5) * 0.3;
      score.Notes.push_back({Voice::Pad, static_cast<double>(bar * 4), static_cast<double>((end - bar) * 4),
                             static_cast<double>(chord.Pad[v]), 1.0, pan});
    }
    bar = end;
  }
}

void AddBass(Score& score, Section section, int firstBar) {
  const auto chords = Harmony(section);
  for (int bar = 0; bar < SectionBars; ++bar) {
    const double at = (firstBar + bar) * 4.0;
    const double root = chords[static_cast<std::size_t>(bar)].Bass;
    switch (section) {
      case Section::Home:
      case Section::Drift:
        score.Notes.push_back({Voice::Bass, at, 3.5, root, 0.9, 0.0});
        break;
      case Section::Flow:
      case Section::Return:
        score.Notes.push_back({Voice::Bass, at, 2.4, root, 0.95, 0.0});
        score.Notes.push_back({Voice::Bass, at + 2.5, 1.4, root + 7, 0.75, 0.0});
        break;
      case Section::Bridge:
        score.Notes.push_back({Voice::Bass, at, 1.9, root, 0.9, 0.0});
        score.Notes.push_back({Voice::Bass, at + 2, 1.9, root + 12, 0.6, 0.0});
        break;
    }
  }
}

void AddArpeggio(Score& score, Rng& rng, Section section, int firstBar) {
  const auto chords = Harmony(section);
  for (int bar = 0; bar < SectionBars; ++bar) {
    auto tones = chords[static_cast<std::size_t>(bar)].Pad;
    std::sort(tones.begin(), tones.end());
    std::vector<std::pair<double, int>> steps;  // (beat, which tone)
    switch (section) {
      case Section::Home:
        steps = {{0, 0}, {1, 1}, {2, 2}, {3, 3}};
        break;
      case Section::Flow:
      case Section::Return:
        for (int i = 0; i < 8; ++i) steps.emplace_back(i * 0.5, std::array{0, 1, 2, 3, 2, 1, 2, 1}[static_cast<std::size_t>(i)]);
        break;
      case Section::Bridge:
        steps = {{0, 3}, {0.75, 2}, {1.5, 1}, {2.25, 0}, {3, 1}, {3.5, 2}};
        break;
      case Section::Drift:
        if (bar < 6)
          steps = {{0, 3}, {1, 2}, {2, 1}, {3, 0}};
        else
          steps = {{0, 3}, {2, 1}};
        break;
    }
    for (std::size_t i = 0; i < steps.size(); ++i) {
      const double jitter = rng.Range(-0.012, 0.012);
      const double at = std::max(0.0, (firstBar + bar) * 4.0 + steps[i].first + jitter);
      const double velocity = 0.6 + rng.Range(0.0, 0.25) + (steps[i].first == 0.0 ? 0.15 : 0.0);
      const double pan = i % 2 == 0 ? -0.55 : 0.55;
      score.Notes.push_back({Voice::Arpeggio, at, 0.5, static_cast<double>(tones[static_cast<std::size_t>(steps[i].second)] + 24),
                             velocity, pan});
    }
  }
}

void AddPercussion(Score& score, Rng& rng, Section section, int firstBar) {
  const bool beat = section == Section::Flow || section == Section::Return;
  for (int bar = 0; bar < SectionBars; ++bar) {
    const double at = (firstBar + bar) * 4.0;
    if (beat) {
      score.Notes.push_back({Voice::Kick, at, 0.5, 31, 0.85, 0.0});
      score.Notes.push_back({Voice::Kick, at + 2, 0.5, 31, 0.6, 0.0});
      static constexpr std::array<double, 8> Accents = {0.35, 0.8, 0.5, 0.9, 0.35, 0.8, 0.5, 0.9};
      for (int i = 0; i < 8; ++i)
        score.Notes.push_back({Voice::Shaker, at + i * 0.5 + rng.Range(0.0, 0.02), 0.25, 0,
                               Accents[static_cast<std::size_t>(i)] * rng.Range(0.85, 1.0), 0.35});
    }
    // Now and then a bubble rises through the music, as in the game.
    const double chance = beat ? 0.12 : 0.06;
    static constexpr std::array<int, 6> BubbleNotes = {81, 83, 86, 88, 90, 93};
    for (int i = 0; i < 8; ++i)
      if (rng.Uniform() < chance)
        score.Notes.push_back({Voice::Bubble, at + i * 0.5, 0.25,
                               static_cast<double>(BubbleNotes[static_cast<std::size_t>(rng.Below(6))]),
                               rng.Range(0.5, 1.0), rng.Range(-0.8, 0.8)});
  }
}

void AddMelody(Score& score, const std::vector<MelodyNote>& tune, Section section, int firstBar, Rng& rng) {
  const auto chords = Harmony(section);
  for (const MelodyNote& note : tune) {
    const double at = (firstBar + note.Bar) * 4.0 + note.Start;
    const int pitch = DegreeNote(note.Degree);
    const double velocity = 0.75 + rng.Range(0.0, 0.15) + (note.Start == 0.0 ? 0.1 : 0.0);
    score.Notes.push_back({Voice::Lead, at, note.Length, static_cast<double>(pitch), velocity, -0.15});
    // On the way back home the tune is doubled below by a chord tone, on its longer notes.
    if (section == Section::Return && note.Length >= 1.0) {
      const Chord& chord = chords[static_cast<std::size_t>(note.Bar)];
      int below = pitch - 3;
      while (below > pitch - 6 && !IsChordTone(below, chord)) --below;
      if (IsChordTone(below, chord))
        score.Notes.push_back({Voice::Harmony, at, note.Length, static_cast<double>(below), velocity * 0.8, 0.4});
    }
  }
}

}  // namespace

bool InKey(int note) {
  const int pitchClass = ((note - 62) % 12 + 12) % 12;
  return std::find(MajorSteps.begin(), MajorSteps.end(), pitchClass) != MajorSteps.end();
}

Score ComposeScore() {
  Score score;
  for (Section section : Form) {
    const auto chords = Harmony(section);
    score.Bars.insert(score.Bars.end(), chords.begin(), chords.end());
  }
  AddPad(score);

  // Fixed seeds: each picks one tune among the many the rules allow, chosen by ear.
  Rng tuneRng(31337);
  const std::vector<MelodyNote> homeTune = ComposeMelody(tuneRng, Section::Home, 9);
  const std::vector<MelodyNote> flowTune = ComposeMelody(tuneRng, Section::Flow, 10);
  const std::vector<MelodyNote> bridgeTune = ComposeMelody(tuneRng, Section::Bridge, 8);
  const std::vector<MelodyNote> driftTune = ComposeMelody(tuneRng, Section::Drift, 9);

  // Small liberties of the players: arpeggio timing and touch, shaker accents, bubbles.
  Rng playRng(77);
  for (std::size_t s = 0; s < Form.size(); ++s) {
    const Section section = Form[s];
    const int firstBar = static_cast<int>(s) * SectionBars;
    AddBass(score, section, firstBar);
    AddArpeggio(score, playRng, section, firstBar);
    AddPercussion(score, playRng, section, firstBar);
    const std::vector<MelodyNote>& tune = section == Section::Flow     ? flowTune
                                          : section == Section::Bridge ? bridgeTune
                                          : section == Section::Drift  ? driftTune
                                                                       : homeTune;
    AddMelody(score, tune, section, firstBar, playRng);
  }
  return score;
}

}  // namespace sounds
