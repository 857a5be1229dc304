// The effect and music files as the build wrote them, read the way the game reads them.
#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "resources/sounds/Effects.h"
#include "resources/sounds/Music.h"
#include "tests/resources/Spectrum.h"

namespace {

const std::string SoundsDir = HUEBLOC_GENERATED_SOUNDS_DIR;

struct ExpectedEffect {
  const char* Name;
  uint32_t DataBytes;
};

// The effects the game loads, in effect-index order, with the sample bytes it expects.
constexpr ExpectedEffect ExpectedEffects[] = {
    {"ID_MENUUPDOWN", 14464}, {"ID_MENULEFTRIGHT", 24904}, {"ID_MENUIN", 16456},   {"ID_MENUOUT", 28586},
    {"ID_MENUCHAR", 17448},   {"ID_PLAYLEFTRIGHT", 9216},  {"ID_PLAYUP", 23040},   {"ID_PLAYLINE", 31924},
    {"ID_PLAYMOVE", 4720},    {"ID_PLAYLEVEL", 51842},
};
constexpr int PlayMove = 8;

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t U32(const std::vector<uint8_t>& b, std::size_t at) {
  return b.at(at) | (b.at(at + 1) << 8U) | (b.at(at + 2) << 16U) | (static_cast<uint32_t>(b.at(at + 3)) << 24U);
}
uint16_t U16(const std::vector<uint8_t>& b, std::size_t at) {
  return static_cast<uint16_t>(b.at(at) | (b.at(at + 1) << 8U));
}
std::string Tag(const std::vector<uint8_t>& b, std::size_t at) { return std::string(b.begin() + at, b.begin() + at + 4); }

// Samples found the way the game finds them: format size at 16, data size after the format.
std::vector<int16_t> Samples(const std::vector<uint8_t>& file) {
  const std::size_t dataSizeAt = 20 + ((U32(file, 16) + 1U) & ~1U) + 4;
  const uint32_t bytes = U32(file, dataSizeAt);
  std::vector<int16_t> samples;
  for (std::size_t i = dataSizeAt + 4; i + 1 < dataSizeAt + 4 + bytes && i + 1 < file.size(); i += 2)
    samples.push_back(static_cast<int16_t>(U16(file, i)));
  return samples;
}

std::vector<uint8_t> EffectFile(int index) { return ReadFile(SoundsDir + "/" + ExpectedEffects[index].Name + ".wav"); }

int Peak(const std::vector<int16_t>& samples) {
  int peak = 0;
  for (int16_t s : samples) peak = std::max(peak, std::abs(static_cast<int>(s)));
  return peak;
}

// RMS of the loudest 50 ms, in dB relative to full scale.
double LoudestWindowDb(const std::vector<int16_t>& samples, int rate) {
  const auto window = static_cast<std::size_t>(rate / 20);
  double best = 0.0;
  for (std::size_t start = 0; start + window <= samples.size(); start += window / 8) {
    double sum = 0.0;
    for (std::size_t i = start; i < start + window; ++i) sum += std::pow(samples[i] / 32768.0, 2);
    best = std::max(best, sum / static_cast<double>(window));
  }
  return 10.0 * std::log10(std::max(best, 1e-20));
}

TEST(EffectFiles, HaveTheCanonicalHeaderTheGameReads) {
  for (int i = 0; i < 10; ++i) {
    SCOPED_TRACE(ExpectedEffects[i].Name);
    const std::vector<uint8_t> file = EffectFile(i);
    ASSERT_EQ(file.size(), 44U + ExpectedEffects[i].DataBytes);
    EXPECT_EQ(Tag(file, 0), "RIFF");
    EXPECT_EQ(U32(file, 4), file.size() - 8);
    EXPECT_EQ(Tag(file, 8), "WAVE");
    EXPECT_EQ(Tag(file, 12), "fmt ");
    EXPECT_EQ(U32(file, 16), 16U);
    EXPECT_EQ(U16(file, 20), 1);       // PCM
    EXPECT_EQ(U16(file, 22), 1);       // mono
    EXPECT_EQ(U32(file, 24), 22050U);  // samples per second
    EXPECT_EQ(U32(file, 28), 44100U);  // bytes per second
    EXPECT_EQ(U16(file, 32), 2);       // block align
    EXPECT_EQ(U16(file, 34), 16);      // bits per sample
    EXPECT_EQ(Tag(file, 36), "data");
    EXPECT_EQ(U32(file, 40), ExpectedEffects[i].DataBytes);
  }
}

TEST(EffectFiles, AreAudibleWithPeaksBelowMinusOneDbfs) {
  const int ceiling = static_cast<int>(32768.0 * std::pow(10.0, -1.0 / 20.0));
  for (int i = 0; i < 10; ++i) {
    SCOPED_TRACE(ExpectedEffects[i].Name);
    const int peak = Peak(Samples(EffectFile(i)));
    EXPECT_LE(peak, ceiling);
    EXPECT_GE(peak, 3277);  // -20 dBFS: a sound, not near-silence
  }
}

TEST(EffectFiles, FadeInAndOutWithoutAClick) {
  for (int i = 0; i < 10; ++i) {
    SCOPED_TRACE(ExpectedEffects[i].Name);
    const std::vector<int16_t> samples = Samples(EffectFile(i));
    ASSERT_GT(samples.size(), 100U);
    const int peak = Peak(samples);
    EXPECT_LE(std::abs(samples.front()), 16);
    EXPECT_LE(std::abs(samples.back()), 16);
    // The first and last quarter millisecond stay close to silence.
    for (std::size_t k = 0; k < 5; ++k) {
      EXPECT_LE(std::abs(samples[k]), peak / 30) << "sample " << k;
      EXPECT_LE(std::abs(samples[samples.size() - 1 - k]), peak / 30) << "sample from the end " << k;
    }
  }
}

TEST(EffectFiles, ShareOneLoudnessWithTheBubbleStepSofter) {
  std::vector<double> loudness;
  for (int i = 0; i < 10; ++i) loudness.push_back(LoudestWindowDb(Samples(EffectFile(i)), 22050));
  std::vector<double> others;
  for (int i = 0; i < 10; ++i)
    if (i != PlayMove) others.push_back(loudness[static_cast<std::size_t>(i)]);
  std::sort(others.begin(), others.end());
  const double median = others[others.size() / 2];
  for (int i = 0; i < 10; ++i) {
    if (i == PlayMove) continue;
    EXPECT_NEAR(loudness[static_cast<std::size_t>(i)], median, 4.0) << ExpectedEffects[i].Name;
  }
  // Heard on every tick of play, the bubble step sits clearly below the rest.
  EXPECT_LT(loudness[PlayMove], others.front() - 3.0);
  EXPECT_GT(loudness[PlayMove], median - 15.0);
}

TEST(EffectFiles, AreMadeAgainByteForByte) {
  for (int i = 0; i < 10; ++i) {
    SCOPED_TRACE(ExpectedEffects[i].Name);
    EXPECT_EQ(sounds::MakeEffectFile(i), EffectFile(i));
  }
}

// The whole music file decoded to interleaved 16-bit stereo.
struct Decoded {
  int Channels = 0;
  long Rate = 0;
  double Seconds = 0.0;
  std::vector<int16_t> Samples;
};

Decoded DecodeMusic() {
  Decoded decoded;
  OggVorbis_File file;
  const std::string path = SoundsDir + "/Music.ogg";
  if (ov_fopen(path.c_str(), &file) != 0) return decoded;
  const vorbis_info* info = ov_info(&file, -1);
  decoded.Channels = info->channels;
  decoded.Rate = info->rate;
  decoded.Seconds = ov_time_total(&file, -1);
  std::vector<char> buffer(1 << 16);
  int section = 0;
  for (;;) {
    const long got = ov_read(&file, buffer.data(), static_cast<int>(buffer.size()), 0, 2, 1, &section);
    if (got <= 0) break;
    for (long i = 0; i + 1 < got; i += 2)
      decoded.Samples.push_back(static_cast<int16_t>(static_cast<uint8_t>(buffer[static_cast<std::size_t>(i)]) |
                                                     (static_cast<uint8_t>(buffer[static_cast<std::size_t>(i + 1)]) << 8)));
  }
  ov_clear(&file);
  return decoded;
}

const Decoded& Music() {
  static const Decoded decoded = DecodeMusic();
  return decoded;
}

TEST(MusicFile, IsStereoVorbisAt44100LastingOneToThreeMinutes) {
  const Decoded& music = Music();
  ASSERT_EQ(music.Channels, 2);
  EXPECT_EQ(music.Rate, 44100);
  EXPECT_GE(music.Seconds, 60.0);
  EXPECT_LE(music.Seconds, 180.0);
  EXPECT_NEAR(static_cast<double>(music.Samples.size()) / 2.0 / 44100.0, music.Seconds, 0.01);
}

TEST(MusicFile, EndFlowsIntoTheStartWithoutASeam) {
  const Decoded& music = Music();
  ASSERT_EQ(music.Channels, 2);
  const std::vector<int16_t>& s = music.Samples;
  const std::size_t frames = s.size() / 2;
  ASSERT_GT(frames, 44100U);
  for (std::size_t channel = 0; channel < 2; ++channel) {
    SCOPED_TRACE(channel == 0 ? "left" : "right");
    auto at = [&](std::size_t frame) { return static_cast<double>(s[frame * 2 + channel]); };
    double stepSum = 0.0;
    for (std::size_t i = 1; i < frames; ++i) stepSum += std::fabs(at(i) - at(i - 1));
    const double typicalStep = stepSum / static_cast<double>(frames - 1);
    // Played in a loop the last frame is followed by the first: that step must look like any other.
    EXPECT_LE(std::fabs(at(0) - at(frames - 1)), 4.0 * typicalStep + 8.0);
  }
}

double Db(double powerRatio) { return 10.0 * std::log10(std::max(powerRatio, 1e-30)); }

// What a player hears of the music on laptop speakers, measured on the decoded file: bright
// and present rather than boomy, at one level on both sides of the seam, under -1 dBFS,
// spread in stereo, and about as large on disk as a short piece should be.
TEST(MusicFile, SoundsBrightEvenAndWideAtASensibleSize) {
  const Decoded& music = Music();
  ASSERT_EQ(music.Channels, 2);
  const std::size_t frames = music.Samples.size() / 2;
  ASSERT_GT(frames, 44100U);
  std::vector<std::vector<double>> channels(2, std::vector<double>(frames));
  double peak = 0.0, mid = 0.0, side = 0.0;
  for (std::size_t i = 0; i < frames; ++i) {
    const double left = music.Samples[2 * i] / 32768.0, right = music.Samples[2 * i + 1] / 32768.0;
    channels[0][i] = left;
    channels[1][i] = right;
    peak = std::max({peak, std::fabs(left), std::fabs(right)});
    mid += (left + right) * (left + right);
    side += (left - right) * (left - right);
  }
  auto levelDb = [&](std::size_t from, std::size_t count) {
    double sum = 0.0;
    for (std::size_t i = from; i < from + count; ++i)
      sum += channels[0][i] * channels[0][i] + channels[1][i] * channels[1][i];
    return Db(sum / (2.0 * static_cast<double>(count)));
  };

  const std::size_t window = 4096;
  const std::vector<double> power = spectrum::Power(channels, window);
  double total = 0.0, weighted = 0.0;
  for (std::size_t k = 0; k < power.size(); ++k) {
    total += power[k];
    weighted += power[k] * static_cast<double>(k) * 44100.0 / window;
  }
  auto share = [&](double low, double high) {
    double sum = 0.0;
    for (std::size_t k = 0; k < power.size(); ++k) {
      const double hertz = static_cast<double>(k) * 44100.0 / window;
      if (hertz >= low && hertz < high) sum += power[k];
    }
    return sum / total;
  };
  const std::size_t seamWindow = 44100 * 4 / 10;

  struct Measure {
    const char* Name;
    double Value, Low, High;
  };
  const Measure measures[] = {
      {"spectral centroid, Hz", weighted / total, 1200.0, 3000.0},
      {"2-8 kHz against the whole, dB", Db(share(2000.0, 8000.0)), -15.0, -3.0},
      {"8-16 kHz against the whole, dB", Db(share(8000.0, 16000.0)), -30.0, -10.0},
      {"share of the power below 120 Hz", share(0.0, 120.0), 0.0, 0.1},
      {"first 400 ms against the last, dB", levelDb(0, seamWindow) - levelDb(frames - seamWindow, seamWindow), -2.0,
       2.0},
      {"level of the whole loop, dBFS", levelDb(0, frames), -22.0, -16.0},
      {"peak, dBFS", 2.0 * Db(peak), -12.0, -1.0},
      {"side against mid, dB", Db(side / mid), -25.0, -6.0},
      {"file size, bytes", static_cast<double>(ReadFile(SoundsDir + "/Music.ogg").size()), 1.0e6, 1.6e6},
  };
  for (const Measure& measure : measures) {
    EXPECT_GE(measure.Value, measure.Low) << measure.Name;
    EXPECT_LE(measure.Value, measure.High) << measure.Name;
  }
}

TEST(MusicFile, IsMadeAgainByteForByte) {
  EXPECT_EQ(sounds::MakeMusicFile(), ReadFile(SoundsDir + "/Music.ogg"));
}

}  // namespace
