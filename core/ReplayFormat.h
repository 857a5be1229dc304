// The replay file (.hbr): a recorded game, a few bytes for each second of play, read and
// written as bytes in memory.
//
// Numbers are little-endian; a varint is an unsigned LEB128 number of at most 5 bytes.
//
//   magic        8 bytes   89 48 42 52 0D 0A 1A 0A ("\x89HBR\r\n\x1a\n")
//   version      1         ReplayFormatVersion
//   width        1         5..10
//   height       1         7..14
//   mode         1         0 Standard, 1 Advanced
//   start level  1         0..9
//   end          1         0 abandoned, 1 game over
//   started      8         seconds since 1970-01-01 UTC, signed
//   best score   4         the table's best as the game began
//   seed         4         the random generator's last seed as the game began,
//   draws        4           and the numbers it had drawn since (at most MaxReplayDraws)
//   score        4         what the game ended with (or was left with when abandoned):
//   level        1           0..9,
//   bubbles      4           the bubbles that entered,
//   board        w × h       and the play area row by row from the top, a byte a cell: the
//                          bubble in the low four bits (0 none, else its colour + 1), the
//                          tile in the high four (0..8, or 15 for none)
//   seeds        varint    how many, then each seeding from the tick count as the zigzag
//                          varint of its difference from the one before (the first from 0),
//                          modulo 2^32
//   inputs       varint    how many, then each as a varint, its time in milliseconds since
//                          the one before (the first since the game began) times 8 plus its
//                          kind (0 tick, 1 Left, 2 Right, 3 Up, 4 Escape, 5 focus lost,
//                          6 Resume), followed by the 4-byte digest of the game's state after
//                          it; a pause (4 or 5) is always followed by a Resume before any
//                          other input
//   checksum     4         CRC-32 (the one of zip and PNG) of every byte before it
//
// A newer version of the game that changes the layout writes a higher version; this one
// refuses those by name rather than misread them.
#pragma once
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "core/Replay.h"

constexpr uint8_t ReplayFormatVersion = 1;
// The longest game the recorder keeps fits easily (TReplayRecorder::MaxSteps).
constexpr std::size_t MaxReplayBytes = 4u << 20;
// More than a game ever draws between two seedings.
constexpr uint32_t MaxReplayDraws = 1u << 20;

// What is wrong with bytes that are no replay: what() completes "<file>: ", as in
// "truncated: it ends within its inputs".
class EReplayFormat : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

std::string EncodeReplay(const TReplay& replay);
// The checksum the file ends with, of the bytes before it.
uint32_t ReplayChecksum(std::string_view bytes);
// The replay in the bytes, read in one pass; throws EReplayFormat.
TReplay DecodeReplay(std::string_view bytes);
