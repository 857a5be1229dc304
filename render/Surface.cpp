#include "render/Surface.h"

#include <utility>

#include "platform/Bitmap.h"

using platform::DD_OK;
using platform::DDERR_SURFACELOST;

TSurface::TSurface(uint32_t windowId, uint32_t borderColour) {
  if (windowId != NoWindow) Window = std::make_unique<platform::Presenter>(windowId, borderColour);
}

TSurface::TSurface(int width, int height, TSurface& target)
    : Width(static_cast<uint16_t>(width)),
      Height(static_cast<uint16_t>(height)),
      Target(&target),
      Pixels(std::make_unique<platform::Surface>(width, height)) {}

TSurface::TSurface(std::string_view resourceName, int32_t x, int32_t y, TSurface& target)
    : TSurface(resourceName, x, y, target, false, 0) {}

TSurface::TSurface(std::string_view resourceName, int32_t x, int32_t y, TSurface& target, uint32_t colourKey)
    : TSurface(resourceName, x, y, target, true, colourKey) {}

TSurface::TSurface(std::string_view resourceName, int32_t x, int32_t y, TSurface& target, bool keyed,
                   uint32_t colourKey)
    : X(x), Y(y), Keyed(keyed), Target(&target), ResourceName(resourceName) {
  Pixels = platform::LoadSurfaceResource(ResourceName, keyed ? std::optional<uint32_t>(colourKey) : std::nullopt);
  if (!Pixels) return;  // stays without pixels: drawing it does nothing
  Width = static_cast<uint16_t>(Pixels->Width());
  Height = static_cast<uint16_t>(Pixels->Height());
}

platform::Result TSurface::IsLost() const {
  if (Window) return Window->IsLost();
  return Pixels ? Pixels->IsLost() : DD_OK;
}

void TSurface::RestoreMemory() {
  if (Window) Window->Restore();
  if (Pixels) Pixels->Restore();
}

void TSurface::LoadPicture() {
  if (ResourceName.empty() || !Pixels) return;
  if (auto picture = platform::LoadSurfaceResource(ResourceName, Pixels->ColourKey())) *Pixels = std::move(*picture);
}

void TSurface::Restore() {
  if (Target != nullptr && Target->IsLost() == DDERR_SURFACELOST) Target->RestoreMemory();
  if (IsLost() == DDERR_SURFACELOST) {
    RestoreMemory();
    LoadPicture();
  }
}

void TSurface::Blit(const platform::Rect& dest, const platform::Rect* src, uint32_t flags, uint32_t fx) {
  if (!Pixels || Target == nullptr || !Target->Pixels) return;
  flags |= platform::DDBLT_WAIT;
  if (Target->Pixels->Blt(&dest, *Pixels, src, flags, fx) == DDERR_SURFACELOST) {
    Restore();
    Target->Pixels->Blt(&dest, *Pixels, src, flags, fx);
  }
}

void TSurface::Draw() { Blit({X, Y, X + Width, Y + Height}, nullptr, KeyFlag()); }

void TSurface::Present() {
  if (!Pixels || Target == nullptr || !Target->Window) return;
  platform::Presenter& window = *Target->Window;
  if (window.Present(*Pixels, platform::DDBLTFX_NOTEARING) == DDERR_SURFACELOST) {
    if (Target->IsLost() == DDERR_SURFACELOST) Target->RestoreMemory();
    if (IsLost() == DDERR_SURFACELOST) RestoreMemory();
    window.Present(*Pixels, platform::DDBLTFX_NOTEARING);
  }
}
