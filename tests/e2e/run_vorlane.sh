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
cleanup() {
  [[ -n $pid ]] && kill -KILL "$pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
cd "$work" || exit 1

fail() { echo "FAIL ($mode): $*"; [[ -f Log.txt ]] && iconv -f CP932 -t UTF-8 Log.txt | tail -20; exit 1; }

started() {
  [[ -f Log.txt ]] && iconv -f CP932 -t UTF-8 Log.txt 2>/dev/null |
    grep -q "グラフィック管理系の初期化は正常に終了しました"
}

# Waits until the program has its window and screen (or has died).
wait_for_start() {
  for _ in $(seq 1 600); do
    started && return 0
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.05
  done
  return 1
}

# Waits for the program to end; its exit code in $rc.
wait_for_end() {
  for _ in $(seq 1 600); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid"; rc=$?; pid=; return 0
    fi
    sleep 0.05
  done
  return 1
}

if [[ $mode == dummy-* ]]; then
  export SDL_VIDEODRIVER=dummy
fi
export SDL_AUDIODRIVER=dummy
if [[ $mode == xvfb-* ]]; then
  # In a sanitizer build: the X11 path of SDL loads the desktop bus and GL driver
  # libraries, which keep blocks of their own to the end of the process. The dummy
  # run checks the program for leaks; the allocation dump checks the library.
  export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
fi

"$vorlane" >stdout.txt 2>stderr.txt &
pid=$!
wait_for_start || fail "the program did not start: $(cat stderr.txt)"
sleep 0.3   # a few frames of the running loop

case $mode in
  *-quit)
    kill -TERM "$pid"
    ;;
  xvfb-escape)
    wid=$(xdotool search --sync --name "VORLANE v0.53" | head -1)
    [[ -n $wid ]] || fail "no window titled VORLANE v0.53"
    xdotool keydown --window "$wid" Escape
    ;;
esac

wait_for_end || fail "the program did not end"
[[ $mode == xvfb-escape ]] && xdotool keyup --window "$wid" Escape 2>/dev/null
[[ $rc -eq 1 ]] || fail "exit code $rc, expected 1: $(cat stderr.txt)"
"$check" Log.txt || fail "the log is not right"
echo "ok ($mode)"
