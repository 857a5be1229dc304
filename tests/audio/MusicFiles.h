// Little music files for the audio tests, made with the game's own Ogg Vorbis encoder, and
// what a test needs around them: a private folder, the decoded reference, open files.
#pragma once
#include <unistd.h>
#include <vorbis/vorbisfile.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "resources/sounds/OggVorbisWriter.h"

namespace musictest {

namespace fs = std::filesystem;

// Stereo tones of `seconds`, different in each channel, as a whole Ogg Vorbis file.
inline std::vector<uint8_t> ToneFile(double seconds, uint32_t rate) {
  const auto frames = static_cast<std::size_t>(seconds * rate);
  std::vector<float> left(frames), right(frames);
  const double pi = std::acos(-1.0);
  for (std::size_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / rate;
    left[i] = static_cast<float>(0.4 * std::sin(2 * pi * 440 * t));
    right[i] = static_cast<float>(0.3 * std::sin(2 * pi * 660 * t));
  }
  return sounds::EncodeOggVorbis(left, right, rate, 0.1f, 7, {});
}

// The whole file decoded the way the game decodes it: 16-bit signed little-endian.
inline std::vector<uint8_t> Decode(const fs::path& file) {
  OggVorbis_File vf;
  if (ov_fopen(file.c_str(), &vf) != 0) throw std::runtime_error("cannot decode " + file.string());
  std::vector<uint8_t> pcm;
  std::array<char, 4096> chunk;
  int section = 0;
  for (long got; (got = ov_read(&vf, chunk.data(), static_cast<int>(chunk.size()), 0, 2, 1, &section)) > 0;)
    pcm.insert(pcm.end(), chunk.begin(), chunk.begin() + got);
  ov_clear(&vf);
  return pcm;
}

// The page checksum of Ogg: CRC-32 with polynomial 0x04C11DB7, no reflection, over the page
// with its checksum field zeroed.
inline uint32_t OggCrc(const uint8_t* data, std::size_t bytes) {
  uint32_t crc = 0;
  for (std::size_t i = 0; i < bytes; ++i) {
    crc ^= static_cast<uint32_t>(data[i]) << 24;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
  }
  return crc;
}

// Rewrites the channel count and rate in the identification header (the first page's
// packet), with a valid page checksum, as a damaged or hostile file might have them.
inline std::vector<uint8_t> WithStreamFormat(std::vector<uint8_t> file, uint8_t channels, uint32_t rate) {
  const std::size_t segments = file.at(26);
  std::size_t bodyBytes = 0;
  for (std::size_t i = 0; i < segments; ++i) bodyBytes += file.at(27 + i);
  const std::size_t body = 27 + segments;
  const std::size_t pageBytes = body + bodyBytes;
  // Packet: type 1, "vorbis", version (4 bytes), channels, rate (4 bytes, little-endian).
  file.at(body + 11) = channels;
  for (int i = 0; i < 4; ++i) file.at(body + 12 + i) = static_cast<uint8_t>(rate >> (8 * i));
  for (int i = 22; i < 26; ++i) file[i] = 0;
  const uint32_t crc = OggCrc(file.data(), pageBytes);
  for (int i = 0; i < 4; ++i) file[22 + i] = static_cast<uint8_t>(crc >> (8 * i));
  return file;
}

inline void WriteFile(const fs::path& file, const std::vector<uint8_t>& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A fresh temporary folder, removed with everything in it at the end of the scope.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "huebloc-audio-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a temporary folder");
    Root = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    fs::remove_all(Root, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  fs::path Root;
};

// Runs a scope in another current directory, where the bare file name is looked for.
class ScopedCwd {
 public:
  explicit ScopedCwd(const fs::path& directory) : Old(fs::current_path()) { fs::current_path(directory); }
  ~ScopedCwd() {
    std::error_code ignored;
    fs::current_path(Old, ignored);
  }
  ScopedCwd(const ScopedCwd&) = delete;
  ScopedCwd& operator=(const ScopedCwd&) = delete;

 private:
  fs::path Old;
};

inline std::size_t OpenFiles() {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/fd")) ++count;
  return count;
}

}  // namespace musictest
