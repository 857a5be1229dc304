#include "core/ReplayFormat.h"

#include <array>

#include "core/Area.h"

namespace {

constexpr std::string_view Magic("\x89HBR\r\n\x1a\n", 8);
constexpr int InputKindBits = 3;

constexpr std::array<uint32_t, 256> CrcTable = [] {
  std::array<uint32_t, 256> table{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}();

class TWriter {
 public:
  void Byte(uint64_t value) { Bytes += static_cast<char>(value & 0xFF); }
  void Fixed(uint64_t value, int size) {
    for (int i = 0; i < size; ++i) Byte(value >> (8 * i));
  }
  void Varint(uint64_t value) {
    for (; value >= 0x80; value >>= 7) Byte((value & 0x7F) | 0x80);
    Byte(value);
  }
  std::string Bytes;
};

[[noreturn]] void Damaged(const std::string& what) { throw EReplayFormat("damaged: " + what); }

class TReader {
 public:
  explicit TReader(std::string_view bytes) : Bytes(bytes) {}

  // The part being read, as a truncation names it.
  const char* Part = "header";

  std::size_t Left() const { return Bytes.size() - At; }
  [[noreturn]] void Truncated() const { throw EReplayFormat(std::string("truncated: it ends within its ") + Part); }
  std::string_view Take(std::size_t size) {
    if (Left() < size) Truncated();
    const std::string_view taken = Bytes.substr(At, size);
    At += size;
    return taken;
  }
  uint64_t Fixed(int size) {
    const std::string_view bytes = Take(static_cast<std::size_t>(size));
    uint64_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(bytes[static_cast<std::size_t>(i)]);
    return value;
  }
  // At most 5 bytes, 35 bits.
  uint64_t Varint() {
    uint64_t value = 0;
    for (int shift = 0; shift < 35; shift += 7) {
      const auto byte = static_cast<uint8_t>(Take(1)[0]);
      value |= static_cast<uint64_t>(byte & 0x7F) << shift;
      if ((byte & 0x80) == 0) return value;
    }
    Damaged(std::string("a number in its ") + Part + " runs on past 5 bytes");
  }
  // A count of items of at least minBytes each, which the bytes left must be able to hold.
  std::size_t Count(std::size_t minBytes) {
    const uint64_t count = Varint();
    if (count > Left() / minBytes) Truncated();
    return static_cast<std::size_t>(count);
  }

 private:
  std::string_view Bytes;
  std::size_t At = 0;
};

uint64_t InRange(uint64_t value, uint64_t lowest, uint64_t highest, const char* what) {
  if (value < lowest || value > highest)
    Damaged(std::string(what) + " of " + std::to_string(value) + ", not " + std::to_string(lowest) + " to " +
            std::to_string(highest));
  return value;
}

// Whether a pause is waiting for its Resume decides which inputs may come next.
void CheckOrder(const std::vector<TReplayStep>& steps) {
  bool paused = false;
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const TReplayInput input = steps[i].Input;
    const bool pause = input == TReplayInput::Escape || input == TReplayInput::FocusLost;
    if ((input == TReplayInput::Resume) != paused)
      Damaged("input " + std::to_string(i + 1) + (paused ? " comes during a pause" : " resumes a game not paused"));
    paused = pause;
  }
}

}  // namespace

