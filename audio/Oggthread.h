// The music's streaming thread: keeps the four-second music buffer filled, two seconds at a
// time, one half while the other plays.
#pragma once
#include <vorbis/vorbisfile.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>

#include "platform/Sound.h"
#include "platform/Thread.h"

class TOggThread : public platform::Thread {
 public:
  // A looping fill rewinds the file at most this often: any music longer than 2 s / 256
  // (8 ms) still loops seamlessly, while a file of a sample or two costs next to nothing.
  static constexpr uint32_t MaxRewindsPerFill = 256;

  ~TOggThread() override;

  // Decodes up to HalfBytes into PcmBuffer and copies what it got to the start of the half
  // FillLower names. A hole or a bad link in the file ends the fill early; the end of the
  // file rewinds it, and ends the fill too unless Loop is set (or it was rewound too often).
  void Fill();
  // On-terminate handler, on the main thread once Execute has returned.
  void ThreadDone();
  // Wakes a wait for the play cursor, so that a termination request is seen at once.
  void WakeUp();

  int Section = 0;
  OggVorbis_File VorbisFile{};
  std::unique_ptr<platform::StreamBuffer> Buffer;
  uint32_t BufferBytes = 0;  // four seconds
  uint32_t HalfBytes = 0;    // two seconds
  std::unique_ptr<uint8_t[]> PcmBuffer;

  // Shared with the main thread, which sets them before it resumes this one.
  std::atomic<bool> Loop{false};
  std::atomic<uint8_t> FillLower{0};  // 1: the next fill writes the first half, 0: the second
  std::atomic<bool> Started{false};
  // Fills written so far, for progress checks.
  std::atomic<uint32_t> Fills{0};
  // Longest sleep between two looks at the play cursor, which normally moves in real time;
  // a test that mixes faster than that looks more often. Set before the thread starts.
  std::chrono::milliseconds LongestNap{1000};

 protected:
  void Execute() override;

 private:
  // Waits until the play cursor is in the upper half (or the lower one); false when the
  // thread is to end instead.
  bool AwaitCursor(bool upperHalf);
  void Nap(std::chrono::milliseconds time);

  std::mutex NapMutex;
  std::condition_variable NapWake;
};
