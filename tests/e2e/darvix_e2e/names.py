"""The program's own names for its numbers, read from its sources so that no case writes a bare
window message, menu command or device command: the private messages of ui/messages.h, the menu
commands of pages/tab_bar_logic.h and of the wizard's input menus (dialogs/wizard_records.h), and the
device commands and node addresses of link/frame.h."""

import re
from pathlib import Path
from types import SimpleNamespace

ROOT = Path(__file__).resolve().parents[3]


def _read(relative):
    path = ROOT / relative
    try:
        return path.read_text(encoding="utf-8")
    except OSError as e:
        raise RuntimeError(f"cannot read {path}: {e.strerror}") from e


def _table(relative, text, pattern, convert):
    found = {name: convert(value) for name, value in re.findall(pattern, text)}
    if not found:
        raise RuntimeError(f"no names found in {ROOT / relative}: has its layout changed?")
    return found


def _literal(value):
    """A C integer or character literal."""
    if value.startswith("'"):
        return ord(value[1])
    return int(value, 0)


def _messages():
    relative = "ui/messages.h"
    return _table(relative, _read(relative), r"X\((Msg\w+),\s*(0x[0-9A-Fa-f]+)", _literal)


def _enum_body(relative, text, head):
    """The text between the braces of the enum that begins with `head` ("enum MenuCommand")."""
    block = re.search(re.escape(head) + r"\b[^{]*\{(.*?)\};", text, re.S)
    if not block:
        raise RuntimeError(f"no {head} in {ROOT / relative}")
    return block.group(1)


def _menu_commands():
    relative = "pages/tab_bar_logic.h"
    body = _enum_body(relative, _read(relative), "enum MenuCommand")
    return _table(relative, body, r"(kCmd\w+)\s*=\s*(\d+)", _literal)


def _wizard_menus():
    relative = "dialogs/wizard_records.h"
    return _table(relative, _read(relative), r"\b(kMenu\w+)\s*=\s*(\d+)", _literal)


def _device():
    relative = "link/frame.h"
    text = _read(relative)
    body = _enum_body(relative, text, "enum class DeviceCommand")
    commands = _table(relative, body, r"(\w+)\s*=\s*(0x[0-9A-Fa-f]+)", _literal)
    nodes = _table(relative, text, r"constexpr uint8_t (kNode\w+)\s*=\s*('.'|0x[0-9A-Fa-f]+|\d+)", _literal)
    return commands, nodes


_commands, _nodes = _device()

#: Private window messages by their names in ui/messages.h: msg.MsgSetupFile.
msg = SimpleNamespace(**_messages())
#: Menu command ids by their names in pages/tab_bar_logic.h: menu.kCmdSaveSetup.
menu = SimpleNamespace(**_menu_commands())
#: The wizard's input menus: wizard_menu.kMenuHighFirst (Front Left Full, the next ones follow).
wizard_menu = SimpleNamespace(**_wizard_menus())
#: Device command bytes by their names in link/frame.h: cmd.WorkingMode.
cmd = SimpleNamespace(**_commands)
#: Node addresses of link/frame.h: node.kNodeDsp.
node = SimpleNamespace(**_nodes)

_command_names = {value: name for name, value in _commands.items()}


def command_name(value):
    """The name of a device command byte, or its number when it has none."""
    return _command_names.get(value, f"0x{value:02X}")
