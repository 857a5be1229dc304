#include "platform/Form.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using platform::Form;
using platform::TimerHost;
using platform::WindowTimer;

// Rescues a test whose loop would otherwise wait forever: after a generous grace period it
// marks the test failed and pushes a quit event, which closes the form. Never part of a
// passing run.
class Watchdog {
 public:
  Watchdog() : Worker([this] {
    std::unique_lock lock(Mutex);
    if (Changed.wait_for(lock, std::chrono::seconds(20), [this] { return Done; })) return;
    Fired = true;
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
  }) {}
  ~Watchdog() {
    {
      std::lock_guard lock(Mutex);
      Done = true;
    }
    Changed.notify_all();
    Worker.join();
  }
  std::atomic<bool> Fired{false};

 private:
  std::mutex Mutex;
  std::condition_variable Changed;
  bool Done = false;
  std::thread Worker;
};

class FormTest : public testing::Test {
 protected:
  uint64_t NowMs = 1000;
  TimerHost Timers{[this] { return NowMs; }};
  Form Window{Timers};
  std::vector<std::string> Log;

  void SetUp() override {
    ASSERT_STREQ(SDL_GetCurrentVideoDriver(), "dummy");
    Window.OnShow = [this] { Log.push_back("show"); };
    Window.OnDeactivate = [this] { Log.push_back("deactivate"); };
    Window.OnKeyDown = [this](uint16_t key) { Log.push_back("down " + std::to_string(key)); };
    Window.OnKeyUp = [this](uint16_t key) { Log.push_back("up " + std::to_string(key)); };
    Window.OnHotkey = [this](platform::Hotkey hotkey) {
      Log.push_back(hotkey == platform::Hotkey::ColourMarks ? "marks" : "hotkey");
    };
    Window.OnResize = [this] { Log.push_back("resize"); };
    Window.OnPaint = [this] { Log.push_back("paint"); };
    Window.OnClose = [this] { Log.push_back("close"); };
    Window.OnDisplayChange = [this](int depth) { Log.push_back("display " + std::to_string(depth)); };
  }

  static void PushKey(uint32_t type, SDL_Scancode scancode, SDL_Keycode keycode, uint8_t repeat = 0,
                      uint16_t mod = KMOD_NONE) {
    SDL_Event event{};
    event.type = type;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat;
    event.key.keysym.scancode = scancode;
    event.key.keysym.sym = keycode;
    event.key.keysym.mod = mod;
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
  }

  void PushWindowEvent(SDL_WindowEventID id) {
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = Window.WindowId();
    event.window.event = static_cast<uint8_t>(id);
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
  }

  bool Visible() const { return (SDL_GetWindowFlags(SDL_GetWindowFromID(Window.WindowId())) & SDL_WINDOW_SHOWN) != 0; }
  static bool PointerHidden() { return SDL_ShowCursor(SDL_QUERY) == SDL_DISABLE; }

  static void PushEvent(uint32_t type) {
    SDL_Event event{};
    event.type = type;
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
  }
};

TEST_F(FormTest, WindowIsTheGamesHiddenCentredWindowNeverSmallerThanThePicture) {
  SDL_Window* window = SDL_GetWindowFromID(Window.WindowId());
  ASSERT_NE(window, nullptr);
  int width = 0, height = 0;
  SDL_GetWindowSize(window, &width, &height);
  EXPECT_EQ(width, 632);
  EXPECT_EQ(height, 453);
  const uint32_t flags = SDL_GetWindowFlags(window);
  EXPECT_NE(flags & SDL_WINDOW_RESIZABLE, 0u);
  EXPECT_FALSE(Visible());
  SDL_GetWindowMinimumSize(window, &width, &height);
  EXPECT_EQ(width, 632);
  EXPECT_EQ(height, 453);

  int x = 0, y = 0;
  SDL_GetWindowPosition(window, &x, &y);
  SDL_Rect display{};
  ASSERT_EQ(SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(window), &display), 0);
  EXPECT_EQ(x, display.x + (display.w - 632) / 2);
  EXPECT_EQ(y, display.y + (display.h - 453) / 2);

  Window.SetCaption("Huebloc");
  EXPECT_STREQ(SDL_GetWindowTitle(window), "Huebloc");
}

TEST_F(FormTest, CarriesTheGamesNameAndLeavesTheScreensaverOn) {
  EXPECT_STREQ(std::getenv("SDL_VIDEO_X11_WMCLASS"), "huebloc");
  EXPECT_STREQ(SDL_GetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME), "Huebloc");
  EXPECT_EQ(SDL_IsScreenSaverEnabled(), SDL_TRUE);
}

