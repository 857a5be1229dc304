// Float RGBA canvases the pictures are painted on, and the flattening into 8-bit pictures.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace picgen {

// Colour channels in 0..255, kept as floats while painting.
struct Colour {
  float r = 0, g = 0, b = 0;
};

Colour Mix(Colour a, Colour b, float t);  // a at t = 0, b at t = 1
Colour Scale(Colour c, float f);          // towards black below 1, clamped above
Colour Lighten(Colour c, float t);        // towards white by t
Colour FromHex(uint32_t rgb);             // 0x00RRGGBB

struct Rgba {
  Colour c;
  float a = 0;  // coverage 0..1, straight (not premultiplied)
};

// A painting surface; pixel centres lie at (x + 0.5, y + 0.5).
class Canvas {
 public:
  Canvas(int width, int height);
  int Width() const { return W; }
  int Height() const { return H; }
  Rgba& At(int x, int y) { return Px[static_cast<size_t>(y) * W + x]; }
  const Rgba& At(int x, int y) const { return Px[static_cast<size_t>(y) * W + x]; }
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < W && y < H; }

  void Fill(Colour c);
  // Lays colour c over the pixel with coverage a ("over" operator).
  void Blend(int x, int y, Colour c, float a);
  // Paints whatever a shader returns for each sample point inside the box [x0, x1) x [y0, y1),
  // averaging samples x samples points per pixel; a shader returns nothing outside its shape.
  using Shader = std::function<std::optional<Rgba>(float x, float y)>;
  void Paint(int x0, int y0, int x1, int y1, const Shader& shader, int samples = 4);
  // Copies another canvas over this one at (x, y), honouring its coverage.
  void Draw(const Canvas& src, int x, int y);

 private:
  int W, H;
  std::vector<Rgba> Px;
};

// A coverage mask (0..1), e.g. rendered text.
class Mask {
 public:
  Mask() = default;
  Mask(int width, int height);
  int Width() const { return W; }
  int Height() const { return H; }
  float At(int x, int y) const {
    return (x < 0 || y < 0 || x >= W || y >= H) ? 0.0f : A[static_cast<size_t>(y) * W + x];
  }
  float& Ref(int x, int y) { return A[static_cast<size_t>(y) * W + x]; }
  // A mask grown by radius pixels, with a soft (anti-aliased) edge.
  Mask Grown(float radius) const;
  // A mask softened by three box blurs of the given radius (close to a Gaussian).
  Mask Blurred(int radius) const;
  // Ink bounds: first and one-past-last columns and rows with coverage above threshold.
  struct Bounds {
    int x0, y0, x1, y1;
    bool Empty() const { return x1 <= x0; }
  };
  Bounds InkBounds(float threshold = 0.02f) const;

 private:
  int W = 0, H = 0;
  std::vector<float> A;
};

// Paints colour (or a shader of the pixel position) through a mask placed at (x, y).
void PaintMask(Canvas& canvas, const Mask& mask, int x, int y,
               const std::function<Colour(float x, float y)>& shade, float opacity = 1.0f);
void PaintMask(Canvas& canvas, const Mask& mask, int x, int y, Colour colour, float opacity = 1.0f);

// An 8-bit RGB picture, rows from the top.
struct Picture {
  int Width = 0, Height = 0;
  std::vector<uint8_t> Rgb;  // Width * Height * 3
  uint32_t Pixel(int x, int y) const;  // 0x00RRGGBB
  void SetPixel(int x, int y, uint32_t rgb);
};

// Flattens a canvas: pixels covered less than KeyCoverage become the key colour, the others
// are blended over backdrop (the colour the picture will be drawn on). A result that lands
// within a few steps of the key is pushed clear of it, so no pixel is ever accidentally
// transparent.
Picture Flatten(const Canvas& canvas, uint32_t key, Colour backdrop);
// Flattens a fully painted canvas without a key.
Picture FlattenOpaque(const Canvas& canvas);

// Largest channel difference between two 0x00RRGGBB colours.
int ChannelDistance(uint32_t a, uint32_t b);
// How close to the key a non-key pixel may come.
constexpr int KeyClearance = 4;
// Coverage below which a pixel is left transparent: too faint to see.
constexpr float KeyCoverage = 0.04f;

}  // namespace picgen
