#include "platform/Controller.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/Form.h"
#include "support/VirtualPad.h"

namespace {

using Log = std::vector<std::string>;
using platform::PadButton;

std::string Name(PadButton button) {
  static const char* const names[] = {"Left", "Right", "Up", "Down", "South", "East", "Start"};
  return names[static_cast<int>(button)];
}

// The controllers as the window's loop hands them its events.
class Controllers : public testing::Test {
 protected:
  void SetUp() override {
    VirtualPad::LetThroughWithoutFocus();
    Pads.OnButtonDown = [this](PadButton button) { Seen.push_back("down " + Name(button)); };
    Pads.OnButtonUp = [this](PadButton button) { Seen.push_back("up " + Name(button)); };
    Pads.OnUnplugged = [this] { Seen.push_back("unplugged"); };
  }
  // What the loop's next step brought.
  Log Step() {
    Window.PumpOnce(0);
    return std::exchange(Seen, {});
  }

  uint64_t NowMs = 1000;
  platform::TimerHost Timers{[this] { return NowMs; }};
  platform::Form Window{Timers};
  platform::Controllers& Pads = Window.Pads;
  Log Seen;
};

// A push of the stick past half way is one press of its direction, along the axis pushed
// further; it lasts until the stick is back within a quarter, wherever it goes meanwhile.
TEST_F(Controllers, EveryPushOfTheStickIsOneStep) {
  struct Move {
    int16_t X, Y;
    Log Seen;
  };
  const std::vector<std::vector<Move>> cases = {
      {{-16000, 0, {}}, {16000, 0, {}}, {0, 16000, {}}},  // within the dead zone
      {{-16384, 0, {"down Left"}}, {-32768, 0, {}}, {-9000, 0, {}}, {-8192, 0, {}}, {-8191, 0, {"up Left"}}},
      {{32767, 0, {"down Right"}}, {0, 0, {"up Right"}}, {20000, 0, {"down Right"}}},
      {{0, -20000, {"down Up"}}, {-30000, -9000, {}}, {30000, 30000, {}}, {100, 100, {"up Up"}}},
      {{-17000, 20000, {"down Down"}}, {0, 0, {"up Down"}}},  // the axis pushed further counts
      {{-20000, 20000, {"down Left"}}},                        // a tie goes across
  };
  Pads.Start();
  VirtualPad pad;
  ASSERT_EQ(Step(), Log{});
  for (const auto& moves : cases) {
    for (const Move& move : moves) {
      SCOPED_TRACE(testing::Message() << "stick at " << move.X << ", " << move.Y);
      pad.Stick(move.X, move.Y);
      EXPECT_EQ(Step(), move.Seen);
    }
    pad.Stick(0, 0);
    Step();
  }
}

// Every open controller is read; only the controller pressed last stops a game by leaving,
// after the release of what it held. A controller already there when the game looks for
// controllers is found; one plugged in tells nothing; with none open the loop need not wake.
TEST_F(Controllers, ReadsEveryPadAndTellsWhenTheOneInUseLeaves) {
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
  {
    VirtualPad first;
    EXPECT_EQ(Pads.PollMs(), -1);
    Pads.Start();
    VirtualPad second;
    EXPECT_EQ(Step(), Log{});
    EXPECT_EQ(Pads.Open(), 2);
    EXPECT_GT(Pads.PollMs(), 0);

    const struct {
      SDL_GameControllerButton Button;
      std::optional<std::string> Name;  // none: not a button of the game
    } buttons[] = {
        {SDL_CONTROLLER_BUTTON_DPAD_LEFT, "Left"}, {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, "Right"},
        {SDL_CONTROLLER_BUTTON_DPAD_UP, "Up"},     {SDL_CONTROLLER_BUTTON_DPAD_DOWN, "Down"},
        {SDL_CONTROLLER_BUTTON_A, "South"},        {SDL_CONTROLLER_BUTTON_B, "East"},
        {SDL_CONTROLLER_BUTTON_START, "Start"},    {SDL_CONTROLLER_BUTTON_X, {}},
        {SDL_CONTROLLER_BUTTON_Y, {}},             {SDL_CONTROLLER_BUTTON_BACK, {}},
        {SDL_CONTROLLER_BUTTON_GUIDE, {}},         {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, {}},
    };
    for (VirtualPad* pad : {&first, &second}) {
      for (const auto& b : buttons) {
        SCOPED_TRACE(testing::Message() << "button " << b.Button);
        pad->Set(b.Button, true);
        EXPECT_EQ(Step(), b.Name ? Log{"down " + *b.Name} : Log{});
        pad->Set(b.Button, false);
        EXPECT_EQ(Step(), b.Name ? Log{"up " + *b.Name} : Log{});
      }
    }

    first.Set(SDL_CONTROLLER_BUTTON_A, true);
    EXPECT_EQ(Step(), Log{"down South"});
    second.Stick(-30000, 0);
    EXPECT_EQ(Step(), Log{"down Left"});
    first.Unplug();  // not the one in use
    EXPECT_EQ(Step(), Log{"up South"});
    second.Unplug();
    EXPECT_EQ(Step(), (Log{"up Left", "unplugged"}));
    EXPECT_EQ(Pads.Open(), 0);
    EXPECT_EQ(Pads.PollMs(), -1);

    second.Plug();
    EXPECT_EQ(Step(), Log{});
    EXPECT_EQ(Pads.Open(), 1);
    second.Unplug();  // not pressed since it came back
    EXPECT_EQ(Step(), Log{});
  }
  SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

}  // namespace
