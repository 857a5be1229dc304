// Program entry: the game's window, its settings and the main thread's event loop.
#include <exception>
#include <string>

#include "platform/Bitmap.h"
#include "platform/Form.h"
#include "platform/MessageBox.h"
#include "shell/Window.h"

namespace {

const std::string ApplicationTitle = "Huebloc";
const std::string WarningCaption = "Warning!";
const std::string NotTrueColour = "Game must run in a true color mode.";

// The window's icon: a glossy red bubble, its key-coloured corners transparent.
void SetWindowIcon(platform::Form& form) {
  constexpr uint32_t PieceKey = 0x00FFFEC1;
  auto piece = platform::LoadBitmapResource("ID_RED");
  if (!piece) return;
  for (uint32_t& pixel : piece->Pixels) pixel = pixel == PieceKey ? 0 : (pixel | 0xFF000000u);
  form.SetIcon(piece->Pixels, piece->Width, piece->Height);
}

// An escaped error is shown with the title as caption, as a sentence.
void ShowFatal(const std::exception& error) {
  std::string text = error.what();
  if (!text.empty() && text.back() > '.') text += '.';
  platform::ShowMessageBox(ApplicationTitle, text, platform::MessageIcon::Stop);
}

}  // namespace

int main() {
  try {
    TFormWindow window;
    platform::Form& form = window.Form;
    form.SetCaption(ApplicationTitle);
    SetWindowIcon(form);
    if (form.DisplayDepth() < 24) {
      platform::ShowMessageBox(WarningCaption, NotTrueColour);
      return 0;
    }
    window.Settings.Screen = ScreenTitle;

    form.OnShow = [&] {
      form.SetCaption(ApplicationTitle);
      window.ComposeScreen();
    };
    form.OnPaint = [&] { window.FormPaint(); };
    form.OnKeyDown = [&](uint16_t key) { window.FormKeyDown(key); };
    form.OnKeyUp = [&](uint16_t key) { window.FormKeyUp(key); };
    form.OnClose = [&] { window.StopClock(); };
    form.Run();
  } catch (const std::exception& error) {
    ShowFatal(error);
  }
  return 0;
}
