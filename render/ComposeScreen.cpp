#include "shell/Window.h"

// Composition and presentation of the current screen. The drawing itself arrives with the
// renderer; until then a composition changes nothing.
void TFormWindow::ComposeScreen() {}