TEST_F(FormTest, IconNeedsOnePixelPerPlace) {
  std::vector<uint32_t> pixels(32 * 32, 0xFF3060C0u);
  EXPECT_TRUE(Window.SetIcon(pixels, 32, 32));
  EXPECT_FALSE(Window.SetIcon(pixels, 32, 31));
  EXPECT_FALSE(Window.SetIcon(pixels, 0, 0));
  EXPECT_FALSE(Window.SetIcon(std::span<const uint32_t>(pixels).first(100), 32, 32));
}

TEST_F(FormTest, KeysReachTheHandlersAsVirtualKeys) {
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_LEFT, SDLK_LEFT);
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_LEFT, SDLK_LEFT, 1);  // auto-repeat is passed on
  PushKey(SDL_KEYUP, SDL_SCANCODE_LEFT, SDLK_LEFT);
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_RSHIFT, SDLK_RSHIFT);
  PushKey(SDL_KEYUP, SDL_SCANCODE_RSHIFT, SDLK_RSHIFT);
  // Keypad 1 with Num Lock off (the layout says End) and on.
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_KP_1, SDLK_END);
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_KP_1, SDLK_KP_1, 0, KMOD_NUM);
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_Q, 'a');  // AZERTY
  EXPECT_TRUE(Window.PumpOnce(0));
  EXPECT_EQ(Log, (std::vector<std::string>{"down 37", "down 37", "up 37", "down 16", "up 16", "down 97", "down 97",
                                           "down 65"}));
}

// F11, Alt+Enter and F3 are the window's: their presses, auto-repeats and releases never reach the
// game's key handlers, while the Alt held for Alt+Enter does, as any key.
TEST_F(FormTest, HotkeysStopBeforeTheGamesKeys) {
  struct Key {
    uint32_t Type;
    SDL_Scancode Scancode;
    SDL_Keycode Keycode;
    uint16_t Mod = KMOD_NONE;
    uint8_t Repeat = 0;
  };
  const auto Down = SDL_KEYDOWN, Up = SDL_KEYUP;
  const struct {
    const char* What;
    std::vector<Key> Keys;
    std::vector<std::string> Log;
  } cases[] = {
      {"F11 held and released",
       {{Down, SDL_SCANCODE_F11, SDLK_F11},
        {Down, SDL_SCANCODE_F11, SDLK_F11, KMOD_NONE, 1},
        {Up, SDL_SCANCODE_F11, SDLK_F11}},
       {"hotkey"}},
      {"F11 with Shift held",
       {{Down, SDL_SCANCODE_LSHIFT, SDLK_LSHIFT}, {Down, SDL_SCANCODE_F11, SDLK_F11, KMOD_LSHIFT},
        {Up, SDL_SCANCODE_F11, SDLK_F11, KMOD_LSHIFT}, {Up, SDL_SCANCODE_LSHIFT, SDLK_LSHIFT}},
       {"down 16", "hotkey", "up 16"}},
      {"Alt+Enter",
       {{Down, SDL_SCANCODE_LALT, SDLK_LALT}, {Down, SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_LALT},
        {Down, SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_LALT, 1}, {Up, SDL_SCANCODE_LALT, SDLK_LALT},
        {Down, SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_NONE, 1}, {Up, SDL_SCANCODE_RETURN, SDLK_RETURN}},
       {"down 18", "hotkey", "up 18"}},
      {"AltGr+keypad Enter",
       {{Down, SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER, KMOD_RALT}, {Up, SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER, KMOD_RALT}},
       {"hotkey"}},
      {"Enter alone, and again after a release that went elsewhere",
       {{Down, SDL_SCANCODE_RETURN, SDLK_RETURN}, {Up, SDL_SCANCODE_RETURN, SDLK_RETURN},
        {Down, SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_LALT}, {Down, SDL_SCANCODE_RETURN, SDLK_RETURN},
        {Up, SDL_SCANCODE_RETURN, SDLK_RETURN}},
       {"down 13", "up 13", "hotkey", "down 13", "up 13"}},
      {"F3 held, with Ctrl too",
       {{Down, SDL_SCANCODE_F3, SDLK_F3}, {Down, SDL_SCANCODE_F3, SDLK_F3, KMOD_NONE, 1}, {Up, SDL_SCANCODE_F3, SDLK_F3},
        {Down, SDL_SCANCODE_F3, SDLK_F3, KMOD_LCTRL}, {Up, SDL_SCANCODE_F3, SDLK_F3, KMOD_LCTRL}},
       {"marks", "marks"}},
      {"F10 is a key of the game's", {{Down, SDL_SCANCODE_F10, SDLK_F10}, {Up, SDL_SCANCODE_F10, SDLK_F10}},
       {"down 121", "up 121"}},
  };
  for (const auto& c : cases) {
    Log.clear();
    for (const Key& key : c.Keys) PushKey(key.Type, key.Scancode, key.Keycode, key.Repeat, key.Mod);
    Window.PumpOnce(0);
    EXPECT_EQ(Log, c.Log) << c.What;
  }
}

