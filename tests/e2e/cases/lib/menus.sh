# Helpers of the cases that look at what a menu shows.

# A submenu of the Config menu as the Config button shows it: the menu opened by the keyboard, the
# KEYS pressed in it (the last one opens the submenu, whose first item is then highlighted), the
# submenu saved as a screenshot, then both menus closed unchosen.
shot_config_submenu() {  # shot_config_submenu TAB_BAR FILE KEY...
    local bar=$1 file=$2 button popup sub="" key
    shift 2
    button=$(menu_button "$bar" 48); [[ -n $button ]] || fail "no Config button"
    drv post "$bar" 0x8020 0 "0x$button" >/dev/null
    popup=$(drv wait '#32768' '' 10000) || fail "no Config menu"
    for key in "$@"; do drv key "$popup" "$key" >/dev/null; done
    for ((i = 0; i < 100; ++i)); do
        sub=$(drv list | awk -v p="$popup" '$2 == "#32768" && $3 == 1 && $1 != p {print $1; exit}')
        [[ -n $sub ]] && break
        sleep 0.1
    done
    [[ -n $sub ]] || fail "the Config submenu did not open"
    sleep 0.5
    drv shot "$sub" "$file" >/dev/null || fail "no screenshot of the submenu"
    drv key "$sub" 0x1B >/dev/null
    drv key "$popup" 0x1B >/dev/null
    drv wait-gone "$popup" 10000 || { drv key "$popup" 0x1B >/dev/null; drv wait-gone "$popup" 10000; } ||
        fail "the Config menu stayed open"
}
# Config > External Source: Down to "I/O Configuration Wizard", Down to "External Source", Right.
shot_source_menu() {  # shot_source_menu TAB_BAR FILE
    shot_config_submenu "$1" "$2" 0x28 0x28 0x27
}
# The items (0-based, top to bottom) of a menu of N items whose check-mark column differs between
# two screenshots of it.
ticks_changed() {  # ticks_changed BASE.bmp OTHER.bmp N
    python3 - "$@" <<'PY'
import struct, sys
def load(path):
    data = open(path, "rb").read()
    offset, = struct.unpack_from("<I", data, 10)
    w, h = struct.unpack_from("<ii", data, 18)
    stride = (w * 3 + 3) & ~3
    rows = [data[offset + (h - 1 - y) * stride: offset + (h - 1 - y) * stride + w * 3] for y in range(h)]
    return w, h, rows
w, h, a = load(sys.argv[1])
w2, h2, b = load(sys.argv[2])
n = int(sys.argv[3])
if (w, h) != (w2, h2):
    sys.exit("the menus differ in size")
border = 3
items = set()
for y in range(h):
    # The check marks stand left of the texts, within the first 20 columns.
    if a[y][3 * border: 3 * 20] != b[y][3 * border: 3 * 20]:
        items.add(min(n - 1, max(0, (y - border) * n // (h - 2 * border))))
print(" ".join(str(i) for i in sorted(items)))
PY
}
# The items (0-based, top to bottom) of a menu of N items that carry a check mark, from a
# screenshot of the menu.
ticked_items() {  # ticked_items MENU.bmp N
    python3 - "$@" <<'PY'
import collections, struct, sys
data = open(sys.argv[1], "rb").read()
offset, = struct.unpack_from("<I", data, 10)
w, h = struct.unpack_from("<ii", data, 18)
n = int(sys.argv[2])
stride = (w * 3 + 3) & ~3
border = 3
px = lambda x, y: data[offset + (h - 1 - y) * stride + 3 * x: offset + (h - 1 - y) * stride + 3 * x + 3]
# The check marks stand in the first 20 columns. An item carries a tick when that part of its row
# holds pixels unlike the row's own background (its most common colour there): the item the
# keyboard highlighted is one colour across.
rows = set()
for item in range(n):
    top = border + item * (h - 2 * border) // n
    bottom = border + (item + 1) * (h - 2 * border) // n
    pixels = [px(x, y) for y in range(top, bottom) for x in range(border, 20)]
    background = collections.Counter(pixels).most_common(1)[0][0]
    if any(p != background for p in pixels):
        rows.add(item)
print(" ".join(str(r) for r in sorted(rows)))
PY
}
# A box of the program answered with the button at index n (left to right) of its row of buttons
# (the row with the most; a check box of "ask no more" stands apart from it).
answer_row() {  # answer_row TEXT BUTTON_INDEX
    local box btn
    box=$(drv wait '#32770' "$1" 20000) || fail "no box \"$1\""
    btn=$(drv children "$box" | awk '$2 == "MYBTNWND" && $3 == 1 {print $5, $4, $1}' | sort -k1,1n -k2,2n |
          awk '{y[NR] = $1; h[NR] = $3; n[$1]++} END {for (r in n) if (n[r] > most) {most = n[r]; row = r}
               for (k = 1; k <= NR; ++k) if (y[k] == row) print h[k]}' | sed -n "$(( $2 + 1 ))p")
    [[ -n $btn ]] || fail "no button in \"$1\""
    drv click "$btn" 5 5 || fail "could not press the button"
}
# Chooses an item of a menu in its own loop, as the user does with the keyboard: Down N times
# (separators are passed over), then Enter.
choose_menu_item() {  # choose_menu_item TAB_BAR BUTTON_LEFT N
    local button popup k
    button=$(menu_button "$1" "$2"); [[ -n $button ]] || fail "no menu button at $2"
    drv post "$1" 0x8020 0 "0x$button" >/dev/null
    popup=$(drv wait '#32768' '' 10000) || fail "no popup menu from the button at $2"
    for ((k = 0; k < $3; ++k)); do drv key "$popup" 0x28 >/dev/null; done
    drv key "$popup" 0x0D >/dev/null
    drv wait-gone "$popup" 10000 || fail "the menu stayed open after Enter"
}
