#include "audio/Oggthread.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <cstring>

namespace {

// Between two looks at the play cursor the thread sleeps until the cursor should have reached
// the awaited half, and a little longer, as the mixer moves the cursor a block at a time: a
// running game must leave the processor nearly idle, and a fill has two seconds of slack, so a
// look that comes late loses nothing. A termination request ends any wait at once.
constexpr std::chrono::milliseconds CursorPoll{5};
constexpr std::chrono::milliseconds CursorMargin{50};

// ov_read's output: 16-bit signed samples in the machine's own byte order, as the ring holds them.
constexpr int ByteOrder = std::endian::native == std::endian::big ? 1 : 0;
constexpr int SampleBytes = 2;
constexpr int Signed = 1;

}  // namespace

TOggThread::~TOggThread() {
  // Execute uses this object's members: it must have returned before they go.
  Terminate();
  WakeUp();
  WaitFor();
}

void TOggThread::WakeUp() {
  { std::lock_guard lock(NapMutex); }  // a napping thread has either seen the request or sleeps
  NapWake.notify_all();
}

void TOggThread::Nap(std::chrono::milliseconds time) {
  std::unique_lock lock(NapMutex);
  NapWake.wait_for(lock, time, [this] { return Terminated(); });
}

bool TOggThread::AwaitCursor(bool upperHalf) {
  for (;;) {
    if (Terminated()) return false;
    const uint32_t play = Buffer->GetCurrentPosition();
    if ((play >= HalfBytes) == upperHalf) return true;
    // HalfBytes is two seconds of the stream.
    const uint32_t awaited = upperHalf ? HalfBytes : BufferBytes;
    const uint64_t ahead = awaited > play ? awaited - play : 0;
    const std::chrono::milliseconds due{static_cast<int64_t>(ahead * 2000 / HalfBytes)};
    Nap(std::min(due + CursorMargin, LongestNap));
  }
}

void TOggThread::Execute() {
  while (!Terminated()) {
    if (!Started.load(std::memory_order_acquire)) {
      Nap(CursorPoll);
      continue;
    }
    if (FillLower.load() == 0) {
      // Playback must have moved into the second half before the first one is rewritten.
      if (!AwaitCursor(true)) break;
      FillLower = 1;
    } else {
      if (!AwaitCursor(false)) break;
      FillLower = 0;
    }
    if (!Terminated()) Fill();
  }
}

void TOggThread::Fill() {
  uint32_t decoded = 0;
  uint32_t rewinds = 0;
  bool stop = false;
  char* pcm = reinterpret_cast<char*>(PcmBuffer.get());
  while (decoded < HalfBytes && !stop) {
    const long got = ov_read(&VorbisFile, pcm + decoded, static_cast<int>(HalfBytes - decoded), ByteOrder,
                             SampleBytes, Signed, &Section);
    if (got > 0 && static_cast<unsigned long>(got) <= HalfBytes - decoded) {
      decoded += static_cast<uint32_t>(got);
    } else if (got == 0) {
      // With Loop the file's last samples run straight into its first ones. A file of a few
      // samples (or none) would be rewound thousands of times per fill, or for ever.
      stop = ov_raw_seek(&VorbisFile, 0) != 0 || !Loop.load() || ++rewinds >= MaxRewindsPerFill;
    } else {
      // A hole or a bad link ends this fill; the next one decodes on from there. Any other
      // error ends it too rather than asking the decoder again and again.
      stop = true;
    }
  }
  if (decoded == 0) return;

  std::span<uint8_t> part1, part2;
  const uint32_t offset = FillLower.load() == 1 ? 0 : HalfBytes;
  if (Buffer->Lock(offset, decoded, part1, part2) != platform::SoundOk) return;
  std::memcpy(part1.data(), pcm, part1.size());
  std::memcpy(part2.data(), pcm + part1.size(), part2.size());
  Buffer->Unlock();
  Fills.fetch_add(1, std::memory_order_release);
}

void TOggThread::ThreadDone() {
  PcmBuffer.reset();
  Buffer.reset();
}
