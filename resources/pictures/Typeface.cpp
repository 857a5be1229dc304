#include "Typeface.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

namespace picgen {

struct Typeface::Impl {
  FT_Library Library = nullptr;
  FT_Face Face = nullptr;
};

Typeface::Typeface(const std::string& fontFile) : P(std::make_unique<Impl>()) {
  if (FT_Init_FreeType(&P->Library) != 0) throw std::runtime_error("FreeType failed to start");
  if (FT_New_Face(P->Library, fontFile.c_str(), 0, &P->Face) != 0) {
    FT_Done_FreeType(P->Library);
    throw std::runtime_error("cannot open font " + fontFile);
  }
}

Typeface::~Typeface() {
  FT_Done_Face(P->Face);
  FT_Done_FreeType(P->Library);
}

InkText Typeface::Render(std::string_view text, const Options& options) const {
  FT_Face face = P->Face;
  const int oversample = options.Hinted ? 1 : 4;
  const auto fineScale = static_cast<float>(oversample);
  const float pixelSize = options.Size, penOffset = options.PenOffset, xScale = options.XScale;
  const auto size26 = static_cast<FT_F26Dot6>(std::lround(pixelSize * fineScale * 64.0f));
  if (FT_Set_Char_Size(face, 0, size26, 72, 72) != 0)
    throw std::runtime_error("font size not available");
  FT_Matrix condense{static_cast<FT_Fixed>(std::lround(xScale * 65536.0f)), 0, 0, 0x10000};
  FT_Set_Transform(face, &condense, nullptr);

  struct Placed {
    std::vector<uint8_t> Bits;
    int X, Y, W, H;
  };
  std::vector<Placed> glyphs;
  double pen = static_cast<double>(penOffset) * oversample;
  FT_UInt previous = 0;
  for (const char ch : text) {
    const FT_UInt index = FT_Get_Char_Index(face, static_cast<unsigned char>(ch));
    if (previous != 0 && FT_HAS_KERNING(face)) {
      FT_Vector kern;
      if (FT_Get_Kerning(face, previous, index, FT_KERNING_UNFITTED, &kern) == 0)
        pen += static_cast<double>(kern.x) * xScale / 64.0;
    }
    const FT_Int32 hinting = options.Hinted ? FT_LOAD_TARGET_LIGHT : FT_LOAD_NO_HINTING;
    if (FT_Load_Glyph(face, index, hinting) != 0)
      throw std::runtime_error(std::string("glyph missing: ") + ch);
    const FT_GlyphSlot slot = face->glyph;
    if (options.Embolden > 0) {
      const auto strength = static_cast<FT_Pos>(std::lround(options.Embolden * 2 * fineScale * 64));
      FT_Outline_EmboldenXY(&slot->outline, strength, strength);
      FT_Outline_Translate(&slot->outline, -strength / 2, -strength / 2);
    }
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0)
      throw std::runtime_error(std::string("glyph cannot be drawn: ") + ch);
    const FT_Bitmap& bm = slot->bitmap;
    Placed g{{}, static_cast<int>(std::lround(pen)) + slot->bitmap_left, -slot->bitmap_top,
             static_cast<int>(bm.width), static_cast<int>(bm.rows)};
    g.Bits.resize(static_cast<size_t>(g.W) * g.H);
    for (int y = 0; y < g.H; ++y)
      for (int x = 0; x < g.W; ++x)
        g.Bits[static_cast<size_t>(y) * g.W + x] = bm.buffer[y * bm.pitch + x];
    if (g.W > 0 && g.H > 0) glyphs.push_back(std::move(g));
    pen += static_cast<double>(slot->advance.x) / 64.0;
    previous = index;
  }

  InkText out;
  out.Advance = static_cast<float>(pen / oversample) - penOffset;
  if (glyphs.empty()) return out;
  int x0 = glyphs[0].X, y0 = glyphs[0].Y, x1 = x0, y1 = y0;
  for (const Placed& g : glyphs) {
    x0 = std::min(x0, g.X);
    y0 = std::min(y0, g.Y);
    x1 = std::max(x1, g.X + g.W);
    y1 = std::max(y1, g.Y + g.H);
  }
  // Align the fine grid to whole pixels, then filter every 4 x 4 block into one pixel.
  const auto floorDiv = [oversample](int a) { return a >= 0 ? a / oversample : -((-a + oversample - 1) / oversample); };
  out.Left = floorDiv(x0);
  out.Top = floorDiv(y0);
  const int w = floorDiv(x1 + oversample - 1) - out.Left;
  const int h = floorDiv(y1 + oversample - 1) - out.Top;
  const int fw = w * oversample, fh = h * oversample;
  std::vector<uint8_t> fine(static_cast<size_t>(fw) * fh);
  for (const Placed& g : glyphs)
    for (int y = 0; y < g.H; ++y)
      for (int x = 0; x < g.W; ++x) {
        uint8_t& d = fine[static_cast<size_t>(g.Y + y - out.Top * oversample) * fw +
                          (g.X + x - out.Left * oversample)];
        d = std::max(d, g.Bits[static_cast<size_t>(y) * g.W + x]);
      }
  out.Ink = Mask(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      int sum = 0;
      for (int j = 0; j < oversample; ++j)
        for (int i = 0; i < oversample; ++i)
          sum += fine[static_cast<size_t>(y * oversample + j) * fw + x * oversample + i];
      out.Ink.Ref(x, y) = static_cast<float>(sum) / (255.0f * fineScale * fineScale);
    }
  return out;
}

}  // namespace picgen
