// Draws the game's pictures as BMP files, or the art-review contact sheet as a PNG.
//   huebloc_picgen --font FILE --out DIR
//   huebloc_picgen --font FILE --contact-sheet FILE.png
#include <cstdio>
#include <exception>
#include <map>
#include <stdexcept>
#include <string>

#include "ContactSheet.h"
#include "ImageFiles.h"
#include "PictureSet.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: huebloc_picgen --font FILE (--out DIR | --contact-sheet FILE.png)\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string font, outDir, sheet;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--font") font = argv[i + 1];
    else if (option == "--out") outDir = argv[i + 1];
    else if (option == "--contact-sheet") sheet = argv[i + 1];
    else return Usage();
  }
  if (argc % 2 == 0 || font.empty() || (outDir.empty() && sheet.empty())) return Usage();

  try {
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
