"""A private desktop for one journey: a temporary folder with its own XDG folders and home,
X displays of its own (Xvfb, display number from -displayfd), the game's processes, keys sent
with xdotool and screen shots taken with ImageMagick's import. Everything started here is
ended, and the folder removed, when the journey's session closes, whatever happened."""

import ctypes
import ctypes.util
import os
import re
import select
import shutil
import signal
import subprocess
import tempfile
import time
from pathlib import Path

from pictures import parse_ppm, write_png

CLIENT_WIDTH, CLIENT_HEIGHT = 632, 453
BORDER = 0x090B22  # around the picture when the window or the screen is larger
VERBOSE = bool(os.environ.get("HUEBLOC_E2E_VERBOSE"))  # each awaited sight with its time
START = time.monotonic()


class _XClientMessageEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class _XEvent(ctypes.Union):
    _fields_ = [("xclient", _XClientMessageEvent), ("pad", ctypes.c_long * 24)]


_X_ERRORS = []  # what the X server refused, instead of Xlib's default of ending this process
_X_ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(
    lambda display, event: _X_ERRORS.append("X error") or 0)


def _xlib():
    """libX11 through ctypes, for the one request no command-line tool makes."""
    x11 = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
    x11.XSetErrorHandler.argtypes = [ctypes.c_void_p]
    x11.XSetErrorHandler(ctypes.cast(_X_ERROR_HANDLER, ctypes.c_void_p))
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
    x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    return x11


class JourneyFailed(Exception):
    pass


def check(condition, message):
    if not condition:
        raise JourneyFailed(message)


class Session:
    def __init__(self, name, failures_dir):
        self.name = name
        self.failures_dir = Path(failures_dir)
        self.root = Path(tempfile.mkdtemp(prefix=f"huebloc-e2e-{name}-"))
        self.processes = []  # everything started, ended in reverse order on close
        self.last_shot = None
        self.config = self.root / "config"
        self.data = self.root / "data"
        self.state = self.root / "state"
        self.home = self.root / "home"
        for folder in (self.config, self.data, self.state, self.home):
            folder.mkdir()

    @property
    def settings_file(self):
        return self.config / "huebloc" / "settings.reg"

    @property
    def scores_file(self):
        return self.data / "huebloc" / "highscores.reg"

    @property
    def replay_folder(self):
        return self.state / "huebloc" / "replays"

    def env(self, display, **extra):
        # Nothing of the desktop the tests run in: not its display, session bus or settings.
        private = ("SDL_", "XDG_", "ASAN_", "LSAN_", "UBSAN_", "WAYLAND_", "DBUS_", "XAUTHORITY")
        env = {k: v for k, v in os.environ.items() if not k.startswith(private)}
        env.update(DISPLAY=display.name, XDG_CONFIG_HOME=str(self.config), XDG_DATA_HOME=str(self.data),
                   XDG_STATE_HOME=str(self.state), HOME=str(self.home), SDL_VIDEODRIVER="x11",
                   SDL_AUDIODRIVER="dummy")
        env.update(extra)
        return env

    def display(self, depth=24, width=1024, height=768, window_manager=False):
        display = Display(self, depth, width, height)
        if window_manager:
            display.start_window_manager()
        return display

    def start(self, args, display, log_name, **env):
        log = open(self.root / log_name, "wb")
        # Run in the journey's own folder: the game also looks for its music in the current one.
        process = subprocess.Popen([str(a) for a in args], env=self.env(display, **env), stdin=subprocess.DEVNULL,
                                   stdout=log, stderr=subprocess.STDOUT, start_new_session=True, cwd=self.root)
        log.close()
        program = Program(process, self.root / log_name, Path(args[0]).name)
        self.processes.append(process)
        return program

    def run(self, args, display, **env):
        """A short program run to its end; its output is returned, a failure raised."""
        result = subprocess.run([str(a) for a in args], env=self.env(display, **env), stdin=subprocess.DEVNULL,
                                capture_output=True, text=True, timeout=60)
        check(result.returncode == 0, f"{' '.join(map(str, args))} ended with {result.returncode}: {result.stderr}")
        return result.stdout

    def keep_last_shot(self):
        if self.last_shot is None:
            return None
        self.failures_dir.mkdir(parents=True, exist_ok=True)
        path = self.failures_dir / f"{self.name}.png"
        write_png(path, self.last_shot)
        return path

    def close(self):
        # Politely first: Xvfb removes its socket and lock file only when terminated.
        for process in reversed(self.processes):
            self._end(process, signal.SIGTERM, 5) or self._end(process, signal.SIGKILL, 5)
        shutil.rmtree(self.root, ignore_errors=True)

    @staticmethod
    def _end(process, how, timeout):
        if process.poll() is None:
            try:
                os.killpg(process.pid, how)  # the group it was started in, which is its own
            except ProcessLookupError:
                pass
        try:
            process.wait(timeout=timeout)
            return True
        except subprocess.TimeoutExpired:
            return False


