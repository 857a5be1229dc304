#include "render/ComposeScreen.h"

#include "platform/Bitmap.h"

void ComposeScreen(const TScreenView& /*view*/, platform::Surface& backBuffer) {
  // Every screen shows the title picture until the screens are drawn from their pictures.
  if (auto title = platform::LoadBitmapResource("ID_TITLESCREEN")) platform::DrawBitmap(*title, backBuffer);
}
