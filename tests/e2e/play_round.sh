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

if [[ -z ${VORLANE_E2E_INNER:-} ]]; then
  for tool in xvfb-run xdotool import python3; do
    command -v "$tool" >/dev/null || { echo "skip: $tool is missing"; exit 77; }
  done
  VORLANE_E2E_INNER=1 exec xvfb-run -a -s "-screen 0 800x600x24" bash "$0" "$@"
fi

# The system's Python, which has python3-pil (a python3 of a user's own may not).
python=/usr/bin/python3
[[ -x $python ]] || python=python3

work=$(mktemp -d "${TMPDIR:-/tmp}/vorlane-play-XXXXXX")
pid=
trap '[[ -n $pid ]] && kill -KILL "$pid" 2>/dev/null; rm -rf "$work"' EXIT
cd "$work" || exit 1
ln -s "$data" data

fail() { echo "FAIL: $*"; [[ -f Log.txt ]] && iconv -f CP932 -t UTF-8 Log.txt | tail -20; exit 1; }
press() { xdotool keydown "$1"; sleep 0.12; xdotool keyup "$1"; sleep "${2:-0.25}"; }

export SDL_AUDIODRIVER=dummy
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
"$vorlane" >stdout.txt 2>stderr.txt &
pid=$!
wid=$(timeout 30 xdotool search --sync --name "VORLANE v0.53" | head -1)
[[ -n $wid ]] || fail "no window titled VORLANE v0.53: $(cat stderr.txt)"
xdotool windowfocus --sync "$wid" 2>/dev/null || true
sleep 1.5 # the title scene loads its pictures and sounds

press z 0.6          # title: game start
press z 4            # game mode: endless; fade, curtain and "Ready"
for _ in 1 2 3 4 5 6; do press c 0.35; done
rm -rf screen
press F1 0
import -window root -crop 800x600+0+0 +repage on_screen.png
sleep 0.5
for _ in $(seq 1 60); do
  kill -0 "$pid" 2>/dev/null || break
  press c 0.3
done
sleep 2.5 # game over shows for 1.5 s, then the title
press Escape 0
for _ in $(seq 1 200); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
kill -0 "$pid" 2>/dev/null && fail "the program did not end"
wait "$pid"
rc=$?
pid=
[[ $rc -eq 1 ]] || fail "exit code $rc, expected 1: $(cat stderr.txt)"

cmp -s vorlane.cfg <(printf '\1\0\0\0\4\0\0\0\1\0\0\0\0\0\0\0\0\0\0\0\50\0\0\0\377\0\0\0\377\0\0\0') ||
  fail "vorlane.cfg is not the default settings file"
[[ $(stat -c %s score.dat) -eq 12 ]] || fail "score.dat is not 12 bytes"
captures=(screen/Screen*.bmp)
[[ ${#captures[@]} -eq 1 && -f ${captures[0]} ]] || fail "no capture under screen/"
[[ $(stat -c %s "${captures[0]}") -eq 1440054 ]] || fail "the capture is not 1,440,054 bytes"
"$python" - "${captures[0]}" on_screen.png score.dat <<'PY' || fail "capture or record check"
import struct, sys
from PIL import Image
capture = Image.open(sys.argv[1]).convert("RGB")
screen = Image.open(sys.argv[2]).convert("RGB")
# The lower half of the local well (locked blocks, no falling piece there yet).
box = (42, 71 + 24 * 12, 42 + 24 * 10, 71 + 24 * 21)
a, b = capture.crop(box), screen.crop(box)
colours = len(set(a.getdata()))
same = sum(1 for p, q in zip(a.getdata(), b.getdata()) if max(abs(x - y) for x, y in zip(p, q)) <= 8)
total = a.size[0] * a.size[1]
print(f"well: {colours} colours, {same}/{total} pixels as on screen")
assert colours > 16, "the capture's well is blank"
assert same > total * 0.9, "the capture's well is not the picture on the screen"
score, lines, combo = struct.unpack("<3i", open(sys.argv[3], "rb").read())
print(f"record: score {score}, lines {lines}, combo {combo}")
assert score > 0, "the round's score was not recorded"
PY
echo "ok (play round)"
