#include "WaveFile.h"

#include <algorithm>
#include <cmath>

namespace sounds {

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value & 0xFF));
  out.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
}

void Put32(std::vector<uint8_t>& out, uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

void PutTag(std::vector<uint8_t>& out, const char (&tag)[5]) { out.insert(out.end(), tag, tag + 4); }

}  // namespace

std::vector<int16_t> ToPcm16(const std::vector<float>& samples) {
  std::vector<int16_t> out;
  out.reserve(samples.size());
  for (float sample : samples) {
    const double scaled = std::clamp(std::round(static_cast<double>(sample) * 32767.0), -32768.0, 32767.0);
    out.push_back(static_cast<int16_t>(scaled));
  }
  return out;
}

std::vector<uint8_t> MakeWaveFile(const std::vector<int16_t>& samples, uint32_t rate, uint16_t channels) {
  const uint32_t blockAlign = channels * 2U;
  const auto dataBytes = static_cast<uint32_t>(samples.size() * 2);
  std::vector<uint8_t> out;
  out.reserve(WaveHeaderBytes + dataBytes);
  PutTag(out, "RIFF");
  Put32(out, 36 + dataBytes);
  PutTag(out, "WAVE");
  PutTag(out, "fmt ");
  Put32(out, 16);
  Put16(out, 1);  // PCM
  Put16(out, channels);
  Put32(out, rate);
  Put32(out, rate * blockAlign);
  Put16(out, blockAlign);
  Put16(out, 16);
  PutTag(out, "data");
  Put32(out, dataBytes);
  for (int16_t sample : samples) Put16(out, static_cast<uint16_t>(sample));
  return out;
}

}  // namespace sounds
