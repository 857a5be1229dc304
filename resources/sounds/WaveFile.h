// RIFF WAVE files in the canonical 44-byte layout the game reads at fixed positions:
// "fmt " chunk of 16 bytes first, the "data" chunk right after it.
#pragma once
#include <cstdint>
#include <vector>

namespace sounds {

constexpr std::size_t WaveHeaderBytes = 44;

// 16-bit PCM samples from floats in -1..1: rounded, clamped.
std::vector<int16_t> ToPcm16(const std::vector<float>& samples);

// A complete file: header plus samples, little-endian, for 16-bit PCM.
std::vector<uint8_t> MakeWaveFile(const std::vector<int16_t>& samples, uint32_t rate, uint16_t channels);

}  // namespace sounds
