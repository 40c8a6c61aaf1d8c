"""The typefaces the skins are lettered in: the system's Liberation Sans (Arial's metrics), with
DejaVu Sans where it is missing. scripts/setup.sh installs both."""
import functools
import os
import subprocess

from .ttf import Font

_FILES = {
    ("sans", False): ["/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf",
                      "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"],
    ("sans", True): ["/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf",
                     "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"],
    ("narrow", False): ["/usr/share/fonts/truetype/liberation/LiberationSansNarrow-Regular.ttf",
                        "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf"],
    ("narrow", True): ["/usr/share/fonts/truetype/liberation/LiberationSansNarrow-Bold.ttf",
                       "/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf"],
}
_FAMILIES = {"sans": "Liberation Sans", "narrow": "Liberation Sans Narrow"}


def _find(kind, bold):
    for path in _FILES[(kind, bold)]:
        if os.path.isfile(path):
            return path
    pattern = _FAMILIES[kind] + (":bold" if bold else ":regular")
    try:
        path = subprocess.run(["fc-match", "-f", "%{file}", pattern], capture_output=True,
                              text=True, check=False).stdout.strip()
    except OSError:
        path = ""
    if path.endswith(".ttf") and os.path.isfile(path):
        return path
    raise SystemExit(f"skins: no TrueType font for {pattern}; run scripts/setup.sh "
                     "(fonts-liberation, fonts-dejavu-core)")


@functools.lru_cache(maxsize=None)
def get(kind="sans", bold=False):
    font = Font(_find(kind, bold))
    return font


def sans(bold=False):
    return get("sans", bold)


def narrow(bold=False):
    return get("narrow", bold)
