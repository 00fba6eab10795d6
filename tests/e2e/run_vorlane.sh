#!/usr/bin/env bash
# Starts the real `vorlane` in a fresh folder and ends it from outside.
#   run_vorlane.sh MODE VORLANE LOG_CHECK
# MODE: dummy-quit   SDL's dummy video driver; SIGTERM, which SDL turns into a quit
#                    event (the window's close request)
#       xvfb-escape  a real X server; the Escape key held down
#       xvfb-quit    a real X server; SIGTERM as above
# Exit 0 when the program ended with exit code 1 and left a well-formed log;
# 77 (skipped) only when the X server tools are missing.
set -u
mode=$1 vorlane=$2 check=$3
source "$(dirname "$0")/common.sh"
[[ $mode == xvfb-* ]] && e2e_xvfb 1024x768x24 xdotool "$@"
e2e_workdir e2e

# The dummy run checks the program for leaks; the allocation dump checks the library.
if [[ $mode == dummy-* ]]; then
  export SDL_VIDEODRIVER=dummy
else
  export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
fi

"$vorlane" >stdout.txt 2>stderr.txt &
pids=($!)
for _ in $(seq 1 600); do
  iconv -f CP932 -t UTF-8 Log.txt 2>/dev/null | grep -q "グラフィック管理系の初期化は正常に終了しました" && break
  sleep 0.05
done
kill -0 "${pids[0]}" 2>/dev/null || fail "($mode) the program did not start: $(cat stderr.txt)"
sleep 0.3 # a few frames of the running loop

if [[ $mode == xvfb-escape ]]; then
  wid=$(xdotool search --sync --name "VORLANE v0.53" | head -1)
  [[ -n $wid ]] || fail "no window titled VORLANE v0.53"
  xdotool keydown --window "$wid" Escape
else
  kill -TERM "${pids[0]}"
fi
ends "${pids[0]}"
rc=$?
pids=()
[[ $rc -eq 1 ]] || fail "($mode) exit code $rc, expected 1: $(cat stderr.txt)"
"$check" Log.txt || fail "($mode) the log is not right"
echo "ok ($mode)"
