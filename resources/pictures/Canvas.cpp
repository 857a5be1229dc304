#include "Canvas.h"

#include <algorithm>
#include <cmath>

namespace picgen {

Colour Mix(Colour a, Colour b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Colour Scale(Colour c, float f) {
  return {std::min(255.0f, c.r * f), std::min(255.0f, c.g * f), std::min(255.0f, c.b * f)};
}

Colour Lighten(Colour c, float t) { return Mix(c, {255, 255, 255}, t); }

Colour FromHex(uint32_t rgb) {
  return {static_cast<float>((rgb >> 16) & 0xFF), static_cast<float>((rgb >> 8) & 0xFF),
          static_cast<float>(rgb & 0xFF)};
}

Canvas::Canvas(int width, int height)
    : W(width), H(height), Px(static_cast<size_t>(width) * height) {}

void Canvas::Fill(Colour c) { std::fill(Px.begin(), Px.end(), Rgba{c, 1.0f}); }

void Canvas::Blend(int x, int y, Colour c, float a) {
  if (!Inside(x, y) || a <= 0.0f) return;
  a = std::min(a, 1.0f);
  Rgba& d = At(x, y);
  const float outA = a + d.a * (1.0f - a);
  const float keep = d.a * (1.0f - a) / outA;
  const float take = a / outA;
  d.c = {c.r * take + d.c.r * keep, c.g * take + d.c.g * keep, c.b * take + d.c.b * keep};
  d.a = outA;
}

void Canvas::Paint(int x0, int y0, int x1, int y1, const Shader& shader, int samples) {
  x0 = std::max(x0, 0);
  y0 = std::max(y0, 0);
  x1 = std::min(x1, W);
  y1 = std::min(y1, H);
  const float step = 1.0f / static_cast<float>(samples);
  const float count = static_cast<float>(samples * samples);
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      float sumA = 0, r = 0, g = 0, b = 0;
      for (int j = 0; j < samples; ++j) {
        for (int i = 0; i < samples; ++i) {
          const float sx = static_cast<float>(x) + (static_cast<float>(i) + 0.5f) * step;
          const float sy = static_cast<float>(y) + (static_cast<float>(j) + 0.5f) * step;
          if (const auto s = shader(sx, sy)) {
            sumA += s->a;
            r += s->c.r * s->a;
            g += s->c.g * s->a;
            b += s->c.b * s->a;
          }
        }
      }
      if (sumA > 0) Blend(x, y, {r / sumA, g / sumA, b / sumA}, sumA / count);
    }
  }
}

void Canvas::Draw(const Canvas& src, int x, int y) {
  for (int j = 0; j < src.Height(); ++j)
    for (int i = 0; i < src.Width(); ++i) Blend(x + i, y + j, src.At(i, j).c, src.At(i, j).a);
}

Mask::Mask(int width, int height) : W(width), H(height), A(static_cast<size_t>(width) * height) {}

Mask Mask::Grown(float radius) const {
  Mask out(W, H);
  const int reach = static_cast<int>(std::ceil(radius)) + 1;
  for (int y = 0; y < H; ++y) {
    for (int x = 0; x < W; ++x) {
      float best = 0;
      for (int dy = -reach; dy <= reach; ++dy) {
        for (int dx = -reach; dx <= reach; ++dx) {
          const float v = At(x + dx, y + dy);
          if (v <= best) continue;
          const float d = std::sqrt(static_cast<float>(dx * dx + dy * dy));
          best = std::max(best, v * std::clamp(radius + 1.0f - d, 0.0f, 1.0f));
        }
      }
      out.Ref(x, y) = best;
    }
  }
  return out;
}

Mask Mask::Blurred(int radius) const {
  Mask out = *this;
  Mask tmp(W, H);
  const float norm = 1.0f / static_cast<float>(2 * radius + 1);
  for (int pass = 0; pass < 3; ++pass) {
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) {
        float sum = 0;
        for (int d = -radius; d <= radius; ++d) sum += out.At(x + d, y);
        tmp.Ref(x, y) = sum * norm;
      }
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) {
        float sum = 0;
        for (int d = -radius; d <= radius; ++d) sum += tmp.At(x, y + d);
        out.Ref(x, y) = sum * norm;
      }
  }
  return out;
}