class Program:
    def __init__(self, process, log, name):
        self.process, self.log, self.name = process, log, name

    def output(self):
        return self.log.read_text(errors="replace")

    def alive(self):
        return self.process.poll() is None

    def wait(self, timeout):
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise JourneyFailed(f"{self.name} still runs after {timeout} s; its output: {self.output()!r}")


class Display:
    """One Xvfb of our own, waited on until it accepts connections."""

    def __init__(self, session, depth=24, width=1024, height=768):
        self.session = session
        self.width, self.height = width, height
        read_end, write_end = os.pipe()
        try:
            log = open(session.root / f"xvfb-{len(session.processes)}.log", "wb")
            self.process = subprocess.Popen(
                # -noreset: by default the server starts over whenever its last client leaves, and
                # drops whoever connects meanwhile (a message box's own connection, say).
                ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{width}x{height}x{depth}", "-nolisten", "tcp",
                 "-noreset"],
                pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT,
                start_new_session=True)
            log.close()
            session.processes.append(self.process)
            os.close(write_end)
            write_end = None
            number = b""
            deadline = time.monotonic() + 30
            while not number.endswith(b"\n"):
                ready, _, _ = select.select([read_end], [], [], max(0.0, deadline - time.monotonic()))
                chunk = os.read(read_end, 64) if ready else b""
                check(chunk, f"Xvfb gave no display number: {log.name}")
                number += chunk
        finally:
            os.close(read_end)
            if write_end is not None:
                os.close(write_end)
        self.name = ":" + number.decode().strip()

    def start_window_manager(self):
        """A window manager of its own on the display, as a desktop has: it decorates windows
        and puts them in full screen. Returns once it manages the screen."""
        self.session.start(["openbox", "--sm-disable"], self, "openbox.log")
        deadline = time.monotonic() + 20
        while "_NET_SUPPORTING_WM_CHECK(WINDOW)" not in self.tool("xprop", "-root", "_NET_SUPPORTING_WM_CHECK"):
            check(time.monotonic() < deadline, "the window manager did not start")
            time.sleep(0.05)

    def tool(self, *args, timeout=20, ok_codes=(0,)):
        result = subprocess.run([str(a) for a in args], env=self.session.env(self), stdin=subprocess.DEVNULL,
                                capture_output=True, text=True, timeout=timeout)
        check(result.returncode in ok_codes, f"{' '.join(map(str, args))} ended with {result.returncode}: "
              f"{result.stderr.strip()}")
        return result.stdout

    def windows(self, *search):
        """Window ids that xdotool search finds (none is no failure)."""
        return [int(w) for w in self.tool("xdotool", "search", *search, ok_codes=(0, 1)).split()]

    def named_windows(self, name):
        """The mapped top-level windows of a name. (xdotool's search misses names that are
        stored as UTF-8 only, as SDL's message boxes store theirs.)"""
        found = []
        for line in self.tool("xwininfo", "-root", "-children").splitlines():
            match = re.match(r'\s*(0x[0-9a-f]+) "(.*)": ', line)
            if match and match.group(2) == name:
                window = int(match.group(1), 16)
                if self.window_info(window).get("Map State") == "IsViewable":
                    found.append(window)
        return found

    def wait_for_named(self, name, timeout=20):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            found = self.named_windows(name)
            if found:
                return found[0]
            time.sleep(0.05)
        shown = [line.strip() for line in self.tool("xwininfo", "-root", "-children").splitlines() if '"' in line]
        raise JourneyFailed(f"no window called {name!r} appeared on {self.name} within {timeout} s; there are {shown}")

    def window_name(self, window):
        return self.tool("xdotool", "getwindowname", window).rstrip("\n")

    def window_info(self, window):
        """xwininfo's fields: position, size, map state."""
        info = {}
        for line in self.tool("xwininfo", "-id", window).splitlines():
            if ":" in line:
                key, value = line.split(":", 1)
                info[key.strip()] = value.strip()
        return info

    def client_area(self, window):
        info = self.window_info(window)
        return (int(info["Absolute upper-left X"]), int(info["Absolute upper-left Y"]), int(info["Width"]),
                int(info["Height"]))

    def close(self, window):
        """Asks the window to close as a window manager's close button does: the protocol
        message WM_DELETE_WINDOW. (xdotool's windowclose destroys the window under its program
        instead, which no desktop does.)"""
        x11 = _xlib()
        connection = x11.XOpenDisplay(self.name.encode())
        check(connection, f"cannot open {self.name}")
        try:
            event = _XEvent()
            event.xclient.type = 33  # ClientMessage
            event.xclient.window = window
            event.xclient.message_type = x11.XInternAtom(connection, b"WM_PROTOCOLS", False)
            event.xclient.format = 32
            event.xclient.data[0] = x11.XInternAtom(connection, b"WM_DELETE_WINDOW", False)
            _X_ERRORS.clear()
            x11.XSendEvent(connection, window, False, 0, ctypes.byref(event))
            x11.XSync(connection, False)
            check(not _X_ERRORS, f"the close request for window {window:#x} was refused")
        finally:
            x11.XCloseDisplay(connection)

    def focus(self, window):
        self.tool("xdotool", "windowfocus", "--sync", window)

    def focused(self):
        return int(self.tool("xdotool", "getwindowfocus", "-f").strip())

    def keys(self, *keys, delay_ms=60):
        """Key presses, each down and up, through the X server's test extension: they go to
        the focused window as a player's would."""
        self.tool("xdotool", "key", "--delay", str(delay_ms), *keys)

    def shot(self):
        """The whole screen as it is now."""
        data = subprocess.run(["import", "-display", self.name, "-window", "root", "-depth", "8", "ppm:-"],
                              capture_output=True, timeout=30, env=self.session.env(self), stdin=subprocess.DEVNULL)
        check(data.returncode == 0, f"no screen shot of {self.name}: {data.stderr.decode(errors='replace')}")
        picture = parse_ppm(data.stdout)
        self.session.last_shot = picture
        return picture

    def wait_for_window(self, search, timeout=20, what="the window"):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            found = self.windows(*search)
            if found:
                return found[0]
            time.sleep(0.05)
        raise JourneyFailed(f"{what} did not appear on {self.name} within {timeout} s")


