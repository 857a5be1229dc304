"""Journeys of the screens the game is shown on: whole scales on screens of any size, full
screen and back, a window resized by hand, the hotkeys during name entry, and the command
line. Each takes the journey's world (journeys.Journey), as the journeys there do."""

import os
import signal
import subprocess
import time

from desktop import CLIENT_HEIGHT, CLIENT_WIDTH, check
import store

DISPLAY_KEY = store.SETTINGS_KEY + r"\Display"


def display_choices(j):
    return store.read_keys(j.session.settings_file).get(DISPLAY_KEY, {})


def wait_for_area(window, area, what, timeout=20):
    """Until the game's client area is (x, y, width, height), any place when x is None."""
    deadline = time.monotonic() + timeout
    while True:
        now = window.locate()
        if now == area or (area[0] is None and now[2:] == area[2:]):
            return now
        check(time.monotonic() < deadline, f"{what}: the client area is {now}, not {area}")
        time.sleep(0.05)


def check_border(window, what):
    wrong = window.border_wrong(window.full_shot())
    check(wrong == 0, f"{what}: {wrong} pixels around the picture are not the border colour")


def journey_scales(j):
    """Screens of three sizes: the window opens at the largest whole scale it has room for,
    and what it shows, shrunk by that scale, is the picture pixel for pixel."""
    for width, height, scale in [(1024, 768, 1), (1920, 1080, 2), (3840, 2160, 4)]:
        display = j.session.display(width=width, height=height)
        j.setup(display)
        game, window = j.start(display, log=f"game-{width}.log", scale=scale)
        j.to_main_menu(window)
        game.process.send_signal(signal.SIGTERM)
        check(game.wait(timeout=20) == 0, "the game ended with an exit code other than 0")
        check(display_choices(j) == {}, f"a display choice was stored unasked: {display_choices(j)}")


def journey_full_screen(j):
    """F11 puts the main menu in full screen, centred at the largest scale on the border,
    Alt+Enter gives back the same window; the choice is stored and the next start opens in
    full screen. A window resized by hand to an odd size shows the picture at the scale that
    fits, and that scale is stored."""
    display = j.session.display(width=1920, height=1080, window_manager=True)
    j.setup(display)
    game, window = j.start(display, scale=2)
    windowed = window.area
    j.to_main_menu(window)
    s = j.screens
    window.key("F11")
    wait_for_area(window, (0, 0, 1920, 1080), "full screen")
    check((window.scale, window.x, window.y) == (2, 328, 87), f"in full screen the picture is at scale {window.scale}, "
          f"({window.x}, {window.y})")
    window.wait("the main menu in full screen", s.main_menu())
    check_border(window, "full screen")
    check(display_choices(j) == {"Fullscreen": 1}, f"the store holds {display_choices(j)}")

    window.key("alt+Return")
    wait_for_area(window, windowed, "back from full screen")
    window.wait("the main menu in the window again", s.main_menu())
    check(display_choices(j) == {"Fullscreen": 0}, f"the store holds {display_choices(j)}")
    window.key("F11")
    wait_for_area(window, (0, 0, 1920, 1080), "full screen again")
    game.process.send_signal(signal.SIGTERM)
    check(game.wait(timeout=20) == 0, "the game ended with an exit code other than 0")

    game, window = j.start(display, log="again.log", scale=None)
    wait_for_area(window, (0, 0, 1920, 1080), "full screen from the start")
    j.to_main_menu(window)
    window.key("F11")
    wait_for_area(window, (None, None, 2 * CLIENT_WIDTH, 2 * CLIENT_HEIGHT), "the window after starting in full screen")
    display.tool("xdotool", "windowsize", window.window, 1000, 700)
    wait_for_area(window, (None, None, 1000, 700), "the window resized")
    check((window.scale, window.x - window.area[0], window.y - window.area[1]) == (1, 184, 123),
          f"at 1000 x 700 the picture is at scale {window.scale}, ({window.x}, {window.y})")
    window.wait("the main menu in the resized window", s.main_menu())
    check_border(window, "the resized window")
    check(display_choices(j) == {"Fullscreen": 0, "Scale": 1}, f"the store holds {display_choices(j)}")
    game.process.send_signal(signal.SIGTERM)
    check(game.wait(timeout=20) == 0, "the game ended with an exit code other than 0")
    check(game.output() == "", f"the game wrote {game.output()!r}")


def journey_name_entry_hotkeys(j):
    """F11, Alt+Enter and F3 during name entry switch what they switch and type nothing; the letters
    typed in full screen are the name."""
    display = j.session.display(window_manager=True)
    j.setup(display, Width=5, Height=7, Level=9)
    game, window = j.start(display)
    windowed = window.area
    j.to_main_menu(window)
    s = j.screens
    window.key("Return")
    window.wait("a game in play", s.playing(5, 7))
    j.play_until_scored(window)
    over, _ = window.wait("the game-over sign", s.picture("ID_GAMEOVER", 139, 176), timeout=120)
    final = s.score(over)
    window.wait("the name entry", s.name_entry(final, ""))
    window.key("F11")
    wait_for_area(window, (0, 0, 1024, 768), "full screen")
    window.wait("the empty name in full screen", s.name_entry(final, ""))
    window.key("a", "z")
    window.wait("the name typed in full screen", s.name_entry(final, "AZ"))
    window.key("F3")  # colour marks: nothing typed, though its key code is that of an R
    window.key("alt+KP_Enter")
    wait_for_area(window, windowed, "back in the window")
    window.wait("the name as it was", s.name_entry(final, "AZ"))
    window.key("Return")
    window.wait("the table with the name", s.score_table([(final, "AZ")]))
    check(store.score_table(j.session.scores_file, 5, 7)[0] == (final, "AZ"), "the score was not stored")
    game.process.send_signal(signal.SIGTERM)
    check(game.wait(timeout=20) == 0, "the game ended with an exit code other than 0")


