# A blank unit: the I/O wizard walked to Finish with a two-way front (woofer and tweeter on each
# side) and the subwoofer, then the program writes the whole tuning by itself, without a question.
# After the wizard's completed message the unit gets a write (0xA5 ... 0xA6) whose crossovers are
# the defaults of the wizard's speakers, as the table of defaults gives them for a front of two
# ways without a midrange: woofers Low Pass 5000 Hz (HPFreq kept at 80), tweeters High Pass
# 5000 Hz (LPFreq kept at 16000), the subwoofer Low Pass 150 Hz (HPFreq 6000), all Linkwitz
# 12 dB per octave, in all four presets. The OUTPUT LEVELS page then shows those speakers' icons.
. "$(dirname "${BASH_SOURCE[0]}")/lib/files.sh"
prepare; set_com 1; scenario "[device]" "blank = yes"; start; splash 1
d=$(wizard) || fail "no wizard for the blank unit"
for ((k = 0; k < 5; ++k)); do wizard_next "$d"; done   # to the speakers (low-level inputs)
car=$(drv child "$d" MYFRAMEWND 1 30 442 411) || fail "no car view in the wizard"
drv click "$car" 123 215 >/dev/null         # Front Left Woofer (the right one follows)
drv click "$car" 123 155 >/dev/null         # Front Left Tweeter (the right one follows)
drv click "$car" 223 370 >/dev/null         # the Subwoofer
for ((k = 0; k < 4; ++k)); do wizard_car_next "$d"; done
wizard_press "$d" 110 330                   # Finish
main=$(main_window) || fail "no main window after the wizard"
# The write's dialog ends in its success with no YES to press.
w=$(dialog "$updated" 60000) || fail "no write to the device after the wizard"
wait_trace "PC>DEV  46 5A 00 06 A6" 10
drv shot "$w" "$bin/e2e-wizard-write.bmp" >/dev/null
press "$w" 110 160
wait_idle "$main"

# The trace: the wizard's routing (0xA4) names each output's speaker; after the completed wizard
# (0xB2 00) one write carries a 't' for every speaker in every preset, with its default filter.
python3 - "$work/trace.txt" <<'PY' || fail "the write after the wizard is not the wizard's default tuning"
import struct, sys
frames = []
for line in open(sys.argv[1], errors="replace"):
    if "PC>DEV" not in line:
        continue
    b = []
    for tok in line.split("PC>DEV", 1)[1].split():
        if tok.startswith("("):
            break
        b.append(int(tok, 16))
    if len(b) >= 6 and b[0] == 0x46:
        frames.append(b)
def first(cmd, after, byte5=None):
    for i in range(after, len(frames)):
        if frames[i][4] == cmd and (byte5 is None or frames[i][5] == byte5):
            return i
    sys.exit("no 0x%02X after frame %d" % (cmd, after))
finished = first(0xB2, 0, 0x00)
routing = max(i for i in range(finished) if frames[i][4] == 0xA4)
speakers = {o: (frames[routing][13 + o], frames[routing][21 + o])
            for o in range(8) if frames[routing][13 + o] != 0xFF}
begin = first(0xA5, finished)
end = first(0xA6, begin)
# Positions 0 Front Left, 2 Front Right, 4 the subwoofer spot; kinds 1 Woofer, 3 Tweeter,
# 5 Subwoofer. Filter types 1 Low Pass, 2 High Pass; model 0 Linkwitz.
expected = {1: (1, 5000.0, 80.0), 3: (2, 16000.0, 5000.0), 5: (1, 150.0, 6000.0)}
want = {(0, 1), (0, 3), (2, 1), (2, 3), (4, 5)}
if set(speakers.values()) != want:
    sys.exit("the wizard routed %s" % speakers)
seen = set()
for f in frames[begin + 1:end]:
    if f[4] != 0x74:
        continue
    preset, channel, n = f[5], f[6], f[7]
    t = 8 + 20 * n
    ftype, fmodel = f[t], f[t + 1]
    lp, hp = struct.unpack("<ff", bytes(f[t + 2:t + 10]))
    lf, hf = f[t + 10], f[t + 11]
    if channel not in speakers:
        sys.exit("a crossover for output %d, which has no speaker" % channel)
    kind = speakers[channel][1]
    got = (ftype, lp, hp)
    print("preset %d output %d kind %d: type %d model %d LP %g HP %g slopes %d %d" %
          (preset, channel, kind, ftype, fmodel, lp, hp, lf, hf))
    if got != expected[kind] or fmodel != 0 or (lf, hf) != (12, 12):
        sys.exit("output %d (kind %d) has %s, model %d, slopes %d %d" % (channel, kind, got, fmodel, lf, hf))
    seen.add((preset, channel))
if seen != {(p, o) for p in range(4) for o in speakers}:
    sys.exit("crossovers written for %s" % sorted(seen))
PY

# OUTPUT LEVELS: an icon under each output the wizard gave a speaker.
tabs=$(tab_bar "$main") || fail "no tab bar"
drv click "$tabs" 880 20 >/dev/null         # the output-level tab
sleep 1
drv shot "$main" "$bin/e2e-levels-after-wizard.bmp" >/dev/null
close_changed "$main"