uint32_t ReplayChecksum(std::string_view bytes) {
  uint32_t crc = 0xFFFFFFFFu;
  for (const char byte : bytes) crc = CrcTable[(crc ^ static_cast<uint8_t>(byte)) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

std::string EncodeReplay(const TReplay& replay) {
  TWriter out;
  out.Bytes = Magic;
  out.Byte(ReplayFormatVersion);
  out.Byte(replay.Width);
  out.Byte(replay.Height);
  out.Byte(replay.Advanced ? 1 : 0);
  out.Byte(replay.StartLevel);
  out.Byte(replay.GameOver ? 1 : 0);
  out.Fixed(static_cast<uint64_t>(replay.StartedAt), 8);
  out.Fixed(replay.BestScore, 4);
  out.Fixed(replay.Random.Seed, 4);
  out.Fixed(replay.Random.Draws, 4);
  out.Fixed(replay.End.Score, 4);
  out.Byte(replay.End.Level);
  out.Fixed(replay.End.Bubbles, 4);
  out.Bytes.append(replay.End.Board.begin(), replay.End.Board.end());

  out.Varint(replay.Seeds.size());
  uint32_t previous = 0;
  for (const uint32_t seed : replay.Seeds) {
    const auto difference = static_cast<int32_t>(seed - previous);
    out.Varint((static_cast<uint32_t>(difference) << 1) ^ static_cast<uint32_t>(difference >> 31));
    previous = seed;
  }
  out.Varint(replay.Steps.size());
  uint32_t time = 0;
  for (const TReplayStep& step : replay.Steps) {
    out.Varint(uint64_t{step.TimeMs - time} << InputKindBits | static_cast<uint8_t>(step.Input));
    out.Fixed(step.Digest, 4);
    time = step.TimeMs;
  }
  out.Fixed(ReplayChecksum(out.Bytes), 4);
  return out.Bytes;
}

TReplay DecodeReplay(std::string_view bytes) {
  if (bytes.empty()) throw EReplayFormat("empty: it holds no replay");
  if (bytes.size() > MaxReplayBytes)
    throw EReplayFormat("too large: " + std::to_string(bytes.size()) + " bytes, and a replay holds at most " +
                        std::to_string(MaxReplayBytes) + " bytes (" + std::to_string(MaxReplayBytes >> 20) + " MiB)");
  if (bytes.substr(0, Magic.size()) != Magic.substr(0, bytes.size()))
    throw EReplayFormat("not a Huebloc replay: it does not begin as one");
  TReader in(bytes);
  in.Take(Magic.size());
  const uint64_t version = in.Fixed(1);
  if (version > ReplayFormatVersion)
    throw EReplayFormat("made by a newer version of Huebloc: its format is version " + std::to_string(version) +
                        ", and this version reads version " + std::to_string(ReplayFormatVersion));
  InRange(version, 1, ReplayFormatVersion, "a format version");

  TReplay replay;
  replay.Width = static_cast<uint16_t>(InRange(in.Fixed(1), MinAreaWidth, MaxAreaWidth, "a width"));
  replay.Height = static_cast<uint16_t>(InRange(in.Fixed(1), MinAreaHeight, MaxAreaHeight, "a height"));
  replay.Advanced = InRange(in.Fixed(1), 0, 1, "a mode") == 1;
  replay.StartLevel = static_cast<uint16_t>(InRange(in.Fixed(1), 0, TopLevel, "a start level"));
  replay.GameOver = InRange(in.Fixed(1), 0, 1, "an end") == 1;
  replay.StartedAt = static_cast<int64_t>(in.Fixed(8));
  replay.BestScore = static_cast<uint32_t>(in.Fixed(4));
  replay.Random.Seed = static_cast<uint32_t>(in.Fixed(4));
  replay.Random.Draws = static_cast<uint32_t>(InRange(in.Fixed(4), 0, MaxReplayDraws, "a count of random draws"));
  replay.End.Score = static_cast<uint32_t>(in.Fixed(4));
  replay.End.Level = static_cast<uint16_t>(InRange(in.Fixed(1), 0, TopLevel, "a level"));
  replay.End.Bubbles = static_cast<uint32_t>(in.Fixed(4));
  in.Part = "board";
  for (const char cell : in.Take(std::size_t{replay.Width} * replay.Height)) {
    const auto value = static_cast<uint8_t>(cell);
    InRange(value & 15, 0, 8, "a bubble");
    if (value >> 4 != ReplayNoTile) InRange(value >> 4, 0, 8, "a tile");
    replay.End.Board.push_back(value);
  }

  in.Part = "seeds";
  replay.Seeds.resize(in.Count(1));
  uint32_t seed = 0;
  for (uint32_t& next : replay.Seeds) {
    const auto zigzag = static_cast<uint32_t>(InRange(in.Varint(), 0, UINT32_MAX, "a seed's difference"));
    seed += (zigzag >> 1) ^ (0u - (zigzag & 1));
    next = seed;
  }

  in.Part = "inputs";
  replay.Steps.resize(in.Count(5));
  uint64_t time = 0;
  for (TReplayStep& step : replay.Steps) {
    const uint64_t field = in.Varint();
    time += field >> InputKindBits;
    step.TimeMs = static_cast<uint32_t>(InRange(time, 0, UINT32_MAX, "an input's time in milliseconds"));
    step.Input = static_cast<TReplayInput>(InRange(field & 7, 0, ReplayInputKinds - 1, "an input kind"));
    step.Digest = static_cast<uint32_t>(in.Fixed(4));
  }
  CheckOrder(replay.Steps);

  in.Part = "checksum";
  const std::string_view contents = bytes.substr(0, bytes.size() - in.Left());
  if (static_cast<uint32_t>(in.Fixed(4)) != ReplayChecksum(contents))
    Damaged("its checksum does not match its contents");
  if (in.Left() > 0) Damaged("there is more after its end");
  return replay;
}
