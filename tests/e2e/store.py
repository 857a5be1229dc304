"""The game's store files as the journeys read and change them: registry export text."""

import re
from pathlib import Path

SETTINGS_KEY = r"HKEY_CURRENT_USER\SOFTWARE\Corvane Software\Huebloc\Settings"
SCORES_KEY = r"HKEY_CURRENT_USER\SOFTWARE\Corvane Software\Huebloc\HighScores"

_VALUE = re.compile(r'^"((?:[^"\\]|\\.)*)"=(?:dword:([0-9a-fA-F]{8})|"((?:[^"\\]|\\.)*)")$')


def _unescape(text):
    return re.sub(r"\\(.)", r"\1", text)


def read_keys(path):
    """{key path: {value name: int or str}} of a store file."""
    keys, current = {}, None
    for line in Path(path).read_text(encoding="utf-8").splitlines():
        if line.startswith("[") and line.endswith("]"):
            current = keys.setdefault(line[1:-1], {})
        elif current is not None and (match := _VALUE.match(line)):
            name = _unescape(match.group(1))
            current[name] = int(match.group(2), 16) if match.group(2) else _unescape(match.group(3))
    return keys


def set_values(path, changes):
    """Changes existing values of a store file in place: {value name: int or str}; each name
    must occur exactly once in the file."""
    text = Path(path).read_text(encoding="utf-8")
    for name, value in changes.items():
        if isinstance(value, int):
            written = f"dword:{value:08x}"
        else:
            written = '"' + value.replace("\\", "\\\\").replace('"', '\\"') + '"'
        text, count = re.subn(rf'^"{re.escape(name)}"=.*$', lambda _: f'"{name}"={written}', text, flags=re.M)
        if count != 1:
            raise ValueError(f'{path} holds "{name}" {count} times, not once')
    Path(path).write_text(text, encoding="utf-8")


def score_table(path, width, height, advanced=False):
    """The five (score, name) entries of one table, best first."""
    values = read_keys(path).get(f"{SCORES_KEY}\\{width}x{height}{'a' if advanced else ''}", {})
    return [(values.get(f"s{i}"), values.get(f"n{i}")) for i in range(1, 6)]
