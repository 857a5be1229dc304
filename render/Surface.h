// One picture of the game in a surface of its own, with where it is normally drawn, the
// surface it is drawn onto and whether it is blitted with its colour key. The window's client
// area (the primary) and the back buffer are TSurface objects too.
#pragma once
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "platform/Graphics.h"
#include "platform/Presenter.h"

class TSurface {
 public:
  // The primary of a set drawn without a window (tests, the review screens): presenting shows
  // nothing anywhere.
  static constexpr uint32_t NoWindow = 0;

  // The primary: the client area of the window of that id (platform::Form::WindowId), or
  // NoWindow, where the picture is shown on a plain border of that colour (0x00RRGGBB) when
  // the window is larger. Throws std::runtime_error when there is no such window to present into.
  TSurface(uint32_t windowId, uint32_t borderColour);
  // The back buffer: width x height pixels, presented onto target (the primary).
  TSurface(int width, int height, TSurface& target);
  // A picture from the bitmap resource of that name, drawn opaque at (x, y) on target.
  TSurface(std::string_view resourceName, int32_t x, int32_t y, TSurface& target);
  // The same, drawn with a source colour key (0x00RRGGBB).
  TSurface(std::string_view resourceName, int32_t x, int32_t y, TSurface& target, uint32_t colourKey);
  TSurface(const TSurface&) = delete;
  TSurface& operator=(const TSurface&) = delete;

  // False for a picture whose resource could not be loaded: every draw of it does nothing.
  bool Loaded() const { return Pixels != nullptr || Window != nullptr || ResourceName.empty(); }

  // --- Whole surfaces (render/Surface.cpp) ---
  // The whole picture at (X, Y) of the target.
  void Draw();
  // Mends lost memory: a lost target gets its memory back without a repaint (composition
  // repaints the back buffer whole), a lost picture is reloaded from its resource.
  void Restore();
  // Back buffer only: shows it in the window. A lost window or back buffer is restored (no
  // repaint) and the picture presented once more.
  void Present();

  // --- Play-area cells and frame (render/PlayArea.cpp) ---
  // The picture stretched to 30 x 30 on cell (column, row) of an area of that size.
  void DrawCell(int column, int row, int areaWidth, int areaHeight, bool keyed);
  // Two opposite bars of the frame of an area of that size: top and bottom from the
  // horizontal strip, left and right from the vertical one; the second bar of each is the
  // first mirrored.
  void DrawFrame(int areaWidth, int areaHeight, bool vertical);

  // --- Menu items and strip text (render/StripText.cpp) ---
  // Two-state pictures: the upper (cyan) half when selected, else the lower (white) half.
  void DrawItem(bool selected);
  void DrawItemAt(bool selected, int y);
  void DrawItemXY(int x, int y, bool selected);
  // One glyph of the key-name strip, its left edge at x; an index without a glyph draws nothing.
  void DrawKeyGlyph(int x, int y, uint32_t index, bool selected);
  // A digit strip: the number centred in the 150 pixels from X.
  void DrawNumber(int y, uint32_t value);
  // The large characters: the text centred in the 300 pixels from X.
  void DrawBigText(int y, std::string_view text);
  // The small characters: the text centred on centreX.
  void DrawSmallText(int centreX, int y, std::string_view text);

  int32_t X = 0;
  int32_t Y = 0;
  uint16_t Width = 0;
  uint16_t Height = 0;
  bool Keyed = false;
  TSurface* Target = nullptr;  // not owned
  std::string ResourceName;

  // The pixels of the back buffer and of each picture; null for the primary and for a
  // picture that could not be loaded.
  std::unique_ptr<platform::Surface> Pixels;
  // The window the primary presents into; null for every other surface and without a window.
  std::unique_ptr<platform::Presenter> Window;

 private:
  TSurface(std::string_view resourceName, int32_t x, int32_t y, TSurface& target, bool keyed, uint32_t colourKey);

  platform::Result IsLost() const;
  void RestoreMemory();
  void LoadPicture();
  // Copies src (null: the whole picture) onto dest of the target; on a lost surface restores
  // and copies once more, whatever that gives.
  void Blit(const platform::Rect& dest, const platform::Rect* src, uint32_t flags, uint32_t fx = 0);
  uint32_t KeyFlag() const { return Keyed ? platform::DDBLT_KEYSRC : 0; }
  // Columns left .. left + width of the strip, full height, at (x, y).
  void DrawColumns(int left, int width, int x, int y);
  // Columns left .. left + width of a two-state picture, one half, at (x, y).
  void DrawHalf(int left, int width, int x, int y, bool selected);
  void DrawText(int x, int y, std::string_view text, std::span<const int> widths);
};
