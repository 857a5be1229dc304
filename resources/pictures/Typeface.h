// Text rendering with FreeType: a line of text becomes an anti-aliased coverage mask.
#pragma once
#include <memory>
#include <string>
#include <string_view>

#include "Canvas.h"

namespace picgen {

// Rendered ink of one line, placed relative to its pen start on the baseline.
struct InkText {
  Mask Ink;             // tight around the ink
  int Left = 0;         // left edge of Ink relative to the pen start
  int Top = 0;          // top edge of Ink relative to the baseline (negative above it)
  float Advance = 0;    // how far the pen moved
  int InkWidth() const { return Ink.Width(); }
};

class Typeface {
 public:
  explicit Typeface(const std::string& fontFile);  // throws std::runtime_error
  ~Typeface();
  Typeface(const Typeface&) = delete;
  Typeface& operator=(const Typeface&) = delete;

  struct Options {
    float Size = 20;        // pixel size (em height)
    float PenOffset = 0;    // shifts the line right by a fraction of a pixel
    float XScale = 1;       // below 1 condenses the letters and their advances
    float Embolden = 0;     // thickens every stroke by this many pixels on each side
    bool Hinted = false;    // snap to the pixel grid: crisper small text
    bool BarredI = false;   // an "I" with bars at its ends
  };
  // Renders a line of text. Unhinted text is drawn at four times the size and filtered down,
  // so edges are smooth and positions keep quarter-pixel accuracy; hinted text is drawn at
  // its size with FreeType's light hinting, which keeps small text crisp.
  InkText Render(std::string_view text, const Options& options) const;
  InkText Render(std::string_view text, float size) const { return Render(text, Options{size}); }

 private:
  struct Impl;
  std::unique_ptr<Impl> P;
};

}  // namespace picgen