// The window opens at any whole scale, goes full screen and comes back as it was; meanwhile
// the pointer hides after resting for a while and shows again on motion.
TEST_F(FormTest, ScaleAndFullScreen) {
  SDL_Window* window = SDL_GetWindowFromID(Window.WindowId());
  SDL_Rect display{};
  ASSERT_EQ(SDL_GetDisplayUsableBounds(0, &display), 0);
  // The headless display has no window manager to tell the decorations: they are assumed.
  EXPECT_EQ(Window.FittingScale(std::nullopt), platform::WindowScale(display.w, display.h, std::nullopt, std::nullopt));
  EXPECT_EQ(Window.FittingScale(1), 1);

  Window.SetWindowScale(2);
  int width = 0, height = 0, x = 0, y = 0;
  SDL_GetWindowSize(window, &width, &height);
  EXPECT_EQ(width, 1264);
  EXPECT_EQ(height, 906);
  EXPECT_EQ(Window.PictureScale(), 2);
  SDL_SetWindowSize(window, 1263, 2000);
  EXPECT_EQ(Window.PictureScale(), 1);
  Window.SetWindowScale(2);
  SDL_GetWindowPosition(window, &x, &y);
  Window.PumpOnce(0);
  EXPECT_EQ(Log, (std::vector<std::string>{"resize"})) << "size changes waiting together arrive as one";

  Log.clear();
  Window.SetFullScreen(true);
  EXPECT_TRUE(Window.FullScreen());
  Window.PumpOnce(0);
  EXPECT_FALSE(PointerHidden());
  NowMs += Form::PointerHideMs;
  Window.PumpOnce(0);
  EXPECT_TRUE(PointerHidden());
  PushEvent(SDL_MOUSEMOTION);
  Window.PumpOnce(0);
  EXPECT_FALSE(PointerHidden());
  NowMs += Form::PointerHideMs - 1;
  Window.PumpOnce(0);
  EXPECT_FALSE(PointerHidden()) << "motion started the wait again";
  NowMs += 1;
  Window.PumpOnce(0);
  EXPECT_TRUE(PointerHidden());

  Log.clear();
  Window.SetFullScreen(false);
  EXPECT_FALSE(Window.FullScreen());
  EXPECT_FALSE(PointerHidden());
  int backX = 0, backY = 0;
  SDL_GetWindowSize(window, &width, &height);
  SDL_GetWindowPosition(window, &backX, &backY);
  EXPECT_EQ(width, 1264);
  EXPECT_EQ(height, 906);
  EXPECT_EQ(backX, x);
  EXPECT_EQ(backY, y);
  NowMs += 10 * Form::PointerHideMs;
  Window.PumpOnce(0);
  EXPECT_FALSE(PointerHidden()) << "the pointer only hides in full screen";
  EXPECT_EQ(Log, (std::vector<std::string>{"resize"}));
}

// The window's scale for a display's usable area: the largest at which the window and its
// decorations fit, or the one wanted when it fits; a wanted scale out of range is no wish.
TEST(WindowScale, LargestThatFitsWithItsDecorations) {
  using platform::Borders;
  const struct {
    int Width, Height;
    std::optional<Borders> Decorations;
    std::optional<int> Wanted;
    int Scale;
  } cases[] = {
      {1366, 768, std::nullopt, std::nullopt, 1},   {1920, 1080, std::nullopt, std::nullopt, 2},
      {1920, 1053, std::nullopt, std::nullopt, 2},  {2560, 1440, std::nullopt, std::nullopt, 3},
      {3840, 2160, std::nullopt, std::nullopt, 4},  {3840, 2133, std::nullopt, std::nullopt, 4},
      {800, 600, std::nullopt, std::nullopt, 1},    {1272, 942, std::nullopt, std::nullopt, 2},
      {1271, 942, std::nullopt, std::nullopt, 1},   {1272, 941, std::nullopt, std::nullopt, 1},
      {1264, 906, Borders{}, std::nullopt, 2},      {1920, 1080, Borders{200, 0, 0, 0}, std::nullopt, 1},
      {3840, 2160, std::nullopt, 3, 3},             {3840, 2160, std::nullopt, 5, 4},
      {1366, 768, std::nullopt, 16, 1},             {3840, 2160, std::nullopt, 0, 4},
      {3840, 2160, std::nullopt, -1, 4},            {3840, 2160, std::nullopt, 17, 4},
  };
  for (const auto& c : cases)
    EXPECT_EQ(platform::WindowScale(c.Width, c.Height, c.Decorations, c.Wanted), c.Scale)
        << c.Width << "x" << c.Height << " wanted " << c.Wanted.value_or(-99);
}

