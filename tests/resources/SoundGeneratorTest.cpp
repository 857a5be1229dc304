// The pieces the sound generator is built from: the wave writer, the Vorbis writer, the tones
// and instruments, the music's room and loop, and the score.
#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>
#include <vector>

#include "resources/sounds/Music.h"
#include "resources/sounds/OggVorbisWriter.h"
#include "resources/sounds/Score.h"
#include "resources/sounds/Tone.h"
#include "resources/sounds/WaveFile.h"
#include "tests/resources/Spectrum.h"

namespace {

TEST(WaveFile, StereoHeaderCountsBlocksAndClampsSamples) {
  const std::vector<int16_t> pcm = sounds::ToPcm16({0.0f, 0.5f, 1.5f, -1.5f, -0.25f, 1.0f});
  EXPECT_EQ(pcm, (std::vector<int16_t>{0, 16384, 32767, -32768, -8192, 32767}));
  const std::vector<uint8_t> file = sounds::MakeWaveFile(pcm, 44100, 2);
  ASSERT_EQ(file.size(), 44U + 12U);
  EXPECT_EQ(file[22], 2);                                 // channels
  EXPECT_EQ(file[32], 4);                                 // block align
  EXPECT_EQ(file[28] | (file[29] << 8) | (file[30] << 16), 176400);  // bytes per second
  EXPECT_EQ(file[40], 12);                                // data bytes
  EXPECT_EQ(file[44 + 4], 0xFF);                          // 32767, little-endian
  EXPECT_EQ(file[44 + 5], 0x7F);
  EXPECT_EQ(file[44 + 6], 0x00);                          // -32768
  EXPECT_EQ(file[44 + 7], 0x80);
}

// Ogg data read back from memory through the decoder the game uses.
struct MemoryFile {
  const std::vector<uint8_t>* Bytes;
  std::size_t Position = 0;
  static std::size_t Read(void* to, std::size_t size, std::size_t count, void* source) {
    auto* self = static_cast<MemoryFile*>(source);
    const std::size_t n = std::min(size * count, self->Bytes->size() - self->Position);
    std::memcpy(to, self->Bytes->data() + self->Position, n);
    self->Position += n;
    return size == 0 ? 0 : n / size;
  }
};

TEST(OggVorbisWriter, RoundTripsTwoChannelsAtTheirLengthAndSerial) {
  const std::size_t frames = 30000;
  std::vector<float> left(frames), right(frames);
  for (std::size_t i = 0; i < frames; ++i) {
    left[i] = static_cast<float>(0.5 * std::sin(2.0 * sounds::Pi * 440.0 * static_cast<double>(i) / 44100.0));
    right[i] = static_cast<float>(0.1 * std::sin(2.0 * sounds::Pi * 660.0 * static_cast<double>(i) / 44100.0));
  }
  const std::vector<uint8_t> bytes = sounds::EncodeOggVorbis(left, right, 44100, 0.4f, 0x1234567, {{"TITLE", "x"}});
  EXPECT_EQ(bytes, sounds::EncodeOggVorbis(left, right, 44100, 0.4f, 0x1234567, {{"TITLE", "x"}}));
  ASSERT_GT(bytes.size(), 28U);
  EXPECT_EQ(std::memcmp(bytes.data(), "OggS", 4), 0);
  EXPECT_EQ(bytes[14] | (bytes[15] << 8) | (bytes[16] << 16) | (bytes[17] << 24), 0x1234567);

  MemoryFile source{&bytes};
  OggVorbis_File file;
  ASSERT_EQ(ov_open_callbacks(&source, &file, nullptr, 0, {MemoryFile::Read, nullptr, nullptr, nullptr}), 0);
  EXPECT_EQ(ov_info(&file, -1)->channels, 2);
  EXPECT_EQ(ov_info(&file, -1)->rate, 44100);
  std::vector<float> decodedLeft, decodedRight;
  int section = 0;
  for (;;) {
    float** pcm = nullptr;
    const long got = ov_read_float(&file, &pcm, 4096, &section);
    if (got <= 0) break;
    decodedLeft.insert(decodedLeft.end(), pcm[0], pcm[0] + got);
    decodedRight.insert(decodedRight.end(), pcm[1], pcm[1] + got);
  }
  ov_clear(&file);
  ASSERT_EQ(decodedLeft.size(), frames);  // no padding or priming left in the stream
  double errorLeft = 0.0, errorRight = 0.0, energyRight = 0.0;
  for (std::size_t i = 0; i < frames; ++i) {
    errorLeft += std::pow(decodedLeft[i] - left[i], 2);
    errorRight += std::pow(decodedRight[i] - right[i], 2);
    energyRight += std::pow(right[i], 2);
  }
  // Lossy, but each channel keeps its own signal, in time, at its level.
  EXPECT_LT(errorLeft / (0.125 * frames), 0.01);
  EXPECT_LT(errorRight / energyRight, 0.05);
}

TEST(Tone, LeavesOutThePartialsThatWouldFoldBackAsAliases) {
  // A bright tone of forty harmonics; at 1176 Hz the folded ones would land halfway between
  // the real ones, where nothing else sounds.
  constexpr double Fundamental = 1176.0, Rate = 44100.0;
  sounds::Tone tone;
  tone.Frequency = Fundamental;
  for (int n = 1; n <= 40; ++n) tone.Partials.push_back({static_cast<double>(n), 1.0 / n, 1e6});
  tone.Hold = 1.0;
  const std::vector<float> samples = sounds::RenderTone(tone, Rate);
  const std::vector<float> steady(samples.begin() + 4410, samples.begin() + 4410 + 32768);
  const std::size_t window = 8192;
  const std::vector<double> power = spectrum::Power(std::vector<std::vector<float>>{steady}, window);
  double total = 0.0, between = 0.0;
  for (std::size_t k = 0; k < power.size(); ++k) {
    const double hertz = static_cast<double>(k) * Rate / window;
    const double offset = std::fabs(hertz - Fundamental * std::round(hertz / Fundamental));
    total += power[k];
    if (offset > 150.0) between += power[k];
  }
  EXPECT_LT(10.0 * std::log10(between / total), -70.0);
  // The harmonics that fit below the band are all there, up to the top one.
  const auto topBin = static_cast<std::size_t>(std::lround(16.0 * Fundamental * window / Rate));
  EXPECT_GT(10.0 * std::log10(power[topBin] / total), -40.0);
}

// Every instrument the score uses, on the highest note it is given there: a note rises from
// silence and falls back to it, so no note start or end clicks.
TEST(MusicVoices, EveryInstrumentRisesFromSilenceAndEndsInIt) {
  const sounds::Score score = sounds::ComposeScore();
  std::vector<const sounds::Note*> highest(sounds::VoiceCount, nullptr);
  for (const sounds::Note& note : score.Notes) {
    const sounds::Note*& top = highest.at(static_cast<std::size_t>(note.Instrument));
    if (top == nullptr || note.Pitch > top->Pitch) top = &note;
  }
  const std::size_t quarterMs = 11;
  sounds::Rng rng(5);
  for (std::size_t voice = 0; voice < highest.size(); ++voice) {
    SCOPED_TRACE("voice " + std::to_string(voice));
    ASSERT_NE(highest[voice], nullptr);  // the score gives every instrument something to play
    const std::vector<float> samples = sounds::RenderNote(*highest[voice], score.SecondsPerBeat(), rng);
    ASSERT_GT(samples.size(), 4 * quarterMs);
    float peak = 0.0f, startPeak = 0.0f, endPeak = 0.0f;
    for (std::size_t i = 0; i < samples.size(); ++i) {
      const float level = std::fabs(samples[i]);
      peak = std::max(peak, level);
      if (i < quarterMs) startPeak = std::max(startPeak, level);
      if (i + quarterMs >= samples.size()) endPeak = std::max(endPeak, level);
    }
    EXPECT_GT(peak, 0.05f);
    EXPECT_EQ(samples.front(), 0.0f);
    EXPECT_EQ(samples.back(), 0.0f);
    EXPECT_LT(startPeak, 0.2f * peak);
    EXPECT_LT(endPeak, 0.2f * peak);
  }
}

TEST(MusicRoom, FallsSilentWithinItsTail) {
  sounds::MusicRoom room(0.375);
  const auto tail = static_cast<std::size_t>(sounds::MusicRoom::TailSeconds * sounds::MusicRate);
  double loudest = 0.0, after = 0.0;
  for (std::size_t i = 0; i < tail + 44100; ++i) {
    const double in = i == 0 ? 1.0 : 0.0;
    double left = 0.0, right = 0.0;
    room.Process(0.0, 0.0, in, in, in, left, right);
    const double level = std::max(std::fabs(left), std::fabs(right));
    if (i < tail) loudest = std::max(loudest, level);
    else after = std::max(after, level);
  }
  ASSERT_GT(loudest, 0.0);
  // Whatever rings on past the tail is cut when the loop is wrapped: it must be inaudible.
  EXPECT_LT(after, loudest * 1e-4);
}

TEST(MusicLoop, WrappedTailsContinueAcrossTheSeam) {
  // A ringing tone struck shortly before the loop's end, rendered past it.
  const std::size_t loop = 20000;
  sounds::Tone tone;
  tone.Frequency = 300.0;
  tone.Partials = {{1.0, 1.0, 0.2}};
  tone.Hold = 0.2;
  tone.Release = 0.05;
  sounds::StereoAudio audio;
  audio.Left.assign(loop, 0.0f);
  sounds::MixInto(audio.Left, sounds::RenderTone(tone, 44100.0), loop - 500, 1.0);
  audio.Right = audio.Left;
  const float atLoop = audio.Left[loop];
  const float nextAfter = audio.Left[loop + 1];
  sounds::WrapLoop(audio, loop);
  ASSERT_EQ(audio.Frames(), loop);
  EXPECT_EQ(audio.Left[0], atLoop);
  EXPECT_EQ(audio.Right[1], nextAfter);
  // Played round, the last sample runs into the first like any two neighbours.
  float largestStep = 0.0f;
  for (std::size_t i = loop - 400; i < loop; ++i)
    largestStep = std::max(largestStep, std::fabs(audio.Left[i] - audio.Left[i - 1]));
  EXPECT_LE(std::fabs(audio.Left[0] - audio.Left[loop - 1]), 1.1f * largestStep);
  EXPECT_GT(std::fabs(audio.Left[0]), 0.1f);
}

TEST(Score, IsAWholeNumberOfBarsOfOneToThreeMinutes) {
  const sounds::Score score = sounds::ComposeScore();
  const double seconds = score.LoopBeats() * score.SecondsPerBeat();
  EXPECT_GE(seconds, 60.0);
  EXPECT_LE(seconds, 180.0);
  // Every note starts inside the loop; the wrap carries what rings on past its end.
  for (const sounds::Note& note : score.Notes) {
    EXPECT_GE(note.Start, 0.0);
    EXPECT_LT(note.Start, score.LoopBeats());
    EXPECT_GT(note.Length, 0.0);
  }
  // A bar of samples is a whole number of frames, so the loop ends exactly on a bar line.
  const double barFrames = score.BeatsPerBar * score.SecondsPerBeat() * sounds::MusicRate;
  EXPECT_DOUBLE_EQ(barFrames, std::round(barFrames));
}

TEST(Score, StaysInKeyWithTheTuneOnTheChordOnStrongBeats) {
  const sounds::Score score = sounds::ComposeScore();
  int leadNotes = 0;
  std::set<int> leadPitches;
  for (const sounds::Note& note : score.Notes) {
    const int pitch = static_cast<int>(note.Pitch);
    switch (note.Instrument) {
      case sounds::Voice::Kick:
      case sounds::Voice::Clap:
      case sounds::Voice::HiHat:
      case sounds::Voice::Shaker:
        continue;  // no pitch
      default:
        break;
    }
    EXPECT_TRUE(sounds::InKey(pitch)) << "pitch " << pitch << " at beat " << note.Start;
    if (note.Instrument != sounds::Voice::Lead) continue;
    ++leadNotes;
    leadPitches.insert(pitch);
    EXPECT_GE(pitch, 69);  // a range one can hum along with
    EXPECT_LE(pitch, 86);
    const double inBar = std::fmod(note.Start, score.BeatsPerBar);
    if (inBar != 0.0 && inBar != 2.0) continue;
    const sounds::Chord& chord = score.Bars.at(static_cast<std::size_t>(note.Start / score.BeatsPerBar));
    bool chordTone = chord.Bass % 12 == pitch % 12;
    for (int tone : chord.Voicing) chordTone = chordTone || tone % 12 == pitch % 12;
    EXPECT_TRUE(chordTone) << "pitch " << pitch << " at beat " << note.Start;
  }
  EXPECT_GT(leadNotes, 150);
  EXPECT_GE(leadPitches.size(), 7U);  // a tune, not a drone
}

}  // namespace
