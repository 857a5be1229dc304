// Draws the game's pictures as BMP files, the art-review contact sheet as a PNG, or the
// desktop icons as PNG files (DIR/huebloc-48.png, DIR/huebloc-256.png). The sheet shows the
// game's screens that the game's own review tool composed into DIR (screens.txt lists each
// picture file and its caption, separated by a tab).
//   huebloc_picgen --font FILE --out DIR
//   huebloc_picgen --font FILE --contact-sheet FILE.png [--screens DIR]
//   huebloc_picgen --icons DIR
#include <cstdio>
#include <exception>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "ContactSheet.h"
#include "Icon.h"
#include "ImageFiles.h"
#include "PictureSet.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: huebloc_picgen [--font FILE (--out DIR | --contact-sheet FILE.png [--screens DIR])] "
               "[--icons DIR]\n");
  return 2;
}

std::vector<std::pair<std::string, picgen::Picture>> ReadScreens(const std::string& dir) {
  std::vector<std::pair<std::string, picgen::Picture>> screens;
  if (dir.empty()) return screens;
  std::ifstream list(dir + "/screens.txt");
  if (!list) throw std::runtime_error("no list of screens in " + dir);
  for (std::string line; std::getline(list, line);) {
    const size_t tab = line.find('\t');
    if (tab == std::string::npos) throw std::runtime_error("a line of " + dir + "/screens.txt has no caption");
    screens.emplace_back(line.substr(tab + 1), picgen::ReadPpm(dir + "/" + line.substr(0, tab)));
  }
  return screens;
}

}  // namespace

int main(int argc, char** argv) {
  std::string font, outDir, sheet, screensDir, icons;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--font") font = argv[i + 1];
    else if (option == "--out") outDir = argv[i + 1];
    else if (option == "--contact-sheet") sheet = argv[i + 1];
    else if (option == "--screens") screensDir = argv[i + 1];
    else if (option == "--icons") icons = argv[i + 1];
    else return Usage();
  }
  const bool drawPictures = !outDir.empty() || !sheet.empty();
  if (argc % 2 == 0 || (!drawPictures && icons.empty()) || (drawPictures && font.empty())) return Usage();

  try {
    if (!icons.empty())
      for (const int size : picgen::IconSizes)
        picgen::WriteFile(icons + "/huebloc-" + std::to_string(size) + ".png", picgen::EncodePng(picgen::MakeIcon(size)));
    if (!drawPictures) return 0;
    const picgen::Typeface face(font);
    std::map<std::string, picgen::Picture> pictures;
    for (const picgen::PictureEntry& entry : picgen::PictureList()) {
      picgen::Picture p = entry.Make(face);
      if (p.Width != entry.Width || p.Height != entry.Height)
        throw std::runtime_error(std::string(entry.Name) + " came out at the wrong size");
      pictures.emplace(entry.Name, std::move(p));
    }
    if (!outDir.empty())
      for (const auto& [name, picture] : pictures)
        picgen::WriteFile(outDir + "/" + name + ".bmp", picgen::EncodeBmp(picture));
    if (!sheet.empty())
      picgen::WriteFile(sheet, picgen::EncodePng(picgen::MakeContactSheet(face, pictures, ReadScreens(screensDir))));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "huebloc_picgen: %s\n", e.what());
    return 1;
  }
  return 0;
}
