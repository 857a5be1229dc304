// How the pictures look without full colour vision: greyscale, and the simulations of
// protanopia, deuteranopia and tritanopia at full severity (Machado, Oliveira and Fernandes,
// 2009), applied in linear RGB; and CIELAB colour differences to measure what still differs.
#pragma once
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <string_view>

namespace picgen {

enum class Vision { Normal, Greyscale, Protanopia, Deuteranopia, Tritanopia };
constexpr std::array<Vision, 5> Visions = {Vision::Normal, Vision::Greyscale, Vision::Protanopia,
                                           Vision::Deuteranopia, Vision::Tritanopia};

constexpr std::string_view VisionName(Vision v) {
  switch (v) {
    case Vision::Normal: return "normal";
    case Vision::Greyscale: return "greyscale";
    case Vision::Protanopia: return "protanopia";
    case Vision::Deuteranopia: return "deuteranopia";
    case Vision::Tritanopia: return "tritanopia";
  }
  return "";
}

namespace vision {

using Matrix = std::array<std::array<double, 3>, 3>;
using Rgb = std::array<double, 3>;  // linear, 0..1

constexpr Matrix Protanopia = {{{0.152286, 1.052583, -0.204868},
                                {0.114503, 0.786281, 0.099216},
                                {-0.003882, -0.048116, 1.051998}}};
constexpr Matrix Deuteranopia = {{{0.367322, 0.860646, -0.227968},
                                  {0.280085, 0.672501, 0.047413},
                                  {-0.011820, 0.042940, 0.968881}}};
constexpr Matrix Tritanopia = {{{1.255528, -0.076749, -0.178779},
                                {-0.078411, 0.930809, 0.147602},
                                {0.004733, 0.691367, 0.303900}}};

inline double ToLinear(double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); }
inline double ToEncoded(double c) { return c <= 0.0031308 ? 12.92 * c : 1.055 * std::pow(c, 1 / 2.4) - 0.055; }

inline Rgb Linear(uint32_t rgb) {
  const auto channel = [rgb](int shift) { return ToLinear(((rgb >> shift) & 0xFF) / 255.0); };
  return {channel(16), channel(8), channel(0)};
}

inline Rgb Apply(const Matrix& m, const Rgb& c) {
  Rgb out{};
  for (size_t i = 0; i < 3; ++i) out[i] = std::clamp(m[i][0] * c[0] + m[i][1] * c[1] + m[i][2] * c[2], 0.0, 1.0);
  return out;
}

// The linear colour as seen with that vision.
inline Rgb Seen(Vision v, const Rgb& c) {
  switch (v) {
    case Vision::Normal: return c;
    case Vision::Greyscale: {
      const double y = 0.2126 * c[0] + 0.7152 * c[1] + 0.0722 * c[2];
      return {y, y, y};
    }
    case Vision::Protanopia: return Apply(Protanopia, c);
    case Vision::Deuteranopia: return Apply(Deuteranopia, c);
    case Vision::Tritanopia: return Apply(Tritanopia, c);
  }
  return c;
}

}  // namespace vision

// A 0x00RRGGBB colour as seen with that vision.
inline uint32_t Simulate(Vision v, uint32_t rgb) {
  const vision::Rgb c = vision::Seen(v, vision::Linear(rgb));
  uint32_t out = 0;
  for (const double channel : c)
    out = (out << 8) | static_cast<uint32_t>(std::lround(std::clamp(vision::ToEncoded(channel), 0.0, 1.0) * 255.0));
  return out;
}

struct Lab {
  double L, A, B;
};

// CIELAB under D65 of a 0x00RRGGBB colour as seen with that vision.
inline Lab SeenLab(Vision v, uint32_t rgb) {
  const vision::Rgb c = vision::Seen(v, vision::Linear(rgb));
  const double x = (0.4124 * c[0] + 0.3576 * c[1] + 0.1805 * c[2]) / 0.95047;
  const double y = 0.2126 * c[0] + 0.7152 * c[1] + 0.0722 * c[2];
  const double z = (0.0193 * c[0] + 0.1192 * c[1] + 0.9505 * c[2]) / 1.08883;
  const auto f = [](double t) { return t > 216.0 / 24389 ? std::cbrt(t) : (24389.0 / 27 * t + 16) / 116; };
  return {116 * f(y) - 16, 500 * (f(x) - f(y)), 200 * (f(y) - f(z))};
}

// The CIE 1976 colour difference.
inline double DeltaE(const Lab& a, const Lab& b) { return std::hypot(a.L - b.L, a.A - b.A, a.B - b.B); }

}  // namespace picgen
