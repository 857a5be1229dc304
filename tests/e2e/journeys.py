#!/usr/bin/env python3
"""End-to-end journeys through the real game: each starts its own X server, store and game,
plays with keys sent through xdotool and checks what the window shows against the game's own
pictures at their places on the screen.

  journeys.py BUILD_DIR                  the journeys, on BUILD_DIR installed into a temporary prefix
  journeys.py BUILD_DIR --only NAME ...  some of them
  journeys.py --leaks ASAN_BUILD_DIR     the address-sanitized game from start to exit, leaks checked
  journeys.py BUILD_DIR --screenshot OUT a game in progress, saved as a PNG of the window
  journeys.py BUILD_DIR --unpacked ROOT  the package's journey, on a package unpacked into ROOT
                                         (BUILD_DIR: the package's build folder)
  journeys.py BUILD_DIR --only closes --closes N     the window closed N times (60 by default)
"""

import argparse
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from desktop import GameWindow, JourneyFailed, Session, check  # noqa: E402
from pictures import GamePictures, write_png  # noqa: E402
import displays  # noqa: E402
import store  # noqa: E402

SOURCE_DIR = Path(__file__).resolve().parents[2]
GAME_CLASS = ("--classname", "^huebloc$")

# Menu rows and the items' places on the screen.
MAIN_MENU = [("ID_STARTGAME", 437, 277), ("ID_PLAYSETUP", 441, 311), ("ID_GAMESETUP", 438, 345),
             ("ID_EXITGAME", 446, 379)]
GAME_MENU = [("ID_RESUMEGAME", 426, 277), ("ID_RESTARTGAME", 423, 311), ("ID_GAMESETUP", 438, 345),
             ("ID_EXIT", 481, 379)]
MENU_PANEL = (395, 270, 205, 140)  # where the menus are drawn on the play screen's picture

FLAG_ADVANCED = 0x100