Mask::Bounds Mask::InkBounds(float threshold) const {
  Bounds b{W, H, 0, 0};
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x)
      if (At(x, y) > threshold) {
        b.x0 = std::min(b.x0, x);
        b.y0 = std::min(b.y0, y);
        b.x1 = std::max(b.x1, x + 1);
        b.y1 = std::max(b.y1, y + 1);
      }
  if (b.x1 == 0) b = {0, 0, 0, 0};
  return b;
}

void PaintMask(Canvas& canvas, const Mask& mask, int x, int y,
               const std::function<Colour(float, float)>& shade, float opacity) {
  for (int j = 0; j < mask.Height(); ++j)
    for (int i = 0; i < mask.Width(); ++i) {
      const float a = mask.At(i, j) * opacity;
      if (a > 0)
        canvas.Blend(x + i, y + j,
                     shade(static_cast<float>(x + i) + 0.5f, static_cast<float>(y + j) + 0.5f), a);
    }
}

void PaintMask(Canvas& canvas, const Mask& mask, int x, int y, Colour colour, float opacity) {
  PaintMask(canvas, mask, x, y, [colour](float, float) { return colour; }, opacity);
}

uint32_t Picture::Pixel(int x, int y) const {
  const size_t i = (static_cast<size_t>(y) * Width + x) * 3;
  return (uint32_t{Rgb[i]} << 16) | (uint32_t{Rgb[i + 1]} << 8) | Rgb[i + 2];
}

void Picture::SetPixel(int x, int y, uint32_t rgb) {
  const size_t i = (static_cast<size_t>(y) * Width + x) * 3;
  Rgb[i] = static_cast<uint8_t>(rgb >> 16);
  Rgb[i + 1] = static_cast<uint8_t>(rgb >> 8);
  Rgb[i + 2] = static_cast<uint8_t>(rgb);
}

int ChannelDistance(uint32_t a, uint32_t b) {
  int d = 0;
  for (int shift = 0; shift <= 16; shift += 8)
    d = std::max(d, std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)));
  return d;
}

namespace {

uint8_t Channel(float v) { return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0f, 255.0f))); }

uint32_t Pack(Colour c) {
  return (uint32_t{Channel(c.r)} << 16) | (uint32_t{Channel(c.g)} << 8) | Channel(c.b);
}

// Moves a colour that came too close to the key clear of it along its roomiest channel.
uint32_t PushClear(uint32_t rgb, uint32_t key) {
  int best = 0, bestRoom = -1, bestTarget = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const int k = static_cast<int>((key >> shift) & 0xFF);
    const int up = 255 - (k + KeyClearance), down = k - KeyClearance;
    const int room = std::max(up, down);
    if (room > bestRoom) {
      bestRoom = room;
      best = shift;
      bestTarget = down >= 0 ? k - KeyClearance : k + KeyClearance;
    }
  }
  rgb &= ~(0xFFu << best);
  return rgb | (static_cast<uint32_t>(bestTarget) << best);
}

}  // namespace

Picture Flatten(const Canvas& canvas, uint32_t key, Colour backdrop) {
  Picture p{canvas.Width(), canvas.Height(),
            std::vector<uint8_t>(static_cast<size_t>(canvas.Width()) * canvas.Height() * 3)};
  for (int y = 0; y < p.Height; ++y) {
    for (int x = 0; x < p.Width; ++x) {
      const Rgba& s = canvas.At(x, y);
      uint32_t out = key;
      // Transparency follows coverage alone, so the same shape in another colour keeps
      // exactly the same transparent pixels.
      if (s.a >= KeyCoverage) {
        out = Pack(Mix(backdrop, s.c, std::min(s.a, 1.0f)));
        if (ChannelDistance(out, key) < KeyClearance) out = PushClear(out, key);
      }
      p.SetPixel(x, y, out);
    }
  }
  return p;
}

Picture FlattenOpaque(const Canvas& canvas) {
  Picture p{canvas.Width(), canvas.Height(),
            std::vector<uint8_t>(static_cast<size_t>(canvas.Width()) * canvas.Height() * 3)};
  for (int y = 0; y < p.Height; ++y)
    for (int x = 0; x < p.Width; ++x) {
      const Rgba& s = canvas.At(x, y);
      p.SetPixel(x, y, Pack(Mix({0, 0, 0}, s.c, std::min(s.a, 1.0f))));
    }
  return p;
}

}  // namespace picgen
