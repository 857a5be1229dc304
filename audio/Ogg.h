// The background music: "Music.ogg" found on disk, decoded with libvorbisfile into a looping
// four-second stream buffer that TOggThread keeps filled.
#pragma once
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "audio/Oggthread.h"
#include "platform/Sound.h"

// Where the music is: the bare name (the current directory) if it is a file there, else the
// name in the first directory of `path` (";"-separated, empty entries skipped) that holds it,
// else in the first of `moreDirectories` that does; "" when none does.
std::string FindMusicFile(const std::string& name, const std::string& path,
                          const std::vector<std::string>& moreDirectories = {});

class TOgg {
 public:
  // Finds and opens the file, makes the buffer and fills both of its halves. Sets
  // *musicAvailable to 1 when the music is ready to play, else to 0: no file, not Ogg Vorbis,
  // not 44100 Hz stereo (said on standard error), no memory or no buffer.
  TOgg(platform::SoundDevice& sound, const std::string& fileName, const std::string& path,
       uint8_t* musicAvailable, const std::vector<std::string>& moreDirectories = {});
  // Stops the thread (waiting for it only if it was started) and releases everything.
  ~TOgg();
  TOgg(const TOgg&) = delete;
  TOgg& operator=(const TOgg&) = delete;

  // Level 0 mutes, without starting or stopping. The first request above 0 starts the music
  // from its beginning, looping at the end of the file when `loop` is 1; later requests only
  // change the volume.
  void Play(int level, int loop);
  void Mute();

  std::unique_ptr<TOggThread> Thread;
  FILE* File = nullptr;
  bool Opened = false;  // the decoder owns File
};