class Screens:
    """What the game's screens show, as conditions on a shot of the client area: each returns
    True, or a text saying what differs."""

    def __init__(self, pictures):
        self.p = pictures

    @staticmethod
    def all_of(*conditions):
        def condition(shot):
            for c in conditions:
                verdict = c(shot)
                if verdict is not True:
                    return verdict
            return True
        return condition

    @staticmethod
    def drawn(sprite, x, y):
        def condition(shot):
            wrong = sprite.mismatches(shot, x, y)
            return True if wrong == 0 else f"{sprite.name} at ({x}, {y}): {wrong} of {sprite.drawn} pixels differ"
        return condition

    @staticmethod
    def not_(condition, what):
        return lambda shot: f"{what} still shown" if condition(shot) is True else True

    def picture(self, name, x, y):
        return self.drawn(self.p.sprite(name), x, y)

    def title(self):
        return self.picture("ID_TITLESCREEN", 0, 0)

    def menu(self, items, selected):
        return self.all_of(*(self.drawn(self.p.item(name, name == selected), x, y) for name, x, y in items))

    def main_menu(self, selected="ID_STARTGAME"):
        return self.menu(MAIN_MENU, selected)

    def game_menu(self, selected="ID_RESUMEGAME"):
        return self.all_of(self.menu(GAME_MENU, selected), self.picture("ID_HIGHSCORE", 76, 27),
                           self.picture("ID_PLAYERSCORE", 68, 72))

    def no_menu(self):
        x, y, w, h = MENU_PANEL
        return self.drawn(self.p.sprite("ID_GAMESCREEN").part(x, y, w, h, "the menu panel without a menu"), x, y)

    def frame(self, width, height):
        """The four bars around a play area of width x height cells."""
        left, top = 40 + 15 * (10 - width), 17 + 15 * (14 - height)
        across = self.p.sprite("ID_FRAMEH").part(0, 0, 30 * width + 10, 10, "top frame bar")
        down = self.p.sprite("ID_FRAMEV").part(0, 0, 10, 30 * height + 10, "left frame bar")
        return self.all_of(self.drawn(across, left, top - 10),
                           self.drawn(across.mirrored_up_down(), left - 10, top + 30 * height),
                           self.drawn(down, left - 10, top - 10),
                           self.drawn(down.mirrored_left_right(), left + 30 * width, top))

    def playing(self, width, height):
        return self.all_of(self.frame(width, height), self.no_menu())

    def number(self, strip, y, value):
        return self.all_of(*(self.drawn(sprite, x, y) for x, sprite in self.p.number_at(strip, value)))

    def text(self, text, y, big, centre_x=None):
        placed = self.p.text_at(text, big, centre_x)
        return self.all_of(*(self.drawn(sprite, x, y) for x, sprite in placed))

    def name_entry(self, score, name):
        return self.all_of(self.picture("ID_CONGRATULATIONS", 48, 27), self.text(str(score), 147, True),
                           self.text(name, 189, True))

    def score_table(self, entries):
        """The high-score table with (score, name) rows from the top."""
        rows = [self.picture("ID_HIGHSCORE", 76, 27), self.picture("ID_PLAYERSCORE", 68, 72)]
        for i, (score, name) in enumerate(entries):
            rows += [self.text(name, 110 + 20 * i, False, 120), self.text(str(score), 110 + 20 * i, False, 267)]
        return self.all_of(*rows)

    def score(self, shot):
        return self.p.read_number(shot, "ID_SCORELEVELDIGITS", 100)

    def game_begun(self, width, height):
        """A Standard game as it begins, on an odd width: empty cells but for the first
        bubble, in the bottom cell of the middle column."""
        left, top = 40 + 15 * (10 - width), 17 + 15 * (14 - height)
        entry = (width // 2, height - 1)
        cell = self.p.sprite("ID_GAMEPLAYAREA")
        pieces = [self.p.sprite(name) for name in self.p.PIECES]
        x, y = left + 30 * entry[0], top + 30 * entry[1]

        def first_bubble(shot):
            if not cell.part(0, 0, 1, 1).shown(shot, x, y) or not any(piece.shown(shot, x, y) for piece in pieces):
                return f"no bubble over an empty cell at ({x}, {y})"
            return True
        return self.all_of(first_bubble, *(self.drawn(cell, left + 30 * c, top + 30 * r) for c in range(width)
                                           for r in range(height) if (c, r) != entry))

    def pieces(self, shot, width, height, names=None):
        """How many cells of a play area hold a piece (one of the named ones)."""
        left, top = 40 + 15 * (10 - width), 17 + 15 * (14 - height)
        pieces = [self.p.sprite(name) for name in names or self.p.PIECES]
        return sum(1 for c in range(width) for r in range(height)
                   if any(piece.shown(shot, left + 30 * c, top + 30 * r) for piece in pieces))


class Journey:
    """One journey's world: its session, a display, the installed programs and the screens."""

    def __init__(self, session, bin_dir, screens):
        self.session, self.bin_dir, self.screens = session, Path(bin_dir), screens

    def program(self, name):
        return self.bin_dir / name

    def setup(self, display, **settings):
        """The per-user install step, then the given settings changed in its store file."""
        self.session.run([self.program("huebloc-setup")], display)
        check(self.session.settings_file.is_file(), "huebloc-setup wrote no settings file")
        if settings:
            store.set_values(self.session.settings_file, settings)

    def start(self, display, program="huebloc", log="game.log", args=(), scale=1, **env):
        game = self.session.start([self.program(program), *args], display, log, **env)
        window = display.wait_for_window(("--onlyvisible", *GAME_CLASS), what="the game's window")
        deadline = time.monotonic() + 20  # the caption is set as the window is first shown
        while display.window_name(window) != "Huebloc":
            check(time.monotonic() < deadline, f"the window is called {display.window_name(window)!r}")
            time.sleep(0.05)
        return game, GameWindow(display, window, scale)

    def to_main_menu(self, window):
        """The title for about two seconds, then the main menu: returns the time it took."""
        _, title_seen = window.wait("the title picture", self.screens.title())
        _, menu_seen = window.wait("the main menu", self.screens.main_menu())
        return menu_seen - title_seen

    def play_until_scored(self, window, key="Up", timeout=30):
        """Sends the rising bubble up until the score is no longer 0; returns the score seen
        first (a press that found no bubble rising is followed by another, so a late press may
        still add to it)."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            window.key(key)
            try:
                shot, _ = window.wait("a score", lambda s: (self.screens.score(s) or 0) > 0, timeout=3.0)
                return self.screens.score(shot)
            except JourneyFailed:
                pass  # no bubble was rising yet
        raise JourneyFailed(f"the score stayed 0 through {timeout} s of {key} presses")

    def run_replay(self, display, file, *options):
        """huebloc --replay FILE with options, run to its end: (exit code, stdout, stderr)."""
        result = subprocess.run([str(self.program("huebloc")), "--replay", str(file), *options],
                                env=self.session.env(display), stdin=subprocess.DEVNULL, capture_output=True,
                                text=True, timeout=60, cwd=self.session.root)
        return result.returncode, result.stdout, result.stderr

    def exit_from_main_menu(self, window, game):
        """Down three times to Exit Game, Enter: the title again, and the window closes about
        two seconds later with exit code 0. Returns the time from the title to the close."""
        window.key("Down", "Down", "Down")
        window.wait("Exit Game selected", self.screens.main_menu("ID_EXITGAME"))
        window.key("Return")
        _, title_seen = window.wait("the title picture on exit", self.screens.title())
        code = game.wait(timeout=20)
        closed = time.monotonic()
        check(code == 0, f"the game ended with exit code {code}")
        return closed - title_seen


def about(seconds, expected, what, slack=6.0):
    """A delay that the game's own timer sets: never much early; late only by load."""
    check(expected - 0.5 <= seconds <= expected + slack, f"{what} took {seconds:.2f} s, not about {expected} s")


def journey_title_to_exit(j):
    """A whole game: title, main menu, a small fast game with moves, pause and resume, game
    over, name entry, the high-score table, and out again; the score lands in the store, the
    game leaves its replay, and nothing is written outside the player's own folders."""
    prefix = j.bin_dir.parent
    installed = files_below(prefix)
    display = j.session.display()
    j.setup(display, Width=5, Height=7, Level=9, Flags=0x68)
    game, window = j.start(display, "huebloc-launcher")  # the menu entry's way in: setup, then the game
    about(j.to_main_menu(window), 2.0, "the title")
    s = j.screens
    window.wait("a zero score", s.number("ID_SCORELEVELDIGITS", 100, 0))

    window.key("Return")
    window.wait("the 5 x 7 play area, level 9 and best score 0",
                s.all_of(s.playing(5, 7), s.number("ID_SCORELEVELDIGITS", 159, 9),
                         s.number("ID_HIGHSCOREDIGITS", 218, 0)))
    window.key("Left", "Right", "Right")
    scored = j.play_until_scored(window)

    window.key("Escape")
    menu_shot, _ = window.wait("the in-game menu with Resume Game selected", s.game_menu())
    paused_score = s.score(menu_shot)
    check((paused_score or 0) >= scored, f"the in-game menu shows the score {paused_score}, not {scored} or more")
    window.key("Return")
    window.wait("the game again after Resume", s.playing(5, 7))

    over_shot, over_seen = window.wait("the game-over sign", s.picture("ID_GAMEOVER", 139, 176), timeout=120)
    final = s.score(over_shot)
    check((final or 0) >= paused_score, f"the game-over screen shows the score {final}, not {paused_score} or more")
    _, entry_seen = window.wait("the name entry", s.name_entry(final, ""))
    about(entry_seen - over_seen, 1.0, "the game-over sign")

    # Each typed character shows at once; Backspace takes the last one back.
    for key, name in [("a", "A"), ("d", "AD"), ("a", "ADA"), ("x", "ADAX"), ("BackSpace", "ADA"), ("7", "ADA7")]:
        window.key(key)
        window.wait(f"the name {name!r}", s.name_entry(final, name))
    window.key("Return")
    window.wait("the high-score table with the new record, in the High Score box too",
                s.all_of(s.score_table([(final, "ADA7")]), s.number("ID_HIGHSCOREDIGITS", 218, final)))
    window.key("space")
    window.wait("the main menu after the table", s.main_menu())
    about(j.exit_from_main_menu(window, game), 2.0, "the closing title")

    table = store.score_table(j.session.scores_file, 5, 7)
    check(table == [(final, "ADA7")] + [(0, "")] * 4, f"the 5x7 table holds {table}")
    replays = [p.name for p in j.session.replay_folder.glob("*.hbr")]
    check(len(replays) == 1 and re.fullmatch(rf"5x7-\d{{4}}-\d\d-\d\dT\d\d\.\d\d\.\d\d-score-{final}\.hbr", replays[0]),
          f"the game left the replays {replays}")
    code, out, err = j.run_replay(display, j.session.replay_folder / replays[0], "--check")
    check(code == 0 and f"Replayed: score {final}, " in out and "Match:" in out and err == "",
          f"checking the game's replay ended with {code} and printed {out!r} {err!r}")
    settings = store.read_keys(j.session.settings_file)[store.SETTINGS_KEY + r"\GamePlayArea"]
    check(settings == {"Height": 7, "Width": 5}, f"the play area setting became {settings}")
    check(game.output() == "", f"the game wrote {game.output()!r}")
    check_writes(j, prefix, installed)


def journey_focus(j):
    """Focus moved away: the demo behind the main menu carries on; a game in play pauses into
    the in-game menu and stays paused until resumed."""
    display = j.session.display()
    j.setup(display)  # the defaults: 7 x 14 at level 0, one tick a second
    game, window = j.start(display)
    j.to_main_menu(window)
    s = j.screens
    other = j.session.start(["xmessage", "-geometry", "+0+0", "elsewhere"], display, "xmessage.log")
    elsewhere = display.wait_for_window(("--onlyvisible", "--class", "^Xmessage$"), what="the other window")
    check(other.alive(), "xmessage ended")

    display.focus(elsewhere)
    demo, _ = window.wait("the main menu", s.main_menu())
    board = (40, 17, 300, 420)  # the full-size play area, where any demo shows
    window.wait("the demo going on without the focus",
                lambda shot: s.main_menu()(shot) is True and shot.crop(*board).differs(demo.crop(*board)), timeout=10)

    # A game just begun shows its first bubble at the bottom until the first tick, a second
    # later, moves it up; the focus goes at once.
    display.focus(window.window)
    window.key("Return")
    display.focus(elsewhere)
    spot = 0

    def paused(shot):
        # The game learns of the focus change when it next looks at its events; a pointer
        # moving over its window makes it look.
        nonlocal spot
        if s.game_menu()(shot) is True:
            return True
        spot = 1 - spot
        display.tool("xdotool", "mousemove", window.x + 200 + 50 * spot, window.y + 200)
        return "the game still in play"
    window.wait("the in-game menu after the focus went", paused)
    # Three seconds are three ticks: a clock left running would bring bubbles in.
    held_until = time.monotonic() + 3
    while time.monotonic() < held_until:
        check(s.game_menu()(window.shot()) is True, "the in-game menu went away while the focus was elsewhere")

    display.focus(window.window)
    window.wait("the in-game menu after the focus came back", s.game_menu())
    window.key("Return")
    verdict = s.all_of(s.playing(7, 14), s.game_begun(7, 14))(window.shot())
    check(verdict is True, f"the game did not stay as it was paused: {verdict}")
    window.wait("the first tick after Resume", s.not_(s.game_begun(7, 14), "the game as it began"), timeout=10)

    window.key("Escape")
    window.wait("the in-game menu", s.game_menu())
    window.key("Up")
    window.wait("Exit selected", s.game_menu("ID_EXIT"))
    window.key("Return")
    window.wait("the main menu after leaving the game", s.main_menu())
    j.exit_from_main_menu(window, game)
    check(game.output() == "", f"the game wrote {game.output()!r}")


def journey_damaged_store(j):
    """A settings file damaged by hand is reported by name and line and left as it was; with
    no music file and no sound device the game plays silently."""
    display = j.session.display()
    j.setup(display)
    settings = j.session.settings_file
    lines = settings.read_bytes().split(b"\n")
    lines.insert(4, b"this line is not registry text")
    settings.write_bytes(b"\n".join(lines))
    damaged = settings.read_bytes()
    game = j.session.start([j.program("huebloc")], display, "damaged.log")
    box = display.wait_for_named("Huebloc")
    message = f"Huebloc: The store file '{settings}' is damaged at line 5: "
    deadline = time.monotonic() + 10
    while message not in game.output() and time.monotonic() < deadline:
        time.sleep(0.05)
    check(message in game.output(), f"the message is {game.output()!r}, not {message!r}...")
    check(not display.windows("--onlyvisible", *GAME_CLASS), "the game's own window is on the screen beside the box")
    display.focus(box)
    display.keys("Return")
    code = game.wait(timeout=20)
    check(code == 0, f"the game ended with exit code {code}")
    check(settings.read_bytes() == damaged, "the damaged settings file was changed")

    # A prefix of its own without the music, the store's "Path" naming nowhere, no sound device.
    bin_dir = j.session.root / "prefix" / "bin"
    bin_dir.mkdir(parents=True)
    for name in ("huebloc", "huebloc-setup"):
        shutil.copy2(j.program(name), bin_dir / name)
    j.bin_dir = bin_dir
    settings.unlink()
    j.setup(display, Path=str(j.session.root / "nowhere"))
    game, window = j.start(display, SDL_AUDIODRIVER="no-such-driver")
    j.to_main_menu(window)
    s = j.screens
    window.key("Down", "Down")
    window.wait("Game Setup selected", s.main_menu("ID_GAMESETUP"))
    window.key("Return")
    off = lambda y, selected: s.drawn(s.p.item("ID_OFF", selected), 547, y)  # noqa: E731
    window.wait("the game setup with sound and music off",
                s.all_of(s.menu([("ID_KEYS", 477, 277), ("ID_SOUND", 406, 311), ("ID_MUSIC", 408, 345),
                                 ("ID_EXIT", 481, 379)], "ID_KEYS"), off(311, False), off(345, False)))
    window.key("Down")  # past the unavailable Sound and Music
    window.wait("Exit selected next to Keys", s.menu([("ID_KEYS", 477, 277), ("ID_EXIT", 481, 379)], "ID_EXIT"))
    window.key("Return")
    window.wait("the main menu again", s.main_menu("ID_GAMESETUP"))
    window.key("Up", "Up", "Return")
    window.wait("a game in play", s.playing(7, 14))
    window.key("Left")
    j.play_until_scored(window)
    check(display.named_windows("Huebloc") == [window.window] and not display.named_windows("Warning!"),
          "a message box is on the screen beside the silent game")
    game.process.send_signal(signal.SIGTERM)  # closes as from the title bar
    code = game.wait(timeout=20)
    check(code == 0, f"the game ended with exit code {code} on SIGTERM")
    check(game.output() == "", f"the silent game wrote {game.output()!r}")
    check(not display.windows("--onlyvisible", *GAME_CLASS), "the game's window is left on the screen")


def journey_16_bit(j):
    """A display of 16 bits per pixel: the true-colour warning, exit code 0, no game window."""
    display = j.session.display(depth=16)
    j.setup(display)
    # Every window mapped on the screen, as xev reports it; once it reports a property set on
    # the screen, it watches.
    maps = j.session.start(["stdbuf", "-oL", "xev", "-root", "-event", "substructure", "-event", "property"], display,
                           "xev.log")
    deadline = time.monotonic() + 20
    while "PropertyNotify" not in maps.output():
        check(time.monotonic() < deadline, "xev does not watch the screen")
        display.tool("xprop", "-root", "-f", "HUEBLOC_E2E", "8s", "-set", "HUEBLOC_E2E", "watched")
        time.sleep(0.05)
    game = j.session.start([j.program("huebloc")], display, "game.log")
    box = display.wait_for_named("Warning!")
    check("Warning!: Game must run in a true color mode.\n" in game.output(), f"the game wrote {game.output()!r}")
    hidden = display.windows(*GAME_CLASS)
    check(len(hidden) == 1, f"{len(hidden)} windows of the game's class, not one, beside the box")
    check(display.window_info(hidden[0])["Map State"] == "IsUnMapped", "the game's window is on the screen")
    display.focus(box)
    display.keys("Return")
    code = game.wait(timeout=20)
    check(code == 0, f"the game ended with exit code {code}")
    maps.process.send_signal(signal.SIGTERM)
    maps.wait(timeout=10)
    # Each event of xev is a paragraph; the window concerned is on its second line.
    events = [re.match(r"(\w+) event.*\n\s*(?:parent|event) 0x[0-9a-f]+, window (0x[0-9a-f]+)", e)
              for e in maps.output().split("\n\n")]
    events = [(e.group(1), int(e.group(2), 16)) for e in events if e]
    check(("CreateNotify", hidden[0]) in events, "xev did not see the game's window made: it watched too late")
    mapped = {w for kind, w in events if kind == "MapNotify"}
    check(mapped == {box}, f"windows mapped: {sorted(map(hex, mapped))}, not only the box {box:#x}")


def journey_two_copies(j):
    """Two copies of the game at once on one store, each on its own display: both finish a
    game and enter a name, and the table keeps both."""
    displays = [j.session.display(), j.session.display()]
    j.setup(displays[0], Width=5, Height=7, Level=9)
    players = []
    s = j.screens
    for n, display in enumerate(displays):
        game, window = j.start(display, log=f"game{n}.log")
        j.to_main_menu(window)
        window.key("Return")
        window.wait("a game in play", s.playing(5, 7))
        j.play_until_scored(window)
        players.append((game, window))
    finals = []
    for game, window in players:
        shot, _ = window.wait("the game-over sign", s.picture("ID_GAMEOVER", 139, 176), timeout=120)
        finals.append(s.score(shot))
    names = ["ONE", "TWO"]
    for (game, window), final, name in zip(players, finals, names):
        window.wait("the name entry", s.name_entry(final, ""))
        window.key(*name.lower())
        window.wait(f"the name {name}", s.name_entry(final, name))
        window.key("Return")
        window.wait("the table", s.picture("ID_HIGHSCORE", 76, 27))
    table = store.score_table(j.session.scores_file, 5, 7)
    expected = sorted(zip(finals, names), key=lambda e: -e[0]) + [(0, "")] * 3
    check(table == expected, f"the 5x7 table holds {table}, not {expected}")
    # The second to finish shows the table with both.
    players[1][1].wait("both scores in the table", s.score_table(expected[:2]))
    for game, _ in players:
        game.process.send_signal(signal.SIGTERM)
        check(game.wait(timeout=20) == 0, "a copy ended with an exit code other than 0")
        check(game.output() == "", f"a copy wrote {game.output()!r}")


def user_files(session):
    """Every file of the session's store and state folders, with its contents."""
    return {p: p.read_bytes() for folder in (session.config, session.data, session.state)
            for p in sorted(folder.rglob("*")) if p.is_file()}


def journey_replay(j):
    """A recorded game watched in the window: its play area at once, faster with Right, the
    final board and score kept until a key, then exit code 0 with nothing stored; Escape ends
    one at once; a damaged file is refused by name with exit code 2."""
    display = j.session.display()
    j.setup(display)
    golden = SOURCE_DIR / "tests" / "replays" / "advanced-5x7-level-5.hbr"
    final = int(re.search(r"score (\d+),", (golden.with_suffix(".txt")).read_text()).group(1))
    before = user_files(j.session)
    s = j.screens

    game, window = j.start(display, log="replay.log", args=("--replay", golden))
    window.wait("the replay's play area", s.playing(5, 7))
    # Its recorded 35 s at 8x take a few; at the recorded pace it would still be going.
    window.key("Right", "Right", "Right")
    window.wait("the replay's final board and score",
                s.all_of(s.picture("ID_GAMEOVER", 139, 176), s.number("ID_SCORELEVELDIGITS", 100, final)),
                timeout=15)
    check(game.alive(), "the viewer closed before a key was pressed at the end")
    window.key("space")
    code = game.wait(timeout=20)
    check(code == 0 and game.output() == "", f"the viewer ended with {code} and wrote {game.output()!r}")

    game, window = j.start(display, log="escape.log", args=("--replay", golden))
    window.wait("the replay's play area", s.playing(5, 7))
    window.key("Escape")
    code = game.wait(timeout=20)
    check(code == 0 and game.output() == "", f"the viewer left by Escape ended with {code}, wrote {game.output()!r}")
    check(user_files(j.session) == before, "watching a replay changed the store or the state folder")

    damaged = j.session.root / "damaged.hbr"
    damaged.write_bytes(golden.read_bytes()[:-9])
    code, out, err = j.run_replay(display, damaged)
    check(code == 2 and out == "" and err.startswith(f"huebloc: {damaged}: truncated"),
          f"a damaged replay ended with {code} and printed {out!r} {err!r}")


CLOSES = 60  # half of them with a sound device, half without


def journey_closes(j, closes=CLOSES, at_once=10):
    """The window closed from its title bar again and again while the demo plays behind the
    main menu, every other time without a sound device: each close ends the game at once with
    exit code 0 and nothing written (an X error would be)."""
    display = j.session.display()
    j.setup(display)
    started = 0
    while started < closes:
        games = []
        for n in range(started, min(started + at_once, closes)):
            audio = "dummy" if n % 2 == 0 else "none"
            games.append((j.session.start([j.program("huebloc")], display, f"close{n}.log", SDL_AUDIODRIVER=audio),
                          audio))
        started += len(games)
        windows = [display.wait_for_window(("--all", "--onlyvisible", "--pid", str(game.process.pid), *GAME_CLASS),
                                           what="a game's window") for game, _ in games]
        # Past the two seconds of the title the demo's clock beats four times a second; the
        # closes come at different points of its beat.
        time.sleep(2.3)
        for window in windows:
            display.close(window)
            time.sleep(0.045)
        for game, audio in games:
            code = game.wait(timeout=20)
            output = game.output()
            check(code == 0 and output == "",
                  f"closed with SDL_AUDIODRIVER={audio}, the game ended with exit code {code} and wrote {output!r}")


JOURNEYS = {
    "title-to-exit": journey_title_to_exit,
    "focus": journey_focus,
    "damaged-store": journey_damaged_store,
    "16-bit-display": journey_16_bit,
    "two-copies": journey_two_copies,
    "closes": journey_closes,
    "replay": journey_replay,
    **displays.JOURNEYS,
}


def files_below(folder):
    """{path relative to folder: (size, modification time)} of every file and link below it."""
    return {p.relative_to(folder): (p.lstat().st_size, p.lstat().st_mtime_ns) for p in folder.rglob("*")
            if not p.is_dir() or p.is_symlink()}


def check_writes(j, prefix, installed):
    """Nothing of the installation in prefix changed since it held the files installed, and
    the game wrote nothing but its own folders of the player's settings, data and state."""
    check(files_below(prefix) == installed, f"files installed in {prefix} changed")
    own = [j.session.config / "huebloc", j.session.data / "huebloc", j.session.state / "huebloc"]
    written = [p for p in files_below(j.session.root) if not (len(p.parts) == 1 and p.suffix == ".log")]
    stray = [str(p) for p in written if not any((j.session.root / p).is_relative_to(folder) for folder in own)]
    check(not stray, f"written outside the game's own folders: {stray}")


def journey_package(j, root):
    """The game as the package installs it, unpacked into root, started as its menu entry
    starts it: the settings point at the music beside the programs and the game finds it;
    the title, the main menu, a game begun, out again. Nothing is written but the player's
    own settings and data, and nothing at all in the installed files."""
    installed = files_below(root)
    music = root / "usr" / "share" / "games" / "huebloc"
    check((music / "Music.ogg").is_file(), f"the package has no {music}/Music.ogg")
    display = j.session.display()
    game, window = j.start(display, "huebloc-launcher")
    path = store.read_keys(j.session.settings_file)[store.SETTINGS_KEY].get("Path")
    check(path == str(music), f'the install step stored "Path" {path!r}, not {str(music)!r}')
    j.to_main_menu(window)
    s = j.screens

    # Music is found: the game setup offers its volume, after the sound's.
    window.key("Down", "Down", "Return")
    setup = [("ID_KEYS", 477, 277), ("ID_SOUND", 406, 311), ("ID_MUSIC", 408, 345), ("ID_EXIT", 481, 379)]
    window.wait("the game setup", s.menu(setup, "ID_KEYS"))
    window.key("Down", "Down")
    window.wait("Music selected, two items below Keys", s.menu(setup, "ID_MUSIC"))
    window.key("Down", "Return")
    window.wait("the main menu again", s.main_menu("ID_GAMESETUP"))

    window.key("Up", "Up", "Return")
    window.wait("a game begun on the 7 x 14 play area", s.all_of(s.playing(7, 14), s.game_begun(7, 14)))
    window.key("Escape")
    window.wait("the in-game menu", s.game_menu())
    window.key("Up", "Return")
    window.wait("the main menu after leaving the game", s.main_menu())
    j.exit_from_main_menu(window, game)
    check(game.output() == "", f"the game wrote {game.output()!r}")

    check_writes(j, root, installed)


def journey_leaks(j, build):
    """The address-sanitized game from its build tree (music found there) through the title
    and the main menu to Exit: LeakSanitizer has nothing to report."""
    display = j.session.display()
    suppressions = Path(__file__).resolve().parent / "lsan.supp"
    env = dict(ASAN_OPTIONS="detect_leaks=1", LSAN_OPTIONS=f"suppressions={suppressions}:print_suppressions=0",
               UBSAN_OPTIONS="print_stacktrace=1")
    j.setup(display)
    game, window = j.start(display, **env)
    j.to_main_menu(window)
    j.exit_from_main_menu(window, game)
    check(game.output() == "", f"the sanitized game wrote:\n{game.output()}")


def make_screenshot(j, out):
    """A game in progress on a 7 x 12 Advanced board, bubbles over tiles and a score, as the
    window shows it."""
    display = j.session.display()
    j.setup(display, Width=7, Height=12, Level=3, Flags=0x68 | FLAG_ADVANCED)
    game, window = j.start(display)
    j.to_main_menu(window)
    s = j.screens
    window.key("Return")
    window.wait("a game in play", s.playing(7, 12))
    # Bubbles sent up into columns across the area, each after the last has come to rest.
    for moves in [("Left", "Left", "Left"), ("Right", "Right", "Right"), ("Left",), ("Right", "Right"),
                  ("Left", "Left"), ("Right",), ()] * 2:
        before = s.score(window.shot())
        window.key(*moves, "Up")
        try:
            window.wait("a bubble sent up", lambda shot: s.score(shot) != before, timeout=3)
        except JourneyFailed:
            pass  # no bubble was rising
    shot, _ = window.wait("a board with bubbles", lambda shot: s.playing(7, 12)(shot) is True
                          and s.pieces(shot, 7, 12) >= 10 or "too few bubbles", timeout=60)
    write_png(out, shot)
    game.process.send_signal(signal.SIGTERM)
    game.wait(timeout=20)


def run(name, action, failures_dir):
    """One journey in a session of its own; prints a line with its time."""
    session = Session(name, failures_dir)
    started = time.monotonic()
    try:
        action(session)
        print(f"e2e: {name:16} ok      {time.monotonic() - started:5.1f} s", flush=True)
        return True
    except (JourneyFailed, subprocess.TimeoutExpired, OSError, ValueError) as failure:
        print(f"e2e: {name:16} FAILED  {time.monotonic() - started:5.1f} s: {failure}", flush=True)
        kept = session.keep_last_shot()
        if kept:
            print(f"e2e:   last screen shot: {kept}", flush=True)
        for log in sorted(session.root.glob("*.log")):
            text = log.read_text(errors="replace").strip()
            if text:
                print(f"e2e:   {log.name}: {text[-2000:]}", flush=True)
        return False
    finally:
        session.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("build", nargs="?", help="the plain build folder")
    parser.add_argument("--only", nargs="+", choices=sorted(JOURNEYS), help="run only these journeys")
    parser.add_argument("--leaks", metavar="ASAN_BUILD", help="the leak run of an address-sanitized build")
    parser.add_argument("--screenshot", metavar="OUT", help="save a game in progress as a PNG")
    parser.add_argument("--unpacked", metavar="ROOT", help="the package's journey, on a package unpacked into ROOT")
    parser.add_argument("--closes", type=int, default=CLOSES, help=f"closes of the closes journey ({CLOSES})")
    args = parser.parse_args()
    JOURNEYS["closes"] = lambda j: journey_closes(j, args.closes)
    build = Path(args.leaks or args.build or parser.error("a build folder is needed")).resolve()
    pictures = GamePictures(build / "resources" / "generated", SOURCE_DIR / "render" / "GlyphWidths.h")
    screens = Screens(pictures)
    failures_dir = build / "e2e-failures"
    shutil.rmtree(failures_dir, ignore_errors=True)
    # A terminated run still ends what it started.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))

    if args.unpacked:
        root = Path(args.unpacked).resolve()
        ok = run("package", lambda session: journey_package(Journey(session, root / "usr" / "games", screens), root),
                 failures_dir)
        return 0 if ok else 1
    if args.leaks:
        ok = run("leaks", lambda session: journey_leaks(Journey(session, build / "shell", screens), build),
                 failures_dir)
        return 0 if ok else 1

    prefix = Path(tempfile.mkdtemp(prefix="huebloc-e2e-prefix-"))
    try:
        subprocess.run(["cmake", "--install", str(build), "--prefix", str(prefix)], check=True,
                       stdout=subprocess.DEVNULL)
        if args.screenshot:
            out = Path(args.screenshot).resolve()
            ok = run("screenshot", lambda session: make_screenshot(Journey(session, prefix / "bin", screens), out),
                     failures_dir)
            if ok:
                print(f"e2e: {out} written")
            return 0 if ok else 1
        started = time.monotonic()
        names = args.only or list(JOURNEYS)
        results = [run(name, lambda session, n=name: JOURNEYS[n](Journey(session, prefix / "bin", screens)),
                       failures_dir) for name in names]
        print(f"e2e: {results.count(True)} of {len(results)} journeys passed in {time.monotonic() - started:.1f} s")
        return 0 if all(results) else 1
    finally:
        shutil.rmtree(prefix, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
