// The event loop's sleep: until the display has something for the window, or a time is up.
#pragma once

struct SDL_Window;

namespace platform {

// SDL's own wait, on X11, sends the window a wake-up message over a second connection to the
// display whenever an event arrives during it. The close request is such an event: the game
// then destroys its window at once, the display may take the message only after that, and
// the error it reports for it ends the program. So on X11 the loop waits on the display's
// socket itself and lets SDL only read what has come; other video systems use SDL's wait.
class DisplayWait {
 public:
  DisplayWait() = default;  // SDL's wait
  explicit DisplayWait(SDL_Window* window);
  // Returns when the display may have events (SDL_PollEvent tells), or the file `also` (if
  // not -1) is readable, after at most ms milliseconds (-1: as long as it takes), or on a
  // signal. SDL's wait knows no other file.
  void For(int ms, int also = -1) const;

 private:
  int X11Socket = -1;
};

}  // namespace platform
