#include "shell/Program.h"

#include <exception>

#include "shell/Window.h"

void RunUntilClosed(const TProgramHooks& hooks, TFormWindow& window) {
  if (hooks.Run) {
    hooks.Run(window);
  } else {
    window.Form.Run();
  }
}

int RunProgram(const TProgramHooks& hooks, const TRunOptions& options) {
  return RunInWindow(hooks, TStoreUse::ReadWrite, options,
                     [&](TFormWindow& window) { RunUntilClosed(hooks, window); });
}

int RunInWindow(const TProgramHooks& hooks, TStoreUse storeUse, const TRunOptions& options,
                const std::function<void(TFormWindow&)>& run) {
  const auto box = [&](const std::string& caption, const std::string& text, platform::MessageIcon icon) {
    if (hooks.MessageBox) {
      hooks.MessageBox(caption, text, icon);
    } else {
      platform::ShowMessageBox(caption, text, icon);
    }
  };
  try {
    TFormWindow window(hooks.Now, storeUse, options);
    const int depth = hooks.DisplayDepth ? hooks.DisplayDepth(window) : window.Form.DisplayDepth();
    if (depth < 24) {
      box(WarningCaption, NotTrueColour, platform::MessageIcon::None);
      return 0;
    }
    if (!window.InitDirectX()) {
      box(WarningCaption, NoGraphics, platform::MessageIcon::None);
      return 0;
    }
    run(window);
  } catch (const std::exception& error) {
    box(ApplicationTitle, AsSentence(error.what()), platform::MessageIcon::Stop);
  }
  return 0;
}
