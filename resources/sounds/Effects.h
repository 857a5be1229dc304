// The game's ten sound effects, made by synthesis: one palette of soft glass mallets and
// bubbles in D major, mono 16-bit at 22050 Hz, each exactly as long as the game expects.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

namespace sounds {

constexpr uint32_t EffectRate = 22050;
constexpr int EffectCount = 10;

struct EffectInfo {
  const char* Resource;  // the resource name, also the file name without ".wav"
  uint32_t DataBytes;    // bytes of samples in the file
  double LevelDb;        // loudness relative to the other effects
};

// In effect-index order: menu move, value change, enter, leave, typed character, sideways
// move, rise, removed row, bubble step, level up.
extern const std::array<EffectInfo, EffectCount> Effects;

// The finished samples of one effect: faded in and out, at its loudness, peaks below -1 dBFS.
std::vector<int16_t> RenderEffect(int index);

// The complete RIFF WAVE file of one effect.
std::vector<uint8_t> MakeEffectFile(int index);

// Loudness of a sound: the RMS of its loudest 50 ms, relative to full scale (dB).
double ShortTermLoudnessDb(const std::vector<float>& samples, double rate);

}  // namespace sounds
