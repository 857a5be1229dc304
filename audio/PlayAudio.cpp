#include "shell/Window.h"

// Effect and music requests by index. Until the sound layer exists, requests are ignored,
// as they are when no sound device is present.
void TFormWindow::PlayAudio(int /*index*/) {}
