// Reads any bytes as a replay file, twice: as they are, and with the checksum at their end
// made right, so that the fuzzer gets past it into the fields. Whatever is refused must say
// why; whatever reads must write back to a file that reads as the same replay, and play back
// headless to its end.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/ReplayFormat.h"

namespace {

void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "replay file fuzz: %s\n", what);
  std::abort();
}

void Read(const std::string& bytes) {
  TReplay replay;
  try {
    replay = DecodeReplay(bytes);
  } catch (const EReplayFormat& error) {
    Require(error.what()[0] != '\0', "a refusal says nothing");
    return;
  }
  Require(DecodeReplay(EncodeReplay(replay)) == replay, "a replay written back reads as another");
  const TReplayCheck check = CheckReplay(replay);
  Require(check.Played <= replay.Steps.size(), "more inputs played than recorded");
  if (check.FirstDifference) Require(*check.FirstDifference < check.Played, "a difference after the last input played");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  Read(bytes);
  if (size < 4) return 0;
  const uint32_t sum = ReplayChecksum(std::string_view(bytes).substr(0, size - 4));
  for (std::size_t i = 0; i < 4; ++i) bytes[size - 4 + i] = static_cast<char>(sum >> (8 * i));
  Read(bytes);
  return 0;
}
