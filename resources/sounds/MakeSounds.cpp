// Build tool: writes the game's effects and music.
//   make_sounds effects <folder>   the ten ID_....wav files
//   make_sounds music <file>       the looping music, Ogg Vorbis
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "Effects.h"
#include "Music.h"

namespace {

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  // Written beside the target and renamed, so an interrupted build never leaves half a file.
  const std::string temporary = path + ".part";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) {
      std::fprintf(stderr, "make_sounds: cannot write %s\n", temporary.c_str());
      return false;
    }
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::fprintf(stderr, "make_sounds: cannot rename %s to %s\n", temporary.c_str(), path.c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || (std::strcmp(argv[1], "effects") != 0 && std::strcmp(argv[1], "music") != 0)) {
    std::fprintf(stderr, "usage: %s effects <folder> | music <file.ogg>\n", argv[0]);
    return 2;
  }
  if (std::strcmp(argv[1], "effects") == 0) {
    for (int i = 0; i < sounds::EffectCount; ++i) {
      const std::string path = std::string(argv[2]) + "/" + sounds::Effects[static_cast<std::size_t>(i)].Resource + ".wav";
      if (!WriteFile(path, sounds::MakeEffectFile(i))) return 1;
    }
    return 0;
  }
  return WriteFile(argv[2], sounds::MakeMusicFile()) ? 0 : 1;
}
