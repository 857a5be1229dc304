// Draws the game's pictures as BMP files, the art-review contact sheet as a PNG, or the
// desktop icons as PNG files (DIR/huebloc-48.png, DIR/huebloc-256.png).
//   huebloc_picgen --font FILE --out DIR
//   huebloc_picgen --font FILE --contact-sheet FILE.png
//   huebloc_picgen --icons DIR
#include <cstdio>
#include <exception>
#include <map>
#include <stdexcept>
#include <string>

#include "ContactSheet.h"
#include "Icon.h"
#include "ImageFiles.h"
#include "PictureSet.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: huebloc_picgen [--font FILE (--out DIR | --contact-sheet FILE.png)] [--icons DIR]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string font, outDir, sheet, icons;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--font") font = argv[i + 1];
    else if (option == "--out") outDir = argv[i + 1];
    else if (option == "--contact-sheet") sheet = argv[i + 1];
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
      picgen::WriteFile(sheet, picgen::EncodePng(picgen::MakeContactSheet(face, pictures)));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "huebloc_picgen: %s\n", e.what());
    return 1;
  }
  return 0;
}
