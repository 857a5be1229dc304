#include "OggVorbisWriter.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <stdexcept>

namespace sounds {

namespace {

// The encoder's C state, released however the encoding ends.
struct Encoder {
  vorbis_info Info{};
  vorbis_comment Comment{};
  vorbis_dsp_state Dsp{};
  vorbis_block Block{};
  ogg_stream_state Stream{};
  bool HasDsp = false, HasBlock = false, HasStream = false;

  Encoder() {
    vorbis_info_init(&Info);
    vorbis_comment_init(&Comment);
  }
  ~Encoder() {
    if (HasStream) ogg_stream_clear(&Stream);
    if (HasBlock) vorbis_block_clear(&Block);
    if (HasDsp) vorbis_dsp_clear(&Dsp);
    vorbis_comment_clear(&Comment);
    vorbis_info_clear(&Info);
  }
  Encoder(const Encoder&) = delete;
  Encoder& operator=(const Encoder&) = delete;
};

void Append(std::vector<uint8_t>& out, const ogg_page& page) {
  out.insert(out.end(), page.header, page.header + page.header_len);
  out.insert(out.end(), page.body, page.body + page.body_len);
}

}  // namespace

std::vector<uint8_t> EncodeOggVorbis(const std::vector<float>& left, const std::vector<float>& right, uint32_t rate,
                                     float quality, int serial, const Tags& tags) {
  if (left.size() != right.size()) throw std::invalid_argument("channels differ in length");
  Encoder encoder;
  if (vorbis_encode_init_vbr(&encoder.Info, 2, static_cast<long>(rate), quality) != 0)
    throw std::runtime_error("the Vorbis encoder refused the format");
  for (const auto& [name, value] : tags) vorbis_comment_add_tag(&encoder.Comment, name.c_str(), value.c_str());
  if (vorbis_analysis_init(&encoder.Dsp, &encoder.Info) != 0) throw std::runtime_error("Vorbis analysis failed");
  encoder.HasDsp = true;
  vorbis_block_init(&encoder.Dsp, &encoder.Block);
  encoder.HasBlock = true;
  ogg_stream_init(&encoder.Stream, serial);
  encoder.HasStream = true;

  std::vector<uint8_t> out;
  ogg_packet identification, comments, codebooks;
  vorbis_analysis_headerout(&encoder.Dsp, &encoder.Comment, &identification, &comments, &codebooks);
  ogg_stream_packetin(&encoder.Stream, &identification);
  ogg_stream_packetin(&encoder.Stream, &comments);
  ogg_stream_packetin(&encoder.Stream, &codebooks);
  ogg_page page;
  // The headers get pages of their own, so the audio starts on a fresh page.
  while (ogg_stream_flush(&encoder.Stream, &page) != 0) Append(out, page);

  constexpr std::size_t Chunk = 4096;
  std::size_t position = 0;
  bool ended = false;
  while (!ended) {
    const std::size_t count = std::min(Chunk, left.size() - position);
    if (count == 0) {
      vorbis_analysis_wrote(&encoder.Dsp, 0);  // end of stream
      ended = true;
    } else {
      float** buffer = vorbis_analysis_buffer(&encoder.Dsp, static_cast<int>(count));
      std::copy_n(left.begin() + static_cast<std::ptrdiff_t>(position), count, buffer[0]);
      std::copy_n(right.begin() + static_cast<std::ptrdiff_t>(position), count, buffer[1]);
      vorbis_analysis_wrote(&encoder.Dsp, static_cast<int>(count));
      position += count;
    }
    while (vorbis_analysis_blockout(&encoder.Dsp, &encoder.Block) == 1) {
      vorbis_analysis(&encoder.Block, nullptr);
      vorbis_bitrate_addblock(&encoder.Block);
      ogg_packet packet;
      while (vorbis_bitrate_flushpacket(&encoder.Dsp, &packet) == 1) {
        ogg_stream_packetin(&encoder.Stream, &packet);
        while (ogg_stream_pageout(&encoder.Stream, &page) != 0) Append(out, page);
      }
    }
  }
  while (ogg_stream_flush(&encoder.Stream, &page) != 0) Append(out, page);
  return out;
}

}  // namespace sounds
