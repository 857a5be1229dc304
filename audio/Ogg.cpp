#include "audio/Ogg.h"

#include <filesystem>
#include <new>

#include "audio/Sound.h"

namespace {

constexpr uint32_t BufferSeconds = 4;

// A directory and a name joined with one separator.
std::string InDirectory(const std::string& directory, const std::string& name) {
  return directory.back() == '/' ? directory + name : directory + "/" + name;
}

// A plain file (or a link to one): a directory of that name is not the music.
bool IsFile(const std::string& file) {
  std::error_code ignored;
  return std::filesystem::is_regular_file(file, ignored);
}

}  // namespace

std::string FindMusicFile(const std::string& name, const std::string& path,
                          const std::vector<std::string>& moreDirectories) {
  if (IsFile(name)) return name;
  for (std::size_t start = 0; start <= path.size();) {
    std::size_t end = path.find(';', start);
    if (end == std::string::npos) end = path.size();
    if (end > start) {
      const std::string file = InDirectory(path.substr(start, end - start), name);
      if (IsFile(file)) return file;
    }
    start = end + 1;
  }
  for (const std::string& directory : moreDirectories) {
    if (directory.empty()) continue;
    const std::string file = InDirectory(directory, name);
    if (IsFile(file)) return file;
  }
  return {};
}

TOgg::TOgg(platform::SoundDevice& sound, const std::string& fileName, const std::string& path,
           uint8_t* musicAvailable, const std::vector<std::string>& moreDirectories) {
  *musicAvailable = 0;
  const std::string found = FindMusicFile(fileName, path, moreDirectories);
  if (!found.empty()) File = std::fopen(found.c_str(), "rb");
  Thread = std::make_unique<TOggThread>();
  Thread->OnTerminate = [thread = Thread.get()] { thread->ThreadDone(); };
  if (!File) return;

  TOggThread& t = *Thread;
  // On failure the decoder leaves the file to us; the destructor closes it.
  if (ov_open(File, &t.VorbisFile, nullptr, 0) != 0) return;
  Opened = true;

  // The music plays in the game's own format, which SDL converts to the hardware's; a file in
  // another rate or channel count (the game's own is never one) plays as no music, said once.
  const vorbis_info* info = ov_info(&t.VorbisFile, 0);
  if (!info) return;
  constexpr platform::PcmFormat format = platform::OutputFormat;
  if (info->channels != format.Channels || info->rate != format.SamplesPerSec) {
    std::fprintf(stderr, "huebloc: %s is %ld Hz with %d channels, not %u Hz stereo: no music\n", found.c_str(),
                 info->rate, info->channels, format.SamplesPerSec);
    return;
  }
  t.BufferBytes = BufferSeconds * format.AvgBytesPerSec();
  t.HalfBytes = t.BufferBytes / 2;

  t.PcmBuffer.reset(new (std::nothrow) uint8_t[t.HalfBytes]);
  if (t.PcmBuffer) t.Buffer = sound.CreateSoundBuffer(t.BufferBytes);
  if (!t.Buffer) return;

  // Both halves are filled before anything plays; Loop is still off, so a short file leaves
  // the rest of each half as it was.
  t.FillLower = 1;
  t.Fill();
  t.FillLower = 0;
  t.Fill();
  *musicAvailable = 1;
}

TOgg::~TOgg() {
  Thread->Terminate();
  Thread->WakeUp();
  // The wait runs ThreadDone once the thread has ended.
  if (Thread->Started.load()) Thread->WaitFor();
  if (Opened)
    ov_clear(&Thread->VorbisFile);  // closes File too
  else if (File)
    std::fclose(File);
  // Music that never started has no thread to release its buffers.
  Thread->ThreadDone();
  Thread.reset();
}

void TOgg::Mute() {
  if (Thread->Buffer) Thread->Buffer->SetVolume(platform::VolumeMin);
}

void TOgg::Play(int level, int loop) {
  TOggThread& t = *Thread;
  if (!t.Buffer) return;
  if (level <= 0) {
    Mute();
    return;
  }
  t.Buffer->SetVolume(LevelVolume(level));
  if (t.Started.load()) return;
  t.FillLower = 0;
  if (loop == 1) t.Loop = true;
  t.Started.store(true, std::memory_order_release);
  t.Buffer->Play(platform::SoundPlayLooping);
  t.Resume();
}
