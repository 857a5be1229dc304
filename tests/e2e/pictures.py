"""Pictures for the end-to-end journeys: the game's own bitmaps as the build made them, screen
shots of the X display, and the comparisons between the two. Standard library only."""

import re
import struct
import zlib
from pathlib import Path

# The colour keys of the game's pictures: pixels of this colour are never drawn.
PALE_YELLOW = 0xFFFEC1  # pieces, tiles, headings, character strips
WHITE = 0xFFFFFF  # digit strips
ORANGE = 0xF8A521  # menu items, frame bars, key-name strip
DARK_RED = 0x800000  # the game-over sign


class Picture:
    """An RGB picture, rows top to bottom, three bytes a pixel."""

    def __init__(self, width, height, rgb):
        assert len(rgb) == width * height * 3, "picture data does not match its size"
        self.width, self.height, self.rgb = width, height, bytes(rgb)

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return int.from_bytes(self.rgb[i:i + 3], "big")

    def row(self, y, x0=0, x1=None):
        x1 = self.width if x1 is None else x1
        start = (y * self.width + x0) * 3
        return self.rgb[start:start + (x1 - x0) * 3]

    def crop(self, x, y, width, height):
        if x < 0 or y < 0 or x + width > self.width or y + height > self.height:
            raise ValueError(f"{width}x{height}+{x}+{y} is outside a {self.width}x{self.height} picture")
        return Picture(width, height, b"".join(self.row(y + r, x, x + width) for r in range(height)))

    def mirrored_up_down(self):
        return Picture(self.width, self.height, b"".join(self.row(y) for y in reversed(range(self.height))))

    def mirrored_left_right(self):
        rows = []
        for y in range(self.height):
            row = self.row(y)
            rows.append(b"".join(row[x * 3:x * 3 + 3] for x in reversed(range(self.width))))
        return Picture(self.width, self.height, b"".join(rows))

    def shrunk(self, scale):
        """The picture scale times smaller, when it is made of scale x scale blocks of one colour
        each (a picture shown at a whole scale); otherwise a ValueError."""
        if scale == 1:
            return self
        if self.width % scale or self.height % scale:
            raise ValueError(f"a {self.width}x{self.height} picture is not of {scale}x{scale} blocks")
        rows = []
        for y in range(0, self.height, scale):
            row = self.row(y)
            pixels = [row[x:x + 3] for x in range(0, len(row), 3 * scale)]
            if b"".join(p * scale for p in pixels) != row or any(self.row(y + k) != row for k in range(1, scale)):
                raise ValueError(f"the picture rows {y} to {y + scale - 1} are not of {scale}x{scale} blocks")
            rows.append(b"".join(pixels))
        return Picture(self.width // scale, self.height // scale, b"".join(rows))

    def count_not(self, colour, outside):
        """How many pixels outside the rectangle (x, y, width, height) are not of the colour."""
        x0, y0, width, height = outside
        one = colour.to_bytes(3, "big")
        wrong = 0
        for y in range(self.height):
            row = self.row(y)
            parts = [row] if not y0 <= y < y0 + height else [row[:3 * x0], row[3 * (x0 + width):]]
            for part in parts:
                if part != one * (len(part) // 3):
                    wrong += sum(1 for i in range(0, len(part), 3) if part[i:i + 3] != one)
        return wrong

    def differs(self, other):
        return self.width != other.width or self.height != other.height or self.rgb != other.rgb


class Sprite:
    """A part of one of the game's pictures as the game draws it: keyed pixels leave the
    screen as it was, so they are left out of every comparison."""

    def __init__(self, picture, key=None, name=""):
        self.picture, self.key, self.name = picture, key, name
        self.width, self.height = picture.width, picture.height
        # Per row, the runs of drawn pixels as (first, end) columns.
        keyed = None if key is None else key.to_bytes(3, "big")
        self.runs = []
        for y in range(self.height):
            row, runs, start = picture.row(y), [], None
            for x in range(self.width):
                drawn = keyed is None or row[x * 3:x * 3 + 3] != keyed
                if drawn and start is None:
                    start = x
                elif not drawn and start is not None:
                    runs.append((start, x))
                    start = None
            if start is not None:
                runs.append((start, self.width))
            self.runs.append(runs)
        self.drawn = sum(end - first for runs in self.runs for first, end in runs)

    def part(self, x, y, width, height, name=None):
        name = name or f"{self.name}[{x},{y} {width}x{height}]"
        return Sprite(self.picture.crop(x, y, width, height), self.key, name)

    def mirrored_up_down(self):
        return Sprite(self.picture.mirrored_up_down(), self.key, self.name + " mirrored up-down")

    def mirrored_left_right(self):
        return Sprite(self.picture.mirrored_left_right(), self.key, self.name + " mirrored left-right")

    def mismatches(self, shot, x, y):
        """How many drawn pixels of the sprite placed at (x, y) of the shot differ from it."""
        if x < 0 or y < 0 or x + self.width > shot.width or y + self.height > shot.height:
            return self.drawn
        wrong = 0
        for r, runs in enumerate(self.runs):
            mine, theirs = self.picture.row(r), shot.row(y + r, x, x + self.width)
            for first, end in runs:
                a, b = mine[first * 3:end * 3], theirs[first * 3:end * 3]
                if a != b:
                    wrong += sum(1 for i in range(0, len(a), 3) if a[i:i + 3] != b[i:i + 3])
        return wrong

    def shown(self, shot, x, y):
        return self.mismatches(shot, x, y) == 0


def load_bmp(path):
    """An uncompressed 24-bit BMP, as the picture generator writes them."""
    data = Path(path).read_bytes()
    if data[:2] != b"BM":
        raise ValueError(f"{path} is not a BMP file")
    offset, = struct.unpack_from("<I", data, 10)
    width, height, _, bits, compression = struct.unpack_from("<iiHHI", data, 18)
    if bits != 24 or compression != 0 or width <= 0 or height == 0:
        raise ValueError(f"{path}: only uncompressed 24-bit BMPs are read here")
    stride = (width * 3 + 3) & ~3
    rows = []
    for r in range(abs(height)):
        stored = r if height < 0 else abs(height) - 1 - r  # bottom-up unless the height is negative
        bgr = data[offset + stored * stride:offset + stored * stride + width * 3]
        rgb = bytearray(len(bgr))
        rgb[0::3], rgb[1::3], rgb[2::3] = bgr[2::3], bgr[1::3], bgr[0::3]
        rows.append(bytes(rgb))
    return Picture(width, abs(height), b"".join(rows))


def parse_ppm(data):
    """A binary PPM (P6) with 8-bit samples, as ImageMagick writes a screen shot."""
    fields, pos = [], 0
    while len(fields) < 4:
        match = re.compile(rb"\s*(#[^\n]*\n\s*)*(\S+)").match(data, pos)
        if not match:
            raise ValueError("not a PPM picture")
        fields.append(match.group(2))
        pos = match.end()
    if fields[0] != b"P6" or fields[3] != b"255":
        raise ValueError("only 8-bit binary PPM pictures are read here")
    width, height = int(fields[1]), int(fields[2])
    return Picture(width, height, data[pos + 1:pos + 1 + width * height * 3])


def write_png(path, picture):
    """An 8-bit RGB PNG, as small as zlib makes it (each row filtered by its upper neighbour)."""
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    raw, previous = bytearray(), bytes(picture.width * 3)
    for y in range(picture.height):
        row = picture.row(y)
        raw.append(2)  # the "up" filter: smooth pictures compress far better
        raw += bytes((a - b) & 0xFF for a, b in zip(row, previous))
        previous = row
    header = struct.pack(">IIBBBBB", picture.width, picture.height, 8, 2, 0, 0, 0)
    Path(path).write_bytes(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
                           + chunk(b"IEND", b""))


class GamePictures:
    """The build's generated pictures by name, and the text drawing of the game's strips."""

    # Which key each keyed picture carries.
    KEYS = {
        "ID_CONGRATULATIONS": PALE_YELLOW, "ID_HIGHSCORE": PALE_YELLOW, "ID_PLAYERSCORE": PALE_YELLOW,
        "ID_SCORECHARS": PALE_YELLOW, "ID_HIGHSCORECHARS": PALE_YELLOW,
        "ID_SCORELEVELDIGITS": WHITE, "ID_HIGHSCOREDIGITS": WHITE,
        "ID_FRAMEH": ORANGE, "ID_FRAMEV": ORANGE, "ID_KEYSNUMBERS": ORANGE, "ID_OFF": ORANGE,
        "ID_GAMEOVER": DARK_RED,
    }
    PIECES = ["ID_BLACK", "ID_RED", "ID_GREEN", "ID_REDGREEN", "ID_BLUE", "ID_REDBLUE", "ID_GREENBLUE",
              "ID_REDGREENBLUE"]
    MARKED_PIECES = ["ID_MARKED" + name[3:] for name in PIECES]
    TWO_STATE_HEIGHT = 52

    def __init__(self, generated_dir, glyph_widths_header):
        self.dir = Path(generated_dir)
        self.cache = {}
        widths = parse_width_tables(glyph_widths_header)
        self.digit_widths = widths["DigitWidths"]
        self.big_widths = widths["BigCharWidths"]
        self.small_widths = widths["SmallCharWidths"]
        self.alphabet = " 0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"

    def picture(self, name):
        if name not in self.cache:
            self.cache[name] = load_bmp(self.dir / f"{name}.bmp")
        return self.cache[name]

    def sprite(self, name):
        key = self.KEYS.get(name)
        if key is None and name.startswith("ID_") and self.picture(name).height == self.TWO_STATE_HEIGHT:
            key = ORANGE  # every two-state menu picture
        if key is None and (name in self.PIECES or name in self.MARKED_PIECES):
            key = PALE_YELLOW
        return Sprite(self.picture(name), key, name)

    def item(self, name, selected):
        """One half of a two-state menu picture: the cyan upper half when selected."""
        whole = self.sprite(name)
        half = self.TWO_STATE_HEIGHT // 2
        return whole.part(0, 0 if selected else half, whole.width, half,
                          f"{name} ({'selected' if selected else 'plain'})")

    def text_sprites(self, text, big):
        """The glyphs of a text from a character strip with their x offsets, and its width."""
        widths = self.big_widths if big else self.small_widths
        strip = "ID_SCORECHARS" if big else "ID_HIGHSCORECHARS"
        placed, x = [], 0
        for ch in text:
            index = self.alphabet.index(ch) if ch in self.alphabet else 0
            if index > 0:  # the space has a width but no glyph; the strip starts at "0"
                first = sum(widths[1:index])
                placed.append((x, self.sprite(strip).part(first, 0, widths[index], self.picture(strip).height,
                                                          f"{strip} '{ch}'")))
            x += widths[index]
        return placed, x

    def text_at(self, text, big, centre_x=None):
        """Where each glyph of a text goes: big text is centred over x 40 to 340, small text
        on centre_x, each as the game's text drawing does (divisions truncating)."""
        placed, total = self.text_sprites(text, big)
        left = 40 + (300 - total) // 2 if big else centre_x - total // 2
        return [(left + dx, sprite) for dx, sprite in placed]

    def number_sprites(self, strip, value):
        placed, x = [], 0
        for digit in str(value):
            d = int(digit)
            placed.append((x, self.sprite(strip).part(sum(self.digit_widths[:d]), 0, self.digit_widths[d], 16,
                                                      f"{strip} '{d}'")))
            x += self.digit_widths[d]
        return placed, x

    def number_at(self, strip, value):
        """A number centred in the 150-pixel box from x 431, as on the play screen."""
        placed, total = self.number_sprites(strip, value)
        left = 431 + (150 - total) // 2
        return [(left + dx, sprite) for dx, sprite in placed]

    def read_number(self, shot, strip, y):
        """The number a play-screen box shows at row y, or None when none is drawn there."""
        digits = [self.sprite(strip).part(sum(self.digit_widths[:d]), 0, self.digit_widths[d], 16)
                  for d in range(10)]
        for left in range(431, 431 + 75):
            value, x = "", left
            while len(value) < 10:
                found = next((d for d in range(10) if digits[d].shown(shot, x, y)), None)
                if found is None:
                    break
                value += str(found)
                x += self.digit_widths[found]
            if value and left == 431 + (150 - (x - left)) // 2:
                return int(value)
        return None


def parse_width_tables(header):
    """The glyph width tables the game draws its text with, read from its own header."""
    text = re.sub(r"//[^\n]*", "", Path(header).read_text())
    tables = {}
    for name, body in re.findall(r"(\w+)\s*=\s*\{([^}]*)\}", text):
        tables[name] = [int(n) for n in re.findall(r"\d+", body)]
    for name in ("DigitWidths", "BigCharWidths", "SmallCharWidths"):
        if name not in tables:
            raise ValueError(f"{header} has no table {name}")
    return tables
