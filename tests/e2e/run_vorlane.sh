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

if [[ $mode == xvfb-* && -z ${VORLANE_E2E_INNER:-} ]]; then
  for tool in xvfb-run xdotool; do
    command -v "$tool" >/dev/null || { echo "skip: $tool is missing"; exit 77; }
  done
  VORLANE_E2E_INNER=1 exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/vorlane-e2e-XXXXXX")
pid=
trap '[[ -n $pid ]] && kill -KILL "$pid" 2>/dev/null; rm -rf "$work"' EXIT
cd "$work" || exit 1

fail() { echo "FAIL ($mode): $*"; [[ -f Log.txt ]] && iconv -f CP932 -t UTF-8 Log.txt | tail -20; exit 1; }

# Polls `$@` every 50 ms for up to 30 s.
wait_until() {
  for _ in $(seq 1 600); do "$@" && return 0; sleep 0.05; done
  return 1
}
started() {
  iconv -f CP932 -t UTF-8 Log.txt 2>/dev/null | grep -q "グラフィック管理系の初期化は正常に終了しました" ||
    ! kill -0 "$pid" 2>/dev/null
}
ended() { ! kill -0 "$pid" 2>/dev/null; }

[[ $mode == dummy-* ]] && export SDL_VIDEODRIVER=dummy
export SDL_AUDIODRIVER=dummy
# In a sanitizer build: the X11 path of SDL loads the desktop bus and GL driver
# libraries, which keep blocks of their own to the end of the process. The dummy run
# checks the program for leaks; the allocation dump checks the library.
[[ $mode == xvfb-* ]] && export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

"$vorlane" >stdout.txt 2>stderr.txt &
pid=$!
wait_until started && kill -0 "$pid" 2>/dev/null || fail "the program did not start: $(cat stderr.txt)"
sleep 0.3 # a few frames of the running loop

if [[ $mode == xvfb-escape ]]; then
  wid=$(xdotool search --sync --name "VORLANE v0.53" | head -1)
  [[ -n $wid ]] || fail "no window titled VORLANE v0.53"
  xdotool keydown --window "$wid" Escape
else
  kill -TERM "$pid"
fi

wait_until ended || fail "the program did not end"
wait "$pid"
rc=$?
pid=
[[ $rc -eq 1 ]] || fail "exit code $rc, expected 1: $(cat stderr.txt)"
"$check" Log.txt || fail "the log is not right"
echo "ok ($mode)"
