// Fuzz target: any bytes as the music file, read through the music stream's own code on a
// device without output: open and prime, fill on with looping, start playing and mix a little.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "audio/Ogg.h"
#include "platform/Sound.h"

namespace {

struct Setup {
  Setup() {
    std::string pattern = (std::filesystem::temp_directory_path() / "huebloc-music-fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    Folder = pattern;
    File = Folder + "/Music.ogg";
  }
  ~Setup() {
    std::error_code ignored;
    std::filesystem::remove_all(Folder, ignored);
  }
  std::string Folder;
  std::string File;
  std::unique_ptr<platform::SoundDevice> Device = platform::SoundDevice::CreateOffline();
};

Setup& Shared() {
  static Setup setup;
  return setup;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Setup& s = Shared();
  FILE* out = std::fopen(s.File.c_str(), "wb");
  if (!out) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, out) != size) std::abort();
  std::fclose(out);

  uint8_t available = 0;
  {
    // An absolute name is found as it is, whatever the current directory holds.
    TOgg music(*s.Device, s.File, "", &available);
    if (available) {
      // The fills the thread would make, on this thread so that every run goes the same way.
      TOggThread& thread = *music.Thread;
      thread.Loop = true;
      for (int i = 0; i < 4; ++i) {
        thread.FillLower = i % 2 == 0 ? 1 : 0;
        thread.Fill();
      }
      music.Play(0, 1);
      // Starts the thread, which waits for the cursor to reach the second half: the little
      // mixed here keeps it far from there, so the thread never decodes.
      music.Play(10, 1);
      constexpr uint32_t frames = platform::MixRate / 20;
      std::vector<int16_t> mixed(size_t{frames} * platform::MixChannels);
      s.Device->GetMixer().Mix(mixed.data(), frames);
    }
  }
  return 0;
}