TEST_F(FormTest, KeyWithoutCodeIsNeverPressedButItsReleaseArrives) {
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_UNKNOWN, 0x20AC);
  PushKey(SDL_KEYUP, SDL_SCANCODE_UNKNOWN, 0x20AC);
  Window.PumpOnce(0);
  EXPECT_EQ(Log, (std::vector<std::string>{"up 0"}));
}

TEST_F(FormTest, WindowEventsReachTheirHandlers) {
  PushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
  PushWindowEvent(SDL_WINDOWEVENT_EXPOSED);
  PushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
  PushWindowEvent(SDL_WINDOWEVENT_MOVED);
  PushWindowEvent(SDL_WINDOWEVENT_DISPLAY_CHANGED);
  PushEvent(SDL_DISPLAYEVENT);
  PushEvent(SDL_RENDER_DEVICE_RESET);
  EXPECT_TRUE(Window.PumpOnce(0));
  // The headless display is 24-bit.
  EXPECT_EQ(Log, (std::vector<std::string>{"show", "paint", "deactivate", "display 24", "display 24", "display 24"}));
  EXPECT_EQ(Window.DisplayDepth(), 24);
}

TEST_F(FormTest, ShowingTheWindowActivatesTheGame) {
  SDL_ShowWindow(SDL_GetWindowFromID(Window.WindowId()));
  EXPECT_TRUE(Visible());
  Window.PumpOnce(0);
  ASSERT_FALSE(Log.empty());
  EXPECT_EQ(Log.front(), "show");
  Window.Hide();
  EXPECT_FALSE(Visible());
}

TEST_F(FormTest, CloseRequestEndsTheLoopOnce) {
  PushWindowEvent(SDL_WINDOWEVENT_CLOSE);
  PushEvent(SDL_QUIT);  // SDL follows the last window's close with a quit
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_A, 'a');
  EXPECT_FALSE(Window.PumpOnce(0));
  EXPECT_TRUE(Window.Closed());
  EXPECT_FALSE(Visible());
  // Nothing reaches the game after the close.
  EXPECT_EQ(Log, (std::vector<std::string>{"close"}));
  EXPECT_FALSE(Window.PumpOnce(0));
  EXPECT_EQ(Log.size(), 1u);
}

TEST_F(FormTest, QuitSignalClosesLikeTheTitleBar) {
  PushEvent(SDL_QUIT);
  EXPECT_FALSE(Window.PumpOnce(0));
  EXPECT_EQ(Log, (std::vector<std::string>{"close"}));
}

TEST_F(FormTest, WindowTimersFireFromTheLoopWhenDue) {
  int fired = 0;
  WindowTimer title(Timers, 2000, [&] {
    ++fired;
    title.SetEnabled(false);  // one-shot, as the game uses its timers
  });
  title.SetEnabled(true);

  NowMs += 1999;
  Window.PumpOnce(0);
  EXPECT_EQ(fired, 0);
  NowMs += 1;
  Window.PumpOnce(0);
  EXPECT_EQ(fired, 1);
  NowMs += 5000;
  Window.PumpOnce(0);
  EXPECT_EQ(fired, 1);
}

TEST_F(FormTest, LoopDoesNotSleepPastADueTimer) {
  Watchdog watchdog;
  int fired = 0;
  WindowTimer timer(Timers, 500, [&] {
    ++fired;
    timer.SetEnabled(false);
  });
  timer.SetEnabled(true);
  NowMs += 500;
  // Asked to wait for as long as needed, the step still returns for the due timer.
  Window.PumpOnce(-1);
  EXPECT_EQ(fired, 1);
  EXPECT_FALSE(watchdog.Fired);
}

TEST_F(FormTest, TimerHandlerClosingTheWindowEndsRun) {
  Watchdog watchdog;
  bool shownBeforeClose = false;
  WindowTimer exitTimer(Timers, 2000, [&] {
    exitTimer.SetEnabled(false);
    shownBeforeClose = Visible();
    Window.Close();
  });
  exitTimer.SetEnabled(true);
  NowMs += 2000;
  Window.Run();
  EXPECT_TRUE(shownBeforeClose);
  EXPECT_TRUE(Window.Closed());
  EXPECT_EQ(Log.back(), "close");
  EXPECT_FALSE(watchdog.Fired);
}

}  // namespace
