#!/usr/bin/env bash
# Plays one endless round with the real `vorlane` in a real X server, driven by real
# key events (XTEST through xdotool), in a fresh folder that holds the generated data.
#   play_round.sh VORLANE DATA_TREE
# Title: Z (game start); game mode: Z (endless); a few hard drops (C); F1 for a
# capture; hard drops until the well overflows; game over; Escape on the title.
# Checks the exit code, the settings and record files and the capture (its size, and
# that its well matches the picture on the X screen at the same moment).
# Exit 0 on success, 77 (skipped) when the X server tools are missing.
set -u
vorlane=$1 data=$2
source "$(dirname "$0")/common.sh"
e2e_xvfb 800x600x24 "xdotool import python3" "$@"
e2e_workdir play
ln -s "$data" data
# The system's Python, which has python3-pil (a python3 of a user's own may not).
python=/usr/bin/python3
[[ -x $python ]] || python=python3
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

"$vorlane" >stdout.txt 2>stderr.txt &
pids=($!)
wid=$(timeout 30 xdotool search --sync --name "VORLANE v0.53" | head -1)
[[ -n $wid ]] || fail "no window titled VORLANE v0.53: $(cat stderr.txt)"
xdotool windowfocus --sync "$wid" 2>/dev/null || true
shown "$wid"

key z 0.6 # title: game start
key z 4   # game mode: endless; fade, curtain and "Ready"
for _ in 1 2 3 4 5 6; do key c 0.35; done
rm -rf screen
capture_f1 . import -window root -crop 800x600+0+0 +repage on_screen.png
for _ in $(seq 1 60); do
  kill -0 "${pids[0]}" 2>/dev/null || break
  key c 0.3
done
sleep 2.5 # game over shows for 1.5 s, then the title
key Escape 0
ends "${pids[0]}"
rc=$?
pids=()
[[ $rc -eq 1 ]] || fail "exit code $rc, expected 1: $(cat stderr.txt)"

cmp -s vorlane.cfg <(printf '\1\0\0\0\4\0\0\0\1\0\0\0\0\0\0\0\0\0\0\0\50\0\0\0\377\0\0\0\377\0\0\0') ||
  fail "vorlane.cfg is not the default settings file"
captures=(screen/Screen*.bmp)
[[ ${#captures[@]} -eq 1 && $(stat -c %s "${captures[0]}") -eq 1440054 ]] ||
  fail "no capture of 1,440,054 bytes under screen/"
"$python" - "${captures[0]}" on_screen.png score.dat <<'PY' || fail "capture or record check"
import struct, sys
from PIL import Image
capture = Image.open(sys.argv[1]).convert("RGB")
screen = Image.open(sys.argv[2]).convert("RGB")
# The lower half of the local well (locked blocks, no falling piece there yet).
box = (42, 71 + 24 * 12, 42 + 24 * 10, 71 + 24 * 21)
a, b = list(capture.crop(box).getdata()), list(screen.crop(box).getdata())
same = sum(1 for p, q in zip(a, b) if max(abs(x - y) for x, y in zip(p, q)) <= 8)
print(f"well: {len(set(a))} colours, {same}/{len(a)} pixels as on screen")
assert len(set(a)) > 16, "the capture's well is blank"
assert same > len(a) * 0.9, "the capture's well is not the picture on the screen"
record = open(sys.argv[3], "rb").read()
assert len(record) == 12, "score.dat is not 12 bytes"
score, lines, combo = struct.unpack("<3i", record)
print(f"record: score {score}, lines {lines}, combo {combo}")
assert score > 0, "the round's score was not recorded"
PY
echo "ok (play round)"
