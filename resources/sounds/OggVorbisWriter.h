// Ogg Vorbis encoding of stereo float audio with libvorbisenc (VBR).
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace sounds {

using Tags = std::vector<std::pair<std::string, std::string>>;

// The complete file. The stream's serial number is given, not random, so the same audio
// always gives the same bytes. Throws std::runtime_error if the encoder refuses the setup.
std::vector<uint8_t> EncodeOggVorbis(const std::vector<float>& left, const std::vector<float>& right, uint32_t rate,
                                     float quality, int serial, const Tags& tags);

}  // namespace sounds