def journey_colour_marks(j):
    """F3 on the main menu puts the colour marks on the demo's bubbles at once and stores the
    choice at once; a game started then shows them too, and F3 takes them off again within one
    press. The next start shows them as stored; --no-colour-marks leaves them off for its run
    only."""
    display = j.session.display()
    j.setup(display, Width=5, Height=7, Level=9)
    s = j.screens
    colours = {True: s.p.MARKED_PIECES[1:], False: s.p.PIECES[1:]}  # black carries no mark

    def bubbles(marked):
        def condition(shot):
            # the demo plays on an area of its own size: the one whose frame is shown
            size = next(((w, h) for w in range(5, 11) for h in range(7, 15) if s.frame(w, h)(shot) is True), None)
            if size is None:
                return "no play area shown"
            shown, other = s.pieces(shot, *size, colours[marked]), s.pieces(shot, *size, colours[not marked])
            return True if shown and not other else \
                f"{shown} coloured bubbles {'with' if marked else 'without'} marks, {other} otherwise"
        return condition

    def stop(game):
        game.process.send_signal(signal.SIGTERM)
        check(game.wait(timeout=20) == 0, "the game ended with an exit code other than 0")
        check(game.output() == "", f"the game wrote {game.output()!r}")

    game, window = j.start(display)
    j.to_main_menu(window)
    window.wait("the demo without marks", bubbles(False))
    check(display_choices(j) == {}, f"a display choice was stored unasked: {display_choices(j)}")
    window.key("F3")
    window.wait("the demo with marks", bubbles(True))
    check(display_choices(j) == {"ColourMarks": 1}, f"the store holds {display_choices(j)}")
    window.key("Return")
    window.wait("a game in play", s.playing(5, 7))
    window.wait("the game's bubbles with marks", bubbles(True))
    window.key("F3")
    window.wait("the game's bubbles without marks", bubbles(False))
    check(display_choices(j) == {"ColourMarks": 0}, f"the store holds {display_choices(j)}")
    window.key("F3")
    window.wait("the game's bubbles with marks again", bubbles(True))
    stop(game)

    game, window = j.start(display, log="again.log")
    j.to_main_menu(window)
    window.wait("the demo with the marks as stored", bubbles(True))
    stop(game)
    game, window = j.start(display, log="unmarked.log", args=("--no-colour-marks",))
    j.to_main_menu(window)
    window.wait("the demo without marks for this run", bubbles(False))
    stop(game)
    check(display_choices(j) == {"ColourMarks": 1}, f"the command line changed the store: {display_choices(j)}")


def journey_command_line(j):
    """--help and --version answer on standard output; every mistake ends the game with exit
    code 2 and its line on standard error before it opens anything (there is no display to
    open here at all)."""
    env = {k: v for k, v in os.environ.items() if not k.startswith(("SDL_", "XDG_", "WAYLAND_", "DBUS_"))}
    env.update(DISPLAY=":65000", HOME=str(j.session.home), XDG_CONFIG_HOME=str(j.session.config),
               XDG_DATA_HOME=str(j.session.data))
    hint = "Try 'huebloc --help' for more information.\n"
    cases = [
        (["--help"], 0, "Usage: huebloc [OPTION]...\n", ""),
        (["--version"], 0, "huebloc 0.1.0\n", ""),
        (["--colour"], 2, "", "huebloc: unrecognized option '--colour'\n" + hint),
        (["--scale"], 2, "", "huebloc: option '--scale' requires an argument\n" + hint),
    ] + [(["--scale", value], 2, "", f"huebloc: invalid scale '{value}' (a whole number from 1 to 16)\n" + hint)
         for value in ("0", "x", "99")]
    for args, code, out, err in cases:
        result = subprocess.run([str(j.program("huebloc")), *args], env=env, stdin=subprocess.DEVNULL,
                                capture_output=True, text=True, timeout=20)
        shown = " ".join(args)
        check(result.returncode == code, f"huebloc {shown} ended with {result.returncode}, not {code}")
        check(result.stdout.startswith(out) and (out or not result.stdout), f"huebloc {shown} wrote {result.stdout!r}")
        check(result.stderr == err, f"huebloc {shown} said {result.stderr!r}, not {err!r}")
    check(not j.session.config.joinpath("huebloc").exists(), "the command line wrote settings")


JOURNEYS = {
    "scales": journey_scales,
    "full-screen": journey_full_screen,
    "name-entry-hotkeys": journey_name_entry_hotkeys,
    "colour-marks": journey_colour_marks,
    "command-line": journey_command_line,
}
