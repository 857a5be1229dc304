#include "Typeface.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_BITMAP_H

#include <algorithm>
#include <cmath>
#include <iterator>
#include <stdexcept>
#include <utility>
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

namespace {

// A glyph's outline copied out of FreeType's slot, so strokes can be added to it.
class GlyphOutline {
 public:
  explicit GlyphOutline(const FT_Outline& o)
      : Points(o.points, o.points + o.n_points), Tags(o.tags, o.tags + o.n_points),
        Contours(o.contours, o.contours + o.n_contours), Flags(o.flags),
        Clockwise(FT_Outline_Get_Orientation(const_cast<FT_Outline*>(&o)) == FT_ORIENTATION_TRUETYPE) {}

  FT_BBox Box() {
    FT_BBox box;
    FT_Outline outline = View();
    FT_Outline_Get_CBox(&outline, &box);
    return box;
  }

  // Adds a box with round ends (their radius half its smaller side), turning the way the
  // glyph's own contours turn, so the filled areas join instead of cancelling.
  void AddCapsule(FT_Pos x0, FT_Pos y0, FT_Pos x1, FT_Pos y1) {
    const FT_Pos r = std::min(x1 - x0, y1 - y0) / 2;
    // Counter-clockwise in FreeType's y-up space: on-curve points and the conic control
    // points at the corners that round them.
    const std::pair<FT_Vector, char> ring[] = {
        {{x0 + r, y0}, FT_CURVE_TAG_ON}, {{x1 - r, y0}, FT_CURVE_TAG_ON}, {{x1, y0}, FT_CURVE_TAG_CONIC},
        {{x1, y0 + r}, FT_CURVE_TAG_ON}, {{x1, y1 - r}, FT_CURVE_TAG_ON}, {{x1, y1}, FT_CURVE_TAG_CONIC},
        {{x1 - r, y1}, FT_CURVE_TAG_ON}, {{x0 + r, y1}, FT_CURVE_TAG_ON}, {{x0, y1}, FT_CURVE_TAG_CONIC},
        {{x0, y1 - r}, FT_CURVE_TAG_ON}, {{x0, y0 + r}, FT_CURVE_TAG_ON}, {{x0, y0}, FT_CURVE_TAG_CONIC},
    };
    const size_t first = Points.size();
    for (size_t i = 0; i < std::size(ring); ++i) {
      const auto& [point, tag] = ring[Clockwise ? std::size(ring) - 1 - i : i];
      // Sides as long as the rounding leave two on-curve points in one place: keep one.
      if (Points.size() > first && tag == FT_CURVE_TAG_ON && Tags.back() == FT_CURVE_TAG_ON &&
          Points.back().x == point.x && Points.back().y == point.y)
        continue;
      Points.push_back(point);
      Tags.push_back(tag);
    }
    Contours.push_back(static_cast<short>(Points.size() - 1));
  }

  // A view for FreeType's outline functions; valid until the next added stroke.
  FT_Outline View() {
    return {static_cast<short>(Contours.size()), static_cast<short>(Points.size()), Points.data(), Tags.data(),
            Contours.data(), Flags};
  }

 private:
  std::vector<FT_Vector> Points;
  std::vector<char> Tags;
  std::vector<short> Contours;
  int Flags;
  bool Clockwise;
};

// Strokes our typeface lacks at the game's small sizes. Its "p" is a ring with a tail on the
// left, which at menu sizes reads as a Greek rho: a stem rising to the top of the bowl makes
// it a Latin p. A barred "I" fills a narrow column like the letters beside it instead of
// standing alone in it.
void AddMissingStrokes(char ch, GlyphOutline& glyph, FT_Pos em, float xScale, bool barredI) {
  const FT_BBox box = glyph.Box();
  if (ch == 'p') {
    // The stem is what the descender's lower half holds.
    FT_Outline o = glyph.View();
    FT_Pos x0 = box.xMax, x1 = box.xMin;
    for (short i = 0; i < o.n_points; ++i)
      if (o.points[i].y < box.yMin / 2) x0 = std::min(x0, o.points[i].x), x1 = std::max(x1, o.points[i].x);
    if (x1 > x0) glyph.AddCapsule(x0, box.yMin / 2, x1, box.yMax);
  }
  if (ch == 'I' && barredI) {
    const FT_Pos stem = box.xMax - box.xMin, centre = (box.xMin + box.xMax) / 2;
    const FT_Pos half = std::max(stem, static_cast<FT_Pos>(std::lround(0.17 * em * xScale)));
    glyph.AddCapsule(centre - half, box.yMax - stem, centre + half, box.yMax);
    glyph.AddCapsule(centre - half, box.yMin, centre + half, box.yMin + stem);
  }
}

}  // namespace

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
    GlyphOutline glyph(slot->outline);
    AddMissingStrokes(ch, glyph, size26, xScale, options.BarredI);
    FT_Outline outline = glyph.View();
    if (options.Embolden > 0) {
      const auto strength = static_cast<FT_Pos>(std::lround(options.Embolden * 2 * fineScale * 64));
      FT_Outline_EmboldenXY(&outline, strength, strength);
      FT_Outline_Translate(&outline, -strength / 2, -strength / 2);
    }
    // Hinted glyphs are drawn at their own size, so a pen between pixels moves the outline
    // itself; oversampled ones are placed on the fine grid.
    double penX = std::round(pen);
    if (options.Hinted) {
      penX = std::floor(pen);
      FT_Outline_Translate(&outline, static_cast<FT_Pos>(std::lround((pen - penX) * 64.0)), 0);
    }
    // Drawn from its whole-pixel box, as FreeType draws a glyph.
    FT_BBox box;
    FT_Outline_Get_CBox(&outline, &box);
    box.xMin &= ~63, box.yMin &= ~63, box.xMax = (box.xMax + 63) & ~63, box.yMax = (box.yMax + 63) & ~63;
    FT_Outline_Translate(&outline, -box.xMin, -box.yMin);
    Placed g{{}, static_cast<int>(penX) + static_cast<int>(box.xMin / 64), -static_cast<int>(box.yMax / 64),
             static_cast<int>((box.xMax - box.xMin) / 64), static_cast<int>((box.yMax - box.yMin) / 64)};
    g.Bits.resize(static_cast<size_t>(g.W) * g.H);
    FT_Bitmap bm;
    FT_Bitmap_Init(&bm);
    bm.width = static_cast<unsigned>(g.W), bm.rows = static_cast<unsigned>(g.H), bm.pitch = g.W;
    bm.buffer = g.Bits.data(), bm.pixel_mode = FT_PIXEL_MODE_GRAY, bm.num_grays = 256;
    if (g.W > 0 && g.H > 0 && FT_Outline_Get_Bitmap(P->Library, &outline, &bm) != 0)
      throw std::runtime_error(std::string("glyph cannot be drawn: ") + ch);
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