class GameWindow:
    """The game's window on a display: the picture it shows in screen shots, brought back to
    the picture's own size, and waiting on what it shows."""

    def __init__(self, display, window, scale=1):
        """scale: the scale the window must open at; None for no check (full screen)."""
        self.display, self.window = display, window
        self.locate()
        if scale is not None:
            width, height = CLIENT_WIDTH * scale, CLIENT_HEIGHT * scale
            check(self.area[2:] == (width, height),
                  f"the client area is {self.area[2]}x{self.area[3]}, not {width}x{height}")

    def locate(self):
        """Where the picture is in the client area as it is now: at the largest whole scale that
        fits, centred. Returns the client area (x, y, width, height)."""
        self.area = self.display.client_area(self.window)
        x, y, width, height = self.area
        self.scale = max(1, min(width // CLIENT_WIDTH, height // CLIENT_HEIGHT))
        self.x = x + (width - CLIENT_WIDTH * self.scale) // 2
        self.y = y + (height - CLIENT_HEIGHT * self.scale) // 2
        return self.area

    def full_shot(self):
        """The client area as it is now, border and all."""
        return self.display.shot().crop(*self.area)

    def shot(self):
        """The picture shrunk by its scale: every scale x scale block must be of one colour."""
        screen = self.display.shot()
        return screen.crop(self.x, self.y, CLIENT_WIDTH * self.scale, CLIENT_HEIGHT * self.scale).shrunk(self.scale)

    def border_wrong(self, shot):
        """How many pixels of a full shot around the picture are not the border colour."""
        left, top = self.x - self.area[0], self.y - self.area[1]
        width, height = CLIENT_WIDTH * self.scale, CLIENT_HEIGHT * self.scale
        return shot.count_not(BORDER, outside=(left, top, width, height))

    def wait(self, what, condition, timeout=20):
        """Screen shots until condition(shot) is true; returns (shot, time seen). condition may
        return a text saying what is still wrong instead of False, for the failure message."""
        deadline = time.monotonic() + timeout
        wrong = "nothing seen yet"
        while True:
            taken = time.monotonic()
            try:
                shot = self.shot()
                verdict = condition(shot)
            except (JourneyFailed, ValueError) as unscaled:  # caught between two pictures, or moving
                verdict = str(unscaled)
            if verdict is True:
                if VERBOSE:
                    print(f"e2e:   {time.monotonic() - START:7.2f} s  seen: {what}", flush=True)
                return shot, taken
            wrong = verdict or "not shown"
            if taken > deadline:
                raise JourneyFailed(f"{what} not seen within {timeout} s ({wrong})")
            time.sleep(0.04)

    def key(self, *keys):
        self.display.keys(*keys)
