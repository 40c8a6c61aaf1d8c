"""The table of bitmaps: resource name -> size and drawing function.

A skin module registers each bitmap it draws with one of the decorators below, under the name
the resource header defines for its id:

    @bitmap("IDB_DIALOG_BG", 300, 220)
    def dialog_background():
        return Canvas(...)                      # exactly 300 x 220

    @strip("IDB_BTN_OK", 78, 39, ["normal", "pressed", "disabled"])
    def ok_button(state):                       # called once per frame, in state order
        return Canvas(...)                      # one 78 x 39 frame

Strips put their frames side by side (frame index = state) or, with vertical=True, stacked from
the top (row index = selected item).
"""
import collections

from .canvas import hstack, vstack

Entry = collections.namedtuple("Entry", "name width height frames draw origin")

_entries = {}
_rc_blocks = []


def _register(name, width, height, frames, draw):
    if name in _entries:
        raise SystemExit(f"skins: {name} is drawn twice ({_entries[name].origin} and "
                         f"{draw.__module__}.{draw.__name__})")
    _entries[name] = Entry(name, width, height, frames, draw, f"{draw.__module__}.{draw.__name__}")


def bitmap(name, width, height):
    def decorate(fn):
        _register(name, width, height, 1, fn)
        return fn
    return decorate


def strip(name, frame_width, frame_height, states, vertical=False):
    states = list(states)

    def decorate(fn):
        def draw():
            frames = [fn(i) for i in range(len(states))]
            for i, f in enumerate(frames):
                if (f.width, f.height) != (frame_width, frame_height):
                    raise SystemExit(f"skins: {name} frame {i} ({states[i]}) is {f.width}x"
                                     f"{f.height}, not {frame_width}x{frame_height}")
            return vstack(frames) if vertical else hstack(frames)
        draw.__name__, draw.__module__ = fn.__name__, fn.__module__
        count = len(states)
        _register(name, frame_width * (1 if vertical else count),
                  frame_height * (count if vertical else 1), count, draw)
        return fn
    return decorate


_icons = {}


def icon(name, sizes=(32, 16)):
    """An ICON resource: draw(size) returns a size x size canvas for each size."""
    def decorate(fn):
        if name in _icons:
            raise SystemExit(f"skins: {name} is drawn twice")
        _icons[name] = (tuple(sizes), fn)
        return fn
    return decorate


def icons():
    return [(k, _icons[k][0], _icons[k][1]) for k in sorted(_icons)]


_cursors = {}


def cursor(name, hotspot, size=32):
    """A CURSOR resource: draw(size) returns (colour, shape), two size x size canvases; the shape's
    brightness is the cursor's opacity (black is transparent)."""
    def decorate(fn):
        if name in _cursors:
            raise SystemExit(f"skins: {name} is drawn twice")
        _cursors[name] = (size, tuple(hotspot), fn)
        return fn
    return decorate


def cursors():
    return [(k,) + _cursors[k] for k in sorted(_cursors)]


def rc_block(text):
    """Resource-script text other than bitmaps (dialog templates); names from the header."""
    _rc_blocks.append(text.strip() + "\n")


def _menu_items(items, indent):
    lines = []
    pad = " " * indent
    for text, what in items:
        quoted = text.replace('"', '""')
        if isinstance(what, list):
            lines.append(f'{pad}POPUP "{quoted}"')
            lines.append(f"{pad}BEGIN")
            lines += _menu_items(what, indent + 4)
            lines.append(f"{pad}END")
        else:
            lines.append(f'{pad}MENUITEM "{quoted}", {int(what)}')
    return lines


def menu(name, title, items):
    """A MENU resource shown as its first submenu: one POPUP named title holding the items, each
    (text, command id) or (text, [items]) for a submenu."""
    lines = [f"{name} MENU", "BEGIN", f'    POPUP "{title}"', "    BEGIN"]
    lines += _menu_items(items, 8)
    lines += ["    END", "END"]
    rc_block("\n".join(lines))


def entries():
    return [_entries[k] for k in sorted(_entries)]


def rc_blocks():
    return list(_rc_blocks)
