#!/usr/bin/env bash
# Two copies of the real `vorlane` in one real X server, each in its own fresh folder,
# meet through their menus with real key events (XTEST through xdotool): the first
# hosts (title item 1, "host"), the second joins 127.0.0.1 at the port both peer files
# name. Nobody plays, so the pieces pile up until a well overflows; the rounds run to
# the end of the match. F1 in both windows mid-round takes a capture of each; the
# host's picture of the guest's well must match the guest's own well (locked rows).
# At the end both are back at the title and Escape ends both.
#   play_windows.sh VORLANE DATA_TREE [KEEP_DIR]
# KEEP_DIR (optional) receives the two captures as PNG. Exit 0 on success, 77 when
# the X server tools are missing.
set -u
vorlane=$1 data=$2 keep=${3:-}
source "$(dirname "$0")/../common.sh"
# A screen wide enough that a new window, centred, never overlaps the host's at the
# left edge: a window shows what lay under it until it draws, and the check that its
# first scene is drawn would otherwise see the host's picture.
e2e_xvfb 2500x640x24 "xdotool import python3" "$@"
e2e_workdir windows
port=$(free_port)
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
press() { xdotool windowfocus --sync "$1" 2>/dev/null; key "$2" "${3:-0.3}"; }

declare -A win
start() { # side x
  mkdir -p "$work/$1"
  ln -s "$data" "$work/$1/data"
  python3 -c 'import struct,sys; open(sys.argv[1],"wb").write(struct.pack("<5i",127,0,0,1,int(sys.argv[2])))' \
    "$work/$1/network.cfg" "$port"
  (cd "$work/$1" && exec "$vorlane") >"$work/$1/out.txt" 2>&1 &
  pids+=($!)
  # Both windows have the same title: the new one is the one not seen before.
  local id=
  for _ in $(seq 1 100); do
    for candidate in $(xdotool search --name "VORLANE v0.53" 2>/dev/null); do
      [[ " ${win[*]} " == *" $candidate "* ]] || id=$candidate
    done
    [[ -n $id ]] && break
    sleep 0.1
  done
  [[ -n $id ]] || fail "no window for the $1"
  xdotool windowmove --sync "$id" "$2" 0 2>/dev/null || true
  win[$1]=$id
  shown "$id"
}

start host 0
press "${win[host]}" Down
press "${win[host]}" z 0.8 # title item 1: network play
press "${win[host]}" z 0.5 # host
start guest 1700
press "${win[guest]}" Down
press "${win[guest]}" z 0.8
press "${win[guest]}" Down
press "${win[guest]}" z # join
connected() { [[ -n $(ss -Htn state established "( sport = :$port )" 2>/dev/null) ]]; }
for _ in $(seq 1 100); do connected && break; sleep 0.2; done
connected || fail "no connection between the two copies"
sleep 5 # connected screen (2 s), curtain and "Ready" (2.5 s)
# Both players drop every piece at once (C); a few pieces in, F1 in both windows.
for _ in 1 2 3 4 5; do press "${win[host]}" c 0.1; press "${win[guest]}" c 0.1; done
sleep 0.3
rm -rf "$work"/*/screen
# Both F1 presses close together, so both wells are caught at nearly the same moment;
# a window whose round was not running yet is asked again.
captured() { compgen -G "$work/$1/screen/Screen*.bmp" >/dev/null; }
for _ in $(seq 1 10); do
  for side in guest host; do captured $side || press "${win[$side]}" F1 0; done
  sleep 1
  captured guest && captured host && break
done
# The rounds go on until a well overflows, to the end of the match: the guest closes
# the connection, the host's wait returns, and both show the title again.
for _ in $(seq 1 600); do
  connected || break
  press "${win[host]}" c 0.1
  press "${win[guest]}" c 0.1
done
connected && fail "the match did not end"
sleep 1
for side in guest host; do press "${win[$side]}" Escape 0.1; done
for i in 0 1; do
  ends "${pids[$i]}"
  rc=$?
  [[ $rc -eq 1 ]] || fail "copy $i ended with $rc, expected 1 (Escape on the title)"
done
pids=()

captures=("$work"/host/screen/Screen*.bmp "$work"/guest/screen/Screen*.bmp)
[[ ${#captures[@]} -eq 2 && -f ${captures[0]} && -f ${captures[1]} ]] || fail "F1 took no capture"
python3 - "${captures[@]}" <<'PY' || fail "the captures disagree"
import struct, sys
def bmp(path):  # 24-bit, bottom-up, rows padded to 4 bytes
    data = open(path, "rb").read()
    offset, (width, height), bits = struct.unpack_from("<I", data, 10)[0], struct.unpack_from("<ii", data, 18), struct.unpack_from("<H", data, 28)[0]
    assert (width, height, bits) == (800, 600, 24), "not an 800 x 600 capture"
    stride = (width * 3 + 3) & ~3
    return lambda x, y: tuple(data[offset + (height - 1 - y) * stride + 3 * x:][:3])
host, guest = bmp(sys.argv[1]), bmp(sys.argv[2])
# The centre of every cell of rows 12..20: the guest's own well (left) and the host's
# view of it (right).
own = [guest(42 + c * 24 + 12, 71 + r * 24 + 12) for r in range(12, 21) for c in range(10)]
seen = [host(516 + c * 24 + 12, 71 + r * 24 + 12) for r in range(12, 21) for c in range(10)]
same = sum(1 for p, q in zip(own, seen) if max(abs(x - y) for x, y in zip(p, q)) <= 24)
print(f"guest's lower well: {len(set(own))} colours; host's view: {same}/90 cells alike")
assert len(set(own)) > 2, "the guest's well is empty in its capture"
assert same >= 80, "the host does not show the guest's well"
PY
if [[ -n $keep ]]; then
  convert "${captures[0]}" "$keep/host.png" && convert "${captures[1]}" "$keep/guest.png"
fi
echo "ok (two windows)"
